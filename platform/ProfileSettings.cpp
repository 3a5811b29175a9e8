#include "ProfileSettings.h"

// Narrow UTF-8 text only: the wide converters are not needed.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <atomic>
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

void Load(Ini& ini, const std::filesystem::path& file)
{
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetSpaces(false);
    if (!file.empty())
        ini.LoadFile(file.c_str());  // a missing file is an empty profile
}

bool Save(const Ini& ini, const std::filesystem::path& file)
{
    std::string text;
    if (ini.Save(text) < 0)
        return false;
    return WriteFileAtomically(file, text);
}

std::string StripQuotes(std::string value)
{
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"')
                              || (value.front() == '\'' && value.back() == '\'')))
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

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

ProfileSettings::ProfileSettings(std::filesystem::path file) : file_(std::move(file)) {}

void ProfileSettings::SetFile(std::filesystem::path file)
{
    std::lock_guard lock(mutex_);
    file_ = std::move(file);
}

std::filesystem::path ProfileSettings::File() const
{
    std::lock_guard lock(mutex_);
    return file_;
}

std::string ProfileSettings::GetProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultValue) const
{
    std::lock_guard lock(mutex_);
    Ini ini;
    Load(ini, file_);
    const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? StripQuotes(value) : defaultValue;
}

int ProfileSettings::GetProfileInt(const std::string& section, const std::string& key, int defaultValue) const
{
    int value = 0;
    return ParseLeadingInt(GetProfileString(section, key, std::string()), value) ? value : defaultValue;
}

bool ProfileSettings::WriteProfileString(const std::string& section, const std::string& key, const std::string& value)
{
    std::lock_guard lock(mutex_);
    if (file_.empty() || section.empty() || key.empty())
        return false;
    Ini ini;
    Load(ini, file_);
    if (ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0)
        return false;
    return Save(ini, file_);
}

bool ProfileSettings::WriteProfileInt(const std::string& section, const std::string& key, int value)
{
    return WriteProfileString(section, key, std::to_string(value));
}

bool ProfileSettings::DeleteProfileKey(const std::string& section, const std::string& key)
{
    std::lock_guard lock(mutex_);
    if (file_.empty())
        return false;
    Ini ini;
    Load(ini, file_);
    ini.Delete(section.c_str(), key.c_str(), true);
    return Save(ini, file_);
}

bool ProfileSettings::DeleteProfileSection(const std::string& section)
{
    std::lock_guard lock(mutex_);
    if (file_.empty())
        return false;
    Ini ini;
    Load(ini, file_);
    ini.Delete(section.c_str(), nullptr);
    return Save(ini, file_);
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
