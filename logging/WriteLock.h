// The write lock of the log files, shared by every process of the user and every thread of this
// one: the stand-in for the named mutex "OVLIB_WRITING_MUTEX". It is a process-shared robust
// mutex in a small file mapped by every writer (under the runtime folder, which lives in memory).
// Taking it when nobody holds it costs no system call. A holder that dies frees it: the next
// taker is told, marks the mutex consistent and goes on. A wait ends at its time-out.
#pragma once

#include "platform/TimedLockGuard.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace orvlog {

class WriteLock {
public:
    /// `folder` overrides the runtime folder (tests).
    explicit WriteLock(const std::string& name, const std::filesystem::path& folder = {});
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    /// False when the shared file could not be opened or mapped (every Lock then fails).
    bool IsOpen() const { return shared_ != nullptr; }
    /// Waits up to `timeout`. False on time-out, when the lock is not open, or when this thread
    /// holds it already.
    bool Lock(std::chrono::milliseconds timeout);
    void Unlock();

    /// folder/<name>.<uid>.mutex
    static std::filesystem::path FilePath(const std::string& name, const std::filesystem::path& folder = {});

    struct Shared;

private:
    Shared* shared_ = nullptr;
};

/// Holds a WriteLock for a scope; `Locked()` tells whether it was taken in time.
using WriteLockGuard = platform::TimedLockGuard<WriteLock>;

}  // namespace orvlog
