#include "camera/ParamDefinition.h"

#include "camera/CameraLink.h"
#include "camera/RegisterLink.h"
#include "orvmisc/OrvParamStorage.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint16_t kPagedAddress = 0xA018;

/// A record of `type` with the link's four callbacks and the name copied in; false when the name
/// does not fit the record.
bool StartRecord(_OrvStParam& param, OrvParamType type, std::int32_t access, std::string_view name)
{
    if (name.empty() || name.size() > kOrvParamNameMax)
        return false;
    param = _OrvStParam{};
    param.type = type;
    param.access = access;
    std::memcpy(param.name, name.data(), name.size());
    param.read = CCameraLink::ParamReadCallback;
    param.echo = CCameraLink::ParamEchoCallback;
    param.changing = CCameraLink::ParamChangingCallback;
    param.write = CCameraLink::ParamWriteCallback;
    return true;
}

/// AddParam, the listener when given, then the register link.
int Define(OrvParamStorage& store, const _OrvStParam& param, const CXmlNodeValue& node, std::string_view path,
           std::uint32_t maskOverride, OrvParamListener* listener)
{
    if (const int result = store.AddParam(param); result != 0)
        return result;
    if (listener)
        store.AddParamChangedListener(param.name, listener);
    LinkRegisterData(store, param.name, node, param.name, path, maskOverride);
    return 0;
}

/// "Register map <source>: parameter <name> (<element path>): <text>"
void WarnLink(const CXmlNodeValue& element, std::string_view paramName, const char* format, std::int64_t value)
{
    char text[160];
    std::snprintf(text, sizeof text, format, value);
    ReportRegisterMapWarning("Register map " + (element.Document() ? element.Document()->Source() : std::string())
                             + ": parameter " + std::string(paramName) + " (" + element.Path() + "): " + text);
}

std::int32_t TapCount(CCameraLink& link, const char* name, bool* entryIsZero = nullptr)
{
    const std::int64_t raw = GetParamIntValue(link, name);
    RegisterLink reg;
    if (GetRegisterLink(link, name, reg) != 0 || !link.m_pRegisterMap)
        return 1;
    std::int32_t count = 0;
    if (!GetEnumValueById(*link.m_pRegisterMap, raw, count, reg.path))
        return 1;
    if (count == 0 && entryIsZero)
        *entryIsZero = true;
    // A count below 1 would divide the panels' tap arithmetic by zero or less.
    return count < 1 ? 1 : count;
}

}  // namespace

IntLimits WidenIntLimits(IntLimits limits, std::int32_t access, bool debugMode)
{
    if (!debugMode || access <= 1)
        return limits;
    if (limits.min > 0)
        limits.min = 0;
    if (limits.max < kDebugWideLimit)
        limits.max = kDebugWideLimit;
    if (limits.mask < kDebugWideLimit)
        limits.mask = kDebugWideLimit;
    return limits;
}

int AddIntParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                std::int32_t access, std::int64_t min, std::int64_t max, std::int64_t mask, std::int64_t defaultValue,
                bool debugMode, OrvParamListener* listener)
{
    const IntLimits limits = WidenIntLimits({min, max, mask}, access, debugMode);
    _OrvStParam param;
    if (!StartRecord(param, OrvParam_Int, access, name))
        return kOrvParamBadArgument;
    param.def.n = defaultValue;
    param.min.n = limits.min;
    param.max.n = limits.max;
    return Define(store, param, node, path, static_cast<std::uint32_t>(limits.mask), listener);
}

int AddBoolParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                 std::int32_t access, bool defaultValue, OrvParamListener* listener)
{
    _OrvStParam param;
    if (!StartRecord(param, OrvParam_Bool, access, name))
        return kOrvParamBadArgument;
    param.value.b.def = defaultValue ? 1 : 0;
    return Define(store, param, node, path, 0, listener);
}

int AddFloatParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                  std::int32_t access, double min, double max, double step)
{
    _OrvStParam param;
    if (!StartRecord(param, OrvParam_Float, access, name))
        return kOrvParamBadArgument;
    param.def.d = step;
    param.min.d = min;
    param.max.d = max;
    return Define(store, param, node, path, 0, nullptr);
}

int AddStringParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                   std::int32_t access, std::string_view defaultText, OrvParamListener* listener)
{
    _OrvStParam param;
    if (!StartRecord(param, OrvParam_String, access, name))
        return kOrvParamBadArgument;
    param.defText.assign(defaultText);
    return Define(store, param, node, path, 0, listener);
}

int LinkRegisterData(OrvParamStorage& store, std::string_view paramName, const CXmlNodeValue& node,
                     std::string_view elementName, std::string_view path, std::uint32_t maskOverride)
{
    const CXmlNodeValue element = elementName.empty() ? node : node.Select(elementName);
    if (!element)
        return kOrvParamNoLink;

    RegisterLink link;
    const std::int64_t address = element.Select("address").AsInt64();
    link.address = static_cast<std::uint16_t>(address);
    link.mask = maskOverride != 0 ? maskOverride : static_cast<std::uint32_t>(element.Select("mask").AsInt64());
    const std::int64_t shift = element.Select("shift").AsInt64();
    link.shift = static_cast<std::int32_t>(shift);
    link.cmd = element.Select("cmd").AsString();
    if (link.cmd.size() > RegisterLink::kCmdMax)
        link.cmd.resize(RegisterLink::kCmdMax);
    link.path.assign(path);
    // Modulo 2^32, so a poll of the 64-bit minimum cannot overflow.
    link.poll = static_cast<std::int32_t>(static_cast<std::uint64_t>(element.Select("poll").AsInt64()) - 1u);
    link.page = static_cast<std::int32_t>(element.Select("page").AsInt64());
    link.seq = static_cast<std::int32_t>(element.Select("seq").AsInt64());
    link.ws = element.Select("ws").AsBool();

    if (link.address != kPagedAddress && link.page == 0 && link.seq == 0)
        link.page = -1;

    if (address < 0 || address > 0xFFFF)
        WarnLink(element, paramName, "address %" PRId64 " does not fit 16 bits; its low 16 bits are used", address);
    if (shift < 0 || shift > 31) {
        // No 32-bit register has such a field: the parameter stays off the wire.
        WarnLink(element, paramName, "shift %" PRId64 " is outside 0..31; the parameter sends and reads nothing", shift);
        link.mask = 0;
    }
    return LinkRegister(store, std::string(paramName).c_str(), link);
}

std::int32_t GetParamIntValue(OrvParamStorage& store, const char* name)
{
    if (!name || !*name)
        return 0;
    std::int64_t value = 0;
    if (store.GetParamInt(name, &value) != 0)
        return 0;
    return static_cast<std::int32_t>(value);
}

std::int32_t GetTapsMax(CCameraLink& link) { return TapCount(link, "TapsMax"); }

std::int32_t GetTapsAllowed(CCameraLink& link)
{
    bool entryIsZero = false;
    const std::int32_t count = TapCount(link, "TapsAllowed", &entryIsZero);
    return entryIsZero ? GetTapsMax(link) : count;
}

std::int32_t GetActiveTaps(CCameraLink& link) { return TapCount(link, "ActiveTaps"); }

void CCameraLink::UpdateFrameSizeLimits()
{
    const std::int64_t horizontal = GetParamIntValue(*this, "BinHorzMode");
    const std::int64_t vertical = GetParamIntValue(*this, "BinVertMode");
    // The camera reports its frame-size limits for unbinned frames only.
    if (horizontal != 0)
        SetParamIntIfOnline("BinHorzMode", 0, true, false);
    if (vertical != 0)
        SetParamIntIfOnline("BinVertMode", 0, true, false);

    // A limit that cannot be read keeps its previous value.
    struct Limit {
        const char* name;
        std::int32_t* member;
    };
    const Limit limits[] = {{"HorFrameSizeMin", &m_nWidthMin},
                            {"HorFrameSizeMax", &m_nWidthMax},
                            {"VerFrameSizeMin", &m_nHeightMin},
                            {"VerFrameSizeMax", &m_nHeightMax}};
    for (const Limit& limit : limits) {
        std::int64_t value = 0;
        if (GetParamInt(limit.name, &value) == 0)
            *limit.member = static_cast<std::int32_t>(value);
    }
    m_nImageWidthMax = m_nWidthMax;
    m_nImageHeightMax = m_nHeightMax;

    if (horizontal != 0)
        SetParamIntIfOnline("BinHorzMode", horizontal, true, false);
    if (vertical != 0)
        SetParamIntIfOnline("BinVertMode", vertical, true, false);
}
