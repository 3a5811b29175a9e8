#include "app/ExternalLauncher.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

using corvel::test::TempDir;

namespace {

/// Ignores a signal for a scope and restores the old disposition.
struct ScopedIgnore {
    int signal;
    struct sigaction old {};
    explicit ScopedIgnore(int s) : signal(s)
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(signal, &ignore, &old);
    }
    ~ScopedIgnore() { ::sigaction(signal, &old, nullptr); }
};

bool Ignored(int signal)
{
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler == SIG_IGN;
}

}  // namespace

// Example failure: a program started from Run Application inherits the ignored SIGXFSZ of
// this program, so a write of its own past the file-size limit fails where it would end it.
TEST(ExternalLauncher, AStartedProgramGetsTheDefaultFileSizeSignal)
{
    TempDir dir;
    const std::filesystem::path script = dir / "report.sh";
    const std::filesystem::path out = dir / "ignored.txt";
    dir.Write("report.sh", "#!/bin/sh\ngrep SigIgn /proc/$$/status > \"" + out.string() + ".part\"\nmv \""
                               + out.string() + ".part\" \"" + out.string() + "\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    ScopedIgnore ignore(SIGXFSZ);
    ASSERT_TRUE(RunExternalProgram(script.string()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(out) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::string line = dir.Read("ignored.txt");
    ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    EXPECT_EQ(mask & (1ull << (SIGXFSZ - 1)), 0u) << "the started program still ignores SIGXFSZ: " << line;
    EXPECT_TRUE(Ignored(SIGXFSZ)) << "this program keeps ignoring it";
    EXPECT_FALSE(RunExternalProgram((dir / "missing").string())) << "a program that cannot start is told";
}
