#include "LogTestSupport.h"

#include "platform/ProcessIds.h"

#include <map>
#include <regex>
#include <thread>

using namespace orvlog;
using namespace orvlog::test;

namespace {

class ConcurrencyTest : public LogFixture {};

}  // namespace

// Example failure: threads logging at once corrupt the engine's tables or interleave bytes of
// their lines, or a thread's records come out of order or under another thread's job id.
TEST_F(ConcurrencyTest, ManyThreadsLogAtOnce)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"threads", Folder().c_str(), true, false, 0, 4, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    constexpr int kThreads = 8;
    constexpr int kRecords = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            uint64_t job = 0;
            OLSetOwnLogJobId(0, &job);
            for (int i = 0; i < kRecords; ++i) {
                if (!OLIsOwnLogRecordNeeded(0, OL_TRACE, nullptr))
                    continue;
                _OwnLogRecord record{};
                InitOwnLogRecord(record);
                char* time = OLGetTimeStr(&record);
                wchar_t* message = OLGetErrorStrW(L"thread %d record %d", t, i);
                record.processId = platform::CurrentProcessId();
                record.threadId = platform::CurrentThreadId();
                record.timeText = time;
                record.severity = i % 5;
                record.message = message;
                OLOwnLogOutput(0, &record);
                if (i % 50 == 0)
                    OLSetOwnLogFileBuffering(0, i % 100 == 0 ? 0 : 1);
                OLDestroyInternalStr(&time, &message);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    ASSERT_EQ(OLCloseOwnLog(0), 0);

    const auto lines = FileLines("threads.txt");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kRecords + 2));
    const std::wregex pattern(LR"(\{([0-9A-F]+)\}; ML=(\d+); PT=\d+:(\d+); TM=[^;]+; F=undefined,undefined,0; )"
                              LR"(SV=[A-Z]+; CD=-1; MSG=thread (\d) record (\d+))");
    std::map<int, int> next;
    std::map<int, std::wstring> jobOfThread;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        std::wsmatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, pattern)) << platform::WideToUtf8(lines[i]);
        const int thread = std::stoi(m[4]);
        EXPECT_EQ(std::stoi(m[5]), next[thread]++) << "thread " << thread;
        EXPECT_EQ(std::stoul(m[2]), m[4].length() + m[5].length() + 15);
        if (jobOfThread.count(thread)) {
            EXPECT_EQ(jobOfThread[thread], m[1].str());
        }
        jobOfThread[thread] = m[1];
    }
    EXPECT_EQ(jobOfThread.size(), static_cast<std::size_t>(kThreads));
}
