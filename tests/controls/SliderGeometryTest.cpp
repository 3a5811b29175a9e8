#include "controls/SliderGeometry.h"

#include <gtest/gtest.h>

namespace {

// Example failure: the travel ignores the label widths or the thumb's half width, so the
// thumb covers a label at either end.
TEST(SliderGeometry, HorizontalLayoutLeavesRoomForLabelsAndThumb)
{
    ctl::SliderLayoutInput in;
    in.width = 200;
    in.height = 20;
    in.thumbWidth = 8;
    in.thumbHeight = 14;
    in.minLabelWidth = 10;
    in.maxLabelWidth = 20;
    in.minLabelHeight = in.maxLabelHeight = 11;
    const ctl::SliderLayout l = ctl::LayoutSlider(in);
    EXPECT_EQ(l.trackStart.x, 1);
    EXPECT_EQ(l.trackEnd.x, 198);
    EXPECT_EQ(l.lineStart.x, 1 + 1 + 4 + 10);
    EXPECT_EQ(l.lineEnd.x, 198 - 4 - 20 - 1);
    EXPECT_EQ(l.lineStart.y, 9);
    EXPECT_EQ(l.trackLength, l.lineEnd.x - l.lineStart.x);
    EXPECT_EQ(l.groove.top, 6);
    EXPECT_EQ(l.groove.bottom, 12);
    EXPECT_EQ(l.maxLabelPos.x, 198 - 20 - 1);
    EXPECT_EQ(l.minLabelPos.y, (20 - 11) / 2);
}

// Example failure: a vertical slider puts its minimum at the bottom.
TEST(SliderGeometry, VerticalLayoutRunsDownward)
{
    ctl::SliderLayoutInput in;
    in.width = 40;
    in.height = 200;
    in.vertical = true;
    in.thumbWidth = 14;
    in.thumbHeight = 8;
    const ctl::SliderLayout l = ctl::LayoutSlider(in);
    EXPECT_EQ(l.lineStart.x, 20);
    EXPECT_EQ(l.lineStart.y, 1 + 4);
    EXPECT_EQ(l.lineEnd.y, 198 - 4 - 1);
    EXPECT_GT(l.trackLength, 0);
    EXPECT_EQ(ctl::TravelStart(l, true), l.lineStart.y);
}

// Example failure: the position at the end of the travel is computed with round-off
// (0.1 + 0.2 * 1 = 0.30000000000000004) instead of exactly the scaled maximum.
TEST(SliderGeometry, EndsMapExactlyAndTheMiddleLinearly)
{
    struct Row {
        const char* name;
        int centre;
        double expected;
    };
    const double sMin = 0.1, sMax = 0.3;
    const Row rows[] = {
        {"start", 10, sMin}, {"before start", 2, sMin}, {"end", 110, sMax}, {"past end", 500, sMax},
        {"middle", 60, 0.1 + 0.2 * 50 / 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctl::ScaledAtCentre(row.centre, 10, 100, sMin, sMax), row.expected);
    }
    // Reversed bounds (minimum above maximum) still put the minimum at the start.
    EXPECT_EQ(ctl::ScaledAtCentre(10, 10, 100, 100.0, 0.0), 100.0);
    EXPECT_EQ(ctl::ScaledAtCentre(110, 10, 100, 100.0, 0.0), 0.0);
}

// Example failure: a value outside the range or NaN puts the thumb outside the travel, or a
// travel of 0 pixels divides by zero.
TEST(SliderGeometry, ThumbCentreStaysOnTheTravel)
{
    struct Row {
        const char* name;
        double scaled, sMin, sMax;
        int start, length, expected;
    };
    const Row rows[] = {
        {"min", 0.0, 0.0, 255.0, 10, 100, 10},
        {"max", 255.0, 0.0, 255.0, 10, 100, 110},
        {"truncates", 128.0, 0.0, 255.0, 10, 100, 10 + 50},
        {"below", -5.0, 0.0, 255.0, 10, 100, 10},
        {"above", 999.0, 0.0, 255.0, 10, 100, 110},
        {"nan", 0.0 / 0.0, 0.0, 255.0, 10, 100, 10},
        {"empty scaled range", 3.0, 3.0, 3.0, 10, 100, 10},
        {"no travel", 50.0, 0.0, 255.0, 10, 0, 10},
        {"negative travel", 50.0, 0.0, 255.0, 10, -8, 10},
        {"reversed", 25.0, 100.0, 0.0, 0, 100, 75},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctl::ThumbCentreFor(row.scaled, row.sMin, row.sMax, row.start, row.length), row.expected);
    }
    EXPECT_EQ(ctl::ScaledAtCentre(40, 10, 0, 5.0, 9.0), 5.0);
    EXPECT_EQ(ctl::HoldOnTravel(-3, 10, 100), 10);
    EXPECT_EQ(ctl::HoldOnTravel(300, 10, 100), 110);
}

}  // namespace
