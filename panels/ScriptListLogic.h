// The scripting console's script list: one script path a line in a text file ("py.cfg") that
// lives in the data folder. Reading keeps every usable line and tells which lines it could not
// use; saving replaces the file through a temporary one, so a failed save leaves the old list.
// No Qt here.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace script_list {

inline constexpr const char* kFileName = "py.cfg";
/// Larger than this is no list of paths.
inline constexpr std::size_t kMaxFileBytes = 1u << 20;

struct Loaded {
    enum class State {
        Ok,          ///< read (some lines may still have been rejected)
        Missing,     ///< there is no list yet
        Unreadable,  ///< something is there that cannot be read as a list; nothing was taken
    } state = State::Missing;
    std::vector<std::string> paths;   ///< UTF-8, in file order
    std::vector<int> rejectedLines;   ///< 1-based numbers of the lines that are not paths
    std::string error;                ///< why an unreadable file could not be read
};

/// Parses the file's text: LF or CRLF line ends, empty lines skipped; a line with a control
/// character or bytes that are not UTF-8 is rejected.
Loaded Parse(const std::string& text);
/// Reads the list file.
Loaded Load(const std::filesystem::path& file);
/// The file's text for `paths`: one a line, LF ends.
std::string Format(const std::vector<std::string>& paths);
/// Writes the list; false with `error` set when it could not, the old file then stays.
bool Save(const std::filesystem::path& file, const std::vector<std::string>& paths, std::string& error);
/// True when `text` is one usable path line.
bool IsPathLine(const std::string& text);

}  // namespace script_list
