// The download-file parsers: what each file type programs, and that every malformed file is
// refused with its line and reason before anything could be erased. Each case runs with LF
// and with CR LF line ends.
#include "fuzz/DownloadFuzz.h"
#include "tools/DefectMapEngine.h"
#include "tools/DownloadFile.h"
#include "tools/DownloadParsers.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace download;

std::string Crlf(std::string_view text) { return downloadfuzz::AsCrLf(text).value(); }

/// "index,value" lines 0..n-1 with value = index * 10.
std::string IndexedLines(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += std::to_string(i) + "," + std::to_string(i * 10) + "\n";
    return text;
}

struct RefusalRow {
    const char* name;
    int type;
    bool large;
    std::string text;  // LF line ends
    int line;          // expected line of the refusal (0: the file as a whole)
    const char* reason;
};

// Example failure: a malformed table is skipped over line by line and uploads shifted or empty
// data, or its refusal names no line, so the operator cannot find the fault.
TEST(DownloadParsers, RefusesMalformedFilesWithLineAndReason)
{
    const RefusalRow rows[] = {
        {"lut_no_table_tag", kLut1, false, "-- lut\n0,1\n", 0, "no \":Table\""},
        {"lut_table_tag_in_comment_is_no_tag", kLut2, false, "-- see :Table\n0,1\n", 0, "no \":Table\""},
        {"lut_longer_tag_is_no_tag", kLut1, false, ":Tables\n0,1\n", 0, "no \":Table\""},
        {"lut_no_values", kLut1, false, "-- x\n:Table\n-- nothing\n\n", 2, "no table values"},
        {"lut_line_without_comma", kLut1, false, ":Table\n0,1\n1;2\n", 3, "\"index,value\""},
        {"lut_single_number", kLut3, false, ":Table\n0,1\n1\n", 3, "\"index,value\""},
        {"lut_number_beyond_32_bits", kLut1, false, ":Table\n0,4294967296\n", 2, "32 bits"},
        {"lut_second_tag", kLut4, false, ":Table\n0,1\n:Table\n1,2\n", 3, "unexpected tag"},
        {"ffc_no_tag", kFfc1, false, "0,1\n", 0, "no \":Table\" or \":FFC_X\""},
        {"ffc_no_values", kFfc2, false, ":FFC_X\n:FFC_Y\n", 1, "no flat-field values"},
        {"ffc_second_ffc_y", kFfc1, false, ":FFC_X\n0,1\n:FFC_Y\n0,2\n:FFC_Y\n0,3\n", 5, "second \":FFC_Y\""},
        {"ffc_other_tag", kFfc1, false, ":Table\n0,1\n:FFC_X\n", 3, "unexpected tag \":FFC_X\""},
        {"ffc_unreadable_line", kFfc2, true, ":Table\n0,1\nabc\n", 3, "\"index,value\""},
        {"dcm_no_table", kDpmUser, false, "5,10,1\n", 0, "no \":Table\""},
        {"dcm_one_number", kDpmUser, false, ":Table\n5,10,1\n7\n", 3, "at least column and row"},
        {"dcm_column_zero", kDpmUser, false, ":Table\n0,10,1\n", 2, "column 0 is outside 1..8191"},
        {"dcm_row_zero", kDpmUser, false, ":Table\n3,0\n", 2, "row 0 is outside 1..8191"},
        {"dcm_width_past_3_bits", kDpmUser, false, ":Table\n5,10,1\n7,10,9\n", 3, "width 9 is outside 0..7"},
        {"bcm_width_negative", kBpmUser, true, ":Table\n-- c\n5,10,-1\n", 3, "width -1 is outside 0..7"},
        {"bcm_row_past_13_bits", kBpmUser, true, ":Table\n3,8192,1\n", 2, "row 8192 is outside 1..8191"},
        {"bcm_column_past_13_bits_small_sensor", kBpmFactory, false, ":Table\n8192,1,1\n", 2,
         "column 8192 is outside 1..8191"},
        {"bcm_column_past_14_bits", kBpmFactory, true, ":Table\n16384,1,1\n", 2, "column 16384 is outside 1..16383"},
        {"afe_unknown_tag", kAfe, false, ":AFE1\n10 20\n:AFE5\n10 20\n", 3, "unexpected tag \":AFE5\""},
        {"afe_repeated_tag", kAfe, false, ":AFE2\n10 20\n:AFE2\n10 30\n", 3, "stands already on line 1"},
        {"afe_data_before_first_tag", kAfe, false, "10 20\n:AFE1\n11 21\n", 1, "before the first AFE tag"},
        {"afe_unreadable_line", kAfe, false, ":AFE1\n10 20\n10,20\n", 3, "\"address value\""},
        {"afe_value_past_16_bits", kAfe, false, ":AFE1N\n10 12345\n", 2, "16 bits"},
        {"afe_no_entries", kAfe, false, ":AFE1\n-- empty\n:AFE1N\n", 0, "no AFE entries"},
        {"afe_empty_file", kAfe, false, "", 0, "no AFE entries"},
        {"rgs_not_a_command", kRgs, false, "57 6034 00000001\nhello\n", 2, "not a register command"},
        {"rgs_short_write", kRgs, false, "57 6034 0000\n", 1, "must be"},
        {"rgs_literal_cut_short", kRgs, false, "-- x\n57 7028 <AB\n", 2, "must be"},
        {"rgs_trailing_text", kRgs, false, "52 6014 xx\n", 1, "must be"},
        {"rgs_only_comments", kRgs, false, "-- a=1\n\n", 0, "no register commands"},
    };
    for (const RefusalRow& row : rows) {
        for (const bool crlf : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (crlf ? " CRLF" : " LF"));
            const std::string text = crlf ? Crlf(row.text) : row.text;
            ParseError error;
            if (row.type == kRgs) {
                const auto parsed = ParseRegisterFile(text);
                ASSERT_FALSE(parsed.ok());
                error = parsed.error();
            } else {
                const auto parsed = ParseTableFile(row.type, text, row.large);
                ASSERT_FALSE(parsed.ok());
                error = parsed.error();
            }
            EXPECT_EQ(error.line, row.line) << error.Message();
            EXPECT_NE(error.reason.find(row.reason), std::string::npos) << error.Message();
            if (row.line > 0) {
                EXPECT_EQ(error.Message().rfind("line " + std::to_string(row.line) + ": ", 0), 0u) << error.Message();
            }
        }
    }
}

// Example failure: a "\r" left on a line changes the parse, so a Windows file and a Linux
// file with the same table program different flash.
TEST(DownloadParsers, LfAndCrLfFilesGiveTheSameImage)
{
    const struct {
        int type;
        bool large;
        std::string text;
    } files[] = {
        {kLut1, false, "-- lut\n:Table\n\n0,100\n-- note\n1,-1\n"},
        {kFfc1, true, ":FFC_X\n0,7\n\n1,8\n:FFC_Y\n0,9\n"},
        {kBpmUser, true, "-- c\n:Table\n5,10,1\n6,10,2\n-- c\n:Table_BottomUp\n9,8000\n"},
        {kAfe, false, "-- afe\n:AFE1\n0x10 0x20\n\n:AFE2N\nABCD 1234\n"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.text);
        const auto lf = ParseTableFile(file.type, file.text, file.large);
        const auto crlf = ParseTableFile(file.type, Crlf(file.text), file.large);
        ASSERT_TRUE(lf.ok()) << lf.error().Message();
        ASSERT_TRUE(crlf.ok()) << crlf.error().Message();
        EXPECT_EQ(lf.value().bytes, crlf.value().bytes);
        EXPECT_EQ(lf.value().fill, crlf.value().fill);
    }
}

// Example failure: the value is taken from the index column, a negative value is not stored
// as its 32-bit pattern, or a table longer than the sector overruns the buffer.
TEST(LookUpTable, StoresValuesInFileOrderAndKeepsTheFirst4096)
{
    const auto parsed = ParseLookUpTable("header\n:Table\n7,100\n3, -1\n9,5 trailing text\n");
    ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
    const FlashImage& image = parsed.value();
    EXPECT_EQ(image.bytes.size(), 0x4000u);
    EXPECT_EQ(download::FlashWordAt(image.bytes, 0), 100u);
    EXPECT_EQ(download::FlashWordAt(image.bytes, 4), 0xFFFFFFFFu);
    EXPECT_EQ(download::FlashWordAt(image.bytes, 8), 5u);
    EXPECT_EQ(image.fill, 12u);

    const auto longTable = ParseLookUpTable(":Table\n" + IndexedLines(5000));
    ASSERT_TRUE(longTable.ok());
    EXPECT_EQ(longTable.value().bytes.size(), 0x4000u);
    EXPECT_EQ(longTable.value().fill, 0x4000u);
    EXPECT_EQ(download::FlashWordAt(longTable.value().bytes, 0x3FFC), 40950u);
}

// Example failure: thinning takes every second value instead of every third, writes more than
// 4096 words into the X area, or puts Y at the small sensor's offset on a large one.
TEST(FlatField, ThinsEachListToItsAreaAndPlacesY)
{
    const auto small = ParseFlatField(":Table\n" + IndexedLines(10000), false);
    ASSERT_TRUE(small.ok()) << small.error().Message();
    EXPECT_EQ(small.value().bytes.size(), 0x8000u);
    EXPECT_EQ(small.value().fill, 3334u * 4);
    EXPECT_EQ(download::FlashWordAt(small.value().bytes, 4), 30u);
    EXPECT_EQ(download::FlashWordAt(small.value().bytes, 3333 * 4), 99990u);

    const auto large = ParseFlatField(":FFC_X\n" + IndexedLines(8192) + ":FFC_Y\n" + IndexedLines(4097), true);
    ASSERT_TRUE(large.ok()) << large.error().Message();
    EXPECT_EQ(large.value().bytes.size(), 0xC000u);
    EXPECT_EQ(download::FlashWordAt(large.value().bytes, 0x7FFC), 81910u) << "8192 X values fit a large sensor's area whole";
    EXPECT_EQ(download::FlashWordAt(large.value().bytes, 0x8000 + 4), 20u) << "4097 Y values are thinned by 2";
    EXPECT_EQ(large.value().fill, 0x8000u + 2049 * 4);
}

// Example failure (fault fixed): a file with bare "\n" empty lines is refused, so every
// flat-field file written on Linux fails.
TEST(FlatField, BareLineFeedEmptyLinesAreAccepted)
{
    const auto parsed = ParseFlatField(":Table\n0,1\n\n1,2\n", false);
    ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
    EXPECT_EQ(download::FlashWordAt(parsed.value().bytes, 4), 2u);
}

// Example failure: the defect words land in the wrong half, the bottom-up list is not started
// at its fixed offset, or a sensor that is not large starts a bottom-up list.
TEST(DefectTable, PlacesBothListsInTheTypesHalf)
{
    const std::string file = "-- Column(X),Row(Y),Width(W)\n:Table\n5,10,1\n6,10,2\n7,10\n"
                             "-- Column(X),Row(Y),Width(W)\n:Table_BottomUp\n3,20,1\n";
    const auto large = ParseDefectTable(kDpmUser, file, true);
    ASSERT_TRUE(large.ok()) << large.error().Message();
    const auto& bytes = large.value().bytes;
    ASSERT_EQ(bytes.size(), 0x4000u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x2000), 0xC005200Au);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x2004), 0x4007000Au);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x2008), 0u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x2FFC), 0u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x3000), 0x40032014u);
    for (std::uint32_t i = 0; i < 0x2000; ++i)
        ASSERT_EQ(bytes[i], 0) << "the factory half is left for the read-back";

    const auto small = ParseDefectTable(kDpmUser, file, false);
    ASSERT_TRUE(small.ok()) << small.error().Message();
    EXPECT_EQ(download::FlashWordAt(small.value().bytes, 0x2008), 0x40032014u) << "on a small sensor the tag is passed over";
    EXPECT_EQ(download::FlashWordAt(small.value().bytes, 0x3000), 0u);

    const auto factory = ParseDefectTable(kBpmFactory, ":Table\n8,1,0\n", false);
    ASSERT_TRUE(factory.ok());
    EXPECT_EQ(factory.value().bytes.size(), 0x10000u);
    EXPECT_EQ(download::FlashWordAt(factory.value().bytes, 0), 0x80070001u);
}

// Example failure: a table without pixels is refused, so a defect space can never be cleared,
// and the editor's saved empty list cannot be uploaded back.
TEST(DefectTable, ATableWithoutPixelsEmptiesItsSpace)
{
    const std::string files[] = {":Table\n", dpm::FormatListFile({}),
                                 "-- c\n:Table\n-- c\n:Table_BottomUp\n"};
    for (const std::string& file : files) {
        for (const int type : {kDpmUser, kDpmFactory, kBpmUser, kBpmFactory}) {
            for (const bool large : {false, true}) {
                SCOPED_TRACE(file + " type " + std::to_string(type) + (large ? " large" : ""));
                const auto parsed = ParseDefectTable(type, file, large);
                ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
                const auto& bytes = parsed.value().bytes;
                EXPECT_EQ(bytes, std::vector<std::uint8_t>(TargetFor(type, large)->bufferLength, 0));
            }
        }
    }
}

// Example failure (fault fixed): a list longer than its area is cut off or runs into the
// bottom-up list or the other half instead of being refused.
TEST(DefectTable, RefusesListsThatOverflowTheirArea)
{
    std::string full = ":Table\n";
    for (int i = 0; i < 2048; ++i)
        full += std::to_string(2 * (i % 1000) + 1) + "," + std::to_string(1 + i / 1000) + ",0\n";
    ASSERT_TRUE(ParseDefectTable(kDpmFactory, full, false).ok()) << "2048 words fill the half exactly";

    const auto over = ParseDefectTable(kDpmFactory, full + "3001,9,0\n", false);
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().line, 2050);
    EXPECT_NE(over.error().reason.find("top-down list is full"), std::string::npos) << over.error().Message();

    const auto withBottomUp = ParseDefectTable(kDpmFactory, full + ":Table_BottomUp\n1,8000\n", true);
    ASSERT_FALSE(withBottomUp.ok());
    EXPECT_EQ(withBottomUp.error().line, 2050);
    EXPECT_NE(withBottomUp.error().reason.find("runs into the bottom-up list"), std::string::npos);

    std::string bottom = ":Table\n1,1\n:Table_BottomUp\n";
    for (int i = 0; i < 1025; ++i)
        bottom += std::to_string(2 * (i % 1000) + 1) + "," + std::to_string(8000 - i / 1000) + "\n";
    const auto bottomOver = ParseDefectTable(kDpmUser, bottom, true);
    ASSERT_FALSE(bottomOver.ok());
    EXPECT_EQ(bottomOver.error().line, 4 + 1024);
    EXPECT_NE(bottomOver.error().reason.find("bottom-up list is full"), std::string::npos);
}

// Example failure (fault fixed): ":AFE1" finds the ":AFE1N" line, so the night section is
// programmed into the day slice and the day section is lost.
TEST(AfeTable, EachTagFillsItsOwnSlice)
{
    const auto parsed = ParseAfeTable("-- AFE\n:AFE1N\n0x0010 0x1234\n11 5678\n:AFE1\n20 9ABC\n:AFE3\nFFFF 0\n");
    ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
    const auto& bytes = parsed.value().bytes;
    EXPECT_EQ(bytes.size(), 0x10000u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x0000), 0x00209ABCu);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x0004), 0u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x2000), 0x00101234u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x2004), 0x00115678u);
    EXPECT_EQ(download::FlashWordAt(bytes, 0x8000), 0xFFFF0000u);
    EXPECT_EQ(parsed.value().fill, 0x8004u);
    const DownloadTarget target = *TargetFor(kAfe, false);
    EXPECT_EQ(PagesToWrite(kAfe, target, parsed.value()), 129);
}

// Example failure: a file without tags is refused, or a full slice spills into the next one.
TEST(AfeTable, UntaggedFileAndSliceLimits)
{
    const auto untagged = ParseAfeTable("1 2\n3 4\n");
    ASSERT_TRUE(untagged.ok()) << untagged.error().Message();
    EXPECT_EQ(download::FlashWordAt(untagged.value().bytes, 4), 0x00030004u);
    EXPECT_EQ(untagged.value().fill, 8u);
    EXPECT_EQ(PagesToWrite(kAfe, *TargetFor(kAfe, false), untagged.value()), 1);

    std::string slice = ":AFE2\n";
    for (int i = 0; i < 2048; ++i)
        slice += "1 " + std::to_string(i % 10) + "\n";
    ASSERT_TRUE(ParseAfeTable(slice).ok());
    const auto over = ParseAfeTable(slice + "2 2\n");
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().line, 2050);
    EXPECT_NE(over.error().reason.find("the section :AFE2 holds at most 2048 entries"), std::string::npos);
}

// Example failure (fault fixed): with LF line ends the comment never ends and the replay
// sends nothing, or a cut-short command shifts every later frame.
TEST(RegisterFile, ReadsWorkspaceLinesWithEitherLineEnd)
{
    const std::string text = "57 6014 5E17C4B2\n-- comment\n  52 6014\n57 7028 <ABCD>\n\n-- Key=Value\n";
    for (const std::string& file : {text, Crlf(text)}) {
        const auto parsed = ParseRegisterFile(file);
        ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
        ASSERT_EQ(parsed.value().size(), 3u);
        EXPECT_EQ(parsed.value()[1].line, 3);
        EXPECT_EQ(CommandBytes(parsed.value()),
                  (std::vector<std::uint8_t>{0x57, 0x60, 0x14, 0x5E, 0x17, 0xC4, 0xB2, 0x52, 0x60, 0x14, 0x57, 0x70,
                                             0x28, 'A', 'B', 'C', 'D'}));
    }
}

// Example failure: the wrong extension is accepted, or an upper-case one refused.
TEST(DownloadFile, ExtensionsTargetsAndLoading)
{
    EXPECT_TRUE(PathFitsType("/a/map.DCM", kDpmUser));
    EXPECT_TRUE(PathFitsType("map.dcm", kDpmFactory));
    EXPECT_FALSE(PathFitsType("map.bcm", kDpmUser));
    EXPECT_TRUE(PathFitsType("afe.TxT", kAfe));
    EXPECT_FALSE(PathFitsType("cm", kDpmUser));
    EXPECT_FALSE(PathFitsType("x.lut", 12));

    EXPECT_EQ(TargetFor(kFfc2, true)->bufferLength, 0xC000u);
    EXPECT_EQ(TargetFor(kFfc2, true)->writePages, 192);
    EXPECT_EQ(TargetFor(kLut3, false)->sector, 7);
    EXPECT_EQ(TargetFor(kBpmFactory, false)->readBackFirst, 128);
    EXPECT_FALSE(TargetFor(-1, false));
    EXPECT_FALSE(ParseTableFile(kRgs, ":Table\n0,1\n", false).ok());

    const std::filesystem::path path = std::filesystem::path(testing::TempDir()) / "download_nul.lut";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(":Table\n0,1\0\n1,2\n", 16);
    }
    const auto bytes = LoadFileBytes(path.string());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 16u) << "NUL bytes do not end the file";
    EXPECT_FALSE(LoadFileBytes((std::filesystem::path(testing::TempDir()) / "missing.lut").string()));
    std::filesystem::remove(path);
    std::optional<std::string> unreadable;
    EXPECT_NO_THROW(unreadable = LoadFileBytes("/proc/self/mem")) << "a read error is no exception";
    EXPECT_FALSE(unreadable);

    EXPECT_EQ(ParserTraceRecord(kLut1, "a.lut"), "GetValuesFromFileSimple: FileName <a.lut>");
    EXPECT_EQ(ParserTraceRecord(kAfe, "a.txt"), "GetValuesFromFileAFE: FileName <a.txt>");
    EXPECT_EQ(ParserTraceRecord(kRgs, "a.rgs"), "ConvertRegs2ByteList: FileName<a.rgs>");
}

}  // namespace
