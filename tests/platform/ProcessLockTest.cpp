#include "platform/ProcessLock.h"

#include "support/LockHolder.h"
#include "support/TempDir.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace platform;
using namespace std::chrono_literals;
using corvel::test::TempDir;

// Example failure: two processes write one log file at once because the lock is only
// process-local; or a holder that crashed keeps everyone waiting for ever.
TEST(ProcessLock, ExcludesOtherProcessesAndIsFreedWhenTheHolderDies)
{
    TempDir dir;
    const pid_t holder = corvel::test::SpawnLockHolder(dir.Path(), "OVLIB_WRITING_MUTEX");
    ASSERT_GT(holder, 0);

    ProcessLock lock("OVLIB_WRITING_MUTEX", dir.Path());
    EXPECT_FALSE(lock.Lock(100ms)) << "lock taken while another process holds it";

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(lock.Lock(2000ms)) << "lock not freed by the holder's death";
    lock.Unlock();
}

// Example failure: threads share one lock object, so they share its descriptor and flock lets
// them all in; records from two threads interleave.
TEST(ProcessLock, ExcludesThreadsOfOneProcess)
{
    TempDir dir;
    ProcessLock lock("Shared", dir.Path());
    std::atomic<int> inside{0};
    std::atomic<int> worst{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                ProcessLockGuard guard(lock, 5000ms);
                ASSERT_TRUE(guard.Locked());
                const int now = ++inside;
                worst = std::max(worst.load(), now);
                std::this_thread::yield();
                --inside;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(worst.load(), 1);
}

// Example failure: a name with a path separator ("Global\\...") escapes the lock folder, or
// different names share one lock.
TEST(ProcessLock, NamesMapToSeparateFilesInTheFolder)
{
    TempDir dir;
    const auto crash = ProcessLock::LockFilePath("Global\\OrvaneAppIsInCrashingState", dir.Path());
    const auto escape = ProcessLock::LockFilePath("../../etc/x", dir.Path());
    EXPECT_EQ(crash.parent_path(), dir.Path());
    EXPECT_EQ(escape.parent_path(), dir.Path());

    ProcessLock a("A", dir.Path());
    ProcessLock b("B", dir.Path());
    ASSERT_TRUE(a.Lock(100ms));
    EXPECT_TRUE(b.Lock(100ms));
    b.Unlock();
    a.Unlock();
}

// Example failure: an unusable lock folder makes Lock block or report success.
TEST(ProcessLock, UnusableFolderFailsAtOnce)
{
    ProcessLock lock("X", "/nonexistent-folder/for-corvel");
    EXPECT_FALSE(lock.Lock(50ms));
    EXPECT_FALSE(lock.IsHeld());
}
