// The log parser through its exports: records of the caller's job read back from the file
// channel's log by mode and minimum severity, incremental positions, result lifetimes, and
// damaged files.
#include "LogTestSupport.h"

#include "logging/LogEngine.h"
#include "logging/LogParser.h"
#include "platform/ProcessIds.h"

#include <fstream>
#include <thread>

using namespace orvlog;
using namespace orvlog::test;

namespace {

struct Item {
    int code;
    std::wstring severity;
    std::wstring message;
    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << "{" << item.code << ", " << platform::WideToUtf8(item.severity) << ", \""
               << platform::WideToUtf8(item.message) << "\"}";
}

// UTF-16LE bytes of a text.
std::string Bytes(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::u16string U16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// A format-4 line as the library writes it, with the message length given separately so that
// it can lie.
std::u16string Line(const std::u16string& token, const std::string& length, const std::string& severity,
                    const std::string& code, const std::u16string& message)
{
    return token + U16("; ML=" + length + "; PT=1:2; TM=09.12.2026 10:30:15.7; F=app\\Main.cpp,CMain::Run,12; SV=")
           + U16(severity) + U16("; CD=" + code + "; MSG=") + message + u"\r\n";
}

std::u16string Line(const std::u16string& token, const std::string& severity, int code, const std::u16string& message)
{
    return Line(token, std::to_string(message.size()), severity, std::to_string(code), message);
}

class LogParserTest : public LogFixture {
protected:
    // A log with a format-`level` file channel that takes every severity.
    void Open(int level = 5, const wchar_t* stem = L"parse")
    {
        ASSERT_EQ(OLInitOwnLogW(0, stem, Folder().c_str(), true, false, 0, level, 0), 0);
        ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    }

    // A record of the calling thread (so of its current job), or of another thread.
    void Write(int severity, const wchar_t* message, int code = 0, int thread = 0)
    {
        _OwnLogRecord record = Record(severity, message, code);
        record.threadId = thread ? thread : platform::CurrentThreadId();
        ASSERT_EQ(OLOwnLogOutput(0, &record), 0);
    }

    // Write() for any thread: touches nothing of the fixture.
    static void WriteOnThisThread(int severity, const std::wstring& message, int code)
    {
        _OwnLogRecord record{};
        InitOwnLogRecord(record);
        char* time = OLGetTimeStr(&record);
        record.timeText = time;
        record.threadId = platform::CurrentThreadId();
        record.severity = severity;
        record.code = code;
        record.message = message.c_str();
        OLOwnLogOutput(0, &record);
        OLDestroyInternalStr(&time, nullptr);
    }

    std::vector<Item> Parse(uint32_t& position, int minSeverity, int mode, int expectedResult = 0)
    {
        _ParserDataItem** items = nullptr;
        uint32_t count = 99;
        EXPECT_EQ(OLParseOwnLog(0, &position, minSeverity, mode, &items, &count), expectedResult);
        std::vector<Item> out;
        for (uint32_t i = 0; i < count; ++i) {
            out.push_back({items[i]->code, items[i]->severityName, items[i]->message});
            // Names point into the library's table.
            EXPECT_EQ(items[i]->severityName, kSeverityNames[SeverityOf(items[i]->severityName)]);
        }
        return out;
    }
    std::vector<Item> ParseAll(int minSeverity = 0, int mode = 3)
    {
        uint32_t position = 0;
        return Parse(position, minSeverity, mode);
    }

    static int SeverityOf(const wchar_t* name)
    {
        for (int s = 0; s < 6; ++s)
            if (std::wstring_view(kSeverityNames[s]) == name)
                return s;
        return 0;
    }

    std::u16string CurrentToken()
    {
        uint64_t job = 0;
        EXPECT_EQ(OLGetOwnLogJobId(0, &job), 0);
        return JobToken(job);
    }

    // The current end of the log; lines held in memory are written first.
    uint32_t End()
    {
        uint64_t position = 0;
        EXPECT_EQ(OLGetCurrentOwnLogPosition(0, &position), 0);
        return static_cast<uint32_t>(position);
    }

    void Append(const std::string& bytes, const std::string& name = "parse.txt")
    {
        std::ofstream(dir_ / name, std::ios::binary | std::ios::app) << bytes;
    }
};

}  // namespace

// Example failure: mode 1 keeps the first two records instead of the first and the latest,
// mode 2 keeps the first, mode 3 reorders, or records of other threads, the library's banners
// and MANDATORY records of the job come back.
TEST_F(LogParserTest, ModesReduceTheRecordsOfTheJob)
{
    Open();
    for (int i = 1; i <= 5; ++i) {
        Write(OL_TRACE, (L"record " + std::to_wstring(i)).c_str(), i);
        Write(OL_ERROR, L"other thread", 0, 4711);
        Write(OL_MANDATORY, L"mandatory of the job");
    }
    const auto record = [](int i) { return Item{i, L"TRACE", L"record " + std::to_wstring(i)}; };
    const struct {
        int mode;
        std::vector<Item> expected;
    } cases[] = {
        {0, {record(1)}},
        {1, {record(1), record(5)}},
        {2, {record(5)}},
        {3, {record(1), record(2), record(3), record(4), record(5)}},
        {4, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        EXPECT_EQ(ParseAll(0, c.mode), c.expected);
    }
}

// Example failure: the minimum is compared the wrong way round, MANDATORY or the banner level
// passes, or an out-of-range minimum takes everything.
TEST_F(LogParserTest, MinimumSeverityTakesUpToError)
{
    Open();
    for (int severity = 0; severity <= 6; ++severity)
        Write(severity, L"m", severity);
    const auto item = [](int s) { return Item{s, kSeverityNames[s], L"m"}; };
    const struct {
        int minimum;
        std::vector<Item> expected;
    } cases[] = {
        {0, {item(0), item(1), item(2), item(3), item(4)}},
        {3, {item(3), item(4)}},
        {4, {item(4)}},
        {5, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("minimum " + std::to_string(c.minimum));
        EXPECT_EQ(ParseAll(c.minimum), c.expected);
    }
}

// Example failure: a message is cut at "; ", at a line break or at a '{', a character outside
// the basic plane shifts the length, text inside a message of the job is taken for a record,
// or a '{' in another job's message hides the record after it.
TEST_F(LogParserTest, MessagesComeBackWholeByTheirLength)
{
    Open(4);
    const std::wstring token = platform::Utf16ToWide(CurrentToken());
    const std::wstring fake = token + L"; ML=4; PT=1:2; TM=x; F=a,b,1; SV=ERROR; CD=9; MSG=fake";
    const std::vector<std::wstring> messages = {
        L"a; CD=7; MSG=b",
        L"two\r\nlines\n",
        L"braces {" + token.substr(1) + L" and }",
        L"\u00e9t\u00e9 \U0001F321 hot",
        L"",
    };
    Write(OL_TRACE, L"x{y", 0, 4711);  // another job's message with an open brace, then ours
    for (const auto& message : messages)
        Write(OL_NOTICE, message.c_str(), 3);
    Write(OL_DEBUG, fake.c_str(), 1);  // below the minimum: passed over by its length

    std::vector<Item> expected;
    for (const auto& message : messages)
        expected.push_back({3, L"NOTICE", message});
    EXPECT_EQ(ParseAll(OL_TRACE), expected);
}

// Example failure: the position given back is not the file size, so the next parse repeats
// or misses records; an odd position misreads every character; records of the previous job
// come back after a new job started.
TEST_F(LogParserTest, ReturnedPositionScansOnlyWhatWasAddedSince)
{
    Open();
    Write(OL_WARNING, L"first", 1);
    uint32_t position = 0;
    EXPECT_EQ(Parse(position, 0, 3), (std::vector<Item>{{1, L"WARNING", L"first"}}));
    EXPECT_EQ(position, End());

    Write(OL_WARNING, L"second", 2);
    Write(OL_ERROR, L"third", 3);
    uint32_t odd = position + 1;
    const std::vector<Item> added = {{2, L"WARNING", L"second"}, {3, L"ERROR", L"third"}};
    EXPECT_EQ(Parse(position, 0, 3), added);
    EXPECT_EQ(Parse(odd, 0, 3), added) << "an odd position is taken as the even one below it";
    EXPECT_EQ(odd, position);
    EXPECT_EQ(Parse(position, 0, 3), std::vector<Item>{}) << "nothing new";
    uint32_t beyond = position + 1000;
    EXPECT_EQ(Parse(beyond, 0, 3), std::vector<Item>{});
    EXPECT_EQ(beyond, position);

    uint64_t job = 0;
    ASSERT_EQ(OLSetOwnLogJobId(0, &job), 0);
    Write(OL_NOTICE, L"new job", 4);
    EXPECT_EQ(ParseAll(0, 3), (std::vector<Item>{{4, L"NOTICE", L"new job"}}));
}

// Example failure: lines of formats 1 to 3, which carry no job token, are parsed as records,
// or the parser reads a log without a file channel.
TEST_F(LogParserTest, OnlyFormats4And5CarryTheJob)
{
    for (int level = 1; level <= 5; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        Open(level, (L"level" + std::to_wstring(level)).c_str());
        Write(OL_ERROR, L"e", 1);
        EXPECT_EQ(ParseAll().size(), level >= 4 ? 1u : 0u);
        ASSERT_EQ(OLCloseOwnLog(0), 0);
    }

    ASSERT_EQ(OLInitOwnLogW(0, nullptr, nullptr, true, false, 0, 0, 5), 0);
    uint32_t position = 0;
    EXPECT_EQ(Parse(position, 0, 3, -1), std::vector<Item>{}) << "no file channel";
    _ParserDataItem** items = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(OLParseOwnLog(0, nullptr, 0, 3, &items, &count), -1);
    EXPECT_EQ(OLParseOwnLog(0, &position, 0, 3, nullptr, &count), -1);
    EXPECT_EQ(OLParseOwnLog(0, &position, 0, 3, &items, nullptr), -1);
    EXPECT_EQ(OLParseOwnLog(0x1234, &position, 0, 3, &items, &count), -1) << "no engine";
    EXPECT_EQ(OLReleaseOwnParserData(0x1234), -1);
}

// Example failure: a log file removed behind the channel's back makes the parse fail or
// crash instead of finding no records.
TEST_F(LogParserTest, MissingFileHoldsNoRecords)
{
    Open();
    Write(OL_ERROR, L"e", 1);
    ASSERT_EQ(End() > 0, true);
    std::filesystem::remove(dir_ / "parse.txt");
    uint32_t position = 100;
    EXPECT_EQ(Parse(position, 0, 3), std::vector<Item>{});
    EXPECT_EQ(position, 0u);
}

// Example failure: job ids or function-id stacks leak between threads, a thread's parse
// returns another thread's records, or one thread's parse or release frees the items that
// another thread still reads.
TEST_F(LogParserTest, JobsAndResultsArePerThread)
{
    Open(5);
    constexpr int kThreads = 4;
    constexpr int kRecords = 40;
    std::vector<std::vector<Item>> results(kThreads);
    std::vector<uint64_t> jobs(kThreads);
    std::vector<std::wstring> nesting(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            OLSetOwnLogJobId(0, &jobs[t]);
            for (int depth = 0; depth <= t; ++depth)
                OLSetOwnLogLibFuncId(0, 100 * t + depth);
            for (int i = 0; i < kRecords; ++i)
                WriteOnThisThread(OL_NOTICE, L"thread " + std::to_wstring(t) + L" record " + std::to_wstring(i), i);
            uint32_t position = 0;
            _ParserDataItem** items = nullptr;
            uint32_t count = 0;
            if (OLParseOwnLog(0, &position, 0, 3, &items, &count) != 0)
                return;
            // Other threads parse and release meanwhile; these items stay this thread's.
            for (uint32_t i = 0; i < count; ++i)
                results[t].push_back({items[i]->code, items[i]->severityName, items[i]->message});
            uint32_t top = 0;
            OLGetOwnLogLibFuncId(0, &top);
            nesting[t] = std::to_wstring(top);
            OLReleaseOwnParserData(0);
        });
    }
    for (auto& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE("thread " + std::to_string(t));
        ASSERT_EQ(results[t].size(), static_cast<std::size_t>(kRecords));
        for (int i = 0; i < kRecords; ++i)
            EXPECT_EQ(results[t][i].message, L"thread " + std::to_wstring(t) + L" record " + std::to_wstring(i));
        EXPECT_EQ(nesting[t], std::to_wstring(100 * t + t)) << "top of the thread's own stack";
        for (int u = 0; u < t; ++u)
            EXPECT_NE(jobs[t], jobs[u]);
    }
    // Every line of thread t prints NL=t (t + 1 ids pushed).
    for (const auto& line : FileLines("parse.txt")) {
        const std::size_t at = line.find(L"MSG=thread ");
        if (at == std::wstring::npos)
            continue;
        const wchar_t thread = line[at + 11];
        EXPECT_NE(line.find(std::wstring(L"; NL=") + thread + L";"), std::wstring::npos) << platform::WideToUtf8(line);
    }
}

// Example failure: the items handed out are freed or overwritten while the caller still
// holds them, or a release leaves them to be freed twice by the next parse or the close.
TEST_F(LogParserTest, ResultLivesUntilTheNextParseReleaseOrClose)
{
    Open();
    Write(OL_ERROR, L"kept", 5);
    _ParserDataItem** items = nullptr;
    uint32_t count = 0, position = 0;
    ASSERT_EQ(OLParseOwnLog(0, &position, 0, 3, &items, &count), 0);
    ASSERT_EQ(count, 1u);
    Write(OL_ERROR, L"later", 6);
    EXPECT_STREQ(items[0]->message, L"kept") << "writing does not touch the result";
    EXPECT_EQ(OLReleaseOwnParserData(0), 0);
    EXPECT_EQ(OLReleaseOwnParserData(0), 0) << "a second release finds nothing";
    ASSERT_EQ(OLParseOwnLog(0, &position, 0, 3, &items, &count), 0);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(items[0]->message, L"later");
    EXPECT_EQ(OLCloseOwnLog(0), 0);  // frees the result (the leak checker would see it otherwise)
}

// Example failure: a damaged log (a record cut short, a length that lies, an odd byte count,
// an over-long field) crashes the parser, overruns a buffer, returns a half-read record or
// loses the good records after the damage.
TEST_F(LogParserTest, DamagedLogsNeverYieldBrokenRecords)
{
    Open(4);
    const std::u16string job = CurrentToken();
    const std::u16string good = Line(job, "ERROR", 1, u"good");
    const Item goodItem{1, L"ERROR", L"good"};
    const struct {
        const char* name;
        std::string bytes;
        std::vector<Item> expected;
    } cases[] = {
        {"record cut short in its message", Bytes(Line(job, "10", "ERROR", "1", u"abcd")), {}},
        {"record cut inside its head", Bytes(good).substr(0, 30), {}},
        {"length beyond the end of the file", Bytes(Line(job, "500", "ERROR", "1", u"abc")), {}},
        {"length beyond the longest line, then a good record",
         Bytes(Line(job, "4096", "ERROR", "2", u"x") + good), {goodItem}},
        {"length of 11 digits", Bytes(Line(job, "00000000003", "ERROR", "2", u"abc") + good), {goodItem}},
        {"negative length", Bytes(Line(job, "-3", "ERROR", "2", u"abc") + good), {goodItem}},
        {"length without digits", Bytes(Line(job, "", "ERROR", "2", u"abc") + good), {goodItem}},
        {"length with a sign in the middle", Bytes(Line(job, "1-2", "ERROR", "2", u"abc") + good), {goodItem}},
        {"length label missing", Bytes(job + u"; XX=3; SV=ERROR; CD=2; MSG=abc\r\n" + good), {goodItem}},
        {"code not a number", Bytes(Line(job, "3", "ERROR", "x", u"abc") + good), {goodItem}},
        {"code beyond 32 bits", Bytes(Line(job, "3", "ERROR", "4294967296", u"abc") + good), {goodItem}},
        {"head broken by a line end", Bytes(job + u"; ML=3; PT=1:2\r\n" + good), {goodItem}},
        {"no severity label up to the end", Bytes(job + u"; ML=3; PT=1:2; TM=x; SX=ERROR; CD=1; MSG=abc"), {}},
        {"token of 600 units", Bytes(u"{" + std::u16string(600, u'A') + u"; ML=1;" + good), {goodItem}},
        {"severity name of 600 units", Bytes(Line(job, "3", "ERROR" + std::string(600, 'R'), "1", u"abc") + good),
         {goodItem}},
        {"odd byte at the end", Bytes(good) + "\x41", {goodItem}},
        {"odd byte count cuts the last record", Bytes(good + good).substr(0, Bytes(good + good).size() - 5), {goodItem}},
        {"lone surrogate in a message", Bytes(Line(job, "ERROR", 3, u"a\xD800" u"b")), {{3, L"ERROR", L"a\uFFFDb"}}},
        {"empty", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each row starts on a unit boundary after what the rows before it left.
        if (End() % 2 != 0)
            Append("\n");
        uint32_t position = End();
        Append(c.bytes);
        EXPECT_EQ(Parse(position, 0, 3), c.expected);
    }
}
