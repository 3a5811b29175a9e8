// The configurator's start-up: its order, the settings file, the log and its thresholds, the
// banner, the crash handler's configuration, and the log's close when the application goes.
#include "app/CCorvel_5App.h"

#include "logging/ConfiguratorLog.h"
#include "platform/ProfileSettings.h"
#include "support/LogFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using corvel::test::ScopedEnv;
using corvel::test::TempDir;

namespace {

class Startup : public ::testing::Test {
protected:
    Startup()
        : data_("XDG_DATA_HOME", (dir_ / "data").string()),
          state_("XDG_STATE_HOME", (dir_ / "state").string()),
          runtime_("XDG_RUNTIME_DIR", dir_.Path().string()),
          oldIni_(platform::ProfileSettings::Application().File())
    {
    }
    ~Startup() override { platform::ProfileSettings::Application().SetFile(oldIni_); }

    std::filesystem::path DataFolder() const { return dir_ / "data/Orvane/Corvel.ZorvatKelmir/"; }
    std::vector<std::wstring> LogLines() const
    {
        return corvel::test::LogFileLines(corvel::test::ReadBytes(DataFolder() / "Corvel.txt"));
    }

    // Services that record each window-side step and never touch signals or windows.
    CCorvel_5App::Services Recording(std::vector<std::string>& steps)
    {
        CCorvel_5App::Services services;
        services.initOle = [&steps] {
            steps.push_back("ole");
            return true;
        };
        services.showMessage = [&steps](const std::string& text) { steps.push_back("message " + text); };
        services.installCrashHandler = [&steps, this](const platform::CrashHandlerConfig& config) {
            steps.push_back("crash handler");
            crashConfig_ = config;
            return true;
        };
        services.runMainWindow = [&steps] { steps.push_back("main window"); };
        return services;
    }

    TempDir dir_;
    ScopedEnv data_, state_, runtime_;
    std::filesystem::path oldIni_;
    platform::CrashHandlerConfig crashConfig_;
};

// The application log is open when its file channel answers.
bool AppLogOpen()
{
    int threshold = 0;
    return OLGetOwnLogSeverityThreshold(kAppLogHandle, &threshold, OL_CHANNEL_FILE) == 0;
}

std::wstring OpenBanner(const std::wstring& line)
{
    return line.substr(0, line.find(L" for: "));
}

}  // namespace

// Example failure: start-up runs a step out of order: the crash handler or the main window
// before the log is open and the banner written, the settings file not yet pointed at the data
// folder when the main window reads it, the wrong thresholds (DEBUG records in the file), or
// the log closed before the application object goes.
TEST_F(Startup, RunsItsStepsInOrder)
{
    std::vector<std::string> steps;
    auto services = Recording(steps);
    services.version = FileVersion{5, 1, 2, 3};
    services.initOle = [&steps, this] {
        steps.push_back("ole");
        EXPECT_FALSE(std::filesystem::exists(DataFolder()));
        EXPECT_FALSE(AppLogOpen());
        return true;
    };
    auto recordCrash = services.installCrashHandler;
    services.installCrashHandler = [recordCrash](const platform::CrashHandlerConfig& config) {
        CORVEL_LOG(OL_TRACE, 0, L"test", "Startup", L"crash handler step");
        return recordCrash(config);
    };
    services.runMainWindow = [&steps, this] {
        steps.push_back("main window");
        EXPECT_EQ(platform::ProfileSettings::Application().File(), DataFolder() / "Corvel.ini");
        int threshold = -1;
        EXPECT_EQ(OLGetOwnLogSeverityThreshold(kAppLogHandle, &threshold, OL_CHANNEL_SYSTEM), 0);
        EXPECT_EQ(threshold, 7);
        EXPECT_EQ(OLGetOwnLogSeverityThreshold(kAppLogHandle, &threshold, OL_CHANNEL_FILE), 0);
        EXPECT_EQ(threshold, 1);
        EXPECT_EQ(OLGetOwnLogSeverityThreshold(kAppLogHandle, &threshold, OL_CHANNEL_IDE), 0);
        EXPECT_EQ(threshold, 1);
        CORVEL_LOG(OL_DEBUG, 0, L"test", "Startup", L"dropped: below the threshold");
        CORVEL_LOG(OL_TRACE, 0, L"test", "Startup", L"main window step");
    };
    {
        CCorvel_5App app(services);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(steps, (std::vector<std::string>{"ole", "crash handler", "main window"}));
        EXPECT_TRUE(AppLogOpen());
    }
    EXPECT_FALSE(AppLogOpen());

    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(OpenBanner(lines[0]), L"MANDATORY: 0;    >>>>>>>>>>>>>>>>> Open the log channels: File_Output, IDE_Output");
    EXPECT_EQ(lines[1], L"TRACE: -1; ============  Version 5.1.2.3  ===========");
    EXPECT_EQ(lines[2], L"TRACE: 0; crash handler step");
    EXPECT_EQ(lines[3], L"TRACE: 0; main window step");
    EXPECT_EQ(OpenBanner(lines[4]), L"MANDATORY: 0;    <<<<<<<<<<<<<<<<< Close the log channels: File_Output, IDE_Output");

    EXPECT_EQ(crashConfig_.dumpsFolder, dir_ / "state/Orvane/Kelmir CameraLink/Dumps/");
    EXPECT_EQ(crashConfig_.programName, "corvel_shell_tests");
    EXPECT_EQ(crashConfig_.lockName, "Global\\OrvaneAppIsInCrashingState");
    EXPECT_EQ(crashConfig_.lockWait, std::chrono::milliseconds(5000));
}

// Example failure: the log keeps the previous run's records (it must be emptied at each start).
TEST_F(Startup, EachStartEmptiesTheLog)
{
    for (int run = 0; run < 2; ++run) {
        std::vector<std::string> steps;
        CCorvel_5App app(Recording(steps));
        app.InitInstance();
    }
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 30), L"TRACE: -1; ============  Versi");
}

// Example failure: a program without version information writes a banner with garbage in it.
TEST_F(Startup, NoVersionInformationWritesNoBanner)
{
    std::vector<std::string> steps;
    auto services = Recording(steps);
    services.version.reset();
    {
        CCorvel_5App app(services);
        app.InitInstance();
    }
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(L"Close the log channels"), std::wstring::npos);
}

// Example failure: after the start-up failure the program still creates folders, opens the
// log or runs the main window, or the operator is not told.
TEST_F(Startup, OleFailureShowsTheMessageAndStops)
{
    std::vector<std::string> steps;
    auto services = Recording(steps);
    services.initOle = [&steps] {
        steps.push_back("ole");
        return false;
    };
    {
        CCorvel_5App app(services);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_FALSE(AppLogOpen());
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"ole", "message Failed to initialize OLE library"}));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data"));
}

// Example failure: a log write past the file-size limit kills the program with SIGXFSZ: no
// settings saved, the log closed nowhere and its last record cut in the middle of a line.
TEST_F(Startup, AWritePastTheFileSizeLimitLosesOnlyThatRecord)
{
    constexpr rlim_t kLimit = 4096;
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{kLimit, kLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(2);
        std::vector<std::string> steps;
        auto services = Recording(steps);
        services.runMainWindow = [] {
            for (int i = 0; i < 200; ++i)
                CORVEL_LOG(OL_NOTICE, i, L"Corvel_5", "Test", L"record %d of a log that outgrows its limit", i);
            platform::ProfileSettings::Application().WriteProfileInt("LastConfig", "ShowDebugInfo", 1);
        };
        {
            CCorvel_5App app(services);
            app.InitInstance();
        }
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::string bytes = corvel::test::ReadBytes(DataFolder() / "Corvel.txt");
    EXPECT_LE(bytes.size(), kLimit);
    const auto lines = LogLines();
    ASSERT_GT(lines.size(), 10u);
    for (const auto& line : lines)
        EXPECT_NE(line, L"<unterminated>");
    platform::ProfileSettings settings(DataFolder() / "Corvel.ini");
    EXPECT_EQ(settings.GetProfileInt("LastConfig", "ShowDebugInfo", 0), 1);
}
