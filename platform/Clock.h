// Time and waiting behind an interface, so the protocol's waits (post-write delays of up to a
// second, retries) cost nothing in tests. Code that waits takes an IClock and never sleeps on
// its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

class IClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~IClock() = default;
    virtual TimePoint Now() const = 0;
    virtual void SleepFor(std::chrono::milliseconds duration) = 0;

    /// Milliseconds since an arbitrary start, like a tick count.
    std::uint64_t TickCountMs() const;
};

/// The real clock.
class SystemClock final : public IClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void SleepFor(std::chrono::milliseconds duration) override;
};

/// The process-wide real clock.
IClock& DefaultClock();

/// A clock that only moves when told to or when something sleeps on it; it records each sleep.
class ManualClock final : public IClock {
public:
    TimePoint Now() const override;
    void SleepFor(std::chrono::milliseconds duration) override;
    void Advance(std::chrono::milliseconds duration);
    std::vector<std::chrono::milliseconds> Sleeps() const;
    std::chrono::milliseconds TotalSlept() const;

private:
    mutable std::mutex mutex_;
    TimePoint now_{};
    std::vector<std::chrono::milliseconds> sleeps_;
};

}  // namespace platform
