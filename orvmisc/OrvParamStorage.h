// The parameter store: named, typed parameter records whose typed get and set run the
// record's callbacks (camera register reads and writes) and then notify the listeners of that
// name. Records are kept in the order they were added. Callbacks may re-enter the store (a
// write that re-identifies the camera, a rebuild that clears the store); a record stays alive
// while a callback runs on it, and no lock is held across a callback.
#pragma once

#include "orvmisc/OrvParam.h"
#include "orvmisc/OrvParamListener.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// Results of the store besides 0 (success) and a callback's own result.
inline constexpr int kOrvParamUnknown = -1;       ///< no parameter of that name
inline constexpr int kOrvParamWrongType = -2;     ///< the typed call does not match the record
inline constexpr int kOrvParamBadArgument = -3;   ///< null name, name too long, bad size
inline constexpr int kOrvParamExists = -4;        ///< AddParam of a name already defined
inline constexpr int kOrvParamNoLink = -5;        ///< GetLinkedData of a record without a block
inline constexpr int kOrvParamTooSmall = -6;      ///< GetParametersList array too small
inline constexpr int kOrvParamNotSupported = -7;  ///< ChangeDir, GetDir, Update*Object
/// A changing callback answers this when a boolean is set to the value it holds; the set is
/// then vetoed and answers it too.
inline constexpr int kOrvParamUnchanged = 7001;

class OrvParamStorage {
public:
    explicit OrvParamStorage(std::uint32_t ownerId);
    OrvParamStorage(const OrvParamStorage&) = delete;
    OrvParamStorage& operator=(const OrvParamStorage&) = delete;
    virtual ~OrvParamStorage();

    std::uint32_t OwnerId() const { return ownerId_; }

    /// Adds a copy of the record (texts included). A name that exists already is refused.
    int AddParam(const _OrvStParam& param);
    /// Removes every record and linked block. Listeners stay registered by name. Safe while a
    /// callback of this store runs: the running record lives until the callback returns.
    int ClearStorage();
    /// Copies the stored record without camera access; `out` is untouched on failure.
    int GetParamData(const char* name, _OrvStParam* out) const;

    /// Keeps a copy of `size` bytes beside the named record (the register link record).
    int LinkParamData(const char* name, const void* block, std::size_t size);
    /// Copies the linked block into `block` (at most `size` bytes, the rest zeroed).
    /// Non-zero when the record is unknown or has no block.
    int GetLinkedData(const char* name, void* block, std::size_t size) const;

    /// Registers a borrowed listener for one name; registering the same pair twice keeps one.
    /// The listener leaves the store by itself when it is destroyed.
    int AddParamChangedListener(const char* name, OrvParamListener* listener);
    /// Removing a listener that is not registered does nothing.
    int RemoveParamChangedListener(const char* name, OrvParamListener* listener);

    virtual int ChangeDir(const char* dir);
    virtual int GetDir(char* buffer, std::size_t length);
    /// A typed set: changing callback (old value in the record, new value passed; non-zero
    /// vetoes and is answered), store the value, write callback (non-zero is answered, the
    /// record keeps its old value and no listener runs), echo callback, then, when `notify`, every listener of that name.
    virtual int SetParamInt(const char* name, std::int64_t value, bool notify);
    virtual int SetParamBool(const char* name, bool value, bool notify);
    virtual int SetParamFloat(const char* name, double value, bool notify);
    virtual int SetParamString(const char* name, const char* value, bool notify);
    virtual int SetParamArray(const char* name, const void* block, std::size_t size, bool notify);
    /// A typed get: read callback (non-zero is answered and `out` is untouched), echo callback,
    /// then the stored value. An integer get of a boolean answers 0 or 1.
    virtual int GetParamInt(const char* name, std::int64_t* out);
    virtual int GetParamBool(const char* name, bool* out);
    virtual int GetParamFloat(const char* name, double* out);
    /// Copies the text with a terminating zero, truncated to fit; `length` in: buffer size,
    /// out: characters copied (with a null buffer: the text's length).
    virtual int GetParamString(const char* name, char* buffer, std::size_t* length);
    /// Copies at most `*size` bytes; `size` out: the bytes copied (null block: the array size).
    virtual int GetParamArray(const char* name, void* block, std::size_t* size);
    virtual int UpdateToObject();
    virtual int UpdateFromObject();
    /// With a null array: `count` := number of records. Otherwise fills up to `*count` records
    /// in the store's order, sets `count` to the number filled and answers kOrvParamTooSmall
    /// when not all fitted.
    virtual int GetParametersList(_OrvStParam* list, std::size_t* count);

    /// Removes a dying listener from every store (called by ~OrvParamListener).
    static void ForgetListener(OrvParamListener* listener);

protected:
    /// Stores a value into a record without callbacks: size 8 (integer or floating point),
    /// 1 (boolean) or the string's byte count (no terminating zero needed). The stored record
    /// of the same name is updated too when `param` is a copy.
    int SetParam(_OrvStParam* param, const void* bytes, std::size_t size);
    /// Tells the listeners of `name` its stored record, as after a set with notify: for a value
    /// that reached the camera another way. Nothing for an unknown name.
    void NotifyStored(const char* name);

private:
    struct Entry {
        _OrvStParam param;
        std::vector<std::uint8_t> link;
        bool linked = false;
    };
    using EntryPtr = std::shared_ptr<Entry>;

    EntryPtr Find(const char* name) const;
    struct NewValue;
    int Set(const char* name, const NewValue& value, bool notify);
    int Get(const char* name, bool (*typeOk)(std::int32_t), EntryPtr& entry);
    template <typename T, typename Extract>
    int GetTyped(const char* name, T* out, bool (*typeOk)(std::int32_t), Extract extract);
    void Notify(const std::string& name, const _OrvStParam* param);
    static void StoreBytes(_OrvStParam& param, const void* bytes, std::size_t size);

    const std::uint32_t ownerId_;
    mutable std::mutex mutex_;                 ///< guards the records, never held across a callback
    std::vector<EntryPtr> order_;              ///< records in the order they were added
    std::map<std::string, EntryPtr> byName_;
    /// Listeners by parameter name; guarded by the process-wide listener mutex.
    std::map<std::string, std::vector<OrvParamListener*>> listeners_;
};
