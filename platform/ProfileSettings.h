// Profile settings in an INI file with the rules the program's settings have always had:
// sections and keys are case-insensitive, lines read "key=value", a missing key gives the
// default, integers are the leading decimal number of the value. Every write rewrites the file
// atomically and keeps the other sections, keys and comments.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace platform {

class ProfileSettings {
public:
    explicit ProfileSettings(std::filesystem::path file = {});

    void SetFile(std::filesystem::path file);
    std::filesystem::path File() const;

    /// The value's leading decimal number (sign allowed); the default when the key is missing
    /// or its value does not start with a number.
    int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const;

    /// Writes the key (ints as "%d"); false when the file cannot be written.
    bool WriteProfileInt(const std::string& section, const std::string& key, int value);
    bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value);
    /// Removes one key, or a whole section.
    bool DeleteProfileKey(const std::string& section, const std::string& key);
    bool DeleteProfileSection(const std::string& section);

    /// The settings of the application ("Corvel.ini" in the data folder, set at start-up).
    static ProfileSettings& Application();

private:
    mutable std::mutex mutex_;
    std::filesystem::path file_;
};

/// Parses the leading decimal integer of a text the way the profile functions do.
/// Returns false when the text does not start with a number (blanks before it are skipped).
bool ParseLeadingInt(const std::string& text, int& value);

/// Replaces `target` with `contents` through a temporary file and a rename, so a reader sees
/// either the old or the new file. Returns false and leaves the old file on any failure.
bool WriteFileAtomically(const std::filesystem::path& target, const std::string& contents,
                         std::string* error = nullptr);

enum class ReadFileResult { Ok, NotAFile, TooLarge, ReadFailed };

/// Reads the regular file `file` whole into `contents` when it holds at most `maxBytes`. Never
/// throws: a folder, a device, a file that grows past the limit or a read error answers its
/// result, with `error` (when given) saying why and `contents` empty.
ReadFileResult ReadWholeFile(const std::filesystem::path& file, std::size_t maxBytes, std::string& contents,
                             std::string* error = nullptr);

}  // namespace platform
