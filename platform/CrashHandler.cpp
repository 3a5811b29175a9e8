#include "CrashHandler.h"

#include "Paths.h"
#include "ProcessLock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr std::size_t kPathMax = 4096;

// Prepared at install time: the handler may only use async-signal-safe calls.
struct Prepared {
    char folder[kPathMax];      // with a trailing '/'
    char program[256];
    char lockFile[kPathMax];
    char exePath[kPathMax];
    long lockWaitMs;
    long utcOffset;             // seconds east of UTC at install time
    std::time_t fixedTime;
};
Prepared g_prepared;
volatile sig_atomic_t g_installed = 0;
volatile sig_atomic_t g_inHandler = 0;

bool Copy(char* target, std::size_t capacity, const std::string& text)
{
    if (text.size() + 1 > capacity)
        return false;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

// Bounded string building without the C library's formatting.
struct Buffer {
    char* data;
    std::size_t capacity;
    std::size_t length = 0;
    void Add(const char* text)
    {
        while (*text && length + 1 < capacity)
            data[length++] = *text++;
        data[length] = '\0';
    }
    void AddNumber(unsigned long long value, int width = 0, int base = 10)
    {
        char digits[32];
        int n = 0;
        do {
            digits[n++] = "0123456789abcdef"[value % static_cast<unsigned>(base)];
            value /= static_cast<unsigned>(base);
        } while (value && n < 32);
        while (n < width && n < 32)
            digits[n++] = '0';
        while (n > 0 && length + 1 < capacity)
            data[length++] = digits[--n];
        data[length] = '\0';
    }
};

void WriteAll(int fd, const char* text, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, text, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
        size -= static_cast<std::size_t>(n);
    }
}

void WriteText(int fd, const char* text) { WriteAll(fd, text, std::strlen(text)); }

// Civil date from days since 1970-01-01 (proleptic Gregorian), without the C library.
void CivilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

void MakeFolders(const char* folder)
{
    char path[kPathMax];
    std::size_t n = std::strlen(folder);
    if (n >= sizeof path)
        return;
    std::memcpy(path, folder, n + 1);
    for (std::size_t i = 1; i < n; ++i) {
        if (path[i] == '/') {
            path[i] = '\0';
            ::mkdir(path, 0755);
            path[i] = '/';
        }
    }
}

void CopyFileInto(int fd, const char* source)
{
    const int in = ::open(source, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(in, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        WriteAll(fd, chunk, static_cast<std::size_t>(n));
    }
    ::close(in);
}

const char* SignalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

void WriteReport(int sig, siginfo_t* info)
{
    // Serialise with other crashing processes and threads: a separate descriptor per call.
    const int lockFd = ::open(g_prepared.lockFile, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    bool locked = false;
    if (lockFd >= 0) {
        for (long waited = 0;; waited += 50) {
            if (::flock(lockFd, LOCK_EX | LOCK_NB) == 0) {
                locked = true;
                break;
            }
            if (waited >= g_prepared.lockWaitMs)
                break;
            const timespec pause{0, 50 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
    }

    MakeFolders(g_prepared.folder);
    const std::time_t now = g_prepared.fixedTime ? g_prepared.fixedTime : ::time(nullptr);
    const long long local = static_cast<long long>(now) + g_prepared.utcOffset;
    long long days = local / 86400;
    long long seconds = local % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);

    char name[kPathMax];
    Buffer stem{name, sizeof name};
    stem.Add(g_prepared.folder);
    stem.Add(g_prepared.program);
    stem.Add("_");
    stem.AddNumber(static_cast<unsigned>(year), 4);
    stem.AddNumber(static_cast<unsigned>(month), 2);
    stem.AddNumber(static_cast<unsigned>(day), 2);
    stem.AddNumber(static_cast<unsigned long long>(seconds / 3600), 2);
    stem.AddNumber(static_cast<unsigned long long>(seconds / 60 % 60), 2);
    stem.AddNumber(static_cast<unsigned long long>(seconds % 60), 2);
    const std::size_t stemLength = stem.length;

    // A report of the same second is never overwritten: the pid and then a counter tell them apart.
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        stem.length = stemLength;
        if (attempt > 0) {
            stem.Add("_");
            stem.AddNumber(static_cast<unsigned long long>(::getpid()));
            if (attempt > 1) {
                stem.Add("_");
                stem.AddNumber(static_cast<unsigned long long>(attempt));
            }
        }
        stem.Add(".dmp");
        fd = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }

    if (fd >= 0) {
        char line[512];
        Buffer text{line, sizeof line};
        text.Add("Crash report\nsignal: ");
        text.Add(SignalName(sig));
        text.Add(" (");
        text.AddNumber(static_cast<unsigned>(sig));
        text.Add(") code ");
        text.AddNumber(static_cast<unsigned>(info ? info->si_code : 0));
        text.Add("\naddress: 0x");
        text.AddNumber(reinterpret_cast<unsigned long long>(info ? info->si_addr : nullptr), 0, 16);
        text.Add("\nprocess: ");
        text.AddNumber(static_cast<unsigned long long>(::getpid()));
        text.Add(" thread: ");
        text.AddNumber(static_cast<unsigned long long>(::syscall(SYS_gettid)));
        text.Add("\nprogram: ");
        WriteText(fd, line);
        WriteText(fd, g_prepared.exePath);
        WriteText(fd, "\n\nback-trace:\n");
        void* frames[64];
        const int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        WriteText(fd, "\nmemory map:\n");
        CopyFileInto(fd, "/proc/self/maps");
        ::close(fd);
    }

    if (locked)
        ::flock(lockFd, LOCK_UN);
    if (lockFd >= 0)
        ::close(lockFd);
}

void HandleSignal(int sig, siginfo_t* info, void*)
{
    // A crash inside the handler itself goes straight to the default action.
    if (!g_inHandler && g_installed) {
        g_inHandler = 1;
        WriteReport(sig, info);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(sig, &fallback, nullptr);
    ::raise(sig);
}

}  // namespace

std::filesystem::path DefaultDumpsFolder()
{
    return CommonAppDataPath() / "Orvane" / "Kelmir CameraLink" / "Dumps" / "";
}

std::string CrashReportFileName(const std::string& programName, const std::tm& t)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d%02d%02d%02d.dmp", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return programName + stamp;
}

bool InstallCrashHandler(const CrashHandlerConfig& config)
{
    g_installed = 0;
    std::string folder = config.dumpsFolder.string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::error_code ec;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (!Copy(g_prepared.folder, sizeof g_prepared.folder, folder)
        || !Copy(g_prepared.program, sizeof g_prepared.program, config.programName)
        || !Copy(g_prepared.lockFile, sizeof g_prepared.lockFile,
                 ProcessLock::LockFilePath(config.lockName, config.lockFolder).string())
        || !Copy(g_prepared.exePath, sizeof g_prepared.exePath, exe))
        return false;
    g_prepared.lockWaitMs = static_cast<long>(config.lockWait.count());
    g_prepared.fixedTime = config.fixedTime;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_prepared.utcOffset = local.tm_gmtoff;

    // The first back-trace loads the unwinder; do it now, not inside the handler.
    void* frame[1];
    ::backtrace(frame, 1);

    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    if (::sigaltstack(&stack, nullptr) != 0)
        return false;

    struct sigaction action {};
    action.sa_sigaction = &HandleSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals)
        if (::sigaction(sig, &action, nullptr) != 0)
            return false;
    g_installed = 1;
    return true;
}

}  // namespace platform
