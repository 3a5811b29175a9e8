#include "MouseDrive.h"
#include "RecordingTarget.h"

#include "controls/CUpDownCtrl.h"
#include "controls/WindowIds.h"
#include "platform/Clock.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

using corvel::test::RecordingTarget;
using namespace std::chrono_literals;

namespace {

struct UpDownFixture : testing::Test {
    RecordingTarget panel;
    CUpDownCtrl* spin = new CUpDownCtrl(&panel, 1601);
    platform::ManualClock clock;

    void SetUp() override
    {
        spin->SetClock(&clock);
        spin->setGeometry(10, 10, 16, 24);
        panel.resize(100, 60);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }
    QPoint Up() const { return QPoint(8, 3); }
    QPoint Down() const { return QPoint(8, 20); }
    std::vector<corvel::test::RecordedMessage> Take()
    {
        auto out = panel.Of(wnd::WM_VSCROLL);
        panel.log.clear();
        return out;
    }
};

// Example failure: a spin click moves the position but the panel hears no SB_ENDSCROLL, so
// the value is never committed.
TEST_F(UpDownFixture, ClickStepsThenEndsTheAction)
{
    spin->SetRange32(0, 100);
    spin->SetPos32(40);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, Up());
    auto messages = Take();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(wnd::LoWord(messages[0].wParam), wnd::SB_THUMBPOSITION);
    EXPECT_EQ(wnd::HiWord(messages[0].wParam), 41u);
    EXPECT_EQ(wnd::LoWord(messages[1].wParam), wnd::SB_ENDSCROLL);
    EXPECT_EQ(wnd::WindowFromHandle(messages[0].lParam), spin);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, Down());
    EXPECT_EQ(spin->GetPos32(), 40);
}

// Example failure: with a reversed range (spinSteps..0) the up arrow counts up and leaves the
// range; or at the end a step is reported although nothing moved.
TEST_F(UpDownFixture, ReversedRangeAndEnds)
{
    spin->SetRange32(100, 0);
    spin->SetPos32(50);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, Up());
    EXPECT_EQ(spin->GetPos32(), 49);
    spin->SetPos32(0);
    Take();
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, Up());
    EXPECT_EQ(spin->GetPos32(), 0);
    const auto messages = Take();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(wnd::LoWord(messages[0].wParam), wnd::SB_ENDSCROLL);
    spin->SetPos32(500);
    EXPECT_EQ(spin->GetPos32(), 100);
}

// Example failure: holding an arrow never speeds up, or speeds up by absolute table times.
TEST_F(UpDownFixture, HeldArrowAcceleratesAfterTheTable)
{
    spin->SetRange32(0, 1000000);
    spin->SetPos32(0);
    spin->SetAccel({{2, 1}, {5, 10}, {10, 100}});
    corvel::test::Press(spin, Up());
    EXPECT_EQ(spin->GetPos32(), 1);
    clock.Advance(1s);
    spin->OnAutoRepeat();
    EXPECT_EQ(spin->GetPos32(), 2);
    clock.Advance(2s);  // 3 s held: second stage
    spin->OnAutoRepeat();
    EXPECT_EQ(spin->GetPos32(), 12);
    clock.Advance(5s);  // 8 s held: third stage
    spin->OnAutoRepeat();
    EXPECT_EQ(spin->GetPos32(), 112);
    corvel::test::Release(spin, Up());
    const auto messages = Take();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(wnd::LoWord(messages.back().wParam), wnd::SB_ENDSCROLL);
    EXPECT_EQ(spin->HeldArrow(), 0);
    spin->OnAutoRepeat();  // a late tick after the release moves nothing
    EXPECT_EQ(spin->GetPos32(), 112);
}

// Example failure: arrow keys step the spin but never end the action.
TEST_F(UpDownFixture, KeysStepAndEnd)
{
    spin->SetRange32(0, 10);
    spin->SetPos32(5);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Down);
    const auto messages = Take();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(wnd::HiWord(messages[0].wParam), 4u);
    EXPECT_EQ(wnd::LoWord(messages[1].wParam), wnd::SB_ENDSCROLL);
}

// Example failure: the spin overlaps its edit instead of taking the edit's right 16 pixels.
TEST_F(UpDownFixture, AttachesToTheRightOfItsBuddy)
{
    auto* edit = new QLineEdit(&panel);
    edit->setGeometry(30, 5, 60, 20);
    spin->AttachToBuddy(edit);
    EXPECT_EQ(edit->geometry(), QRect(30, 5, 44, 20));
    EXPECT_EQ(spin->geometry(), QRect(74, 5, 16, 20));
}

}  // namespace
