// The output panel's pulse generator arithmetic: time base steps, microseconds to register
// counts and back, the read-out texts and the pulse-count word.
#include "panels/OutputLogic.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

// Example failure ("PulseGran below 0"): a negative time base gives a step of 0 and the
// register count divides by zero; or a large one overflows.
TEST(OutputStep, TenToTheTimeBaseHeldWithinItsRange)
{
    const struct {
        int g;
        std::int64_t step;
    } rows[] = {{0, 1}, {1, 10}, {2, 100}, {3, 1000}, {-1, 1}, {INT_MIN, 1}, {9, 1000000000}, {12, 1000000000}};
    for (const auto& row : rows)
        EXPECT_EQ(output::StepOf(row.g), row.step) << row.g;
}

// Example failure: an entered period is truncated instead of rounded, a small one becomes 0 and
// stops the generator, or the register gets the microseconds instead of the count.
TEST(OutputCoding, EnteredTimesSnapToTheStepAndCodeAsCounts)
{
    const struct {
        const char* name;
        std::int64_t entered, step, snapped, count;
    } rows[] = {
        {"1250 at 100 rounds up", 1250, 100, 1300, 13},
        {"40 at 100 is one step", 40, 100, 100, 1},
        {"1249 at 100 rounds down", 1249, 100, 1200, 12},
        {"half a step rounds up", 50, 100, 100, 1},
        {"0 is one step", 0, 10, 10, 1},
        {"exact at 1", 777, 1, 777, 777},
        {"large at 1000", 16777215000, 1000, 16777215000, 16777215},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::int64_t snapped = output::Snap(row.entered, row.step);
        EXPECT_EQ(snapped, row.snapped);
        EXPECT_EQ(output::RegisterOf(snapped, row.step), row.count);
        EXPECT_EQ(output::ToMicroseconds(row.count, row.step), row.snapped);
    }
    // A time of one step or less (or none) is written as one count.
    EXPECT_EQ(output::RegisterOf(0, 100), 1);
    EXPECT_EQ(output::RegisterOf(-5, 100), 1);
    EXPECT_EQ(output::RegisterOf(199, 100), 1);
    EXPECT_EQ(output::RegisterOf(5, 0), 5);
}

// Example failure: a change of time base converts with the new step on both sides, so the
// display keeps the old microseconds while the camera's counts now mean something else.
TEST(OutputCoding, ChangingTheTimeBaseKeepsTheCounts)
{
    EXPECT_EQ(output::Rescale(500, 10, 1000), 50000);  // count 50 stays
    EXPECT_EQ(output::Rescale(50000, 1000, 10), 500);
    EXPECT_EQ(output::Rescale(7, 1, 100), 700);
    EXPECT_EQ(output::Rescale(5, 10, 100), 100);  // below one count: one count
}

TEST(OutputReadOuts, DelayAndFrequencyTexts)
{
    EXPECT_EQ(output::DelayText(1300, 500), "800");
    EXPECT_EQ(output::DelayText(1300, 1300), "0");
    EXPECT_EQ(output::DelayText(16777215000, 1000), "16777214000");
    EXPECT_EQ(output::FrequencyText(1300), "769.231");
    EXPECT_EQ(output::FrequencyText(1), "1000000.000");
    EXPECT_EQ(output::FrequencyText(3000000), "0.333");
    EXPECT_EQ(output::FrequencyText(0), "0.000");
    EXPECT_EQ(output::FrequencyText(-10), "0.000");
}

// Example failure: the continuous bit leaks into the count, or a count above 16 bits sets it.
TEST(OutputPulseNumber, CountAndContinuousBit)
{
    EXPECT_EQ(output::PulseNumberOf(25, output::kContinuous), 0x10019);
    EXPECT_EQ(output::PulseNumberOf(25, 0), 25);
    EXPECT_EQ(output::PulseNumberOf(0x1FFFF, 0), 0xFFFF);
    EXPECT_EQ(output::PulseCountOf(0x10019), 25);
    EXPECT_EQ(output::ContinuousOf(0x10019), output::kContinuous);
    EXPECT_EQ(output::ContinuousOf(0xFFFF), 0);
}

}  // namespace
