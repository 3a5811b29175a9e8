// Fuzz target: arbitrary bytes read as a look-up table file. An accepted file fills a
// 0x4000-byte image with at least one value; CR LF line ends change nothing.
#include "fuzz/DownloadFuzz.h"
#include "tools/DownloadParsers.h"

#include <cstdint>

using namespace downloadfuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = download::ParseLookUpTable(text);
    CheckImage(parsed, 0x4000);
    if (parsed.ok())
        Check(parsed.value().fill >= 4);
    if (const auto crlf = AsCrLf(text))
        CheckSameImage(parsed, download::ParseLookUpTable(*crlf));
    return 0;
}
