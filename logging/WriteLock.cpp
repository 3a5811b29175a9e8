#include "logging/WriteLock.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvlog {

struct WriteLock::Shared {
    // Set last, once the mutex is ready; a file without it (new, or its maker died half-way)
    // is set up again.
    std::uint32_t ready;
    std::uint32_t size;
    pthread_mutex_t mutex;
};

namespace {

constexpr std::uint32_t kReady = 0x4B434C57;  // "WLCK"

// Makes the mutex of a file that does not hold one yet. The caller holds the file's flock, so
// of several processes opening the lock at once only one sets it up.
bool SetUp(WriteLock::Shared& shared)
{
    pthread_mutexattr_t attributes;
    if (::pthread_mutexattr_init(&attributes) != 0)
        return false;
    const bool made = ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0
                      && ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0
                      && ::pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ERRORCHECK) == 0
                      && ::pthread_mutex_init(&shared.mutex, &attributes) == 0;
    ::pthread_mutexattr_destroy(&attributes);
    if (!made)
        return false;
    shared.size = sizeof(WriteLock::Shared);
    __atomic_store_n(&shared.ready, kReady, __ATOMIC_RELEASE);
    return true;
}

WriteLock::Shared* OpenShared(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return nullptr;
    WriteLock::Shared* shared = nullptr;
    struct stat st {};
    // A file planted by another user would let that user hold our lock.
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX) == 0) {
        if (::fstat(fd, &st) == 0
            && (st.st_size >= static_cast<off_t>(sizeof(WriteLock::Shared))
                || ::ftruncate(fd, sizeof(WriteLock::Shared)) == 0)) {
            void* mapped = ::mmap(nullptr, sizeof(WriteLock::Shared), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (mapped != MAP_FAILED) {
                shared = static_cast<WriteLock::Shared*>(mapped);
                const bool ready = __atomic_load_n(&shared->ready, __ATOMIC_ACQUIRE) == kReady
                                   && shared->size == sizeof(WriteLock::Shared);
                if (!ready && !SetUp(*shared)) {
                    ::munmap(mapped, sizeof(WriteLock::Shared));
                    shared = nullptr;
                }
            }
        }
        ::flock(fd, LOCK_UN);
    }
    // The mapping keeps the memory; the descriptor is not needed.
    ::close(fd);
    return shared;
}

}  // namespace

std::filesystem::path WriteLock::FilePath(const std::string& name, const std::filesystem::path& folder)
{
    std::string safe;
    for (char c : name)
        safe += (c == '/' || c == '\0') ? '_' : c;
    return (folder.empty() ? platform::RuntimePath() : folder) / (safe + "." + std::to_string(::getuid()) + ".mutex");
}

WriteLock::WriteLock(const std::string& name, const std::filesystem::path& folder)
    : shared_(OpenShared(FilePath(name, folder)))
{
}

WriteLock::~WriteLock()
{
    if (shared_)
        ::munmap(shared_, sizeof(Shared));
}

bool WriteLock::Lock(std::chrono::milliseconds timeout)
{
    if (!shared_)
        return false;
    // Nobody holding it is the common case: taken without reading the clock.
    int result = ::pthread_mutex_trylock(&shared_->mutex);
    if (result == EBUSY) {
        timespec deadline{};
        ::clock_gettime(CLOCK_MONOTONIC, &deadline);
        const auto ms = timeout.count() < 0 ? 0 : timeout.count();
        deadline.tv_sec += static_cast<time_t>(ms / 1000);
        deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            ++deadline.tv_sec;
            deadline.tv_nsec -= 1000000000L;
        }
        do
            result = ::pthread_mutex_clocklock(&shared_->mutex, CLOCK_MONOTONIC, &deadline);
        while (result == EINTR);
    }
    if (result == EOWNERDEAD) {
        // The holder died, perhaps in the middle of a line; the lock goes on.
        ::pthread_mutex_consistent(&shared_->mutex);
        result = 0;
    }
    return result == 0;
}

void WriteLock::Unlock()
{
    if (shared_)
        ::pthread_mutex_unlock(&shared_->mutex);
}

}  // namespace orvlog
