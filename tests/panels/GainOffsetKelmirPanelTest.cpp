// The Kelmir gain and offset panel in slot 0 of the main window over an emulated Kelmir camera,
// driven as the operator drives it: typing into the numeric controls, clicking the check boxes,
// picking from the lists. The camera's frame log shows what reached it.
#include "PanelFixture.h"

#include "camera/RegisterLink.h"
#include "catalogues/BuildCatalogKelmir.h"
#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "emulator/CameraModel.h"
#include "orvmisc/OrvParam.h"
#include "panels/CDlgGainOffsetKelmir.h"
#include "panels/KelmirGainLogic.h"
#include "panels/LimitsScaleLogic.h"
#include "panels/PanelNames.h"
#include "resources/BuiltinResources.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
namespace names = panel_names::kelmir;
namespace go = panel_names::gain_offset;
using K = CDlgGainOffsetKelmir;
using Frames = std::vector<std::vector<std::uint8_t>>;

constexpr int kKelmir = 7;

class KelmirPanel : public PanelTest {
protected:
    /// The main window on a Kelmir camera running four taps, its fine values at the EM gain
    /// minimum and its set-point on a table row, and the panel shown.
    K* Open()
    {
        OpenOnCamera(kKelmir);
        SetCameraValue(go::kActiveTaps, 2);  // 4 taps
        Rebuild();
        panel = dynamic_cast<K*>(ShownPanel(0));
        EXPECT_NE(panel, nullptr) << "slot 0 holds no Kelmir gain and offset panel";
        if (panel) {
            panel->activateWindow();
            QApplication::processEvents();
        }
        return panel;
    }

    void Rebuild()
    {
        window->SetDefault();
        Settle();
        emu.ClearFrames();
        panel = dynamic_cast<K*>(window->GetPanel(0));
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    OVNumericControl* Numeric(int id) const { return static_cast<OVNumericControl*>(panel->GetDlgItem(id)); }
    QComboBox* Combo(int id) const { return static_cast<QComboBox*>(panel->GetDlgItem(id)); }
    QCheckBox* Check(int id) const { return static_cast<QCheckBox*>(panel->GetDlgItem(id)); }
    QString Text(int id) const { return static_cast<QLabel*>(panel->GetDlgItem(id))->text(); }

    void Type(OVNumericControl* control, const char* text)
    {
        control->edit->setFocus();
        control->edit->clear();
        QTest::keyClicks(control->edit, text);
        QTest::keyClick(control->edit, Qt::Key_Return);
        Settle();
    }

    void Click(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
        Settle();
    }


    /// Unchecks all six Link and Sync boxes.
    void UncheckAll()
    {
        for (int id : {K::IDC_DAY_LINK_GAIN, K::IDC_DAY_LINK_OFFSET, K::IDC_NIGHT_LINK_GAIN, K::IDC_NIGHT_LINK_OFFSET,
                       K::IDC_SYNC, K::IDC_FINE_LINK_GAIN}) {
            ASSERT_TRUE(Check(id)->isChecked()) << id << " starts checked";
            Click(Check(id));
            ASSERT_FALSE(Check(id)->isChecked()) << id;
        }
    }

    K* panel = nullptr;
};

// ---- the operator's edits reach one register each ----

// Example failure: a typed value goes through the wrong scale, to the wrong channel's register,
// a fine value is written without its channel bits, or the set-point in °C is written as °C.
TEST_F(KelmirPanel, TypedValueWritesOneCodedRegister)
{
    ASSERT_TRUE(Open());
    SetElsewhere(names::kDayNightMode, 2);         // both groups and the threshold editable
    SetElsewhere(names::kCCDTemperatureMode, 4);   // the user set-point editable
    emu.ClearFrames();
    UncheckAll();
    EXPECT_TRUE(WriteFrames().empty()) << "the check boxes write nothing";
    const limits_scale::LimitsScale gain = ScaleOf(go::kAnalogGainLimits, "GainA2");
    struct Row {
        int id;
        const char* text;
        const char* name;
        std::int64_t word;
    };
    const Row rows[] = {
        {K::IDC_DIGITAL_GAIN, "2", go::kDigitalGain, 2048},
        {K::IDC_DIGITAL_OFFSET, "100", go::kDigitalOffset, 612},
        {K::kChannelIds[0].dayGain, "12", "GainA2", limits_scale::RawFromShown(gain, 12.0)},
        {K::kChannelIds[3].nightGain, "6", "GainD3", limits_scale::RawFromShown(gain, 6.0)},
        {K::kChannelIds[1].dayOffset, "100", "OffsB2", 100},
        {K::kChannelIds[2].nightOffset, "4000", "OffsC3", 4000},
        {K::IDC_DAY_NIGHT_THRESHOLD, "1234", names::kDayNightThreshold, 1234},
        // Fine 1800 for channel C at coarse 1x: (2 << 12) | 1800.
        {K::kChannelIds[2].fine, "1800", "EMGain1XC", 0x2708},
        {K::kChannelIds[0].fine, "4095", "EMGain1XA", 0x0FFF},
        {K::IDC_USER_TEC, "10", names::kUserTECValue, 2072},
        {K::IDC_USER_TEC, "-20", names::kUserTECValue, 4064},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " := " + row.text);
        emu.ClearFrames();
        Type(Numeric(row.id), row.text);
        EXPECT_EQ(WriteFrames(), Frames{WriteIn(row.name, row.word)});
        EXPECT_EQ(Field(row.name), row.word);
    }
    // The same value again writes nothing.
    emu.ClearFrames();
    Type(Numeric(K::kChannelIds[2].fine), "1800");
    Type(Numeric(K::IDC_USER_TEC), "-20");
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: the fine Link moves only the edited channel, writes the channels without
// their channel bits, or past the EM gain maximum.
TEST_F(KelmirPanel, LinkedFineValueMovesEveryChannel)
{
    ASSERT_TRUE(Open());
    ASSERT_TRUE(Check(K::IDC_FINE_LINK_GAIN)->isChecked());
    for (int c = 0; c < K::kChannels; ++c)
        ASSERT_EQ(Numeric(K::kChannelIds[c].fine)->value, 1700) << "raised to the EM gain minimum";
    Type(Numeric(K::kChannelIds[1].fine), "1800");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("EMGain1XA", 0x0708), WriteIn("EMGain1XB", 0x1708),
                                     WriteIn("EMGain1XC", 0x2708), WriteIn("EMGain1XD", 0x3708)}));
    // Up to the EM gain maximum: every channel reaches it.
    emu.ClearFrames();
    Type(Numeric(K::kChannelIds[0].fine), "4095");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("EMGain1XA", 0x0FFF), WriteIn("EMGain1XB", 0x1FFF),
                                     WriteIn("EMGain1XC", 0x2FFF), WriteIn("EMGain1XD", 0x3FFF)}));
}

// Example failure: with one channel active channels B to D and the Link boxes are greyed, yet
// the Link boxes stay ticked and an edit of channel A writes B, C and D too (EM fine gains, day
// gain, day offset); with two active, C and D are written.
TEST_F(KelmirPanel, LinkedEditWritesOnlyTheActiveChannels)
{
    enum What { DayGain, DayOffset, NightGain, Fine };
    struct Row {
        std::uint32_t activeCode;  ///< ActiveTaps: 0 one channel, 1 two
        What what;
        int written;               ///< channels written, from A
    };
    const Row rows[] = {{0, DayGain, 1},  {0, DayOffset, 1}, {0, NightGain, 1}, {0, Fine, 1},
                        {1, DayGain, 2},  {1, DayOffset, 2}, {1, Fine, 2}};
    const char* const fineNames[] = {"EMGain1XA", "EMGain1XB", "EMGain1XC", "EMGain1XD"};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.activeCode) + " " + std::to_string(row.what));
        window.reset();
        ASSERT_TRUE(Open());
        SetCameraValue(go::kActiveTaps, row.activeCode);
        SetCameraValue(names::kDayNightMode, 2);  // both groups
        Rebuild();
        auto name = [&](int c) {
            const auto& channel = names::kChannels[c];
            switch (row.what) {
            case DayGain: return channel.dayGain;
            case DayOffset: return channel.dayOffset;
            case NightGain: return channel.nightGain;
            default: return fineNames[c];
            }
        };
        auto id = [&](int c) {
            const K::ChannelIds& ids = K::kChannelIds[c];
            return row.what == DayGain ? ids.dayGain : row.what == DayOffset ? ids.dayOffset
                                       : row.what == NightGain ? ids.nightGain : ids.fine;
        };
        std::vector<std::int64_t> before;
        for (int c = 0; c < K::kChannels; ++c)
            before.push_back(Field(name(c)));
        const int delta = 12;
        QByteArray text;
        if (row.what == DayGain || row.what == NightGain)
            text = QByteArray::number(limits_scale::ShownFromRaw(ScaleOf(go::kAnalogGainLimits, "GainA2"), before[0] + delta), 'f', 6);
        else
            text = QByteArray::number(static_cast<qlonglong>((before[0] & 0xFFF) + delta));
        Type(Numeric(id(0)), text.constData());
        Frames expected;
        for (int c = 0; c < row.written; ++c)
            expected.push_back(WriteIn(name(c), static_cast<std::uint32_t>(before[static_cast<std::size_t>(c)] + delta)));
        EXPECT_EQ(WriteFrames(), expected);
        for (int c = row.written; c < K::kChannels; ++c)
            EXPECT_EQ(Field(name(c)), before[static_cast<std::size_t>(c)]) << c;
    }
}

// Example failure: linked day gains move the night group too, or are written out of order.
TEST_F(KelmirPanel, LinkedDayGainMovesTheDayGroupOnly)
{
    ASSERT_TRUE(Open());
    const limits_scale::LimitsScale scale = ScaleOf(go::kAnalogGainLimits, "GainA2");
    Type(Numeric(K::kChannelIds[2].dayGain), QByteArray::number(limits_scale::ShownFromRaw(scale, 10), 'f', 6).constData());
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("GainA2", 10), WriteIn("GainB2", 10), WriteIn("GainC2", 10),
                                     WriteIn("GainD2", 10)}));
}

// Example failure: Sync leaves B to D at their old preset, rewrites a channel that already has
// the choice, or keeps showing the fine value of the old preset.
TEST_F(KelmirPanel, CoarseChoiceWithSyncTakesTheOtherChannelsAlong)
{
    ASSERT_TRUE(Open());
    SetCameraValue(names::kChannels[2].coarse, 1);  // C is at 5x already
    for (int c = 0; c < K::kChannels; ++c)
        SetCameraValue(names::kPresets[1][c], (c << 12) | (2000 + c));
    Rebuild();
    ASSERT_TRUE(Check(K::IDC_SYNC)->isChecked());
    PickItem(Combo(K::kChannelIds[0].coarse), "5x");
    const Frames writes = WriteFrames();
    EXPECT_EQ(writes, (Frames{WriteIn(names::kChannels[0].coarse, 1), WriteIn(names::kChannels[1].coarse, 1),
                              WriteIn(names::kChannels[3].coarse, 1)}));
    for (int c = 0; c < K::kChannels; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(Combo(K::kChannelIds[c].coarse)->currentText(), "5x");
        EXPECT_EQ(Numeric(K::kChannelIds[c].fine)->value, 2000 + c);
    }

    // Without Sync only channel A follows its list; with Sync only A's list is editable.
    EXPECT_FALSE(Combo(K::kChannelIds[1].coarse)->isEnabled());
    Click(Check(K::IDC_SYNC));
    EXPECT_TRUE(Combo(K::kChannelIds[1].coarse)->isEnabled());
    emu.ClearFrames();
    PickItem(Combo(K::kChannelIds[1].coarse), "User");
    EXPECT_EQ(WriteFrames(), Frames{WriteIn(names::kChannels[1].coarse, 5)});
    EXPECT_EQ(Combo(K::kChannelIds[0].coarse)->currentText(), "5x");
}

// Example failure: channel A's coarse choice is refused, yet Sync moves channels B to D to it, and
// A's fine value shows the preset the camera was not switched to.
TEST_F(KelmirPanel, RefusedCoarseChoiceMovesNoOtherChannelAndShowsTheHeldPreset)
{
    for (const bool sync : {true, false}) {
        SCOPED_TRACE(sync ? "Sync" : "no Sync");
        ASSERT_TRUE(Open());
        for (int c = 0; c < K::kChannels; ++c) {
            SetCameraValue(names::kChannels[c].coarse, 0);
            SetCameraValue(names::kPresets[0][c], (c << 12) | (1800 + c));
            SetCameraValue(names::kPresets[1][c], (c << 12) | (2500 + c));
        }
        Rebuild();
        if (Check(K::IDC_SYNC)->isChecked() != sync)
            Click(Check(K::IDC_SYNC));
        emu.ClearFrames();
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(names::kChannels[0].coarse).address, refuse);
        PickItem(Combo(K::kChannelIds[0].coarse), "5x");
        Settle();
        emu.SetAddressFault(Reg(names::kChannels[0].coarse).address, {});
        const Frames writes = WriteFrames();
        EXPECT_EQ(writes, Frames{WriteIn(names::kChannels[0].coarse, 1)}) << "only A's refused choice went out";
        for (int c = 0; c < K::kChannels; ++c) {
            SCOPED_TRACE(c);
            EXPECT_EQ(Field(names::kChannels[c].coarse), 0);
            EXPECT_EQ(Combo(K::kChannelIds[c].coarse)->currentText(), "1x");
            EXPECT_EQ(Numeric(K::kChannelIds[c].fine)->value, 1800 + c);
        }
        window.reset();
    }
}

// Example failure (fault mended): a coarse register outside 1x..User picks a preset register past
// the table; a refresh or a fine edit then writes into whatever lies there.
TEST_F(KelmirPanel, CoarseChoiceOutsideThePresetsIsIgnored)
{
    ASSERT_TRUE(Open());
    SetCameraValue(names::kChannels[1].coarse, 9);
    window->SetDefault();
    Settle();
    for (const auto& frame : WriteFrames()) {
        const std::uint16_t address = static_cast<std::uint16_t>((frame[1] << 8) | frame[2]);
        for (const auto& row : names::kPresets)
            EXPECT_FALSE(address == Reg(row[1]).address) << "a preset of channel B written";
    }
    panel = dynamic_cast<K*>(ShownPanel(0));
    ASSERT_TRUE(panel);
    emu.ClearFrames();
    // Linked: A, C and D move; B has no preset to write.
    Type(Numeric(K::kChannelIds[0].fine), "1750");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("EMGain1XA", 0x06D6), WriteIn("EMGain1XC", 0x26D6),
                                     WriteIn("EMGain1XD", 0x36D6)}));
    Click(Check(K::IDC_FINE_LINK_GAIN));
    emu.ClearFrames();
    Type(Numeric(K::kChannelIds[1].fine), "2000");
    EXPECT_TRUE(WriteFrames().empty());
}

// ---- changes made elsewhere ----

// Example failure: the panel writes back what it hears, shows the set-point's raw word as °C,
// or reloads the fine value when a coarse choice is heard.
TEST_F(KelmirPanel, ChangeElsewhereMovesTheControlAndWritesNothing)
{
    ASSERT_TRUE(Open());
    SetElsewhere(names::kDayNightMode, 2);
    UncheckAll();
    const limits_scale::LimitsScale gain = ScaleOf(go::kAnalogGainLimits, "GainA2");
    struct Row {
        const char* name;
        std::int64_t raw;
        int id;
        double shown;
    };
    const Row rows[] = {
        {go::kDigitalOffset, 1023, K::IDC_DIGITAL_OFFSET, 511},
        {"GainB3", 200, K::kChannelIds[1].nightGain, limits_scale::ShownFromRaw(gain, 200)},
        {"OffsD2", 77, K::kChannelIds[3].dayOffset, 77},
        {names::kDayNightThreshold, 99, K::IDC_DAY_NIGHT_THRESHOLD, 99},
        {names::kUserTECValue, 2000, K::IDC_USER_TEC, 11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu.ClearFrames();
        SetElsewhere(row.name, row.raw);
        EXPECT_EQ(WriteFrames(), Frames{WriteIn(row.name, row.raw)}) << "only the other writer's frame";
        EXPECT_NEAR(Numeric(row.id)->value, row.shown, 1e-9);
    }
    const double fine = Numeric(K::kChannelIds[2].fine)->value;
    emu.ClearFrames();
    SetElsewhere(names::kChannels[2].coarse, 3);
    SetElsewhere(names::kCCDTemperatureMode, 4);
    EXPECT_EQ(Combo(K::kChannelIds[2].coarse)->currentText(), "15x");
    EXPECT_EQ(Combo(K::IDC_TEMPERATURE_MODE)->currentText(), "User");
    EXPECT_EQ(Numeric(K::kChannelIds[2].fine)->value, fine);
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn(names::kChannels[2].coarse, 3), WriteIn(names::kCCDTemperatureMode, 4)}));
}

// Example failure: the first refresh leaves a fine value below the EM gain minimum or a set-point
// off the table in the camera; or a second refresh writes again.
TEST_F(KelmirPanel, RefreshRaisesFineValuesAndSnapsTheSetPointOnce)
{
    ASSERT_TRUE(Open());
    SetCameraValue("EMGain1XB", 0x1000 | 5);
    SetCameraValue(names::kUserTECValue, 2000);
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("EMGain1XB", 0x1000 | 1700), WriteIn(names::kUserTECValue, 2012)}));
    EXPECT_EQ(Numeric(K::IDC_USER_TEC)->value, 11);
    emu.ClearFrames();
    panel->RefreshFromStorage();
    Settle();
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: a set-point or fine value the camera refused to read is taken as 0 and the
// refresh writes it raised or snapped: the cooler is set to 30 °C, the preset to the EM minimum.
TEST_F(KelmirPanel, ValuesTheCameraDidNotAnswerAreNeitherRaisedNorSnapped)
{
    ASSERT_TRUE(Open());
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    for (const char* name : {"EMGain1XB", names::kUserTECValue})
        emu.SetAddressFault(Reg(name).address, refuse);
    emu.ClearFrames();
    window->SetDefault();
    EXPECT_TRUE(WriteFrames().empty()) << WriteFrames().size() << " writes";

    // Once the camera answers, values off the limits are raised and snapped as the camera holds them.
    for (const char* name : {"EMGain1XB", names::kUserTECValue})
        emu.SetAddressFault(Reg(name).address, emu::Fault{});
    SetCameraValue("EMGain1XB", 0x1000 | 5);
    SetCameraValue(names::kUserTECValue, 2000);
    emu.ClearFrames();
    window->SetDefault();
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("EMGain1XB", 0x1000 | 1700), WriteIn(names::kUserTECValue, 2012)}));
}

// ---- enabling ----

// Example failure: the night group stays locked in night mode, the day group stays editable, or
// channels beyond the active taps are editable.
TEST_F(KelmirPanel, EnablingFollowsDayNightModeTapBalanceAndTaps)
{
    ASSERT_TRUE(Open());
    auto enabled = [this](int K::ChannelIds::*member) {
        std::vector<bool> on;
        for (const K::ChannelIds& ids : K::kChannelIds)
            on.push_back(panel->GetDlgItem(ids.*member)->isEnabled());
        return on;
    };
    const std::vector<bool> all(4, true), none(4, false), onlyA{true, false, false, false};
    PickItem(Combo(K::IDC_DAY_NIGHT_MODE), "Night");
    EXPECT_EQ(enabled(&K::ChannelIds::nightGain), all);
    EXPECT_EQ(enabled(&K::ChannelIds::nightOffset), all);
    EXPECT_EQ(enabled(&K::ChannelIds::dayGain), none);
    EXPECT_EQ(enabled(&K::ChannelIds::dayOffset), none);
    EXPECT_FALSE(Check(K::IDC_DAY_LINK_GAIN)->isEnabled());
    EXPECT_TRUE(Check(K::IDC_NIGHT_LINK_GAIN)->isEnabled());
    EXPECT_FALSE(Numeric(K::IDC_DAY_NIGHT_THRESHOLD)->isEnabled());

    PickItem(Combo(K::IDC_DAY_NIGHT_MODE), "Day/Night");
    EXPECT_EQ(enabled(&K::ChannelIds::dayGain), all);
    EXPECT_TRUE(Numeric(K::IDC_DAY_NIGHT_THRESHOLD)->isEnabled());

    PickItem(Combo(K::IDC_TB_MODE), "Auto");
    EXPECT_EQ(enabled(&K::ChannelIds::dayGain), onlyA);
    EXPECT_EQ(enabled(&K::ChannelIds::fine), onlyA);
    EXPECT_EQ(enabled(&K::ChannelIds::coarse), onlyA);
    EXPECT_FALSE(Check(K::IDC_SYNC)->isEnabled());

    PickItem(Combo(K::IDC_TB_MODE), "Off");
    SetCameraValue(go::kActiveTaps, 1);  // two taps
    SetElsewhere(go::kTapsMode, 1);
    EXPECT_EQ(enabled(&K::ChannelIds::nightOffset), (std::vector<bool>{true, true, false, false}));

    // "User Value" only for the user set-point.
    EXPECT_FALSE(Numeric(K::IDC_USER_TEC)->isEnabled());
    PickItem(Combo(K::IDC_TEMPERATURE_MODE), "User");
    EXPECT_TRUE(Numeric(K::IDC_USER_TEC)->isEnabled());

    panel->SetDebugMode(true);
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(enabled(&K::ChannelIds::dayGain), all);
    EXPECT_EQ(enabled(&K::ChannelIds::coarse), all);
}

// ---- debug info ----

// Example failure: the read-outs stay hidden, the panel keeps its small height, the ADC read-outs
// stay shown below the shortened panel when the rest hides, the ADC channels are read without
// supervisor mode or the channel select loses its other bits.
TEST_F(KelmirPanel, DebugInfoShowsPresetsAndAdcReadOuts)
{
    ASSERT_TRUE(Open());
    QWidget* regValues = panel->GetDlgItem(K::IDC_REG_VALUES);
    QWidget* adcText = panel->GetDlgItem(K::kAdcTextIds[11]);
    EXPECT_FALSE(regValues->isVisible());
    EXPECT_FALSE(adcText->isVisibleTo(panel)) << "an ADC read-out left below the shortened panel";
    EXPECT_EQ(panel->height(), panel->GetDlgItem(K::IDC_EM_GAIN_BOX)->geometry().bottom() + 1 + 8);
    panel->RefreshLiveValues();
    EXPECT_TRUE(emu.Frames().empty()) << "no reads without debug info";

    panel->SetShowDebugInfo(true);
    Settle();
    EXPECT_TRUE(regValues->isVisible());
    EXPECT_EQ(panel->height(), regValues->geometry().bottom() + 1 + 8);
    SetCameraValue("EMGain20XC", 0x2123);
    SetCameraValue(names::kADCData, 1071);
    SetCameraValue(names::kADCAddrSel, 0x0AB);
    emu.ClearFrames();
    panel->RefreshLiveValues();
    Settle();
    EXPECT_EQ(Text(K::kPresetIds[4].texts[2]), "0x00002123");
    EXPECT_EQ(Text(K::kAdcTextIds[5]), QString::fromUtf8("30.5°C"));
    EXPECT_EQ(Text(K::kAdcTextIds[0]), "10.459");
    const Frames writes = WriteFrames();
    ASSERT_EQ(writes.size(), 14u);
    EXPECT_EQ(writes.front(), WriteFrame(0x6014, 0x5E17C4B2));
    EXPECT_EQ(writes[1], WriteIn(names::kADCAddrSel, 0x0AB));
    EXPECT_EQ(writes[12], WriteIn(names::kADCAddrSel, 0xBAB));
    EXPECT_EQ(writes.back(), WriteFrame(0x6014, 0));

    // Supervisor mode refused: the presets still refresh, the ADC is left alone.
    emu.SetAddressFault(0x6014, {emu::FaultKind::Refuse, 0x15, 0x02});
    SetCameraValue("EMGain20XC", 0x2124);
    SetCameraValue(names::kADCData, 205);
    emu.ClearFrames();
    panel->RefreshLiveValues();
    Settle();
    emu.SetAddressFault(0x6014, emu::Fault{});
    EXPECT_EQ(Text(K::kPresetIds[4].texts[2]), "0x00002124");
    EXPECT_EQ(Text(K::kAdcTextIds[5]), QString::fromUtf8("30.5°C"));
    EXPECT_EQ(WriteFrames().size(), 1u) << "only the refused entry";

    EXPECT_TRUE(adcText->isVisible());
    panel->SetShowDebugInfo(false);
    EXPECT_FALSE(regValues->isVisible());
    EXPECT_FALSE(adcText->isVisibleTo(panel));
    EXPECT_EQ(panel->height(), panel->GetDlgItem(K::IDC_EM_GAIN_BOX)->geometry().bottom() + 1 + 8);
}

// ---- parameters the map lacks ----

/// The Kelmir map without the elements named.
RegisterMapPtr KelmirMapWithout(const std::vector<std::string>& elements)
{
    const BuiltinResource* resource = FindBuiltinResource(ConfigurationRowFor(kKelmir).builtinMapId);
    std::string text(reinterpret_cast<const char*>(resource->data), resource->size);
    for (const std::string& name : elements) {
        const std::regex element("<" + name + "[ >][\\s\\S]*?</" + name + ">");
        text = std::regex_replace(text, element, "");
    }
    return RegisterMap::LoadBuffer(text.data(), text.size(), "test");
}

// Example failure: a list the map lacks stays on the panel, empty; an absent EM gain limit
// raises every fine value to garbage; a second refresh shows the lists again.
TEST_F(KelmirPanel, AbsentListsHideAndAbsentLimitsWriteNothing)
{
    ASSERT_TRUE(Open());
    const RegisterMapPtr reduced =
        KelmirMapWithout({names::kDayNightMode, names::kCCDTemperatureMode, names::kChannels[3].coarse});
    ASSERT_TRUE(reduced);
    ASSERT_TRUE(BuildCatalogKelmir(window->m_Link, reduced, false).built);
    panel->SetXmlNode(reduced);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "first refresh" : "second refresh");
        panel->RefreshFromStorage();
        Settle();
        EXPECT_TRUE(Combo(K::IDC_DAY_NIGHT_MODE)->isHidden());
        EXPECT_TRUE(Combo(K::IDC_TEMPERATURE_MODE)->isHidden());
        EXPECT_TRUE(Combo(K::kChannelIds[3].coarse)->isHidden());
        EXPECT_FALSE(Combo(K::kChannelIds[2].coarse)->isHidden());
        EXPECT_FALSE(Combo(K::IDC_TB_MODE)->isHidden());
    }
    EXPECT_TRUE(WriteFrames().empty()) << "a refresh over settled values reads only";
}

// ---- the look ----

// Example failure: a label, a group title or a value is cut off at the default font.
TEST_F(KelmirPanel, ScreenshotShowsEveryTextWhole)
{
    ASSERT_TRUE(Open());
    SetElsewhere(names::kDayNightMode, 2);
    Type(Numeric(K::IDC_DIGITAL_OFFSET), "-512");
    Type(Numeric(K::IDC_DAY_NIGHT_THRESHOLD), "4095");
    Settle();
    EXPECT_FALSE(QImage(QString::fromStdString(SaveShot(panel, "gain-offset-kelmir"))).isNull());
    ExpectNothingCut(panel);

    panel->SetShowDebugInfo(true);
    SetCameraValue(names::kADCData, 4095);
    panel->RefreshLiveValues();
    Settle();
    EXPECT_FALSE(QImage(QString::fromStdString(SaveShot(panel, "gain-offset-kelmir-debug"))).isNull());
    ExpectNothingCut(panel);
}

}  // namespace
