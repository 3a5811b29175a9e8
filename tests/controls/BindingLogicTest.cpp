#include "controls/BindingLogic.h"

#include <gtest/gtest.h>

#include <optional>

#include <climits>

namespace {

struct ScaleRow {
    const char* name;
    int min, max;
    bool linear;
    int value, pos;
};

// Example failure: the logarithmic scale truncates instead of rounding (50 -> 169), or value 1
// lands on position 0 and cannot be told from 0.
TEST(SliderScale, ValueToPosition)
{
    const ScaleRow rows[] = {
        {"log 1000 is 300", 1, 100000, false, 1000, 300},
        {"log 50 rounds up to 170", 1, 100000, false, 50, 170},
        {"log 100000", 1, 100000, false, 100000, 500},
        {"log value above max is held", 1, 1000, false, 5000, 300},
        {"log 0 is 0", 0, 1000, false, 0, 0},
        {"log negative is 0", -10, 1000, false, -5, 0},
        {"log 1 is half of 2", 0, 1000, false, 1, 15},
        {"log 1 with 2 outside the range", 0, 1, false, 1, 0},
        {"linear within", 0, 255, true, 17, 17},
        {"linear below min", 10, 255, true, 3, 10},
        {"linear above max", 10, 255, true, 300, 255},
    };
    for (const ScaleRow& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(ctl::SliderValueToPos(r.value, r.min, r.max, r.linear), r.pos);
    }
}

// Example failure: a position maps through pos/100.0 and 170 gives 49, or the trackbar's end
// gives 10^5 rounded instead of exactly the maximum, or position 0 gives 1.
TEST(SliderScale, PositionToValue)
{
    struct Row {
        const char* name;
        int posMin, posMax, min, max;
        bool linear;
        int pos, value;
    };
    const Row rows[] = {
        {"log 300 is 1000", 0, 500, 1, 100000, false, 300, 1000},
        {"log 170 truncates to 50", 0, 500, 1, 100000, false, 170, 50},
        {"log range end is max", 0, 500, 1, 100000, false, 500, 100000},
        {"log beyond the end is max", 0, 500, 1, 100000, false, 900, 100000},
        {"log position 1 is 1", 0, 300, 0, 1000, false, 1, 1},
        {"log position 0 is the minimum", 0, 300, 0, 1000, false, 0, 0},
        {"log range start is min", 15, 500, 1, 100000, false, 15, 1},
        {"linear", 0, 255, 0, 255, true, 77, 77},
        {"linear at start", 5, 255, 5, 255, true, 2, 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(ctl::SliderPosToValue(r.pos, r.posMin, r.posMax, r.min, r.max, r.linear), r.value);
    }
}

// Example failure: a long digit string overflows (undefined in atoi) or wraps to a negative
// value that is then written to the camera; or text without a number reads as 0.
TEST(TypedNumbers, LeadingIntegerSaturates)
{
    const std::optional<int> none;
    struct Row {
        const char* text;
        std::optional<int> value;
    };
    const Row rows[] = {
        {"42", 42}, {"  -17abc", -17}, {"+8", 8}, {"abc", none}, {"", none}, {"-", none}, {"+ 5", none}, {"12.7", 12},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}, {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN}, {"2147483648", INT_MAX}, {"\t\n5", 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(ctl::ParseLeadingInt(r.text), r.value);
    }
}

// Example failure: INT_MAX taken as a real lower limit, so every typed value becomes INT_MAX.
TEST(TypedNumbers, OnlySetLimitsClamp)
{
    const int none = ctl::kNoLimit;
    EXPECT_EQ(ctl::ClampToSetLimits(-500, none, 100), -500);
    EXPECT_EQ(ctl::ClampToSetLimits(500, none, 100), 100);
    EXPECT_EQ(ctl::ClampToSetLimits(-500, 0, none), 0);
    EXPECT_EQ(ctl::ClampToSetLimits(123456, none, none), 123456);
    EXPECT_TRUE(ctl::IsOnSetLimit(100, none, 100));
    EXPECT_FALSE(ctl::IsOnSetLimit(none, none, none)) << "the no-limit mark is no limit";
    EXPECT_EQ(ctl::ClampToRange(5, 10, 0), 10) << "a reversed range holds at min";
}

// Example failure: the tolerance is 15 exclusive (a panel 15 px away stays loose), or 16 px
// still snaps, or the vertical tolerance uses the panel's height instead of the button's.
TEST(DockingRule, FifteenPixelsSnapSixteenDoNot)
{
    const int right = 800, top = 100, height = 40;
    struct Row {
        const char* name;
        int x, y;
        bool docked;
    };
    const Row rows[] = {
        {"15 right, one height below", right + 15, top + height, true},
        {"15 left, one height above", right - 15, top - height, true},
        {"exactly there", right, top, true},
        {"16 right", right + 16, top, false},
        {"16 left", right - 16, top, false},
        {"one pixel beyond the height", right, top + height + 1, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const ctl::DockResult d = ctl::ApplyDockingRule(r.x, r.y, right, top, height);
        EXPECT_EQ(d.docked, r.docked);
        EXPECT_EQ(d.x, r.docked ? right : r.x);
        EXPECT_EQ(d.y, r.docked ? top : r.y);
    }
}

// Example failure: activating a panel twice lists it twice, so re-stacking raises it twice
// and an older panel ends on top.
TEST(ActivationList, IndexMovesToTheBackOnce)
{
    ctl::ActivationList list{0, 2, 1, 2};
    ctl::MoveToBack(list, 5);
    ctl::MoveToBack(list, 2);
    ctl::MoveToBack(list, 5);
    ctl::MoveToBack(list, 2);
    EXPECT_EQ(list, (ctl::ActivationList{0, 1, 5, 2}));
}

}  // namespace
