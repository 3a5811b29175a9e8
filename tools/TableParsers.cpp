// Look-up tables, flat-field tables and AFE register tables.
#include "tools/DownloadLines.h"
#include "tools/DownloadParsers.h"

#include <array>
#include <cstdio>

namespace download {

namespace {

constexpr const char* kTableTag = ":Table";
constexpr const char* kFfcXTag = ":FFC_X";
constexpr const char* kFfcYTag = ":FFC_Y";

constexpr std::uint32_t kLutLength = 0x4000;
constexpr std::size_t kFfcWords = 4096;
constexpr std::uint32_t kAfeLength = 0x10000;
constexpr std::uint32_t kAfeSlice = 0x2000;

/// The first line that is exactly `tag` (or the tag and blanks), or -1.
int FindTag(const std::vector<TextLine>& lines, std::string_view tag)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (IsTag(lines[i].text, tag))
            return static_cast<int>(i);
    return -1;
}

/// Reads an "index,value" line; the value, or the refusal.
std::optional<ParseError> ScanIndexValue(const TextLine& line, std::int64_t& value)
{
    const ScannedNumbers numbers = ScanDecimals(line.text, 2);
    if (numbers.overflow)
        return ParseError{line.number, "number does not fit 32 bits in " + QuoteLine(line.text)};
    if (numbers.count < 2)
        return ParseError{line.number, "expected \"index,value\" (two decimal numbers), not " + QuoteLine(line.text)};
    value = numbers.values[1];
    return std::nullopt;
}

ParseError UnexpectedTag(const TextLine& line)
{
    return ParseError{line.number, "unexpected tag " + QuoteLine(TagName(line.text))};
}

/// Writes values[0], values[step], ... (step = n / limit rounded up) as words from `position`.
std::uint32_t WriteThinned(const std::vector<std::uint32_t>& values, std::size_t limit, std::vector<std::uint8_t>& bytes,
                           std::uint32_t position)
{
    const std::size_t step = values.size() <= limit ? 1 : (values.size() + limit - 1) / limit;
    for (std::size_t i = 0; i < values.size(); i += step) {
        download::StoreFlashWord(bytes, position, values[i]);
        position += 4;
    }
    return position;
}

struct AfeSection {
    const char* tag;
    std::uint32_t start;
};
constexpr std::array<AfeSection, 8> kAfeSections = {{{":AFE1", 0x0000},
                                                     {":AFE1N", 0x2000},
                                                     {":AFE2", 0x4000},
                                                     {":AFE2N", 0x6000},
                                                     {":AFE3", 0x8000},
                                                     {":AFE3N", 0xA000},
                                                     {":AFE4", 0xC000},
                                                     {":AFE4N", 0xE000}}};

/// Reads the "address value" lines [first, end) into the image from `start`, at most
/// `capacity` bytes; returns the end position or the refusal.
Parsed<std::uint32_t> ReadAfeLines(const std::vector<TextLine>& lines, std::size_t first, std::size_t end,
                                   std::uint32_t start, std::uint32_t capacity, std::string_view where,
                                   std::vector<std::uint8_t>& image)
{
    std::uint32_t position = start;
    for (std::size_t i = first; i < end; ++i) {
        const TextLine& line = lines[i];
        if (IsBlankLine(line.text) || IsCommentLine(line.text))
            continue;
        const ScannedNumbers numbers = ScanHexPair(line.text);
        if (numbers.count < 2 && !numbers.overflow)
            return ParseError{line.number,
                              "expected \"address value\" (two hexadecimal numbers), not " + QuoteLine(line.text)};
        if (numbers.overflow || numbers.values[0] > 0xFFFF || numbers.values[1] > 0xFFFF)
            return ParseError{line.number, "address and value must each fit 16 bits (0..FFFF) in " + QuoteLine(line.text)};
        if (position - start + 4 > capacity) {
            char reason[96];
            std::snprintf(reason, sizeof reason, "%.*s holds at most %u entries", static_cast<int>(where.size()),
                          where.data(), capacity / 4);
            return ParseError{line.number, reason};
        }
        const auto address = static_cast<std::uint32_t>(numbers.values[0]);
        const auto value = static_cast<std::uint32_t>(numbers.values[1]);
        download::StoreFlashWord(image, position, (address << 16) | value);
        position += 4;
    }
    return position;
}

}  // namespace

Parsed<FlashImage> ParseLookUpTable(std::string_view text)
{
    const std::vector<TextLine> lines = SplitTextLines(text);
    const int tag = FindTag(lines, kTableTag);
    if (tag < 0)
        return ParseError{0, "no \":Table\" line"};

    FlashImage image{std::vector<std::uint8_t>(kLutLength, 0), 0};
    std::size_t values = 0;
    for (std::size_t i = static_cast<std::size_t>(tag) + 1; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        if (IsBlankLine(line.text) || IsCommentLine(line.text))
            continue;
        if (IsTagLine(line.text))
            return UnexpectedTag(line);
        std::int64_t value = 0;
        if (auto error = ScanIndexValue(line, value))
            return *error;
        ++values;
        if (image.fill < kLutLength) {
            download::StoreFlashWord(image.bytes, image.fill, static_cast<std::uint32_t>(value));
            image.fill += 4;
        }
    }
    if (values == 0)
        return ParseError{lines[tag].number, "no table values after \":Table\""};
    return image;
}

Parsed<FlashImage> ParseFlatField(std::string_view text, bool largeSensor)
{
    const std::vector<TextLine> lines = SplitTextLines(text);
    int tag = FindTag(lines, kTableTag);
    if (tag < 0)
        tag = FindTag(lines, kFfcXTag);
    if (tag < 0)
        return ParseError{0, "no \":Table\" or \":FFC_X\" line"};

    std::vector<std::uint32_t> x;
    std::vector<std::uint32_t> y;
    std::vector<std::uint32_t>* current = &x;
    for (std::size_t i = static_cast<std::size_t>(tag) + 1; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        if (IsBlankLine(line.text) || IsCommentLine(line.text))
            continue;
        if (IsTagLine(line.text)) {
            if (IsTag(line.text, kFfcYTag) && current == &x) {
                current = &y;
                continue;
            }
            return IsTag(line.text, kFfcYTag) ? ParseError{line.number, "a second \":FFC_Y\" tag"} : UnexpectedTag(line);
        }
        std::int64_t value = 0;
        if (auto error = ScanIndexValue(line, value))
            return *error;
        current->push_back(static_cast<std::uint32_t>(value));
    }
    if (x.empty() && y.empty())
        return ParseError{lines[tag].number, "no flat-field values after the tag"};

    const std::uint32_t yStart = largeSensor ? 0x8000 : 0x4000;
    FlashImage image{std::vector<std::uint8_t>(yStart + 0x4000, 0), 0};
    image.fill = WriteThinned(x, largeSensor ? 2 * kFfcWords : kFfcWords, image.bytes, 0);
    if (!y.empty())
        image.fill = WriteThinned(y, kFfcWords, image.bytes, yStart);
    return image;
}

Parsed<FlashImage> ParseAfeTable(std::string_view text)
{
    const std::vector<TextLine> lines = SplitTextLines(text);
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::array<std::size_t, kAfeSections.size()> tagAt;
    tagAt.fill(kNone);
    std::vector<std::size_t> tagLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsTagLine(lines[i].text))
            continue;
        std::size_t k = 0;
        while (k < kAfeSections.size() && !IsTag(lines[i].text, kAfeSections[k].tag))
            ++k;
        if (k == kAfeSections.size())
            return UnexpectedTag(lines[i]);
        if (tagAt[k] != kNone)
            return ParseError{lines[i].number, std::string("the tag \"") + kAfeSections[k].tag + "\" stands already on line " +
                                                   std::to_string(lines[tagAt[k]].number)};
        tagAt[k] = i;
        tagLines.push_back(i);
    }

    FlashImage image{std::vector<std::uint8_t>(kAfeLength, 0), 0};
    std::size_t entries = 0;
    if (tagLines.empty()) {
        auto end = ReadAfeLines(lines, 0, lines.size(), 0, kAfeLength, "the AFE image", image.bytes);
        if (!end.ok())
            return end.error();
        image.fill = end.value();
        entries = image.fill / 4;
    } else {
        for (std::size_t i = 0; i < tagLines.front(); ++i)
            if (ScanHexPair(lines[i].text).count == 2)
                return ParseError{lines[i].number, "data line before the first AFE tag: " + QuoteLine(lines[i].text)};
        tagLines.push_back(lines.size());
        for (std::size_t k = 0; k < kAfeSections.size(); ++k) {
            if (tagAt[k] == kNone)
                continue;
            std::size_t next = lines.size();
            for (const std::size_t at : tagLines)
                if (at > tagAt[k]) {
                    next = at;
                    break;
                }
            auto end = ReadAfeLines(lines, tagAt[k] + 1, next, kAfeSections[k].start, kAfeSlice,
                                    std::string("the section ") + kAfeSections[k].tag, image.bytes);
            if (!end.ok())
                return end.error();
            image.fill = end.value();
            entries += (image.fill - kAfeSections[k].start) / 4;
        }
    }
    if (entries == 0)
        return ParseError{0, "no AFE entries (\"address value\" lines) in the file"};
    return image;
}

}  // namespace download
