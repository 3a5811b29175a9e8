// The program's crash reports: start-up installs the handler so that a crash of the program
// leaves a report named after it in the dumps folder, and crashes at the same time keep
// their reports apart.
#include "app/CCorvel_5App.h"

#include "support/TempDir.h"

#include <csignal>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using corvel::test::TempDir;

namespace {

// Forks a child that runs the real start-up and crashes in its main window once `go` reaches
// end-of-file.
pid_t CrashingProgram(const TempDir& dir, int index, const int go[2])
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::close(go[1]);
    ::setenv("XDG_DATA_HOME", (dir / ("data" + std::to_string(index))).c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    CCorvel_5App::Services services;
    services.runMainWindow = [go] {
        char byte;
        (void)!::read(go[0], &byte, 1);
        ::raise(SIGSEGV);
    };
    CCorvel_5App app(services);
    app.InitInstance();
    ::_exit(91);
}

std::string LocalStamp(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
    return stamp;
}

std::vector<std::string> Reports(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return {names.begin(), names.end()};
}

// Runs `count` crashing programs at once and gives their reports, checking each one died of
// its signal.
std::vector<std::string> CrashTogether(const TempDir& dir, int count)
{
    int go[2];
    if (::pipe(go) != 0)
        return {};
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i)
        children.push_back(CrashingProgram(dir, i, go));
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << "status " << status;
    }
    return Reports(dir / "state/Orvane/Kelmir CameraLink/Dumps");
}

const std::regex kReportName("corvel_shell_tests_([0-9]{14})(_[0-9]+)?\\.dmp");

}  // namespace

// Example failure: the program's crash leaves no report, a report named other than
// "<program>_YYYYMMDDhhmmss.dmp", one outside the dumps folder, or one without the signal.
TEST(ProgramCrash, WritesAReportNamedAfterTheProgramAndTheTime)
{
    TempDir dir;
    const std::string before = LocalStamp(std::time(nullptr));
    const auto reports = CrashTogether(dir, 1);
    const std::string after = LocalStamp(std::time(nullptr));
    ASSERT_EQ(reports.size(), 1u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(reports[0], match, kReportName)) << reports[0];
    EXPECT_FALSE(match[2].matched) << reports[0];
    EXPECT_GE(match[1].str(), before);
    EXPECT_LE(match[1].str(), after);
    std::ifstream in(dir / "state/Orvane/Kelmir CameraLink/Dumps" / reports[0]);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("signal: SIGSEGV"), std::string::npos) << text.substr(0, 200);
}

// Example failure: two instances crashing in the same second write one name, and the second
// report overwrites the first.
TEST(ProgramCrash, TwoCrashesAtOnceKeepBothReports)
{
    TempDir dir;
    const auto reports = CrashTogether(dir, 2);
    ASSERT_EQ(reports.size(), 2u);
    std::smatch first, second;
    ASSERT_TRUE(std::regex_match(reports[0], first, kReportName)) << reports[0];
    ASSERT_TRUE(std::regex_match(reports[1], second, kReportName)) << reports[1];
    if (first[1].str() == second[1].str()) {
        EXPECT_NE(first[2].matched, second[2].matched) << "one report of the second carries the pid";
    }
    for (const auto& name : reports)
        EXPECT_GT(std::filesystem::file_size(dir / "state/Orvane/Kelmir CameraLink/Dumps" / name), 0u) << name;
}
