// The AEC/AGC panel's scales and limit rules, by tables.
#include "panels/AecAgcLogic.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

using namespace aec_agc;

TEST(AecAgcExposureScale, PositionsAndTheirInverse)
{
    const struct {
        std::int64_t v;
        int p;
    } rows[] = {{-5, 0}, {0, 0}, {1, 0}, {10, 10000}, {100, 20000}, {1000, 30000}, {16777215, 72247}};
    for (const auto& row : rows)
        EXPECT_EQ(ExposurePosition(row.v), row.p) << row.v;

    const struct {
        int p;
        int v;
    } back[] = {{-1, 0}, {0, 0}, {1, 1}, {2, 1}, {10000, 10}, {30000, 1000}, {72247, 16776447}};
    for (const auto& row : back)
        EXPECT_EQ(ExposureFromPosition(row.p), row.v) << row.p;
}

// Example failure: small exposures survive the log scale, large ones do not; the panel must
// never hand the rounding back as the camera's limit.
TEST(AecAgcExposureScale, LargeLimitsDoNotSurviveThePositionRoundTrip)
{
    EXPECT_EQ(ExposureFromPosition(ExposurePosition(4000)), 4000);
    EXPECT_EQ(ExposureFromPosition(ExposurePosition(199997)), 199986);
    EXPECT_EQ(ExposureFromPosition(ExposurePosition(16777215)), 16776447);
}

TEST(AecAgcGainScale, DecibelsOfRawValues)
{
    // The aerospace map: raw 0..1023, 0.035190616 dB a step.
    const GainScale scale = MakeGainScale(0, 1023, 0.035190616);
    EXPECT_EQ(scale.low, 0.0);
    EXPECT_EQ(scale.high, 36.0);
    const struct {
        int raw;
        const char* text;
    } rows[] = {{-3, "0.00"}, {0, "0.00"}, {1, "0.04"}, {284, "9.99"}, {1022, "35.96"}, {1023, "36.00"}, {5000, "36.00"}};
    for (const auto& row : rows)
        EXPECT_EQ(GainText(scale, row.raw), row.text) << row.raw;

    // Low and high gain are whole decibels, so a raw minimum off zero shifts the line.
    const GainScale shifted = MakeGainScale(100, 900, 0.035190616);
    EXPECT_EQ(shifted.low, 4.0);   // 3.52 rounded
    EXPECT_EQ(shifted.high, 32.0);  // 31.67 rounded
    EXPECT_EQ(GainText(shifted, 101), "4.04");
    EXPECT_EQ(RawFromGain(shifted, 4.04), 101);
}

TEST(AecAgcGainScale, TypedDecibelsToRaw)
{
    const GainScale scale = MakeGainScale(0, 1023, 0.035190616);
    const struct {
        double g;
        int raw;
    } rows[] = {{0.0, 0}, {10.0, 284}, {9.99, 284}, {36.0, 1023}, {-1.0, -27}};
    for (const auto& row : rows)
        EXPECT_EQ(RawFromGain(scale, row.g), row.raw) << row.g;
    for (int raw : {0, 1, 17, 512, 1022})
        EXPECT_EQ(RawFromGain(scale, std::stod(GainText(scale, raw))), raw) << raw;
}

// Example failure: a map without AnalogGainLimits, or one whose step is 0, divides by zero and
// turns NaN into an int (undefined behaviour).
TEST(AecAgcGainScale, DegenerateStepsAndValuesAreGuarded)
{
    for (double step : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        const GainScale scale = MakeGainScale(0, 1023, step);
        EXPECT_EQ(scale.step, kDefaultGainStep) << step;
        EXPECT_EQ(RawFromGain(scale, 10.0), 284) << step;
    }
    const GainScale scale = MakeGainScale(5, 5, 0.03519);
    EXPECT_EQ(RawFromGain(scale, std::numeric_limits<double>::quiet_NaN()), 5);
    EXPECT_EQ(RawFromGain(scale, 1e300), INT_MAX);
    EXPECT_EQ(RawFromGain(scale, -1e300), INT_MIN);
    EXPECT_EQ(GainText(scale, 5), "0.00");
}

// Typing a minimum above the maximum stores the maximum, and the reverse.
TEST(AecAgcLimits, LimitsNeverCrossNorLeaveTheirRange)
{
    const struct {
        int which;
        int value;
        int other;
        int expected;
    } rows[] = {
        {1, 500, 1000, 500},   {1, 5, 1000, 10},       {1, 5000, 1000, 1000},
        {2, 500, 100, 500},    {2, 900000, 100, 200000}, {2, 50, 100, 100},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ClampLimit(row.which, row.value, 10, 200000, row.other), row.expected)
            << row.which << " " << row.value;
}

TEST(AecAgcState, LampOfARegulator)
{
    EXPECT_EQ(StateOf(false, true, true), State::Off);
    EXPECT_EQ(StateOf(true, true, true), State::AtUpper);
    EXPECT_EQ(StateOf(true, false, true), State::AtLower);
    EXPECT_EQ(StateOf(true, false, false), State::Regulating);
}

TEST(AecAgcText, TypedNumbers)
{
    long long n = 0;
    EXPECT_TRUE(ParseInteger(" 1500", &n));
    EXPECT_EQ(n, 1500);
    EXPECT_TRUE(ParseInteger("-7x", &n));
    EXPECT_EQ(n, -7);
    EXPECT_FALSE(ParseInteger("abc", &n));
    EXPECT_FALSE(ParseInteger("", &n));
    double d = 0.0;
    EXPECT_TRUE(ParseDecimal("12.5", &d));
    EXPECT_EQ(d, 12.5);
    EXPECT_FALSE(ParseDecimal("dB", &d));
}

}  // namespace
