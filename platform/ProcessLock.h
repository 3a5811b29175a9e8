// A named lock shared by every process of the user and every thread of this one: the stand-in
// for a named mutex. A lock file under the runtime folder is taken with flock; an in-process
// mutex per name excludes the threads of this process as well, since flock alone does not
// exclude threads that share a descriptor. The kernel frees the file lock when a holder dies.
#pragma once

#include "TimedLockGuard.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace platform {

class ProcessLock {
public:
    /// `name` is the mutex name ("OVLIB_WRITING_MUTEX"); separators in it become '_'.
    /// `folder` overrides the lock-file folder (tests); by default RuntimePath().
    explicit ProcessLock(std::string name, std::filesystem::path folder = {});
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

    /// Waits up to `timeout` for the lock. Returns false on time-out or when the lock file
    /// cannot be opened. One object may be shared by threads. Not recursive: a thread that
    /// holds the lock and takes it again waits out the time-out and gets false.
    bool Lock(std::chrono::milliseconds timeout);
    void Unlock();
    bool IsHeld() const { return held_.load(); }
    /// False when the lock file could not be opened (every Lock then fails).
    bool IsOpen() const { return fd_ >= 0; }

    const std::filesystem::path& FilePath() const { return path_; }

    /// Lock-file path for a name: folder/<name>.<uid>.lock.
    static std::filesystem::path LockFilePath(const std::string& name,
                                              const std::filesystem::path& folder = {});

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    std::filesystem::path path_;
    int fd_ = -1;
    std::atomic<bool> held_{false};
};

/// Holds a ProcessLock for a scope; `Locked()` tells whether it was taken in time.
using ProcessLockGuard = TimedLockGuard<ProcessLock>;

}  // namespace platform
