// Fuzz target: arbitrary bytes read as an AFE table. An accepted file fills a 0x10000-byte
// image and asks for at most 256 pages; CR LF changes nothing.
#include "fuzz/DownloadFuzz.h"
#include "tools/DownloadParsers.h"

#include <cstdint>

using namespace downloadfuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = download::ParseAfeTable(text);
    CheckImage(parsed, 0x10000);
    if (parsed.ok()) {
        const int pages = download::PagesToWrite(download::kAfe, *download::TargetFor(download::kAfe, false), parsed.value());
        Check(pages >= 1 && pages <= 256);
    }
    if (const auto crlf = AsCrLf(text))
        CheckSameImage(parsed, download::ParseAfeTable(*crlf));
    return 0;
}
