#include "LogTestSupport.h"

#include "logging/LogEngine.h"
#include "support/FullDisk.h"
#include "support/LockHolder.h"

#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvlog;
using namespace orvlog::test;
using namespace std::chrono_literals;

namespace {

class FileOutputTest : public LogFixture {
protected:
    int Write(OLHandle handle, int severity, const wchar_t* message)
    {
        _OwnLogRecord record = Record(severity, message);
        return OLOwnLogOutput(handle, &record);
    }
    std::uintmax_t Size(const std::string& name) { return std::filesystem::file_size(dir_ / name); }
};

}  // namespace

// Example failure: the file is written in the platform's wchar_t, without the mark, with a
// lone line feed, or with a terminator after each line.
TEST_F(FileOutputTest, ExactBytesOfALine)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"bytes", Folder().c_str(), true, false, 0, 2, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    uint64_t position = 0;
    ASSERT_EQ(OLGetCurrentOwnLogPosition(0, &position), 0);
    const std::string before = dir_.Read("bytes.txt");
    ASSERT_EQ(position, before.size());
    ASSERT_EQ(Write(0, OL_DEBUG, L"\u00e9\U0001F600"), 0);
    ASSERT_EQ(OLGetCurrentOwnLogPosition(0, &position), 0);

    const std::string bytes = dir_.Read("bytes.txt");
    ASSERT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
    const std::string ascii = "SV=DEBUG; CD=-1; MSG=";
    std::string line;
    for (char c : ascii)
        line += std::string{c, '\0'};
    line += std::string("\xE9\x00" "\x3D\xD8\x00\xDE" "\r\x00\n\x00", 10);
    EXPECT_EQ(bytes.substr(before.size()), line);
    EXPECT_EQ(position, bytes.size());
}

// Example failure: dated names use the month first, lack zero padding, or a missing stem
// gives an empty name instead of "OLog".
TEST_F(FileOutputTest, FileNames)
{
    struct Case {
        const wchar_t* stem;
        bool dated;
        std::string expected;
    };
    const Case cases[] = {
        {L"Corvel", false, "Corvel.txt"},
        {L"Corvel", true, "Corvel_09_12_2026.txt"},
        {nullptr, false, "OLog.txt"},
        {nullptr, true, "OLog_09_12_2026.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        FileOutput file;
        file.SetFileName(c.stem);
        file.SetFolder(Folder().c_str());
        file.SetDatedName(c.dated);
        ASSERT_EQ(file.Open(), 0);
        EXPECT_EQ(file.BuildFileName(), Folder() + platform::Utf8ToWide(c.expected));
        EXPECT_TRUE(std::filesystem::exists(dir_ / c.expected));
        file.Close();
    }
}

// Example failure: a folder given without a trailing separator puts the file beside the folder
// under a wrong name; a missing folder fails instead of falling back to the current directory.
TEST_F(FileOutputTest, FolderIsResolvedAndEndsInASeparator)
{
    std::filesystem::create_directory(dir_ / "logs");
    FileOutput file;
    file.SetFolder(platform::Utf8ToWide((dir_ / "logs").string()).c_str());
    EXPECT_EQ(file.Folder(), Folder() + L"logs/");

    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    FileOutput missing;
    missing.SetFolder(L"/no/such/folder/");
    FileOutput null;
    null.SetFolder(nullptr);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(missing.Folder(), Folder());
    EXPECT_EQ(null.Folder(), Folder());

    ASSERT_EQ(OLInitOwnLogW(0, L"x", platform::Utf8ToWide((dir_ / "logs").string()).c_str(), true, false, 0, 1, 0), 0);
    char* narrow = OLGetOwnLogFileFolderA(0);
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(std::string(narrow), (dir_ / "logs").string() + "/");
    std::free(narrow);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "logs" / "x.txt"));
}

// Example failure: the recreate flag is ignored (old lines stay) or appending empties the file;
// or the mark is written over the first bytes of an existing file.
TEST_F(FileOutputTest, RecreateEmptiesAtOpenAppendKeepsAndTheMarkGoesOnlyIntoEmptyFiles)
{
    for (bool recreate : {true, false, false}) {
        ASSERT_EQ(OLInitOwnLogW(0, L"run", Folder().c_str(), recreate, false, 0, 2, 0), 0);
        ASSERT_EQ(OLCloseOwnLog(0), 0);
    }
    bool mark = false;
    EXPECT_EQ(FileLines("run.txt", &mark).size(), 6u) << "three runs of two banners";
    EXPECT_TRUE(mark);
    ASSERT_EQ(OLInitOwnLogW(0, L"run", Folder().c_str(), true, false, 0, 2, 0), 0);
    ASSERT_EQ(OLCloseOwnLog(0), 0);
    EXPECT_EQ(FileLines("run.txt").size(), 2u);

    dir_.Write("foreign.txt", "abcdef");
    ASSERT_EQ(OLInitOwnLogW(0, L"foreign", Folder().c_str(), false, false, 0, 2, 0), 0);
    ASSERT_EQ(OLCloseOwnLog(0), 0);
    EXPECT_EQ(dir_.Read("foreign.txt").substr(0, 6), "abcdef");
}

// Example failure: at midnight the undated log is emptied (the configurator runs with recreate
// on), or a dated log does not move to the new day's file, or the new file lacks the mark.
TEST_F(FileOutputTest, ChangeOfDateNeverTruncates)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"undated", Folder().c_str(), true, false, 0, 2, 0), 0);
    ASSERT_EQ(OLInitOwnLogW(0x11, L"dated", Folder().c_str(), true, true, 0, 2, 0), -1) << "unknown handle";
    ASSERT_EQ(OLCreateOwnLog(0x11), 0);
    ASSERT_EQ(OLInitOwnLogW(0x11, L"dated", Folder().c_str(), true, true, 0, 2, 0), 0);
    for (OLHandle h : {0u, 0x11u})
        ASSERT_EQ(OLSetOwnLogSeverityThreshold(h, 0, OL_CHANNEL_FILE), 0);

    for (OLHandle h : {0u, 0x11u})
        ASSERT_EQ(Write(h, OL_NOTICE, L"ninth"), 0);
    SetClock(UtcTime(2026, 12, 10, 0, 0, 1));
    for (OLHandle h : {0u, 0x11u})
        ASSERT_EQ(Write(h, OL_NOTICE, L"tenth"), 0);
    _OwnLogRecord unstamped = Record(OL_NOTICE, L"unstamped");
    unstamped.day = -1;
    ASSERT_EQ(OLOwnLogOutput(0, &unstamped), 0);
    ASSERT_EQ(Write(0, OL_NOTICE, L"tenth again"), 0);
    OnLibraryDetach();

    const auto undated = FileLines("undated.txt");
    ASSERT_EQ(undated.size(), 6u);
    EXPECT_EQ(undated[1], L"SV=NOTICE; CD=-1; MSG=ninth");
    EXPECT_EQ(undated[2], L"SV=NOTICE; CD=-1; MSG=tenth");
    EXPECT_EQ(undated[3], L"SV=NOTICE; CD=-1; MSG=unstamped");
    EXPECT_EQ(undated[4], L"SV=NOTICE; CD=-1; MSG=tenth again");

    bool mark = false;
    const auto ninth = FileLines("dated_09_12_2026.txt", &mark);
    ASSERT_EQ(ninth.size(), 2u);
    EXPECT_EQ(ninth[1], L"SV=NOTICE; CD=-1; MSG=ninth");
    const auto tenth = FileLines("dated_10_12_2026.txt", &mark);
    EXPECT_TRUE(mark);
    ASSERT_EQ(tenth.size(), 2u);
    EXPECT_EQ(tenth[0], L"SV=NOTICE; CD=-1; MSG=tenth");
}

// Example failure: records below "ERROR" wait in memory, so a program that dies next, or another
// process reading the log, misses them; or switching buffering off loses the text.
TEST_F(FileOutputTest, EveryRecordIsInTheFileWhenItsCallReturns)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"through", Folder().c_str(), true, false, 0, 2, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    int32_t buffering = -1;
    ASSERT_EQ(OLGetOwnLogFileBuffering(0, &buffering), 0);
    EXPECT_EQ(buffering, 1);

    std::size_t count = 1;  // the open banner
    for (const int32_t mode : {1, 0}) {
        ASSERT_EQ(OLSetOwnLogFileBuffering(0, mode), 0);
        for (int severity = OL_DEBUG; severity <= OL_BANNER; ++severity) {
            const std::wstring message = L"severity " + std::to_wstring(severity) + L", buffering " + std::to_wstring(mode);
            SCOPED_TRACE(platform::WideToUtf8(message));
            ASSERT_EQ(Write(0, severity, message.c_str()), 0);
            const auto lines = FileLines("through.txt");
            ASSERT_EQ(lines.size(), ++count);
            EXPECT_TRUE(lines.back().ends_with(L"; CD=-1; MSG=" + message)) << platform::WideToUtf8(lines.back());
        }
    }
    uint64_t position = 0;
    ASSERT_EQ(OLGetCurrentOwnLogPosition(0, &position), 0);
    EXPECT_EQ(position, Size("through.txt"));
}

// Example failure: records waiting in memory are thrown away with the one that met the
// time-out; a writer waits for ever behind another process, reports failure, or finds the
// lock still taken after its holder was killed.
TEST_F(FileOutputTest, ALockTimeOutLosesOnlyItsRecord)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"locked", Folder().c_str(), true, false, 0, 2, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    ASSERT_EQ(Write(0, OL_TRACE, L"before"), 0);
    const pid_t holder = corvel::test::SpawnHolder(
        [&] { return (new WriteLock(FileOutput::kLockName, dir_.Path()))->Lock(std::chrono::milliseconds(5000)); });
    ASSERT_GT(holder, 0);
    EXPECT_EQ(Write(0, OL_ERROR, L"dropped"), 0) << "a lost record is no failure";
    // Killed while it holds the lock: the lock is free for the next writer.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(Write(0, OL_TRACE, L"after"), 0);
    const auto lines = FileLines("locked.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], L"SV=TRACE; CD=-1; MSG=before");
    EXPECT_EQ(lines[2], L"SV=ERROR; CD=-1; MSG=1 log record was lost before this line: another writer kept the write "
                        L"lock past the time-out");
    EXPECT_EQ(lines[3], L"SV=TRACE; CD=-1; MSG=after");
}

// Example failure: a file that cannot be created leaves a channel that swallows records, or
// the failure is not reported.
TEST_F(FileOutputTest, UncreatableFileLeavesTheChannelOut)
{
    std::filesystem::create_directory(dir_ / "blocked.txt");  // a folder where the file should be
    EXPECT_EQ(OLInitOwnLogW(0, L"blocked", Folder().c_str(), true, false, 0, 1, 1), 0) << "debugger channel opens";
    EXPECT_EQ(FindOwnLogEngine(0)->FindOutputChannel(OL_CHANNEL_FILE), nullptr);
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports()[0].caption, L"The initialization of file output channel");
    EXPECT_TRUE(Reports()[0].text.starts_with(L"Can't create log file: " + Folder() + L"blocked.txt; error: "));
    EXPECT_EQ(OLOpenOwnFileChannelW(0, 1, L"blocked", Folder().c_str(), true, false), 0);
}

// Example failure: records lost to a full disk leave no trace once space returns, so a reader
// takes the log for whole; or the file keeps half a line, or a write blocks or fails the call.
TEST_F(FileOutputTest, RecordsLostToAFullDiskAreCountedInTheNextLine)
{
    corvel::test::FullDisk disk(dir_ / "disk", 64 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    const std::wstring folder = platform::Utf8ToWide((dir_ / "disk").string());
    ASSERT_EQ(OLInitOwnLogW(0, L"full", folder.c_str(), true, false, 0, 2, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    ASSERT_EQ(Write(0, OL_NOTICE, L"before"), 0);
    ASSERT_TRUE(disk.Fill());
    // Longer than the room left in the log file's last page.
    const std::wstring lost(3000, L'x');
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Write(0, OL_NOTICE, lost.c_str()), 0) << "a lost record is no failure";
    ASSERT_EQ(FindOwnLogEngine(0)->FileChannel()->LostRecords(), 3u);

    std::filesystem::remove(dir_ / "disk" / "filler");
    ASSERT_EQ(Write(0, OL_NOTICE, L"after"), 0);
    ASSERT_EQ(Write(0, OL_NOTICE, L"later"), 0);
    const auto lines = FileLines("disk/full.txt");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], L"SV=NOTICE; CD=-1; MSG=before");
    EXPECT_EQ(lines[2], L"SV=ERROR; CD=" + std::to_wstring(ENOSPC) + L"; MSG=3 log records were lost before this line: "
                            + platform::Utf8ToWide(std::strerror(ENOSPC)));
    EXPECT_EQ(lines[3], L"SV=NOTICE; CD=-1; MSG=after");
    EXPECT_EQ(lines[4], L"SV=NOTICE; CD=-1; MSG=later") << "the count starts again";
}

// Example failure: a new day's file that cannot be made leaves the channel dead for the rest of
// the run, or the records lost meanwhile leave no trace once it can.
TEST_F(FileOutputTest, ANewDaysFileThatCannotBeMadeIsTriedAgain)
{
    ASSERT_EQ(OLInitOwnLogW(0, L"day", Folder().c_str(), true, true, 0, 2, 0), 0);
    ASSERT_EQ(OLSetOwnLogSeverityThreshold(0, 0, OL_CHANNEL_FILE), 0);
    std::filesystem::create_directory(dir_ / "day_10_12_2026.txt");  // in the way of the new file
    SetClock(UtcTime(2026, 12, 10, 0, 0, 1));
    EXPECT_EQ(Write(0, OL_NOTICE, L"lost"), 0);
    EXPECT_EQ(Write(0, OL_NOTICE, L"lost too"), 0);
    std::filesystem::remove(dir_ / "day_10_12_2026.txt");
    EXPECT_EQ(Write(0, OL_NOTICE, L"back"), 0);
    const auto lines = FileLines("day_10_12_2026.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"SV=ERROR; CD=" + std::to_wstring(EISDIR) + L"; MSG=2 log records were lost before this line: "
                            + platform::Utf8ToWide(std::strerror(EISDIR)));
    EXPECT_EQ(lines[1], L"SV=NOTICE; CD=-1; MSG=back");
}
