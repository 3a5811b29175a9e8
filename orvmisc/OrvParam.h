// The parameter record of the store: a named, typed camera parameter with its four callbacks,
// its current value, its default (or step) and its limits. A record handed out by the store is
// a self-contained copy; its texts are owned strings, never pointers into the store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum OrvParamType : std::int32_t {
    OrvParam_Int = 0,
    OrvParam_Bool = 1,
    OrvParam_Float = 2,
    OrvParam_String = 3,
    OrvParam_Array = 4,
};

enum OrvParamAccess : std::int32_t {
    OrvParam_Unk = 0,
    OrvParam_Read = 1,
    OrvParam_Write = 2,
    OrvParam_ReadWrite = 3,
    OrvParam_ReadModfyWrite = 7,
};

struct _OrvStParam;

/// Callbacks receive the store's owner id (the camera link's instance id) and the live record.
/// `newValue` points at the value being set: int64_t, double, uint8_t (boolean), the string's
/// characters (zero-terminated) or the array bytes.
using OrvParamReadCallback = int (*)(std::uint32_t ownerId, _OrvStParam* param);
using OrvParamEchoCallback = int (*)(std::uint32_t ownerId, _OrvStParam* param, const void* newValue);
using OrvParamChangingCallback = int (*)(std::uint32_t ownerId, _OrvStParam* param, const void* newValue);
using OrvParamWriteCallback = int (*)(std::uint32_t ownerId, _OrvStParam* param);

/// One 8-byte slot: an integer, a double, or a boolean byte followed by its default byte.
union OrvParamValue {
    std::int64_t n;
    double d;
    struct {
        std::uint8_t value;
        std::uint8_t def;
    } b;
};
static_assert(sizeof(OrvParamValue) == 8);

inline constexpr std::size_t kOrvParamNameMax = 255;

struct _OrvStParam {
    std::int32_t type = OrvParam_Int;
    std::int32_t access = OrvParam_Unk;
    char name[kOrvParamNameMax + 1] = {};
    OrvParamReadCallback read = nullptr;
    OrvParamEchoCallback echo = nullptr;
    OrvParamChangingCallback changing = nullptr;
    OrvParamWriteCallback write = nullptr;
    OrvParamValue value{};   ///< integer, floating point, boolean (value byte, default byte)
    OrvParamValue def{};     ///< integer default, floating-point step
    OrvParamValue min{};     ///< integer or floating-point minimum
    OrvParamValue max{};     ///< integer or floating-point maximum
    std::string text;        ///< string value
    std::string defText;     ///< string default
    std::vector<std::uint8_t> array;  ///< array value
    std::uint16_t reserved = 0;
};
