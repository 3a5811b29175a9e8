// The defect word, its pairing rule, the list layout in a defect space and the defect-table
// writer that the defect-map editor saves with.
#include "tools/DefectWord.h"
#include "tools/DownloadFile.h"
#include "tools/DownloadParsers.h"

#include <gtest/gtest.h>

namespace {

using defect::Pixel;
using defect::PixelMap;
using defect::WordMap;

/// The words of a list from `offset` up to its zero word (or `end`).
std::vector<std::uint32_t> ListAt(const std::vector<std::uint8_t>& bytes, std::uint32_t offset, std::uint32_t end)
{
    std::vector<std::uint32_t> words;
    for (; offset + 4 <= end && download::FlashWordAt(bytes, offset) != 0; offset += 4)
        words.push_back(download::FlashWordAt(bytes, offset));
    return words;
}

WordMap Pair(const std::vector<Pixel>& pixels)
{
    WordMap words;
    defect::DefectPairer pairer(&words);
    for (const Pixel& pixel : pixels)
        pairer.Add(pixel);
    pairer.Flush();
    return words;
}

struct PairingRow {
    const char* name;
    std::vector<Pixel> pixels;
    std::vector<std::uint32_t> words;  // rows, then column fields ascending
};

// Example failure: a pair of neighbours gives two words, or an even column lands in its own
// field instead of the pair's odd one.
TEST(DefectPairing, BuildsTheWordsOfTheExamples)
{
    const PairingRow rows[] = {
        {"pair_5_6_takes_first_width", {{5, 10, 1}, {6, 10, 2}}, {0xC005200A}},
        {"even_column_alone", {{6, 10, 1}}, {0x8005200A}},
        {"odd_column_alone", {{7, 10, 1}}, {0x4007200A}},
        {"later_word_replaces_earlier_field", {{5, 10, 1}, {7, 10, 1}, {6, 10, 1}}, {0x8005200A, 0x4007200A}},
        {"even_then_odd_do_not_pair", {{6, 10, 0}, {7, 10, 0}}, {0x80050000 | 10, 0x40070000 | 10}},
        {"neighbours_in_other_rows", {{5, 10, 0}, {6, 11, 0}}, {0x4005000A, 0x8005000B}},
        {"width_keeps_three_bits", {{1, 1, 9}}, {0x40012001}},
    };
    for (const PairingRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint32_t> words;
        for (const auto& [r, columns] : Pair(row.pixels))
            for (const auto& [c, word] : columns)
                words.push_back(word);
        EXPECT_EQ(words, row.words);
    }
}

// Example failure: the decoder puts the bit-31 pixel on the pair's first column, or reads the
// column with the wrong mask.
TEST(DefectPairing, DecodesWhatItEncodes)
{
    EXPECT_EQ(defect::DecodeDefectWord(0xC005200A, defect::ColumnMask(false)),
              (std::vector<Pixel>{{5, 10, 1}, {6, 10, 1}}));
    EXPECT_EQ(defect::DecodeDefectWord(0x8005200A, 0x1FFF), (std::vector<Pixel>{{6, 10, 1}}));
    EXPECT_EQ(defect::DecodeDefectWord(defect::MakeDefectWord(false, true, 0x3FFF, 0x1FFF, 7), 0x3FFF),
              (std::vector<Pixel>{{0x3FFF, 0x1FFF, 7}}));
    EXPECT_TRUE(defect::DecodeDefectWord(0, 0x3FFF).empty());
}

// Example failure: the bottom-up writer keeps rows ascending, or reverses the columns too.
TEST(DefectLists, BottomUpRunsRowsDescendingColumnsAscending)
{
    const PixelMap pixels = {{3, {{1, 0}, {9, 0}}}, {7, {{5, 0}}}};
    const WordMap words = defect::EncodeDefectMap(pixels);
    std::vector<std::uint8_t> buffer(32, 0);
    std::uint32_t position = 4;
    defect::SerializeDefectMapBottomUp(words, buffer, 32, position);
    EXPECT_EQ(position, 16u);
    EXPECT_EQ(ListAt(buffer, 4, 32), (std::vector<std::uint32_t>{0x40050007, 0x40010003, 0x40090003}));

    // The writer stops at the length it is given, never past the buffer.
    position = 24;
    defect::SerializeDefectMap(words, buffer, 28, position);
    EXPECT_EQ(position, 28u);
}

struct CapacityRow {
    const char* name;
    defect::Space space;
    std::size_t topWords;
    std::size_t bottomWords;
    bool fits;
};

// Example failure: a list that overruns its area is written anyway, so the top-down list's
// tail is overwritten by the bottom-up list or runs into the other half of the sector.
TEST(DefectLists, RefusesListsThatDoNotFitTheirArea)
{
    const CapacityRow rows[] = {
        {"dpm_whole_half_without_bottom_up", defect::Space::DpmFactory, 2048, 0, true},
        {"dpm_one_word_past_the_half", defect::Space::DpmFactory, 2049, 0, false},
        {"dpm_top_down_up_to_the_terminator", defect::Space::DpmUser, 1023, 1024, true},
        {"dpm_top_down_over_the_terminator", defect::Space::DpmUser, 1024, 1, false},
        {"dpm_bottom_up_past_the_half", defect::Space::DpmUser, 1, 1025, false},
        {"bpm_user_full", defect::Space::BpmUser, 4095, 4096, true},
        {"bpm_factory_bottom_up_past_the_half", defect::Space::BpmFactory, 1, 4097, false},
    };
    for (const CapacityRow& row : rows) {
        SCOPED_TRACE(row.name);
        const defect::SpaceLayout layout = defect::LayoutOf(row.space);
        WordMap top;
        WordMap bottom;
        for (std::size_t i = 0; i < row.topWords; ++i)
            defect::PutDefectWord(top, false, true, 2 * (i % 8000) + 1, 1 + i / 8000, 0);
        for (std::size_t i = 0; i < row.bottomWords; ++i)
            defect::PutDefectWord(bottom, false, true, 2 * (i % 8000) + 1, 8191 - i / 8000, 0);
        std::vector<std::uint8_t> sector(layout.sectorLength, 0xEE);
        const auto error = defect::PlaceDefectLists(layout, top, bottom, sector);
        EXPECT_EQ(!error.has_value(), row.fits) << error.value_or("");
        if (!row.fits) {
            EXPECT_EQ(sector, std::vector<std::uint8_t>(layout.sectorLength, 0xEE)) << "a refusal touches nothing";
            continue;
        }
        EXPECT_EQ(ListAt(sector, layout.halfStart, layout.halfStart + layout.halfLength).size(),
                  row.topWords);
        if (row.bottomWords > 0) {
            EXPECT_EQ(download::FlashWordAt(sector, layout.BottomUpStart() - 4), 0u);
            EXPECT_EQ(ListAt(sector, layout.BottomUpStart(), layout.halfStart + layout.halfLength).size(),
                      row.bottomWords);
        }
        // The other half is not touched.
        const std::uint32_t other = layout.halfStart == 0 ? layout.halfLength : 0;
        EXPECT_EQ(sector[other], 0xEE);
    }
}

// Example failure: a file the editor saves does not upload to the same lists (lost bottom-up
// separator, rows in the wrong order, pairs split).
TEST(DefectTableFile, SavedTableUploadsToTheSameLists)
{
    const PixelMap top = {{1, {{1, 0}, {2, 0}, {9, 3}}}, {40, {{16382, 1}}}};
    const PixelMap bottom = {{8000, {{4, 2}, {5, 2}, {6, 2}}}, {8191, {{16383, 7}}}};
    const std::string text = defect::FormatDefectTable(top, bottom);
    EXPECT_EQ(text.substr(0, 38), "-- Column(X),Row(Y),Width(W)\r\n:Table\r\n");
    EXPECT_NE(text.find("\r\n-- Column(X),Row(Y),Width(W)\r\n:Table_BottomUp\r\n16383,8191,7\r\n4,8000,2\r\n"),
              std::string::npos);

    const auto parsed = download::ParseDefectTable(download::kBpmUser, text, true);
    ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
    const defect::SpaceLayout layout = defect::LayoutOf(defect::Space::BpmUser);
    PixelMap readTop;
    PixelMap readBottom;
    for (std::uint32_t word : ListAt(parsed.value().bytes, layout.halfStart, layout.BottomUpStart()))
        for (const Pixel& p : defect::DecodeDefectWord(word, defect::ColumnMask(true)))
            readTop[p.row][p.column] = p.width;
    for (std::uint32_t word : ListAt(parsed.value().bytes, layout.BottomUpStart(), layout.halfStart + layout.halfLength))
        for (const Pixel& p : defect::DecodeDefectWord(word, defect::ColumnMask(true)))
            readBottom[p.row][p.column] = p.width;
    // Pairs carry their first pixel's width.
    PixelMap expectedBottom = bottom;
    expectedBottom[8000][6] = 2;
    EXPECT_EQ(readTop, top);
    EXPECT_EQ(readBottom, expectedBottom);
    EXPECT_EQ(defect::WordCount(defect::EncodeDefectMap(top)), 3u);

    // Without a bottom-up list there is no second tag.
    EXPECT_EQ(defect::FormatDefectTable(top, {}).find(":Table_BottomUp"), std::string::npos);
}

}  // namespace
