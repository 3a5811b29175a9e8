#include "ProcessLock.h"

#include "Paths.h"

#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

struct ProcessLock::Shared {
    std::timed_mutex mutex;
};

namespace {

std::mutex& RegistryMutex() { static auto* m = new std::mutex; return *m; }
std::map<std::string, std::weak_ptr<ProcessLock::Shared>>& Registry()
{
    static auto* r = new std::map<std::string, std::weak_ptr<ProcessLock::Shared>>;
    return *r;
}

std::string SafeName(const std::string& name)
{
    std::string out;
    for (char c : name)
        out += (c == '/' || c == '\\' || c == '\0') ? '_' : c;
    if (out.empty() || out == "." || out == "..")
        out = "_" + out;
    return out;
}

}  // namespace

std::filesystem::path ProcessLock::LockFilePath(const std::string& name, const std::filesystem::path& folder)
{
    const std::filesystem::path base = folder.empty() ? RuntimePath() : folder;
    return base / (SafeName(name) + "." + std::to_string(::getuid()) + ".lock");
}

ProcessLock::ProcessLock(std::string name, std::filesystem::path folder)
    : path_(LockFilePath(name, folder))
{
    {
        std::lock_guard lock(RegistryMutex());
        auto& slot = Registry()[path_.string()];
        shared_ = slot.lock();
        if (!shared_) {
            shared_ = std::make_shared<Shared>();
            slot = shared_;
        }
    }
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st {};
    // A lock file planted by another user would let that user hold our lock.
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || st.st_uid != ::geteuid() || !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
}

ProcessLock::~ProcessLock()
{
    if (held_)
        Unlock();
    if (fd_ >= 0)
        ::close(fd_);
}

bool ProcessLock::Lock(std::chrono::milliseconds timeout)
{
    if (fd_ < 0)
        return false;
    // Nobody else holding it is the common case: taken at once, without reading the clock.
    if (shared_->mutex.try_lock()) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return true;
        }
        shared_->mutex.unlock();
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (!shared_->mutex.try_lock_until(deadline))
        return false;
    auto backoff = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(backoff, deadline - now));
        backoff = std::min(backoff * 2, std::chrono::milliseconds(20));
    }
    shared_->mutex.unlock();
    return false;
}

void ProcessLock::Unlock()
{
    if (!held_)
        return;
    ::flock(fd_, LOCK_UN);
    held_ = false;
    shared_->mutex.unlock();
}

}  // namespace platform
