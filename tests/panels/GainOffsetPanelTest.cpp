// The gain and offset panel in slot 0 of the main window over the emulated camera, driven as
// the operator drives it: typing into the numeric controls, clicking the spins and the Link
// boxes, picking from the tap-balance list. The camera's frame log shows what reached it.
#include "PanelFixture.h"

#include "controls/MouseDrive.h"

#include "camera/RegisterLink.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "controls/CUpDownCtrl.h"
#include "controls/DlgItem.h"
#include "controls/OVEdit.h"
#include "controls/OVButton.h"
#include "controls/OVNumericControl.h"
#include "controls/OVSlider.h"
#include "orvmisc/OrvParam.h"
#include "panels/CDlgGainOffset.h"
#include "panels/LimitsScaleLogic.h"
#include "panels/PanelNames.h"
#include "resources/BuiltinResources.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include <regex>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
namespace names = panel_names::gain_offset;
using Frames = std::vector<std::vector<std::uint8_t>>;

class GainOffsetPanel : public PanelTest {
protected:
    /// The main window on a camera of `config` that allows and runs four taps, and its panel
    /// shown.
    CDlgGainOffset* Open(int config = 4)
    {
        OpenOnCamera(config);
        SetCameraValue("TapsAllowed", 2);
        SetCameraValue(names::kActiveTaps, 2);
        Rebuild();
        panel = dynamic_cast<CDlgGainOffset*>(ShownPanel(0));
        EXPECT_NE(panel, nullptr) << "slot 0 holds no gain and offset panel";
        if (panel) {
            panel->activateWindow();
            QApplication::processEvents();
        }
        return panel;
    }

    /// A rebuild for the camera's current registers (the main window's SetDefault), then an
    /// empty frame log.
    void Rebuild()
    {
        window->SetDefault();
        Settle();
        emu.ClearFrames();
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    OVNumericControl* Numeric(int id) const { return static_cast<OVNumericControl*>(panel->GetDlgItem(id)); }
    OVNumericControl* Gain(int tap) const { return Numeric(CDlgGainOffset::kTapIds[tap].gain); }
    OVNumericControl* Offset(int tap) const { return Numeric(CDlgGainOffset::kTapIds[tap].offset); }
    QComboBox* TapBalance() const { return static_cast<QComboBox*>(panel->GetDlgItem(CDlgGainOffset::IDC_TB_MODE)); }
    QCheckBox* Check(int id) const { return static_cast<QCheckBox*>(panel->GetDlgItem(id)); }

    /// Types text into the control's edit and presses Enter.
    void Type(OVNumericControl* control, const char* text)
    {
        control->edit->setFocus();
        control->edit->clear();
        QTest::keyClicks(control->edit, text);
        QTest::keyClick(control->edit, Qt::Key_Return);
        Settle();
    }

    /// Clicks into the control's edit and tabs away without typing.
    void PassOver(OVNumericControl* control)
    {
        QTest::mouseClick(control->edit, Qt::LeftButton, Qt::NoModifier, QPoint(4, control->edit->height() / 2));
        control->edit->setFocus();
        Settle();
        QTest::keyClick(control->edit, Qt::Key_Tab);
        Settle();
    }

    void Click(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
        Settle();
    }

    /// The control shows the step the camera holds (what a refresh from the camera shows), not
    /// the value typed between two steps.
    void ExpectShownAsRefreshed(OVNumericControl* control)
    {
        const QString shown = control->edit->text();
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(control->edit->text().toStdString(), shown.toStdString());
    }



    CDlgGainOffset* panel = nullptr;
};

// ---- the operator's edits reach one register each ----

class GainOffsetEdits : public GainOffsetPanel, public testing::WithParamInterface<int> {};

// Example failure: a typed value is written through the wrong line (4.0 as 4096, -512 as 1),
// written twice, or written to the wrong tap's register.
TEST_P(GainOffsetEdits, TypedValueWritesOneCodedRegister)
{
    ASSERT_TRUE(Open(GetParam()));
    Click(Check(CDlgGainOffset::IDC_LINK_GAIN));
    Click(Check(CDlgGainOffset::IDC_LINK_OFFSET));
    ASSERT_FALSE(Check(CDlgGainOffset::IDC_LINK_GAIN)->isChecked());
    EXPECT_TRUE(WriteFrames().empty()) << "the Link boxes write nothing";

    const limits_scale::LimitsScale analogGain = ScaleOf(names::kAnalogGainLimits, "Gain1A");
    struct Row {
        OVNumericControl* control;
        const char* text;
        const char* name;
        std::int64_t raw;
    };
    const Row rows[] = {
        {Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN), "2", names::kDigitalGain, 2048},
        {Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN), "4", names::kDigitalGain, 4095},
        {Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN), "1", names::kDigitalGain, 1024},
        {Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET), "0", names::kDigitalOffset, 512},
        {Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET), "-512", names::kDigitalOffset, 0},
        {Gain(0), "12", "Gain1A", limits_scale::RawFromShown(analogGain, 12.0)},
        {Gain(1), "6", "Gain1B", limits_scale::RawFromShown(analogGain, 6.0)},
        {Gain(1), "8.88", "Gain1B", limits_scale::RawFromShown(analogGain, 8.88)},
        {Offset(0), "100", "Offs1A", 100},
        {Offset(3), "4000", "Offs1D", 4000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " := " + row.text);
        emu.ClearFrames();
        Type(row.control, row.text);
        EXPECT_EQ(WriteFrames(), Frames{WriteIn(row.name, row.raw)});
        EXPECT_EQ(Field(row.name), row.raw);
        ExpectShownAsRefreshed(row.control);
    }
    // Typing the value that is there already rounds to the same word: nothing is written.
    emu.ClearFrames();
    Type(Gain(0), "12.01");
    EXPECT_TRUE(WriteFrames().empty());
    ExpectShownAsRefreshed(Gain(0));
}

INSTANTIATE_TEST_SUITE_P(Configurations, GainOffsetEdits, testing::Values(4, 5, 8),
                         [](const auto& info) { return "Config" + std::to_string(info.param); });

// Example failure: a spin click writes on every step (the control reports live changes) or
// not at all.
TEST_F(GainOffsetPanel, SpinClickWritesOnceAtTheEndOfTheAction)
{
    ASSERT_TRUE(Open());
    Type(Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN), "2");
    emu.ClearFrames();
    CUpDownCtrl* spin = Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN)->spin;
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, QPoint(spin->width() / 2, 2));
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, QPoint(spin->width() / 2, 2));
    Settle();
    const Frames writes = WriteFrames();
    ASSERT_EQ(writes.size(), 1u);
    const std::int64_t raw = Field(names::kDigitalGain);
    EXPECT_EQ(writes[0], WriteIn(names::kDigitalGain, raw));
    EXPECT_EQ(std::abs(raw - 2048), 1) << "one spin step of the 3071 is one raw unit";
}

// Example failure: the pop-up slider opens under the control instead of beside it, keeps the
// debug width outside debug mode, or a drag writes while it moves and again on release.
TEST_F(GainOffsetPanel, PopupSliderDragWritesOnceOnRelease)
{
    ASSERT_TRUE(Open());
    OVNumericControl* gain = Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN);
    const QRect control = gain->geometry();
    EXPECT_EQ(gain->popupRect, QRect(control.right() + 1, control.top(), 38, 5 * control.height()));
    QTest::mouseClick(gain->button, Qt::LeftButton, Qt::NoModifier, QPoint(8, gain->button->height() / 2));
    Settle();
    OVSlider* popup = gain->slider;
    ASSERT_TRUE(popup && popup->isVisible());
    EXPECT_EQ(popup->width(), 38);
    Drag(popup, popup->ThumbRect().center(), QPoint(popup->width() / 2, -40));
    Settle();
    EXPECT_EQ(WriteFrames(), Frames{WriteIn(names::kDigitalGain, 4095)}) << "the top of the travel is 4.000";
    EXPECT_EQ(gain->value, 4.0);
    popup->OnKillFocus();
    Settle();

    panel->SetDebugMode(true);
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN)->popupRect.width(), 76);
    EXPECT_EQ(Gain(3)->popupRect.width(), 76);
}

// Example failure: "Once" is written alone, so a camera whose register already holds 2 never
// balances again; or debug mode still writes the 0.
TEST_F(GainOffsetPanel, TapBalanceOnceGoesThroughZero)
{
    ASSERT_TRUE(Open());
    PickItem(TapBalance(), "Static");
    EXPECT_EQ(WriteFrames(), Frames{WriteIn(names::kTBMode, 3)});
    emu.ClearFrames();
    PickItem(TapBalance(), "Once");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn(names::kTBMode, 0), WriteIn(names::kTBMode, 2)}));
    PickItem(TapBalance(), "Off");
    panel->SetDebugMode(true);
    emu.ClearFrames();
    PickItem(TapBalance(), "Once");
    EXPECT_EQ(WriteFrames(), Frames{WriteIn(names::kTBMode, 2)});
}

// Example failure: linked taps are written out of order, one of them twice, the panel hears
// its own writes and moves the taps again, or a clamped tap is written past its range.
TEST_F(GainOffsetPanel, LinkedGainMovesEveryTapInUseInOrder)
{
    ASSERT_TRUE(Open());
    window->m_Link.m_nTapsAllowed = 4;
    panel->RefreshFromStorage();
    Settle();
    ASSERT_TRUE(Check(CDlgGainOffset::IDC_LINK_GAIN)->isChecked()) << "Link Gain starts checked";
    const limits_scale::LimitsScale scale = ScaleOf(names::kAnalogGainLimits, "Gain1A");
    // Start from raw 0, 100, 200, 300 with Link off, then link them.
    Click(Check(CDlgGainOffset::IDC_LINK_GAIN));
    for (int tap = 0; tap < 4; ++tap)
        Type(Gain(tap), QByteArray::number(limits_scale::ShownFromRaw(scale, 100 * tap), 'f', 6).constData());
    for (int tap = 0; tap < 4; ++tap)
        ASSERT_EQ(Field(names::kTaps[tap].gain), 100 * tap);
    Click(Check(CDlgGainOffset::IDC_LINK_GAIN));
    emu.ClearFrames();

    // Tap #2 raised by 10 raw units: every tap rises by 10, written #1 to #4.
    Type(Gain(1), QByteArray::number(limits_scale::ShownFromRaw(scale, 110), 'f', 6).constData());
    Frames expected;
    for (int tap = 0; tap < 4; ++tap)
        expected.push_back(WriteIn(names::kTaps[tap].gain, 100 * tap + 10));
    EXPECT_EQ(WriteFrames(), expected);

    // Lowered by 50: tap #1 stops at the bottom of its range, the others move on.
    emu.ClearFrames();
    Type(Gain(3), QByteArray::number(limits_scale::ShownFromRaw(scale, 260), 'f', 6).constData());
    expected = {WriteIn("Gain1A", 0), WriteIn("Gain1B", 60), WriteIn("Gain1C", 160), WriteIn("Gain1D", 260)};
    EXPECT_EQ(WriteFrames(), expected);
    EXPECT_EQ(Gain(0)->value, limits_scale::ShownFromRaw(scale, 0));
}

// ---- changes made elsewhere ----

// Example failure: the panel writes back what it hears, or does not move its control.
TEST_F(GainOffsetPanel, ChangeElsewhereMovesTheControlAndWritesNothing)
{
    ASSERT_TRUE(Open());
    Click(Check(CDlgGainOffset::IDC_LINK_GAIN));
    Click(Check(CDlgGainOffset::IDC_LINK_OFFSET));
    const limits_scale::LimitsScale analogGain = ScaleOf(names::kAnalogGainLimits, "Gain1A");
    struct Row {
        const char* name;
        std::int64_t raw;
        OVNumericControl* control;
        double shown;
    };
    const Row rows[] = {
        {names::kDigitalGain, 2048, Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN), 2048.0 * 3 / 3071 + 1 - 1024.0 * 3 / 3071},
        {names::kDigitalOffset, 0, Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET), -512},
        {"Gain1B", 200, Gain(1), limits_scale::ShownFromRaw(analogGain, 200)},
        {"Offs1A", 77, Offset(0), 77},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu.ClearFrames();
        SetElsewhere(row.name, row.raw);
        EXPECT_EQ(WriteFrames(), Frames{WriteIn(row.name, row.raw)}) << "only the other writer's frame";
        EXPECT_NEAR(row.control->value, row.shown, 1e-9);
    }

    emu.ClearFrames();
    SetElsewhere(names::kTBMode, 3);
    EXPECT_EQ(TapBalance()->currentText(), "Static");
    EXPECT_EQ(WriteFrames(), Frames{WriteIn(names::kTBMode, 3)});
}

// Example failure (kept from the camera's design): a linked tap changed elsewhere leaves the
// other taps behind. This is the one change heard that the panel writes on.
TEST_F(GainOffsetPanel, LinkedTapChangedElsewhereTakesTheOthersAlong)
{
    ASSERT_TRUE(Open());
    window->m_Link.m_nTapsAllowed = 2;
    panel->RefreshFromStorage();
    Settle();
    emu.ClearFrames();
    const std::int64_t before = Field("Gain1A");
    SetElsewhere("Gain1B", Field("Gain1B") + 5);
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("Gain1B", Field("Gain1B")), WriteIn("Gain1A", before + 5),
                                     WriteIn("Gain1B", Field("Gain1B"))}));
    EXPECT_EQ(Field("Gain1A"), before + 5);
}

// ---- a linked edit writes only what the operator can edit ----

// Example failure: with one of four taps active the Link boxes are greyed but stay ticked, and
// an edit of tap #1 writes taps #2 to #4 too: registers the operator cannot see as editable.
// With two active, taps #3 and #4 are written.
TEST_F(GainOffsetPanel, LinkedEditWritesOnlyTheActiveTaps)
{
    struct Row {
        std::uint32_t activeCode;  ///< ActiveTaps: 0 one tap, 1 two
        bool gain;
        int written;               ///< taps written, from #1
    };
    const Row rows[] = {{0, true, 1}, {0, false, 1}, {1, true, 2}, {1, false, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.activeCode) + (row.gain ? " gain" : " offset"));
        window.reset();
        ASSERT_TRUE(Open());
        SetCameraValue(names::kActiveTaps, row.activeCode);
        Rebuild();
        ASSERT_EQ(window->m_Link.m_nTapsAllowed, 4);
        const int link = row.gain ? CDlgGainOffset::IDC_LINK_GAIN : CDlgGainOffset::IDC_LINK_OFFSET;
        ASSERT_TRUE(Check(link)->isChecked());
        EXPECT_EQ(Check(link)->isEnabled(), row.written > 1);

        const limits_scale::LimitsScale scale = ScaleOf(names::kAnalogGainLimits, "Gain1A");
        auto name = [&row](int tap) { return row.gain ? names::kTaps[tap].gain : names::kTaps[tap].offset; };
        std::vector<std::int64_t> before;
        for (int tap = 0; tap < 4; ++tap)
            before.push_back(Field(name(tap)));
        const std::int64_t target = before[0] + 12;
        Type(row.gain ? Gain(0) : Offset(0),
             row.gain ? QByteArray::number(limits_scale::ShownFromRaw(scale, target), 'f', 6).constData()
                      : QByteArray::number(static_cast<qlonglong>(target)).constData());
        Frames expected;
        for (int tap = 0; tap < row.written; ++tap)
            expected.push_back(WriteIn(name(tap), before[static_cast<std::size_t>(tap)] + 12));
        EXPECT_EQ(WriteFrames(), expected);
        for (int tap = row.written; tap < 4; ++tap)
            EXPECT_EQ(Field(name(tap)), before[static_cast<std::size_t>(tap)]) << tap;

        // Tap #1 changed elsewhere takes no inactive tap along.
        emu.ClearFrames();
        SetElsewhere(name(0), target + 5);
        if (row.written == 1) {
            EXPECT_EQ(WriteFrames(), Frames{WriteIn(name(0), target + 5)});
        }
        EXPECT_EQ(Field(name(3)), before[3]);
    }
}

// ---- taps in use, enabling ----

struct TapsRow {
    int allowed;
    int shown;
    int linkUnder;  ///< the tap whose gain control the Link box stands under
};

class GainOffsetTaps : public GainOffsetPanel, public testing::WithParamInterface<TapsRow> {};

// Example failure: rows beyond the allowed taps stay visible, the Link boxes stay at the
// bottom of a shrunken box, or the panel keeps its full height.
TEST_P(GainOffsetTaps, PanelShrinksToTheTapsInUse)
{
    ASSERT_TRUE(Open());
    const TapsRow row = GetParam();
    window->m_Link.m_nTapsAllowed = row.allowed;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "first refresh" : "second refresh");
        panel->RefreshFromStorage();
        Settle();
        for (int tap = 0; tap < CDlgGainOffset::kTaps; ++tap) {
            EXPECT_EQ(Gain(tap)->isVisible(), tap < row.shown) << tap;
            EXPECT_EQ(panel->GetDlgItem(CDlgGainOffset::kTapIds[tap].offsetLabel)->isVisible(), tap < row.shown);
        }
        QWidget* link = Check(CDlgGainOffset::IDC_LINK_GAIN);
        const QRect under = Gain(row.linkUnder)->geometry();
        EXPECT_EQ(link->x(), under.x());
        EXPECT_EQ(link->y(), under.bottom() + 1 + 8);
        const QRect analog = panel->GetDlgItem(CDlgGainOffset::IDC_ANALOG_BOX)->geometry();
        EXPECT_EQ(panel->GetDlgItem(CDlgGainOffset::IDC_GAIN_BOX)->geometry().bottom(), link->geometry().bottom() + 8);
        EXPECT_EQ(analog.bottom(), panel->GetDlgItem(CDlgGainOffset::IDC_OFFSET_BOX)->geometry().bottom() + 8);
        EXPECT_EQ(panel->height(), analog.bottom() + 1 + 8);
    }
    EXPECT_TRUE(WriteFrames().empty()) << "a refresh reads only";
}

INSTANTIATE_TEST_SUITE_P(Rows, GainOffsetTaps,
                         testing::Values(TapsRow{1, 1, 0}, TapsRow{2, 2, 0}, TapsRow{4, 4, 2}, TapsRow{7, 7, 6},
                                         TapsRow{16, 16, 14}, TapsRow{20, 16, 14}),
                         [](const auto& info) { return "Allowed" + std::to_string(info.param.allowed); });

// Example failure: AGC leaves the taps editable (the camera then fights the operator), or a
// tap-balance change while AGC runs unlocks them again.
TEST_F(GainOffsetPanel, EnablingFollowsAgcTapBalanceAndActiveTaps)
{
    ASSERT_TRUE(Open());
    window->m_Link.m_nTapsAllowed = 4;
    SetCameraValue(names::kActiveTaps, 2);  // 4 taps active
    Rebuild();
    window->m_Link.m_nTapsAllowed = 4;
    panel->RefreshFromStorage();
    Settle();
    auto enabledTaps = [this] {
        std::vector<bool> on;
        for (int tap = 0; tap < 4; ++tap) {
            EXPECT_EQ(Gain(tap)->isEnabled(), Offset(tap)->isEnabled()) << tap;
            on.push_back(Gain(tap)->isEnabled());
        }
        return on;
    };
    QWidget* linkGain = Check(CDlgGainOffset::IDC_LINK_GAIN);
    EXPECT_EQ(enabledTaps(), (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(linkGain->isEnabled());
    EXPECT_TRUE(TapBalance()->isEnabled());

    PickItem(TapBalance(), "Auto");
    EXPECT_EQ(enabledTaps(), (std::vector<bool>{true, false, false, false}));
    EXPECT_FALSE(linkGain->isEnabled());

    PickItem(TapBalance(), "Off");
    SetElsewhere(names::kAGCEnable, 1);
    EXPECT_EQ(enabledTaps(), (std::vector<bool>{false, false, false, false}));
    EXPECT_FALSE(linkGain->isEnabled());
    EXPECT_TRUE(Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN)->isEnabled());
    EXPECT_TRUE(Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET)->isEnabled());

    // Fault fixed: a tap-balance or tap-count change while AGC runs keeps the taps locked.
    SetElsewhere(names::kTBMode, 3);
    SetElsewhere(names::kTBMode, 0);
    SetElsewhere(names::kTapsMode, 2);
    EXPECT_EQ(enabledTaps(), (std::vector<bool>{false, false, false, false}));

    SetElsewhere(names::kAGCEnable, 0);
    EXPECT_EQ(enabledTaps(), (std::vector<bool>{true, true, true, true}));

    // Debug mode: everything editable, AGC or not.
    SetElsewhere(names::kAGCEnable, 1);
    panel->SetDebugMode(true);
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(enabledTaps(), (std::vector<bool>{true, true, true, true}));
}

// ---- faults mended ----

// Example failure: the camera holds a digital gain below the map's range (its default 0x3FF);
// the control shows the clamped 1.000 and a mere pass through the field writes 0x400, a value
// the operator never chose.
TEST_F(GainOffsetPanel, PassingOverAClampedValueWritesNothing)
{
    ASSERT_TRUE(Open());
    SetCameraValue(names::kDigitalGain, 0x3FF);
    Rebuild();
    PassOver(Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN));
    PassOver(Gain(0));
    EXPECT_TRUE(WriteFrames().empty());
    EXPECT_EQ(Field(names::kDigitalGain), 0x3FF);
    // A real edit still writes.
    Type(Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN), "2");
    EXPECT_EQ(WriteFrames(), Frames{WriteIn(names::kDigitalGain, 2048)});
}

/// The default configuration's map without the elements named.
RegisterMapPtr MapWithout(const std::vector<std::string>& elements)
{
    const BuiltinResource* resource = FindBuiltinResource(ConfigurationRowFor(4).builtinMapId);
    std::string text(reinterpret_cast<const char*>(resource->data), resource->size);
    for (const std::string& name : elements) {
        const std::regex element("<" + name + "[ >][\\s\\S]*?</" + name + ">");
        text = std::regex_replace(text, element, "");
    }
    return RegisterMap::LoadBuffer(text.data(), text.size(), "test");
}

// Example failures: without TBMode the combo stays, empty; an absent limits parameter divides
// by zero (the controls show NaN) or takes the limits read before it, and an edit then writes a
// garbage word.
TEST_F(GainOffsetPanel, AbsentParametersHideTheComboAndShowRawWords)
{
    ASSERT_TRUE(Open());
    const RegisterMapPtr reduced = MapWithout({names::kTBMode, names::kAnalogGainLimits, names::kDigitalOffsetLimits});
    ASSERT_TRUE(reduced);
    ASSERT_TRUE(BuildCatalogZorvatMachineVision(window->m_Link, reduced, false).built);
    panel->SetXmlNode(reduced);
    SetCameraValue("Gain1A", 123);
    SetCameraValue(names::kDigitalOffset, 700);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "first refresh" : "second refresh");
        panel->RefreshFromStorage();
        Settle();
        EXPECT_TRUE(TapBalance()->isHidden());
        // Raw words over the raw range, bounds reversed as for scaled values.
        EXPECT_EQ(Gain(0)->value, 123);
        EXPECT_EQ(Gain(0)->minValue, 0x2AA);
        EXPECT_EQ(Gain(0)->maxValue, 0);
        EXPECT_EQ(Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET)->value, 700);
        // The others keep their scales.
        EXPECT_EQ(Numeric(CDlgGainOffset::IDC_DIGITAL_GAIN)->minValue, 4.0);
        EXPECT_EQ(Offset(0)->minValue, 4095.0);
    }
    emu.ClearFrames();
    Click(Check(CDlgGainOffset::IDC_LINK_GAIN));
    Type(Gain(0), "300");
    Type(Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET), "5");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("Gain1A", 300), WriteIn(names::kDigitalOffset, 5)}));
}

// Example failure (dangling scale): taps hidden after a refresh with fewer taps keep a scale
// that the refresh deleted; showing or destroying the panel then reads freed memory (the
// address sanitizer reports it).
TEST_F(GainOffsetPanel, FewerTapsAfterARefreshLeaveNoDanglingScale)
{
    ASSERT_TRUE(Open());
    window->m_Link.m_nTapsAllowed = 16;
    panel->RefreshFromStorage();
    window->m_Link.m_nTapsAllowed = 2;
    panel->RefreshFromStorage();
    window->m_Link.m_nTapsAllowed = 16;
    panel->RefreshFromStorage();
    Settle();
    EXPECT_TRUE(Gain(15)->isVisible());
    EXPECT_EQ(Gain(15)->scale, Gain(0)->scale);
    window.reset();
}

// ---- the look ----

class GainOffsetLook : public GainOffsetPanel, public testing::WithParamInterface<int> {};

// Example failure: a label, a group title or a value is cut off at the default font.
TEST_P(GainOffsetLook, ScreenshotShowsEveryTextWhole)
{
    ASSERT_TRUE(Open(GetParam()));
    SetCameraValue("TapsAllowed", 4);
    SetCameraValue(names::kActiveTaps, 4);  // 16 taps
    Rebuild();
    Click(Check(CDlgGainOffset::IDC_LINK_GAIN));
    Click(Check(CDlgGainOffset::IDC_LINK_OFFSET));
    Type(Gain(15), "23.9");
    Type(Offset(15), "4095");
    Type(Numeric(CDlgGainOffset::IDC_DIGITAL_OFFSET), "-512");
    Settle();
    const std::string path = SaveShot(panel, "gain-offset-config" + std::to_string(GetParam()));
    EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull());
    ExpectNothingCut(panel);
}

INSTANTIATE_TEST_SUITE_P(Configurations, GainOffsetLook, testing::Values(4, 8),
                         [](const auto& info) { return "Config" + std::to_string(info.param); });

// Example failure: the Kelmir camera gets this panel (its registers differ) or none of its own.
TEST_F(GainOffsetPanel, KelmirSlotHoldsAnotherPanel)
{
    OpenOnCamera(7);
    ASSERT_NE(window->GetPanel(0), nullptr);
    EXPECT_EQ(dynamic_cast<CDlgGainOffset*>(window->GetPanel(0)), nullptr);
    EXPECT_EQ(window->GetPanel(0)->TemplateId(), 226);
}

}  // namespace
