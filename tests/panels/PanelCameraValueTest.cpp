// What every panel shows is what the camera holds: a negative number typed over a selection
// reaches the camera as typed, a refused or lost write leaves the camera's value on the panel
// (and the same value typed again is sent again), and an edit made while the camera is offline
// returns to the camera's value with the operator told. Driven with key and mouse events over
// the emulated camera; its frame log shows what reached the registers.
#include "PanelFixture.h"

#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "panels/CDlgAcquisition.h"
#include "panels/CDlgGainOffset.h"
#include "panels/CDlgImage.h"
#include "panels/CDlgTempControl.h"
#include "panels/CDlgWhiteBalance.h"
#include "panels/LimitsScaleLogic.h"
#include "panels/PanelNames.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
using Frames = std::vector<std::vector<std::uint8_t>>;
namespace go = panel_names::gain_offset;

constexpr std::uint32_t kColourSensor = 12;

class PanelCameraValueTest : public PanelTest {
public:
    using MainWindowTest::SetCameraValue;
    using PanelTest::Field;
    using PanelTest::WriteFrames;
    using PanelTest::WriteIn;
    using PanelTest::WriteOf;

    /// The panel of `slot` on a camera of `config`, after `prepare` set up the camera's
    /// registers and a rebuild read them; active, with an empty frame log.
    COptionDialog* Open(int config, int slot, const std::function<void(PanelCameraValueTest&)>& prepare = {})
    {
        window.reset();
        OpenOnCamera(config);
        if (prepare) {
            prepare(*this);
            window->m_Link.ReadCameraInfo();
            window->SetDefault();
        }
        panel = ShownPanel(slot);
        if (!panel) {
            ADD_FAILURE() << "slot " << slot << " is empty";
            return nullptr;
        }
        panel->activateWindow();
        QApplication::setActiveWindow(panel);
        if (!QTest::qWaitFor([this] { return panel->isActiveWindow(); }, 5000))
            ADD_FAILURE() << "the panel did not become active";
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

    /// The operator selects a plain edit's text, types over it and presses Enter.
    void TypeOverEdit(int id, const char* text)
    {
        auto* edit = qobject_cast<QLineEdit*>(Control(id));
        ASSERT_NE(edit, nullptr) << id;
        edit->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 5000));
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        Settle();
    }

    void ClickButton(int id)
    {
        QWidget* w = Control(id);
        ASSERT_NE(w, nullptr) << id;
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
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

    COptionDialog* panel = nullptr;
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

struct UnwrittenRow {
    const char* what;
    int config;
    int slot;
    std::function<void(PanelCameraValueTest&)> prepare;  ///< camera registers before the rebuild
    int id;                                              ///< the control the operator uses
    std::function<void(PanelCameraValueTest&)> act;
    const char* name;
    std::uint32_t value;                                 ///< the field the action writes
};

const std::vector<UnwrittenRow>& UnwrittenRows()
{
    using T = PanelCameraValueTest;
    static const std::vector<UnwrittenRow> rows = {
        {"digital gain 2.0", 4, 0, {}, CDlgGainOffset::IDC_DIGITAL_GAIN,
         [](T& t) { t.TypeOver(CDlgGainOffset::IDC_DIGITAL_GAIN, "2"); }, go::kDigitalGain, 2048},
        {"exposure 2500", 4, 2,
         [](T& t) {
             t.SetCameraValue("ExposureMin", 10);
             t.SetCameraValue("ExposureMax", 100000);
             t.SetCameraValue("ExposureDur", 5000);
         },
         1501, [](T& t) { t.TypeOverEdit(1501, "2500"); }, "ExposureDur", 2500},
        {"binning 2x", 4, 4, {}, CDlgImage::IDC_BIN_H2, [](T& t) { t.ClickButton(CDlgImage::IDC_BIN_H2); },
         panel_names::image::kBinHorzMode, 1},
        {"TDI forward scan", 8, 2, [](T& t) { t.SetCameraValue("TDIMode", 0); }, 1519,
         [](T& t) { t.Pick(1519, "Forward Scan"); }, "TDIMode", 1},
        {"fan on level 41", 4, 6, {}, CDlgTempControl::IDC_FAN_ON_LEVEL,
         [](T& t) { t.TypeOver(CDlgTempControl::IDC_FAN_ON_LEVEL, "41"); }, panel_names::temperature::kFanOnLevel, 41},
        {"white balance Auto", 4, 5,
         [](T& t) {
             t.SetCameraValue("CCD_Type", kColourSensor);
             t.SetCameraValue(panel_names::white_balance::kWBMode, 3);
         },
         CDlgWhiteBalance::IDC_MODE, [](T& t) { t.Pick(CDlgWhiteBalance::IDC_MODE, "Auto"); },
         panel_names::white_balance::kWBMode, 2},
    };
    return rows;
}

// Example failure: the camera refuses the value, the error box appears, and the panel goes on
// showing the refused value; the same value typed again then sends nothing.
TEST_F(PanelCameraValueTest, RefusedWriteLeavesTheCameraValueAndIsSentAgain)
{
    for (const UnwrittenRow& row : UnwrittenRows()) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.prepare));
        const QString before = Shown(row.id);
        const std::int64_t held = Field(row.name);
        ASSERT_NE(held, row.value);
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(row.name).address, refuse);
        row.act(*this);
        EXPECT_FALSE(WritesTo(row.name).empty()) << "the write left for the camera";
        EXPECT_FALSE(boxes.empty()) << "the refusal is shown";
        EXPECT_EQ(Field(row.name), held);
        EXPECT_EQ(Shown(row.id), before) << "the panel shows the camera's value";

        emu.SetAddressFault(Reg(row.name).address, emu::Fault{});
        emu.ClearFrames();
        const std::vector<std::uint8_t> expected = WriteOf(row.name, row.value);
        row.act(*this);
        EXPECT_EQ(WritesTo(row.name), Frames{expected}) << "the same value again is sent again";
        EXPECT_EQ(Field(row.name), row.value);
    }
}

// Example failure: with the camera offline an edit shows as made, no frame leaves and the
// operator is told nothing.
TEST_F(PanelCameraValueTest, OfflineEditReturnsToTheCameraValueAndTellsTheOperator)
{
    for (const UnwrittenRow& row : UnwrittenRows()) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(Open(row.config, row.slot, row.prepare));
        const QString before = Shown(row.id);
        // The camera fell silent: the link no longer holds it online.
        window->m_Link.m_bLinkAlive = 0;
        window->m_Link.m_bOnline = 0;
        row.act(*this);
        EXPECT_TRUE(WriteFrames().empty());
        EXPECT_EQ(Shown(row.id), before);
        EXPECT_EQ(boxes, std::vector<std::string>{COptionDialog::kCameraOfflineText});

        // Back online, the same value is written.
        window->m_Link.m_bLinkAlive = 1;
        window->m_Link.m_bOnline = 1;
        emu.ClearFrames();
        const std::vector<std::uint8_t> expected = WriteOf(row.name, row.value);
        row.act(*this);
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
    struct Row {
        const char* what;
        int config;
        std::function<void(PanelCameraValueTest&)> prepare;
        std::function<void(PanelCameraValueTest&)> check;
    };
    const Row rows[] = {
        {"Kelmir fine gain and set-point", 7,
         [](PanelCameraValueTest& t) {
             t.SetCameraValue("EMGain1XB", 0x1000 | 5);
             t.SetCameraValue(kelmir::kUserTECValue, 2000);
         },
         [](PanelCameraValueTest& t) {
             const Frames writes = t.WriteFrames();
             for (const auto& expected : {t.WriteIn("EMGain1XB", 0x1000 | 1700), t.WriteIn(kelmir::kUserTECValue, 2012)})
                 EXPECT_NE(std::find(writes.begin(), writes.end(), expected), writes.end());
             EXPECT_EQ(t.Field("EMGain1XB"), 0x1000 | 1700);
             EXPECT_EQ(t.Field(kelmir::kUserTECValue), 2012);
         }},
        {"lens initialised", 4,
         [](PanelCameraValueTest& t) {
             t.SetCameraValue(panel_names::lens::kActiveMount, 3);
             t.SetCameraValue("CanonLensCtrlStatus", 8);
         },
         [](PanelCameraValueTest& t) {
             EXPECT_EQ(t.WritesTo(panel_names::lens::kInitLens), Frames{t.WriteIn(panel_names::lens::kInitLens, 1)});
         }},
        {"exposure held to the camera's maximum", 4,
         [](PanelCameraValueTest& t) {
             t.SetCameraValue("AcquisitionMode", 0);
             t.SetCameraValue("ExposureMin", 10);
             t.SetCameraValue("ExposureMax", 100000);
             t.SetCameraValue("ExposureDur", 500000);
         },
         [](PanelCameraValueTest& t) {
             EXPECT_FALSE(t.WritesTo("ExposureDur").empty());
             EXPECT_EQ(t.Field("ExposureDur"), 100000);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        window.reset();
        OpenOnCamera(row.config);
        row.prepare(*this);
        StartProgram();
        row.check(*this);
    }
}

}  // namespace
