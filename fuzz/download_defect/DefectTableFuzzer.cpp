// Fuzz target: a defect table. The first byte picks the file type (DPM or BPM, user or
// factory) and the sensor size; the rest is the file. An accepted file touches only its own
// half; its lists, decoded and saved the way the defect-map editor saves them, upload to the
// very same image; CR LF changes nothing.
#include "fuzz/DownloadFuzz.h"
#include "tools/DefectWord.h"
#include "tools/DownloadParsers.h"

#include <cstdint>

using namespace downloadfuzz;

namespace {

defect::PixelMap ReadList(const std::vector<std::uint8_t>& bytes, std::uint32_t from, std::uint32_t end, bool large)
{
    defect::PixelMap pixels;
    for (; from < end && download::FlashWordAt(bytes, from) != 0; from += 4)
        for (const defect::Pixel& p : defect::DecodeDefectWord(download::FlashWordAt(bytes, from), defect::ColumnMask(large)))
            pixels[p.row][p.column] = p.width;
    return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static constexpr int kTypes[4] = {download::kDpmUser, download::kBpmUser, download::kDpmFactory, download::kBpmFactory};
    static constexpr defect::Space kSpaces[4] = {defect::Space::DpmUser, defect::Space::BpmUser,
                                                 defect::Space::DpmFactory, defect::Space::BpmFactory};
    const int type = kTypes[data[0] & 3];
    const defect::SpaceLayout layout = defect::LayoutOf(kSpaces[data[0] & 3]);
    const bool large = (data[0] & 4) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto parsed = download::ParseDefectTable(type, text, large);
    CheckImage(parsed, layout.sectorLength);
    if (const auto crlf = AsCrLf(text))
        CheckSameImage(parsed, download::ParseDefectTable(type, *crlf, large));
    if (!parsed.ok())
        return 0;

    const std::vector<std::uint8_t>& bytes = parsed.value().bytes;
    const std::uint32_t halfEnd = layout.halfStart + layout.halfLength;
    for (std::uint32_t i = 0; i < bytes.size(); ++i)
        if (i < layout.halfStart || i >= halfEnd)
            Check(bytes[i] == 0);

    // As the editor reads a space: a bottom-up list follows only a zero word before its start.
    const bool bottomUp =
        large && download::FlashWordAt(bytes, layout.BottomUpStart() - 4) == 0 && download::FlashWordAt(bytes, layout.BottomUpStart()) != 0;
    const defect::PixelMap top =
        ReadList(bytes, layout.halfStart, bottomUp ? layout.BottomUpStart() : halfEnd, large);
    const defect::PixelMap bottom = bottomUp ? ReadList(bytes, layout.BottomUpStart(), halfEnd, large) : defect::PixelMap{};
    Check(!top.empty() || !bottom.empty());

    const auto again = download::ParseDefectTable(type, defect::FormatDefectTable(top, bottom), large);
    Check(again.ok());
    Check(again.value().bytes == bytes);
    return 0;
}
