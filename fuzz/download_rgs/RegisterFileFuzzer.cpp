// Fuzz target: arbitrary bytes read as a register-command file for the download terminal's
// replay. Every accepted command is a whole 7-byte write or 3-byte read, the byte list is
// exactly the commands one after another, and CR LF changes nothing.
#include "fuzz/DownloadFuzz.h"
#include "tools/DownloadParsers.h"

#include <cstdint>

using namespace downloadfuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = download::ParseRegisterFile(text);
    if (parsed.ok()) {
        Check(!parsed.value().empty());
        std::size_t total = 0;
        for (const download::RegisterCommand& command : parsed.value()) {
            Check((command.bytes[0] == 0x57 && command.length == 7) || (command.bytes[0] == 0x52 && command.length == 3));
            total += command.length;
        }
        Check(download::CommandBytes(parsed.value()).size() == total);
    } else {
        Check(!parsed.error().reason.empty());
    }
    if (const auto crlf = AsCrLf(text)) {
        const auto again = download::ParseRegisterFile(*crlf);
        Check(again.ok() == parsed.ok());
        if (parsed.ok())
            Check(download::CommandBytes(again.value()) == download::CommandBytes(parsed.value()));
        else
            Check(again.error().line == parsed.error().line);
    }
    return 0;
}
