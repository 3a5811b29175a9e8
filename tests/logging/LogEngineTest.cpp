#include "LogTestSupport.h"

#include "logging/LogEngine.h"
#include "platform/DynamicLibrary.h"
#include "platform/ProcessIds.h"

using namespace orvlog;
using namespace orvlog::test;

namespace {

class LogEngineTest : public LogFixture {
protected:
    // The configurator's set-up: file and debugger channels at format 1, thresholds 7/1/1.
    void InitLikeTheConfigurator(OLHandle handle = 0)
    {
        ASSERT_EQ(OLInitOwnLogW(handle, L"Corvel", Folder().c_str(), true, false, 0, 1, 1), 0);
    }
    int Threshold(OLHandle handle, int type)
    {
        int32_t value = -99;
        EXPECT_EQ(OLGetOwnLogSeverityThreshold(handle, &value, type), 0);
        return value;
    }
};

}  // namespace

// Example failure: a second initialisation opens the file again (emptying it), or the first
// close already deletes a log that is still referenced.
TEST_F(LogEngineTest, InitialisationIsCountedAndTheLastCloseWritesTheBanner)
{
    InitLikeTheConfigurator();
    ASSERT_EQ(OLInitOwnLogW(0, L"Other", nullptr, true, false, 0, 1, 1), 0);
    _OwnLogRecord record = Record(OL_MANDATORY, L"still open");
    EXPECT_EQ(OLCloseOwnLog(0), 0);
    EXPECT_EQ(OLOwnLogOutput(0, &record), 0) << "the first close deleted the log";
    EXPECT_EQ(OLCloseOwnLog(0), 0);
    EXPECT_EQ(OLOwnLogOutput(0, &record), -1);
    EXPECT_EQ(OLCloseOwnLog(0), 0) << "closing a missing log still answers 0";

    const auto lines = FileLines("Corvel.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].starts_with(L"MANDATORY: 0;    >>>>>>>>>>>>>>>>> Open the log channels: File_Output, IDE_Output for: "));
    EXPECT_EQ(lines[1], L"MANDATORY: -1; still open");
    EXPECT_TRUE(lines[2].starts_with(L"MANDATORY: 0;    <<<<<<<<<<<<<<<<< Close the log channels: File_Output, IDE_Output for: "));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Other.txt"));
}

// Example failure: a failed initialisation leaves a dead engine registered, or an unknown
// handle is created silently.
TEST_F(LogEngineTest, FailedInitialisationLeavesNoEngine)
{
    EXPECT_EQ(OLInitOwnLogW(0, L"Corvel", Folder().c_str(), true, false, 0, 0, 0), -1);
    EXPECT_EQ(FindOwnLogEngine(0), nullptr);
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports().back().text, L"Output Channels are not opened");

    EXPECT_EQ(OLInitOwnLogW(5, nullptr, Folder().c_str(), true, false, 0, 0, 1), -1);
    EXPECT_EQ(Reports().back().caption, L"The Log Engine isn't defined");
    EXPECT_EQ(Reports().back().text, L"Can't find Log Engine for log handle: 5 (   \x05)");
    EXPECT_EQ(Reports().back().value1, 3);
    EXPECT_EQ(Reports().back().value2, 2);
    ASSERT_EQ(OLCreateOwnLog(5), 0);
    EXPECT_EQ(OLInitOwnLogW(5, nullptr, Folder().c_str(), true, false, 0, 0, 1), 0);
    EXPECT_TRUE(OLisOwnLog(5));
}

// Example failure: handle bounds off by one, 0 accepted as a chosen handle, or dynamic handles
// starting elsewhere or reused.
TEST_F(LogEngineTest, HandleBounds)
{
    const std::pair<OLHandle, int> creates[] = {
        {0, -1}, {1, 0}, {0x8080807Fu, 0}, {0x80808080u, -1}, {0xFFFFFFFFu, -1},
    };
    for (const auto& [handle, expected] : creates) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(OLCreateOwnLog(handle), expected);
        EXPECT_EQ(OLisOwnLog(handle), expected == 0);
    }
    GetOwnLogRegistry().nextDynamic = 0;
    EXPECT_EQ(OLGetOwnLogHandle(), 0x80808080u);
    EXPECT_EQ(OLGetOwnLogHandle(), 0x80808081u);
    EXPECT_FALSE(OLisOwnLog(0));

    // 0 stands for the application log once one is named.
    EXPECT_EQ(OLSetApplicationLog(0), -1);
    EXPECT_EQ(OLSetApplicationLog(1), 0);
    EXPECT_EQ(OLOpenOwnIDEChannel(0, 2), 1);
    EXPECT_EQ(OLOpenOwnIDEChannel(0x1234, 2), -1);
    EXPECT_NE(FindOwnLogEngine(1)->FindOutputChannel(OL_CHANNEL_IDE), nullptr);
}

// Example failure: exports on a log without channels act as if it were set up, or null out
// pointers are written through.
TEST_F(LogEngineTest, EngineTestsOfTheExports)
{
    ASSERT_EQ(OLCreateOwnLog(9), 0);  // no channels
    int32_t value = 0;
    uint64_t id = 0;
    _OwnLogRecord record = Record(OL_ERROR, L"x");
    EXPECT_EQ(OLSetOwnLogSeverityThreshold(9, 1, 2), -1);
    EXPECT_EQ(OLGetOwnLogSeverityThreshold(9, &value, 2), -1);
    EXPECT_EQ(OLSetOwnLogFileBuffering(9, 0), -1);
    EXPECT_EQ(OLGetOwnLogJobId(9, &id), -1);
    EXPECT_EQ(OLGetOwnLogFileFolderW(9), nullptr);
    EXPECT_FALSE(OLIsOwnLogRecordNeeded(9, 5, nullptr));
    EXPECT_EQ(OLOwnLogOutput(9, &record), -1);
    EXPECT_EQ(OLCloseOwnLogChannel(10, 2), -1);

    // A channel at level 0: the log has channels (thresholds answer) but is not initialised.
    ASSERT_EQ(OLOpenOwnIDEChannel(9, 0), 1);
    EXPECT_TRUE(OLIsOwnLogRecordNeeded(9, 5, nullptr));
    EXPECT_FALSE(OLIsOwnLogRecordNeeded(9, 4, nullptr));
    EXPECT_EQ(OLOwnLogOutput(9, &record), -1);
    EXPECT_EQ(OLGetCurrentOwnLogPosition(9, reinterpret_cast<uint64_t*>(&id)), -1);
    EXPECT_EQ(OLGetOwnLogSeverityThreshold(9, nullptr, 3), -1);
    EXPECT_EQ(OLOwnLogOutput(9, nullptr), -1);

    // Initialising such a log opens its channels rather than only counting a reference.
    EXPECT_EQ(OLInitOwnLogW(9, nullptr, nullptr, true, false, 0, 0, 2), 0);
    EXPECT_EQ(OLOwnLogOutput(9, &record), 0);

    EXPECT_EQ(OLMessageBoxStubW(L"c", L"t", 1, 1), 1956);
    EXPECT_EQ(OLMessageBoxStubA("c", nullptr, 1, 1), 1956);
}

// Example failure: the engine threshold is the signed minimum (a -1 channel lowers it), a
// threshold of 9 is stored as 9, or the type-1 call of the configurator fails without a system
// channel.
TEST_F(LogEngineTest, ThresholdsAreStoredCappedAndComparedUnsigned)
{
    InitLikeTheConfigurator();
    LogEngine& engine = *FindOwnLogEngine(0);
    EXPECT_EQ(engine.EngineThreshold(), 5) << "opening channels does not recompute it";
    EXPECT_FALSE(OLIsOwnLogRecordNeeded(0, 4, nullptr));
    EXPECT_TRUE(OLIsOwnLogRecordNeeded(0, 5, nullptr));

    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 7, 1), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 1, 2), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 1, 3), 0);
    EXPECT_EQ(engine.EngineThreshold(), 1);
    EXPECT_EQ(Threshold(0, 1), 7);
    EXPECT_EQ(Threshold(0, 2), 1);
    EXPECT_EQ(Threshold(0, 3), 1);

    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 9, 2), 0);
    EXPECT_EQ(Threshold(0, 2), 4);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, -1, 2), 0);
    EXPECT_EQ(Threshold(0, 2), -1);
    EXPECT_EQ(engine.EngineThreshold(), 1) << "a negative channel threshold lowered the engine's";

    // The -1 file channel takes no banner and no TRACE record; only a severity of -1 itself
    // reaches it (compared unsigned, both are the largest value). The debugger channel takes all.
    _OwnLogRecord negative = Record(-1, L"negative severity");
    _OwnLogRecord trace = Record(OL_TRACE, L"trace");
    ASSERT_EQ(OLOwnLogOutput(0, &negative), 0);
    ASSERT_EQ(OLOwnLogOutput(0, &trace), 0);
    ASSERT_EQ(OLCloseOwnLog(0), 0);
    const auto file = FileLines("Corvel.txt");
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[1], L"bad severity: -1; negative severity");
    const auto debug = DebugLines();
    ASSERT_EQ(debug.size(), 4u);
    EXPECT_EQ(debug[1], L"bad severity: -1; negative severity");
    EXPECT_EQ(debug[2], L"TRACE: -1; trace");
}

// Example failure: channels share one threshold, so right after set-up a TRACE record reaches
// the debugger output (threshold 4) or misses the file (threshold 0).
TEST_F(LogEngineTest, EachChannelAppliesItsOwnThreshold)
{
    InitLikeTheConfigurator();
    _OwnLogRecord trace = Record(OL_TRACE, L"to the file only");
    _OwnLogRecord error = Record(OL_ERROR, L"to both");
    ASSERT_EQ(OLOwnLogOutput(0, &trace), 0);
    ASSERT_EQ(OLOwnLogOutput(0, &error), 0);
    const auto debug = Debug();
    ASSERT_EQ(debug.size(), 4u);  // open banner and the error, each followed by a lone "\n"
    EXPECT_EQ(debug[2], L"ERROR: -1; to both");
    EXPECT_EQ(debug[3], L"\n");
    const auto file = FileLines("Corvel.txt");
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(file[1], L"TRACE: -1; to the file only");
}

// Example failure: closing the file channel writes no banner, writes it at the channel's own
// format, or leaves the channel in the list.
TEST_F(LogEngineTest, ClosingTheFileChannelWritesAFormat4Banner)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"Corvel", Folder().c_str(), true, false, 1, 2, 0), 0);
    ASSERT_EQ(OLOpenOwnIDEChannel(0, 1), 1);
    ASSERT_EQ(OLCloseOwnLogChannel(0, OL_CHANNEL_FILE), 0);
    EXPECT_EQ(FindOwnLogEngine(0)->FindOutputChannel(OL_CHANNEL_FILE), nullptr);
    EXPECT_EQ(OLGetOwnLogFileFolderW(0), nullptr);
    EXPECT_EQ(OLCloseOwnLogChannel(0, OL_CHANNEL_FILE), 0);

    const auto file = FileLines("Corvel.txt");
    ASSERT_EQ(file.size(), 2u);
    EXPECT_TRUE(file[0].starts_with(L"SV=MANDATORY; CD=0; MSG=   >>>>>>>>>>>>>>>>> Open the log channels: "
                                    L"System_Output_Stub, File_Output for: "));
    EXPECT_NE(file[1].find(L"; TM=09.12.2026 10:30:15.7; F=..\\LogEngine.cpp,LogEngine::CloseOutputChannel,170; "
                           L"SV=MANDATORY; CD=0; MSG=   <<<<<<<<<<<<<<<<< Close the log for: "),
              std::wstring::npos) << platform::WideToUtf8(file[1]);
    EXPECT_EQ(file[1].find(L"{"), 0u);
}

// Example failure: job ids not built from the thread id, a new job not 3 further, or popping
// an empty stack removing the job counter.
TEST_F(LogEngineTest, JobAndFunctionIdsPerThread)
{
    ASSERT_EQ(OLInitOwnLogW(0, nullptr, nullptr, true, false, 0, 0, 5), 0);
    const auto tid = static_cast<uint32_t>(platform::CurrentThreadId());
    uint64_t first = 0, second = 0, again = 0;
    ASSERT_EQ(OLSetOwnLogJobId(0, &first), 0);
    ASSERT_EQ(OLSetOwnLogJobId(0, &second), 0);
    EXPECT_EQ(first >> 44, tid & 0xFFFFF);
    EXPECT_EQ(((second & 0x3FFFF) - (first & 0x3FFFF)) & 0x3FFFF, 3u);
    EXPECT_EQ(second & 0xFFFFFFFFFC0000ull & ~(0xFFFFFull << 44), 0u);

    uint32_t id = 0;
    const std::pair<const char*, uint32_t> steps[] = {{"none", 0xFFFFFFFFu}, {"push 10", 10}, {"push 20", 20},
                                                      {"pop", 10}, {"pop", 0xFFFFFFFFu}, {"pop", 0xFFFFFFFFu}};
    for (const auto& [step, expected] : steps) {
        SCOPED_TRACE(step);
        if (std::string(step) == "push 10")
            OLSetOwnLogLibFuncId(0, 10);
        else if (std::string(step) == "push 20")
            OLSetOwnLogLibFuncId(0, 20);
        else if (std::string(step) == "pop")
            OLReleaseOwnLogLibFuncId(0, 999);
        ASSERT_EQ(OLGetOwnLogLibFuncId(0, &id), 0);
        EXPECT_EQ(id, expected);
    }
    ASSERT_EQ(OLGetOwnLogJobId(0, &again), 0);
    EXPECT_EQ(again, second) << "popping an empty stack changed the job";

    // Another thread has its own counter and stack.
    uint64_t other = 0;
    std::thread([&] { OLGetOwnLogJobId(0, &other); }).join();
    EXPECT_NE(other >> 44, again >> 44);
}

// Example failure: NL taken after the job id (so a thread's first record prints -1), or the
// nesting level not following the pushed ids.
TEST_F(LogEngineTest, NestingLevelInFormat5)
{
    ASSERT_EQ(OLInitOwnLogW(0, nullptr, nullptr, true, false, 0, 0, 5), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_IDE), 0);
    const auto nl = [&](std::int32_t thread) {
        _OwnLogRecord record = Record(OL_TRACE, L"m");
        record.threadId = thread;
        OLOwnLogOutput(0, &record);
        const std::wstring line = DebugLines().back();
        const std::size_t at = line.find(L"NL=") + 3;
        return line.substr(at, line.find(L';', at) - at);
    };
    EXPECT_EQ(nl(5555), L"0") << "first record of a thread";
    EXPECT_EQ(nl(5555), L"-1");
    OLSetOwnLogLibFuncId(0, 100);
    OLSetOwnLogLibFuncId(0, 101);
    EXPECT_EQ(nl(platform::CurrentThreadId()), L"1");

    // A thread's first record starts its ids even when no channel takes it.
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 2, OL_CHANNEL_IDE), 0);
    _OwnLogRecord filtered = Record(OL_DEBUG, L"filtered");
    filtered.threadId = 6666;
    const std::size_t before = DebugLines().size();
    ASSERT_EQ(OLOwnLogOutput(0, &filtered), 0);
    ASSERT_EQ(DebugLines().size(), before) << "below the threshold";
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_IDE), 0);
    EXPECT_EQ(nl(6666), L"-1") << "second record of the thread";
}

// Example failure: a channel whose level is not 1-5 gets nothing (so its file lacks the line
// of every record), or gets some other format's text.
TEST_F(LogEngineTest, LevelsOutsideOneToFiveWriteAnEmptyLinePerRecord)
{
    for (const std::int32_t level : {6, 7, -1, INT32_MIN}) {
        SCOPED_TRACE(level);
        const std::string name = "level" + std::to_string(static_cast<unsigned>(level));
        const std::size_t debugBefore = Debug().size();
        ASSERT_EQ(OLInitOwnLogW(0, platform::Utf8ToWide(name).c_str(), Folder().c_str(), true, false, 0, level, level), 0);
        ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
        ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_IDE), 0);
        for (int severity : {OL_DEBUG, OL_ERROR, OL_MANDATORY}) {
            _OwnLogRecord record = Record(severity, L"text");
            ASSERT_EQ(OLOwnLogOutput(0, &record), 0);
        }
        const std::vector<std::wstring> all = Debug();
        const std::vector<std::wstring> debug(all.begin() + static_cast<std::ptrdiff_t>(debugBefore), all.end());
        ASSERT_EQ(OLCloseOwnLog(0), 0);
        bool mark = false;
        EXPECT_EQ(FileLines(name + ".txt", &mark), std::vector<std::wstring>(5, L""))
            << "open banner, three records, close banner";
        EXPECT_TRUE(mark);
        // The debugger channel: an empty text and its line feed per record (and the banner).
        EXPECT_EQ(debug, std::vector<std::wstring>({L"", L"\n", L"", L"\n", L"", L"\n", L"", L"\n"}));
    }
}

// Example failure: a record of a linked module misses the linked log, or the match is case
// sensitive or needs the whole path.
TEST_F(LogEngineTest, ModuleLinksSendRecordsToLinkedLogs)
{
    ASSERT_EQ(OLCreateOwnLog(7), 0);
    ASSERT_EQ(OLOpenOwnFileChannelW(7, 1, L"linked", Folder().c_str(), true, false), 1);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(7, 0, OL_CHANNEL_FILE), 0);
    ASSERT_EQ(OLInitOwnLogW(0, L"app", Folder().c_str(), true, false, 0, 1, 0), 0);

    void* self = platform::ModuleHandleOf(reinterpret_cast<const void*>(&OLOwnLogOutput));
    ASSERT_NE(self, nullptr);
    const std::string path = platform::ModulePathOf(reinterpret_cast<const void*>(&OLOwnLogOutput)).filename().string();
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_FALSE(OLIsOwnLogRecordNeeded(0x1234, 0, self));
    ASSERT_EQ(OLSetOwnLinksA(7, ("?no_such_module.so??" + lower + "?" + lower).c_str()), 0);
    EXPECT_EQ(GetOwnLogRegistry().links[reinterpret_cast<std::uintptr_t>(self)].size(), 1u);
    EXPECT_TRUE(OLIsOwnLogRecordNeeded(0x1234, 0, self));

    _OwnLogRecord record = Record(OL_TRACE, L"linked record");
    record.moduleHandle = self;
    EXPECT_EQ(OLOwnLogOutput(0, &record), 0);
    ASSERT_EQ(OLSetOwnLinksW(0, platform::Utf8ToWide(path).c_str()), 0);
    EXPECT_EQ(OLOwnLogOutput(0, &record), 0);
    EXPECT_EQ(OLOwnLogOutput(0x1234, &record), -1) << "linked logs take it, the missing one refuses";
    OnLibraryDetach();

    const auto linked = FileLines("linked.txt");
    ASSERT_EQ(linked.size(), 4u);  // record three times, close banner
    EXPECT_EQ(linked[0], L"TRACE: -1; linked record");
    const auto app = FileLines("app.txt");
    // Banner; the first record; the second twice (through the link and its own handle); the
    // third through the link; banner.
    ASSERT_EQ(app.size(), 6u);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(app[i], L"TRACE: -1; linked record");
}

// Example failure: the library's unload leaves files open with records unwritten.
TEST_F(LogEngineTest, UnloadClosesEveryLog)
{
    InitLikeTheConfigurator();
    ASSERT_EQ(OLCreateOwnLog(3), 0);
    ASSERT_EQ(OLOpenOwnFileChannelA(3, 2, "second", platform::WideToUtf8(Folder()).c_str(), true, true), 1);
    _OwnLogRecord record = Record(OL_MANDATORY, L"buffered");
    ASSERT_EQ(OLOwnLogOutput(3, &record), 0);
    OnLibraryDetach();
    EXPECT_FALSE(OLisOwnLog(3));
    EXPECT_EQ(FileLines("Corvel.txt").size(), 2u);
    const auto second = FileLines("second_09_12_2026.txt");
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0], L"SV=MANDATORY; CD=-1; MSG=buffered");
}
