#include "orvmisc/OrvParamStorage.h"

#include <algorithm>
#include <cstring>

namespace {

/// Guards every listener registration of every store and the listeners' store sets, so a
/// listener can leave all its stores when it dies.
std::mutex& ListenerMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool ValidName(const char* name)
{
    return name && *name && std::strlen(name) <= kOrvParamNameMax;
}

}  // namespace

struct OrvParamStorage::NewValue {
    std::int32_t type = OrvParam_Int;
    std::int64_t n = 0;
    double d = 0;
    std::uint8_t b = 0;
    std::string text;
    std::vector<std::uint8_t> bytes;

    /// What the changing and echo callbacks receive.
    const void* Pointer() const
    {
        switch (type) {
        case OrvParam_Int: return &n;
        case OrvParam_Bool: return &b;
        case OrvParam_Float: return &d;
        case OrvParam_String: return text.c_str();
        default: return bytes.data();
        }
    }

    void TakeFrom(const _OrvStParam& param)
    {
        switch (type) {
        case OrvParam_Int: n = param.value.n; break;
        case OrvParam_Bool: b = param.value.b.value; break;
        case OrvParam_Float: d = param.value.d; break;
        case OrvParam_String: text = param.text; break;
        default: bytes = param.array; break;
        }
    }

    void StoreInto(_OrvStParam& param) const
    {
        switch (type) {
        case OrvParam_Int: param.value.n = n; break;
        case OrvParam_Bool: param.value.b.value = b; break;
        case OrvParam_Float: param.value.d = d; break;
        case OrvParam_String: param.text = text; break;
        default: param.array = bytes; break;
        }
    }
};

OrvParamStorage::OrvParamStorage(std::uint32_t ownerId) : ownerId_(ownerId) {}

OrvParamStorage::~OrvParamStorage()
{
    std::lock_guard lock(ListenerMutex());
    for (auto& [name, list] : listeners_)
        for (OrvParamListener* listener : list)
            listener->stores_.erase(this);
    listeners_.clear();
}

OrvParamStorage::EntryPtr OrvParamStorage::Find(const char* name) const
{
    if (!name)
        return nullptr;
    std::lock_guard lock(mutex_);
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

int OrvParamStorage::AddParam(const _OrvStParam& param)
{
    if (!ValidName(param.name) || std::memchr(param.name, 0, sizeof param.name) == nullptr)
        return kOrvParamBadArgument;
    auto entry = std::make_shared<Entry>();
    entry->param = param;
    std::lock_guard lock(mutex_);
    if (!byName_.emplace(param.name, entry).second)
        return kOrvParamExists;
    order_.push_back(std::move(entry));
    return 0;
}

int OrvParamStorage::ClearStorage()
{
    std::vector<EntryPtr> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(order_);
        byName_.clear();
    }
    // Records die here, outside the lock; a record a callback is running on is kept alive by
    // the callback's own reference.
    return 0;
}

int OrvParamStorage::GetParamData(const char* name, _OrvStParam* out) const
{
    if (!out)
        return kOrvParamBadArgument;
    EntryPtr entry = Find(name);
    if (!entry)
        return kOrvParamUnknown;
    std::lock_guard lock(mutex_);
    *out = entry->param;
    return 0;
}

int OrvParamStorage::LinkParamData(const char* name, const void* block, std::size_t size)
{
    if (!block && size)
        return kOrvParamBadArgument;
    EntryPtr entry = Find(name);
    if (!entry)
        return kOrvParamUnknown;
    std::lock_guard lock(mutex_);
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    entry->link.assign(bytes, bytes + size);
    entry->linked = true;
    return 0;
}

int OrvParamStorage::GetLinkedData(const char* name, void* block, std::size_t size) const
{
    if (!block && size)
        return kOrvParamBadArgument;
    EntryPtr entry = Find(name);
    if (!entry)
        return kOrvParamUnknown;
    std::lock_guard lock(mutex_);
    if (!entry->linked)
        return kOrvParamNoLink;
    const std::size_t copied = std::min(size, entry->link.size());
    if (copied)
        std::memcpy(block, entry->link.data(), copied);
    if (size > copied)
        std::memset(static_cast<std::uint8_t*>(block) + copied, 0, size - copied);
    return 0;
}

int OrvParamStorage::AddParamChangedListener(const char* name, OrvParamListener* listener)
{
    if (!ValidName(name) || !listener)
        return kOrvParamBadArgument;
    std::lock_guard lock(ListenerMutex());
    auto& list = listeners_[name];
    if (std::find(list.begin(), list.end(), listener) == list.end())
        list.push_back(listener);
    listener->stores_.insert(this);
    return 0;
}

int OrvParamStorage::RemoveParamChangedListener(const char* name, OrvParamListener* listener)
{
    if (!name || !listener)
        return kOrvParamBadArgument;
    std::lock_guard lock(ListenerMutex());
    auto it = listeners_.find(name);
    if (it == listeners_.end())
        return 0;
    auto& list = it->second;
    list.erase(std::remove(list.begin(), list.end(), listener), list.end());
    if (list.empty())
        listeners_.erase(it);
    const bool elsewhere = std::any_of(listeners_.begin(), listeners_.end(), [&](const auto& item) {
        return std::find(item.second.begin(), item.second.end(), listener) != item.second.end();
    });
    if (!elsewhere)
        listener->stores_.erase(this);
    return 0;
}

void OrvParamStorage::ForgetListener(OrvParamListener* listener)
{
    std::lock_guard lock(ListenerMutex());
    for (OrvParamStorage* store : listener->stores_) {
        for (auto it = store->listeners_.begin(); it != store->listeners_.end();) {
            auto& list = it->second;
            list.erase(std::remove(list.begin(), list.end(), listener), list.end());
            it = list.empty() ? store->listeners_.erase(it) : std::next(it);
        }
    }
    listener->stores_.clear();
}

void OrvParamStorage::Notify(const std::string& name, const _OrvStParam* param)
{
    std::vector<OrvParamListener*> snapshot;
    {
        std::lock_guard lock(ListenerMutex());
        auto it = listeners_.find(name);
        if (it == listeners_.end())
            return;
        snapshot = it->second;
    }
    for (OrvParamListener* listener : snapshot) {
        // A listener earlier in the run may have removed (or destroyed) a later one.
        {
            std::lock_guard lock(ListenerMutex());
            auto it = listeners_.find(name);
            if (it == listeners_.end() ||
                std::find(it->second.begin(), it->second.end(), listener) == it->second.end())
                continue;
        }
        listener->OnParamChanged(param);
    }
}

int OrvParamStorage::Set(const char* name, const NewValue& value, bool notify)
{
    EntryPtr entry = Find(name);  // keeps the record alive through every callback below
    if (!entry)
        return kOrvParamUnknown;
    _OrvStParam* param = &entry->param;
    if (param->type != value.type)
        return kOrvParamWrongType;
    const std::string key = param->name;

    if (param->changing) {
        const int result = param->changing(ownerId_, param, value.Pointer());
        if (result != 0)
            return result;
    }
    NewValue before;
    before.type = value.type;
    {
        std::lock_guard lock(mutex_);
        before.TakeFrom(*param);
        value.StoreInto(*param);
    }
    if (param->write) {
        const int result = param->write(ownerId_, param);
        if (result != 0) {
            // The camera did not take the value: the record keeps the one it held.
            std::lock_guard lock(mutex_);
            before.StoreInto(*param);
            return result;
        }
    }
    if (param->echo)
        param->echo(ownerId_, param, value.Pointer());
    if (notify)
        Notify(key, param);
    return 0;
}

int OrvParamStorage::SetParamInt(const char* name, std::int64_t value, bool notify)
{
    NewValue v;
    v.type = OrvParam_Int;
    v.n = value;
    return Set(name, v, notify);
}

int OrvParamStorage::SetParamBool(const char* name, bool value, bool notify)
{
    NewValue v;
    v.type = OrvParam_Bool;
    v.b = value ? 1 : 0;
    return Set(name, v, notify);
}

int OrvParamStorage::SetParamFloat(const char* name, double value, bool notify)
{
    NewValue v;
    v.type = OrvParam_Float;
    v.d = value;
    return Set(name, v, notify);
}

int OrvParamStorage::SetParamString(const char* name, const char* value, bool notify)
{
    if (!value)
        return kOrvParamBadArgument;
    NewValue v;
    v.type = OrvParam_String;
    v.text = value;
    return Set(name, v, notify);
}

int OrvParamStorage::SetParamArray(const char* name, const void* block, std::size_t size, bool notify)
{
    if (!block && size)
        return kOrvParamBadArgument;
    NewValue v;
    v.type = OrvParam_Array;
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    v.bytes.assign(bytes, bytes + size);
    return Set(name, v, notify);
}

int OrvParamStorage::Get(const char* name, bool (*typeOk)(std::int32_t), EntryPtr& entry)
{
    entry = Find(name);
    if (!entry)
        return kOrvParamUnknown;
    _OrvStParam* param = &entry->param;
    if (!typeOk(param->type))
        return kOrvParamWrongType;
    if (param->read) {
        const int result = param->read(ownerId_, param);
        if (result != 0)
            return result;
    }
    if (param->echo) {
        const void* current = nullptr;
        switch (param->type) {
        case OrvParam_String: current = param->text.c_str(); break;
        case OrvParam_Array: current = param->array.data(); break;
        default: current = &param->value; break;
        }
        param->echo(ownerId_, param, current);
    }
    return 0;
}

template <typename T, typename Extract>
int OrvParamStorage::GetTyped(const char* name, T* out, bool (*typeOk)(std::int32_t), Extract extract)
{
    if (!out)
        return kOrvParamBadArgument;
    EntryPtr entry;
    const int result = Get(name, typeOk, entry);
    if (result != 0)
        return result;
    std::lock_guard lock(mutex_);
    *out = extract(entry->param);
    return 0;
}

int OrvParamStorage::GetParamInt(const char* name, std::int64_t* out)
{
    return GetTyped(
        name, out, [](std::int32_t t) { return t == OrvParam_Int || t == OrvParam_Bool; },
        [](const _OrvStParam& p) -> std::int64_t {
            return p.type == OrvParam_Bool ? (p.value.b.value != 0 ? 1 : 0) : p.value.n;
        });
}

int OrvParamStorage::GetParamBool(const char* name, bool* out)
{
    return GetTyped(
        name, out, [](std::int32_t t) { return t == OrvParam_Bool; },
        [](const _OrvStParam& p) { return p.value.b.value != 0; });
}

int OrvParamStorage::GetParamFloat(const char* name, double* out)
{
    return GetTyped(
        name, out, [](std::int32_t t) { return t == OrvParam_Float; }, [](const _OrvStParam& p) { return p.value.d; });
}

int OrvParamStorage::GetParamString(const char* name, char* buffer, std::size_t* length)
{
    if (!length || (buffer && *length == 0))
        return kOrvParamBadArgument;
    EntryPtr entry;
    const int result = Get(name, [](std::int32_t t) { return t == OrvParam_String; }, entry);
    if (result != 0)
        return result;
    std::lock_guard lock(mutex_);
    const std::string& text = entry->param.text;
    if (!buffer) {
        *length = text.size();
        return 0;
    }
    const std::size_t copied = std::min(text.size(), *length - 1);
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    *length = copied;
    return 0;
}

int OrvParamStorage::GetParamArray(const char* name, void* block, std::size_t* size)
{
    if (!size)
        return kOrvParamBadArgument;
    EntryPtr entry;
    const int result = Get(name, [](std::int32_t t) { return t == OrvParam_Array; }, entry);
    if (result != 0)
        return result;
    std::lock_guard lock(mutex_);
    const auto& bytes = entry->param.array;
    if (!block) {
        *size = bytes.size();
        return 0;
    }
    const std::size_t copied = std::min(bytes.size(), *size);
    if (copied)
        std::memcpy(block, bytes.data(), copied);
    *size = copied;
    return 0;
}

int OrvParamStorage::ChangeDir(const char*) { return kOrvParamNotSupported; }
int OrvParamStorage::GetDir(char*, std::size_t) { return kOrvParamNotSupported; }
int OrvParamStorage::UpdateToObject() { return kOrvParamNotSupported; }
int OrvParamStorage::UpdateFromObject() { return kOrvParamNotSupported; }

int OrvParamStorage::GetParametersList(_OrvStParam* list, std::size_t* count)
{
    if (!count)
        return kOrvParamBadArgument;
    std::lock_guard lock(mutex_);
    if (!list) {
        *count = order_.size();
        return 0;
    }
    const std::size_t filled = std::min(*count, order_.size());
    for (std::size_t i = 0; i < filled; ++i)
        list[i] = order_[i]->param;
    *count = filled;
    return filled < order_.size() ? kOrvParamTooSmall : 0;
}

void OrvParamStorage::StoreBytes(_OrvStParam& param, const void* bytes, std::size_t size)
{
    switch (param.type) {
    case OrvParam_Int:
    case OrvParam_Float:
        std::memcpy(&param.value, bytes, 8);
        break;
    case OrvParam_Bool:
        param.value.b.value = *static_cast<const std::uint8_t*>(bytes) != 0 ? 1 : 0;
        break;
    case OrvParam_String: {
        const char* text = static_cast<const char*>(bytes);
        param.text.assign(text, ::strnlen(text, size));
        break;
    }
    default: {
        const auto* data = static_cast<const std::uint8_t*>(bytes);
        param.array.assign(data, data + size);
        break;
    }
    }
}

void OrvParamStorage::NotifyStored(const char* name)
{
    EntryPtr entry = Find(name);  // keeps the record alive through the listeners
    if (entry)
        Notify(entry->param.name, &entry->param);
}

int OrvParamStorage::SetParam(_OrvStParam* param, const void* bytes, std::size_t size)
{
    if (!param || (!bytes && size))
        return kOrvParamBadArgument;
    const bool fixed = param->type == OrvParam_Int || param->type == OrvParam_Float;
    if ((fixed && size != 8) || (param->type == OrvParam_Bool && size != 1))
        return kOrvParamBadArgument;
    EntryPtr entry = Find(param->name);
    std::lock_guard lock(mutex_);
    StoreBytes(*param, bytes, size);
    if (entry && &entry->param != param && entry->param.type == param->type)
        StoreBytes(entry->param, bytes, size);
    return 0;
}
