// The lens panel's f-numbers, iris range word and read-out texts.
#include "panels/LensControlLogic.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string TwoPlaces(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

TEST(LensFNumber, IndexEightIsOneAndEveryEightStepsMultiplyBySquareRootOfTwo)
{
    const struct {
        int index;
        const char* text;
    } rows[] = {{0, "0.71"}, {8, "1.00"}, {12, "1.19"}, {13, "1.24"}, {16, "1.41"}, {24, "2.00"}, {40, "4.00"}};
    for (const auto& row : rows)
        EXPECT_EQ(TwoPlaces(lens::FNumber(row.index)), row.text) << row.index;
}

// Example failure: a typed f-number between two table entries takes the farther one, a tie
// takes the larger f-number, or a typo ("abc", read as 0) drives the iris fully open.
TEST(LensApertureTable, TypedFNumbersTakeTheNearestIndex)
{
    lens::ApertureTable table;
    table.Build(40);
    const struct {
        const char* text;
        std::optional<int> index;
    } rows[] = {
        {"1.20", 12},        // between 1.19 (12) and 1.24 (13), nearer 1.19
        {"1.23", 13},
        {"1.215", 12},       // halfway: the smaller f-number
        {"1.41", 16},        // a key itself
        {"0.5", 0},          // below f/0.71
        {"0.71", 0},
        {"99", 40},          // above the largest key
        {"2.00abc", 24},     // the number at the start counts
        {"  1.00", 8},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"f/2.0", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(table.TextToIndex(row.text), row.index) << '"' << row.text << '"';

    EXPECT_EQ(lens::ApertureTable().TextToIndex("1.4"), 0) << "an empty table answers 0";
}

TEST(LensApertureTable, GrowsOnlyAndKeepsItsTexts)
{
    lens::ApertureTable table;
    EXPECT_EQ(table.Size(), 0);
    EXPECT_EQ(table.IndexToText(0), "");
    table.Build(24);
    EXPECT_EQ(table.Size(), 25);
    EXPECT_EQ(table.Label(24), "f/2.00");
    EXPECT_EQ(table.IndexToText(16), "1.41");
    table.Build(10);  // a second range with a smaller Max
    EXPECT_EQ(table.Size(), 25);
    EXPECT_EQ(table.Label(24), "f/2.00");
    table.Build(40);
    EXPECT_EQ(table.Size(), 41);
    EXPECT_EQ(table.Label(40), "f/4.00");
    EXPECT_EQ(table.Label(41), "");
    EXPECT_EQ(table.IndexToText(41), "");
}

TEST(LensIrisRange, WordFieldsAndReadOutTexts)
{
    const lens::IrisRange range = lens::DecodeIrisRange(0x280A08);  // Max 40, Min2 10, Min1 8
    EXPECT_EQ(range.max, 40);
    EXPECT_EQ(range.min1, 8);
    EXPECT_EQ(range.min2, 10);
    EXPECT_EQ(range.Lower(), 8);
    EXPECT_EQ(lens::DecodeIrisRange(0xFF28080A).max, 0x28) << "bits above 23 are not the range's";

    lens::ApertureTable table;
    table.Build(30);
    const struct {
        int position;
        const char* text;
    } rows[] = {{24, "f/2.00 / 24"}, {8, "f/1.00 / 8"}, {7, "7 err"}, {41, "41 err"}, {35, "35"}};
    for (const auto& row : rows)
        EXPECT_EQ(lens::PositionText(row.position, 8, 40, table), row.text) << row.position;
    EXPECT_EQ(lens::PositionText(12, 8, 40, lens::ApertureTable()), "12") << "no table yet";

    EXPECT_EQ(lens::RangeText(16, table), "f/1.41");
    EXPECT_EQ(lens::RangeText(31, table), "31");

    EXPECT_EQ(lens::ClampToIrisRange(3, 8, 40), 8);
    EXPECT_EQ(lens::ClampToIrisRange(50, 8, 40), 40);
    EXPECT_EQ(lens::ClampToIrisRange(20, 8, 40), 20);
}

TEST(LensReadOuts, EncoderIsSignedSixteenBitsAndTheStepEndsAtTheRange)
{
    EXPECT_EQ(lens::FocusEncoderValue(0xFFFF), -1);
    EXPECT_EQ(lens::FocusEncoderValue(0x12345), 0x2345);
    EXPECT_EQ(lens::FocusEncoderValue(0x8000), -32768);
    EXPECT_EQ(lens::IrisStepUpper(255, 40, false), 40);
    EXPECT_EQ(lens::IrisStepUpper(255, 40, true), 255);
    EXPECT_EQ(lens::IrisStepUpper(20, 40, false), 20);
}

}  // namespace
