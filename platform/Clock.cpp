#include "Clock.h"

#include <numeric>
#include <thread>

namespace platform {

std::uint64_t IClock::TickCountMs() const
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Now().time_since_epoch()).count());
}

void SystemClock::SleepFor(std::chrono::milliseconds duration)
{
    if (duration.count() > 0)
        std::this_thread::sleep_for(duration);
}

IClock& DefaultClock()
{
    static SystemClock clock;
    return clock;
}

IClock::TimePoint ManualClock::Now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualClock::SleepFor(std::chrono::milliseconds duration)
{
    std::lock_guard lock(mutex_);
    sleeps_.push_back(duration);
    if (duration.count() > 0)
        now_ += duration;
}

void ManualClock::Advance(std::chrono::milliseconds duration)
{
    std::lock_guard lock(mutex_);
    now_ += duration;
}

std::vector<std::chrono::milliseconds> ManualClock::Sleeps() const
{
    std::lock_guard lock(mutex_);
    return sleeps_;
}

std::chrono::milliseconds ManualClock::TotalSlept() const
{
    std::lock_guard lock(mutex_);
    return std::accumulate(sleeps_.begin(), sleeps_.end(), std::chrono::milliseconds{0});
}

}  // namespace platform
