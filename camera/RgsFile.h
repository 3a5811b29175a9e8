// Workspace files (".rgs"): text lines, each ending in CR LF, of register-write commands in the
// camera's command syntax ("57 6034 00000001": command, address high and low byte, data word
// most significant byte first), framed by the supervisor password and error checking switched
// off and on again, followed by the camera's GUI settings as "-- key=value" lines. Here: the
// fixed lines, the formatting of a register line and the strict reading of a command line.
#pragma once

#include "camera/RegisterProtocol.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rgs {

using protocol::kBaudRateRegister;
using protocol::kErrorCheckingRegister;
using protocol::kSupervisorPassword;
using protocol::kSupervisorRegister;
/// Prefix of the GUI-settings lines.
inline constexpr const char* kSettingsPrefix = "-- ";

/// Value of a hexadecimal digit, or -1.
int HexDigit(char c);

/// One register-write line without its line end: "57 AAAA DDDDDDDD" in upper-case hex.
std::string FormatWriteLine(std::uint16_t address, std::uint32_t word);

/// The two lines that open a workspace file (supervisor mode on, error checking off) and the
/// two that close its register lines, each ending in CR LF.
std::string OpeningLines();
std::string ClosingLines();

/// Splits a file's text into whole lines, each without its "\n" or "\r\n"; a last line without
/// a line end is kept whole.
std::vector<std::string_view> SplitLines(std::string_view text);

enum class LineKind {
    Other,      ///< not a command (GUI settings, comments, blank lines): passed over
    Command,    ///< a frame to send
    Malformed,  ///< begins like a command but is not exactly a 3- or 7-byte frame: not sent
};

struct CommandLine {
    LineKind kind = LineKind::Other;
    std::uint8_t frame[7] = {};
    std::uint32_t length = 0;  ///< 3 (read) or 7 (write) for a command
    /// A hex command of the right length that is malformed: the index of its first character
    /// that is no hexadecimal digit; npos otherwise.
    std::size_t notHexAt = std::string_view::npos;
};

/// Reads one line. A line is a command when it starts with "57" (a write, 7 bytes) or "52" (a
/// read, 3 bytes). Byte form: byte values of one or two hex digits, blanks allowed before each,
/// exactly as many as the frame has, then only blanks; a one-digit value right after another
/// value (no blank between) is a digit lost, and malformed. Text form (writes only): the first three
/// byte values, blanks, then "<" four characters ">" giving the data bytes in order, then only
/// blanks. Anything else after "57"/"52" is malformed.
CommandLine ParseCommandLine(std::string_view line);

/// The write frame of `word` to `address`.
CommandLine WriteCommand(std::uint16_t address, std::uint32_t word);

/// What a workspace's lines have switched on the camera: supervisor mode entered (a non-zero
/// word written to the supervisor register) and error checking off (a non-zero word written to
/// the error-checking register). A zero word to either register switches it back.
struct ModeState {
    bool supervisor = false;
    bool checkingOff = false;

    /// Takes a command line the camera accepted.
    void Apply(const CommandLine& command);
    /// Takes a command line whose fate is unknown (the camera did not answer): only what it
    /// may have switched on counts.
    void ApplyUnsure(const CommandLine& command);
    bool Open() const { return supervisor || checkingOff; }
};

/// True for a write to the supervisor or the error-checking register.
bool WritesModeRegister(const CommandLine& command);

/// The write frames that take the camera back from `state`, in the order a save closes its
/// register lines: error checking on first, then supervisor mode off.
std::vector<CommandLine> ClosingCommands(const ModeState& state);

/// What the operator is told when the closing lines of a file stopped half-way were taken.
inline constexpr const char* kClosingTakenText =
    "The camera was taken back to normal mode (error checking on, supervisor mode off).";
/// The state an open `state` leaves the camera in ("in supervisor mode with its error checking
/// off", "in supervisor mode", "with its error checking off").
const char* OpenModesText(const ModeState& state);
/// What the operator is told when the closing lines of an open `state` were not taken: the
/// state the camera may be left in, and what to do.
std::string ClosingRefusedText(const ModeState& state);

/// A workspace file checked whole before any of it is sent.
struct WorkspaceCheck {
    struct Line {
        std::size_t number;  ///< 1-based line number in the file
        std::string_view text;  ///< the line as it stands, a view into the checked text
        CommandLine command;
    };
    std::vector<Line> commands;  ///< every command line, in file order
    /// The first line that makes the file unfit to send (0: none), why, and how many command
    /// lines are malformed.
    std::size_t badLine = 0;
    std::string badText;
    const char* reason = nullptr;
    int malformed = 0;

    bool Fit() const { return badLine == 0; }
};

/// Checks every line of a workspace file's text: each command line must be a whole frame, and
/// a file that enters supervisor mode or switches error checking off must switch both back by
/// its end (a file cut short leaves the camera in supervisor mode with its error checking off).
/// A text without command lines is fit and has nothing to send.
WorkspaceCheck CheckWorkspace(std::string_view text);

/// Reads a frame typed as exactly 6 or 14 hexadecimal digits (3 or 7 bytes, most significant
/// first, no blanks, sign or prefix): a command, or malformed.
CommandLine ParseHexCommand(std::string_view text);

}  // namespace rgs
