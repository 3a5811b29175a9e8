#include "ProcessSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<int> g_readFd{-1};
std::atomic<int> g_writeFd{-1};
volatile sig_atomic_t g_requested = 0;

void OnTermination(int signal)
{
    const int saved = errno;
    g_requested = 1;
    const int fd = g_writeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const char byte = static_cast<char>(signal);
        // A full pipe already holds a request.
        (void)!::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

void IgnoreFileSizeSignal()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}

bool InstallTerminationSignals()
{
    if (g_readFd.load() < 0) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
        g_writeFd.store(fds[1]);
        g_readFd.store(fds[0]);
    }
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGHUP, &action, nullptr) == 0;
}

int TerminationSignalFd() { return g_readFd.load(); }

bool TerminationRequested() { return g_requested != 0; }

void DrainTerminationSignals()
{
    const int fd = g_readFd.load();
    if (fd < 0)
        return;
    char buffer[64];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace platform
