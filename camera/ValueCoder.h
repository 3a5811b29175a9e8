// Coding of parameter values into and out of the camera's 32-bit register words. A field is
// the bits `mask << shift` of a word: written values are masked first and shifted up last, read
// words are shifted down first and masked second. Pure functions: no I/O, no store, no logging.
// The camera link codes its frames here and the workspace writer its lines, so a saved
// workspace replays to exactly the registers it was saved from.
#pragma once

#include "camera/RegisterLink.h"
#include "orvmisc/OrvParam.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace ValueCoder {

/// `value << shift` in 32 bits; a shift outside 0..31 contributes nothing.
std::uint32_t ShiftUp(std::uint32_t value, int shift);
/// `word >> shift`; a shift outside 0..31 gives 0.
std::uint32_t ShiftDown(std::uint32_t word, int shift);

// Writes. Each gives the register word, or nothing when no frame may be sent (mask 0: the
// field has no bits in the camera; a string longer than 4 characters).

/// Low 32 bits of (value AND mask), shifted up.
std::optional<std::uint32_t> EncodeInteger(std::int64_t value, std::uint32_t mask, int shift);
/// The baud-rate code: (value AND mask), never shifted.
std::optional<std::uint32_t> EncodeBaudRate(std::int64_t value, std::uint32_t mask);
/// Sign-magnitude in the mask's width: the sign bit is the mask's top bit ((mask + 1) / 2).
/// With mask 0x0F, -1 codes as 0x9 and 3 as 0x3.
std::optional<std::uint32_t> EncodeSignMagnitude(std::int32_t value, std::uint32_t mask, int shift);
std::optional<std::uint32_t> EncodeBoolean(bool value, std::uint32_t mask, int shift);
/// Raw field = (value - minimum) / step, truncated toward zero into 32 bits (a zero step or a
/// value that is not a number gives raw 0; out-of-range values saturate), then masked and shifted.
std::optional<std::uint32_t> EncodeFloat(double value, double minimum, double step, std::uint32_t mask, int shift);
/// Whether the raw field EncodeFloat codes for `value` lies in 0..mask, so that no bit of it is
/// lost: past the field's last step a value would arrive wrapped (with mask 0x0FFF and step
/// 1/1024 from 0, 4.0 codes as 0).
bool FloatFieldHolds(double value, double minimum, double step, std::uint32_t mask);
/// The value of the field's last step: minimum + mask * step.
double LargestFloat(double minimum, double step, std::uint32_t mask);
/// Up to 4 characters, the first in the most significant byte, the rest zero.
std::optional<std::uint32_t> EncodeString(std::string_view text);

/// The word a camera write of the record's value sends to its register: by type, with the
/// named special cases ("BaudRate" unshifted, "BitShift" sign-magnitude). Nothing for mask 0,
/// a string of 5 or more characters or an array.
std::optional<std::uint32_t> EncodeParam(const _OrvStParam& param, const RegisterLink& link);

// Reads.

/// (word >> shift) AND mask, as an unsigned field.
std::uint32_t DecodeField(std::uint32_t word, std::uint32_t mask, int shift);
/// Field non-zero.
bool DecodeBoolean(std::uint32_t word, std::uint32_t mask, int shift);
/// The camera's answer to a "Ping" read is true only for this exact field.
inline constexpr std::uint32_t kPingAnswer = 0x76543210;
bool DecodePing(std::uint32_t word, std::uint32_t mask, int shift);
/// field * step + minimum; above `maximum` the field is taken as negative in the mask's width:
/// (field - mask - 1) * step + minimum.
double DecodeFloat(std::uint32_t word, std::uint32_t mask, int shift, double minimum, double step, double maximum);
/// The four bytes of a word, most significant first (the camera's order of characters).
void WordToBytes(std::uint32_t word, unsigned char bytes[4]);
std::uint32_t BytesToWord(const unsigned char bytes[4]);

}  // namespace ValueCoder
