#include "camera/RgsFile.h"

#include "camera/LinkText.h"
#include "camera/RegisterProtocol.h"

namespace rgs {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

/// Reads up to `count` byte values from `text` at `pos` into `out`; false when a value is
/// missing or not hexadecimal.
bool ReadBytes(std::string_view text, std::size_t& pos, std::uint8_t* out, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos >= text.size())
            return false;
        const int high = HexDigit(text[pos]);
        if (high < 0)
            return false;
        ++pos;
        int value = high;
        if (pos < text.size()) {
            if (const int low = HexDigit(text[pos]); low >= 0) {
                value = high * 16 + low;
                ++pos;
            }
        }
        out[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

bool OnlyBlanksFrom(std::string_view text, std::size_t pos)
{
    for (; pos < text.size(); ++pos)
        if (!IsBlank(text[pos]))
            return false;
    return true;
}

}  // namespace

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string FormatWriteLine(std::uint16_t address, std::uint32_t word)
{
    return camera::FormatText("57 %02X%02X %02X%02X%02X%02X", static_cast<unsigned>(address) >> 8, static_cast<unsigned>(address) & 0xFFu,
                              (word >> 24) & 0xFFu, (word >> 16) & 0xFFu, (word >> 8) & 0xFFu, word & 0xFFu);
}

std::string OpeningLines()
{
    return FormatWriteLine(kSupervisorRegister, kSupervisorPassword) + "\r\n" +
           FormatWriteLine(kErrorCheckingRegister, 1) + "\r\n";
}

std::string ClosingLines()
{
    return FormatWriteLine(kErrorCheckingRegister, 0) + "\r\n" + FormatWriteLine(kSupervisorRegister, 0) + "\r\n";
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        else if (end > start && text[end - 1] == '\r')
            --end;
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

CommandLine ParseCommandLine(std::string_view line)
{
    CommandLine parsed;
    if (line.size() < 2 || line[0] != '5' || (line[1] != '7' && line[1] != '2'))
        return parsed;
    const bool write = line[1] == '7';
    parsed.kind = LineKind::Malformed;

    std::size_t pos = 0;
    const std::size_t open = line.find('<');
    if (write && open != std::string_view::npos) {
        // Text form: "57 AAAA <wxyz>".
        if (!ReadBytes(line, pos, parsed.frame, protocol::kReadFrameSize) || !OnlyBlanksFrom(line.substr(0, open), pos))
            return parsed;
        if (line.find('>') != open + 5 || !OnlyBlanksFrom(line, open + 6))
            return parsed;
        for (std::size_t i = 0; i < 4; ++i)
            parsed.frame[3 + i] = static_cast<std::uint8_t>(line[open + 1 + i]);
        parsed.length = protocol::kWriteFrameSize;
    } else {
        const std::uint32_t count = write ? protocol::kWriteFrameSize : protocol::kReadFrameSize;
        if (!ReadBytes(line, pos, parsed.frame, count) || !OnlyBlanksFrom(line, pos))
            return parsed;
        parsed.length = count;
    }
    parsed.kind = LineKind::Command;
    return parsed;
}

CommandLine ParseHexCommand(std::string_view text)
{
    CommandLine parsed;
    parsed.kind = LineKind::Malformed;
    if (text.size() != 2 * protocol::kReadFrameSize && text.size() != 2 * protocol::kWriteFrameSize)
        return parsed;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return parsed;
        parsed.frame[i / 2] = static_cast<std::uint8_t>(high * 16 + low);
    }
    parsed.length = static_cast<std::uint32_t>(text.size() / 2);
    parsed.kind = LineKind::Command;
    return parsed;
}

}  // namespace rgs
