// The acquisition panel in slot 2 of the main window, on the emulated camera, driven with the
// operator's keys and clicks; the camera's frame log tells what reached the registers.
#include "PanelFixture.h"

#include "app/MainMenu.h"

#include "controls/CTrackBar.h"
#include "controls/CUpDownCtrl.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "controls/WindowIds.h"
#include "panels/CDlgAcquisition.h"

#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;

constexpr int kSlot = 2;

class AcquisitionPanelTest : public PanelTest {
public:
    /// The panel of configuration `config` after a rebuild over a camera in a typical state:
    /// triggered by software, exposure 5000 µs within 10..100000 µs, two WDR knees.
    CDlgAcquisition& Open(int config = 4, const std::map<const char*, std::uint32_t>& values = {})
    {
        window.reset();
        OpenOnCamera(config);
        std::map<const char*, std::uint32_t> camera = {
            {"ExposureMax", 100000}, {"ExposureMin", 10}, {"ExposureDur", 5000}, {"TriggerType", 4},
            {"AcquisitionMode", 1},  {"TriggerFrames", 4}, {"TriggerDebounce", 20}};
        if (config == 4) {
            camera["WDRMode"] = 2;
            camera["Knee1Position"] = 30;
            camera["Knee2Position"] = 70;
        }
        for (const auto& [name, value] : values)
            camera[name] = value;
        for (const auto& [name, value] : camera)
            SetCameraValue(name, value);
        panel = dynamic_cast<CDlgAcquisition*>(ShownPanel(kSlot));
        EXPECT_NE(panel, nullptr);
        panel->RefreshFromStorage();
        QApplication::processEvents();
        emu.ClearFrames();
        return *panel;
    }

    template <class T>
    T* Item(int id)
    {
        auto* w = qobject_cast<T*>(panel->GetDlgItem(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }

    /// The operator replaces an edit's text and presses Enter.
    static void TypeAndEnter(QLineEdit* edit, const char* text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    /// The operator opens a combo box's list (F4), moves to the item with `text` and takes it
    /// with Enter: one choice, whatever lies between.
    static void Pick(QComboBox* combo, const char* text)
    {
        const int target = combo->findText(QString::fromUtf8(text));
        ASSERT_GE(target, 0) << text;
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_F4);
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 5000));
        while (list->currentIndex().row() < target)
            QTest::keyClick(list, Qt::Key_Down);
        while (list->currentIndex().row() > target)
            QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 5000));
        ASSERT_EQ(combo->currentIndex(), target);
    }

    void Click(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    }

    /// The camera's field of parameter `name`.
    std::uint32_t CameraValue(const char* name)
    {
        RegisterLink reg;
        EXPECT_EQ(GetRegisterLink(window->m_Link, name, reg), 0) << name;
        return (emu.Register(reg.address) >> reg.shift) & reg.mask;
    }

    /// Sets `name` as another part of the program does (the terminal, a workspace load).
    void SetElsewhere(const char* name, std::int64_t value)
    {
        EXPECT_EQ(window->m_Link.SetParamIntIfOnline(name, value, true, false), 0) << name;
        QApplication::processEvents();
    }

    /// Geometry of every control of the panel, by id.
    std::map<int, QRect> Layout()
    {
        std::map<int, QRect> rects;
        for (QWidget* w : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (const int id = wnd::GetDlgCtrlID(w))
                rects[id] = w->geometry();
        rects[0] = QRect(QPoint(), panel->size());
        return rects;
    }

    int Bottom(int id) { return panel->GetDlgItem(id)->geometry().y() + panel->GetDlgItem(id)->height(); }

    CDlgAcquisition* panel = nullptr;
};

struct EditRow {
    const char* name;
    std::function<void(AcquisitionPanelTest&, CDlgAcquisition&)> act;
    Frames writes;
};

// Example failure: an edit writes twice (Enter and focus loss) or not at all, a slider writes
// at every step of a drag, a combo writes its item index instead of the map's value, a radio
// writes the other mode.
TEST_F(AcquisitionPanelTest, AnOperatorEditWritesOneCodedRegister)
{
    const std::vector<EditRow> rows = {
        {"typed de-bounce", [](auto& t, auto&) { t.TypeAndEnter(t.template Item<QLineEdit>(1477), "250"); },
         {WriteFrame(0x0510, 250)}},
        {"typed exposure", [](auto& t, auto&) { t.TypeAndEnter(t.template Item<QLineEdit>(1501), "12345"); },
         {WriteFrame(0x0548, 12345)}},
        {"typed exposure above the camera's maximum",
         [](auto& t, auto&) { t.TypeAndEnter(t.template Item<QLineEdit>(1501), "500000"); },
         {WriteFrame(0x0548, 100000)}},
        {"glitch slider to its end",
         [](auto& t, auto&) {
             auto* slider = t.template Item<CTrackBar>(1479);
             slider->setFocus();
             QTest::keyClick(slider, Qt::Key_End);
         },
         {WriteFrame(0x05CC, 0xFFFF)}},
        {"exposure delay spin up",
         [](auto& t, auto&) {
             auto* spin = t.template Item<CUpDownCtrl>(1507);
             spin->setFocus();
             QTest::keyPress(spin, Qt::Key_Up);
             QTest::keyRelease(spin, Qt::Key_Up);
         },
         {WriteFrame(0x0528, 1)}},
        {"trigger mode combo", [](auto& t, auto&) { t.Pick(t.template Item<QComboBox>(1470), "Fast"); },
         {WriteFrame(0x0518, 1)}},
        {"trigger source combo", [](auto& t, auto&) { t.Pick(t.template Item<QComboBox>(1469), "External 2"); },
         {WriteFrame(0x0508, 5)}},
        {"strobe enable combo", [](auto& t, auto&) { t.Pick(t.template Item<QComboBox>(1543), "Both"); },
         {WriteFrame(0x0524, 3)}},
        {"knee weight combo", [](auto& t, auto&) { t.Pick(t.template Item<QComboBox>(1520), "60"); },
         {WriteFrame(0x0580, 4)}},
        {"free running radio", [](auto& t, auto&) { t.Click(t.template Item<QRadioButton>(1021)); },
         {WriteFrame(0x05BC, 0)}},
        {"long integration check", [](auto& t, auto&) { t.Click(t.template Item<QCheckBox>(1516)); },
         {WriteFrame(0x0550, 1)}},
        {"software trigger, twice",
         [](auto& t, auto&) {
             t.Click(t.template Item<QPushButton>(1473));
             t.Click(t.template Item<QPushButton>(1473));
         },
         {WriteFrame(0x6030, 1), WriteFrame(0x6030, 1)}},
        {"knee position typed",
         [](auto&, auto& p) {
             auto* numeric = dynamic_cast<OVNumericControl*>(p.GetDlgItem(1682));
             TypeAndEnter(numeric->edit, "45");
         },
         {WriteFrame(0x0574, 45)}},
        {"knee position typed unchanged",
         [](auto&, auto& p) {
             auto* numeric = dynamic_cast<OVNumericControl*>(p.GetDlgItem(1324));
             TypeAndEnter(numeric->edit, "70");
         },
         {}},
        {"edit left without change",
         [](auto& t, auto&) {
             auto* edit = t.template Item<QLineEdit>(1477);
             edit->setFocus();
             QTest::keyClick(edit, Qt::Key_Tab);
         },
         {}},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.name);
        CDlgAcquisition& p = Open();
        row.act(*this, p);
        QApplication::processEvents();
        EXPECT_EQ(WriteFrames(), row.writes);
    }
}

// Example failure: a change made elsewhere leaves the panel stale, or the panel writes the
// value back to the camera while following it.
TEST_F(AcquisitionPanelTest, AChangeMadeElsewhereMovesTheControlsAndWritesNothing)
{
    CDlgAcquisition& p = Open();
    SetElsewhere("TriggerMode", 2);
    EXPECT_EQ(Item<QComboBox>(1470)->currentText(), "Double");
    SetElsewhere("TriggerDebounce", 640);
    EXPECT_EQ(Item<QLineEdit>(1477)->text(), "640");
    EXPECT_EQ(p.m_groups[0].m_nValue, 640);
    SetElsewhere("ExposureDur", 777);
    EXPECT_EQ(Item<QLineEdit>(1501)->text(), "777");
    SetElsewhere("AcquisitionMode", 0);
    EXPECT_TRUE(Item<QRadioButton>(1021)->isChecked());
    EXPECT_FALSE(Item<QPushButton>(1473)->isEnabled());
    SetElsewhere("FrameTimeEnable", 1);
    EXPECT_TRUE(Item<QCheckBox>(1516)->isChecked());
    SetElsewhere("Knee1Position", 55);
    EXPECT_EQ(dynamic_cast<OVNumericControl*>(p.GetDlgItem(1682))->value, 55.0);
    SetElsewhere("Knee2Weight", 7);
    EXPECT_EQ(Item<QComboBox>(1520)->currentText(), "90");
    SetElsewhere("WDRMode", 1);
    EXPECT_EQ(Item<QComboBox>(1517)->currentText(), "One Knee");
    EXPECT_TRUE(p.GetDlgItem(1324)->isHidden());

    // Only the changes themselves reached the camera, one frame each.
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x0518, 2), WriteFrame(0x0510, 640),
                                     WriteFrame(0x0548, 777), WriteFrame(0x05BC, 0), WriteFrame(0x0550, 1),
                                     WriteFrame(0x0574, 55), WriteFrame(0x0580, 7), WriteFrame(0x0570, 1)}));
}

// Example failure: a notified TriggerType of 0 (no item in the map) goes on showing the
// software item, or leaves the software-trigger button on, for a camera no longer triggered
// by software.
TEST_F(AcquisitionPanelTest, ANotifiedTriggerTypeOfZeroShowsNoItemAndCountsAsTheFirstSource)
{
    CDlgAcquisition& p = Open();
    ASSERT_EQ(Item<QComboBox>(1469)->currentText(), "Software");
    SetElsewhere("TriggerType", 0);
    EXPECT_EQ(Item<QComboBox>(1469)->currentIndex(), -1);
    EXPECT_EQ(p.m_combos[0].m_nValue, 1);
    EXPECT_FALSE(Item<QPushButton>(1473)->isEnabled());
    SetElsewhere("TriggerType", 4);
    EXPECT_TRUE(Item<QPushButton>(1473)->isEnabled());
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x0508, 0), WriteFrame(0x0508, 4)}));
}

// Example failure: the button is usable for a hardware trigger or in free running, or stays
// disabled after the operator picks the software trigger.
TEST_F(AcquisitionPanelTest, SoftwareTriggerOnlyForSoftwareTriggeredAcquisition)
{
    struct Row {
        std::uint32_t type, mode;
        bool enabled;
    } const rows[] = {{4, 1, true}, {4, 0, false}, {1, 1, false}, {3, 1, false}};
    for (const Row& row : rows) {
        Open(4, {{"TriggerType", row.type}, {"AcquisitionMode", row.mode}});
        EXPECT_EQ(Item<QPushButton>(1473)->isEnabled(), row.enabled) << row.type << "/" << row.mode;
    }
    // The operator's own choices apply the rule at once.
    Open(4, {{"TriggerType", 1}, {"AcquisitionMode", 0}});
    Pick(Item<QComboBox>(1469), "Software");
    EXPECT_FALSE(Item<QPushButton>(1473)->isEnabled());
    Click(Item<QRadioButton>(1022));
    EXPECT_TRUE(Item<QPushButton>(1473)->isEnabled());
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x0508, 4), WriteFrame(0x05BC, 1)}));
}

// Example failure: the knee controls stay usable with WDR off, or the second knee shows for
// one knee.
TEST_F(AcquisitionPanelTest, WdrModeSetsTheKneeControls)
{
    CDlgAcquisition& p = Open();
    struct Row {
        const char* item;
        bool enabled;
        bool second;
    } const rows[] = {{"Off", false, true}, {"One Knee", true, false}, {"Two Knees", true, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        Pick(Item<QComboBox>(1517), row.item);
        for (int id : {1682, 1518, 1324, 1520})
            EXPECT_EQ(p.GetDlgItem(id)->isEnabled(), row.enabled) << id;
        for (int id : {1680, 1679, 1681, 1683, 1324, 1520})
            EXPECT_EQ(!p.GetDlgItem(id)->isHidden(), row.second) << id;
        // The knee position's own edit follows its control.
        EXPECT_EQ(dynamic_cast<OVNumericControl*>(p.GetDlgItem(1682))->edit->isEnabled(), row.enabled);
        EXPECT_EQ(dynamic_cast<OVNumericControl*>(p.GetDlgItem(1682))->spin->isEnabled(), row.enabled);
        EXPECT_EQ(dynamic_cast<OVNumericControl*>(p.GetDlgItem(1682))->edit->isReadOnly(), false);
    }
}

// Example failure: the exposure slider allows more than the camera's current maximum, a lowered
// maximum leaves the camera's exposure outside it, or a triggered camera is held to the
// free-running maximum.
TEST_F(AcquisitionPanelTest, ExposureStaysInsideTheCameraLimits)
{
    CDlgAcquisition& p = Open(4, {{"AcquisitionMode", 0}});
    CSliderEditSpin& exposure = p.m_groups[5];
    EXPECT_EQ(exposure.m_nMin, 10);
    EXPECT_EQ(exposure.m_nMax, 100000);
    EXPECT_EQ(Item<QLabel>(1504)->text(), "100000");

    // The camera lowers its maximum below the exposure: clamped and written back at the tick.
    SetCameraValue("ExposureMax", 4000);
    p.RefreshLiveValues();
    EXPECT_EQ(exposure.m_nMax, 4000);
    EXPECT_EQ(Item<QLineEdit>(1501)->text(), "4000");
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x0548, 4000)}));
    emu.ClearFrames();
    p.RefreshLiveValues();  // unchanged limits: nothing more
    EXPECT_TRUE(WriteFrames().empty());

    // Triggered: ExposureMax is not consulted at the tick.
    Click(Item<QRadioButton>(1022));
    emu.ClearFrames();
    p.RefreshLiveValues();
    EXPECT_EQ(exposure.m_nMax, 0xFFFFFF);
    EXPECT_EQ(exposure.m_nValue, 4000);
    EXPECT_TRUE(WriteFrames().empty());

    // Free running again with a maximum of 0 (not reported): the record's maximum stays.
    Click(Item<QRadioButton>(1021));
    SetCameraValue("ExposureMax", 0);
    emu.ClearFrames();
    p.RefreshLiveValues();
    EXPECT_EQ(exposure.m_nMax, 0xFFFFFF);
    SetCameraValue("ExposureMax", 4500);
    p.RefreshLiveValues();
    EXPECT_EQ(exposure.m_nMax, 4500);
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: an exposure the camera refused to read is taken as 0, held at the range's
// minimum and written to the camera, at the rebuild and again at a tick that moves the range.
TEST_F(AcquisitionPanelTest, AnExposureTheCameraDidNotAnswerIsNotHeldAndWritten)
{
    CDlgAcquisition& p = Open(4, {{"AcquisitionMode", 0}});
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    emu.SetAddressFault(0x0548, refuse);
    window->SetDefault();
    SetCameraValue("ExposureMax", 4000);
    p.RefreshLiveValues();
    EXPECT_EQ(p.m_groups[5].m_nMax, 4000);
    for (const Bytes& frame : WriteFrames()) {
        EXPECT_NE((frame[1] << 8) | frame[2], 0x0548);
    }

    // Once the camera answers, the panel shows its exposure held in the range, written as shown.
    emu.SetAddressFault(0x0548, emu::Fault{});
    emu.ClearFrames();
    window->SetDefault();
    EXPECT_EQ(Item<QLineEdit>(1501)->text(), "4000");
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x0548, 4000)}));
}

// Example failure: the main window's status tick does not reach the panel, so a lowered camera
// maximum leaves the exposure outside it until the next rebuild; or a panel that is not viewed
// writes as well.
TEST_F(AcquisitionPanelTest, TheStatusTickHoldsTheExposureOfAViewedPanel)
{
    CDlgAcquisition& p = Open(4, {{"AcquisitionMode", 0}});
    SetCameraValue("ExposureMax", 4000);
    window->Slot(kSlot).m_bView = false;
    window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_EQ(p.m_groups[5].m_nMax, 100000);
    EXPECT_TRUE(WriteFrames().empty());

    window->Slot(kSlot).m_bView = true;
    window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_EQ(p.m_groups[5].m_nMax, 4000);
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x0548, 4000)}));
}

// Example failure: debug mode still clamps the exposure to the camera's current range.
TEST_F(AcquisitionPanelTest, DebugModeLeavesTheExposureRange)
{
    CDlgAcquisition& p = Open(4, {{"AcquisitionMode", 0}});
    p.SetDebugMode(true);
    p.RefreshFromStorage();
    EXPECT_EQ(p.m_groups[5].m_nMax, 0xFFFFFF);
    EXPECT_TRUE(Item<QPushButton>(1473)->isEnabled());
    SetCameraValue("ExposureMax", 4000);
    p.RefreshLiveValues();
    EXPECT_EQ(p.m_groups[5].m_nMax, 0xFFFFFF);
    EXPECT_EQ(Item<QLineEdit>(1501)->text(), "5000");
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: after Debug off the panel shows exposure 1 (range 1..1) while the camera
// holds 0, and nothing is written: the record's range held the value before the panel compared
// it with the camera's range.
TEST_F(AcquisitionPanelTest, AfterDebugOffAnExposureOutsideTheRangeIsWrittenAsShown)
{
    struct Row {
        std::uint32_t exposure;  ///< the camera's
        std::uint32_t min, max;  ///< ExposureMin, ExposureMax
        int held;                ///< shown and written; -1: inside, nothing written
    };
    const Row rows[] = {{0, 1, 1, 1}, {0, 10, 100000, 10}, {200000, 10, 100000, 100000}, {5000, 10, 100000, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.exposure);
        CDlgAcquisition& p = Open(4, {{"AcquisitionMode", 0}});
        QAction* debug = window->Menu().Item(cmd::kDebug);
        ASSERT_NE(debug, nullptr);
        debug->trigger();
        Settle();
        ASSERT_TRUE(window->m_bDebugMode);
        SetCameraValue("ExposureMin", row.min);
        SetCameraValue("ExposureMax", row.max);
        SetCameraValue("ExposureDur", row.exposure);
        emu.ClearFrames();
        debug->trigger();
        Settle();
        ASSERT_FALSE(window->m_bDebugMode);
        CDlgAcquisition* after = dynamic_cast<CDlgAcquisition*>(window->GetPanel(kSlot));
        ASSERT_EQ(after, &p);
        Frames writes;
        for (const Bytes& frame : WriteFrames())
            if (((frame[1] << 8) | frame[2]) == 0x0548)
                writes.push_back(frame);
        if (row.held < 0) {
            EXPECT_TRUE(writes.empty());
            EXPECT_EQ(Item<QLineEdit>(1501)->text(), QString::number(row.exposure));
        } else {
            EXPECT_EQ(writes, (Frames{WriteFrame(0x0548, static_cast<std::uint32_t>(row.held))}));
            EXPECT_EQ(Item<QLineEdit>(1501)->text(), QString::number(row.held));
            EXPECT_EQ(Field("ExposureDur"), row.held);
        }
    }
}

// Example failure ("CONT" read as 0): passing through the frame-count edit while it shows
// "CONT" writes the minimum frame count, turning continuous acquisition into one frame.
TEST_F(AcquisitionPanelTest, ContFrameCountIsNeverParsedAsZero)
{
    CDlgAcquisition& p = Open(4, {{"TriggerFrames", 0xFFDD}});
    auto* edit = Item<QLineEdit>(1485);
    EXPECT_EQ(edit->text(), "CONT");
    EXPECT_EQ(Item<QLabel>(1488)->text(), "CONT");
    EXPECT_EQ(Item<QLabel>(1487)->text(), "1");

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    TypeAndEnter(edit, "CONT");
    EXPECT_TRUE(WriteFrames().empty());
    EXPECT_EQ(edit->text(), "CONT");
    EXPECT_EQ(CameraValue("TriggerFrames"), 0xFFDDu);

    // A number leaves "continuous"; the label typed in any case brings it back.
    TypeAndEnter(edit, "12");
    EXPECT_EQ(edit->text(), "12");
    TypeAndEnter(edit, " cont ");
    EXPECT_EQ(edit->text(), "CONT");
    EXPECT_EQ(p.m_groups[2].m_nValue, 0xFFDD);
    EXPECT_EQ(WriteFrames(), (Frames{WriteFrame(0x051C, 12), WriteFrame(0x051C, 0xFFDD)}));
}

struct SectionsRow {
    int config;
    bool strobeDuration;
    bool wdr;
    bool tdi;
};

class AcquisitionSectionsTest : public AcquisitionPanelTest, public ::testing::WithParamInterface<SectionsRow> {};

// Example failure: a section the camera lacks stays on the panel, a collapse leaves a gap or
// swallows the next row, the second collapse is measured before the first moved the rows, or
// a later rebuild collapses again.
TEST_P(AcquisitionSectionsTest, AbsentSectionsCollapse)
{
    const SectionsRow row = GetParam();
    CDlgAcquisition& p = Open(row.config);
    auto shown = [&p](int id) { return !p.GetDlgItem(id)->isHidden(); };
    EXPECT_EQ(shown(1649), row.strobeDuration);
    EXPECT_EQ(shown(1489), row.strobeDuration);
    EXPECT_EQ(shown(1490), row.strobeDuration);
    for (int id : {1685, 1517, 1682, 1518, 1684})
        EXPECT_EQ(shown(id), row.wdr) << id;
    for (int id : {1690, 1519, 1521, 1522, 1527, 1528})
        EXPECT_EQ(shown(id), row.tdi) << id;
    for (int id : {1494, 1495, 1500, 1501, 1516, 1511, 1512, 1543, 1510})
        EXPECT_TRUE(shown(id)) << id;

    // Each collapsed section closes up to the 8-pixel margin.
    if (!row.strobeDuration) {
        EXPECT_EQ(Bottom(1537) - 8, Bottom(1543));
    }
    if (!row.wdr) {
        EXPECT_EQ(Bottom(1690) - 8, Bottom(1685));
    }
    if (!row.tdi) {
        EXPECT_EQ(Bottom(1516) - 8, Bottom(1690));
    }
    // The long-integration row moves as one, and the divider shrinks with its box.
    EXPECT_EQ(p.GetDlgItem(1511)->y(), p.GetDlgItem(1516)->y());
    EXPECT_EQ(Bottom(1538) - Bottom(1655), wnd::DialogUnitsToPixelsY(384) - wnd::DialogUnitsToPixelsY(378));
    EXPECT_EQ(p.height(), Bottom(1538) + 8);
    EXPECT_GE(Bottom(1538), Bottom(1511));

    const auto before = Layout();
    p.RefreshFromStorage();
    EXPECT_EQ(Layout(), before);
    EXPECT_TRUE(WriteFrames().empty());
}

INSTANTIATE_TEST_SUITE_P(Configurations, AcquisitionSectionsTest,
                         ::testing::Values(SectionsRow{4, false, true, false}, SectionsRow{5, false, false, false},
                                           SectionsRow{7, true, false, false}, SectionsRow{8, true, false, true}),
                         [](const auto& info) { return "Config" + std::to_string(info.param.config); });

// Example failure: a slider group whose parameter the catalogue lacks keeps the limits and value
// it showed before, or stays usable.
TEST_F(AcquisitionPanelTest, GroupsWithoutTheirParameterAreEmptyAndDisabled)
{
    CDlgAcquisition& p = Open();
    ASSERT_EQ(p.m_groups[1].m_nMax, 0xFFFF);
    window->m_Link.ClearStorage();  // a catalogue without any of the panel's parameters
    p.RefreshFromStorage();
    for (int i : {0, 1, 2, 4, 5, 6, 7}) {
        SCOPED_TRACE(i);
        const CSliderEditSpin& g = p.m_groups[i];
        EXPECT_EQ(g.m_nMin, 0);
        EXPECT_EQ(g.m_nMax, 0);
        EXPECT_EQ(g.m_nValue, 0);
        EXPECT_FALSE(g.m_slider->isEnabled());
        EXPECT_FALSE(g.m_edit->isEnabled());
        EXPECT_FALSE(g.m_spin->isEnabled());
    }
    EXPECT_TRUE(p.GetDlgItem(1469)->isHidden());
    EXPECT_TRUE(p.GetDlgItem(1685)->isHidden());
    EXPECT_EQ(p.height(), Bottom(1538) + 8);
    EXPECT_TRUE(WriteFrames().empty());
}

// The panel as the reviewer sees it; every text fits its control.
TEST_F(AcquisitionPanelTest, ScreenshotShowsEveryLabelWhole)
{
    for (int config : {4, 8}) {
        SCOPED_TRACE(config);
        CDlgAcquisition& p = Open(config);
        const std::string path = SaveShot(&p, "acquisition-config" + std::to_string(config));
        EXPECT_FALSE(path.empty());
        for (QLabel* label : p.findChildren<QLabel*>()) {
            if (label->isHidden() || label->text().isEmpty())
                continue;
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
            EXPECT_LE(label->sizeHint().height(), label->height() + 4) << label->text().toStdString();
        }
        for (QAbstractButton* button : p.findChildren<QAbstractButton*>()) {
            if (button->isHidden() || button->text().isEmpty())
                continue;
            EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
        }
    }
}

}  // namespace
