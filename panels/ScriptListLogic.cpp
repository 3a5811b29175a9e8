#include "panels/ScriptListLogic.h"

#include "platform/ProfileSettings.h"

#include <system_error>

namespace script_list {

namespace {

// Length of the UTF-8 sequence at text[i], 0 when it is not a valid one.
std::size_t Utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

bool IsPathLine(const std::string& text)
{
    if (text.empty())
        return false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        const std::size_t n = Utf8Length(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

Loaded Parse(const std::string& text)
{
    Loaded result;
    result.state = Loaded::State::Ok;
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (IsPathLine(line))
            result.paths.push_back(std::move(line));
        else
            result.rejectedLines.push_back(number);
    }
    return result;
}

Loaded Load(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
        return Loaded{};
    std::string text;
    std::string error;
    if (platform::ReadWholeFile(file, kMaxFileBytes, text, &error) != platform::ReadFileResult::Ok) {
        Loaded result;
        result.state = Loaded::State::Unreadable;
        result.error = error;
        return result;
    }
    return Parse(text);
}

std::string Format(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths)
        text += path + "\n";
    return text;
}

bool Save(const std::filesystem::path& file, const std::vector<std::string>& paths, std::string& error)
{
    return platform::WriteFileAtomically(file, Format(paths), &error);
}

}  // namespace script_list
