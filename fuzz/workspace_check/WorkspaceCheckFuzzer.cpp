// Fuzz target: arbitrary bytes as a workspace file, through the whole-file check a replay runs
// before it sends anything. The check lists exactly the lines that read as commands, in file
// order, with views into the text; any malformed command makes the file unfit; and a file it
// finds fit leaves the camera with supervisor mode off and error checking on once every
// command was accepted.
#include "fuzz/FuzzCheck.h"
#include "camera/RgsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using fuzzcheck::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const rgs::WorkspaceCheck check = rgs::CheckWorkspace(text);
    const auto lines = rgs::SplitLines(text);

    std::size_t commands = 0;
    int malformed = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const rgs::CommandLine command = rgs::ParseCommandLine(lines[i]);
        if (command.kind == rgs::LineKind::Malformed)
            ++malformed;
        if (command.kind != rgs::LineKind::Command)
            continue;
        Check(commands < check.commands.size());
        const auto& listed = check.commands[commands++];
        Check(listed.number == i + 1);
        Check(listed.text == lines[i]);
        Check(listed.text.data() >= text.data() && listed.text.data() + listed.text.size() <= text.data() + text.size());
        Check(listed.command.length == command.length);
        for (std::uint32_t b = 0; b < command.length; ++b)
            Check(listed.command.frame[b] == command.frame[b]);
    }
    Check(commands == check.commands.size());
    Check(check.malformed == malformed);
    if (malformed > 0)
        Check(!check.Fit());
    if (!check.Fit()) {
        Check(check.badLine >= 1 && check.badLine <= lines.size());
        Check(check.reason != nullptr);
        return 0;
    }
    rgs::ModeState modes;
    for (const auto& line : check.commands)
        modes.Apply(line.command);
    Check(!modes.Open());
    return 0;
}
