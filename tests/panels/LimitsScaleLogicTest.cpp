// Display units of the gain and offset registers, by tables of the camera's own examples.
#include "panels/LimitsScaleLogic.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace limits_scale;

constexpr DisplayLimits kDigitalGain{1.0, 4.0, 0.0009768805};
constexpr RawRange kDigitalGainRaw{0x0400, 0x0FFF};
constexpr DisplayLimits kDigitalOffset{-512, 511, 1};
constexpr RawRange kDigitalOffsetRaw{0, 1023};
constexpr DisplayLimits kAnalogGain24{0.0, 24.0, 0.035190616};
constexpr RawRange kAnalogGain24Raw{0, 0x02AA};

struct ShownRow {
    const char* name;
    DisplayLimits limits;
    RawRange raw;
    double shown;
    std::int64_t word;
};

class ShownToRaw : public testing::TestWithParam<ShownRow> {};

// Example failure: the line is built the wrong way round, or rounds to nearest instead of
// "+0.5 then toward zero", so 4.0 gives 4096 (outside the register) or -512 gives 1.
TEST_P(ShownToRaw, WordOfAShownValue)
{
    const ShownRow& row = GetParam();
    const LimitsScale scale = MakeLimitsScale(row.limits, row.raw);
    EXPECT_FALSE(scale.raw);
    EXPECT_EQ(RawFromShown(scale, row.shown), row.word);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ShownToRaw,
    testing::Values(ShownRow{"DigitalGain1", kDigitalGain, kDigitalGainRaw, 1.0, 1024},
                    ShownRow{"DigitalGain2", kDigitalGain, kDigitalGainRaw, 2.0, 2048},
                    ShownRow{"DigitalGain4", kDigitalGain, kDigitalGainRaw, 4.0, 4095},
                    ShownRow{"DigitalOffset0", kDigitalOffset, kDigitalOffsetRaw, 0.0, 512},
                    ShownRow{"DigitalOffsetMin", kDigitalOffset, kDigitalOffsetRaw, -512.0, 0},
                    ShownRow{"DigitalOffsetMax", kDigitalOffset, kDigitalOffsetRaw, 511.0, 1023},
                    ShownRow{"AnalogGain12dB", kAnalogGain24, kAnalogGain24Raw, 12.0, 341},
                    ShownRow{"AnalogGain24dB", kAnalogGain24, kAnalogGain24Raw, 24.0, 682},
                    // A value below the line's zero still truncates toward zero, not down.
                    ShownRow{"TowardZeroBelowRawZero", kDigitalOffset, kDigitalOffsetRaw, -513.2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Example failure: a raw word shown and taken back gives a neighbour, so an edit that leaves
// the value alone writes the register.
TEST(LimitsScale, EveryRawWordSurvivesTheRoundTrip)
{
    for (const auto& [limits, raw] : {std::pair{kDigitalGain, kDigitalGainRaw}, std::pair{kDigitalOffset, kDigitalOffsetRaw},
                                      std::pair{kAnalogGain24, kAnalogGain24Raw}}) {
        const LimitsScale scale = MakeLimitsScale(limits, raw);
        for (auto word = static_cast<std::int64_t>(raw.min); word <= static_cast<std::int64_t>(raw.max); ++word)
            ASSERT_EQ(RawFromShown(scale, ShownFromRaw(scale, word)), word) << limits.max << " " << word;
    }
}

struct StepsRow {
    const char* name;
    DisplayLimits limits;
    bool roundHalf;
    int steps;
};

class SpinSteps : public testing::TestWithParam<StepsRow> {};

// Example failure: the step count is truncated where it should round (3070 for the digital
// gain), or a zero step divides by zero and converts infinity to int.
TEST_P(SpinSteps, StepsOverTheLimits)
{
    EXPECT_EQ(SpinStepsOf(GetParam().limits, GetParam().roundHalf), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpinSteps,
    testing::Values(StepsRow{"DigitalGainRounded", kDigitalGain, true, 3071},
                    StepsRow{"DigitalGainTruncated", kDigitalGain, false, 3070},
                    StepsRow{"AnalogGain", kAnalogGain24, true, 682},
                    StepsRow{"ZeroStep", {0.0, 24.0, 0.0}, true, 1},
                    StepsRow{"NegativeStep", {0.0, 24.0, -1.0}, true, 1},
                    StepsRow{"NotANumberStep", {0.0, 24.0, std::numeric_limits<double>::quiet_NaN()}, true, 1},
                    StepsRow{"HugeCount", {0.0, 1e300, 1e-300}, true, INT_MAX},
                    StepsRow{"AbsentLimits", {}, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct DegenerateRow {
    const char* name;
    DisplayLimits limits;
    RawRange raw;
};

class DegenerateLimits : public testing::TestWithParam<DegenerateRow> {};

// Example failure (division by zero): a limits parameter the map lacks reads 0..0, the factor
// becomes infinite and every value a shown NaN, or an edit writes a garbage word.
TEST_P(DegenerateLimits, ShowRawWordsOverTheRawRange)
{
    const DegenerateRow& row = GetParam();
    const LimitsScale scale = MakeLimitsScale(row.limits, row.raw);
    EXPECT_TRUE(scale.raw);
    EXPECT_EQ(scale.shownMin, row.raw.min);
    EXPECT_EQ(scale.shownMax, row.raw.max);
    EXPECT_EQ(ShownFromRaw(scale, 300), 300.0);
    EXPECT_EQ(RawFromShown(scale, 300.0), 300);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DegenerateLimits,
    testing::Values(DegenerateRow{"AbsentLimits", {}, {0, 1023}},
                    DegenerateRow{"EqualLimits", {4.0, 4.0, 0.1}, {0, 1023}},
                    DegenerateRow{"EqualRawBounds", {0.0, 24.0, 0.1}, {512, 512}},
                    DegenerateRow{"InfiniteLimit", {0.0, std::numeric_limits<double>::infinity(), 1}, {0, 1023}}),
    [](const auto& info) { return std::string(info.param.name); });

// Example failure: a value that is not a number or lies far outside the register converts to
// int64 with undefined behaviour.
TEST(LimitsScale, WordsStayWithinThirtyTwoBits)
{
    const LimitsScale scale = MakeLimitsScale(kDigitalGain, kDigitalGainRaw);
    EXPECT_EQ(RawFromShown(scale, std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RawFromShown(scale, 1e30), UINT32_MAX);
    EXPECT_EQ(RawFromShown(scale, -1e30), INT32_MIN);
}

}  // namespace
