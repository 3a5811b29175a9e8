#include "controls/NumericLogic.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Example failure: with reversed bounds (100..0, as the gain panels pass them) the clamp
// pins every value to one bound; NaN slips through the comparisons.
TEST(NumericLogic, ClampWorksForNormalReversedAndEmptyRanges)
{
    struct Row {
        double value, min, max, expected;
    };
    const Row rows[] = {
        {50, 0, 100, 50},  {-1, 0, 100, 0},   {101, 0, 100, 100}, {50, 100, 0, 50}, {150, 100, 0, 100},
        {-5, 100, 0, 0},   {3, 7, 7, 7},      {0.0 / 0.0, 10, 20, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.value << " in " << row.min << ".." << row.max);
        EXPECT_EQ(ctl::ClampNumeric(row.value, row.min, row.max), row.expected);
    }
}

// Example failure: equal bounds or zero spin steps divide by zero and the spin gets NaN.
TEST(NumericLogic, SpinPositionsAndValues)
{
    struct Row {
        const char* name;
        double value, min, max;
        int steps, position;
    };
    const Row rows[] = {
        {"middle", 40, 0, 100, 100, 40},     {"rounds", 0.6, 0, 1, 10, 6},     {"reversed min", 100, 100, 0, 100, 0},
        {"reversed max", 0, 100, 0, 100, 100}, {"reversed mid", 30, 100, 0, 100, 70},
        {"equal bounds", 5, 5, 5, 0, 0},     {"zero steps", 5, 0, 10, 0, 0},  {"outside", 500, 0, 100, 100, 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctl::SpinPositionFor(row.value, row.min, row.max, row.steps), row.position);
    }
    EXPECT_EQ(ctl::SpinValueFor(49, 100, 0, 100), 51.0);
    EXPECT_EQ(ctl::SpinValueFor(3, 0, 10, 0), 0.0);
    EXPECT_EQ(ctl::SpinStepsFor(100, 0, true, 7), 100);
    EXPECT_EQ(ctl::SpinStepsFor(0, 1e12, true, 7), INT_MAX);
    EXPECT_EQ(ctl::SpinStepsFor(0, 1, false, 250), 250);
}

// Example failure: a step of 10 from 40 toward 41 gives 41 (no stepping) or snapping rounds
// away from zero.
TEST(NumericLogic, StepsAndSnapping)
{
    EXPECT_EQ(ctl::StepToward(40, 41, 10), 50);
    EXPECT_EQ(ctl::StepToward(40, 39.5, 10), 30);
    EXPECT_EQ(ctl::StepToward(40, 40, 10), 40);
    EXPECT_EQ(ctl::SnapTowardZero(1234, 100), 1200);
    EXPECT_EQ(ctl::SnapTowardZero(-1234, 100), -1200);
    EXPECT_EQ(ctl::SnapTowardZero(15, 10), 10);
    EXPECT_EQ(ctl::SnapTowardZero(15, 0), 15);
}

// Example failure: a second '-' or a '-' after the first character is accepted, or '.' is
// taken in integer mode.
TEST(NumericLogic, EditKeyFilter)
{
    using ctl::EditKey;
    struct Row {
        const char* name;
        char32_t c;
        ctl::EditState state;
        EditKey expected;
    };
    const ctl::EditState empty{false, false, true, false};
    const ctl::EditState middle{false, false, false, false};
    const Row rows[] = {
        {"digit", U'7', middle, EditKey::Accept},
        {"backspace", 8, middle, EditKey::Accept},
        {"enter", 13, middle, EditKey::Enter},
        {"minus at start", U'-', empty, EditKey::Accept},
        {"minus later", U'-', middle, EditKey::Drop},
        {"second minus", U'-', {true, false, true, false}, EditKey::Drop},
        {"point", U'.', middle, EditKey::Accept},
        {"second point", U'.', {false, true, false, false}, EditKey::Drop},
        {"point in integer mode", U'.', {false, false, false, true}, EditKey::Drop},
        {"letter", U'a', middle, EditKey::Drop},
        {"plus", U'+', empty, EditKey::Drop},
        {"comma", U',', middle, EditKey::Drop},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctl::FilterEditChar(row.c, row.state), row.expected);
    }
}

}  // namespace
