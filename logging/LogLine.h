// The five text formats by which a channel turns a record into one line. Lines are built in
// UTF-16 code units, the unit of the log file, so "ML" and the 4095-unit cap count what the
// file holds.
#pragma once

#include "logging/LogRecord.h"

#include <string>

namespace orvlog {

/// Longest line a channel writes, in UTF-16 units.
inline constexpr std::size_t kMaxLineUnits = 4095;

/// Room for one line and the scratch its formatting needs; reused from record to record.
struct LineBuffer {
    char16_t line[kMaxLineUnits];
    char16_t scratch[kMaxLineUnits];
};

/// The upper-case hexadecimal digits of `value` without leading zeros (at least one), most
/// significant first, as the job id prints; returns how many were written.
std::size_t HexDigits(std::uint64_t value, char16_t (&digits)[16]);

/// Builds the line of format `level` (1-5; any other level gives an empty line) into the
/// buffer and returns it. A line that would be longer than kMaxLineUnits is cut; at levels 4
/// and 5 only the message is shortened and "ML" gives the units of message actually written.
std::u16string_view FormatLine(int level, const NormalizedRecord& record, LineBuffer& buffer);

}  // namespace orvlog
