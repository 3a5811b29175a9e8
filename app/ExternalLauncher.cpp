#include "ExternalLauncher.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

LaunchHandler& Handler()
{
    static LaunchHandler handler;
    return handler;
}

}  // namespace

LaunchHandler SetLaunchHandler(LaunchHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

bool IsRunnableProgram(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

bool RunExternalProgram(const std::string& path)
{
    if (Handler())
        return Handler()({LaunchRequest::Program, path});
    // Started as a session of its own, as a detached start does, but with SIGXFSZ back at its
    // default: this program ignores it (a write past the file-size limit fails instead), and an
    // ignored signal would stay ignored across exec.
    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0)
        return false;
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    sigset_t noneBlocked;
    sigemptyset(&noneBlocked);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setsigmask(&attributes, &noneBlocked);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return false;
    // Nobody waits for it here: a thread of its own takes its exit, so it leaves no zombie.
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return true;
}

bool OpenDocument(const std::string& path)
{
    if (Handler())
        return Handler()({LaunchRequest::Document, path});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
