#include "controls/UpDownLogic.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Example failure: a reversed range (as the gain panels use) makes the up arrow leave the
// range or move the wrong way, or a step near INT_MAX overflows.
TEST(UpDownLogic, StepsTowardTheRightBoundAndStaysInside)
{
    struct Row {
        const char* name;
        int low, high, position;
        bool up;
        unsigned increment;
        int expected;
    };
    const Row rows[] = {
        {"normal up", 0, 100, 40, true, 1, 41},
        {"normal down", 0, 100, 40, false, 10, 30},
        {"normal up held at end", 0, 100, 99, true, 10, 100},
        {"normal down held at start", 0, 100, 3, false, 10, 0},
        {"reversed up counts down", 100, 0, 40, true, 1, 39},
        {"reversed down counts up", 100, 0, 40, false, 1, 41},
        {"reversed up held at 0", 100, 0, 0, true, 5, 0},
        {"reversed down held at 100", 100, 0, 100, false, 5, 100},
        {"outside range first held", 0, 10, 50, true, 1, 10},
        {"no overflow", INT_MIN, INT_MAX, INT_MAX - 1, true, 10000, INT_MAX},
        {"empty range", 7, 7, 7, true, 1, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ctl::UpDownStep(row.low, row.high, row.position, row.up, row.increment), row.expected);
    }
}

// Example failure: the table's seconds are taken as absolute times, so the increment jumps
// to 10000 after 10 s instead of after 27 s.
TEST(UpDownLogic, AccelerationStagesFollowEachOther)
{
    const std::vector<ctl::UDACCEL> table = {{2, 1}, {5, 10}, {10, 100}, {10, 1000}, {10, 10000}};
    struct Row {
        double seconds;
        unsigned expected;
    };
    const Row rows[] = {{0.0, 1},     {1.99, 1},     {2.0, 10},      {6.9, 10},      {7.0, 100},
                        {16.9, 100},  {17.0, 1000},  {26.9, 1000},   {27.0, 10000},  {500.0, 10000}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(ctl::AccelIncrementAt(table, row.seconds), row.expected);
    }
    EXPECT_EQ(ctl::AccelIncrementAt({}, 100.0), 1u);
}

}  // namespace
