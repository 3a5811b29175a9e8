// Line rules shared by the download-file parsers: lines end at "\n" with an optional "\r"
// before it; "--" opens a comment line; a tag line is ":" and a name, matched whole (":AFE1"
// is not ":AFE1N"); numbers are read from the line start as a formatted scan reads them
// ("%d,%d,%d" decimal, "%x %x" hexadecimal), with what follows the numbers ignored and values
// too large for 32 bits refused instead of wrapped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace download {

struct TextLine {
    std::string_view text;  ///< without its "\n" or "\r\n"
    int number = 0;         ///< 1-based
};

/// The lines of a file; a last line without a line end counts too.
std::vector<TextLine> SplitTextLines(std::string_view text);

/// Nothing but blanks (or nothing at all).
bool IsBlankLine(std::string_view line);
bool IsCommentLine(std::string_view line);  ///< begins with "--"
bool IsTagLine(std::string_view line);      ///< begins with ":"
/// The line is exactly `tag`, or `tag` followed by a blank and anything.
bool IsTag(std::string_view line, std::string_view tag);
/// The tag of a tag line: ":" and what follows up to the first blank.
std::string_view TagName(std::string_view line);

/// Result of a formatted scan: how many numbers were read (the scan stops at the first that
/// does not fit the format), and whether a number was too large for 32 bits (then `count`
/// stops before it).
struct ScannedNumbers {
    int count = 0;
    bool overflow = false;
    std::int64_t values[3] = {};
};

/// "%d,%d" (maxCount 2) or "%d,%d,%d" (maxCount 3): blanks and a sign before each number, a
/// comma right after each number but the last. Values must fit a signed 32-bit integer.
ScannedNumbers ScanDecimals(std::string_view line, int maxCount);

/// "%x %x": blanks before each number, an optional "0x", hexadecimal digits; unsigned 32-bit.
ScannedNumbers ScanHexPair(std::string_view line);

/// A line quoted for a message: at most 40 characters, control bytes as "?".
std::string QuoteLine(std::string_view line);

}  // namespace download
