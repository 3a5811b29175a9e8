// The temperature panel in slot 6 of the main window, over the emulated camera, driven with
// mouse and key events.
#include "PanelFixture.h"

#include "controls/CUpDownCtrl.h"
#include "panels/CDlgTempControl.h"
#include "panels/PanelNames.h"
#include "support/LabelFit.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>

namespace {

using namespace corvel::test;
using Frames = std::vector<std::vector<std::uint8_t>>;
namespace names = panel_names::temperature;
using C = CDlgTempControl;

class TempPanelTest : public PanelTest {
protected:
    /// The main window on a camera of `config` with the temperature panel shown; the frame log
    /// then holds only what the test causes.
    CDlgTempControl* Open(int config = 4)
    {
        OpenOnCamera(config);
        panel = dynamic_cast<CDlgTempControl*>(ShownPanel(6));
        Settle();
        emu.ClearFrames();
        return panel;
    }

    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(panel->GetDlgItem(id)); }
    OVNumericControl* Numeric(int id) const { return dynamic_cast<OVNumericControl*>(panel->GetDlgItem(id)); }
    QString Text(int id) const { return qobject_cast<QLabel*>(panel->GetDlgItem(id))->text(); }

    CDlgTempControl* panel = nullptr;
};

// Example failure: a pick writes the item's index instead of its value, a level is written on
// every spin step, or an edit writes a second time through the panel's own listener.
TEST_F(TempPanelTest, EachEditWritesOneRegisterWithItsValue)
{
    ASSERT_NE(Open(), nullptr);
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* name;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"fan mode Auto", [&] { PickItem(Combo(C::IDC_FAN_MODE), "Auto"); }, names::kFanMode, 2},
        {"fan mode On", [&] { PickItem(Combo(C::IDC_FAN_MODE), "On"); }, names::kFanMode, 1},
        {"TEC mode Auto", [&] { PickItem(Combo(C::IDC_TEC_MODE), "Auto"); }, names::kTecMode, 2},
        {"fan on 40", [&] { TypeInto(Numeric(C::IDC_FAN_ON_LEVEL), "40"); }, names::kFanOnLevel, 40},
        {"TEC target 25", [&] { TypeInto(Numeric(C::IDC_TEC_ON_LEVEL), "25"); }, names::kTecOnLevel, 25},
        {"fan on above the map's 85 is held there", [&] { TypeInto(Numeric(C::IDC_FAN_ON_LEVEL), "99"); },
         names::kFanOnLevel, 85},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> expected = WriteOf(c.name, c.value);
        emu.ClearFrames();
        c.act();
        EXPECT_EQ(WriteFrames(), Frames{expected}) << c.what;
    }
}

// Example failure: the same level entered again, or a spin held and released, writes more than
// the one completed change.
TEST_F(TempPanelTest, SameLevelAgainWritesNothingAndASpinWritesOnRelease)
{
    ASSERT_NE(Open(), nullptr);
    OVNumericControl* level = Numeric(C::IDC_FAN_ON_LEVEL);
    TypeInto(level, "30");
    emu.ClearFrames();
    TypeInto(level, "30");
    EXPECT_TRUE(WriteFrames().empty());

    CUpDownCtrl* spin = level->spin;
    const std::vector<std::uint8_t> expected = WriteOf(names::kFanOnLevel, 31);
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, QPoint(spin->width() / 2, 2));
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, QPoint(spin->width() / 2, 2));
    Settle();
    EXPECT_EQ(WriteFrames(), Frames{expected});
    EXPECT_EQ(panel->m_nFanOnLevel, 31);
}

// Example failure: a change made elsewhere leaves the control behind, or the panel echoes it
// back to the camera; a value the map lists no item for is shown as another value's item.
TEST_F(TempPanelTest, ChangesMadeElsewhereMoveTheControlsAndWriteNothing)
{
    ASSERT_NE(Open(), nullptr);
    struct Case {
        const char* name;
        std::uint32_t value;
        std::function<bool()> shown;
    };
    const Case cases[] = {
        {names::kFanMode, 2, [&] { return Combo(C::IDC_FAN_MODE)->currentText() == "Auto"; }},
        {names::kFanMode, 3, [&] { return Combo(C::IDC_FAN_MODE)->currentIndex() == -1; }},
        {names::kTecMode, 1, [&] { return Combo(C::IDC_TEC_MODE)->currentText() == "On"; }},
        {names::kFanOnLevel, 45, [&] { return Numeric(C::IDC_FAN_ON_LEVEL)->value == 45; }},
        {names::kTecOnLevel, 12, [&] { return Numeric(C::IDC_TEC_ON_LEVEL)->value == 12; }},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> setter = WriteOf(c.name, c.value);
        emu.ClearFrames();
        window->m_Link.SetParamIntIfOnline(c.name, c.value, true, false);
        Settle();
        EXPECT_TRUE(c.shown()) << c.name << " " << c.value;
        EXPECT_EQ(WriteFrames(), Frames{setter}) << c.name << ": only the other window's write";
    }
}

// Example failure: a camera without cooler settings shows an empty TEC group, or the panel
// keeps its full height; a second rebuild changes the collapsed layout.
TEST_F(TempPanelTest, CameraWithoutTecGetsTheFanGroupOnly)
{
    ASSERT_NE(Open(5), nullptr);
    const QRect fanBox = panel->GetDlgItem(C::IDC_FAN_GROUP)->geometry();
    for (int round = 0; round < 2; ++round) {
        for (int id : {C::IDC_TEC_GROUP, C::IDC_TEC_MODE, C::IDC_TEC_ON_LEVEL, C::IDC_CCD_TEMP, C::IDC_CCD_TEMP_LABEL,
                       C::IDC_TEC_MODE_LABEL, C::IDC_TEC_LEVEL_LABEL, C::IDC_CCD_TEMP_UNIT})
            EXPECT_TRUE(panel->GetDlgItem(id)->isHidden()) << id << " round " << round;
        EXPECT_FALSE(panel->GetDlgItem(C::IDC_FAN_MODE)->isHidden());
        EXPECT_EQ(panel->height(), fanBox.bottom() + 1 + 8) << "round " << round;
        window->SetDefault();
        Settle();
    }
    EXPECT_TRUE(WriteFrames().empty()) << "a refresh writes nothing";
}

// Example failure: on a camera whose map has neither FanMode nor FanOnLevel, "FAN Mode" stands
// as a bare caption and "FAN On Temp" is an enabled edit that does nothing; the controls of a
// map that has them stay hidden after such a camera.
TEST_F(TempPanelTest, ControlsOfParametersTheMapLacksHideWithTheirCaptions)
{
    struct Row {
        int config;
        bool fan;  ///< the map has FanMode and FanOnLevel
    };
    for (const Row& row : {Row{7, false}, Row{4, true}}) {
        SCOPED_TRACE(row.config);
        window.reset();
        ASSERT_NE(Open(row.config), nullptr);
        _OrvStParam record{};
        ASSERT_EQ(panel->m_pStorage->GetParamData(names::kFanMode, &record) == 0, row.fan);
        for (int id : {C::IDC_FAN_MODE, C::IDC_FAN_MODE_LABEL, C::IDC_FAN_ON_LEVEL, C::IDC_FAN_LEVEL_LABEL})
            EXPECT_EQ(panel->GetDlgItem(id)->isVisibleTo(panel), row.fan) << id;
        EXPECT_EQ(Text(C::IDC_FAN_MODE_LABEL), "FAN Mode");
        EXPECT_EQ(Text(C::IDC_FAN_LEVEL_LABEL), "FAN On Temp");
        ExpectNoControlOverAnother(panel);
    }
    // The same panel rebuilt for a map without them, then with them again.
    RebuildCatalogueWithout({names::kFanMode, names::kFanOnLevel}, CatalogueOf(4));
    panel->RefreshFromStorage();
    Settle();
    EXPECT_FALSE(panel->GetDlgItem(C::IDC_FAN_ON_LEVEL)->isVisibleTo(panel));
    EXPECT_FALSE(panel->GetDlgItem(C::IDC_FAN_LEVEL_LABEL)->isVisibleTo(panel));
    EXPECT_FALSE(panel->GetDlgItem(C::IDC_FAN_MODE_LABEL)->isVisibleTo(panel));
    RebuildCatalogueWithout({}, CatalogueOf(4));
    panel->RefreshFromStorage();
    Settle();
    EXPECT_TRUE(panel->GetDlgItem(C::IDC_FAN_ON_LEVEL)->isVisibleTo(panel));
    EXPECT_TRUE(panel->GetDlgItem(C::IDC_FAN_MODE_LABEL)->isVisibleTo(panel));
}

// Example failure: configurations 5 and 11 list no text for FanMode 0, and the combo shows "On"
// for a camera whose fan mode is 0.
TEST_F(TempPanelTest, AFanModeWithoutAnItemShowsNoItem)
{
    for (int config : {5, 11}) {
        SCOPED_TRACE(config);
        window.reset();
        OpenOnCamera(config);
        SetCameraValue(names::kFanMode, 0);
        window->SetDefault();
        panel = dynamic_cast<CDlgTempControl*>(ShownPanel(6));
        ASSERT_NE(panel, nullptr);
        Settle();
        QComboBox* combo = Combo(C::IDC_FAN_MODE);
        ASSERT_EQ(combo->findData(0), -1) << "the map lists no item for 0";
        EXPECT_EQ(combo->currentIndex(), -1);
        EXPECT_EQ(combo->currentText(), "");
        // A pick from there writes the item picked.
        emu.ClearFrames();
        PickItem(combo, "Auto");
        EXPECT_EQ(WriteFrames(), Frames{WriteOf(names::kFanMode, 2)});
    }
}

// Example failure: the poll leaves the panel's temperature at its placeholder, shows a raw
// word, or keeps an old reading when the read fails.
TEST_F(TempPanelTest, PollWritesTheCameraTemperature)
{
    ASSERT_NE(Open(), nullptr);
    struct Case {
        std::uint32_t raw;
        const char* shown;
    };
    for (const Case& c : {Case{140, "35.00"}, Case{1023, "-0.25"}, Case{512, "-128.00"}, Case{201, "50.25"}}) {
        SetCameraValue("Temperature", c.raw);
        window->OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
        Settle();
        EXPECT_EQ(Text(C::IDC_CAMERA_TEMP), c.shown) << c.raw;
        EXPECT_EQ(Text(C::IDC_CCD_TEMP), "---------");
    }
}

// The panel as a reviewer sees it: nothing cut off.
TEST_F(TempPanelTest, ScreenshotShowsEveryLabelWhole)
{
    ASSERT_NE(Open(), nullptr);
    SetCameraValue("Temperature", 142);
    window->OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    Settle();
    const std::string path = SaveShot(panel, "temperature-config4");
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
    for (const CutText& cut : CutTexts(panel))
        ADD_FAILURE() << "cut: " << cut.text << " room " << cut.room << " needed " << cut.needed;
}

}  // namespace
