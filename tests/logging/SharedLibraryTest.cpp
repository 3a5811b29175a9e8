// Tests through liborvlog.so in processes of their own (the writer program).
#include "logging/OrvLog.h"
#include "platform/TextConv.h"
#include "support/ChildProcess.h"
#include "support/LogFiles.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <regex>
#include <sys/wait.h>
#include <vector>

namespace {

// Starts the writer with the given arguments (argv[0] "writer") and the log folder.
pid_t StartWriter(const std::vector<std::string>& args, const std::filesystem::path& folder)
{
    std::vector<std::string> argStrings = {"writer"};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    return corvel::test::SpawnProgram(ORVLOG_WRITER_PATH, argStrings, {"ORVLOG_TEST_FOLDER=" + folder.string()});
}

int Wait(pid_t pid) { return corvel::test::WaitExitCode(pid); }

using corvel::test::ReadBytes;

std::vector<std::wstring> Lines(const std::string& bytes) { return corvel::test::LogFileLines(bytes); }

}  // namespace

// Example failure: the configurator's log differs in any byte from what readers and the
// support team expect: mark, line ends, banners, labels, thresholds or the filtered record.
TEST(OrvLogLibrary, ConfiguratorStartupWritesTheGoldenFile)
{
    corvel::test::TempDir dir;
    ASSERT_EQ(Wait(StartWriter({"golden"}, dir.Path())), 0);
    EXPECT_EQ(ReadBytes(dir / "Corvel.txt"), ReadBytes(ORVLOG_GOLDEN_STARTUP));
}

// Example failure: a program that ends without closing its log loses the buffered records and
// the close banner (the library's unload must close every log).
TEST(OrvLogLibrary, UnloadAtExitClosesTheLog)
{
    corvel::test::TempDir dir;
    ASSERT_EQ(Wait(StartWriter({"unclosed"}, dir.Path())), 0);
    const auto lines = Lines(ReadBytes(dir / "unclosed.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], L"SV=MANDATORY; CD=0; MSG=buffered at exit");
    EXPECT_TRUE(lines[2].starts_with(L"SV=MANDATORY; CD=0; MSG=   <<<<<<<<<<<<<<<<< Close the log channels: File_Output for: writer unclosed"));
}

// Example failure: two processes appending to one log interleave bytes inside lines,
// overwrite each other's records, or write the byte-order mark twice.
TEST(OrvLogLibrary, TwoProcessesWriteOneFileWithoutInterleaving)
{
    corvel::test::TempDir dir;
    constexpr int kCount = 3000;
    const pid_t a = StartWriter({"write", "A", std::to_string(kCount), "0"}, dir.Path());
    const pid_t b = StartWriter({"write", "B", std::to_string(kCount), "1"}, dir.Path());
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    ASSERT_EQ(Wait(a), 0);
    ASSERT_EQ(Wait(b), 0);

    const std::string bytes = ReadBytes(dir / "shared.txt");
    ASSERT_EQ(bytes.find("\xFF\xFE", 2) % 2, 1u) << "a second byte-order mark at an even offset";
    const auto lines = Lines(bytes);
    const std::wregex record(LR"(\{[0-9A-F]+\}; ML=(\d+); PT=\d+:\d+; TM=[^;]+; F=Corvel_5.cpp,CCorvel_5App::InitInstance,210; )"
                             LR"(SV=NOTICE; CD=(\d+); MSG=writer ([AB]) record (\d+) x{150})");
    const std::wregex banner(LR"(\{[0-9A-F]+\}; ML=\d+; PT=[^;]+; TM=[^;]+; F=..\\LogEngine.cpp,LogEngine::(Initialize|Close),(107|47); SV=MANDATORY; CD=0; MSG=.*)");
    std::map<std::wstring, int> next;
    int banners = 0;
    for (const auto& line : lines) {
        std::wsmatch m;
        if (std::regex_match(line, banner)) {
            ++banners;
            continue;
        }
        ASSERT_TRUE(std::regex_match(line, m, record)) << platform::WideToUtf8(line.substr(0, 300));
        const int index = std::stoi(m[4]);
        EXPECT_EQ(index, next[m[3]]++);
        EXPECT_EQ(std::stoi(m[2]), index);
    }
    EXPECT_EQ(banners, 4);
    EXPECT_EQ(next[L"A"], kCount);
    EXPECT_EQ(next[L"B"], kCount);
}
