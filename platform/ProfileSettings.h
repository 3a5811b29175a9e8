// Profile settings in an INI file with the rules the program's settings have always had:
// sections and keys are case-insensitive, lines read "key=value", a missing key gives the
// default, integers are the leading decimal number of the value. Every write rewrites the file
// atomically and keeps the other sections, keys and comments.
//
// Only a file that does not exist is an empty profile. A file that cannot be read (no read
// permission, not a regular file, larger than kMaxFileBytes) gives the defaults and is never
// replaced; a read-only file is not written either; a symbolic link is written through to its
// target. Each problem is reported once (SetProblemReporter). Writes of several processes are
// serialised by a process lock around load, change and rename, so none loses another's keys.
// The parsed file is kept and parsed again only when the file changes.
#pragma once

#include <functional>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

class ProfileSettings {
public:
    explicit ProfileSettings(std::filesystem::path file = {});
    ~ProfileSettings();
    ProfileSettings(const ProfileSettings&) = delete;
    ProfileSettings& operator=(const ProfileSettings&) = delete;

    void SetFile(std::filesystem::path file);
    std::filesystem::path File() const;

    /// The value's leading decimal number (sign allowed); the default when the key is missing
    /// or its value does not start with a number.
    int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const;

    /// Writes the key (ints as "%d"); false when the file cannot be written, or when the value
    /// holds a line break or the name would not read back as itself.
    bool WriteProfileInt(const std::string& section, const std::string& key, int value);
    bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value);
    /// Removes one key, or a whole section.
    bool DeleteProfileKey(const std::string& section, const std::string& key);
    bool DeleteProfileSection(const std::string& section);

    /// The settings of the application ("Corvel.ini" in the data folder, set at start-up).
    static ProfileSettings& Application();

    /// Larger files are not read (nor replaced).
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

    /// Where problems with settings files go (the program logs them); none: dropped.
    using ProblemReporter = std::function<void(const std::string& text)>;
    static void SetProblemReporter(ProblemReporter reporter);

    struct Cache;

private:
    template <class Change>
    bool Modify(Change&& change);
    void Report(const std::string& text) const;

    mutable std::mutex mutex_;
    std::filesystem::path file_;
    std::unique_ptr<Cache> cache_;
    mutable std::string reported_;  // the last problem reported, so it is reported once
};

/// Parses the leading decimal integer of a text the way the profile functions do.
/// Returns false when the text does not start with a number (blanks before it are skipped).
bool ParseLeadingInt(const std::string& text, int& value);

/// Replaces `target` with `contents` through a temporary file and a rename, so a reader sees
/// either the old or the new file; an existing file keeps its permissions. Returns false and
/// leaves the old file on any failure.
bool WriteFileAtomically(const std::filesystem::path& target, const std::string& contents,
                         std::string* error = nullptr);

enum class ReadFileResult { Ok, NotAFile, TooLarge, ReadFailed };

/// Reads the regular file `file` whole into `contents` when it holds at most `maxBytes`. Never
/// throws: a folder, a device, a file that grows past the limit or a read error answers its
/// result, with `error` (when given) saying why and `contents` empty.
ReadFileResult ReadWholeFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& contents,
                             std::string* error = nullptr);

}  // namespace platform
