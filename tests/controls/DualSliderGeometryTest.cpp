#include "controls/DualSliderGeometry.h"

#include <gtest/gtest.h>

namespace {

// Example failure: the bar is not inset by half a marker, so a marker at either end is cut off.
TEST(DualSliderGeometry, SizesFromTheHeight)
{
    const ctl::DualSliderGeometry g = ctl::ComputeDualSliderGeometry(300, 40);
    EXPECT_EQ(g.barHeight, 12);
    EXPECT_EQ(g.markerHeight, 20);
    EXPECT_EQ(g.markerWidth, 18);
    EXPECT_EQ(g.bar.left, 10);
    EXPECT_EQ(g.bar.right, 290);
    EXPECT_EQ(g.pixelMin, 10);
    EXPECT_EQ(g.pixelMax, 290);
    const ctl::SRect m = ctl::MarkerRectAt(g, 100);
    EXPECT_EQ(m.left, 91);
    EXPECT_EQ(m.top, 12);
    EXPECT_EQ(m.bottom, 32);
    EXPECT_EQ(ctl::MarkerCentre(m, g.markerWidth), 100);
}

// Example failure: the right end reports min + valueCount (max + 1), a marker left of the
// groove reports below min, or a range that was never set divides by zero.
TEST(DualSliderGeometry, ValuesHeldWithinTheRange)
{
    const double upp = 100.0 / 280.0;  // valueCount max - min + 1 over the travel
    struct Row {
        const char* name;
        int centre;
        double expected;
    };
    const Row rows[] = {
        {"left end", 10, 0.0},  {"left of groove", 2, 0.0},  {"right end", 290, 99.0},
        {"one before right end", 289, 99.0},  {"middle", 150, 140 * upp},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(ctl::ValueAtCentre(row.centre, 10, 290, 0, 99, upp), row.expected);
    }
    int centre = -1;
    EXPECT_TRUE(ctl::CentreForValue(50, 0, 99, upp, 10, &centre));
    EXPECT_EQ(centre, 10 + 140);
    EXPECT_FALSE(ctl::CentreForValue(100, 0, 99, upp, 10, &centre));
    EXPECT_FALSE(ctl::CentreForValue(-1, 0, 99, upp, 10, &centre));
    EXPECT_FALSE(ctl::CentreForValue(5, 0, 99, 0.0, 10, &centre));
    EXPECT_EQ(centre, 150);
}

}  // namespace
