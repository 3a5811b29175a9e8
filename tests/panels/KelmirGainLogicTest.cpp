// The Kelmir camera's cooler table, EM gain preset words and ADC read-outs, by tables.
#include "panels/KelmirGainLogic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace kelmir_gain;

struct TecRowCase {
    std::int64_t raw;
    float celsius;
};

class TecToCelsius : public testing::TestWithParam<TecRowCase> {};

// Example failure: the search runs the wrong way through the falling table, interpolates with
// the colder row instead of the warmer one, or lets readings past either end run off the table.
TEST_P(TecToCelsius, RawReadingInDegrees)
{
    EXPECT_FLOAT_EQ(TecRawToCelsius(GetParam().raw), GetParam().celsius) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(Rows, TecToCelsius,
                         testing::Values(TecRowCase{5000, -20.0f}, TecRowCase{4064, -20.0f}, TecRowCase{4034, -19.5f},
                                         TecRowCase{2729, 0.0f}, TecRowCase{1087, 30.0f}, TecRowCase{1071, 30.5f},
                                         TecRowCase{209, 79.5f}, TecRowCase{205, 80.0f}, TecRowCase{100, 80.0f},
                                         TecRowCase{0, 80.0f}, TecRowCase{-7, 80.0f}));

// Example failure: a row was mistyped (the table must fall strictly, one row per degree) or an
// exact row reading is interpolated away from its degree.
TEST(TecTable, EveryRowReadsAsItsOwnDegreeAndBackAgain)
{
    for (int row = 0; row < kTecRows; ++row) {
        const int celsius = kTecMinCelsius + row;
        SCOPED_TRACE(celsius);
        if (row > 0) {
            EXPECT_LT(kTecRaw[row], kTecRaw[row - 1]);
        }
        EXPECT_FLOAT_EQ(TecRawToCelsius(kTecRaw[row]), static_cast<float>(celsius));
        EXPECT_EQ(CelsiusToTecRaw(celsius), kTecRaw[row]);
    }
    EXPECT_EQ(kTecRaw[0], 4064);
    EXPECT_EQ(kTecRaw[kTecRows - 1], 205);
    EXPECT_EQ(CelsiusToTecRaw(-21), std::nullopt);
    EXPECT_EQ(CelsiusToTecRaw(81), std::nullopt);
}

struct SnapCase {
    std::int64_t raw;
    int celsius;
    int rowRaw;
};

class SnapUserSetPoint : public testing::TestWithParam<SnapCase> {};

// Example failure: a set-point warmer than 30 °C or colder than -20 °C stays in the camera, or a
// value between rows snaps to the colder row.
TEST_P(SnapUserSetPoint, ClampedThenFirstRowAtLeastIt)
{
    const TecRow row = SnapUserTec(GetParam().raw);
    EXPECT_EQ(row.celsius, GetParam().celsius) << GetParam().raw;
    EXPECT_EQ(row.raw, GetParam().rowRaw) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(Rows, SnapUserSetPoint,
                         testing::Values(SnapCase{1000, 30, 1087}, SnapCase{0, 30, 1087}, SnapCase{1087, 30, 1087},
                                         SnapCase{1088, 29, 1125}, SnapCase{2000, 11, 2012}, SnapCase{2729, 0, 2729},
                                         SnapCase{4064, -20, 4064}, SnapCase{4100, -20, 4064}));

// Example failure (fault mended): a coarse register holding 6..15 picks a preset register past
// the table; it must pick none, so the panel writes nothing.
TEST(EmPresets, CoarseChoiceAndChannelPickTheRegister)
{
    struct Case {
        int choice;
        int channel;
        const char* name;
    };
    const Case cases[] = {{0, 0, "EMGain1XA"},  {1, 1, "EMGain5XB"},   {2, 2, "EMGain10XC"}, {3, 3, "EMGain15XD"},
                          {4, 0, "EMGain20XA"}, {5, 3, "EMGainUserD"}, {6, 0, nullptr},      {15, 2, nullptr},
                          {-1, 0, nullptr},     {0, 4, nullptr},       {0, -1, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.choice) + "/" + std::to_string(c.channel));
        const char* name = PresetName(c.choice, c.channel);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr);
        } else {
            ASSERT_NE(name, nullptr);
            EXPECT_STREQ(name, c.name);
        }
    }
}

// Example failure: the channel lands in the fine bits, or a fine value wider than 12 bits
// changes the channel field.
TEST(EmPresets, WordHoldsChannelAboveTheFineValue)
{
    EXPECT_EQ(PresetWord(2, 1800), 0x2708u);
    EXPECT_EQ(PresetWord(0, 1700), 0x06A4u);
    EXPECT_EQ(PresetWord(3, 0xFFF), 0x3FFFu);
    EXPECT_EQ(PresetWord(1, 0x1ABC), 0x1ABCu);
    EXPECT_EQ(FineOf(0x2708), 1800);
    EXPECT_EQ(FineOf(0x3FFF), 0xFFF);
    EXPECT_EQ(FineOf(0), 0);
}

// Example failure: a read-out uses another channel's factor or the wrong precision.
TEST(AdcReadOuts, EachChannelByItsFactor)
{
    struct Case {
        int channel;
        std::int64_t raw;
        const char* label;
        const char* text;
    };
    const Case cases[] = {
        {0, 1024, "ccd_vdd1", "10.000"},    {1, 2048, "ccd_vdd2", "5.000"},   {2, 100, "vsub_ref", "0.977"},
        {3, 4095, "vsub_act", "19.995"},    {4, 1000, "ccd_id", "1.831"},     {5, 1071, "ccd_temp", "30.5\xC2\xB0" "C"},
        {6, 0, "ccd_esd", "-24.279"},       {7, 1000, "ccd_vccd", "-16.433"},  {8, 512, "ccd_sht", "10.000"},
        {9, 4096, "ccd_hccd", "10.000"},    {10, 0, "main_emv", "0.000"},     {11, 4095, "emccd_hv", "39.990"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        EXPECT_STREQ(AdcLabel(c.channel), c.label);
        EXPECT_EQ(FormatAdc(c.channel, c.raw), c.text);
    }
    EXPECT_EQ(FormatAdc(12, 5), "");
}

// Example failure: the channel select overwrites the register's other bits.
TEST(AdcReadOuts, ChannelSelectKeepsTheOtherBits)
{
    EXPECT_EQ(AdcSelectWord(0x0000, 5), 0x0500);
    EXPECT_EQ(AdcSelectWord(0x0ABC, 0), 0x00BC);
    EXPECT_EQ(AdcSelectWord(0x0FFF, 11), 0x0BFF);
}

}  // namespace
