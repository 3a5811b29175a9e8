// Fuzz target: arbitrary bytes read as a workspace file, the way a replay reads it: whole
// lines, each either passed over, refused as malformed or turned into a frame, then the GUI
// settings taken from the same text. A frame must be a 3-byte read or a 7-byte write, and a
// write line written back and read again must give the same frame; the settings must survive
// being written and read again.
#include "fuzz/FuzzCheck.h"
#include "camera/CParamsMap.h"
#include "camera/RgsFile.h"
#include "camera/ValueCoder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using fuzzcheck::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view line : rgs::SplitLines(text)) {
        Check(line.find('\n') == std::string_view::npos);
        const rgs::CommandLine command = rgs::ParseCommandLine(line);
        if (command.kind != rgs::LineKind::Command) {
            Check(command.length == 0);
            continue;
        }
        const bool read = command.frame[0] == 0x52;
        Check(read || command.frame[0] == 0x57);
        Check(command.length == (read ? 3u : 7u));
        if (read)
            continue;
        const auto address = static_cast<std::uint16_t>((command.frame[1] << 8) | command.frame[2]);
        const rgs::CommandLine again =
            rgs::ParseCommandLine(rgs::FormatWriteLine(address, ValueCoder::BytesToWord(command.frame + 3)));
        Check(again.kind == rgs::LineKind::Command && again.length == 7);
        for (int i = 0; i < 7; ++i)
            Check(again.frame[i] == command.frame[i]);
    }

    CParamsMap settings;
    settings.Parse(text);
    CParamsMap reread;
    reread.Parse(settings.Format(rgs::kSettingsPrefix));
    Check(reread.Items() == settings.Items());
    return 0;
}
