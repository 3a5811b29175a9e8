#include "tools/TerminalCommands.h"

#include "camera/LinkText.h"
#include "camera/RegisterLink.h"
#include "camera/ValueCoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>

namespace terminal {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

/// The prefixes of a raw command, in these spellings only.
constexpr std::string_view kRawPrefixes[] = {"0x", "HEX:", "hex:"};

}  // namespace

ParsedLine ParseLine(std::string_view line)
{
    ParsedLine parsed;
    const std::string_view text = Trim(line);
    parsed.text = std::string(text);
    for (std::string_view prefix : kRawPrefixes) {
        if (text.substr(0, prefix.size()) == prefix) {
            parsed.kind = LineKind::Raw;
            parsed.hex = std::string(text.substr(prefix.size()));
            return parsed;
        }
    }
    if (EqualsNoCase(text, "help")) {
        parsed.kind = LineKind::Help;
        return parsed;
    }
    parsed.kind = LineKind::Param;
    const auto blank = std::find_if(text.begin(), text.end(), IsBlank);
    parsed.name = std::string(text.begin(), blank);
    if (blank != text.end())
        parsed.value = std::string(Trim(std::string_view(&*blank, static_cast<std::size_t>(text.end() - blank))));
    return parsed;
}

std::optional<std::int64_t> ParseIntValue(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars takes no sign of its own here, so "--5" and "0x-5" stay malformed.
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (!negative) {
        if (magnitude > kMax)
            return std::nullopt;
        return static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > kMax + 1)
        return std::nullopt;
    return magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(magnitude);
}

std::optional<bool> ParseBoolValue(std::string_view text)
{
    for (std::string_view word : {"1", "on", "true"})
        if (EqualsNoCase(text, word))
            return true;
    for (std::string_view word : {"0", "off", "false"})
        if (EqualsNoCase(text, word))
            return false;
    return std::nullopt;
}

std::optional<double> ParseFloatValue(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace terminal

namespace {

/// A value to write, checked against the parameter; `refusal` says why nothing may be written.
struct WriteValue {
    std::int64_t n = 0;
    bool b = false;
    double d = 0;
    std::string refusal;
};

WriteValue CheckWrite(const _OrvStParam& param, const RegisterLink& reg, const std::string& value)
{
    WriteValue out;
    const std::string& cmd = reg.cmd;
    // A read-only register shares its word with other fields: writing it would clear them.
    if ((param.access & OrvParam_Write) == 0) {
        out.refusal = "Command <" + cmd + "> is read-only";
        return out;
    }
    const auto invalid = [&](const char* expected) {
        out.refusal = "Invalid value <" + value + ">: " + expected + " expected";
    };
    switch (param.type) {
    case OrvParam_Int:
        if (const auto parsed = terminal::ParseIntValue(value)) {
            out.n = *parsed;
            // The register keeps only the masked bits: a value out of range would arrive as another.
            if (out.n < param.min.n || out.n > param.max.n)
                out.refusal = camera::FormatText("Value <%s> is outside %lld..%lld", value.c_str(),
                                                 static_cast<long long>(param.min.n),
                                                 static_cast<long long>(param.max.n));
        } else {
            invalid("a decimal or 0x hexadecimal integer");
        }
        break;
    case OrvParam_Bool:
        if (const auto parsed = terminal::ParseBoolValue(value))
            out.b = *parsed;
        else
            invalid("1, on, true, 0, off or false");
        break;
    case OrvParam_Float:
        if (const auto parsed = terminal::ParseFloatValue(value)) {
            out.d = *parsed;
            // The field counts steps from the minimum in the mask's bits: past its last step a
            // value would arrive wrapped (the maximum itself may lie there).
            const double step = param.def.d;
            const double top = step > 0 ? std::min(param.max.d, ValueCoder::LargestFloat(param.min.d, step, reg.mask))
                                        : param.max.d;
            if (out.d < param.min.d || out.d > param.max.d ||
                !ValueCoder::FloatFieldHolds(out.d, param.min.d, step, reg.mask))
                out.refusal = camera::FormatText("Value <%s> is outside %g..%g", value.c_str(), param.min.d, top);
        } else {
            invalid("a decimal number");
        }
        break;
    case OrvParam_String:
        out.refusal = "Command <" + cmd + "> holds text, which is only read here";
        break;
    default:
        break;
    }
    return out;
}

/// Why a typed write did not reach the camera, or may not have.
std::string WriteFailure(int result)
{
    if (result == link_result::kOffline)
        return "Camera is offline; nothing was written";
    // A script run took the channel after the line was checked.
    if (result == link_result::kChannelBusy)
        return "The camera channel is in use; nothing was written";
    // A refusal answers the camera's status byte; a failure of the channel is negative.
    if (result > 0)
        return "Camera refused the write; nothing was written";
    return camera::FormatText("No answer from the camera (result %d); the value may not have been written", result);
}

}  // namespace

TerminalCommands::TerminalCommands(CCameraLink& link, ITerminalSink& output, platform::IClock& clock)
    : link_(link), output_(output), clock_(clock)
{
}

TerminalCommands::Outcome TerminalCommands::Execute(std::string_view text)
{
    const terminal::ParsedLine line = terminal::ParseLine(text);
    // Enter on an empty line is no command.
    if (line.text.empty())
        return Outcome::Kept;
    // Pasted lines are no one command: a name on one and a value on the next would be written.
    if (line.text.find_first_of("\r\n") != std::string::npos) {
        output_.AddText(line.text + "\r\n");
        output_.AddText("Several lines in one command; enter one command per line; nothing was sent");
        return Outcome::Kept;
    }
    // While a script run or a flash upload holds the channel, nothing typed reaches the camera;
    // the line stays to be sent again later.
    if (line.kind != terminal::LineKind::Help) {
        if (const std::string busy = link_.m_ChannelOwner.BusyText(); !busy.empty()) {
            output_.AddText(busy + " The command was not sent.");
            return Outcome::Kept;
        }
    }
    switch (line.kind) {
    case terminal::LineKind::Raw:
        return RunRaw(line);
    case terminal::LineKind::Help:
    case terminal::LineKind::Param:
        break;
    }
    // Without a list of its parameters the store cannot take a command: the line stays.
    const auto records = Records();
    if (!records)
        return Outcome::Kept;
    return line.kind == terminal::LineKind::Help ? RunHelp(*records) : RunParam(line, *records);
}

double TerminalCommands::ElapsedMs(platform::IClock::TimePoint start) const
{
    return std::chrono::duration<double, std::milli>(clock_.Now() - start).count();
}

TerminalCommands::Outcome TerminalCommands::RunRaw(const terminal::ParsedLine& line)
{
    output_.AddText(line.text);
    const auto start = clock_.Now();
    CCameraLink::AnswerBuffer reply{};
    std::uint32_t count = 0;
    const int result = link_.SendByteCommand(line.hex, reply, &count);
    std::string text = result == 0
        ? std::string("OK; err = 0\r\nResp = <0x")
        : camera::FormatText(" ERR = %d<%X>, resp = <0x", result, static_cast<unsigned>(result));
    text += camera::HexBytes(reply.data(), std::min<std::size_t>(count, reply.size()), "%02X");
    text += ">";
    text += camera::FormatText("  Time: %fms\n", ElapsedMs(start));
    output_.AddText(text);
    return Outcome::Done;
}

std::optional<std::vector<_OrvStParam>> TerminalCommands::Records() const
{
    std::size_t count = 0;
    if (link_.GetParametersList(nullptr, &count) != 0)
        return std::nullopt;
    std::vector<_OrvStParam> records(count);
    if (count == 0)
        return records;
    // A catalogue that shrank in between still lists what it holds.
    if (const int result = link_.GetParametersList(records.data(), &count);
        result != 0 && result != kOrvParamTooSmall)
        return std::nullopt;
    records.resize(count);
    return records;
}

std::vector<std::pair<std::uint16_t, std::string>> TerminalCommands::HelpList() const
{
    const auto records = Records();
    return records ? HelpList(*records) : std::vector<std::pair<std::uint16_t, std::string>>{};
}

std::vector<std::pair<std::uint16_t, std::string>> TerminalCommands::HelpList(const std::vector<_OrvStParam>& records) const
{
    std::map<std::uint16_t, std::string> byAddress;
    for (const _OrvStParam& record : records) {
        RegisterLink reg;
        if (GetRegisterLink(link_, record.name, reg) == 0 && !reg.cmd.empty())
            byAddress.emplace(reg.address, reg.cmd);
    }
    return {byAddress.begin(), byAddress.end()};
}

TerminalCommands::Outcome TerminalCommands::RunHelp(const std::vector<_OrvStParam>& records)
{
    std::string text = "List of available commands:";
    for (const auto& [address, cmd] : HelpList(records))
        text += camera::FormatText("\r\n%s\t :<0x%04X>", cmd.c_str(), address);
    output_.AddText(text);
    return Outcome::Done;
}

TerminalCommands::Lookup TerminalCommands::Find(const std::vector<_OrvStParam>& records, const std::string& name,
                                                bool forWrite) const
{
    Lookup found;
    const _OrvStParam* firstPrefix = nullptr;
    for (const _OrvStParam& record : records) {
        RegisterLink reg;
        if (GetRegisterLink(link_, record.name, reg) != 0 || reg.cmd.empty())
            continue;
        if (reg.cmd == name) {
            found.match = &record;
            found.reg = reg;
            found.candidates.clear();
            return found;
        }
        if (reg.cmd.compare(0, name.size(), name) != 0)
            continue;
        if (!firstPrefix) {
            firstPrefix = &record;
            found.reg = reg;
        }
        if (std::find(found.candidates.begin(), found.candidates.end(), reg.cmd) == found.candidates.end())
            found.candidates.push_back(reg.cmd);
    }
    // A read may take the earliest of several; a write only the one command the name begins.
    if (firstPrefix && (!forWrite || found.candidates.size() == 1)) {
        found.match = firstPrefix;
        found.candidates.clear();
    }
    return found;
}

TerminalCommands::Outcome TerminalCommands::RunParam(const terminal::ParsedLine& line,
                                                     const std::vector<_OrvStParam>& records)
{
    output_.AddText(line.text + "\r\n");
    const std::string& value = line.value;
    const bool write = !value.empty();
    const Lookup found = Find(records, line.name, write);
    // Without its configuration only the identification registers are read; nothing is written.
    if (link_.ConfigurationLost() && (write || !found.match)) {
        output_.AddText("The camera could not be configured: only raw commands can be sent");
        return Outcome::Kept;
    }
    if (!found.match) {
        if (found.candidates.empty()) {
            output_.AddText("Unknown command <" + line.name + ">; \"help\" lists the commands");
        } else {
            std::string text = "Command <" + line.name + "> is the start of several:";
            for (const std::string& cmd : found.candidates)
                text += " " + cmd;
            output_.AddText(text + "; nothing was written");
        }
        return Outcome::Kept;
    }

    const _OrvStParam& param = *found.match;
    const char* name = param.name;
    WriteValue checked;
    if (write) {
        checked = CheckWrite(param, found.reg, value);
        if (!checked.refusal.empty()) {
            output_.AddText(checked.refusal + "; nothing was written");
            return Outcome::Kept;
        }
    }
    const auto begin = clock_.Now();
    // While the link counts the camera as gone (after a lost answer) it drops every write.
    int written = 0;
    switch (param.type) {
    case OrvParam_Int:
        if (write) {
            written = link_.SetParamIntIfOnline(name, checked.n, true, false);
        } else {
            std::int64_t current = 0;
            link_.GetParamInt(name, &current);
        }
        break;
    case OrvParam_Bool:
        if (!write) {
            bool current = false;
            link_.GetParamBool(name, &current);
        } else if (written = link_.SetParamBoolIfOnline(name, checked.b, true, false); written == kOrvParamUnchanged) {
            // The store skips a flag set to the value it holds, but the camera may hold the
            // other (a raw frame, a reset): the typed value goes out all the same.
            _OrvStParam typed = param;
            typed.value.b.value = checked.b ? 1 : 0;
            const std::uint8_t flag = typed.value.b.value;
            link_.ParamToConsole(&typed, &flag);
            written = link_.SetParamToCamera(&typed);
            if (written == 0)
                link_.ParamToConsoleReply(&typed);
        }
        break;
    case OrvParam_Float:
        if (write) {
            written = link_.SetParamFloatIfOnline(name, checked.d, true, false);
        } else {
            double current = 0;
            link_.GetParamFloat(name, &current);
        }
        break;
    case OrvParam_String: {
        // Only read (a value was refused above); the link echoes what came.
        char buffer[100] = {};
        std::size_t length = sizeof buffer;
        link_.GetParamString(name, buffer, &length);
        break;
    }
    default:
        break;
    }
    if (written != 0) {
        output_.AddText(WriteFailure(written));
        return Outcome::Kept;
    }
    if (write && param.type == OrvParam_Float) {
        // The register counts whole steps: a value between two arrives as the step below it.
        _OrvStParam held;
        if (link_.GetParamData(name, &held) == 0 &&
            std::fabs(held.value.d - checked.d) > std::fabs(param.def.d) * 1e-9)
            output_.AddText(camera::FormatText("Value <%s> lies between two steps of the register; written as %g",
                                               value.c_str(), held.value.d));
    }
    if (param.type == OrvParam_Int)
        output_.AddText(camera::FormatText("  Time: %fms\n", ElapsedMs(begin)));
    output_.AddText(">\r\n");
    return Outcome::Done;
}
