// The camera-information dialog at the top of the main window, filled by the polls from the
// emulated camera, and its temperature lamp.
#include "PanelFixture.h"

#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "panels/CDlgCameraInfo.h"
#include "support/LabelFit.h"

#include <QImage>
#include <QLabel>

#include <cmath>
#include <limits>

namespace {

using namespace corvel::test;
using C = CDlgCameraInfo;

class CameraInfoTest : public PanelTest {
protected:
    CDlgCameraInfo* Open(int config = 4)
    {
        OpenOnCamera(config);
        Settle();
        return window->m_pCameraInfo;
    }

    QString Text(int id) const { return qobject_cast<QLabel*>(wnd::GetDlgItem(window->m_pCameraInfo, id))->text(); }

    /// Sets the camera's temperature register to `celsius` and runs the temperature poll.
    void PollTemperature(double celsius)
    {
        const int raw = static_cast<int>(std::lround(celsius * 4));
        SetCameraValue("Temperature", static_cast<std::uint32_t>(raw < 0 ? raw + 1024 : raw));
        window->OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
        Settle();
    }
};

// Example failure: a band edge falls into the lower band, or a reading that compares as
// nothing (NaN) shows the camera as cool.
TEST(CameraInfoBands, EdgesBelongToTheUpperBand)
{
    struct Case {
        float t;
        int state;
    };
    for (const Case& c : {Case{-40.0f, 1}, Case{29.99f, 1}, Case{30.0f, 2}, Case{49.99f, 2}, Case{50.0f, 3},
                          Case{120.0f, 3}, Case{std::numeric_limits<float>::quiet_NaN(), 3}})
        EXPECT_EQ(CDlgCameraInfo::StateFor(c.t), c.state) << c.t;
}

// Example failure: the lamp changes before its icons are loaded (the static is not yet its
// own), or a temperature in the band it already shows restarts the blinking.
TEST_F(PanelTest, CameraInfoLampWaitsForItsIcons)
{
    QWidget parent;
    CDlgCameraInfo info(&parent);
    EXPECT_EQ(info.IconId(), wnd::IDI_STATE_LOW) << "the template's icon";
    info.SetTemperature(60.0f);
    EXPECT_EQ(info.TemperatureState(), 0);
    EXPECT_FALSE(info.IsBlinking());
    info.LoadIcons();
    EXPECT_EQ(info.IconId(), wnd::IDI_STATE_OFF);
    EXPECT_EQ(info.IconStatic()->size(), QSize(16, 16));
    info.SetTemperature(60.0f);
    EXPECT_EQ(info.TemperatureState(), 3);
    EXPECT_TRUE(info.IsBlinking());
    info.SetTemperature(70.0f);
    EXPECT_TRUE(info.IsBlinking());
    EXPECT_EQ(info.IconId(), wnd::IDI_STATE_HIGH);
}

// Example failure: the poll leaves the lamp at one icon whatever the camera reports, the hot
// band does not blink, or leaving it keeps the lamp jumping.
TEST_F(CameraInfoTest, PollMovesTheLampThroughItsBandsAndTheHotOneBlinks)
{
    CDlgCameraInfo* info = Open();
    ASSERT_NE(info, nullptr);
    ASSERT_NE(info->IconStatic(), nullptr) << "the rebuild after the port selection loads the icons";
    struct Step {
        double celsius;
        int icon;
        const char* text;
    };
    const Step steps[] = {
        {25.0, wnd::IDI_STATE_NORMAL, "25.00"},
        {30.0, wnd::IDI_STATE_LOW, "30.00"},
        {49.75, wnd::IDI_STATE_LOW, "49.75"},
        {50.0, wnd::IDI_STATE_HIGH, "50.00"},
    };
    for (const Step& s : steps) {
        PollTemperature(s.celsius);
        EXPECT_EQ(info->IconId(), s.icon) << s.celsius;
        EXPECT_EQ(Text(C::IDC_TEMPERATURE), s.text);
        EXPECT_EQ(info->IsBlinking(), s.icon == wnd::IDI_STATE_HIGH) << s.celsius;
    }
    // Hot: the lamp grows to 17 pixels and back while the timer runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return info->IconStatic()->width() == 17; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return info->IconStatic()->width() == 16; }, 5000));

    PollTemperature(-5.0);
    EXPECT_EQ(info->IconId(), wnd::IDI_STATE_NORMAL);
    EXPECT_FALSE(info->IsBlinking());
    EXPECT_EQ(info->IconStatic()->size(), QSize(16, 16));
    EXPECT_EQ(Text(C::IDC_TEMPERATURE), "-5.00");
}

// Example failure: a failed poll keeps the last reading on show, or moves the lamp.
TEST_F(CameraInfoTest, FailedPollsShowDashes)
{
    CDlgCameraInfo* info = Open();
    ASSERT_NE(info, nullptr);
    PollTemperature(55.0);
    ASSERT_EQ(info->TemperatureState(), 3);
    for (const char* name : {"Temperature", "Exposure", "FrameTime"}) {
        RegisterLink reg;
        ASSERT_EQ(GetRegisterLink(window->m_Link, name, reg), 0);
        emu.SetAddressFault(reg.address, {emu::FaultKind::Refuse, 0x15, 0x02});
    }
    window->UpdateTemperature();
    window->UpdateExposure();
    window->UpdateFrameTime();
    Settle();
    EXPECT_EQ(Text(C::IDC_TEMPERATURE), "---------");
    EXPECT_EQ(Text(C::IDC_EXPOSURE), "---------");
    EXPECT_EQ(Text(C::IDC_FPS), "---------");
    EXPECT_EQ(Text(C::IDC_FRAME_TIME), "---------");
    EXPECT_EQ(Text(C::IDC_SIZE), "----x----");
    EXPECT_EQ(info->TemperatureState(), 3) << "no reading leaves the lamp as it was";
}

// Example failure: the catalogue finds no listener for the temperature and the manufacturing
// strings, or their changes disturb what the dialog shows.
TEST_F(CameraInfoTest, IsTheListenerOfTheCameraInformationAndIgnoresIt)
{
    CDlgCameraInfo* info = Open(10);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(window->CameraInfoListener(), static_cast<OrvParamListener*>(info));
    const QString before = Text(C::IDC_TEMPERATURE);
    window->m_Link.SetParamString("MfgName1", "Someone", true);
    Settle();
    EXPECT_EQ(Text(C::IDC_TEMPERATURE), before);
}

// The main window as a reviewer sees it: the dialog at its top, filled from the camera, and
// the buttons in its frame's column below it.
TEST_F(CameraInfoTest, ScreenshotShowsTheDialogFilledFromTheCamera)
{
    CDlgCameraInfo* info = Open();
    ASSERT_NE(info, nullptr);
    for (int slot : {0, 2, 4, 6})
        window->Slot(slot).m_bView = true;
    window->RecalcLayout();
    SetCameraValue("ImageWidth", 1280);
    SetCameraValue("ImageHeight", 1024);
    SetCameraValue("FrameTime", 33333);
    SetCameraValue("Exposure", 10000);
    PollTemperature(36.5);
    window->OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    window->show();
    Settle();

    EXPECT_EQ(Text(C::IDC_TEMPERATURE), "36.50");
    EXPECT_EQ(Text(C::IDC_EXPOSURE).toStdString(), window->m_CameraInfo.exposure);
    EXPECT_EQ(Text(C::IDC_FPS).toStdString(), window->m_CameraInfo.frameRate);
    EXPECT_EQ(Text(C::IDC_FRAME_TIME).toStdString(), window->m_CameraInfo.frameTime);
    EXPECT_EQ(Text(C::IDC_SIZE).toStdString(), window->m_CameraInfo.imageSize);
    EXPECT_EQ(Text(C::IDC_SIZE), "1280x1024");
    EXPECT_EQ(Text(C::IDC_FPS), "30.000");
    EXPECT_EQ(Text(C::IDC_FRAME_TIME), "33.333");
    EXPECT_EQ(Text(C::IDC_EXPOSURE), "10.000");

    const QWidget* frame = wnd::GetDlgItem(info, C::IDC_FRAME);
    const QWidget* button = window->SlotButton(0);
    EXPECT_EQ(info->pos(), QPoint(0, 0));
    EXPECT_EQ(button->x(), frame->x());
    EXPECT_EQ(button->width(), frame->width());
    EXPECT_EQ(button->y(), info->geometry().bottom() + 1);
    EXPECT_EQ(window->width(), info->width());

    const std::string path = SaveShot(window.get(), "main-window-camera-info");
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
    for (const CutText& cut : CutTexts(info))
        ADD_FAILURE() << "cut: " << cut.text << " room " << cut.room << " needed " << cut.needed;
}

}  // namespace
