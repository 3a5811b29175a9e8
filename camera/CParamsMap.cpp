#include "CParamsMap.h"

#include "camera/LinkLog.h"
#include "platform/ProfileSettings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Key and value edges are trimmed by byte value, with bytes of 0x80 and up counted as high, so
// UTF-8 text at either end survives.
std::string TrimKey(const std::string& piece)
{
    std::size_t start = 0;
    while (start < piece.size() && static_cast<unsigned char>(piece[start]) < '0')
        ++start;
    return piece.substr(start);
}

std::string TrimValue(const std::string& piece)
{
    std::size_t end = piece.size();
    while (end > 0 && static_cast<unsigned char>(piece[end - 1]) < ' ')
        --end;
    return piece.substr(0, end);
}

bool AppendToExisting(const std::filesystem::path& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        camera::LinkLog("CParamsMap::Save", "<%s> not written: %s", file.c_str(), std::strerror(errno));
        return false;
    }
    const off_t start = ::lseek(fd, 0, SEEK_END);
    std::size_t written = 0;
    bool ok = true;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // A full disk: the lines that went in are taken back, so the file keeps what it had.
            if (start >= 0)
                (void)::ftruncate(fd, start);
            camera::LinkLog("CParamsMap::Save", "<%s> not written: %s", file.c_str(), std::strerror(error));
            ok = false;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && ok) {
        camera::LinkLog("CParamsMap::Save", "<%s> not written: %s", file.c_str(), std::strerror(errno));
        ok = false;
    }
    return ok;
}

}  // namespace

void SplitString(std::string_view text, char delimiter, std::vector<std::string>& pieces)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t at = text.find(delimiter, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

bool CParamsMap::Load(const std::filesystem::path& file)
{
    if (!file.empty())
        file_ = file;
    entries_.clear();
    if (file_.empty())
        return false;
    std::string text;
    std::string why;
    const platform::ReadFileResult read = platform::ReadWholeFile(file_, kMaxFileBytes, text, &why);
    if (read != platform::ReadFileResult::Ok) {
        // A missing file is the usual case of a camera seen for the first time.
        std::error_code ec;
        if (read != platform::ReadFileResult::NotAFile || std::filesystem::exists(file_, ec))
            camera::LinkLog("CParamsMap::Load", "<%s> not read: %s", file_.c_str(), why.c_str());
        return false;
    }
    return Parse(text);
}

bool CParamsMap::Parse(std::string_view text)
{
    entries_.clear();
    if (text.empty())
        return false;
    std::vector<std::string> lines;
    SplitString(text, '\n', lines);
    for (const std::string& line : lines) {
        std::vector<std::string> pieces;
        SplitString(line, '=', pieces);
        if (pieces.size() != 2)
            continue;
        std::string key = TrimKey(pieces[0]);
        if (key.empty())
            continue;
        entries_[std::move(key)] = TrimValue(pieces[1]);
    }
    return true;
}

std::string CParamsMap::Format(const char* prefix) const
{
    std::string text;
    for (const auto& [key, value] : entries_) {
        if (prefix)
            text += prefix;
        text += key;
        text += '=';
        text += value;
        text += "\r\n";
    }
    return text;
}

bool CParamsMap::Save(const std::filesystem::path& file, bool append, const char* prefix)
{
    if (file.empty())
        return false;
    file_ = file;
    const std::string text = Format(prefix);
    if (append) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec))
            return false;
        return !entries_.empty() && AppendToExisting(file, text);
    }
    // A file that is there but cannot be read (a folder, a read error, too large) was never
    // loaded: replacing it would lose what it holds.
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        std::string old;
        std::string why;
        if (platform::ReadWholeFile(file, kMaxFileBytes, old, &why) != platform::ReadFileResult::Ok) {
            camera::LinkLog("CParamsMap::Save", "<%s> not replaced: it cannot be read (%s)", file.c_str(), why.c_str());
            return false;
        }
    }
    std::string error;
    if (!platform::WriteFileAtomically(file, text, &error)) {
        camera::LinkLog("CParamsMap::Save", "<%s> not written: %s", file.c_str(), error.c_str());
        return false;
    }
    return !entries_.empty();
}

const char* CParamsMap::RefusalReason(std::string_view key, std::string_view value)
{
    if (key.empty())
        return "empty key";
    if (static_cast<unsigned char>(key.front()) < '0')
        return "key starts below '0'";
    if (key.find_first_of("=\r\n") != std::string_view::npos)
        return "key holds '=' or a line end";
    if (value.find_first_of("=\r\n") != std::string_view::npos)
        return "value holds '=' or a line end";
    if (!value.empty() && static_cast<unsigned char>(value.back()) < ' ')
        return "value ends in a control byte";
    return nullptr;
}

bool CParamsMap::Set(std::string_view key, std::string_view value)
{
    // An entry the file cannot carry would come back changed or not at all.
    if (const char* reason = RefusalReason(key, value)) {
        if (!key.empty())
            camera::LinkLog("CParamsMap::Set", "entry <%.*s> refused: %s", static_cast<int>(std::min<std::size_t>(key.size(), 80)),
                            key.data(), reason);
        return false;
    }
    entries_[std::string(key)] = std::string(value);
    return true;
}

const std::vector<std::pair<const char*, const char*>>& CParamsMap::Defaults()
{
    static const std::vector<std::pair<const char*, const char*>> defaults = {
        {"color.enable", "1"},
        {"color.units", "0"},
        {"color.mode", "1"},
        {"color.parameters", "0.0;1.0;1.0;0.0"},
        {"exposure.tab", "0"},
    };
    return defaults;
}

void CParamsMap::SetDefaults()
{
    for (const auto& [key, value] : Defaults())
        Set(key, value);
}

std::string SafeSettingsKey(std::string_view key)
{
    std::string safe;
    for (char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        safe += (c == '/' || c == '\\' || byte < 0x20 || byte > 0x7E) ? '_' : c;
    }
    if (safe == "." || safe == "..")
        return "_";
    return safe;
}

std::string GuiSettingsFileName(std::string_view key, long space)
{
    const std::string safe = SafeSettingsKey(key);
    if (space < 0)
        return safe + ".gui";
    return safe + ".user" + std::to_string(space) + ".gui";
}
