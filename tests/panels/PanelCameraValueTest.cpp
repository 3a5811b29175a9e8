// What every panel shows is what the camera holds: a negative number typed over a selection
// reaches the camera as typed, a refused or lost write leaves the camera's value on the panel
// (and the same value typed again is sent again), and an edit made while the camera is offline
// returns to the camera's value with the operator told. Driven with key and mouse events over
// the emulated camera; its frame log shows what reached the registers.
#include "PanelDrive.h"

#include "controls/OVEdit.h"
#include "controls/IconResource.h"
#include "controls/OVNumericControl.h"
#include "panels/CDlgAECAGC.h"
#include "panels/CDlgAcquisition.h"
#include "panels/CDlgGainOffset.h"
#include "panels/CDlgGainOffsetKelmir.h"
#include "panels/CDlgImage.h"
#include "panels/CDlgImageKelmir.h"
#include "panels/CDlgLensControl.h"
#include "panels/CDlgOutput.h"
#include "panels/CDlgTempControl.h"
#include "panels/CDlgWhiteBalance.h"
#include "panels/LimitsScaleLogic.h"
#include "panels/PanelNames.h"
#include "tools/CTerminal.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <QDir>
#include <QImage>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
using Frames = std::vector<std::vector<std::uint8_t>>;
namespace go = panel_names::gain_offset;

constexpr std::uint32_t kColourSensor = 12;

using CameraValues = std::vector<std::pair<const char*, std::uint32_t>>;

class PanelCameraValueTest : public PanelDriveTest<COptionDialog> {
protected:
    /// The panel of `slot` on a camera of `config` whose registers hold `camera` (read by a
    /// rebuild); active, with an empty frame log and no message box seen.
    COptionDialog* Open(int config, int slot, const CameraValues& camera = {})
    {
        window.reset();
        OpenOnCamera(config);
        if (!camera.empty()) {
            for (const auto& [name, value] : camera)
                SetCameraValue(name, value);
            window->m_Link.ReadCameraInfo();
            window->SetDefault();
        }
        if (!Show(slot))
            return nullptr;
        Settle();
        emu.ClearFrames();
        boxes.clear();
        return panel;
    }

    QWidget* Control(int id) const { return panel->GetDlgItem(id); }
    OVNumericControl* Numeric(int id) const { return dynamic_cast<OVNumericControl*>(Control(id)); }

    /// The operator double-clicks the numeric control's edit (which selects its whole text),
    /// types over it and presses Enter.
    void TypeOver(int id, const char* text)
    {
        OVNumericControl* numeric = Numeric(id);
        ASSERT_NE(numeric, nullptr) << id;
        QLineEdit* edit = numeric->edit;
        QTest::mouseDClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(edit->width() / 2, edit->height() / 2));
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 5000));
        ASSERT_EQ(edit->selectedText(), edit->text());
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        Settle();
    }

    void Pick(int id, const char* text)
    {
        auto* combo = qobject_cast<QComboBox*>(Control(id));
        ASSERT_NE(combo, nullptr) << id;
        PickItem(combo, QString::fromUtf8(text));
        Settle();
    }

    /// What a control shows: an edit's text, a combo's item, a button's check.
    QString Shown(int id) const
    {
        QWidget* w = Control(id);
        if (auto* numeric = dynamic_cast<OVNumericControl*>(w))
            return numeric->edit->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        if (auto* combo = qobject_cast<QComboBox*>(w))
            return combo->currentText();
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* box = qobject_cast<QCheckBox*>(w); box && box->checkState() == Qt::PartiallyChecked)
            return QStringLiteral("no reading");
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            return button->isChecked() ? QStringLiteral("checked") : QStringLiteral("clear");
        return QStringLiteral("<none>");
    }

    /// The writes since the log was cleared that went to the register of `name`.
    Frames WritesTo(const char* name)
    {
        const std::uint16_t address = Reg(name).address;
        Frames to;
        for (const auto& frame : WriteFrames())
            if (((frame[1] << 8) | frame[2]) == address)
                to.push_back(frame);
        return to;
    }

    /// The program started anew on the camera as it stands: a new main window, which opens
    /// the port, identifies the camera and rebuilds for it (the first rebuild).
    void StartProgram()
    {
        window.reset();
        emu.ClearFrames();
        CCorvel_5Dlg& w = MakeWindow();
        ScriptedSelector selector;
        selector.choices = {PortChoice{CLSER_EMU_PATH, 0, 115200, true}};
        EXPECT_EQ(w.OnInitDialog(&selector), 0);
        EXPECT_TRUE(w.m_bConnected);
        Settle();
    }

    /// The operator's edits whose write a camera may refuse, one per panel: the control, the
    /// action and the field it writes.
    struct UnwrittenRow {
        const char* what;
        int config;
        int slot;
        CameraValues camera;
        int id;
        std::function<void()> act;
        const char* name;
        std::uint32_t value;
    };
    std::vector<UnwrittenRow> UnwrittenRows()
    {
        return {
            {"digital gain 2.0", 4, 0, {}, CDlgGainOffset::IDC_DIGITAL_GAIN,
             [this] { TypeOver(CDlgGainOffset::IDC_DIGITAL_GAIN, "2"); }, go::kDigitalGain, 2048},
            {"exposure 2500", 4, 2, {{"ExposureMin", 10}, {"ExposureMax", 100000}, {"ExposureDur", 5000}}, 1501,
             [this] { TypeInto(1501, "2500"); }, "ExposureDur", 2500},
            {"binning 2x", 4, 4, {}, CDlgImage::IDC_BIN_H2, [this] { Click(CDlgImage::IDC_BIN_H2); },
             panel_names::image::kBinHorzMode, 1},
            {"TDI forward scan", 8, 2, {{"TDIMode", 0}}, 1519, [this] { Pick(1519, "Forward Scan"); }, "TDIMode", 1},
            {"fan on level 41", 4, 6, {}, CDlgTempControl::IDC_FAN_ON_LEVEL,
             [this] { TypeOver(CDlgTempControl::IDC_FAN_ON_LEVEL, "41"); }, panel_names::temperature::kFanOnLevel, 41},
            {"white balance Auto", 4, 5, {{"CCD_Type", kColourSensor}, {panel_names::white_balance::kWBMode, 3}},
             CDlgWhiteBalance::IDC_MODE, [this] { Pick(CDlgWhiteBalance::IDC_MODE, "Auto"); },
             panel_names::white_balance::kWBMode, 2},
            {"output polarity High", 4, 1, {}, CDlgOutput::IDC_OUT1_POLARITY,
             [this] { Pick(CDlgOutput::IDC_OUT1_POLARITY, "High"); }, "Out1Polarity", 1},
            {"luminance level 1000", 8, 3, {{"AECEnable", 1}, {"LumaLevel", 2048}}, CDlgAECAGC::IDC_LUMA_LEVEL,
             [this] { TypeInto(CDlgAECAGC::IDC_LUMA_LEVEL, "1000"); }, "LumaLevel", 1000},
            {"Kelmir digital gain 2.0", 7, 0, {}, CDlgGainOffsetKelmir::IDC_DIGITAL_GAIN,
             [this] { TypeOver(CDlgGainOffsetKelmir::IDC_DIGITAL_GAIN, "2"); }, go::kDigitalGain, 2048},
            {"Kelmir fine gain 2586", 7, 0, {{"GainEMACourse", 0}, {"EMGain1XA", 1700}},
             CDlgGainOffsetKelmir::kChannelIds[0].fine,
             [this] { TypeOver(CDlgGainOffsetKelmir::kChannelIds[0].fine, "2586"); }, "EMGain1XA", 2586},
            {"Kelmir DPC threshold 300", 7, 4, {}, CDlgImageKelmir::IDC_DPC_EDIT,
             [this] { TypeInto(CDlgImageKelmir::IDC_DPC_EDIT, "300"); }, "DPCThreshold", 300},
            {"lens polarity Positive", 4, 7,
             {{panel_names::lens::kActiveMount, 3}, {"CanonLensCtrlStatus", 8}, {"CanonLensPolarity", 1}},
             CDlgLensControl::IDC_LENS_POLARITY, [this] { Pick(CDlgLensControl::IDC_LENS_POLARITY, "Positive"); },
             "CanonLensPolarity", 0},
        };
    }
};

// ---- a minus typed over a selection ----

// Example failure: the '-' typed over the selected "188" is dropped, so "-50" writes +50 and
// "-512" writes +511; the analog gain's -1 dB becomes +1 dB.
TEST_F(PanelCameraValueTest, MinusTypedOverTheSelectionReachesTheCamera)
{
    ASSERT_TRUE(Open(4, 0));
    const limits_scale::LimitsScale offset = ScaleOf(go::kDigitalOffsetLimits, go::kDigitalOffset);
    const limits_scale::LimitsScale analog = ScaleOf(go::kAnalogGainLimits, "Gain1A");
    const int gain = CDlgGainOffset::kTapIds[0].gain;
    const struct {
        int id;
        const char* first;  ///< typed and entered before, or null
        const char* typed;
        const char* name;
        std::int64_t raw;
        const char* shown;
    } rows[] = {
        {CDlgGainOffset::IDC_DIGITAL_OFFSET, nullptr, "-50", go::kDigitalOffset,
         limits_scale::RawFromShown(offset, -50), "-50"},
        {CDlgGainOffset::IDC_DIGITAL_OFFSET, nullptr, "-100", go::kDigitalOffset,
         limits_scale::RawFromShown(offset, -100), "-100"},
        {CDlgGainOffset::IDC_DIGITAL_OFFSET, nullptr, "-512", go::kDigitalOffset,
         limits_scale::RawFromShown(offset, -512), "-512"},
        // The analog gain starts at 0 dB: -1 dB is held there, never turned into +1 dB.
        {gain, "6", "-1", "Gain1A", limits_scale::RawFromShown(analog, 0), "0.00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        if (row.first)
            TypeOver(row.id, row.first);
        emu.ClearFrames();
        const std::vector<std::uint8_t> expected = WriteOf(row.name, static_cast<std::uint32_t>(row.raw));
        TypeOver(row.id, row.typed);
        EXPECT_EQ(WriteFrames(), Frames{expected});
        EXPECT_EQ(Field(row.name), row.raw & Reg(row.name).mask);
        EXPECT_EQ(Shown(row.id), QString::fromLatin1(row.shown));
    }
}

// ---- a write that does not reach the camera ----

// Example failure: the camera refuses the value, the error box appears, and the panel goes on
// showing the refused value; the same value typed again then sends nothing.
TEST_F(PanelCameraValueTest, RefusedWriteLeavesTheCameraValueAndIsSentAgain)
{
    for (const UnwrittenRow& row : UnwrittenRows()) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.camera));
        const QString before = Shown(row.id);
        const std::int64_t held = Field(row.name);
        ASSERT_NE(held, row.value);
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(row.name).address, refuse);
        row.act();
        Settle();
        EXPECT_FALSE(WritesTo(row.name).empty()) << "the write left for the camera";
        EXPECT_FALSE(boxes.empty()) << "the refusal is shown";
        EXPECT_EQ(Field(row.name), held);
        EXPECT_EQ(Shown(row.id), before) << "the panel shows the camera's value";

        emu.SetAddressFault(Reg(row.name).address, emu::Fault{});
        emu.ClearFrames();
        const std::vector<std::uint8_t> expected = WriteOf(row.name, row.value);
        row.act();
        Settle();
        EXPECT_EQ(WritesTo(row.name), Frames{expected}) << "the same value again is sent again";
        EXPECT_EQ(Field(row.name), row.value);
    }
}

// Example failure: the camera does not answer the write (the answer is lost on the channel),
// and the panel shows the value as written.
TEST_F(PanelCameraValueTest, WriteLostOnTheChannelLeavesTheLastValueRead)
{
    ASSERT_TRUE(Open(4, 0));
    const QString before = Shown(CDlgGainOffset::IDC_DIGITAL_GAIN);
    emu::Fault silence;
    silence.kind = emu::FaultKind::Silence;
    emu.SetAddressFault(Reg(go::kDigitalGain).address, silence);
    TypeOver(CDlgGainOffset::IDC_DIGITAL_GAIN, "2");
    Settle();
    EXPECT_FALSE(WritesTo(go::kDigitalGain).empty()) << "the write left for the camera";
    EXPECT_EQ(Shown(CDlgGainOffset::IDC_DIGITAL_GAIN), before);

    emu.SetAddressFault(Reg(go::kDigitalGain).address, emu::Fault{});
    window->m_Link.m_bLinkAlive = 1;
    window->m_Link.GoOnline();
    emu.ClearFrames();
    TypeOver(CDlgGainOffset::IDC_DIGITAL_GAIN, "2");
    EXPECT_EQ(WritesTo(go::kDigitalGain), Frames{WriteOf(go::kDigitalGain, 2048)});
}

// Example failure: with the camera offline an edit shows as made, no frame leaves and the
// operator is told nothing.
TEST_F(PanelCameraValueTest, OfflineEditReturnsToTheCameraValueAndTellsTheOperator)
{
    for (const UnwrittenRow& row : UnwrittenRows()) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.camera));
        const QString before = Shown(row.id);
        // The camera fell silent: the link no longer holds it online.
        window->m_Link.m_bLinkAlive = 0;
        window->m_Link.GoOffline();
        row.act();
        Settle();
        EXPECT_TRUE(WriteFrames().empty());
        EXPECT_EQ(Shown(row.id), before);
        EXPECT_EQ(boxes, std::vector<std::string>{COptionDialog::kCameraOfflineText});

        // Back online, the same value is written.
        window->m_Link.m_bLinkAlive = 1;
        window->m_Link.GoOnline();
        emu.ClearFrames();
        const std::vector<std::uint8_t> expected = WriteOf(row.name, row.value);
        row.act();
        Settle();
        EXPECT_EQ(WritesTo(row.name), Frames{expected});
    }
}

// ---- the first rebuild ----

// Example failure: the link is marked online only after the panels' refresh, so every write a
// refresh makes is dropped at the first rebuild while the panel shows its result: the fine gains
// stay below the EM gain minimum, the set-point off its table, the lens uninitialised, the
// exposure beyond the camera's maximum.
TEST_F(PanelCameraValueTest, FirstRebuildSendsTheWritesOfThePanelsRefresh)
{
    namespace kelmir = panel_names::kelmir;
    namespace lens = panel_names::lens;
    struct Row {
        const char* what;
        int config;
        CameraValues camera;
        std::function<void()> check;
    };
    const Row rows[] = {
        {"Kelmir fine gain and set-point", 7, {{"EMGain1XB", 0x1000 | 5}, {kelmir::kUserTECValue, 2000}},
         [this] {
             const Frames writes = WriteFrames();
             for (const auto& expected : {WriteIn("EMGain1XB", 0x1000 | 1700), WriteIn(kelmir::kUserTECValue, 2012)})
                 EXPECT_NE(std::find(writes.begin(), writes.end(), expected), writes.end());
             EXPECT_EQ(Field("EMGain1XB"), 0x1000 | 1700);
             EXPECT_EQ(Field(kelmir::kUserTECValue), 2012);
         }},
        {"lens initialised", 4, {{lens::kActiveMount, 3}, {"CanonLensCtrlStatus", 8}},
         [this] { EXPECT_EQ(WritesTo(lens::kInitLens), Frames{WriteIn(lens::kInitLens, 1)}); }},
        {"exposure held to the camera's maximum", 4,
         {{"AcquisitionMode", 0}, {"ExposureMin", 10}, {"ExposureMax", 100000}, {"ExposureDur", 500000}},
         [this] {
             EXPECT_FALSE(WritesTo("ExposureDur").empty());
             EXPECT_EQ(Field("ExposureDur"), 100000);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        window.reset();
        OpenOnCamera(row.config);
        for (const auto& [name, value] : row.camera)
            SetCameraValue(name, value);
        StartProgram();
        row.check();
    }
}

// ---- a value set elsewhere ----

// Example failure: a value set from the terminal is shown as a third value, neither the one the
// camera holds nor one the panel wrote: a gain limit below the other limit shown raised but
// never written, a width cut by a shorter period shown cut, a width too large for its 14-bit
// field shown as 16383 while the camera took 3616, a threshold shown as 4095 while the camera
// took 904.
TEST_F(PanelCameraValueTest, ValueSetElsewhereIsShownAsTheCameraHoldsIt)
{
    struct Row {
        const char* what;
        int config;
        int slot;
        CameraValues camera;
        const char* name;
        std::int64_t value;  ///< set from elsewhere
        int id;              ///< the control that shows it
        const char* held;    ///< the parameter the camera's value is checked in
        std::int64_t stored; ///< what the camera holds afterwards
    };
    const Row rows[] = {
        {"gain limit below the lower limit", 8, 3, {{"AGCEnable", 1}, {"AGCLimitMin", 1000}, {"AGCLimitMax", 1020}},
         "AGCLimitMax", 700, CDlgAECAGC::IDC_AGC_MAX, "AGCLimitMax", 1000},
        {"period shorter than the width", 4, 1, {{"PulseGran", 3}, {"PulsePeriod", 50}, {"PulseWidth", 20}},
         "PulsePeriod", 7, CDlgOutput::IDC_WIDTH, "PulseWidth", 7},
        {"AOI width beyond its field", 4, 4, {}, "MasterAOIWidth", 20000, CDlgImage::IDC_MASTER_WIDTH, "MasterAOIWidth",
         20000 & 0x3FFF},
        {"threshold beyond its field", 7, 4, {}, "DPCThreshold", 5000, CDlgImageKelmir::IDC_DPC_EDIT, "DPCThreshold",
         5000 & 0xFFF},
        {"EM gain fine value", 7, 0, {{"GainEMACourse", 0}, {"EMGain1XA", 1700}}, "EMGain1XA", 2000,
         CDlgGainOffsetKelmir::kChannelIds[0].fine, "EMGain1XA", 2000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.camera));
        EXPECT_EQ(window->m_Link.SetParamIntIfOnline(row.name, row.value, true, false), 0);
        Settle();
        EXPECT_EQ(Field(row.held), row.stored);
        const QString shown = Shown(row.id);
        // What a refresh from the camera shows is what the panel shows already.
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(Shown(row.id), shown);
        EXPECT_EQ(Field(row.held), row.stored);
    }
}

// Example failure: a write frame typed in the terminal in hex sets the digital gain; the camera
// takes it and the gain panel goes on showing the gain before.
TEST_F(PanelCameraValueTest, RawWriteTypedInTheTerminalIsShownByThePanel)
{
    ASSERT_TRUE(Open(4, 0));
    const RegisterLink gain = Reg(go::kDigitalGain);
    const QString before = Shown(CDlgGainOffset::IDC_DIGITAL_GAIN);
    auto* line = qobject_cast<QLineEdit*>(wnd::GetDlgItem(window->TerminalWindow(), CTerminal::IDC_COMMAND_LINE));
    ASSERT_NE(line, nullptr);
    line->setFocus();
    QTest::keyClicks(line, QString::asprintf("0x57%04X%08X", unsigned{gain.address}, 2048u << gain.shift));
    QTest::keyClick(line, Qt::Key_Return);
    Settle();
    ASSERT_EQ(Field(go::kDigitalGain), 2048);
    EXPECT_EQ(WriteFrames().size(), 1u) << "the typed frame alone";
    const QString shown = Shown(CDlgGainOffset::IDC_DIGITAL_GAIN);
    EXPECT_NE(shown, before);
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(Shown(CDlgGainOffset::IDC_DIGITAL_GAIN), shown) << "the panel shows the camera's gain";
}

// ---- live read-outs while the camera is away ----

// Example failure: the camera goes away (its port vanishes) and the AEC/AGC panel goes on
// showing its last exposure, gain and luminance, the white balance its last coefficients, as if
// read now, while the main window shows dashes; the AEC and AGC lamps go on saying they regulate.
// A read-out whose read the camera refuses shows 0 as if measured.
TEST_F(PanelCameraValueTest, LiveReadOutsAreDashedWhileTheCameraIsAwayAndReadWhenItIsBack)
{
    const auto poll = [this] {
        for (unsigned id : {CCorvel_5Dlg::TIMER_TEMPERATURE, CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME})
            window->OnTimer(id);
        Settle();
    };
    const auto& wb = CDlgWhiteBalance::kChannels;
    const struct {
        const char* what;
        int config;
        int slot;
        CameraValues camera;
        std::vector<int> ids;
        std::vector<int> lamps;  ///< state lamps that go off
        std::vector<const char*> read;  ///< the registers of the read-outs
    } rows[] = {
        {"AEC/AGC read-outs", 8, 3, {{"AECEnable", 1}, {"AGCEnable", 1}, {"Exposure", 20000}, {"LumaCurrent", 1500}},
         {CDlgAECAGC::IDC_EXPOSURE_NOW, CDlgAECAGC::IDC_GAIN_NOW, CDlgAECAGC::IDC_LUMA_NOW},
         {CDlgAECAGC::IDC_AEC_STATE, CDlgAECAGC::IDC_AGC_STATE}, {"Exposure", "AGCCurrentA", "LumaCurrent"}},
        {"white balance coefficients", 4, 5, {{"CCD_Type", kColourSensor}},
         {wb[0].currentId, wb[1].currentId, wb[2].currentId}, {}, {wb[0].current, wb[1].current, wb[2].current}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.camera));
        window->Slot(row.slot).m_bView = true;
        poll();
        std::vector<QString> read;
        for (int id : row.ids) {
            read.push_back(Shown(id));
            EXPECT_FALSE(read.back().contains(QStringLiteral("---"))) << id;
        }

        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        for (const char* name : row.read)
            emu.SetAddressFault(Reg(name).address, refuse);
        poll();
        ASSERT_TRUE(window->m_bConnected) << "a refused read is an answer";
        for (int id : row.ids)
            EXPECT_TRUE(Shown(id).contains(QStringLiteral("---"))) << id << " shows " << Shown(id).toStdString();
        for (const char* name : row.read)
            emu.SetAddressFault(Reg(name).address, emu::Fault{});
        poll();
        for (std::size_t i = 0; i < row.ids.size(); ++i)
            EXPECT_EQ(Shown(row.ids[i]), read[i]) << row.ids[i];

        emu.UnplugPort(0);
        poll();
        ASSERT_FALSE(window->m_bConnected);
        for (int id : row.ids)
            EXPECT_TRUE(Shown(id).contains(QStringLiteral("---"))) << id << " shows " << Shown(id).toStdString();
        for (int id : row.lamps) {
            EXPECT_EQ(Control(id)->property(CDlgAECAGC::kIconIdProperty).toInt(), wnd::IDI_STATE_OFF) << id;
        }

        emu.ReplugPort(0);
        for (int tick = 0; tick < 6 && !window->m_bConnected; ++tick)
            window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        ASSERT_TRUE(window->m_bConnected);
        window->Slot(row.slot).m_bView = true;
        poll();
        for (std::size_t i = 0; i < row.ids.size(); ++i)
            EXPECT_EQ(Shown(row.ids[i]), read[i]) << row.ids[i];
        for (int id : row.lamps) {
            EXPECT_NE(Control(id)->property(CDlgAECAGC::kIconIdProperty).toInt(), wnd::IDI_STATE_OFF) << id;
        }
    }
}


// ---- a read the camera does not answer ----

// Example failure: a refresh whose read the camera refused shows 0 (or the end of the range,
// or the choice of 0, or a clear box) as if the camera held it; once it answers again the
// field still shows the old number; or the operator's value equal to the number left in the
// field is not written.
TEST_F(PanelCameraValueTest, AFieldTheCameraDidNotAnswerShowsNoReadingUntilItAnswers)
{
    namespace im = panel_names::image;
    const QString dashes = QString::fromLatin1(COptionDialog::kNoReading);
    const struct {
        const char* what;
        int slot;
        CameraValues camera;
        int id;              ///< the field
        const char* name;    ///< its parameter
        QString noReading;   ///< what the field shows after a refused read
        /// The operator's edit after the camera answers again, given what the field showed
        /// before the refusal.
        std::function<void(const QString&)> act;
        std::optional<std::uint32_t> written;  ///< none: the value the camera held
        int config = 4;
    } rows[] = {
        {"numeric control: digital gain", 0, {{go::kDigitalGain, 2048}}, CDlgGainOffset::IDC_DIGITAL_GAIN,
         go::kDigitalGain, dashes, [this](const QString&) { TypeOver(CDlgGainOffset::IDC_DIGITAL_GAIN, "2"); }, 2048},
        {"numeric control: tap 1 gain", 0, {}, CDlgGainOffset::kTapIds[0].gain, "Gain1A", dashes,
         [this](const QString&) { TypeOver(CDlgGainOffset::kTapIds[0].gain, "0"); }, 0},
        {"slider group: brightness", 4, {{im::kTestMode, 1}, {im::kBrightnessLevel, 40}},
         CDlgImage::IDC_BRIGHTNESS_EDIT, im::kBrightnessLevel, dashes,
         [this](const QString& before) { TypeInto(CDlgImage::IDC_BRIGHTNESS_EDIT, before); }, {}},
        {"edit group: AOI width", 4, {}, CDlgImage::IDC_MASTER_WIDTH, im::kMasterAOIWidth, dashes,
         [this](const QString& before) { TypeInto(CDlgImage::IDC_MASTER_WIDTH, before); }, {}},
        {"combo: test mode", 4, {{im::kTestMode, 0}}, CDlgImage::IDC_TEST_MODE, im::kTestMode, QString(),
         [this](const QString&) { PickWithKey(CDlgImage::IDC_TEST_MODE, Qt::Key_Down); }, 0},
        {"check box: negative", 4, {{im::kNegative, 0}}, CDlgImage::IDC_NEGATIVE, im::kNegative,
         QStringLiteral("no reading"), [this](const QString&) { Click(CDlgImage::IDC_NEGATIVE); }, 1},
        {"radio group: horizontal binning", 4, {{im::kBinHorzMode, 0}}, CDlgImage::IDC_BIN_H1, im::kBinHorzMode,
         QStringLiteral("clear"), [this](const QString&) { Click(CDlgImage::IDC_BIN_H1); }, 0},
        {"numeric control: fan on level", 6, {{panel_names::temperature::kFanOnLevel, 35}},
         CDlgTempControl::IDC_FAN_ON_LEVEL, panel_names::temperature::kFanOnLevel, dashes,
         [this](const QString& before) { TypeOver(CDlgTempControl::IDC_FAN_ON_LEVEL, before.toUtf8()); }, {}},
        {"combo: fan mode", 6, {}, CDlgTempControl::IDC_FAN_MODE, panel_names::temperature::kFanMode, QString(),
         [this](const QString&) { PickWithKey(CDlgTempControl::IDC_FAN_MODE, Qt::Key_Down); }, {}},
        {"slider group: exposure", 2, {{"ExposureMin", 10}, {"ExposureMax", 100000}, {"ExposureDur", 5000}}, 1501,
         "ExposureDur", dashes, [this](const QString& before) { TypeInto(1501, before); }, {}},
        {"check box: long integration", 2, {{"FrameTimeEnable", 0}}, 1516, "FrameTimeEnable",
         QStringLiteral("no reading"), [this](const QString&) { Click(1516); }, 1},
        {"radio group: acquisition mode", 2, {{"AcquisitionMode", 0}}, 1021, "AcquisitionMode", QStringLiteral("clear"),
         [this](const QString&) { Click(1021); }, {}},
        {"numeric control: knee 1 position", 2, {{"WDRMode", 2}, {"Knee1Position", 40}}, 1682, "Knee1Position", dashes,
         [this](const QString& before) { TypeOver(1682, before.toUtf8()); }, {}},
        {"numeric control: focus step", 7, {{panel_names::lens::kActiveMount, 3}, {"CanonLensCtrlStatus", 8},
         {panel_names::lens::kFocusStepValue, 12}}, CDlgLensControl::IDC_FOCUS_STEP, panel_names::lens::kFocusStepValue,
         dashes, [this](const QString& before) { TypeOver(CDlgLensControl::IDC_FOCUS_STEP, before.toUtf8()); }, {}},
        {"combo: lens polarity", 7, {{panel_names::lens::kActiveMount, 3}, {"CanonLensCtrlStatus", 8},
         {"CanonLensPolarity", 1}}, CDlgLensControl::IDC_LENS_POLARITY, "CanonLensPolarity", QString(),
         [this](const QString&) { PickWithKey(CDlgLensControl::IDC_LENS_POLARITY, Qt::Key_Down); }, {}},
        {"numeric control: white balance red", 5,
         {{"CCD_Type", kColourSensor}, {panel_names::white_balance::kWBMode, 3}, {panel_names::white_balance::kWBRed, 300}},
         1323, panel_names::white_balance::kWBRed, dashes,
         [this](const QString& before) { TypeOver(1323, before.toUtf8()); }, {}},
        {"combo: white balance mode", 5, {{"CCD_Type", kColourSensor}, {panel_names::white_balance::kWBMode, 3}},
         CDlgWhiteBalance::IDC_MODE, panel_names::white_balance::kWBMode, QString(),
         [this](const QString&) { PickWithKey(CDlgWhiteBalance::IDC_MODE, Qt::Key_Down); }, {}},
        {"edit: luminance level", 3, {{"AECEnable", 1}, {"LumaLevel", 2048}}, CDlgAECAGC::IDC_LUMA_LEVEL, "LumaLevel",
         dashes, [this](const QString& before) { TypeInto(CDlgAECAGC::IDC_LUMA_LEVEL, before); }, {}, 8},
        {"edit: AGC lower limit", 3, {{"AGCEnable", 1}, {"AGCLimitMin", 40}, {"AGCLimitMax", 200}}, CDlgAECAGC::IDC_AGC_MIN, "AGCLimitMin",
         dashes, [this](const QString& before) { TypeInto(CDlgAECAGC::IDC_AGC_MIN, before); }, {}, 8},
        {"check box: AEC enable", 3, {{"AECEnable", 0}}, CDlgAECAGC::IDC_AEC_ENABLE, "AECEnable",
         QStringLiteral("no reading"), [this](const QString&) { Click(CDlgAECAGC::IDC_AEC_ENABLE); }, 1, 8},
        {"combo: luminance mode", 3, {{"AECEnable", 1}}, CDlgAECAGC::IDC_LUMA_MODE, "LumaMode", QString(),
         [this](const QString&) { PickWithKey(CDlgAECAGC::IDC_LUMA_MODE, Qt::Key_Down); }, {}, 8},
        {"slider group: Kelmir DPC threshold", 4, {{"DPCThreshold", 300}}, CDlgImageKelmir::IDC_DPC_EDIT, "DPCThreshold",
         dashes, [this](const QString& before) { TypeInto(CDlgImageKelmir::IDC_DPC_EDIT, before); }, {}, 7},
        {"check box: Kelmir mirror", 4, {{"MirrorEnable", 0}}, CDlgImage::IDC_MIRROR, "MirrorEnable",
         QStringLiteral("no reading"), [this](const QString&) { Click(CDlgImage::IDC_MIRROR); }, 1, 7},
        {"numeric control: Kelmir digital gain", 0, {}, CDlgGainOffsetKelmir::IDC_DIGITAL_GAIN, go::kDigitalGain, dashes,
         [this](const QString&) { TypeOver(CDlgGainOffsetKelmir::IDC_DIGITAL_GAIN, "2"); }, 2048, 7},
        {"numeric control: Kelmir fine gain", 0, {{"GainEMACourse", 0}, {"EMGain1XA", 1700}},
         CDlgGainOffsetKelmir::kChannelIds[0].fine, "EMGain1XA", dashes,
         [this](const QString& before) { TypeOver(CDlgGainOffsetKelmir::kChannelIds[0].fine, before.toUtf8()); }, {},
         7},
        {"combo: Kelmir day/night mode", 0, {}, CDlgGainOffsetKelmir::IDC_DAY_NIGHT_MODE,
         panel_names::kelmir::kDayNightMode, QString(),
         [this](const QString&) { PickWithKey(CDlgGainOffsetKelmir::IDC_DAY_NIGHT_MODE, Qt::Key_Down); }, {}, 7},
        {"slider group: strobe 1 position", 1, {{"FrameTime", 1000}, {"Strobe1Position", 120}}, 1456, "Strobe1Position", dashes,
         [this](const QString& before) { TypeInto(1456, before); }, {}},
        {"numeric control: pulse period", 1, {{"PulseGran", 0}, {"PulsePeriod", 500}}, CDlgOutput::IDC_PERIOD,
         "PulsePeriod", dashes, [this](const QString& before) { TypeOver(CDlgOutput::IDC_PERIOD, before.toUtf8()); }, {}},
        {"edit group: pulse count", 1, {{"PulseNumber", 25}}, CDlgOutput::IDC_COUNT_EDIT, "PulseNumber", dashes,
         [this](const QString& before) { TypeInto(CDlgOutput::IDC_COUNT_EDIT, before); }, {}},
        {"radio group: pulse count mode", 1, {{"PulseNumber", 25}}, CDlgOutput::IDC_SEND, "PulseNumber",
         QStringLiteral("clear"), [this](const QString&) { Click(CDlgOutput::IDC_SEND); }, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.camera));
        panel->raise();
        const QString answered = Shown(row.id);
        ASSERT_NE(answered, row.noReading);
        const std::uint32_t held = static_cast<std::uint32_t>(Field(row.name));

        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(row.name).address, refuse);
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(Shown(row.id), row.noReading);
        EXPECT_TRUE(WritesTo(row.name).empty()) << "nothing is written for a value nobody read";
        EXPECT_TRUE(boxes.empty());
        if (row.id == CDlgImage::IDC_BRIGHTNESS_EDIT) {
            // The picture an operator sees: the refused field dashed, its neighbours read.
            EXPECT_FALSE(panel->grab().toImage().isNull());
            SaveShot(panel, "no-reading-image");
        }

        emu.SetAddressFault(Reg(row.name).address, emu::Fault{});
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(Shown(row.id), answered) << "the number again once the camera answers";
        EXPECT_EQ(Field(row.name), held);

        // Refused once more; the camera answers the operator's value, also one equal to what
        // the field held before.
        emu.SetAddressFault(Reg(row.name).address, refuse);
        panel->RefreshFromStorage();
        Settle();
        emu.SetAddressFault(Reg(row.name).address, emu::Fault{});
        emu.ClearFrames();
        std::uint32_t value = row.written.value_or(held);
        if (auto* combo = qobject_cast<QComboBox*>(Control(row.id)))
            value = combo->itemData(0).toUInt();  // Down on a list without a choice picks the first
        row.act(answered);
        Settle();
        EXPECT_EQ(WritesTo(row.name), Frames{WriteOf(row.name, value)}) << "the operator's value is written";
        EXPECT_EQ(Field(row.name), value & Reg(row.name).mask);
        EXPECT_NE(Shown(row.id), row.noReading);
    }
}

// Example failure: a strobe position the camera did not answer is taken as 0, held in the
// range of a shorter frame time at the next tick and written; a count mode clicked while the
// pulse-count word is unread writes the mode with a count nobody read.
TEST_F(PanelCameraValueTest, OutputValuesTheCameraDidNotAnswerAreNeitherHeldNorWrittenWithAnother)
{
    ASSERT_TRUE(Open(4, 1, {{"FrameTime", 1000}, {"Strobe1Position", 120}, {"Strobe1Duration", 900}, {"PulseNumber", 25}}));
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    emu.SetAddressFault(Reg("Strobe1Position").address, refuse);
    emu.SetAddressFault(Reg("PulseNumber").address, refuse);
    panel->RefreshFromStorage();
    Settle();
    SetCameraValue("FrameTime", 100);
    emu.ClearFrames();
    panel->RefreshLiveValues();
    Settle();
    EXPECT_EQ(Shown(1456), QString::fromLatin1(COptionDialog::kNoReading));
    EXPECT_TRUE(WritesTo("Strobe1Position").empty()) << "a value nobody read is not held and written";
    EXPECT_EQ(WritesTo("Strobe1Duration"), Frames{WriteOf("Strobe1Duration", 100)}) << "a value read is held";

    Click(CDlgOutput::IDC_CONTINUOUS);
    Settle();
    EXPECT_TRUE(WritesTo("PulseNumber").empty());
    EXPECT_EQ(Shown(CDlgOutput::IDC_CONTINUOUS), "clear");
    EXPECT_EQ(Shown(CDlgOutput::IDC_SEND), "clear");
    EXPECT_EQ(Shown(CDlgOutput::IDC_COUNT_EDIT), QString::fromLatin1(COptionDialog::kNoReading));

    // Once the word answers, the click writes the mode with the camera's count.
    emu.SetAddressFault(Reg("PulseNumber").address, emu::Fault{});
    Click(CDlgOutput::IDC_CONTINUOUS);
    Settle();
    EXPECT_EQ(WritesTo("PulseNumber"), Frames{WriteOf("PulseNumber", 0x10000 | 25)});
    EXPECT_EQ(Shown(CDlgOutput::IDC_CONTINUOUS), "checked");
    EXPECT_EQ(Shown(CDlgOutput::IDC_COUNT_EDIT), "25");
}

// Example failure: an iris position the camera did not answer is taken as 0, so a move of the
// iris sends the step from 0 to the target and an open or close command; the position, range
// and encoder read-outs show numbers of a reading that failed.
TEST_F(PanelCameraValueTest, AnIrisPositionTheCameraDidNotAnswerMovesNothing)
{
    namespace ln = panel_names::lens;
    ASSERT_TRUE(Open(4, 7,
                     {{ln::kActiveMount, 3}, {"CanonLensCtrlStatus", 8}, {"CanonIrisRange", (20u << 16) | (8u << 8) | 8u},
                      {ln::kIrisPosition, 16}}));
    const QString dashes = QString::fromLatin1(COptionDialog::kNoReading);
    const QString position = Shown(CDlgLensControl::IDC_IRIS_EDIT);
    ASSERT_NE(position, dashes);
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    // The iris position and range share one register.
    emu.SetAddressFault(Reg(ln::kIrisPosition).address, refuse);
    emu.SetAddressFault(Reg(ln::kFocusState).address, refuse);
    panel->RefreshFromStorage();
    Settle();
    for (int id : {int(CDlgLensControl::IDC_IRIS_EDIT), int(CDlgLensControl::IDC_IRIS_POSITION),
                   int(CDlgLensControl::IDC_ENCODER), int(CDlgLensControl::IDC_RANGE_MAX)}) {
        EXPECT_EQ(Shown(id), dashes) << id;
    }

    emu.SetAddressFault(Reg(ln::kIrisPosition).address, emu::Fault{});
    emu.SetAddressFault(Reg(ln::kFocusState).address, emu::Fault{});
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(Shown(CDlgLensControl::IDC_IRIS_EDIT), position);
    EXPECT_NE(Shown(CDlgLensControl::IDC_ENCODER), dashes);

    // The camera stops answering the position just before the operator moves the iris.
    emu.SetAddressFault(Reg(ln::kIrisPosition).address, refuse);
    emu.ClearFrames();
    TypeInto(CDlgLensControl::IDC_IRIS_EDIT, "2.8");
    Settle();
    for (const char* name : {ln::kIrisStepValue, ln::kIrisOpenStep, ln::kIrisCloseStep}) {
        EXPECT_TRUE(WritesTo(name).empty()) << name;
    }
    EXPECT_EQ(Shown(CDlgLensControl::IDC_IRIS_EDIT), dashes);
}

}  // namespace

namespace {
// Example failure: a box whose refresh read failed is clicked (or Space) and the camera refuses
// the tick; the box then shows the reading stored before the failed one (a tick the camera
// holds no longer and just refused) instead of the camera's value or no reading.
TEST_F(PanelCameraValueTest, ABoxWithoutAReadingShowsNoTickTheCameraRefused)
{
    namespace im = panel_names::image;
    for (bool key : {false, true}) {
        SCOPED_TRACE(key ? "Space" : "click");
        ASSERT_TRUE(Open(4, 4, {{im::kNegative, 1}}));
        panel->raise();
        SetCameraValue(im::kNegative, 0);  // set elsewhere; the panel has not read it yet
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(im::kNegative).address, refuse);
        panel->RefreshFromStorage();
        Settle();
        ASSERT_EQ(Shown(CDlgImage::IDC_NEGATIVE), "no reading");
        auto* box = qobject_cast<QCheckBox*>(Control(CDlgImage::IDC_NEGATIVE));
        ASSERT_NE(box, nullptr);
        if (key) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        } else {
            Click(CDlgImage::IDC_NEGATIVE);
        }
        Settle();
        EXPECT_EQ(Shown(CDlgImage::IDC_NEGATIVE), "no reading") << "the camera refused the tick";
        EXPECT_EQ(Field(im::kNegative), 0);

        // Once it answers, the camera's value.
        emu.SetAddressFault(Reg(im::kNegative).address, emu::Fault{});
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(Shown(CDlgImage::IDC_NEGATIVE), "clear");
    }
}
}  // namespace

namespace {
// Example failure: a pulse generator that runs, whose state the camera did not answer, is shown
// stopped (the stopped icon, a Start button); after a refused Start the same.
TEST_F(PanelCameraValueTest, APulseStateTheCameraDidNotAnswerIsNotShownStopped)
{
    ASSERT_TRUE(Open(4, 1, {{"PulseEnable", 1}}));
    auto* icon = qobject_cast<QLabel*>(Control(CDlgOutput::IDC_PULSE_STATE));
    auto* start = qobject_cast<QAbstractButton*>(Control(CDlgOutput::IDC_START));
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(start, nullptr);
    ASSERT_EQ(start->text(), "Stop");
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    emu.SetAddressFault(Reg("PulseEnable").address, refuse);
    panel->RefreshFromStorage();
    Settle();
    const QString dashes = QString::fromLatin1(COptionDialog::kNoReading);
    EXPECT_TRUE(icon->pixmap().isNull()) << "no stopped icon for a state nobody read";
    EXPECT_EQ(icon->text(), dashes);
    EXPECT_TRUE(WritesTo("PulseEnable").empty());

    // The operator's Start is written; refused, the state stays unread.
    Click(CDlgOutput::IDC_START);
    Settle();
    EXPECT_EQ(WritesTo("PulseEnable"), Frames{WriteOf("PulseEnable", 1)});
    EXPECT_TRUE(icon->pixmap().isNull());
    EXPECT_EQ(icon->text(), dashes);

    emu.SetAddressFault(Reg("PulseEnable").address, emu::Fault{});
    panel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(start->text(), "Stop");
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_TRUE(icon->text().isEmpty());
}
}  // namespace

namespace {
// Example failure: a field whose refresh read failed is typed over and the camera refuses the
// value; the field then shows the number stored before the failed read (one the camera may
// hold no longer) instead of no reading.
TEST_F(PanelCameraValueTest, AFieldWithoutAReadingShowsNoReadingWhenTheTypedValueIsRefused)
{
    namespace im = panel_names::image;
    const QString dashes = QString::fromLatin1(COptionDialog::kNoReading);
    const struct {
        const char* what;
        int slot;
        CameraValues camera;
        int id;
        const char* name;
        std::uint32_t elsewhere;  ///< set on the camera behind the panel's back
        std::function<void()> type;
    } rows[] = {
        {"numeric control: digital gain", 0, {{go::kDigitalGain, 2048}}, CDlgGainOffset::IDC_DIGITAL_GAIN,
         go::kDigitalGain, 3072, [this] { TypeOver(CDlgGainOffset::IDC_DIGITAL_GAIN, "1.5"); }},
        {"numeric control: pulse period", 1, {{"PulseGran", 0}, {"PulsePeriod", 500}}, CDlgOutput::IDC_PERIOD,
         "PulsePeriod", 600, [this] { TypeOver(CDlgOutput::IDC_PERIOD, "700"); }},
        {"slider group: brightness", 4, {{im::kTestMode, 1}, {im::kBrightnessLevel, 40}},
         CDlgImage::IDC_BRIGHTNESS_EDIT, im::kBrightnessLevel, 50,
         [this] { TypeInto(CDlgImage::IDC_BRIGHTNESS_EDIT, "60"); }},
        {"slider group: strobe 1 position", 1, {{"FrameTime", 1000}, {"Strobe1Position", 120}}, 1456,
         "Strobe1Position", 200, [this] { TypeInto(1456, "300"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(4, row.slot, row.camera));
        panel->raise();
        const QString stale = Shown(row.id);
        ASSERT_NE(stale, dashes);
        SetCameraValue(row.name, row.elsewhere);  // the panel has not read it yet
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(row.name).address, refuse);
        panel->RefreshFromStorage();
        Settle();
        ASSERT_EQ(Shown(row.id), dashes);

        row.type();
        Settle();
        EXPECT_FALSE(WritesTo(row.name).empty()) << "the typed value left for the camera";
        EXPECT_FALSE(boxes.empty()) << "the refusal is shown";
        EXPECT_EQ(Shown(row.id), dashes) << "the camera refused the value; " << stale.toStdString()
                                         << " is older than the read that failed";

        // Once it answers, the camera's value.
        emu.SetAddressFault(Reg(row.name).address, emu::Fault{});
        panel->RefreshFromStorage();
        Settle();
        EXPECT_NE(Shown(row.id), dashes);
        EXPECT_NE(Shown(row.id), stale);
        EXPECT_EQ(Field(row.name), row.elsewhere);
    }
}
}  // namespace
