// The camera's user-interface settings: key and value pairs that follow a camera from run to
// run, kept in files named by the camera's serial number ("<serial>.gui",
// "<serial>.user<n>.gui") in the data folder, and carried inside workspace files as lines
// "-- key=value". The program sets only the defaults; the panels own the meaning of the rest.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CParamsMap {
public:
    using Entries = std::map<std::string, std::string>;  // byte order of keys

    virtual ~CParamsMap() = default;

    /// Larger settings files are refused: they are a few lines long.
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

    /// Replaces the entries by those of the file (the remembered one when `file` is empty).
    /// False, with no entries, when there is no name, no readable file (a folder, a read
    /// error, more than kMaxFileBytes: with a log record) or nothing in it. Never throws.
    virtual bool Load(const std::filesystem::path& file = {});
    /// Writes every entry as "<prefix>key=value" CR LF in key order. Without `append` the file
    /// is replaced as a whole (atomically); with it the file must exist and lines are added at
    /// its end. False for no name, a file that cannot be written, or no entries (a replaced file
    /// is then left empty). A file that is there but cannot be read is never replaced, and an
    /// append that fails part-way is taken back; each failure has a log record.
    virtual bool Save(const std::filesystem::path& file, bool append = false, const char* prefix = nullptr);

    /// Replaces the entries by those of a settings file's text, read leniently: lines split at
    /// "=" into exactly two pieces, the key without leading bytes below '0' (so "-- " prefixes
    /// go), the value without trailing bytes below ' '. False, with no entries, for an empty text.
    bool Parse(std::string_view text);
    /// The file text of every entry: "<prefix>key=value" CR LF, in key order.
    std::string Format(const char* prefix = nullptr) const;

    /// Sets one entry. An entry that a file cannot carry back unchanged is refused (false, with
    /// a log record): an empty key or one that starts below '0', '=' or a line end in the key
    /// or the value, a value that ends in a byte below ' '.
    bool Set(std::string_view key, std::string_view value);
    /// Why Set refuses the entry, or null when it takes it.
    static const char* RefusalReason(std::string_view key, std::string_view value);
    void Clear() { entries_.clear(); }

    const Entries& Items() const { return entries_; }
    const std::filesystem::path& FileName() const { return file_; }

    /// Settings of the factory space, in the order they are set.
    static const std::vector<std::pair<const char*, const char*>>& Defaults();
    void SetDefaults();

private:
    Entries entries_;
    std::filesystem::path file_;
};

/// Appends the pieces of `text` between `delimiter`s to `pieces`, as a line-by-line stream read
/// does: consecutive delimiters give empty pieces, a delimiter at the very end no empty last one.
void SplitString(std::string_view text, char delimiter, std::vector<std::string>& pieces);

/// The settings key made safe for a file name: printable ASCII only, so path separators,
/// control bytes and every byte from 0x7F up become '_', and "." or ".." becomes "_".
/// Ordinary serial numbers are unchanged.
std::string SafeSettingsKey(std::string_view key);

/// "<key>.gui" for space -1 (and any negative space), "<key>.user<space>.gui" otherwise.
std::string GuiSettingsFileName(std::string_view key, long space);
