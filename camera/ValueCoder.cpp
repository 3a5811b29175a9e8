#include "ValueCoder.h"

#include <cmath>
#include <limits>
#include <strings.h>

namespace ValueCoder {

std::uint32_t ShiftUp(std::uint32_t value, int shift)
{
    return (shift >= 0 && shift < 32) ? value << shift : 0u;
}

std::uint32_t ShiftDown(std::uint32_t word, int shift)
{
    return (shift >= 0 && shift < 32) ? word >> shift : 0u;
}

std::optional<std::uint32_t> EncodeInteger(std::int64_t value, std::uint32_t mask, int shift)
{
    if (mask == 0)
        return std::nullopt;
    return ShiftUp(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & mask), shift);
}

std::optional<std::uint32_t> EncodeBaudRate(std::int64_t value, std::uint32_t mask)
{
    if (mask == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & mask);
}

std::optional<std::uint32_t> EncodeSignMagnitude(std::int32_t value, std::uint32_t mask, int shift)
{
    if (mask == 0)
        return std::nullopt;
    // (mask + 1) / 2 computed in 64 bits so a full 32-bit mask keeps its top bit.
    const auto signBit = static_cast<std::uint32_t>((static_cast<std::uint64_t>(mask) + 1) / 2);
    const std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    return ShiftUp((magnitude | (value < 0 ? signBit : 0u)) & mask, shift);
}

std::optional<std::uint32_t> EncodeBoolean(bool value, std::uint32_t mask, int shift)
{
    if (mask == 0)
        return std::nullopt;
    return ShiftUp((value ? 1u : 0u) & mask, shift);
}

namespace {

/// (value - minimum) / step truncated toward zero into 32 bits: raw 0 for a zero step or a value
/// that is not a number; values out of range saturate.
std::int32_t RawFloatField(double value, double minimum, double step)
{
    if (step == 0.0)
        return 0;
    const double scaled = std::trunc((value - minimum) / step);
    if (std::isnan(scaled))
        return 0;
    if (scaled >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (scaled <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(scaled);
}

}  // namespace

std::optional<std::uint32_t> EncodeFloat(double value, double minimum, double step, std::uint32_t mask, int shift)
{
    if (mask == 0)
        return std::nullopt;
    return ShiftUp(static_cast<std::uint32_t>(RawFloatField(value, minimum, step)) & mask, shift);
}

bool FloatFieldHolds(double value, double minimum, double step, std::uint32_t mask)
{
    const std::int32_t raw = RawFloatField(value, minimum, step);
    return raw >= 0 && static_cast<std::uint32_t>(raw) <= mask;
}

double LargestFloat(double minimum, double step, std::uint32_t mask) { return minimum + mask * step; }

std::optional<std::uint32_t> EncodeString(std::string_view text)
{
    if (text.size() > 4)
        return std::nullopt;
    unsigned char bytes[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<unsigned char>(text[i]);
    return BytesToWord(bytes);
}

std::optional<std::uint32_t> EncodeParam(const _OrvStParam& param, const RegisterLink& link)
{
    switch (param.type) {
    case OrvParam_Int:
        if (::strcasecmp(param.name, "BaudRate") == 0)
            return EncodeBaudRate(param.value.n, link.mask);
        if (::strcasecmp(param.name, "BitShift") == 0)
            return EncodeSignMagnitude(static_cast<std::int32_t>(param.value.n), link.mask, link.shift);
        return EncodeInteger(param.value.n, link.mask, link.shift);
    case OrvParam_Bool:
        return EncodeBoolean(param.value.b.value != 0, link.mask, link.shift);
    case OrvParam_Float:
        return EncodeFloat(param.value.d, param.min.d, param.def.d, link.mask, link.shift);
    case OrvParam_String:
        if (link.mask == 0)
            return std::nullopt;
        return EncodeString(param.text);
    default:
        return std::nullopt;
    }
}

std::uint32_t DecodeField(std::uint32_t word, std::uint32_t mask, int shift) { return ShiftDown(word, shift) & mask; }

bool DecodeBoolean(std::uint32_t word, std::uint32_t mask, int shift) { return DecodeField(word, mask, shift) != 0; }

bool DecodePing(std::uint32_t word, std::uint32_t mask, int shift)
{
    return DecodeField(word, mask, shift) == kPingAnswer;
}

double DecodeFloat(std::uint32_t word, std::uint32_t mask, int shift, double minimum, double step, double maximum)
{
    const std::uint32_t field = DecodeField(word, mask, shift);
    const double value = static_cast<double>(field) * step + minimum;
    if (value <= maximum)
        return value;
    // The field is negative in the mask's width; the difference is a signed 32-bit number.
    const auto difference = static_cast<std::int32_t>(field - mask - 1u);
    return static_cast<double>(difference) * step + minimum;
}

void WordToBytes(std::uint32_t word, unsigned char bytes[4])
{
    bytes[0] = static_cast<unsigned char>(word >> 24);
    bytes[1] = static_cast<unsigned char>(word >> 16);
    bytes[2] = static_cast<unsigned char>(word >> 8);
    bytes[3] = static_cast<unsigned char>(word);
}

std::uint32_t BytesToWord(const unsigned char bytes[4])
{
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16)
           | (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

}  // namespace ValueCoder
