#include "controls/DrawButtonRules.h"

#include <gtest/gtest.h>

namespace {

// Example failure: the workspace button takes the face brush at rest, or a slot button is not
// darkened while latched.
TEST(DrawButtonRules, BrushByIdAndState)
{
    struct Row {
        int id;
        bool pressed, latched;
        DrawButtonBrush expected;
    };
    const Row rows[] = {
        {1423, false, false, DrawButtonBrush::Face},    {1423, true, false, DrawButtonBrush::Shadow},
        {1423, false, true, DrawButtonBrush::Shadow},   {1232, false, false, DrawButtonBrush::Shadow},
        {1232, true, false, DrawButtonBrush::GrayText}, {1232, false, true, DrawButtonBrush::GrayText},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.id << " pressed " << row.pressed << " latched " << row.latched);
        EXPECT_EQ(ChooseDrawButtonBrush(row.id, row.pressed, row.latched), row.expected);
    }
}

// Example failure: the workspace button stays latched after a click.
TEST(DrawButtonRules, OnlySlotButtonsLatch)
{
    EXPECT_TRUE(LatchAfterClick(1423, false));
    EXPECT_FALSE(LatchAfterClick(1423, true));
    EXPECT_FALSE(LatchAfterClick(1232, false));
    EXPECT_FALSE(LatchAfterClick(1232, true));
}

}  // namespace
