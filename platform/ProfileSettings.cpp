#include "ProfileSettings.h"

#include "ProcessLock.h"

// Narrow UTF-8 text only: the wide converters are not needed.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Case-insensitive sections and keys, UTF-8, one value per key.
using Ini = CSimpleIniA;

std::unique_ptr<Ini> NewIni()
{
    auto ini = std::make_unique<Ini>();
    ini->SetUnicode(true);
    ini->SetMultiKey(false);
    ini->SetMultiLine(false);
    ini->SetSpaces(false);
    return ini;
}

std::string StripQuotes(std::string value)
{
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"')
                              || (value.front() == '\'' && value.back() == '\'')))
        return value.substr(1, value.size() - 2);
    return value;
}

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
               && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
               && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileIdentity IdentityOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// File times tick coarsely: a file changed within this many seconds may change again without
// its identity showing it, so it is read again and compared.
constexpr time_t kSettleSeconds = 2;

bool RecentlyChanged(const struct stat& st)
{
    const time_t now = ::time(nullptr);
    return st.st_mtim.tv_sec + kSettleSeconds >= now || st.st_ctim.tv_sec + kSettleSeconds >= now;
}

enum class LoadState { Ok, Missing, Failed };

std::mutex& ReporterMutex() { static auto* m = new std::mutex; return *m; }
ProfileSettings::ProblemReporter& Reporter() { static auto* r = new ProfileSettings::ProblemReporter; return *r; }

// Waits of a writer for another process's write of the same file.
constexpr std::chrono::milliseconds kLockWait{5000};

// Writes go to the file a link points to, so the link stays and the settings stay in one file.
std::filesystem::path WriteTarget(const std::filesystem::path& file)
{
    std::filesystem::path target = file;
    std::error_code ec;
    // Link by link, so a link to a file that does not exist yet is written through too.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec)
            return file;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// Read-only: no write permission bit at all, or none for this user.
bool IsReadOnly(const std::filesystem::path& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EROFS);
}

std::string LockName(const std::filesystem::path& target)
{
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(target.string()));
    return std::string("CorvelSettings.") + hash;
}

}  // namespace

struct ProfileSettings::Cache {
    bool valid = false;  // ini holds the file of `identity`, or an empty profile when `missing`
    bool missing = false;
    FileIdentity identity;
    std::string text;
    std::unique_ptr<Ini> ini = NewIni();

    void Invalidate() { valid = false; }

    // Brings the parsed file up to date: parsed again only when the file changed.
    LoadState Refresh(const std::filesystem::path& file, std::string& why)
    {
        struct stat st {};
        if (file.empty() || ::stat(file.c_str(), &st) != 0) {
            if (!file.empty() && errno != ENOENT) {
                why = std::strerror(errno);
                Invalidate();
                return LoadState::Failed;
            }
            // Missing (a link to a missing file too): an empty profile.
            if (!valid || !missing) {
                ini = NewIni();
                text.clear();
                missing = true;
                valid = true;
            }
            return LoadState::Missing;
        }
        const FileIdentity now = IdentityOf(st);
        if (valid && !missing && now == identity && !RecentlyChanged(st))
            return LoadState::Ok;
        std::string contents;
        if (ReadWholeFile(file, kMaxFileBytes, contents, &why) != ReadFileResult::Ok) {
            Invalidate();
            return LoadState::Failed;
        }
        if (!valid || missing || contents != text) {
            auto fresh = NewIni();
            if (fresh->LoadData(contents) < 0) {
                why = "cannot be parsed";
                Invalidate();
                return LoadState::Failed;
            }
            ini = std::move(fresh);
            text = std::move(contents);
        }
        identity = now;
        missing = false;
        valid = true;
        return LoadState::Ok;
    }
};

bool ParseLeadingInt(const std::string& text, int& value)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return false;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            magnitude = static_cast<long long>(INT_MAX) + 1;  // saturate, never overflow
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX)
        signedValue = INT_MAX;
    value = static_cast<int>(signedValue);
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, const std::string& contents, std::string* error)
{
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path temp = target.string() + ".tmp." + std::to_string(::getpid()) + "."
                                       + std::to_string(counter++);
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + " " + temp.string() + ": " + std::strerror(errno);
        return false;
    };
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("cannot create");
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            errno = saved;
            return fail("cannot write");
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return fail("cannot flush");
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        return fail("cannot rename");
    }
    return true;
}

ProfileSettings::ProfileSettings(std::filesystem::path file)
    : file_(std::move(file)), cache_(std::make_unique<Cache>())
{
}

ProfileSettings::~ProfileSettings() = default;

void ProfileSettings::SetFile(std::filesystem::path file)
{
    std::lock_guard lock(mutex_);
    file_ = std::move(file);
    cache_->Invalidate();
    reported_.clear();
}

std::filesystem::path ProfileSettings::File() const
{
    std::lock_guard lock(mutex_);
    return file_;
}

void ProfileSettings::SetProblemReporter(ProblemReporter reporter)
{
    std::lock_guard lock(ReporterMutex());
    Reporter() = std::move(reporter);
}

void ProfileSettings::Report(const std::string& text) const
{
    if (text == reported_)
        return;
    reported_ = text;
    std::lock_guard lock(ReporterMutex());
    if (Reporter())
        Reporter()(text);
}

std::string ProfileSettings::GetProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultValue) const
{
    std::lock_guard lock(mutex_);
    std::string why;
    if (cache_->Refresh(file_, why) == LoadState::Failed) {
        Report("Settings file <" + file_.string() + "> not read (" + why
               + "): the defaults are used and the file is not written");
        return defaultValue;
    }
    const char* value = cache_->ini->GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? StripQuotes(value) : defaultValue;
}

int ProfileSettings::GetProfileInt(const std::string& section, const std::string& key, int defaultValue) const
{
    int value = 0;
    return ParseLeadingInt(GetProfileString(section, key, std::string()), value) ? value : defaultValue;
}

template <class Change>
bool ProfileSettings::Modify(Change&& change)
{
    std::lock_guard lock(mutex_);
    if (file_.empty())
        return false;
    const std::filesystem::path target = WriteTarget(file_);
    // Load, change and rename under the lock of every process that writes this file.
    ProcessLock processLock(LockName(target));
    ProcessLockGuard held(processLock, kLockWait);
    if (processLock.IsOpen() && !held.Locked()) {
        Report("Settings file <" + file_.string() + "> not written: another process kept it locked");
        return false;
    }
    std::string why;
    const LoadState state = cache_->Refresh(file_, why);
    if (state == LoadState::Failed) {
        Report("Settings file <" + file_.string() + "> not read (" + why
               + "): the defaults are used and the file is not written");
        return false;
    }
    if (state == LoadState::Ok && IsReadOnly(target)) {
        Report("Settings file <" + file_.string() + "> is read-only: settings are not saved");
        return false;
    }
    if (!change(*cache_->ini)) {
        cache_->Invalidate();
        return false;
    }
    std::string text;
    std::string error;
    if (cache_->ini->Save(text) < 0 || !WriteFileAtomically(target, text, &error)) {
        cache_->Invalidate();
        Report("Settings file <" + file_.string() + "> not written: " + (error.empty() ? "no memory" : error));
        return false;
    }
    // The parsed copy is what was just written.
    struct stat st {};
    if (::stat(file_.c_str(), &st) == 0) {
        cache_->identity = IdentityOf(st);
        cache_->text = std::move(text);
        cache_->missing = false;
    } else {
        cache_->Invalidate();
    }
    reported_.clear();
    return true;
}

namespace {

bool HasLineBreak(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A name that reads back as itself: one line, no blanks around it, and nothing the file's
// syntax gives a meaning (a section's "]", a key's "=" or a leading comment or section mark).
bool WritableName(const std::string& section, const std::string& key)
{
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key))
        return false;
    if (IsBlank(section.front()) || IsBlank(section.back()) || IsBlank(key.front()) || IsBlank(key.back()))
        return false;
    return section.find(']') == std::string::npos && key.find('=') == std::string::npos
           && key.front() != ';' && key.front() != '#' && key.front() != '[';
}

}  // namespace

bool ProfileSettings::WriteProfileString(const std::string& section, const std::string& key, const std::string& value)
{
    // A line break in a value would write further keys (a path typed with one), so such a
    // value is refused, as is a name that would not read back.
    if (!WritableName(section, key) || HasLineBreak(value))
        return false;
    return Modify([&](Ini& ini) { return ini.SetValue(section.c_str(), key.c_str(), value.c_str()) >= 0; });
}

bool ProfileSettings::WriteProfileInt(const std::string& section, const std::string& key, int value)
{
    return WriteProfileString(section, key, std::to_string(value));
}

bool ProfileSettings::DeleteProfileKey(const std::string& section, const std::string& key)
{
    return Modify([&](Ini& ini) {
        ini.Delete(section.c_str(), key.c_str(), true);
        return true;
    });
}

bool ProfileSettings::DeleteProfileSection(const std::string& section)
{
    return Modify([&](Ini& ini) {
        ini.Delete(section.c_str(), nullptr);
        return true;
    });
}

ProfileSettings& ProfileSettings::Application()
{
    static auto* settings = new ProfileSettings;
    return *settings;
}

ReadFileResult ReadWholeFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& contents,
                             std::string* error)
{
    contents.clear();
    const auto fail = [&](ReadFileResult result, const std::string& why) {
        contents.clear();
        contents.shrink_to_fit();
        if (error)
            *error = why;
        return result;
    };
    // Non-blocking, so a FIFO in the file's place does not hang the open.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail(ReadFileResult::NotAFile, std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(ReadFileResult::NotAFile, "not a file");
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return fail(ReadFileResult::TooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
    }
    contents.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int readError = errno;
            ::close(fd);
            return fail(ReadFileResult::ReadFailed, std::strerror(readError));
        }
        if (n == 0)
            break;
        // A file that grows while it is read, or reports no size, is still bounded.
        if (contents.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return fail(ReadFileResult::TooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadFileResult::Ok;
}

}  // namespace platform
