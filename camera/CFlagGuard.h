// A re-entrancy guard over a 32-bit flag: taking it exchanges the flag with 1 and keeps the old
// value; when the old value was already 1 the guarded work is running (a nested message loop
// re-entered it) and the caller returns. On every way out the flag gets its old value back.
#pragma once

#include <atomic>
#include <cstdint>

class CFlagGuard {
public:
    explicit CFlagGuard(std::atomic<std::int32_t>& flag) : flag_(flag), saved_(flag.exchange(1)) {}
    ~CFlagGuard() { flag_.exchange(saved_); }
    CFlagGuard(const CFlagGuard&) = delete;
    CFlagGuard& operator=(const CFlagGuard&) = delete;

    /// True when the flag was already 1: the guarded work is running elsewhere.
    bool AlreadyRunning() const { return saved_ == 1; }

private:
    std::atomic<std::int32_t>& flag_;
    const std::int32_t saved_;
};
