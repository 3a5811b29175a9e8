#include "MouseDrive.h"
#include "RecordingTarget.h"

#include "controls/DlgItem.h"
#include "controls/OVScaleFunction.h"
#include "controls/OVSlider.h"
#include "controls/WindowIds.h"

#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using corvel::test::RecordingTarget;
using Codes = std::vector<unsigned>;

namespace {

struct SliderFixture : testing::Test {
    QWidget dialog;
    RecordingTarget owner;
    std::unique_ptr<OVSlider> slider;

    void Make(double min, double max, bool integerMode, const OVScaleFunction* scale = nullptr, bool vertical = false,
              QRect rect = QRect(10, 10, 200, 20))
    {
        slider = std::make_unique<OVSlider>(&dialog, &owner, rect, QSize(8, 14), min, max, integerMode, true, scale,
                                            false, vertical);
        dialog.resize(260, 260);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QPoint ThumbCentre() const { return slider->ThumbRect().center(); }
    Codes TakeCodes()
    {
        Codes codes = owner.CommandCodes();
        for (const auto& m : owner.log)
            EXPECT_EQ(m.Id(), unsigned(wnd::IDC_OV_SLIDER));
        owner.log.clear();
        return codes;
    }
};

// Example failure: dragging past an end reports a value a little short of the bound (or
// beyond it), so the numeric control clamps or truncates to the wrong value.
TEST_F(SliderFixture, DragsPastEitherEndReportExactlyTheScaledBounds)
{
    const OVLog10Scale_ scale;
    Make(1.0, 100000.0, false, &scale);
    slider->SetPos(1000.0);
    EXPECT_DOUBLE_EQ(slider->current, 3.0);

    corvel::test::Drag(slider.get(), ThumbCentre(), QPoint(slider->width() + 40, 10));
    Codes codes = TakeCodes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes.front(), wnd::OVN_CHANGING);
    EXPECT_EQ(codes.back(), wnd::OVN_CHANGED);
    EXPECT_EQ(slider->current, slider->scaledMax);
    EXPECT_EQ(slider->current, 5.0);

    corvel::test::Drag(slider.get(), ThumbCentre(), QPoint(-60, 10));
    TakeCodes();
    EXPECT_EQ(slider->current, slider->scaledMin);
    EXPECT_EQ(slider->current, 0.0);
}

// Example failure: a click on the groove away from the thumb is reported as a drag (1002)
// or does not move the thumb to the click.
TEST_F(SliderFixture, GrooveClickJumpsAndReportsOnlyTheRelease)
{
    Make(0.0, 255.0, true);
    slider->SetPos(0.0);
    const ctl::SliderLayout& l = slider->Layout();
    const int target = l.lineStart.x + l.trackLength * 3 / 4;
    QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(target, 10));
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGED}));
    EXPECT_EQ(slider->ThumbCentre(), target);
    EXPECT_DOUBLE_EQ(slider->current, 255.0 * (target - l.lineStart.x) / l.trackLength);

    // A click beyond the travel holds the thumb at the end.
    QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() - 2, 10));
    EXPECT_EQ(slider->current, 255.0);
}

// Example failure: a vertical slider has its minimum at the bottom.
TEST_F(SliderFixture, VerticalReportsTheMinimumAtTheTop)
{
    Make(-10.0, 10.0, false, nullptr, true, QRect(10, 10, 40, 200));
    QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 0));
    EXPECT_EQ(slider->current, -10.0);
    QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 199));
    EXPECT_EQ(slider->current, 10.0);
    EXPECT_EQ(slider->ThumbRect().width(), 14);  // the thumb is turned
}

// Example failure: labels ignore integer mode, a custom format does not reach them, or the
// custom format survives a range change.
TEST_F(SliderFixture, LabelsFollowModeFormatAndRange)
{
    Make(0.0, 255.0, true);
    EXPECT_EQ(slider->minLabel, "0");
    EXPECT_EQ(slider->maxLabel, "255");
    slider->SetLabelFormat("%.3f");
    EXPECT_EQ(slider->minLabel, "0.000");
    EXPECT_EQ(slider->maxLabel, "255.000");
    slider->SetRange(0.0, 100.0);
    EXPECT_EQ(slider->maxLabel, "100");
    slider->SetLabelFormat("%s");  // not a value format: the default
    EXPECT_EQ(slider->maxLabel, "100.00");
}

// Example failure: labels wider than the window leave no travel and the next position
// divides by zero.
TEST_F(SliderFixture, NoTravelHoldsTheThumbAtTheStart)
{
    Make(-100000.0, 100000.0, false, nullptr, false, QRect(10, 10, 30, 20));
    EXPECT_LE(slider->Layout().trackLength, 0);
    slider->SetPos(50000.0);
    EXPECT_EQ(slider->ThumbCentre(), slider->Layout().lineStart.x);
    QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(25, 10));
    EXPECT_EQ(slider->current, slider->scaledMin);
}

// Example failure: a pop-up that loses the focus stays up, reports twice, or never tells its
// owner (so the drop button stays disabled).
TEST(OVSliderPopup, LosingTheFocusReportsOnceAndHides)
{
    QWidget dialog;
    RecordingTarget owner;
    dialog.resize(200, 100);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    OVSlider popup(&dialog, &owner, QRect(0, 20, 200, 20), QSize(8, 14), 0.0, 10.0, false, true, nullptr, true, false);
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(wnd::GetDlgItem(&dialog, wnd::IDC_OV_SLIDER), &popup);

    popup.show();
    popup.OnKillFocus();
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(owner.CommandCodes(), (Codes{wnd::OVN_KILLFOCUS}));

    // Closed from outside (Qt closes a pop-up on a click elsewhere): reported as well, once.
    owner.log.clear();
    popup.show();
    popup.close();
    popup.OnKillFocus();
    EXPECT_EQ(owner.CommandCodes(), (Codes{wnd::OVN_KILLFOCUS}));
}

}  // namespace
