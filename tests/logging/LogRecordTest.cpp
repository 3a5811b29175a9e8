#include "LogTestSupport.h"

#include "logging/LogEngine.h"
#include "logging/LogLine.h"

#include <cstdlib>

using namespace orvlog;
using namespace orvlog::test;

namespace {

std::wstring Line(int level, const NormalizedRecord& record)
{
    auto buffer = std::make_unique<LineBuffer>();
    return platform::Utf16ToWide(FormatLine(level, record, *buffer));
}

class LogRecordTest : public LogFixture {};

}  // namespace

// Example failure: milliseconds padded to three digits, month and day swapped, or the date
// fields not stamped into the record.
TEST_F(LogRecordTest, TimeStringIsDayFirstWithUnpaddedMillisecondsAndStampsTheDate)
{
    SetClock(UtcTime(2024, 3, 5, 9, 4, 7, 21));
    _OwnLogRecord record{};
    InitOwnLogRecord(record);
    char* time = OLGetTimeStr(&record);
    EXPECT_STREQ(time, "05.03.2024 09:04:07.21");
    EXPECT_EQ(record.day, 5);
    EXPECT_EQ(record.month, 3);
    EXPECT_EQ(record.year, 2024);
    OLDestroyInternalStr(&time, nullptr);
    EXPECT_EQ(time, nullptr);

    // A null record still gets its string.
    char* bare = OLGetTimeStr(nullptr);
    EXPECT_STREQ(bare, "05.03.2024 09:04:07.21");
    OLDestroyInternalStr(&bare, nullptr);
}

// Example failure: a clock failure leaves a garbage string or overwrites the record's date, or
// OLDestroyInternalStr frees the constant failure text.
TEST_F(LogRecordTest, ClockFailureGivesTheFailureTextAndKeepsTheDate)
{
    SetWallClock([](std::chrono::system_clock::time_point&) { return false; });
    _OwnLogRecord record{};
    InitOwnLogRecord(record);
    record.month = 8;
    char* time = OLGetTimeStr(&record);
    EXPECT_STREQ(time, "error_data error_time");
    EXPECT_EQ(record.day, -1);
    EXPECT_EQ(record.month, 8);
    OLDestroyInternalStr(&time, nullptr);  // must not free the constant (ASan would tell)
    EXPECT_EQ(time, nullptr);
}

// Example failure: a long message overruns the 512-character buffer, comes back empty because
// the C library refused it, or a cut UTF-8 sequence turns into a replacement character.
TEST_F(LogRecordTest, MessageStringsAreCutAt511Characters)
{
    const std::wstring longText(600, L'x');
    struct Case {
        const char* name;
        wchar_t* text;
        std::wstring expected;
    };
    const std::string longNarrow(509, 'a');
    const Case cases[] = {
        {"wide, 600 characters", OLGetErrorStrW(L"%ls", longText.c_str()), std::wstring(511, L'x')},
        {"wide, arguments", OLGetErrorStrW(L"%ls=%d, %s, %05.1f", L"gain", -3, "caf\xC3\xA9", 2.5),
         L"gain=-3, caf\u00e9, 002.5"},
        {"narrow, arguments", OLGetErrorStrA("%s %d %x", "Corvel", 42, 255u), L"Corvel 42 ff"},
        // 509 ASCII bytes and a 3-byte character: the cut at 511 leaves 2 of its bytes, dropped.
        {"narrow, cut inside a character", OLGetErrorStrA("%s\xE2\x82\xAC", longNarrow.c_str()),
         std::wstring(509, L'a')},
        {"null wide format", OLGetErrorStrW(nullptr), L""},
        {"null narrow format", OLGetErrorStrA(nullptr), L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.text, nullptr);
        EXPECT_EQ(std::wstring(c.text), c.expected);
        wchar_t* text = c.text;
        OLDestroyInternalStr(nullptr, &text);
        EXPECT_EQ(text, nullptr);
    }
}

// Example failure: severity 6 printed as "bad severity", or a negative severity indexes
// before the name table.
TEST(SeverityName, NamesSixSeveritiesAndTreatsEverythingElseAsBad)
{
    const std::pair<int, const wchar_t*> cases[] = {
        {0, L"DEBUG"}, {1, L"TRACE"}, {2, L"NOTICE"}, {3, L"WARNING"}, {4, L"ERROR"},
        {5, L"MANDATORY"}, {6, L"MANDATORY"}, {7, L"bad severity"}, {-1, L"bad severity"},
        {INT32_MIN, L"bad severity"},
    };
    for (const auto& [severity, name] : cases) {
        SCOPED_TRACE(severity);
        EXPECT_STREQ(SeverityName(severity), name);
    }
}

// Example failure: the last component only, or the whole path, printed for a source file.
TEST(ShortenSourcePath, KeepsTheLastTwoComponents)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\src\\app\\Main.cpp", L"app\\Main.cpp"},
        {L"Main.cpp", L"Main.cpp"},
        {L"..\\Main.cpp", L"..\\Main.cpp"},
        {L"/home/build/corvel/app/Main.cpp", L"app/Main.cpp"},
        {L"", L""},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(platform::WideToUtf8(path));
        EXPECT_EQ(ShortenSourcePath(path), std::wstring_view(expected));
    }
}

// Example failure: a label, separator or field order differs from what readers of the log
// expect, or the job id is padded.
TEST_F(LogRecordTest, FiveFormatsByLevel)
{
    _OwnLogRecord record = Record(OL_WARNING, L"Exposure 12.5 ms; frame 40 ms", 1);
    record.timeText = "09.12.2026 10:30:15.7";
    NormalizedRecord n = Normalize(record);
    n.jobId = MakeJobId(77, 0x12345);
    n.nestingLevel = 1;
    const std::pair<int, std::wstring> cases[] = {
        {1, L"WARNING: 1; Exposure 12.5 ms; frame 40 ms"},
        {2, L"SV=WARNING; CD=1; MSG=Exposure 12.5 ms; frame 40 ms"},
        {3, L"F=app\\Corvel_5.cpp,CCorvel_5App::InitInstance,120; SV=WARNING; CD=1; "
            L"MSG=Exposure 12.5 ms; frame 40 ms"},
        {4, L"{4D00000012345}; ML=29; PT=4242:77; TM=09.12.2026 10:30:15.7; "
            L"F=app\\Corvel_5.cpp,CCorvel_5App::InitInstance,120; SV=WARNING; CD=1; MSG=Exposure 12.5 ms; frame 40 ms"},
        {5, L"{4D00000012345}; ML=29; PT=4242:77; NL=1; TM=09.12.2026 10:30:15.7; MN=Corvel,\"\"; "
            L"F=app\\Corvel_5.cpp,CCorvel_5App::InitInstance,120; SV=WARNING; CD=1; MSG=Exposure 12.5 ms; frame 40 ms"},
        {0, L""},
        {6, L""},
        {-1, L""},
    };
    for (const auto& [level, expected] : cases) {
        SCOPED_TRACE(level);
        EXPECT_EQ(Line(level, n), expected);
    }
}

// Example failure: a null text crashes the formatter instead of printing "undefined".
TEST_F(LogRecordTest, NullTextsPrintUndefined)
{
    _OwnLogRecord record{};
    InitOwnLogRecord(record);
    record.severity = 7;
    NormalizedRecord n = Normalize(record);
    n.jobId = 0;
    n.nestingLevel = 0;
    EXPECT_EQ(Line(5, n), L"{0}; ML=9; PT=0:0; NL=0; TM=undefined; MN=undefined,undefined; "
                          L"F=undefined,undefined,0; SV=bad severity; CD=-1; MSG=undefined");
}

// Example failure: text is copied in blocks of characters, and a character that needs care (a
// pair, an invalid code, a non-ASCII byte) at a block's edge, or a text whose length is no
// multiple of the block, loses, repeats or garbles characters on the line.
TEST_F(LogRecordTest, TextOfEveryLengthAndMixConvertsExactly)
{
    const std::pair<const char*, wchar_t> wideSpecials[] = {
        {"latin", L'\u00E9'},        {"above 0x8000", L'\u9A6C'},          {"lone surrogate", static_cast<wchar_t>(0xD800)},
        {"pair", L'\U0001F600'},     {"beyond U+10FFFF", static_cast<wchar_t>(0x110000)},
        {"negative", static_cast<wchar_t>(-1)},
    };
    const std::pair<const char*, std::string> narrowSpecials[] = {
        {"two-byte UTF-8", "\xC3\xA9"}, {"four-byte UTF-8", "\xF0\x9F\x98\x80"}, {"invalid byte", "\xFF"},
    };
    // Lengths around the block of 16, and positions at the edges of the first two blocks.
    const std::size_t lengths[] = {0, 1, 15, 16, 17, 31, 32, 33, 47, 70};
    const std::size_t positions[] = {0, 14, 15, 16, 17, 31, 32, 39};

    _OwnLogRecord record = Record(OL_NOTICE, L"");
    record.sourceFile = L"a.cpp";
    record.line = 7;
    record.code = 0;
    const auto check = [&](const std::wstring& message, const std::string& function) {
        record.message = message.c_str();
        record.function = function.c_str();
        auto buffer = std::make_unique<LineBuffer>();
        const std::u16string line(FormatLine(3, Normalize(record, 3), *buffer));
        EXPECT_EQ(line, u"F=a.cpp," + platform::WideToUtf16(platform::Utf8ToWide(function)) + u",7; SV=NOTICE; CD=0; MSG="
                            + platform::WideToUtf16(message));
    };
    for (std::size_t length : lengths) {
        SCOPED_TRACE(length);
        std::wstring message;
        std::string function;
        for (std::size_t i = 0; i < length; ++i) {
            message += static_cast<wchar_t>(L'a' + i % 26);
            function += static_cast<char>('A' + i % 26);
        }
        check(message, function);
    }
    for (std::size_t at : positions) {
        SCOPED_TRACE(at);
        for (const auto& [name, special] : wideSpecials) {
            SCOPED_TRACE(name);
            std::wstring message(40, L'w');
            message[at] = special;
            check(message, "f");
        }
        for (const auto& [name, special] : narrowSpecials) {
            SCOPED_TRACE(name);
            std::string function(40, 'n');
            function.replace(at, 1, special);
            check(L"m", function);
        }
    }
}

// Example failure: ML counts wchar_t instead of the UTF-16 units in the file, so a reader
// taking the message by count cuts it or runs into the next line.
TEST_F(LogRecordTest, MessageLengthCountsUtf16UnitsAndLongLinesStayConsistent)
{
    wchar_t* message = OLGetErrorStrW(L"%ls", std::wstring(600, L'm').c_str());
    struct Case {
        const char* name;
        std::wstring message;
        std::size_t expectedMl;
    };
    const Case cases[] = {
        {"cut by OLGetErrorStrW", message, 511},
        {"outside the basic plane", L"smile \U0001F600", 8},
        {"longer than a line", std::wstring(5000, L'z'), 0 /* worked out below */},
        {"pair at the cut", std::wstring(3990, L'a') + std::wstring(50, L'\U0001F600'), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        _OwnLogRecord record = Record(OL_ERROR, c.message.c_str());
        NormalizedRecord n = Normalize(record);
        auto buffer = std::make_unique<LineBuffer>();
        const std::u16string line(FormatLine(4, n, *buffer));
        ASSERT_LE(line.size(), kMaxLineUnits);
        const std::size_t mlAt = line.find(u"ML=") + 3;
        const std::size_t ml = std::stoul(platform::WideToUtf8(platform::Utf16ToWide(line.substr(mlAt, 6))));
        const std::size_t msgAt = line.find(u"MSG=") + 4;
        // The message on the line is exactly ML units, never half a pair.
        EXPECT_EQ(line.size() - msgAt, ml);
        EXPECT_FALSE(line.back() >= 0xD800 && line.back() <= 0xDBFF);
        if (c.expectedMl) {
            EXPECT_EQ(ml, c.expectedMl);
        } else {
            EXPECT_GT(ml, 3800u);
        }
    }
    OLDestroyInternalStr(nullptr, &message);
}
