// Fuzz target: arbitrary bytes read as a flat-field file, for a small and a large sensor. An
// accepted file gives the sensor's buffer (0x8000 or 0xC000 bytes); CR LF changes nothing.
#include "fuzz/DownloadFuzz.h"
#include "tools/DownloadParsers.h"

#include <cstdint>

using namespace downloadfuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool large : {false, true}) {
        const auto parsed = download::ParseFlatField(text, large);
        CheckImage(parsed, large ? 0xC000 : 0x8000);
        if (const auto crlf = AsCrLf(text))
            CheckSameImage(parsed, download::ParseFlatField(*crlf, large));
    }
    return 0;
}
