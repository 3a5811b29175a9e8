// Programs started by tests as processes of their own.
#pragma once

#include <csignal>
#include <spawn.h>
#include <unistd.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace corvel::test {

/// Starts `program` with `args` (args[0] is the name it sees) and this process's environment
/// with the "NAME=value" entries of `env` set over it. Returns the pid, or -1.
inline pid_t SpawnProgram(const char* program, std::vector<std::string> args, const std::vector<std::string>& env = {})
{
    std::vector<std::string> environment = env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const auto& set : env)
            replaced = replaced || entry.compare(0, set.find('=') + 1, set, 0, set.find('=') + 1) == 0;
        if (!replaced)
            environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program, nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

/// The child's exit code, or -1 when it did not exit normally.
inline int WaitExitCode(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

/// The child's exit code, or -1 when it did not exit normally or is still running after
/// `seconds` (it is then killed): a hung program fails its test instead of stopping the run.
inline int WaitExitCodeWithin(pid_t pid, int seconds)
{
    if (pid <= 0)
        return -1;
    for (int waited = 0; waited < seconds * 10; ++waited) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0)
            return -1;
        ::usleep(100000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

}  // namespace corvel::test
