// The command terminal's engine: one typed line is a raw register frame in hexadecimal
// ("0x…", "HEX:…", "hex:…"), "help" (the short command names of the current catalogue, one per
// register address), or a parameter by its short command name with an optional value (a read
// without one, a write with one). A read takes the earliest command the name begins; a write
// takes the exact command or the only one the name begins, and only a value the parameter can
// hold: anything else is refused with a line and nothing is written. The engine runs the line against the camera link and writes
// its lines into the terminal's output; what the camera link echoes while it reads or writes a
// parameter reaches the same output through the link. No Qt here: the terminal window is a
// shell over this.
#pragma once

#include "camera/CameraLink.h"
#include "camera/ITerminalSink.h"
#include "camera/RegisterLink.h"
#include "platform/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace terminal {

enum class LineKind { Raw, Help, Param };

/// A typed line, trimmed, and what it asks for.
struct ParsedLine {
    LineKind kind = LineKind::Param;
    std::string text;   ///< the whole line, trimmed at both ends
    std::string hex;    ///< Raw: the text after the prefix, untrimmed
    std::string name;   ///< Param: the text before the first blank
    std::string value;  ///< Param: the text after it, trimmed; empty for a read
};

ParsedLine ParseLine(std::string_view line);

/// An integer value: decimal or "0x"/"0X" hexadecimal, with an optional sign, and nothing else.
std::optional<std::int64_t> ParseIntValue(std::string_view text);
/// A boolean value, any case: "1", "on", "true" or "0", "off", "false".
std::optional<bool> ParseBoolValue(std::string_view text);
/// A decimal floating-point value ("1.5", "-2", "3e2"), read the same in every locale.
std::optional<double> ParseFloatValue(std::string_view text);

}  // namespace terminal

/// Runs typed lines against a camera link. The link, the output and the clock are borrowed and
/// must outlive the engine. Everything runs on the caller's thread (the user-interface thread).
class TerminalCommands {
public:
    /// What the command line does after a line ran.
    enum class Outcome {
        Done,  ///< the line ran: the command line is emptied
        Kept,  ///< nothing ran (an empty line, no such parameter, a write refused, no store) or
               ///< the camera did not take the write: the line stays for the operator to correct
    };

    TerminalCommands(CCameraLink& link, ITerminalSink& output, platform::IClock& clock = platform::DefaultClock());

    Outcome Execute(std::string_view line);

    /// The help list: one short command name per register address, ascending by address, the
    /// first parameter in store order winning an address. Built from the current catalogue.
    std::vector<std::pair<std::uint16_t, std::string>> HelpList() const;

private:
    Outcome RunRaw(const terminal::ParsedLine& line);
    Outcome RunHelp(const std::vector<_OrvStParam>& records);
    Outcome RunParam(const terminal::ParsedLine& line, const std::vector<_OrvStParam>& records);
    /// The records of the store in its order; nothing when the store cannot list them.
    std::optional<std::vector<_OrvStParam>> Records() const;
    std::vector<std::pair<std::uint16_t, std::string>> HelpList(const std::vector<_OrvStParam>& records) const;
    /// The parameter a typed name selects, with its short command; when there is none, the
    /// short commands the name begins (empty: the name is unknown).
    struct Lookup {
        const _OrvStParam* match = nullptr;
        RegisterLink reg;  ///< the match's register link
        std::vector<std::string> candidates;
    };
    /// The first record (store order) whose short command equals `name`, else the first whose
    /// short command begins with it; for a write, only when the name begins one command alone.
    Lookup Find(const std::vector<_OrvStParam>& records, const std::string& name, bool forWrite) const;
    double ElapsedMs(platform::IClock::TimePoint start) const;

    CCameraLink& link_;
    ITerminalSink& output_;
    platform::IClock& clock_;
};
