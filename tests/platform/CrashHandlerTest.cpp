#include "platform/CrashHandler.h"

#include "support/TempDir.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using corvel::test::TempDir;

namespace {

constexpr std::time_t kCrashTime = 1700000000;

// Forks a child that installs the handler and dies of `sig`; returns its wait status.
int CrashChild(const TempDir& dir, const std::filesystem::path& dumps, int sig, const int* startPipe = nullptr)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (startPipe)
            ::close(startPipe[1]);
        CrashHandlerConfig config;
        config.dumpsFolder = dumps;
        config.programName = "corvel";
        config.lockFolder = dir.Path();
        config.fixedTime = kCrashTime;
        if (!InstallCrashHandler(config))
            ::_exit(90);
        if (startPipe) {
            char go;
            (void)!::read(startPipe[0], &go, 1);
        }
        ::raise(sig);
        ::_exit(91);
    }
    int status = 0;
    if (!startPipe)
        ::waitpid(pid, &status, 0);
    return startPipe ? pid : status;
}

std::set<std::string> Reports(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return names;
}

std::string LocalStamp(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    return CrashReportFileName("corvel", local);
}

}  // namespace

// Example failure: a crash leaves no report, the report has the wrong name, or the process no
// longer dies of its signal (so the system's own crash handling never runs).
TEST(CrashHandler, WritesANamedReportAndDiesOfTheSignal)
{
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        const auto dumps = dir / "Orvane/Kelmir CameraLink/Dumps";
        const int status = CrashChild(dir, dumps, sig);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
        EXPECT_EQ(WTERMSIG(status), sig);

        const auto reports = Reports(dumps);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(*reports.begin(), LocalStamp(kCrashTime));
        std::ifstream in(dumps / *reports.begin());
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_NE(text.find("signal: "), std::string::npos) << text.substr(0, 200);
        EXPECT_NE(text.find("back-trace:"), std::string::npos);
        EXPECT_NE(text.find("memory map:"), std::string::npos);
    }
}

// Example failure: two crashes in the same second get one name and the second report
// overwrites the first.
TEST(CrashHandler, TwoCrashesInOneSecondKeepBothReports)
{
    TempDir dir;
    const auto dumps = dir / "Dumps";
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t a = CrashChild(dir, dumps, SIGSEGV, go);
    const pid_t b = CrashChild(dir, dumps, SIGSEGV, go);
    ::close(go[0]);
    ::close(go[1]);  // both children read end-of-file and crash together
    int status = 0;
    ::waitpid(a, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    ::waitpid(b, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));

    const auto reports = Reports(dumps);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports.count(LocalStamp(kCrashTime)), 1u);
    for (const auto& name : reports) {
        EXPECT_EQ(name.rfind("corvel_", 0), 0u) << name;
        EXPECT_GT(std::filesystem::file_size(dumps / name), 0u) << name;
    }
}

// Example failure: a dumps folder that cannot be created makes the handler hang or swallow the
// crash.
TEST(CrashHandler, UnwritableFolderStillEndsTheProcess)
{
    TempDir dir;
    dir.Write("file", "x");
    const int status = CrashChild(dir, dir / "file/Dumps", SIGSEGV);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
}

// Example failure: the report name's date fields are off by one (month from 0, year from 1900).
TEST(CrashHandler, ReportNameFormat)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 10;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    EXPECT_EQ(CrashReportFileName("corvel", t), "corvel_20261210090507.dmp");
}
