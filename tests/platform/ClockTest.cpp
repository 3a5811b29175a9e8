#include "platform/Clock.h"

#include <gtest/gtest.h>

using namespace platform;
using namespace std::chrono_literals;

// Example failure: the manual clock sleeps for real or forgets a sleep, so a test of a 1000 ms
// retry either takes a second or cannot see the wait.
TEST(ManualClock, SleepsAdvanceTimeAndAreRecorded)
{
    ManualClock clock;
    const auto start = clock.Now();
    const auto startTicks = clock.TickCountMs();
    clock.SleepFor(1000ms);
    clock.SleepFor(0ms);
    clock.Advance(5ms);
    EXPECT_EQ(clock.Now() - start, 1005ms);
    EXPECT_EQ(clock.TickCountMs() - startTicks, 1005u);
    EXPECT_EQ(clock.Sleeps(), (std::vector<std::chrono::milliseconds>{1000ms, 0ms}));
    EXPECT_EQ(clock.TotalSlept(), 1000ms);
}

// Example failure: the real clock goes backwards or does not sleep.
TEST(SystemClock, MovesForward)
{
    IClock& clock = DefaultClock();
    const auto before = clock.Now();
    clock.SleepFor(2ms);
    EXPECT_GE(clock.Now() - before, 2ms);
}
