// The corvel program itself, started as a process: the first records of its log, the log's
// close at exit, and the picture of its window.
#include "app/CCorvel_5App.h"

#include "platform/TextConv.h"
#include "support/ChildProcess.h"
#include "support/LogFiles.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

using namespace corvel::test;

namespace {

// Runs corvel (argv[0] "corvel") on the offscreen platform with its folders in `dir` and the
// environment `extra`; it saves its window to shot.png and ends (-1 when it has not ended
// within a minute).
int RunProgram(const TempDir& dir, std::vector<std::string> extra = {})
{
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "XDG_DATA_HOME=" + (dir / "data").string(),
                                    "XDG_STATE_HOME=" + (dir / "state").string(),
                                    "XDG_RUNTIME_DIR=" + dir.Path().string(),
                                    "CORVEL_SCREENSHOT=" + (dir / "shot.png").string()};
    env.insert(env.end(), extra.begin(), extra.end());
    return WaitExitCodeWithin(SpawnProgram(CORVEL_PROGRAM_PATH, {"corvel"}, env), 60);
}

bool IsPng(const std::string& bytes)
{
    return bytes.size() > 8 && bytes.substr(0, 8) == std::string("\x89PNG\r\n\x1a\n", 8);
}

// The golden first records with this build's version in place of "@VERSION@".
std::string GoldenFirstRecords()
{
    const std::string golden = ReadBytes(CORVEL_GOLDEN_STARTUP);
    if (golden.size() < 2)
        return {};
    std::wstring text = platform::Utf16LeBytesToWide(golden.data() + 2, golden.size() - 2);
    const std::wstring placeholder = L"@VERSION@";
    if (const auto at = text.find(placeholder); at != std::wstring::npos)
        text.replace(at, placeholder.size(), VersionText(ProgramFileVersion()));
    return golden.substr(0, 2) + platform::WideToUtf16LeBytes(text);
}

}  // namespace

// Example failure: the program's log starts with other bytes than readers expect (mark, line
// ends, open banner, version banner), keeps an earlier run's records, or is not closed at exit.
TEST(Program, LogStartsWithTheGoldenRecordsAndClosesAtExit)
{
    TempDir dir;
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(RunProgram(dir), 0);
    const std::string log = ReadBytes(dir / "data/Orvane/Corvel.ZorvatKelmir/Corvel.txt");
    const std::string golden = GoldenFirstRecords();
    ASSERT_GT(golden.size(), 2u);
    EXPECT_EQ(log.substr(0, golden.size()), golden);
    const auto lines = LogFileLines(log);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back(), L"MANDATORY: 0;    <<<<<<<<<<<<<<<<< Close the log channels: File_Output, IDE_Output for: corvel");
    std::size_t opens = 0;
    for (const auto& line : lines)
        opens += line.find(L"Open the log channels") != std::wstring::npos;
    EXPECT_EQ(opens, 1u);
}

// Example failure: CORVEL_SCREENSHOT writes no picture, something other than a PNG, or leaves
// the program running.
TEST(Program, SavesAPictureOfItsWindow)
{
    TempDir dir;
    ASSERT_EQ(RunProgram(dir), 0);
    EXPECT_TRUE(IsPng(ReadBytes(dir / "shot.png")));
}

// Example failure: a picture-only run whose start-up shows a box (a camera of a configuration
// without a register map) waits for an answer forever, with the port open and the log unclosed.
TEST(Program, PictureRunEndsOnABoxAtStartUp)
{
    TempDir dir;
    const std::string emulated = CLSER_EMU_PATH;
    ASSERT_EQ(RunProgram(dir, {"CLSERIALPATH=" + emulated.substr(0, emulated.rfind('/')), "CORVEL_EMU_CONFIG=0"}), 0);
    EXPECT_TRUE(IsPng(ReadBytes(dir / "shot.png")));
    const auto lines = LogFileLines(ReadBytes(dir / "data/Orvane/Corvel.ZorvatKelmir/Corvel.txt"));
    ASSERT_FALSE(lines.empty());
    bool mapFailure = false;
    for (const auto& line : lines)
        mapFailure = mapFailure || line.find(L"XML Load failed: filename=<") != std::wstring::npos;
    EXPECT_TRUE(mapFailure);
    EXPECT_NE(lines.back().find(L"Close the log channels"), std::wstring::npos);
}

// Example failure: a logout (SIGHUP) or a kill (SIGTERM) ends the program at once: no close
// banner in the log, and the settings the main window saves when it closes are not saved.
TEST(Program, TerminationSignalsEndItAsExitDoes)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        const std::filesystem::path data = dir / "data/Orvane/Corvel.ZorvatKelmir";
        std::filesystem::create_directories(data);
        // No screenshot: the program waits for the operator at the port selector.
        const pid_t pid = SpawnProgram(CORVEL_PROGRAM_PATH, {"corvel"},
                                       {"QT_QPA_PLATFORM=offscreen", "XDG_DATA_HOME=" + (dir / "data").string(),
                                        "XDG_STATE_HOME=" + (dir / "state").string(),
                                        "XDG_RUNTIME_DIR=" + dir.Path().string(), "CLSERIALPATH=" + dir.Path().string()});
        ASSERT_GT(pid, 0);
        // Up once its log holds the version banner.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (LogFileLines(ReadBytes(data / "Corvel.txt")).size() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // Give it time to reach its window, where an operator would be.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_EQ(::kill(pid, signal), 0);
        ASSERT_EQ(WaitExitCodeWithin(pid, 60), 0);

        const auto lines = LogFileLines(ReadBytes(data / "Corvel.txt"));
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(L"Close the log channels"), std::wstring::npos);
        EXPECT_NE(ReadBytes(data / "Corvel.ini").find("ShowPythonPanel=0"), std::string::npos)
            << "the main window did not save its settings";
    }
}
