// The log record as the library sees it: the severity names, the record's defaults, the time
// and message strings handed out to log sites, and the normalised copy an engine passes to its
// channels (null texts replaced, source path shortened, severity named).
#pragma once

#include "logging/OrvLog.h"

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvlog {

/// The six severity names, "DEBUG" … "MANDATORY"; the parser hands out pointers into it.
extern const wchar_t* const kSeverityNames[6];
inline constexpr const wchar_t* kBadSeverity = L"bad severity";

/// The printed name of a severity: 6 prints as "MANDATORY", anything else outside 0-5
/// (compared unsigned) as "bad severity".
const wchar_t* SeverityName(std::int32_t severity);
/// The same name with its length.
std::wstring_view SeverityNameView(std::int32_t severity);

/// Record defaults: ids and line 0, texts null, severity 5, code -1, day -1.
void InitOwnLogRecord(_OwnLogRecord& record);

/// Wall-clock source for time strings, file dates and job-counter seeds. Returns false when
/// the time cannot be read. Tests install their own; an empty function restores the system's.
using WallClock = std::function<bool(std::chrono::system_clock::time_point& now)>;
void SetWallClock(WallClock clock);
bool ReadWallClock(std::chrono::system_clock::time_point& now);

/// Local calendar fields of one instant.
struct LocalTime {
    int day = -1, month = -1, year = -1, hour = 0, minute = 0, second = 0, millisecond = 0;
};
/// Reads the wall clock once and converts it to local time. False when the clock fails;
/// `converted` tells whether the calendar conversion worked.
bool ReadLocalTime(LocalTime& out, bool* converted = nullptr);

/// Message strings are cut at this many characters (the buffer holds one more).
inline constexpr std::size_t kMessageChars = 511;

/// printf-style into a new string of at most 511 characters (wide format, this platform's
/// conventions); the caller frees it with ReleaseString. Never fails: the failure text is a
/// constant that ReleaseString leaves alone.
wchar_t* FormatMessageV(const wchar_t* format, va_list args);
wchar_t* FormatMessageAV(const char* format, va_list args);
/// Formats into a std::wstring cut at `maxChars`.
std::wstring FormatWide(std::size_t maxChars, const wchar_t* format, ...);
char* MakeTimeString(_OwnLogRecord* record);
void ReleaseString(void* text);

/// The last two components of a source path ("app\Main.cpp" of "C:\src\app\Main.cpp"); both
/// '\' and '/' separate components. Looks at the first 259 characters only.
std::wstring_view ShortenSourcePath(const wchar_t* path);

/// A record prepared for the channels. Views point into the caller's record or constants.
struct NormalizedRecord {
    const _OwnLogRecord* record = nullptr;
    std::string_view timeText, moduleName, moduleTag, function;
    std::wstring_view sourceFile, message;
    std::wstring_view severityName;
    std::int32_t nestingLevel = 0;
    std::uint64_t jobId = 0;
};
/// Fills the fields that formats up to `level` print (all of them for 5); the rest stay empty.
NormalizedRecord Normalize(const _OwnLogRecord& record, int level = 5);

}  // namespace orvlog
