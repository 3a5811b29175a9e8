// The white balance panel in slot 5 of the main window, over an emulated colour or monochrome
// camera, driven with mouse and key events.
#include "PanelFixture.h"

#include "panels/CDlgWhiteBalance.h"
#include "panels/PanelNames.h"
#include "support/LabelFit.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>

namespace {

using namespace corvel::test;
using Frames = std::vector<std::vector<std::uint8_t>>;
namespace names = panel_names::white_balance;
using C = CDlgWhiteBalance;

constexpr std::uint32_t kColourSensor = 12;

class WhiteBalanceTest : public PanelTest {
protected:
    /// The main window on a camera of `config` whose sensor type is `ccdType`, in white-balance
    /// mode `mode`, identified and rebuilt, with the panel shown; the frame log then holds only
    /// what the test causes.
    CDlgWhiteBalance* Open(std::uint32_t ccdType = kColourSensor, std::uint32_t mode = 3, int config = 4,
                           bool debug = false)
    {
        OpenOnCamera(config);
        SetCameraValue("CCD_Type", ccdType);
        SetCameraValue(names::kWBMode, mode);
        SetCameraValue(names::kWBRed, 300);
        SetCameraValue(names::kWBGreen, 255);
        SetCameraValue(names::kWBBlue, 400);
        window->m_Link.ReadCameraInfo();
        window->m_bDebugMode = debug ? 1 : 0;
        window->SetDefault();
        panel = dynamic_cast<CDlgWhiteBalance*>(ShownPanel(5));
        Settle();
        emu.ClearFrames();
        return panel;
    }

    QComboBox* Mode() const { return qobject_cast<QComboBox*>(panel->GetDlgItem(C::IDC_MODE)); }
    OVNumericControl* Coef(int i) const
    {
        return dynamic_cast<OVNumericControl*>(panel->GetDlgItem(C::kChannels[i].numericId));
    }
    QPushButton* Unity(int i) const { return qobject_cast<QPushButton*>(panel->GetDlgItem(C::kChannels[i].unityId)); }
    QString Current(int i) const
    {
        return qobject_cast<QLabel*>(panel->GetDlgItem(C::kChannels[i].currentId))->text();
    }
    bool CoefficientsEnabled() const
    {
        bool all = true, any = false;
        for (int i = 0; i < 3; ++i) {
            all = all && Coef(i)->isEnabled() && Unity(i)->isEnabled();
            any = any || Coef(i)->isEnabled() || Unity(i)->isEnabled();
        }
        EXPECT_EQ(all, any) << "the six coefficient controls switch together";
        return all;
    }

    CDlgWhiteBalance* panel = nullptr;
};

// Example failure: a pick writes the item's index, a typed coefficient is written twice, or
// Unity skips the write when the coefficient already is 255.
TEST_F(WhiteBalanceTest, EachEditWritesOneRegisterWithItsValue)
{
    ASSERT_NE(Open(), nullptr);
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* name;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"red 512", [&] { TypeInto(Coef(0), "512"); }, names::kWBRed, 512},
        {"blue 100", [&] { TypeInto(Coef(2), "100"); }, names::kWBBlue, 100},
        {"unity on red", [&] { QTest::mouseClick(Unity(0), Qt::LeftButton); }, names::kWBRed, 255},
        {"unity on green, already 255", [&] { QTest::mouseClick(Unity(1), Qt::LeftButton); }, names::kWBGreen, 255},
        {"mode Auto", [&] { PickItem(Mode(), "Auto"); }, names::kWBMode, 2},
        {"mode Manual", [&] { PickItem(Mode(), "Manual"); }, names::kWBMode, 3},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> expected = WriteOf(c.name, c.value);
        emu.ClearFrames();
        c.act();
        Settle();
        EXPECT_EQ(WriteFrames(), Frames{expected}) << c.what;
    }
    EXPECT_EQ(Coef(0)->value, 255);
    EXPECT_EQ(panel->m_nCoef[0], 255);
}

// Example failure: the same coefficient entered again writes it once more.
TEST_F(WhiteBalanceTest, SameCoefficientAgainWritesNothing)
{
    ASSERT_NE(Open(), nullptr);
    TypeInto(Coef(1), "255");
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: the coefficient controls stay active outside the manual mode, a monochrome
// camera gets active controls, or debug mode does not open them all.
TEST_F(WhiteBalanceTest, ControlsFollowTheSensorAndTheMode)
{
    struct Case {
        const char* what;
        std::uint32_t ccdType;
        std::uint32_t mode;
        bool debug;
        bool combo;
        bool coefficients;
    };
    const Case cases[] = {
        {"colour, manual", kColourSensor, 3, false, true, true},
        {"colour, auto", kColourSensor, 2, false, true, false},
        {"colour type 10, off", 10, 0, false, true, false},
        {"monochrome, manual", 0, 3, false, false, false},
        {"monochrome in debug mode", 0, 2, true, true, true},
    };
    for (const Case& c : cases) {
        ASSERT_NE(Open(c.ccdType, c.mode, 4, c.debug), nullptr) << c.what;
        EXPECT_EQ(Mode()->isEnabled(), c.combo) << c.what;
        EXPECT_EQ(CoefficientsEnabled(), c.coefficients) << c.what;
        window.reset();
    }
}

// Example failure: choosing Manual, or a notification of it from another window, leaves the
// coefficients disabled; a notification is written back to the camera.
TEST_F(WhiteBalanceTest, ManualModeByComboOrNotificationEnablesTheCoefficients)
{
    ASSERT_NE(Open(kColourSensor, 2), nullptr);
    EXPECT_FALSE(CoefficientsEnabled());
    PickItem(Mode(), "Manual");
    EXPECT_TRUE(CoefficientsEnabled());

    const std::vector<std::uint8_t> setter = WriteOf(names::kWBMode, 2);
    emu.ClearFrames();
    window->m_Link.SetParamIntIfOnline(names::kWBMode, 2, true, false);
    Settle();
    EXPECT_EQ(Mode()->currentText(), "Auto");
    EXPECT_FALSE(CoefficientsEnabled());
    window->m_Link.SetParamIntIfOnline(names::kWBMode, 3, true, false);
    Settle();
    EXPECT_TRUE(CoefficientsEnabled());

    const std::vector<std::uint8_t> blue = WriteOf(names::kWBBlue, 700);
    emu.ClearFrames();
    window->m_Link.SetParamIntIfOnline(names::kWBBlue, 700, true, false);
    Settle();
    EXPECT_EQ(Coef(2)->value, 700);
    EXPECT_EQ(WriteFrames(), Frames{blue}) << "only the other window's write";
}

// Example failure: a mode change leaves the coefficients the camera set for the new mode
// unshown; in debug mode it reads them anyway.
TEST_F(WhiteBalanceTest, ModeChangeReReadsTheCoefficientsOutsideDebugMode)
{
    for (bool debug : {false, true}) {
        ASSERT_NE(Open(kColourSensor, 3, 4, debug), nullptr);
        SetCameraValue(names::kWBRed, 111);  // the camera's own change, unannounced
        PickItem(Mode(), "Auto");
        EXPECT_EQ(Coef(0)->value, debug ? 300 : 111) << "debug " << debug;
        EXPECT_EQ(WriteFrames().size(), 1u) << "debug " << debug;
        window.reset();
    }
}

// Example failure: the camera refuses (or does not answer) a mode change; the panel re-reads
// the mode but leaves the list on the refused item, so it shows "Auto" with the manual
// coefficients enabled, or "Manual" with them disabled.
TEST_F(WhiteBalanceTest, ARefusedModeChangeLeavesTheListAndTheEnablingOnTheCameraMode)
{
    struct Row {
        const char* what;
        std::uint32_t mode;   ///< the camera's
        const char* picked;
        emu::FaultKind fault;
        const char* shown;
        bool coefficients;
    };
    const Row rows[] = {
        {"Auto refused", 3, "Auto", emu::FaultKind::Refuse, "Manual", true},
        {"Manual refused", 2, "Manual", emu::FaultKind::Refuse, "Auto", false},
        {"Auto unanswered", 3, "Auto", emu::FaultKind::Silence, "Manual", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        window.reset();
        ASSERT_NE(Open(kColourSensor, row.mode), nullptr);
        emu::Fault fault;
        fault.kind = row.fault;
        emu.SetAddressFault(Reg(names::kWBMode).address, fault);
        PickItem(Mode(), row.picked);
        // The list and the enabling follow the camera at once, and stay there.
        EXPECT_EQ(Mode()->currentText(), row.shown);
        EXPECT_EQ(CoefficientsEnabled(), row.coefficients);
        emu.SetAddressFault(Reg(names::kWBMode).address, emu::Fault{});
        Settle();
        EXPECT_EQ(Field(names::kWBMode), row.mode);
        EXPECT_EQ(Mode()->currentText(), row.shown);
        EXPECT_EQ(CoefficientsEnabled(), row.coefficients);
    }
}

// Example failure: the poll refreshes the read-outs of a monochrome camera, or never refreshes
// them for a colour one.
TEST_F(WhiteBalanceTest, PollShowsTheAppliedCoefficientsOfAColourCamera)
{
    for (std::uint32_t ccdType : {kColourSensor, 0u}) {
        ASSERT_NE(Open(ccdType), nullptr);
        const QString before = Current(2);
        SetCameraValue(names::kWBCBlue, 1234);
        window->Slot(5).m_bView = true;
        window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        Settle();
        EXPECT_EQ(Current(2), ccdType ? QStringLiteral("=1234") : before) << ccdType;
        EXPECT_TRUE(WriteFrames().empty());
        window.reset();
    }
}

// The panel as a reviewer sees it: nothing cut off.
TEST_F(WhiteBalanceTest, ScreenshotShowsEveryLabelWhole)
{
    ASSERT_NE(Open(), nullptr);
    const std::string path = SaveShot(panel, "white-balance-config4");
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
    for (const CutText& cut : CutTexts(panel))
        ADD_FAILURE() << "cut: " << cut.text << " room " << cut.room << " needed " << cut.needed;
}

}  // namespace
