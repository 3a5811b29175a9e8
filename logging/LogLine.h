// The five text formats by which a channel turns a record into one line. Lines are built in
// UTF-16 code units, the unit of the log file, so "ML" and the 4095-unit cap count what the
// file holds.
#pragma once

#include "logging/LogRecord.h"

#include <string>

namespace orvlog {

/// Longest line a channel writes, in UTF-16 units.
inline constexpr std::size_t kMaxLineUnits = 4095;

/// Builds the line of format `level` (1-5; any other level gives an empty line) into `out`.
/// A line that would be longer than kMaxLineUnits is cut; at levels 4 and 5 only the message
/// is shortened and "ML" gives the units of message actually written.
void FormatLine(int level, const NormalizedRecord& record, std::u16string& out);

/// Appends wide text as UTF-16 (values that are not characters become U+FFFD).
void AppendWide(std::u16string& out, std::wstring_view text);
/// Appends UTF-8 text as UTF-16.
void AppendNarrow(std::u16string& out, std::string_view text);

}  // namespace orvlog
