#include "MouseDrive.h"
#include "RecordingTarget.h"

#include "controls/CTrackBar.h"
#include "controls/WindowIds.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

using corvel::test::RecordingTarget;
using Codes = std::vector<unsigned>;

namespace {

struct TestTrackBar : CTrackBar {
    using CTrackBar::CTrackBar;
    QRect Handle()
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    }
};

struct TrackBarFixture : testing::Test {
    RecordingTarget panel;
    TestTrackBar* bar = nullptr;

    void Make(Qt::Orientation orientation)
    {
        bar = new TestTrackBar(orientation, &panel, 1600);
        bar->SetRange(0, 255);
        bar->setPageStep(16);
        bar->setGeometry(orientation == Qt::Horizontal ? QRect(10, 10, 200, 24) : QRect(10, 10, 24, 200));
        panel.resize(240, 240);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();
        bar->setFocus();
    }
    unsigned Message() const { return bar->orientation() == Qt::Horizontal ? wnd::WM_HSCROLL : wnd::WM_VSCROLL; }
    Codes TakeCodes()
    {
        Codes codes = panel.ScrollCodes(Message());
        panel.log.clear();
        return codes;
    }
};

// Example failure: a thumb drag ends without TB_ENDTRACK (Qt itself has none), so the panel
// never commits; or a drag past the end reports a position short of the maximum.
TEST_F(TrackBarFixture, DragTracksThenEndsWithThumbPositionAndEndTrack)
{
    Make(Qt::Horizontal);
    const QPoint thumb = bar->Handle().center();
    corvel::test::Drag(bar, thumb, QPoint(bar->width() + 50, thumb.y()));
    const Codes codes = TakeCodes();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), wnd::TB_THUMBTRACK);
    EXPECT_EQ(codes[codes.size() - 2], wnd::TB_THUMBPOSITION);
    EXPECT_EQ(codes.back(), wnd::TB_ENDTRACK);
    EXPECT_EQ(bar->GetPos(), 255);
}

// Example failure: a click in the channel moves the thumb by a page but sends no end code.
TEST_F(TrackBarFixture, ChannelClickPagesThenEnds)
{
    Make(Qt::Horizontal);
    bar->SetPos(0);
    const QPoint far(bar->width() - 5, bar->height() / 2);
    corvel::test::Press(bar, far);
    corvel::test::Release(bar, far);
    EXPECT_EQ(TakeCodes(), (Codes{wnd::TB_PAGEDOWN, wnd::TB_ENDTRACK}));
    EXPECT_EQ(bar->GetPos(), 16);
}

// Example failure: keys move the thumb but end no gesture, or Page Up moves toward the
// maximum (Qt's default) instead of toward the minimum; or a key at an end leaves the range.
TEST_F(TrackBarFixture, KeysReportTheirCodesAndEndEachPress)
{
    Make(Qt::Horizontal);
    struct Row {
        Qt::Key key;
        int start;
        Codes codes;
        int expected;
        const char* name;
    };
    const Row rows[] = {
        {Qt::Key_Right, 10, {wnd::TB_LINEDOWN, wnd::TB_ENDTRACK}, 11, "right"},
        {Qt::Key_Up, 10, {wnd::TB_LINEUP, wnd::TB_ENDTRACK}, 9, "up"},
        {Qt::Key_PageUp, 100, {wnd::TB_PAGEUP, wnd::TB_ENDTRACK}, 84, "page up"},
        {Qt::Key_PageDown, 100, {wnd::TB_PAGEDOWN, wnd::TB_ENDTRACK}, 116, "page down"},
        {Qt::Key_Home, 100, {wnd::TB_TOP, wnd::TB_ENDTRACK}, 0, "home"},
        {Qt::Key_End, 100, {wnd::TB_BOTTOM, wnd::TB_ENDTRACK}, 255, "end"},
        {Qt::Key_Left, 0, {wnd::TB_LINEUP, wnd::TB_ENDTRACK}, 0, "left at minimum"},
        {Qt::Key_Right, 255, {wnd::TB_LINEDOWN, wnd::TB_ENDTRACK}, 255, "right at maximum"},
        {Qt::Key_PageDown, 250, {wnd::TB_PAGEDOWN, wnd::TB_ENDTRACK}, 255, "page past maximum"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bar->SetPos(row.start);
        panel.log.clear();
        QTest::keyClick(bar, row.key);
        EXPECT_EQ(TakeCodes(), row.codes);
        EXPECT_EQ(bar->GetPos(), row.expected);
    }
}

// Example failure: a value the panel sets from the camera is reported back as an operator
// change (and written to the camera again).
TEST_F(TrackBarFixture, PositionsSetByCodeReportNothing)
{
    Make(Qt::Horizontal);
    bar->SetPos(77);
    bar->SetRange(0, 50);
    EXPECT_TRUE(panel.log.empty());
    EXPECT_EQ(bar->GetPos(), 50);
}

// Example failure: a vertical trackbar has its minimum at the bottom, or Down moves it up.
TEST_F(TrackBarFixture, VerticalHasTheMinimumAtTheTop)
{
    Make(Qt::Vertical);
    bar->SetPos(0);
    EXPECT_LT(bar->Handle().center().y(), bar->height() / 2);
    QTest::keyClick(bar, Qt::Key_Down);
    EXPECT_EQ(bar->GetPos(), 1);
    const Codes codes = TakeCodes();
    EXPECT_EQ(codes, (Codes{wnd::TB_LINEDOWN, wnd::TB_ENDTRACK}));
}

// Example failure: the mouse wheel moves the thumb without an end code.
TEST_F(TrackBarFixture, WheelEndsWithEndTrack)
{
    Make(Qt::Horizontal);
    bar->SetPos(100);
    const QPoint at = bar->rect().center();
    QWheelEvent wheel(QPointF(at), QPointF(bar->mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    const Codes codes = TakeCodes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), wnd::TB_ENDTRACK);
    EXPECT_NE(bar->GetPos(), 100);
}

}  // namespace
