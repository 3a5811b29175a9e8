#include "tools/DefectWord.h"

#include "tools/DownloadFile.h"

#include <algorithm>
#include <cstdio>

namespace defect {

namespace {

template <class Rows>
void SerializeRows(const Rows& rows, std::vector<std::uint8_t>& buffer, std::uint32_t length, std::uint32_t& position)
{
    const std::uint64_t end = std::min<std::uint64_t>(length, buffer.size());
    for (const auto& [row, columns] : rows)
        for (const auto& [column, word] : columns) {
            if (std::uint64_t{position} + 4 > end)
                return;
            download::StoreFlashWord(buffer, position, word);
            position += 4;
        }
}

void AppendRows(std::string& text, std::uint32_t row, const std::map<std::uint32_t, std::uint32_t>& columns)
{
    char line[48];
    for (const auto& [column, width] : columns) {
        std::snprintf(line, sizeof line, "%u,%u,%u\r\n", column, row, width);
        text += line;
    }
}

}  // namespace

std::uint32_t MaxColumn(bool largeSensor) { return largeSensor ? 0x3FFF : 0x1FFF; }

std::uint32_t ColumnMask(bool largeSensor) { return largeSensor ? 0x3FFF : 0x1FFF; }

std::uint32_t MakeDefectWord(bool bit31, bool bit30, std::uint32_t column, std::uint32_t row, std::uint32_t width)
{
    return (bit31 ? kBitNextPixel : 0u) | (bit30 ? kBitPixel : 0u) | ((column & 0x3FFFu) << 16) |
           ((width & 7u) << 13) | (row & 0x1FFFu);
}

std::uint32_t PutDefectWord(WordMap& map, bool bit31, bool bit30, std::uint32_t column, std::uint32_t row,
                            std::uint32_t width)
{
    const std::uint32_t word = MakeDefectWord(bit31, bit30, column, row, width);
    map[row][column] = word;
    return word;
}

std::vector<Pixel> DecodeDefectWord(std::uint32_t word, std::uint32_t columnMask)
{
    std::vector<Pixel> pixels;
    const std::uint32_t column = (word >> 16) & columnMask;
    const std::uint32_t row = word & 0x1FFFu;
    const std::uint32_t width = (word >> 13) & 7u;
    if (word & kBitPixel)
        pixels.push_back({column, row, width});
    if (word & kBitNextPixel)
        pixels.push_back({column + 1, row, width});
    return pixels;
}

void DefectPairer::Add(const Pixel& pixel)
{
    if (m_pending) {
        const Pixel first = *m_pending;
        if (first.row == pixel.row && (first.column & 1u) && pixel.column == first.column + 1) {
            m_pending.reset();
            Emit(first, true, true);
            return;
        }
        Flush();
    }
    m_pending = pixel;
}

void DefectPairer::Flush()
{
    if (!m_pending)
        return;
    const Pixel pixel = *m_pending;
    m_pending.reset();
    if (pixel.column & 1u)
        Emit(pixel, false, true);
    else
        Emit({pixel.column - 1, pixel.row, pixel.width}, true, false);
}

void DefectPairer::SetTarget(WordMap* target)
{
    Flush();
    m_target = target;
    m_added = 0;
}

void DefectPairer::Emit(const Pixel& pixel, bool bit31, bool bit30)
{
    if (!m_target)
        return;
    auto& columns = (*m_target)[pixel.row];
    const std::size_t before = columns.size();
    columns[pixel.column] = MakeDefectWord(bit31, bit30, pixel.column, pixel.row, pixel.width);
    m_added += columns.size() - before;
}

WordMap EncodeDefectMap(const PixelMap& pixels)
{
    WordMap words;
    DefectPairer pairer(&words);
    for (const auto& [row, columns] : pixels)
        for (const auto& [column, width] : columns)
            pairer.Add({column, row, width});
    pairer.Flush();
    return words;
}

std::size_t WordCount(const WordMap& map)
{
    std::size_t count = 0;
    for (const auto& [row, columns] : map)
        count += columns.size();
    return count;
}

void SerializeDefectMap(const WordMap& map, std::vector<std::uint8_t>& buffer, std::uint32_t length,
                        std::uint32_t& position)
{
    SerializeRows(map, buffer, length, position);
}

void SerializeDefectMapBottomUp(const WordMap& map, std::vector<std::uint8_t>& buffer, std::uint32_t length,
                                std::uint32_t& position)
{
    struct Reversed {
        const WordMap& map;
        auto begin() const { return map.rbegin(); }
        auto end() const { return map.rend(); }
    };
    SerializeRows(Reversed{map}, buffer, length, position);
}

SpaceLayout LayoutOf(Space space)
{
    switch (space) {
    case Space::BpmFactory:
        return {10, 0x10000, 0x0000, 0x8000, 0x4000};
    case Space::BpmUser:
        return {10, 0x10000, 0x8000, 0x8000, 0x4000};
    case Space::DpmFactory:
        return {9, 0x4000, 0x0000, 0x2000, 0x1000};
    case Space::DpmUser:
        break;
    }
    return {9, 0x4000, 0x2000, 0x2000, 0x1000};
}

std::size_t TopDownCapacity(const SpaceLayout& layout, bool withBottomUp)
{
    return withBottomUp ? (layout.bottomUpOffset - 4) / 4 : layout.halfLength / 4;
}

std::size_t BottomUpCapacity(const SpaceLayout& layout) { return (layout.halfLength - layout.bottomUpOffset) / 4; }

std::optional<std::string> PlaceDefectLists(const SpaceLayout& layout, const WordMap& topDown, const WordMap& bottomUp,
                                            std::vector<std::uint8_t>& sector)
{
    const std::size_t topWords = WordCount(topDown);
    const std::size_t bottomWords = WordCount(bottomUp);
    const std::size_t topCapacity = TopDownCapacity(layout, bottomWords > 0);
    char reason[160];
    if (topWords > topCapacity) {
        std::snprintf(reason, sizeof reason, "the top-down list needs %zu words, but only %zu fit", topWords,
                      topCapacity);
        return std::string(reason);
    }
    if (bottomWords > BottomUpCapacity(layout)) {
        std::snprintf(reason, sizeof reason, "the bottom-up list needs %zu words, but only %zu fit", bottomWords,
                      BottomUpCapacity(layout));
        return std::string(reason);
    }
    if (sector.size() < layout.halfStart + layout.halfLength)
        return std::string("the sector image is too short for this space");

    std::fill(sector.begin() + layout.halfStart, sector.begin() + layout.halfStart + layout.halfLength, 0);
    const std::uint32_t halfEnd = layout.halfStart + layout.halfLength;
    std::uint32_t position = layout.halfStart;
    SerializeDefectMap(topDown, sector, halfEnd, position);
    if (bottomWords > 0) {
        position = layout.BottomUpStart();
        SerializeDefectMapBottomUp(bottomUp, sector, halfEnd, position);
    }
    return std::nullopt;
}

std::string FormatDefectTable(const PixelMap& topDown, const PixelMap& bottomUp)
{
    std::string text = std::string(kDefectTableComment) + "\r\n" + kTableTag + "\r\n";
    for (const auto& [row, columns] : topDown)
        AppendRows(text, row, columns);
    bool anyBottomUp = false;
    for (const auto& [row, columns] : bottomUp)
        anyBottomUp = anyBottomUp || !columns.empty();
    if (anyBottomUp) {
        text += std::string(kDefectTableComment) + "\r\n" + kBottomUpTag + "\r\n";
        for (auto it = bottomUp.rbegin(); it != bottomUp.rend(); ++it)
            AppendRows(text, it->first, it->second);
    }
    return text;
}

}  // namespace defect
