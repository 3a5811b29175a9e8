// A child process that takes a named lock and holds it until it is killed, for tests of what
// other writers do meanwhile.
#pragma once

#include "platform/ProcessLock.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace corvel::test {

/// The pid of a child in which `take` returned true (it took a lock of some kind and keeps it),
/// or -1. Kill the child with SIGKILL and reap it.
inline pid_t SpawnHolder(const std::function<bool()>& take)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const char ok = take() ? 'Y' : 'N';
        (void)!::write(fds[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    char answer = 0;
    const bool got = ::read(fds[0], &answer, 1) == 1 && answer == 'Y';
    ::close(fds[0]);
    if (!got) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

/// A child that holds the named ProcessLock.
inline pid_t SpawnLockHolder(const std::filesystem::path& folder, const char* name)
{
    return SpawnHolder([&] { return (new platform::ProcessLock(name, folder))->Lock(std::chrono::milliseconds(5000)); });
}

}  // namespace corvel::test
