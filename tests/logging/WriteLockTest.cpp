#include "logging/WriteLock.h"
#include "support/LockHolder.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace orvlog;
using namespace std::chrono_literals;

// Example failure: two channels of one process (each with its own lock object) write at once,
// or a thread that takes the lock again hangs for ever instead of failing.
TEST(WriteLock, ExcludesThreadsAndObjectsOfOneProcess)
{
    corvel::test::TempDir dir;
    WriteLock first("OVLIB_WRITING_MUTEX", dir.Path());
    WriteLock second("OVLIB_WRITING_MUTEX", dir.Path());
    ASSERT_TRUE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    ASSERT_TRUE(first.Lock(1000ms));
    EXPECT_FALSE(second.Lock(50ms)) << "the same thread again";
    bool other = true;
    std::thread([&] { other = second.Lock(50ms); }).join();
    EXPECT_FALSE(other);
    first.Unlock();
    std::thread([&] {
        other = second.Lock(1000ms);
        if (other)
            second.Unlock();
    }).join();
    EXPECT_TRUE(other);
}

// Example failure: a holder killed while it holds the lock keeps every writer waiting; or a
// shared file left half-made (its maker died) or planted as a link is used as it is.
TEST(WriteLock, SurvivesADeadHolderAndABrokenFile)
{
    corvel::test::TempDir dir;
    const pid_t holder = corvel::test::SpawnHolder([&] { return (new WriteLock("L", dir.Path()))->Lock(5000ms); });
    ASSERT_GT(holder, 0);
    WriteLock lock("L", dir.Path());
    EXPECT_FALSE(lock.Lock(100ms)) << "held by the other process";
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ASSERT_TRUE(lock.Lock(5000ms)) << "freed by the holder's death";
    lock.Unlock();
    ASSERT_TRUE(lock.Lock(0ms)) << "consistent again";
    lock.Unlock();

    std::ofstream(WriteLock::FilePath("Half", dir.Path())) << std::string(256, '\0');
    WriteLock half("Half", dir.Path());
    ASSERT_TRUE(half.Lock(1000ms));
    half.Unlock();

    std::filesystem::create_symlink(WriteLock::FilePath("Half", dir.Path()), WriteLock::FilePath("Link", dir.Path()));
    WriteLock link("Link", dir.Path());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.Lock(0ms));
}
