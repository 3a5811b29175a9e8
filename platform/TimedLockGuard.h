// Holds a lock that is taken with a time-out (Lock(timeout) / Unlock()) for a scope.
#pragma once

#include <chrono>

namespace platform {

template <class Lock>
class TimedLockGuard {
public:
    TimedLockGuard(Lock& lock, std::chrono::milliseconds timeout) : lock_(lock), locked_(lock.Lock(timeout)) {}
    ~TimedLockGuard()
    {
        if (locked_)
            lock_.Unlock();
    }
    TimedLockGuard(const TimedLockGuard&) = delete;
    TimedLockGuard& operator=(const TimedLockGuard&) = delete;
    /// Whether the lock was taken in time.
    bool Locked() const { return locked_; }

private:
    Lock& lock_;
    bool locked_;
};

}  // namespace platform
