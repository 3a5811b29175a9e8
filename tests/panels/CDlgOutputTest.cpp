// The output panel in slot 1 of the main window, on the emulated camera, driven with the
// operator's keys and clicks; the camera's frame log tells what reached the registers.
#include "PanelDrive.h"

#include "catalogues/ZorvatCatalogue.h"
#include "controls/CTrackBar.h"
#include "controls/CUpDownCtrl.h"
#include "controls/IconResource.h"
#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "controls/OVSlider.h"
#include "panels/CDlgOutput.h"
#include "panels/PanelNames.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
namespace names = panel_names::output;
using Frames = std::vector<std::vector<std::uint8_t>>;

constexpr int kSlot = 1;
constexpr int kDefaultConfig = 4;    // machine vision: one output, one strobe
constexpr int kAerospaceConfig = 8;  // both outputs and both strobes
constexpr int kKelmirConfig = 7;

using Values = std::map<std::string, std::uint32_t>;

class OutputPanelTest : public PanelDriveTest<CDlgOutput> {
protected:
    using PanelDriveTest::TypeInto;
    using PanelTest::TypeInto;

    /// The panel after a rebuild over a camera in a typical state: frame time 20 000 µs, strobe 1
    /// at 5000 µs for 100 µs, the pulse generator on a 100 µs time base with a period of 20 and
    /// a width of 5 counts, 10 pulses.
    CDlgOutput& OpenOutput(int config = kDefaultConfig, const Values& values = {})
    {
        window.reset();
        OpenOnCamera(config);
        Values camera = {{names::kFrameTime, 20000},     {names::kStrobe1Position, 5000},
                         {names::kStrobe1Duration, 100}, {names::kStrobe2Position, 3000},
                         {names::kStrobe2Duration, 200}, {names::kPulseGran, 2},
                         {names::kPulsePeriod, 20},      {names::kPulseWidth, 5},
                         {names::kPulseNumber, 10}};
        for (const auto& [name, value] : values)
            camera[name] = value;
        for (const auto& [name, value] : camera) {
            RegisterLink reg;
            if (GetRegisterLink(window->m_Link, name.c_str(), reg) == 0)
                SetCameraValue(name.c_str(), value);
        }
        Show(kSlot);
        EXPECT_NE(panel, nullptr);
        panel->RefreshFromStorage();
        Settle();
        emu.ClearFrames();
        return *panel;
    }

    OVNumericControl* Numeric(int id) { return dynamic_cast<OVNumericControl*>(panel->GetDlgItem(id)); }

    /// Sets `name` as another part of the program does (the terminal, a workspace load).
    void SetElsewhere(const char* name, std::int64_t value)
    {
        EXPECT_EQ(window->m_Link.SetParamIntIfOnline(name, value, true, false), 0) << name;
        Settle();
    }

    std::uint32_t CameraValue(const char* name)
    {
        const RegisterLink reg = Reg(name);
        return (emu.Register(reg.address) >> reg.shift) & reg.mask;
    }

    int IconShown() { return Item<QLabel>(CDlgOutput::IDC_PULSE_STATE)->property(CDlgOutput::kIconIdProperty).toInt(); }

    int Bottom(int id)
    {
        const QRect r = panel->GetDlgItem(id)->geometry();
        return r.y() + r.height();
    }
};

struct EditRow {
    const char* name;
    Values camera;
    std::function<void()> act;
    std::vector<std::pair<const char*, int>> writes;  ///< parameter and value, in order
};

// Example failure: a combo writes its item index instead of the map's value, a typed period is
// written in microseconds instead of counts or truncated instead of rounded, lowering the
// period below the width leaves the width beyond it, a change of time base rewrites the period,
// the count loses or keeps the continuous bit, an edit writes twice (Enter and focus loss).
TEST_F(OutputPanelTest, AnOperatorEditWritesTheCodedRegisters)
{
    const std::vector<EditRow> rows = {
        {"output 1 polarity", {}, [this] { PickItem(Item<QComboBox>(1432), "High"); },
         {{names::kOut1Polarity, 1}}},
        {"output 1 signal", {}, [this] { PickItem(Item<QComboBox>(1434), "Pulse Generator"); },
         {{names::kOut1Mapping, 11}}},
        {"strobe 1 mode", {}, [this] { PickItem(Item<QComboBox>(1431), "Odd Frames"); },
         {{names::kStrobe1Mode, 2}}},
        {"strobe 1 position typed", {}, [this] { TypeInto(1456, "7500"); }, {{names::kStrobe1Position, 7500}}},
        {"strobe 1 position beyond the frame time", {}, [this] { TypeInto(1456, "90000"); },
         {{names::kStrobe1Position, 20000}}},
        {"strobe 1 duration slider to its end",
         {},
         [this] {
             auto* slider = Item<CTrackBar>(1460);
             slider->setFocus();
             QTest::keyClick(slider, Qt::Key_End);
         },
         {{names::kStrobe1Duration, 20000}}},
        {"period 1250 us on the 100 us base", {}, [this] { TypeInto(Numeric(1465), "1250"); },
         {{names::kPulsePeriod, 13}}},
        {"period 40 us on the 100 us base", {{names::kPulseWidth, 1}}, [this] { TypeInto(Numeric(1465), "40"); },
         {{names::kPulsePeriod, 1}}},
        {"period below the width caps the width",
         {{names::kPulseWidth, 15}},
         [this] { TypeInto(Numeric(1465), "1000"); },
         {{names::kPulsePeriod, 10}, {names::kPulseWidth, 10}}},
        {"width typed", {}, [this] { TypeInto(Numeric(1251), "320"); }, {{names::kPulseWidth, 3}}},
        // A committed value is written even when it is the width already shown.
        {"width typed unchanged", {}, [this] { TypeInto(Numeric(1251), "500"); }, {{names::kPulseWidth, 5}}},
        {"time base 10 to 1000 us",
         {{names::kPulseGran, 1}, {names::kPulsePeriod, 50}},
         [this] { PickItem(Item<QComboBox>(1466), "1000"); },
         {{names::kPulseGran, 3}}},
        {"continuous", {}, [this] { Click(CDlgOutput::IDC_CONTINUOUS); },
         {{names::kPulseNumber, 0x1000A}}},
        {"send again",
         {{names::kPulseNumber, 0x1000A}},
         [this] { Click(CDlgOutput::IDC_SEND); },
         {{names::kPulseNumber, 10}}},
        {"pulse count typed", {}, [this] { TypeInto(1027, "25"); }, {{names::kPulseNumber, 25}}},
        {"pulse count spin up", {}, [this] { SpinOnce(1011, true); }, {{names::kPulseNumber, 11}}},
        {"start", {}, [this] { Click(CDlgOutput::IDC_START); }, {{names::kPulseEnable, 1}}},
        {"stop",
         {{names::kPulseEnable, 1}},
         [this] { Click(CDlgOutput::IDC_START); },
         {{names::kPulseEnable, 0}}},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.name);
        OpenOutput(kDefaultConfig, row.camera);
        row.act();
        Settle();
        const Frames writes = WriteFrames();
        ASSERT_EQ(writes.size(), row.writes.size());
        for (std::size_t i = 0; i < writes.size(); ++i)
            ExpectWrite(writes[i], row.writes[i].first, row.writes[i].second);
    }
}

// Example failure: the read-outs miss the rounding of a typed period, the delay is not updated
// when the width is capped, or the time base change shows the old microseconds.
TEST_F(OutputPanelTest, ThePulseReadOutsFollowTheOperator)
{
    CDlgOutput& p = OpenOutput();
    EXPECT_EQ(Numeric(1465)->value, 2000);
    EXPECT_EQ(Numeric(1251)->value, 500);
    EXPECT_EQ(Text(&p, 1467), "1500");
    EXPECT_EQ(Text(&p, 1468), "500.000");

    TypeInto(Numeric(1465), "1250");
    EXPECT_EQ(Numeric(1465)->value, 1300);
    EXPECT_EQ(Text(&p, 1468), "769.231");
    EXPECT_EQ(Text(&p, 1467), "800");

    TypeInto(Numeric(1465), "300");
    EXPECT_EQ(Numeric(1251)->value, 300);
    EXPECT_EQ(p.m_width, 300);
    EXPECT_EQ(Text(&p, 1467), "0");
    EXPECT_EQ(Numeric(1251)->maxValue, 300);

    OpenOutput(kDefaultConfig, {{names::kPulseGran, 1}, {names::kPulsePeriod, 50}, {names::kPulseWidth, 20}});
    EXPECT_EQ(Numeric(1465)->value, 500);
    PickItem(Item<QComboBox>(1466), "1000");
    EXPECT_EQ(Numeric(1465)->value, 50000);
    EXPECT_EQ(Numeric(1251)->value, 20000);
    EXPECT_EQ(Text(panel, 1467), "30000");
    EXPECT_EQ(Text(panel, 1468), "20.000");
    EXPECT_EQ(CameraValue(names::kPulsePeriod), 50u);
    EXPECT_EQ(CameraValue(names::kPulseWidth), 20u);
}

// Example failure ("time controls from 0"): on a 10, 100 or 1000 µs time base the period and
// width controls start at 0, which the logarithmic pop-up puts at minus infinity, so every real
// period sits at the far end of its travel and the slider cannot set one.
TEST_F(OutputPanelTest, TheTimeControlsStartAtOneStep)
{
    const struct {
        std::uint32_t g;
        double step;
    } rows[] = {{0, 1}, {1, 10}, {2, 100}, {3, 1000}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.g);
        OpenOutput(kDefaultConfig, {{names::kPulseGran, row.g}, {names::kPulsePeriod, 20}, {names::kPulseWidth, 5}});
        for (int id : {1465, 1251}) {
            OVNumericControl* control = Numeric(id);
            EXPECT_EQ(control->minValue, row.step) << id;
            EXPECT_NEAR(control->slider->scaledMin, std::log10(row.step), 1e-9) << id;
        }
        EXPECT_EQ(Numeric(1251)->maxValue, 20 * row.step);
        // A change of time base holds them there too.
        PickItem(Item<QComboBox>(1466), row.g == 3 ? "10" : "1000");
        const double step = row.g == 3 ? 10 : 1000;
        EXPECT_EQ(Numeric(1465)->minValue, step);
        EXPECT_EQ(Numeric(1251)->minValue, step);
    }
}

// Example failure: the count stays usable while the generator runs continuously, or the
// start button's text and lamp do not follow the generator.
TEST_F(OutputPanelTest, CountModeAndStartButtonShowTheGeneratorState)
{
    CDlgOutput& p = OpenOutput();
    EXPECT_TRUE(Item<QRadioButton>(CDlgOutput::IDC_SEND)->isChecked());
    EXPECT_TRUE(Item<QLineEdit>(1027)->isEnabled());
    EXPECT_EQ(Text(&p, 1027), "10");
    Click(CDlgOutput::IDC_CONTINUOUS);
    Settle();
    EXPECT_FALSE(Item<QLineEdit>(1027)->isEnabled());
    EXPECT_FALSE(Item<QWidget>(1011)->isEnabled());
    Click(CDlgOutput::IDC_SEND);
    Settle();
    EXPECT_TRUE(Item<QLineEdit>(1027)->isEnabled());

    EXPECT_EQ(Item<QPushButton>(CDlgOutput::IDC_START)->text(), "Start");
    EXPECT_EQ(IconShown(), wnd::IDI_STATE_HIGH);
    Click(CDlgOutput::IDC_START);
    Settle();
    EXPECT_EQ(Item<QPushButton>(CDlgOutput::IDC_START)->text(), "Stop");
    EXPECT_EQ(IconShown(), wnd::IDI_STATE_NORMAL);
    EXPECT_EQ(CameraValue(names::kPulseEnable), 1u);
    EXPECT_FALSE(Item<QLabel>(CDlgOutput::IDC_PULSE_STATE)->pixmap().isNull());
    Click(CDlgOutput::IDC_START);
    Settle();
    EXPECT_EQ(Item<QPushButton>(CDlgOutput::IDC_START)->text(), "Start");
    EXPECT_EQ(CameraValue(names::kPulseEnable), 0u);
    EXPECT_TRUE(wnd::MissingIconRequests().empty());
}

// Example failure: a change made elsewhere leaves the panel stale, or the panel writes the
// value back to the camera while following it.
TEST_F(OutputPanelTest, AChangeMadeElsewhereMovesTheControlsAndWritesNothing)
{
    CDlgOutput& p = OpenOutput();
    const std::vector<std::pair<const char*, std::int64_t>> changes = {
        {names::kOut1Mapping, 12},      {names::kStrobe1Mode, 3},   {names::kStrobe1Position, 6000},
        {names::kPulsePeriod, 30},      {names::kPulseWidth, 7},    {names::kPulseNumber, 0x10020},
        {names::kPulseEnable, 1},
    };
    for (const auto& [name, value] : changes)
        SetElsewhere(name, value);
    EXPECT_EQ(Item<QComboBox>(1434)->currentText(), "Strobe #1");
    EXPECT_EQ(Item<QComboBox>(1431)->currentText(), "Even Frames");
    EXPECT_EQ(Text(&p, 1456), "6000");
    EXPECT_EQ(Numeric(1465)->value, 3000);
    EXPECT_EQ(Numeric(1251)->value, 700);
    EXPECT_EQ(Text(&p, 1467), "2300");
    EXPECT_EQ(Text(&p, 1468), "333.333");
    EXPECT_EQ(Text(&p, 1027), "32");
    EXPECT_TRUE(Item<QRadioButton>(CDlgOutput::IDC_CONTINUOUS)->isChecked());
    EXPECT_FALSE(Item<QLineEdit>(1027)->isEnabled());
    EXPECT_EQ(Item<QPushButton>(CDlgOutput::IDC_START)->text(), "Stop");
    EXPECT_EQ(IconShown(), wnd::IDI_STATE_NORMAL);

    // Only the changes themselves reached the camera, one frame each.
    const Frames writes = WriteFrames();
    ASSERT_EQ(writes.size(), changes.size());
    for (std::size_t i = 0; i < writes.size(); ++i)
        ExpectWrite(writes[i], changes[i].first, static_cast<int>(changes[i].second));
}

// Example failure: a period of 0 from the camera leaves the time base and the numeric controls
// usable (a frequency of 1/0), or a later period does not bring them back.
TEST_F(OutputPanelTest, APeriodOfZeroDisablesTheGeneratorControlsUntilAPeriodIsSet)
{
    OpenOutput(kDefaultConfig, {{names::kPulsePeriod, 0}, {names::kPulseWidth, 0}});
    for (int id : {1466, 1465, 1251})
        EXPECT_FALSE(Item<QWidget>(id)->isEnabled()) << id;
    EXPECT_EQ(Text(panel, 1468), "");
    SetElsewhere(names::kPulsePeriod, 40);
    for (int id : {1466, 1465, 1251})
        EXPECT_TRUE(Item<QWidget>(id)->isEnabled()) << id;
    EXPECT_EQ(Numeric(1465)->value, 4000);
    EXPECT_EQ(Text(panel, 1468), "250.000");
    SetElsewhere(names::kPulsePeriod, 0);
    EXPECT_FALSE(Item<QWidget>(1466)->isEnabled());
    EXPECT_EQ(WriteFrames().size(), 2u);  // the two changes themselves
}

// Example failure: after the camera reports a period of 0 the panel keeps the old period, so a
// width set elsewhere shows a delay the camera does not have.
TEST_F(OutputPanelTest, APeriodOfZeroFromTheCameraIsThePeriodTheReadOutsUse)
{
    CDlgOutput& p = OpenOutput();
    SetElsewhere(names::kPulsePeriod, 0);
    EXPECT_EQ(p.m_period, 0);
    SetElsewhere(names::kPulseWidth, 3);
    EXPECT_EQ(Text(&p, 1467), "-300");
    EXPECT_EQ(WriteFrames().size(), 2u);  // the two changes themselves
}

// Example failure ("period beyond the control"): on the 1000 µs base the period control reaches
// only as many microseconds as the register holds counts, so a longer period from the camera is
// shown cut to that bound, and a plain pass of the focus through the period edit writes the cut
// period to the camera.
TEST_F(OutputPanelTest, ALongPeriodIsShownWholeAndAFocusPassKeepsIt)
{
    OpenOutput(kDefaultConfig, {{names::kPulseGran, 3}, {names::kPulsePeriod, 20000}, {names::kPulseWidth, 5}});
    EXPECT_EQ(Numeric(1465)->value, 20000000.0);
    EXPECT_EQ(Numeric(1465)->edit->text(), "20000000");
    EXPECT_EQ(Text(panel, 1468), "0.050");
    EXPECT_EQ(Numeric(1251)->maxValue, 20000000.0);
    OVEdit* edit = Numeric(1465)->edit;
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 5000));
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !edit->hasFocus(); }, 5000));
    Settle();
    for (const auto& frame : WriteFrames())
        ExpectWrite(frame, names::kPulsePeriod, 20000);
    EXPECT_EQ(CameraValue(names::kPulsePeriod), 20000u);
}

// Example failure ("PulseGran" notification): the counts in the camera are converted with the
// new step, so after a time base change made elsewhere the panel keeps showing about the old
// microseconds while the camera's unchanged counts now mean a hundred times more.
TEST_F(OutputPanelTest, PulseGranNotificationConvertsWithTheOldStep)
{
    OpenOutput(kDefaultConfig, {{names::kPulseGran, 1}, {names::kPulsePeriod, 50}, {names::kPulseWidth, 20}});
    ASSERT_EQ(Numeric(1465)->value, 500);
    SetElsewhere(names::kPulseGran, 3);
    EXPECT_EQ(Item<QComboBox>(1466)->currentText(), "1000");
    EXPECT_EQ(Numeric(1465)->value, 50000);
    EXPECT_EQ(Numeric(1251)->value, 20000);
    EXPECT_EQ(Text(panel, 1467), "30000");
    // Lowering the period below the width now caps at the right width.
    emu.ClearFrames();
    TypeInto(Numeric(1465), "10000");
    const Frames writes = WriteFrames();
    ASSERT_EQ(writes.size(), 2u);
    ExpectWrite(writes[0], names::kPulsePeriod, 10);
    ExpectWrite(writes[1], names::kPulseWidth, 10);
    EXPECT_EQ(Numeric(1251)->value, 10000);
}

// Example failure: an offline camera gets writes from the panel, the controls or the start
// button show values the camera never got ("Stop" for a generator it never reached), or a
// refresh without a camera clears the panel.
TEST_F(OutputPanelTest, OfflineNothingIsWrittenAndTheStartButtonShowsTheCamera)
{
    CDlgOutput& p = OpenOutput();
    const QString period = Numeric(1465)->edit->text();
    const QString polarity = Item<QComboBox>(1432)->currentText();
    ASSERT_NE(period, "1250");
    ASSERT_NE(polarity, "High");
    window->m_Link.GoOffline();
    TypeInto(Numeric(1465), "1250");
    PickItem(Item<QComboBox>(1432), "High");
    Click(CDlgOutput::IDC_START);
    Settle();
    EXPECT_TRUE(WriteFrames().empty());
    EXPECT_EQ(Numeric(1465)->edit->text(), period);
    EXPECT_EQ(Item<QComboBox>(1432)->currentText(), polarity);
    EXPECT_EQ(Item<QPushButton>(CDlgOutput::IDC_START)->text(), "Start");
    EXPECT_EQ(IconShown(), wnd::IDI_STATE_HIGH);

    // Without an answering camera a refresh leaves what the panel shows.
    window->m_Link.m_bLinkAlive = false;
    emu.UnplugPort(0);
    const auto before = Layout();
    p.RefreshFromStorage();
    Settle();
    EXPECT_EQ(Layout(), before);
    EXPECT_EQ(Numeric(1465)->edit->text(), period);
    EXPECT_EQ(Item<QComboBox>(1432)->currentText(), polarity);
}

// Example failure: the strobes may be set beyond the frame time, a shorter frame leaves a
// strobe outside it, a longer one moves the strobes, or debug mode still limits them.
TEST_F(OutputPanelTest, TheStrobesStayWithinTheFrameTime)
{
    CDlgOutput& p = OpenOutput(kDefaultConfig, {{names::kStrobe1Position, 15000}});
    CSliderEditSpin& position = p.m_groups[0];
    EXPECT_EQ(position.m_nMin, 0);
    EXPECT_EQ(position.m_nMax, 20000);
    EXPECT_TRUE(position.m_bLinear);
    EXPECT_EQ(Text(&p, 1459), "20000");

    SetCameraValue(names::kFrameTime, 30000);
    window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_EQ(position.m_nMax, 30000);
    EXPECT_FALSE(position.m_bLinear);
    EXPECT_EQ(position.m_nValue, 15000);
    EXPECT_TRUE(WriteFrames().empty());

    SetCameraValue(names::kFrameTime, 10000);
    window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_EQ(position.m_nValue, 10000);
    EXPECT_EQ(Text(&p, 1456), "10000");
    const Frames writes = WriteFrames();
    ASSERT_EQ(writes.size(), 1u);
    ExpectWrite(writes[0], names::kStrobe1Position, 10000);
    EXPECT_EQ(p.m_groups[1].m_nValue, 100);  // the duration lies inside: untouched

    // Debug mode: the records' own ranges, and the frame time is not followed.
    p.SetDebugMode(true);
    p.RefreshFromStorage();
    emu.ClearFrames();
    EXPECT_EQ(position.m_nMax, 0xFFFFFF);
    SetCameraValue(names::kFrameTime, 500);
    p.RefreshLiveValues();
    EXPECT_EQ(position.m_nMax, 0xFFFFFF);
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: after a frame-time change the strobe groups range from 0, so a typed 0
// writes Strobe1Duration = 0 below the register's minimum of 1; or a strobe one count beyond the
// new frame time stays there, or one exactly at it is written again.
TEST_F(OutputPanelTest, AFrameTimeChangeKeepsEachStrobeWithinItsRecordAndTheFrame)
{
    struct Row {
        const char* what;
        std::uint32_t position;  ///< strobe 1's position before the frame time becomes 10 000
        std::vector<std::pair<const char*, int>> held;  ///< what the change writes
        const char* typed;       ///< then typed into the duration
        int duration;            ///< the duration written for it
    };
    const Row rows[] = {
        {"one count beyond", 10001, {{names::kStrobe1Position, 10000}}, "0", 1},
        {"exactly at", 10000, {}, "0", 1},
        {"inside", 9999, {}, "-5", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CDlgOutput& p = OpenOutput(kDefaultConfig, {{names::kStrobe1Position, row.position}});
        SetCameraValue(names::kFrameTime, 10000);
        window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        Settle();
        const Frames writes = WriteFrames();
        ASSERT_EQ(writes.size(), row.held.size());
        for (std::size_t i = 0; i < writes.size(); ++i)
            ExpectWrite(writes[i], row.held[i].first, row.held[i].second);
        EXPECT_EQ(p.m_groups[0].m_nMax, 10000);
        _OrvStParam record{};
        ASSERT_EQ(window->m_Link.GetParamData(names::kStrobe1Duration, &record), 0);
        EXPECT_EQ(p.m_groups[1].m_nMin, record.min.n) << "the duration's own minimum";
        EXPECT_EQ(p.m_groups[0].m_nMin, 0);

        emu.ClearFrames();
        TypeInto(1461, row.typed);
        Settle();
        ExpectOneWrite(names::kStrobe1Duration, row.duration);
        EXPECT_EQ(CameraValue(names::kStrobe1Duration), static_cast<std::uint32_t>(row.duration));
    }
}

// Example failure: the machine-vision camera (one output, one strobe) shows empty second rows,
// the panel keeps its full height, or a second refresh moves the controls again.
TEST_F(OutputPanelTest, SectionsTheCameraLacksCloseUp)
{
    const struct {
        const char* name;
        int config;
        bool secondRows;
    } rows[] = {{"machine vision", kDefaultConfig, false},
                {"aerospace", kAerospaceConfig, true},
                {"kelmir", kKelmirConfig, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CDlgOutput& p = OpenOutput(row.config);
        for (int id : {1673, 1433, 1435, 1541, 1657, 1444, 1445, 1446, 1447, 1450, 1451, 1452, 1660, 1661})
            EXPECT_EQ(p.GetDlgItem(id)->isVisibleTo(&p), row.secondRows) << id;
        for (int id : {1672, 1432, 1434, 1540, 1431, 1455, 1456, 1460, 1461, 1542, 1466, 1465, 1251, 1534, 1037})
            EXPECT_TRUE(p.GetDlgItem(id)->isVisibleTo(&p)) << id;
        EXPECT_EQ(Item<QGroupBox>(1540)->title(), row.secondRows ? "Strobe 1 " : "Strobe");
        if (!row.secondRows) {
            // The output box ends a margin below the first row; the pulse box follows strobe 1.
            EXPECT_EQ(Bottom(1539) - 8, Bottom(1432));
            EXPECT_EQ(Item<QWidget>(1542)->y(), Bottom(1540));
            EXPECT_EQ(p.height(), Bottom(1542) + 8);
        } else {
            EXPECT_GE(Item<QWidget>(1542)->y(), Bottom(1541));
            EXPECT_GE(p.height(), Bottom(1542));
        }
        const auto before = Layout();
        p.RefreshFromStorage();
        Settle();
        EXPECT_EQ(Layout(), before);
        EXPECT_TRUE(WriteFrames().empty());
    }
}

// Example failure: a camera without the second output's values keeps an empty row, or a camera
// lacking only strobe 1's position still shows the first strobe's slider.
TEST_F(OutputPanelTest, AbsentParametersHideTheirControls)
{
    OpenOutput(kAerospaceConfig);
    RebuildWithout({names::kOut2Mapping, names::kStrobe1Position}, AerospaceCatalogue());
    for (int id : {1435, 1455, 1456, 1457, 1658, 1541})
        EXPECT_FALSE(panel->GetDlgItem(id)->isVisibleTo(panel)) << id;
    EXPECT_EQ(Bottom(1539) - 8, Bottom(1432));
    EXPECT_EQ(Item<QGroupBox>(1540)->title(), "Strobe");
    EXPECT_EQ(panel->height(), Bottom(1542) + 8);
}

// Example failure ("partly absent section"): a camera with one of the second output's choices,
// or with only some strobe parameters, collapses a section but leaves the rest of its controls
// where they were, so the second output's polarity sits on strobe 1's caption and strobe 2's
// mode, sliders and edits lie over the pulse generator.
TEST_F(OutputPanelTest, ACollapsedSectionLeavesNoControlOverAnother)
{
    // The controls each box frames.
    const std::vector<int> lists[] = {
        {1672, 1432, 1434, 1673, 1433, 1435},
        {1656, 1431, 1658, 1458, 1459, 1455, 1457, 1456, 1659, 1463, 1464, 1460, 1462, 1461},
        {1657, 1444, 1660, 1448, 1449, 1445, 1447, 1446, 1661, 1453, 1454, 1450, 1452, 1451},
        {1662, 1663, 1534, 1664, 1037, 1665, 1666, 1667, 1668, 1669, 1466, 1465, 1251, 1467, 1468, 1670, 1535,
         1021, 1011, 1027, 1671},
    };
    const int boxes[] = {1539, 1540, 1541, 1542};
    const struct {
        const char* name;
        int config;
        std::vector<const char*> absent;
        std::vector<int> hidden;
    } rows[] = {
        {"aerospace", kAerospaceConfig, {}, {}},
        {"machine vision", kDefaultConfig, {}, {1673, 1433, 1435, 1541, 1444, 1445, 1450}},
        {"without the second output's signal", kAerospaceConfig, {names::kOut2Mapping}, {1673, 1433, 1435}},
        {"without strobe 1's position", kAerospaceConfig, {names::kStrobe1Position},
         {1455, 1456, 1457, 1541, 1657, 1444, 1660, 1445, 1446, 1447, 1448, 1449, 1661, 1450, 1451, 1452}},
        {"without strobe 2's duration", kAerospaceConfig, {names::kStrobe2Duration},
         {1541, 1657, 1444, 1660, 1445, 1446, 1447, 1661, 1450, 1451, 1452, 1453, 1454}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OpenOutput(row.config);
        if (!row.absent.empty())
            RebuildWithout(row.absent, AerospaceCatalogue());
        for (int id : row.hidden)
            EXPECT_FALSE(panel->GetDlgItem(id)->isVisibleTo(panel)) << id;
        // Every shown control lies inside its own box and off the others.
        // The template frames each control by its own box alone, so the check below knows it.
        for (std::size_t b = 0; b < std::size(boxes); ++b)
            for (int id : lists[b])
                for (std::size_t o = 0; o < std::size(boxes); ++o)
                    EXPECT_EQ(TemplateRect(panel->GetDlgItem(boxes[o])).contains(TemplateRect(panel->GetDlgItem(id))), o == b)
                        << id << " in " << boxes[o];
        ExpectNoControlOverAnother(panel);
        if (!row.hidden.empty()) {
            EXPECT_EQ(panel->height(), Bottom(1542) + 8);
        }
        // A second refresh and a new frame time keep it so.
        const auto before = Layout();
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(Layout(), before);
        SetCameraValue(names::kFrameTime, 15000);
        window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        Settle();
        EXPECT_EQ(Layout(), before);
    }
}

// Example failure: a label or caption is cut off at the platform's font, or a control lies
// outside the panel. The pictures are saved for a reviewer.
TEST_F(OutputPanelTest, ScreenshotsShowEveryLabelWhole)
{
    for (const auto& [config, name] : {std::pair{kDefaultConfig, "output-machine-vision"},
                                       std::pair{kAerospaceConfig, "output-aerospace"}}) {
        SCOPED_TRACE(name);
        OpenOutput(config, {{names::kPulseEnable, 1}});
        ExpectNothingCutOff();
        EXPECT_FALSE(SaveShot(panel, name).empty());
    }
}

}  // namespace
