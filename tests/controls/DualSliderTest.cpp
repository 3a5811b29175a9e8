#include "MouseDrive.h"
#include "RecordingTarget.h"

#include "controls/CDualSlider.h"
#include "controls/WindowIds.h"
#include "platform/DebugOutput.h"

#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using corvel::test::RecordingTarget;

namespace {

struct Listener : IDualSliderListener {
    std::vector<std::pair<int, int>> moves;  // (marker, value)
    void OnMarkerMoved(int, int marker, int value) override { moves.emplace_back(marker, value); }
    void OnMarkerMovedF(int, int, double) override {}
    int Last(int marker) const
    {
        for (auto it = moves.rbegin(); it != moves.rend(); ++it)
            if (it->first == marker)
                return it->second;
        return -1;
    }
};

struct DualFixture : testing::Test {
    RecordingTarget panel;
    CDualSlider slider;
    Listener listener;

    void SetUp() override
    {
        panel.resize(340, 80);
        ASSERT_TRUE(slider.Create(1380, &panel, QRect(10, 10, 300, 40)));
        // What the panel writes: the range 0..99 over 280 pixels.
        slider.minValue = 0;
        slider.maxValue = 99;
        slider.valueCount = slider.maxValue - slider.minValue + 1;
        slider.unitsPerPixel = double(slider.valueCount) / (slider.geometry.pixelMax - slider.geometry.pixelMin);
        slider.minGapPixels = slider.minGapUnits / slider.unitsPerPixel;
        slider.listener = &listener;
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        ASSERT_EQ(slider.SetMarkerPos(1, 10), 1);
        ASSERT_EQ(slider.SetMarkerPos(2, 50), 1);
        listener.moves.clear();
    }
    int MarkerY() const { return slider.geometry.bar.bottom + 5; }
    int BarY() const { return 3; }
};

// Example failure: marker 1 dragged into marker 2 passes it or touches it; dragging further
// moves one of them.
TEST_F(DualFixture, GapStopsMarkerOne)
{
    const int c2 = slider.m_iMarkerPos1;
    EXPECT_EQ(c2, 10 + 140);
    corvel::test::Drag(&slider, QPoint(slider.m_iMarkerPos, MarkerY()), QPoint(c2 + 40, MarkerY()), 8);
    EXPECT_EQ(slider.minGapPixels, 3.0);  // floor(2.8 + 0.5)
    EXPECT_EQ(slider.m_iMarkerPos, c2 - 3);
    corvel::test::Drag(&slider, QPoint(slider.m_iMarkerPos, MarkerY()), QPoint(c2 + 80, MarkerY()), 8);
    EXPECT_EQ(slider.m_iMarkerPos, c2 - 3);
    EXPECT_EQ(slider.m_iMarkerPos1, c2);
    EXPECT_LT(listener.Last(1), 50);

    // Marker 2, grabbed right of the overlap (where selected marker 1 wins), dragged down into
    // marker 1 stops on the other side of the same gap.
    const int c1 = slider.m_iMarkerPos;
    const int grab = slider.marker1Rect.right + 1;
    corvel::test::Drag(&slider, QPoint(grab, MarkerY()), QPoint(c1 - 30, MarkerY()), 8);
    EXPECT_EQ(slider.m_iMarkerPos1, c1 + 3);
    EXPECT_EQ(slider.m_iMarkerPos, c1);
}

// Example failure: dragging past either end reports below minValue or max + 1 (which the
// panel would write to the camera).
TEST_F(DualFixture, EndsReportExactlyMinAndMax)
{
    corvel::test::Drag(&slider, QPoint(slider.m_iMarkerPos, MarkerY()), QPoint(-50, MarkerY()));
    EXPECT_EQ(listener.Last(1), 0);
    EXPECT_EQ(slider.m_iMarkerPos, slider.geometry.pixelMin);
    EXPECT_EQ(slider.position1, 0.0);
    corvel::test::Drag(&slider, QPoint(slider.m_iMarkerPos1, MarkerY()), QPoint(400, MarkerY()));
    EXPECT_EQ(listener.Last(2), 99);
    EXPECT_EQ(slider.m_iMarkerPos1, slider.geometry.pixelMax);
    for (const auto& [marker, value] : listener.moves) {
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 99);
    }
}

// Example failure: a marker placed at 50 reads back as 46.5 at its pixel, so a click on it
// that does not move it reports (and the panel writes) 46.
TEST_F(DualFixture, AMarkerThatDoesNotMoveKeepsItsExactValue)
{
    // 0..1000 over 280 pixels: about 3.6 values per pixel.
    slider.maxValue = 1000;
    slider.valueCount = 1001;
    slider.unitsPerPixel = 1001.0 / (slider.geometry.pixelMax - slider.geometry.pixelMin);
    slider.minGapPixels = slider.minGapUnits / slider.unitsPerPixel;
    ASSERT_EQ(slider.SetMarkerPos(1, 50), 1);
    ASSERT_EQ(slider.SetMarkerPos(2, 500), 1);
    listener.moves.clear();

    const int c1 = slider.m_iMarkerPos;
    corvel::test::Drag(&slider, QPoint(c1, MarkerY()), QPoint(c1, MarkerY()));
    EXPECT_EQ(slider.m_iMarkerPos, c1);
    EXPECT_EQ(slider.position1, 50.0);
    for (const auto& [marker, value] : listener.moves)
        EXPECT_EQ(value, 50) << "marker " << marker;

    const int c2 = slider.m_iMarkerPos1;
    corvel::test::Drag(&slider, QPoint(c2, MarkerY()), QPoint(c2, MarkerY()));
    EXPECT_EQ(slider.position2, 500.0);
    for (const auto& [marker, value] : listener.moves)
        EXPECT_EQ(value, marker == 1 ? 50 : 500);

    // Moved two pixels and back: the pixel's own values, then the placed value again.
    corvel::test::Press(&slider, QPoint(c2, MarkerY()));
    corvel::test::MoveHeld(&slider, QPoint(c2 + 2, MarkerY()));
    EXPECT_EQ(slider.m_iMarkerPos1, c2 + 2);
    EXPECT_GT(listener.Last(2), 500);
    corvel::test::MoveHeld(&slider, QPoint(c2, MarkerY()));
    corvel::test::Release(&slider, QPoint(c2, MarkerY()));
    EXPECT_EQ(listener.Last(2), 500);
}

// Example failure: a release over the empty groove sends nothing, or names a marker.
TEST_F(DualFixture, ReleaseOverEmptyGrooveSendsMarkerZero)
{
    corvel::test::Press(&slider, QPoint(100, BarY()));
    corvel::test::Release(&slider, QPoint(100, BarY()));
    const auto released = panel.Of(wnd::DSM_MARKER_RELEASED);
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0].wParam, 1380u);
    EXPECT_EQ(released[0].lParam, 0);
    EXPECT_TRUE(listener.moves.empty());
}

// Example failure: the grab is symmetric: a click above marker 1 grabs it, or one above marker
// 2 does not.
TEST_F(DualFixture, ClickAboveGrabsOnlyMarkerTwo)
{
    corvel::test::Press(&slider, QPoint(slider.m_iMarkerPos, BarY()));
    EXPECT_EQ(slider.activeMarker, 0);
    corvel::test::Release(&slider, QPoint(slider.m_iMarkerPos, BarY()));
    corvel::test::Press(&slider, QPoint(slider.m_iMarkerPos1, BarY()));
    EXPECT_EQ(slider.activeMarker, 2);
    EXPECT_EQ(slider.selectedMarker, 2);
    corvel::test::Release(&slider, QPoint(slider.m_iMarkerPos1, BarY()));
    const auto released = panel.Of(wnd::DSM_MARKER_RELEASED);
    ASSERT_EQ(released.size(), 2u);
    EXPECT_EQ(released[1].lParam, 2);
}

// Example failure: a value above the range moves the marker, or a slider whose range was never
// set divides by zero.
TEST(DualSlider, SetMarkerPosRefusesWhatItCannotPlace)
{
    CDualSlider loose;
    EXPECT_EQ(loose.SetMarkerPos(1, 0), 0);  // not created
    RecordingTarget panel;
    CDualSlider slider;
    ASSERT_TRUE(slider.Create(1385, &panel, QRect(0, 0, 300, 40)));
    EXPECT_EQ(slider.SetMarkerPos(1, 0), 0);  // no range yet (0 units per pixel)
    slider.maxValue = 99;
    slider.unitsPerPixel = 100.0 / 280.0;
    const int before = slider.m_iMarkerPos;
    EXPECT_EQ(slider.SetMarkerPos(1, 100), 0);
    EXPECT_EQ(slider.SetMarkerPos(1, -1), 0);
    EXPECT_EQ(slider.m_iMarkerPos, before);
    EXPECT_EQ(slider.SetMarkerPos(3, 5), 1);
    EXPECT_TRUE(panel.log.empty());

    // No listener: the parent hears WM_USER+123 with (value, marker).
    EXPECT_EQ(slider.SetMarkerPos(2, 70), 1);
    const auto moved = panel.Of(wnd::DSM_MARKER_MOVED);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].wParam, 70u);
    EXPECT_EQ(moved[0].lParam, 2);
}

// Example failure: crossing markers set from the camera are not reported anywhere.
TEST(DualSlider, CrossingMarkersWriteTheDebugLine)
{
    std::wstring seen;
    const auto previous = platform::SetDebugOutputHook([&](const std::wstring& text) { seen += text; });
    RecordingTarget panel;
    CDualSlider slider;
    ASSERT_TRUE(slider.Create(1380, &panel, QRect(0, 0, 300, 40)));
    slider.maxValue = 99;
    slider.unitsPerPixel = 100.0 / 280.0;
    slider.SetMarkerPos(2, 20);
    slider.SetMarkerPos(1, 60);
    platform::SetDebugOutputHook(previous);
    EXPECT_NE(seen.find(L"Error SetMarkerPos: m_bMarkersJump = FALSE, Bad value(m_iMarkerPos("), std::wstring::npos);
}

}  // namespace
