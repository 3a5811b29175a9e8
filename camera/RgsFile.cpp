#include "camera/RgsFile.h"

#include "camera/LinkText.h"
#include "camera/RegisterProtocol.h"
#include "camera/ValueCoder.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace rgs {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

/// Reads up to `count` byte values from `text` at `pos` into `out`; false when a value is
/// missing or not hexadecimal.
bool ReadBytes(std::string_view text, std::size_t& pos, std::uint8_t* out, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t start = pos;
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        const bool glued = i > 0 && pos == start;
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
        // "0000000": the last value of a run lost a digit.
        if (glued && pos == start + 1)
            return false;
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
    // The frame's bytes as the camera gets them: command, address, data word.
    const protocol::WriteFrameBytes f = protocol::WriteFrame(address, word);
    return camera::FormatText("%02X %02X%02X %02X%02X%02X%02X", f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
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

namespace {

/// The register and word of a write frame, or nothing for a read.
std::optional<std::pair<std::uint16_t, std::uint32_t>> WriteOf(const CommandLine& c)
{
    if (c.kind != LineKind::Command || c.length != protocol::kWriteFrameSize || c.frame[0] != protocol::kWriteCommand)
        return std::nullopt;
    return std::make_pair(protocol::FrameAddress(c.frame), ValueCoder::BytesToWord(c.frame + 3));
}

}  // namespace

WorkspaceCheck CheckWorkspace(std::string_view text)
{
    WorkspaceCheck check;
    std::size_t number = 0;
    std::string_view lastLine;
    for (const std::string_view line : SplitLines(text)) {
        ++number;
        lastLine = line;
        const CommandLine command = ParseCommandLine(line);
        if (command.kind == LineKind::Other)
            continue;
        if (command.kind == LineKind::Malformed) {
            if (check.malformed++ == 0) {
                check.badLine = number;
                check.badText = std::string(line);
                check.reason = "is no 3- or 7-byte command";
            }
            continue;
        }
        check.commands.push_back({number, line, command});
    }
    if (!check.Fit() || check.commands.empty())
        return check;

    // Supervisor mode is left last: the camera may not take the error-checking line outside it.
    ModeState state;
    bool leftTooEarly = false;
    for (const WorkspaceCheck::Line& line : check.commands) {
        const auto write = WriteOf(line.command);
        if (write && write->first == kSupervisorRegister && write->second == 0 && state.checkingOff)
            leftTooEarly = true;
        state.Apply(line.command);
    }
    if (state.Open() || leftTooEarly) {
        check.badLine = number;
        check.badText = std::string(lastLine);
        check.reason = "ends the file without the closing lines (error checking on, supervisor mode off): "
                       "the file was cut short";
    }
    return check;
}

CommandLine WriteCommand(std::uint16_t address, std::uint32_t word)
{
    CommandLine c;
    c.kind = LineKind::Command;
    const protocol::WriteFrameBytes frame = protocol::WriteFrame(address, word);
    c.length = frame.size();
    std::copy(frame.begin(), frame.end(), c.frame);
    return c;
}

void ModeState::Apply(const CommandLine& command)
{
    if (const auto write = WriteOf(command)) {
        if (write->first == kSupervisorRegister)
            supervisor = write->second != 0;
        else if (write->first == kErrorCheckingRegister)
            checkingOff = write->second != 0;
    }
}

bool WritesModeRegister(const CommandLine& command)
{
    const auto write = WriteOf(command);
    return write && (write->first == kSupervisorRegister || write->first == kErrorCheckingRegister);
}

void ModeState::ApplyUnsure(const CommandLine& command)
{
    if (const auto write = WriteOf(command); write && write->second != 0)
        Apply(command);
}

std::vector<CommandLine> ClosingCommands(const ModeState& state)
{
    std::vector<CommandLine> lines;
    if (state.checkingOff)
        lines.push_back(WriteCommand(kErrorCheckingRegister, 0));
    if (state.supervisor)
        lines.push_back(WriteCommand(kSupervisorRegister, 0));
    return lines;
}

const char* OpenModesText(const ModeState& state)
{
    return state.supervisor && state.checkingOff ? "in supervisor mode with its error checking off"
           : state.supervisor                    ? "in supervisor mode"
                                                 : "with its error checking off";
}

std::string ClosingRefusedText(const ModeState& state)
{
    return std::string("The camera did not take the closing lines: it may be left ") + OpenModesText(state) +
           ". Load the file again once the camera answers, or switch the camera off and on.";
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
        if (high < 0 || low < 0) {
            parsed.notHexAt = high < 0 ? i : i + 1;
            return parsed;
        }
        parsed.frame[i / 2] = static_cast<std::uint8_t>(high * 16 + low);
    }
    parsed.length = static_cast<std::uint32_t>(text.size() / 2);
    parsed.kind = LineKind::Command;
    return parsed;
}

}  // namespace rgs
