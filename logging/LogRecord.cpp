#include "logging/LogRecord.h"

#include "platform/TextConv.h"

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <locale.h>
#include <mutex>
#include <string>

namespace orvlog {

const wchar_t* const kSeverityNames[6] = {L"DEBUG", L"TRACE", L"NOTICE", L"WARNING", L"ERROR", L"MANDATORY"};

namespace {

// Failure texts are constants: ReleaseString recognises them and frees nothing.
const char kTimeFailure[] = "error_data error_time";
const wchar_t kMessageFailure[] = L"Can't prepare error message";
constexpr std::size_t kTimeBytes = 32;

std::mutex& ClockMutex() { static auto* m = new std::mutex; return *m; }
WallClock& ClockSlot() { static auto* c = new WallClock; return *c; }

// Narrow arguments of wide formats are UTF-8, whatever locale the program runs in.
locale_t Utf8Locale()
{
    static const locale_t locale = [] {
        locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

class ScopedUtf8Locale {
public:
    ScopedUtf8Locale() : previous_(Utf8Locale() ? ::uselocale(Utf8Locale()) : nullptr) {}
    ~ScopedUtf8Locale() { if (previous_) ::uselocale(previous_); }
    ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
    ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

private:
    locale_t previous_;
};

// Formats into `buffer` of `size` characters; output that does not fit is cut, never refused
// (glibc writes the part that fits and terminates it before answering -1).
void FormatInto(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args)
{
    buffer[0] = L'\0';
    if (format) {
        ScopedUtf8Locale utf8;
        std::vswprintf(buffer, size, format, args);
    }
    buffer[size - 1] = L'\0';
}

// Drops a multi-byte sequence that a cut left incomplete at the end of UTF-8 text.
std::size_t CompleteUtf8Length(const char* text, std::size_t length)
{
    std::size_t start = length;
    while (start > 0 && length - start < 4 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return length;
    const auto lead = static_cast<unsigned char>(text[start - 1]);
    std::size_t need = 1;
    if ((lead & 0xE0) == 0xC0) need = 2;
    else if ((lead & 0xF0) == 0xE0) need = 3;
    else if ((lead & 0xF8) == 0xF0) need = 4;
    else return length;
    return (length - (start - 1) < need) ? start - 1 : length;
}

wchar_t* CopyWide(std::wstring_view text)
{
    auto* out = static_cast<wchar_t*>(std::malloc((kMessageChars + 1) * sizeof(wchar_t)));
    if (!out)
        return const_cast<wchar_t*>(kMessageFailure);
    const std::size_t n = std::min(text.size(), kMessageChars);
    std::wmemcpy(out, text.data(), n);
    out[n] = L'\0';
    return out;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Index into kSeverityNames, 6 for "bad severity".
std::uint32_t SeverityIndex(std::int32_t severity)
{
    const auto index = static_cast<std::uint32_t>(severity);
    return index == 6 ? 5 : std::min(index, 6u);
}

}  // namespace

const wchar_t* SeverityName(std::int32_t severity)
{
    const std::uint32_t index = SeverityIndex(severity);
    return index == 6 ? kBadSeverity : kSeverityNames[index];
}

std::wstring_view SeverityNameView(std::int32_t severity)
{
    static const std::array<std::wstring_view, 7> names = {kSeverityNames[0], kSeverityNames[1], kSeverityNames[2],
                                                           kSeverityNames[3], kSeverityNames[4], kSeverityNames[5],
                                                           kBadSeverity};
    return names[SeverityIndex(severity)];
}

void InitOwnLogRecord(_OwnLogRecord& record)
{
    record.processId = 0;
    record.threadId = 0;
    record.timeText = nullptr;
    record.moduleName = nullptr;
    record.moduleTag = nullptr;
    record.sourceFile = nullptr;
    record.function = nullptr;
    record.line = 0;
    record.severity = OL_MANDATORY;
    record.code = -1;
    record.message = nullptr;
    record.day = -1;
}

void SetWallClock(WallClock clock)
{
    std::lock_guard lock(ClockMutex());
    ClockSlot() = std::move(clock);
}

bool ReadWallClock(std::chrono::system_clock::time_point& now)
{
    {
        std::lock_guard lock(ClockMutex());
        if (ClockSlot())
            return ClockSlot()(now);
    }
    now = std::chrono::system_clock::now();
    return true;
}

bool ReadLocalTime(LocalTime& out, bool* converted)
{
    std::chrono::system_clock::time_point now;
    if (!ReadWallClock(now))
        return false;
    const auto since = now.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(since);
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm fields{};
    const bool ok = ::localtime_r(&whole, &fields) != nullptr;
    if (converted)
        *converted = ok;
    if (!ok)
        return true;
    out.day = fields.tm_mday;
    out.month = fields.tm_mon + 1;
    out.year = fields.tm_year + 1900;
    out.hour = fields.tm_hour;
    out.minute = fields.tm_min;
    out.second = fields.tm_sec;
    out.millisecond = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(since - seconds).count());
    return true;
}

wchar_t* FormatMessageV(const wchar_t* format, va_list args)
{
    auto* out = static_cast<wchar_t*>(std::malloc((kMessageChars + 1) * sizeof(wchar_t)));
    if (!out)
        return const_cast<wchar_t*>(kMessageFailure);
    FormatInto(out, kMessageChars + 1, format, args);
    return out;
}

wchar_t* FormatMessageAV(const char* format, va_list args)
{
    char narrow[kMessageChars + 1];
    narrow[0] = '\0';
    if (format)
        std::vsnprintf(narrow, sizeof narrow, format, args);
    narrow[kMessageChars] = '\0';
    const std::size_t length = CompleteUtf8Length(narrow, std::strlen(narrow));
    return CopyWide(platform::Utf8ToWide(std::string_view(narrow, length)));
}

std::wstring FormatWide(std::size_t maxChars, const wchar_t* format, ...)
{
    std::wstring out(maxChars + 1, L'\0');
    va_list args;
    va_start(args, format);
    FormatInto(out.data(), out.size(), format, args);
    va_end(args);
    out.resize(std::wcslen(out.c_str()));
    return out;
}

char* MakeTimeString(_OwnLogRecord* record)
{
    LocalTime now;
    bool converted = false;
    if (!ReadLocalTime(now, &converted) || !converted)
        return const_cast<char*>(kTimeFailure);
    auto* out = static_cast<char*>(std::malloc(kTimeBytes));
    if (!out)
        return const_cast<char*>(kTimeFailure);
    std::snprintf(out, kTimeBytes, "%02d.%02d.%d %02d:%02d:%02d.%hu", now.day, now.month, now.year, now.hour,
                  now.minute, now.second, static_cast<unsigned short>(now.millisecond));
    if (record) {
        record->day = now.day;
        record->month = now.month;
        record->year = now.year;
    }
    return out;
}

void ReleaseString(void* text)
{
    if (!text || text == kTimeFailure || text == kMessageFailure)
        return;
    std::free(text);
}

std::wstring_view ShortenSourcePath(const wchar_t* path)
{
    const std::wstring_view whole(path, ::wcsnlen(path, 259));
    // The next-to-last separator, searched from the end.
    int seen = 0;
    for (std::size_t i = whole.size(); i-- > 0;)
        if (IsSeparator(whole[i]) && ++seen == 2)
            return whole.substr(i + 1);
    return whole;
}

NormalizedRecord Normalize(const _OwnLogRecord& record, int level)
{
    static constexpr std::string_view kUndefined = "undefined";
    static constexpr std::wstring_view kUndefinedW = L"undefined";
    const auto narrow = [](const char* text) { return text ? std::string_view(text) : kUndefined; };
    // Filled field by field: zeroing the whole record first costs more than the fields.
    std::string_view timeText, moduleName, moduleTag, function;
    std::wstring_view sourceFile;
    if (level >= 3) {
        function = narrow(record.function);
        sourceFile = record.sourceFile ? ShortenSourcePath(record.sourceFile) : kUndefinedW;
    }
    if (level >= 4)
        timeText = narrow(record.timeText);
    if (level >= 5) {
        moduleName = narrow(record.moduleName);
        moduleTag = narrow(record.moduleTag);
    }
    return NormalizedRecord{&record,
                            timeText,
                            moduleName,
                            moduleTag,
                            function,
                            sourceFile,
                            record.message ? std::wstring_view(record.message) : kUndefinedW,
                            SeverityNameView(record.severity),
                            0,
                            0};
}

}  // namespace orvlog
