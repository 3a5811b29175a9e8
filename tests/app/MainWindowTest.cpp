// The main window on the offscreen platform with the emulated camera: the configuration
// rebuild, the panel slots and their saved positions, port selection and the polling timers.
#include "app/CCorvel_5Dlg.h"

#include "app/CAboutDlg.h"
#include "app/MainMenu.h"
#include "app/CPortSelector.h"
#include "app/LibraryPortSelector.h"

#include "controls/LastConfig.h"
#include "camera/CXmlNodeValue.h"
#include "camera/RegisterLink.h"
#include "camera/ValueCoder.h"
#include "catalogues/ConfigurationTable.h"
#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "emulator/PtyPeer.h"
#include "emulator/RegisterImage.h"
#include "platform/Paths.h"
#include "platform/ProfileSettings.h"
#include "support/AppLogCapture.h"
#include "support/BuiltinMaps.h"
#include "support/LabelFit.h"
#include "support/TempDir.h"
#include "tools/CTerminal.h"

#include "camera/ProtocolFixture.h"
#include "MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using namespace corvel::test;

std::vector<std::string> ViewItems(const CCorvel_5Dlg& w)
{
    std::vector<std::string> items;
    for (QAction* action : w.ViewMenu()->actions())
        items.push_back(action->text().toStdString());
    return items;
}

// Example failure: the unidentified start builds no panels, or offers a View item for a slot
// that is empty (AEC/AGC on row 4, the lens panel without its mount).
TEST_F(MainWindowTest, StartWithoutCameraBuildsRowFourPlainPanels)
{
    lastconfig::Write(lastconfig::kShowPythonPanel, 1);
    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(w.OnInitDialog(nullptr), 0);

    EXPECT_EQ(w.PanelRow(), 4);
    ASSERT_TRUE(w.m_pXmlDoc);
    const bool expected[kPanelSlots] = {true, true, true, false, true, true, true, false, true};
    for (int i = 0; i < kPanelSlots; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(w.GetPanel(i) != nullptr, expected[i]);
        if (expected[i]) {
            EXPECT_EQ(w.GetPanel(i)->TemplateId(), kPanelSlotSpecs[i].templateId);
            EXPECT_EQ(w.GetPanel(i)->windowTitle().toStdString(),
                      QString::fromLatin1(kPanelSlotSpecs[i].title).replace("&&", "&").toStdString());
            EXPECT_EQ(w.Slot(i).m_pszKey, std::string(lastconfig::kPanelKeys[i]));
        }
        // Not connected: only the script slot is viewed.
        EXPECT_EQ(w.Slot(i).m_bView, i == 8);
        EXPECT_EQ(w.SlotButton(i)->isHidden(), i != 8);
    }
    EXPECT_EQ(w.GetPanel(9), nullptr);
    EXPECT_EQ(ViewItems(w), (std::vector<std::string>{"Gain && Offset", "Output Control", "Acquisition Control",
                                                      "Image Parameters", "Color Control", "Temperature Control",
                                                      "Run Python", "", "Select All", "Attach Windows"}));
    EXPECT_FALSE(w.m_bSelectAll);
    EXPECT_EQ(w.CameraLabelText().toStdString(), "Not Detected");
    EXPECT_EQ(w.windowTitle().toStdString(), "Corvel");
    // The timers wait for a camera.
    for (unsigned id : {9991u, 9992u, 9993u})
        EXPECT_FALSE(w.Timers().IsRunning(id)) << id;
    ASSERT_NE(w.TerminalWindow(), nullptr);
}

// Example failure: a rebuild started from inside a rebuild (a panel refresh, a timer) runs
// again and closes the panels the outer one is attaching.
TEST_F(MainWindowTest, NestedRebuildReturnsAtOnce)
{
    CCorvel_5Dlg& w = MakeWindow();
    int started = 0;
    bool innerSawFlag = false;
    w.m_onRebuildStarted = [&] {
        ++started;
        w.SetDefault();
        innerSawFlag = w.InRebuild();
    };
    w.SetDefault();
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(innerSawFlag);
    EXPECT_FALSE(w.InRebuild());
    EXPECT_NE(w.GetPanel(0), nullptr);
    // A timer tick during the rebuild does not poll either.
    w.m_onRebuildStarted = [&] {
        ++started;
        w.m_bConnected = true;
        w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    };
    w.SetDefault();
    EXPECT_EQ(w.m_CameraInfo.exposure, "---------");
}

// Example failure: a saved floating position is not restored, or one that is partial, garbage
// or off every screen moves the panel somewhere nobody can reach.
TEST_F(MainWindowTest, PanelPositionsRestoreOnlyCompleteOnScreenValues)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        std::string saved;
        bool floats;
    } cases[] = {
        {"0 100 120", true}, {"1 100 120", false}, {"0", false},          {"0 30", false},
        {"abc", false},      {"", false},          {"0 -50000 -50000", false},
        {"0 " + std::to_string(screen.right() + 5000) + " 10", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        platform::ProfileSettings::Application().WriteProfileString("LastConfig", "pan.OutputPos", c.saved);
        CCorvel_5Dlg& w = MakeWindow();
        w.SetDefault();
        COptionDialog* panel = w.GetPanel(1);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->m_bDocked, !c.floats);
        if (c.floats) {
            EXPECT_EQ(panel->pos(), QPoint(100, 120));
        } else {
            EXPECT_TRUE(screen.contains(panel->pos()) || panel->pos() == QPoint(0, 0));
        }
        window.reset();
    }
}

// Example failure: closing the window loses the panels' positions, or writes them in another
// format, so the next start does not find them.
TEST_F(MainWindowTest, PanelPositionsSurviveARestartThroughTheIni)
{
    {
        CCorvel_5Dlg& w = MakeWindow();
        w.SetDefault();
        COptionDialog* image = w.GetPanel(4);
        ASSERT_NE(image, nullptr);
        image->m_bDocked = false;
        image->move(150, 90);
        window.reset();
    }
    auto& ini = platform::ProfileSettings::Application();
    EXPECT_EQ(ini.GetProfileString("LastConfig", "pan.ImagePos", ""), "0 150 90");
    EXPECT_EQ(ini.GetProfileString("LastConfig", "pan.GainOffsetPos", "").substr(0, 2), "1 ");
    EXPECT_EQ(ini.GetProfileString("LastConfig", "pan.AECAGCPos", "x"), "x");  // never held a panel

    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ASSERT_NE(w.GetPanel(4), nullptr);
    EXPECT_FALSE(w.GetPanel(4)->m_bDocked);
    EXPECT_EQ(w.GetPanel(4)->pos(), QPoint(150, 90));
    EXPECT_TRUE(w.GetPanel(0)->m_bDocked);
}

// Example failure: the polls format the camera's raw values wrongly (sign of the 10-bit
// temperature, microseconds shown as such, integer division of the frame rate), or a failed
// read leaves an old value on the screen.
TEST_F(MainWindowTest, PollsFormatTheCameraValues)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ConnectWithoutIdentification();

    struct TempCase {
        std::uint32_t raw;
        const char* text;
    } temps[] = {{100, "25.00"}, {1000, "-6.00"}, {512, "-128.00"}, {511, "127.75"}};
    for (const TempCase& c : temps) {
        SCOPED_TRACE(c.raw);
        SetCameraValue("Temperature", c.raw);
        w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
        EXPECT_EQ(w.m_CameraInfo.temperature, c.text);
        EXPECT_TRUE(w.m_bConnected);
    }

    SetCameraValue("Exposure", 12345);
    w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    EXPECT_EQ(w.m_CameraInfo.exposure, "12.345");

    w.m_Link.m_bLinkAlive = 1;
    struct FrameCase {
        std::uint32_t frameTime;
        const char *rate, *time;
    } frames[] = {{40000, "25.000", "40.000"}, {30000, "33.333", "30.000"}, {0, "0.000", "0.000"}};
    SetCameraValue("ImageWidth", 1280);
    SetCameraValue("ImageHeight", 1024);
    for (const FrameCase& c : frames) {
        SCOPED_TRACE(c.frameTime);
        SetCameraValue("FrameTime", c.frameTime);
        w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        EXPECT_EQ(w.m_CameraInfo.frameRate, c.rate);
        EXPECT_EQ(w.m_CameraInfo.frameTime, c.time);
        EXPECT_EQ(w.m_CameraInfo.imageSize, "1280x1024");
    }
    EXPECT_EQ(w.StatusIconId(), 167);

    // The camera goes away: dashes, and the window counts it as disconnected.
    emu.UnplugPort(0);
    w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_EQ(w.m_CameraInfo.frameRate, "---------");
    EXPECT_EQ(w.m_CameraInfo.frameTime, "---------");
    EXPECT_EQ(w.m_CameraInfo.imageSize, "----x----");
    EXPECT_FALSE(w.m_bConnected);
    EXPECT_EQ(w.StatusIconId(), 169);
}

// Example failure: a poll runs while a script or a download uses the link, so its frames
// interleave with theirs.
TEST_F(MainWindowTest, PollsStayOffTheLinkWhileItIsBusy)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ConnectWithoutIdentification();
    SetCameraValue("Exposure", 2000);
    for (ChannelUser holder : {ChannelUser::Script, ChannelUser::Upload}) {
        SCOPED_TRACE(ChannelUserText(holder));
        ASSERT_TRUE(w.m_Link.m_ChannelOwner.Acquire(holder));
        emu.ClearFrames();
        for (unsigned timer : {CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME, CCorvel_5Dlg::TIMER_TEMPERATURE})
            w.OnTimer(timer);
        EXPECT_TRUE(emu.Frames().empty());
        EXPECT_EQ(w.m_CameraInfo.exposure, "---------");
        w.m_Link.m_ChannelOwner.Release(holder);
    }
    w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    EXPECT_EQ(w.m_CameraInfo.exposure, "2.000");
}

// Example failure: with "Disable Polling" checked the polls still fill the terminal, or the
// echo stays off for the operator's own traffic afterwards.
TEST_F(MainWindowTest, DisablePollingSilencesOnlyThePolls)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ConnectWithoutIdentification();
    ASSERT_NE(w.TerminalWindow(), nullptr);
    SetCameraValue("Exposure", 2000);
    for (int disabled = 0; disabled < 2; ++disabled) {
        SCOPED_TRACE(disabled);
        CTerminal& terminal = *w.TerminalWindow();
        terminal.m_nDisablePolling = disabled;
        QPlainTextEdit* output = terminal.findChild<QPlainTextEdit*>();
        ASSERT_NE(output, nullptr);
        output->clear();
        w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
        EXPECT_EQ(w.m_CameraInfo.exposure, "2.000");
        EXPECT_EQ(output->toPlainText().isEmpty(), disabled == 1);
        // The operator's own traffic echoes again after the poll.
        EXPECT_EQ(w.m_Link.m_bEchoToTerminal, 1);
    }
}

// Example failure: cancelling the selector leaves the polling stopped, or restarts timers that
// were not running.
TEST_F(MainWindowTest, CancelledSelectionRestoresOnlyRunningTimers)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    w.Timers().SetTimer(CCorvel_5Dlg::TIMER_EXPOSURE, 500);
    ScriptedSelector selector;
    EXPECT_EQ(w.SelectPort(&selector), -1);
    EXPECT_TRUE(w.Timers().IsRunning(CCorvel_5Dlg::TIMER_EXPOSURE));
    EXPECT_EQ(w.Timers().Period(CCorvel_5Dlg::TIMER_EXPOSURE), 500);
    EXPECT_FALSE(w.Timers().IsRunning(CCorvel_5Dlg::TIMER_TEMPERATURE));
    EXPECT_FALSE(w.Timers().IsRunning(CCorvel_5Dlg::TIMER_FRAME_TIME));
}

// Example failure: an empty selection closes the working link before the operator cancels.
TEST_F(MainWindowTest, EmptySelectionKeepsTheConnection)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ConnectWithoutIdentification();
    ScriptedSelector selector;
    selector.choices = {PortChoice{"", 0, 0, true}};
    EXPECT_EQ(w.SelectPort(&selector), -1);
    EXPECT_EQ(selector.runs, 1);
    EXPECT_TRUE(emu.PortOpen(0));
}

// Example failure: a change of configuration keeps the old row's panels, or drops them without
// saving where the operator had put them.
TEST_F(MainWindowTest, ConfigurationChangeRebuildsThePanelsAfterSavingThem)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    COptionDialog* before = w.GetPanel(2);
    ASSERT_NE(before, nullptr);
    // The same row again keeps every panel.
    w.m_Link.m_nConfigIndex = 4;
    w.SetDefault();
    EXPECT_EQ(w.GetPanel(2), before);
    EXPECT_EQ(w.windowTitle().toStdString(), "Corvel Zorvat");
    before->m_bDocked = false;
    before->move(60, 70);

    w.m_Link.m_nConfigIndex = 5;
    w.SetDefault();
    EXPECT_EQ(w.PanelRow(), 5);
    EXPECT_EQ(platform::ProfileSettings::Application().GetProfileString("LastConfig", "pan.AcquisitionPos", ""),
              "0 60 70");
    ASSERT_NE(w.GetPanel(2), nullptr);
    EXPECT_EQ(w.GetPanel(2)->pos(), QPoint(60, 70));
    EXPECT_EQ(w.GetPanel(3), nullptr);
}

// Example failure: a configuration without a built-in map (and no file beside the program) crashes the
// rebuild, the polls or the terminal command, or leaves the previous map in use.
TEST_F(MainWindowTest, ConfigurationsWithoutABuiltInMapLoadNothing)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ASSERT_TRUE(w.m_pXmlDoc);
    const QString exe = QString::fromStdString(platform::ExecutableFolder().string());
    int tried = 0;
    for (int index = 0; index < kConfigurationCount; ++index) {
        if (FindBuiltinResource(ConfigurationRowFor(index).builtinMapId))
            continue;
        ++tried;
        SCOPED_TRACE(index);
        boxes.clear();
        w.m_Link.m_nConfigIndex = index;
        w.SetDefault();
        EXPECT_FALSE(w.m_pXmlDoc);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("Cannot open|parse XML file"), std::string::npos);
        // The panels of the last good rebuild are closed (their map is not this camera's); the
        // polls and the terminal command run on.
        EXPECT_EQ(w.GetPanel(0), nullptr);
        w.m_bConnected = true;
        for (unsigned id : {9991u, 9992u, 9993u})
            w.OnTimer(id);
        EXPECT_TRUE(w.OnCommand(CCorvel_5Dlg::ID_COMMAND_TERMINAL, 0));
        w.m_bConnected = false;
    }
    w.m_Link.m_nConfigIndex = -1;
    w.SetDefault();
    EXPECT_TRUE(w.m_pXmlDoc);
    EXPECT_NE(w.GetPanel(0), nullptr);
    if (tried == 0)
        GTEST_SKIP() << "every configuration has its built-in map";
}

// Example failure: choosing a port where no camera answers leaves every timer stopped, so the
// camera is never found when it is plugged in later.
TEST_F(MainWindowTest, PortWithoutCameraStartsTheReconnectTimer)
{
    emu.SetPortCount(2);
    emu.SetCameraPort(1);
    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(w.OnInitDialog(nullptr), 0);
    ScriptedSelector selector;
    selector.choices = {PortChoice{CLSER_EMU_PATH, 0, 115200, true}};
    ASSERT_EQ(w.SelectPort(&selector), 0);
    EXPECT_FALSE(w.m_bConnected);
    EXPECT_EQ(w.CameraLabelText().toStdString(), "Not Detected");
    EXPECT_TRUE(w.Timers().IsRunning(CCorvel_5Dlg::TIMER_FRAME_TIME));
    EXPECT_FALSE(w.Timers().IsRunning(CCorvel_5Dlg::TIMER_EXPOSURE));
    EXPECT_FALSE(w.Timers().IsRunning(CCorvel_5Dlg::TIMER_TEMPERATURE));
    EXPECT_EQ(w.StatusIconId(), 169);
}

/// The emulated camera of configuration 4 on port 0 of the library, as a selector hands it over.
PortChoice EmulatedPort()
{
    return PortChoice{CLSER_EMU_PATH, 0, 115200, true};
}

/// Starts the window as an operator who picks the emulated camera's port in the port selector.
int StartOnEmulatedPort(CCorvel_5Dlg& w)
{
    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    return w.OnInitDialog(&selector);
}

// Example failure: a camera found at start-up is not identified, the window is not rebuilt for
// its configuration, a View flag saved as 0 is ignored, or the timers do not poll it.
TEST_F(MainWindowTest, CameraOnALibraryPortIsIdentifiedRebuiltAndPolled)
{
    lastconfig::Write(lastconfig::PanelViewKey(5), 0);
    CCorvel_5Dlg& w = MakeWindow();
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);

    EXPECT_EQ(rebuilds, 2);  // the unidentified start, then the camera's configuration
    EXPECT_EQ(w.m_Link.m_nConfigIndex, 4);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(w.PanelRow(), 4);
    EXPECT_EQ(w.windowTitle().toStdString(), "Corvel Zorvat");
    ASSERT_FALSE(w.m_Link.m_strModelName.empty());
    EXPECT_EQ(w.CameraLabelText().toStdString(), w.m_Link.m_strModelName.substr(0, 13));

    const bool attached[kPanelSlots] = {true, true, true, false, true, true, true, false, false};
    for (int i = 0; i < kPanelSlots; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w.GetPanel(i) != nullptr, attached[i]);
        EXPECT_EQ(w.Slot(i).m_bView, attached[i] && i != 5);
        EXPECT_EQ(w.SlotButton(i)->isHidden(), !(attached[i] && i != 5));
    }
    EXPECT_FALSE(w.m_bSelectAll);
    EXPECT_TRUE(w.m_bViewSave);
    for (QAction* action : w.ViewMenu()->actions())
        if (action->data().toInt() >= CCorvel_5Dlg::ID_VIEW_FIRST && action->data().toInt() < CCorvel_5Dlg::ID_VIEW_FIRST + kPanelSlots) {
            EXPECT_EQ(action->isChecked(), action->text() != "Color Control") << action->text().toStdString();
        }

    const int period = w.TerminalWindow()->m_nPollingTime;
    for (unsigned id : {9991u, 9992u, 9993u}) {
        EXPECT_TRUE(w.Timers().IsRunning(id)) << id;
        EXPECT_EQ(w.Timers().Period(id), std::max(period, wnd::kMinTimerPeriodMs)) << id;
    }

    SetCameraValue("Temperature", 1000);
    SetCameraValue("Exposure", 20000);
    SetCameraValue("FrameTime", 40000);
    SetCameraValue("ImageWidth", 640);
    SetCameraValue("ImageHeight", 480);
    for (unsigned id : {9991u, 9992u, 9993u})
        w.OnTimer(id);
    EXPECT_EQ(w.m_CameraInfo.temperature, "-6.00");
    EXPECT_EQ(w.m_CameraInfo.exposure, "20.000");
    EXPECT_EQ(w.m_CameraInfo.frameRate, "25.000");
    EXPECT_EQ(w.m_CameraInfo.frameTime, "40.000");
    EXPECT_EQ(w.m_CameraInfo.imageSize, "640x480");
    EXPECT_EQ(w.StatusIconId(), 167);
}

// Example failure: a camera that goes away is still shown as connected, or one that comes back
// is never found again (no rebuild, no polling).
TEST_F(MainWindowTest, CameraThatDisappearsIsFoundAgain)
{
    emu.SetPortCount(2);
    CCorvel_5Dlg& w = MakeWindow();
    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    ASSERT_TRUE(w.m_bConnected);

    emu.SetCameraPort(1);  // nothing answers on port 0 any more
    w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_FALSE(w.m_bConnected);
    EXPECT_EQ(w.m_CameraInfo.frameTime, "---------");
    EXPECT_EQ(w.StatusIconId(), 169);
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);  // still away: no rebuild
    EXPECT_EQ(rebuilds, 0);
    EXPECT_FALSE(w.m_bConnected);

    emu.SetCameraPort(0);
    SetCameraValue("FrameTime", 50000);
    // Each tick tries one rate; the rate the camera last answered at comes every other tick.
    for (int tick = 0; tick < 2 && !w.m_bConnected; ++tick)
        w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(w.m_CameraInfo.frameTime, "50.000");
    EXPECT_EQ(w.CameraLabelText().toStdString(), w.m_Link.m_strModelName.substr(0, 13));
    EXPECT_EQ(w.StatusIconId(), 167);
}

// Example failure: the lens panel is offered for a camera without the lens mount it drives, or
// withheld from one that has it.
TEST_F(MainWindowTest, LensPanelFollowsTheActiveMount)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ConnectWithoutIdentification();
    for (std::uint32_t mount : {3u, 0u, 2u, 3u}) {
        SCOPED_TRACE(mount);
        SetCameraValue("CanonActiveMount", mount);
        w.SetDefault();
        EXPECT_EQ(w.GetPanel(7) != nullptr, mount == 3);
        EXPECT_EQ(w.SlotButton(7)->isHidden(), mount != 3);
        bool listed = false;
        for (QAction* action : w.ViewMenu()->actions())
            listed = listed || action->text() == "Lens Control";
        EXPECT_EQ(listed, mount == 3);
    }
}

// Example failure: an aerospace camera is taken for the default configuration, its catalogue is
// not built (the panels then bind to nothing), its AEC/AGC slot stays empty as on the
// machine-vision cameras, or its lens panel is closed although its mount reads 3.
TEST_F(MainWindowTest, AerospaceCameraIsIdentifiedAndRebuiltWithItsAecAgcAndLensPanels)
{
    const RegisterMapPtr& map171 = BuiltinMap(kMap171);
    ASSERT_TRUE(map171);
    emu.LoadRegisters(emu::CameraRegistersFor(*map171, 8));
    emu.SetRegister(0x7040, 3u << 4);  // CanonActiveMount, bits 4-7 of the mount word
    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(StartOnEmulatedPort(w), 0);

    EXPECT_EQ(w.m_Link.m_nConfigIndex, 8);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(w.PanelRow(), 8);
    EXPECT_EQ(w.windowTitle().toStdString(), "Corvel Zorvat");
    EXPECT_EQ(w.m_Link.m_strModelName, "Zorvat Aerospace");
    ASSERT_TRUE(w.m_pXmlDoc);
    EXPECT_TRUE(w.m_pXmlDoc->Select("CAMERA/CCDTIMINGREGISTERS/TDIGROUP")) << "the aerospace map is loaded";

    // The aerospace catalogue: 305 parameters, the TDI group among them.
    std::size_t count = 0;
    w.m_Link.GetParametersList(nullptr, &count);
    EXPECT_EQ(count, 305u);
    std::int64_t value = -1;
    EXPECT_EQ(w.m_Link.GetParamInt("TDINumber", &value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(w.m_Link.GetParamInt("CanonActiveMount", &value), 0);
    EXPECT_EQ(value, 3);

    const bool attached[kPanelSlots] = {true, true, true, true, true, true, true, true, false};
    for (int i = 0; i < kPanelSlots; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w.GetPanel(i) != nullptr, attached[i]);
        EXPECT_EQ(w.SlotButton(i)->isHidden(), !attached[i] || !w.Slot(i).m_bView);
    }
    ASSERT_NE(w.GetPanel(3), nullptr);
    EXPECT_EQ(w.GetPanel(3)->windowTitle().toStdString(), "AEC/AGC Control");
    bool aecListed = false;
    for (QAction* action : w.ViewMenu()->actions())
        aecListed = aecListed || action->text() == "AEC/AGC Control";
    EXPECT_TRUE(aecListed);

    // Another mount closes the lens panel on the next rebuild; the AEC/AGC panel stays.
    SetCameraValue("CanonActiveMount", 0);
    w.SetDefault();
    EXPECT_EQ(w.m_Link.m_nConfigIndex, 8);
    EXPECT_EQ(w.GetPanel(7), nullptr);
    EXPECT_NE(w.GetPanel(3), nullptr);
    w.m_Link.GetParametersList(nullptr, &count);
    EXPECT_EQ(count, 305u);
}

// Example failure: a ruggedized camera is taken for another configuration (or the default one),
// its catalogue is not built or is the other ruggedized camera's (the WDR controls then bind to
// nothing, or to registers the 47 camera lacks), its AEC/AGC slot stays empty, or its lens
// panel is closed although its mount reads 3.
TEST_F(MainWindowTest, RuggedizedCamerasAreIdentifiedAndRebuiltWithTheirCataloguesAndSlots)
{
    struct Row {
        int configIndex;
        int mapId;
        const char* model;
        std::size_t parameters;
        bool wdr;
    } rows[] = {
        {10, kMap172, "Zorvat Ruggedized", 305, true},
        {11, kMap176, "Zorvat Ruggedized 47", 296, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model);
        window.reset();
        emu.ClearFrames();
        const RegisterMapPtr& map = BuiltinMap(row.mapId);
        ASSERT_TRUE(map);
        emu.LoadRegisters(emu::CameraRegistersFor(*map, row.configIndex));
        emu.SetRegister(0x7040, 3u << 4);  // CanonActiveMount, bits 4-7 of the mount word
        CCorvel_5Dlg& w = MakeWindow();
        ASSERT_EQ(StartOnEmulatedPort(w), 0);

        EXPECT_EQ(w.m_Link.m_nConfigIndex, row.configIndex);
        EXPECT_TRUE(w.m_bConnected);
        EXPECT_EQ(w.PanelRow(), row.configIndex);
        EXPECT_EQ(w.windowTitle().toStdString(), "Corvel Zorvat");
        EXPECT_EQ(w.m_Link.m_strModelName, row.model);
        ASSERT_TRUE(w.m_pXmlDoc);
        EXPECT_EQ(w.m_pXmlDoc->Source(), "res://corvel/#" + std::to_string(row.mapId));

        std::size_t count = 0;
        w.m_Link.GetParametersList(nullptr, &count);
        EXPECT_EQ(count, row.parameters);
        _OrvStParam record;
        EXPECT_EQ(w.m_Link.GetParamData("Knee1Weight", &record) == 0, row.wdr);
        EXPECT_EQ(w.m_Link.GetParamData("OutputFormat", &record) == 0, row.wdr);
        EXPECT_NE(w.m_Link.GetParamData("TapsMode", &record), 0);
        EXPECT_NE(w.m_Link.GetParamData("TDIMode", &record), 0);
        std::int64_t value = -1;
        EXPECT_EQ(w.m_Link.GetParamInt("CanonActiveMount", &value), 0);
        EXPECT_EQ(value, 3);
        if (row.wdr) {
            // The catalogue reaches the camera: a knee weight set here is in the camera's register.
            ASSERT_EQ(w.m_Link.SetParamIntIfOnline("Knee1Weight", 5, false, false), 0);
            EXPECT_EQ(emu.Register(0x0578), 5u);
        }

        const bool attached[kPanelSlots] = {true, true, true, true, true, true, true, true, false};
        for (int i = 0; i < kPanelSlots; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(w.GetPanel(i) != nullptr, attached[i]);
            EXPECT_EQ(w.SlotButton(i)->isHidden(), !attached[i] || !w.Slot(i).m_bView);
        }
        ASSERT_NE(w.GetPanel(3), nullptr);
        EXPECT_EQ(w.GetPanel(3)->windowTitle().toStdString(), "AEC/AGC Control");
        const std::vector<std::string> items = ViewItems(w);
        EXPECT_NE(std::find(items.begin(), items.end(), "AEC/AGC Control"), items.end());

        // Another mount closes the lens panel on the next rebuild; the catalogue is built anew.
        SetCameraValue("CanonActiveMount", 0);
        w.SetDefault();
        EXPECT_EQ(w.m_Link.m_nConfigIndex, row.configIndex);
        EXPECT_EQ(w.GetPanel(7), nullptr);
        EXPECT_NE(w.GetPanel(3), nullptr);
        w.m_Link.GetParametersList(nullptr, &count);
        EXPECT_EQ(count, row.parameters);
    }
}

// Example failure: an aerospace 47 camera is taken for the aerospace one (or the default), the
// rebuild loads another map or no catalogue for its row, the catalogue keeps the tap mode choice
// the camera lacks, or the Debug command rebuilds without widening the writable registers.
TEST_F(MainWindowTest, Aerospace47CameraIsIdentifiedAndRebuiltFromItsOwnMap)
{
    const RegisterMapPtr& map175 = BuiltinMap(kMap175);
    ASSERT_TRUE(map175);
    emu.LoadRegisters(emu::CameraRegistersFor(*map175, 9));
    emu.SetRegister(0x609C, 0x26);  // TapsMax 6 (16 taps), TapsAllowed 2 (4 taps)
    emu.SetRegister(0x0108, 0x01);  // ActiveTaps 1 (2 taps)
    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(StartOnEmulatedPort(w), 0);

    EXPECT_EQ(w.m_Link.m_nConfigIndex, 9);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(w.PanelRow(), 9);
    EXPECT_EQ(w.m_Link.m_strModelName, "Zorvat Aerospace 47M");
    ASSERT_TRUE(w.m_pXmlDoc);
    EXPECT_EQ(w.m_pXmlDoc->Source(), "res://corvel/#175");

    // The aerospace 47 catalogue: 300 parameters, the TDI group among them, no tap mode choice.
    std::size_t count = 0;
    w.m_Link.GetParametersList(nullptr, &count);
    EXPECT_EQ(count, 300u);
    std::int64_t value = -1;
    EXPECT_EQ(w.m_Link.GetParamInt("TDINumber", &value), 0);
    EXPECT_EQ(value, 1);
    _OrvStParam record;
    for (const char* absent : {"TapsMode", "OutputFormat", "TecMode", "TecOnLevel", "MirrorEnable"})
        EXPECT_NE(w.m_Link.GetParamData(absent, &record), 0) << absent;
    EXPECT_EQ(w.m_Link.m_nTapsAllowed, 4);
    EXPECT_EQ(w.m_Link.m_nActiveTaps, 2);
    ASSERT_EQ(w.m_Link.GetParamData("BootFrom", &record), 0);
    EXPECT_EQ(record.max.n, 0x07);

    // The Debug command stores the mode and rebuilds the same catalogue with widened limits.
    QAction* debug = w.Menu().Item(cmd::kDebug);
    ASSERT_TRUE(debug && debug->isEnabled());
    debug->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.m_Link.GetParamData("BootFrom", &record) == 0 && record.max.n == 0xFFFFFF; }, 10000));
    EXPECT_EQ(w.m_Link.m_nConfigIndex, 9);
    w.m_Link.GetParametersList(nullptr, &count);
    EXPECT_EQ(count, 300u);
    ASSERT_EQ(w.m_Link.GetParamData("AnalogOffsetLimits", &record), 0);
    EXPECT_DOUBLE_EQ(record.max.d, 16777215.0);
    debug->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.m_Link.GetParamData("BootFrom", &record) == 0 && record.max.n == 0x07; }, 10000));
}

// Example failure: the About box shows nothing of the camera it is given, reads the wrong
// registers or byte order, or shows an erased last model part as garbage.
TEST_F(MainWindowTest, AboutShowsTheCameraIdentity)
{
    CCorvel_5Dlg& w = MakeWindow();
    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    ASSERT_FALSE(w.m_Link.m_strModelName.empty());

    SetCameraValue("FW_Build", 0x12);
    SetCameraValue("FW_Revision", 0x010203);
    SetCameraValue("FW_Image", 10);
    SetCameraValue("CCD_Type", 11);
    SetCameraValue("Custom_ID", 0x0A0B);
    SetCameraValue("RGSIdNumber", 0x1234);
    auto setText = [&](const char* name, std::uint32_t word) {
        RegisterLink reg;
        ASSERT_EQ(GetRegisterLink(w.m_Link, name, reg), 0) << name;
        emu.SetRegister(reg.address, word);
    };
    setText("MfgDate1", ValueCoder::EncodeString("1203").value());
    setText("MfgDate2", ValueCoder::EncodeString("2024").value());
    setText("MfgAPN1", ValueCoder::EncodeString("A1").value());
    setText("MfgAPN2", ValueCoder::EncodeString("B2").value());
    setText("MfgAPN3", ValueCoder::EncodeString("C3").value());
    setText("MfgAPN4", ValueCoder::EncodeString("D4").value());
    setText("MfgName5", 0xFFFFFFFF);

    CAboutDlg about;
    about.m_pLink = &w.m_Link;
    ASSERT_TRUE(about.OnInitDialog());
    const emu::CameraIdentity identity = emu::IdentityForConfiguration(*BuiltinMap(kMap170), 4);
    const struct {
        int id;
        std::string text;
    } expected[] = {
        {CAboutDlg::IDC_FW_BUILD, "0012"},
        {CAboutDlg::IDC_FW_VERSION, "01.02.03"},
        {CAboutDlg::IDC_FW_IMAGE, "Application"},
        {CAboutDlg::IDC_COLOR_VERSION, "Mono"},
        {CAboutDlg::IDC_CUSTOM_VERSION, "0A.0B"},
        {CAboutDlg::IDC_RGS_VERSION, "1.2.3.4"},
        {CAboutDlg::IDC_DATE, "12/03/2024"},
        {CAboutDlg::IDC_ASSEMBLY_PART, "A1-B2-C3-D4"},
        {CAboutDlg::IDC_ASSEMBLY_SERIAL, identity.serialText},
        // Only the first four model words: the fifth reads erased.
        {CAboutDlg::IDC_CAMERA_TYPE, identity.modelText.substr(0, 16)},
        {CAboutDlg::IDC_CAMERA_FAMILY, ConfigurationRowFor(4).displayName},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.id);
        EXPECT_EQ(about.ControlText(e.id).toStdString(), e.text);
    }
    EXPECT_TRUE(about.ControlText(CAboutDlg::IDC_VERSION).startsWith("Version "));
}

// Example failure: the About box without a camera reads registers or shows stale camera fields.
TEST_F(MainWindowTest, AboutWithoutCameraShowsOnlyTheVersion)
{
    CAboutDlg about;
    ASSERT_TRUE(about.OnInitDialog());
    const QString version = about.ControlText(CAboutDlg::IDC_VERSION);
    EXPECT_TRUE(version.startsWith("Version ")) << version.toStdString();
    EXPECT_EQ(version.count('.'), 3);
    for (int id = CAboutDlg::IDC_FW_VERSION; id <= CAboutDlg::IDC_CAMERA_FAMILY; ++id)
        EXPECT_TRUE(about.ControlText(id).isEmpty()) << id;
    EXPECT_TRUE(emu.Frames().empty());
}

// Example failure: the power-protection warning does not follow the camera's flag, or OK hides
// it for good while the flag is still set.
TEST_F(MainWindowTest, WarningFollowsThePowerProtectionFlag)
{
    CCorvel_5Dlg& w = MakeWindow();
    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    w.show();
    // Away from the screen's edges, where the warning is centred on the window.
    w.move(w.screen()->availableGeometry().center() - QPoint(w.width() / 2, w.height() / 2));
    CWarningDialog* warning = w.WarningDialog();
    ASSERT_NE(warning, nullptr);
    EXPECT_FALSE(warning->isVisible());

    SetCameraValue("ESDEventProtection", 1);
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    EXPECT_TRUE(warning->isVisible());
    // Centred over the window, give or take the rounding of two odd widths.
    EXPECT_NEAR(warning->frameGeometry().center().x(), w.frameGeometry().center().x(), 4);

    // OK hides it; the next poll with the flag still set shows it again.
    auto* ok = qobject_cast<QPushButton*>(wnd::GetDlgItem(warning, 1));
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_FALSE(warning->isVisible());
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    EXPECT_TRUE(warning->isVisible());

    SetCameraValue("ESDEventProtection", 0);
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    EXPECT_FALSE(warning->isVisible());

    // A rebuild hides it and keeps the same window.
    SetCameraValue("ESDEventProtection", 1);
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    ASSERT_TRUE(warning->isVisible());
    w.SetDefault();
    EXPECT_EQ(w.WarningDialog(), warning);
    EXPECT_FALSE(warning->isVisible());
}

// Example failure: the selector misses a camera on a library or on a serial port, lists a port
// with nothing on it, probes the generic "clserial" library, or lets an error row be chosen.
TEST_F(MainWindowTest, PortSelectorListsLibraryAndSerialCameras)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    emu::PtyPeer peer;
    ASSERT_TRUE(peer.Start()) << peer.Error();
    peer.WithCamera([](emu::CameraModel& c) {
        c.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
        c.SetBaudRate(115200);
    });
    const std::filesystem::path emuPath(CLSER_EMU_PATH);
    const std::filesystem::path libs = dir / "libs";
    std::filesystem::create_directories(libs);
    std::filesystem::create_symlink(emuPath, libs / "libclser_emu.so");
    std::filesystem::create_symlink(CLSER_EMU_NOINIT_PATH, libs / "libclser_emu_noinit.so");
    std::filesystem::create_symlink(emuPath, libs / "clserial.so");
    ScopedEnv path("CLSERIALPATH", libs.string());
    settings.Set("COMPorts", 1);

    CPortSelector selector(&w, &settings, &clock);
    const std::string nothing = (dir / "ttyNothing").string();
    selector.m_listPorts = [&] { return std::vector<std::string>{nothing, peer.SlavePath()}; };
    ASSERT_TRUE(selector.OnInitDialog());

    const std::string model = emu::IdentityForConfiguration(*BuiltinMap(kMap170), 4).modelText;
    std::vector<std::string> listed;
    for (const CPortSelector::Row& row : selector.Rows())
        listed.push_back(row.port + "|" + row.library + "|" + row.camera);
    EXPECT_EQ(listed, (std::vector<std::string>{"00|libclser_emu.so|" + model, "-52|libclser_emu_noinit.so|Error",
                                                peer.SlavePath() + "||" + model}));
    // The first camera found is preselected.
    EXPECT_EQ(selector.CurrentRow(), 0);

    // The error row hands over nothing.
    selector.SetCurrentRow(1);
    selector.OnOK();
    EXPECT_TRUE(selector.m_strSelected.empty());

    ASSERT_TRUE(selector.OnInitDialog());
    selector.SetCurrentRow(2);
    selector.OnOK();
    EXPECT_EQ(selector.m_strSelected, peer.SlavePath());
    EXPECT_EQ(selector.m_nSelectedPort, 0);
    EXPECT_FALSE(selector.m_bSelectedLibrary);

    ASSERT_TRUE(selector.OnInitDialog());
    selector.SetCurrentRow(0);
    selector.OnOK();
    EXPECT_EQ(selector.m_strSelected, (libs / "libclser_emu.so").string());
    EXPECT_EQ(selector.m_nSelectedPort, 0);
    EXPECT_TRUE(selector.m_bSelectedLibrary);
}

// Example failure: a port another link holds is dropped instead of listed as in use, a rescan
// lists the ports twice, or the scan options are not saved.
TEST_F(MainWindowTest, PortSelectorListsAPortInUseAndKeepsItsOptions)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    // Another program holds the port (the window's own port is listed as its camera).
    emu.SetPortBusy(0, true);
    const std::filesystem::path libs = EmulatedLibraryFolder();
    ScopedEnv path("CLSERIALPATH", libs.string());

    CPortSelector selector(&w, &settings, &clock);
    selector.m_listPorts = [] { return std::vector<std::string>{}; };
    for (int scan = 0; scan < 2; ++scan) {
        SCOPED_TRACE(scan);
        ASSERT_TRUE(selector.OnInitDialog());
        ASSERT_EQ(selector.Rows().size(), 1u);
        EXPECT_EQ(selector.Rows()[0].camera, "PortInUse");
    }
    selector.SetCurrentRow(0);
    selector.OnOK();
    EXPECT_EQ(selector.m_strSelected, (libs / "libclser_emu.so").string());

    for (int id : {CPortSelector::IDC_SCAN_COM, CPortSelector::IDC_SCAN_SYSTEM}) {
        auto* box = qobject_cast<QAbstractButton*>(wnd::GetDlgItem(&selector, id));
        ASSERT_NE(box, nullptr);
        box->click();
    }
    EXPECT_EQ(settings.GetInt("Communications", "COMPorts", 0), 1);
    EXPECT_EQ(settings.GetInt("Communications", "System32", 0), 1);
}

/// Runs the main window's About command and returns the camera family it showed.
std::string AboutFamilyShown(CCorvel_5Dlg& w)
{
    std::string family = "(no box)";
    QTimer::singleShot(0, [&] {
        if (auto* box = dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            family = box->ControlText(CAboutDlg::IDC_CAMERA_FAMILY).toStdString();
            box->accept();
        }
    });
    w.OnAbout();
    return family;
}

// Example failure: the About command reads an unidentified camera, or shows nothing of an
// identified one.
TEST_F(MainWindowTest, AboutCommandGivesTheLinkOnlyForAnIdentifiedCamera)
{
    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(w.OnInitDialog(nullptr), 0);
    EXPECT_EQ(AboutFamilyShown(w), "");
    EXPECT_TRUE(emu.Frames().empty());

    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    ASSERT_EQ(w.SelectPort(&selector), 0);
    EXPECT_EQ(AboutFamilyShown(w), ConfigurationRowFor(4).displayName);
}

// Example failure: a camera of a configuration without a built-in map (6, 12 and above) is
// offered, or a library port where no camera answers is hidden instead of listed as "none".
TEST_F(MainWindowTest, PortSelectorListsOnlyConfigurationsItCanLoad)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ScopedEnv path("CLSERIALPATH", EmulatedLibraryFolder().string());
    const struct {
        int config;
        int cameraBaud;
        std::vector<std::string> cameras;
    } cases[] = {
        {5, 115200, {emu::IdentityForConfiguration(*BuiltinMap(kMap170), 5).modelText}},
        {6, 115200, {}},
        {12, 115200, {}},
        {4, 4800, {"none"}},  // answers at no rate the link tries
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.config);
        emu.Reset();
        emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), c.config));
        emu.SetCameraBaud(c.cameraBaud);
        CPortSelector selector(&w, &settings, &clock);
        selector.m_listPorts = [] { return std::vector<std::string>{}; };
        ASSERT_TRUE(selector.OnInitDialog());
        std::vector<std::string> cameras;
        for (const CPortSelector::Row& row : selector.Rows())
            cameras.push_back(row.camera);
        EXPECT_EQ(cameras, c.cameras);
        // Without a camera found, the first row is still selected.
        EXPECT_EQ(selector.CurrentRow(), c.cameras.empty() ? -1 : 0);
    }
}

// Example failure: a camera of a configuration without a built-in map (or of an index beyond the
// table, which the table answers with its default row) is offered for selection.
TEST(PortSelectorRows, ListOnlyCamerasWhoseConfigurationHasABuiltInMap)
{
    const std::set<int> withMap = {4, 5, 7, 8, 9, 10, 11};
    for (int config = -2; config <= kConfigurationCount + 2; ++config) {
        EXPECT_EQ(CPortSelector::Listed("Zorvat", config), withMap.count(config) == 1) << config;
        // Rows without a camera, or with a port in use, are always listed.
        for (const char* camera : {"", "none", "PortInUse"})
            EXPECT_TRUE(CPortSelector::Listed(camera, config)) << camera << ' ' << config;
    }
}

/// The result a dialog ends with when a test step left it open.
constexpr int kStillOpen = 42;

/// Runs `run` (by default the dialog's own modal loop) and, once the dialog shows, `step`; a
/// dialog the step left open is ended with kStillOpen, so a test never hangs on it. The timer
/// repeats because the scan's wait window handles events before the dialog shows.
int RunModal(QDialog& dialog, const std::function<void()>& step, const std::function<int()>& run = {})
{
    QTimer timer;
    bool stepped = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (stepped || !dialog.isVisible())
            return;
        stepped = true;
        step();
        if (dialog.isVisible())
            dialog.done(kStillOpen);
    });
    timer.start(0);
    return run ? run() : dialog.exec();
}

/// The records the port selector wrote, their line ends kept.
std::vector<std::wstring> SelectorRecords(AppLogCapture& log)
{
    // The file breaks a message at its line ends: the lines that follow a record and start no
    // record of their own belong to its message.
    std::vector<std::wstring> records;
    bool inSelector = false;
    for (const std::wstring& line : log.Records()) {
        const std::size_t msg = line.find(L"; MSG=");
        if (line.find(L"; SV=") != std::wstring::npos && msg != std::wstring::npos) {
            inSelector = line.find(L"; F=PortSelector,CPortSelector::OnInitDialog,") != std::wstring::npos;
            if (inSelector)
                records.push_back(line.substr(line.find(L"; SV=") + 2));
        } else if (inSelector) {
            records.back() += L"\r\n" + line;
        }
    }
    return records;
}

// Example failure: the serial-port scan writes no records while the operator logs (or writes
// them when he does not), loses the meaning of a failed result, or hides a port whose camera
// is off instead of listing it without one.
TEST_F(MainWindowTest, PortSelectorLogsTheSerialPortScan)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    // No per-byte read time: the silent camera is waited for at every rate.
    settings.Set(comm::kRttm, 0);
    settings.Set("COMPorts", 1);
    emu::PtyPeer off, on;
    ASSERT_TRUE(off.Start()) << off.Error();
    ASSERT_TRUE(on.Start()) << on.Error();
    // A rate the link never tries stands for a camera that is switched off.
    off.WithCamera([](emu::CameraModel& c) { c.SetBaudRate(4800); });
    on.WithCamera([](emu::CameraModel& c) {
        c.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
        c.SetBaudRate(115200);
    });
    std::filesystem::create_directories(dir / "nolibs");
    ScopedEnv path("CLSERIALPATH", (dir / "nolibs").string());
    const std::string nothing = (dir / "ttyNothing").string();
    const std::string model = emu::IdentityForConfiguration(*BuiltinMap(kMap170), 4).modelText;
    const std::wstring codes = L"If return code < 0:\r\n -61 = COM port handle invalid\r\n -62 = GetCommTimeout "
                               L"error\n -63 = SetCommTimeout error\r\n -64 = GetCommState\r\n -65 = "
                               L"SetCommState\r\n -70 = Camera's BaudRate not detected";
    auto wide = [](const std::string& text) { return platform::Utf8ToWide(text); };

    for (int logging : {0, 1}) {
        SCOPED_TRACE(logging);
        w.m_nLogging = logging;
        AppLogCapture log(5, 0);
        ASSERT_TRUE(log.Ok());
        CPortSelector selector(&w, &settings, &clock);
        selector.m_listPorts = [&] { return std::vector<std::string>{nothing, off.SlavePath(), on.SlavePath()}; };
        ASSERT_TRUE(selector.OnInitDialog());

        std::vector<std::string> listed;
        for (const CPortSelector::Row& row : selector.Rows())
            listed.push_back(row.port + "|" + row.library + "|" + row.camera);
        EXPECT_EQ(listed, (std::vector<std::string>{off.SlavePath() + "||", on.SlavePath() + "||" + model}));
        // The camera is preselected, not the port before it.
        EXPECT_EQ(selector.CurrentRow(), 1);

        const std::vector<std::wstring> expected = {
            L"SV=TRACE; CD=0; MSG=Initialized <" + wide(nothing) + L"> with error = -61 0xffffffc3",
            L"SV=TRACE; CD=0; MSG=" + codes,
            L"SV=TRACE; CD=0; MSG=Initialized <" + wide(off.SlavePath()) + L"> with error = 70 0x46",
            L"SV=TRACE; CD=0; MSG=" + codes,
            L"SV=TRACE; CD=0; MSG=" + wide(off.SlavePath()) + L" --- ",
            L"SV=TRACE; CD=0; MSG=Initialized <" + wide(on.SlavePath()) + L"> with error = 0 0x0",
            L"SV=TRACE; CD=0; MSG=" + wide(on.SlavePath()) + L" --- " + wide(model),
        };
        EXPECT_EQ(SelectorRecords(log), logging ? expected : std::vector<std::wstring>{});
    }
}

// Example failure: the operator's answer to a camera's refusal during the scan or a rescan
// leaves the selector open (or goes on listing ports), keeps its rows, or leaves the probed
// port open in the grabber.
TEST_F(MainWindowTest, PortSelectorEndsWhenTheOperatorAnswersARefusal)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ScopedEnv path("CLSERIALPATH", EmulatedLibraryFolder().string());
    settings.Set("LastPort", 1);
    auto pingReads = [&] {
        int reads = 0;
        for (const emu::FrameRecord& frame : emu.Frames())
            reads += frame.bytes == std::vector<std::uint8_t>{emu::kReadCommand, 0x60, 0x0C};
        return reads;
    };
    // A plain scan shows how many "Ping" reads come before the identification's last one.
    emu.ClearFrames();
    {
        CPortSelector plain(&w, &settings, &clock);
        plain.m_listPorts = [] { return std::vector<std::string>{}; };
        ASSERT_TRUE(plain.OnInitDialog());
        ASSERT_EQ(plain.Rows().size(), 1u);
    }
    const int pings = pingReads();
    ASSERT_GE(pings, 2);
    auto refuseIdentification = [&] {
        for (int i = 1; i < pings; ++i)
            emu.ScriptFault(emu::kPingRegister, emu::Fault{});
        emu.ScriptFault(emu::kPingRegister, emu::Fault{emu::FaultKind::Refuse, 0x04, 0, 0, 0});
    };
    const std::string report = "Read <Ping> param to camera\n Value less then minimum [ID=4]";

    // During the first scan: the dialog never shows.
    {
        CPortSelector selector(&w, &settings, &clock);
        selector.m_listPorts = [] { return std::vector<std::string>{}; };
        refuseIdentification();
        boxes.clear();
        PortChoice choice;
        bool shown = false;
        EXPECT_EQ(RunModal(selector, [&] { shown = true; }, [&] { return selector.Run(choice) ? 1 : 0; }), 0);
        EXPECT_FALSE(shown);
        EXPECT_TRUE(selector.Rows().empty());
        EXPECT_FALSE(emu.PortOpen(0));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].substr(0, report.size()), report);
    }

    // During "Rescan Ports": the open dialog ends as cancelled.
    {
        CPortSelector selector(&w, &settings, &clock);
        selector.m_listPorts = [] { return std::vector<std::string>{}; };
        ASSERT_TRUE(selector.OnInitDialog());
        ASSERT_EQ(selector.Rows().size(), 1u);
        auto* rescan = qobject_cast<QPushButton*>(wnd::GetDlgItem(&selector, CPortSelector::IDC_RESCAN));
        ASSERT_NE(rescan, nullptr);
        boxes.clear();
        EXPECT_EQ(RunModal(selector,
                           [&] {
                               refuseIdentification();
                               rescan->click();
                           }),
                  QDialog::Rejected);
        EXPECT_TRUE(selector.Rows().empty());
        EXPECT_FALSE(emu.PortOpen(0));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0].substr(0, report.size()), report);
    }
}

// Example failure: a double-click on a row does not choose it, Esc leaves the rows behind, or a
// rescan adds the columns a second time.
TEST_F(MainWindowTest, PortSelectorDoubleClickChoosesAndEscCancels)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    const std::filesystem::path libs = EmulatedLibraryFolder();
    ScopedEnv path("CLSERIALPATH", libs.string());
    CPortSelector selector(&w, &settings, &clock);
    selector.m_listPorts = [] { return std::vector<std::string>{}; };
    auto* list = qobject_cast<QTreeWidget*>(wnd::GetDlgItem(&selector, CPortSelector::IDC_LIST));
    ASSERT_NE(list, nullptr);
    auto* rescan = qobject_cast<QPushButton*>(wnd::GetDlgItem(&selector, CPortSelector::IDC_RESCAN));
    ASSERT_NE(rescan, nullptr);

    ASSERT_TRUE(selector.OnInitDialog());
    rescan->click();
    ASSERT_EQ(list->columnCount(), 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(list->headerItem()->text(c).toStdString(), (std::vector<std::string>{"Port", "Interface DLL", "Camera"}[c]));
    ASSERT_EQ(list->topLevelItemCount(), 1);
    ASSERT_EQ(selector.Rows().size(), 1u);

    EXPECT_EQ(RunModal(selector,
                       [&] {
                           // What a double-click delivers: press, release, double-click, release.
                           const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
                           QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row);
                           QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row);
                           QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
                           QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row);
                       }),
              QDialog::Accepted);
    EXPECT_EQ(selector.m_strSelected, (libs / "libclser_emu.so").string());
    EXPECT_EQ(selector.m_nSelectedPort, 0);
    EXPECT_EQ(selector.m_nSelectedBaud, 115200);

    ASSERT_TRUE(selector.OnInitDialog());
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(RunModal(selector, [&] { QTest::keyClick(&selector, Qt::Key_Escape); }), QDialog::Rejected);
    EXPECT_TRUE(selector.Rows().empty());
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

// Example failure: a long port path is cut at its end ("/dev/p…"), so ports that differ only
// in their last characters look alike; the full path is nowhere to be read; or the dialog's
// texts are cut at the default font.
TEST_F(MainWindowTest, PortSelectorShowsLongPortPathsByBothEnds)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    emu::PtyPeer peer;
    ASSERT_TRUE(peer.Start()) << peer.Error();
    peer.WithCamera([](emu::CameraModel& c) {
        c.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
        c.SetBaudRate(115200);
    });
    // The port as the system names it after its adapter.
    const std::filesystem::path byId = dir / "serial" / "by-id";
    std::filesystem::create_directories(byId);
    const std::string port = (byId / "usb-Camera_Link_Serial_Adapter_A5028-if00-port0").string();
    std::filesystem::create_symlink(peer.SlavePath(), port);
    ScopedEnv path("CLSERIALPATH", EmulatedLibraryFolder().string());
    settings.Set("COMPorts", 1);

    const QFont standard = QApplication::font();
    QFont large = standard;
    large.setPointSizeF(standard.pointSizeF() * 1.5);
    for (const QFont& font : {standard, large}) {
        SCOPED_TRACE(font.toString().toStdString());
        QApplication::setFont(font);
        CPortSelector selector(&w, &settings, &clock);
        selector.m_listPorts = [&] { return std::vector<std::string>{peer.SlavePath(), port}; };
        auto* list = qobject_cast<QTreeWidget*>(wnd::GetDlgItem(&selector, CPortSelector::IDC_LIST));
        ASSERT_NE(list, nullptr);

        QStringList drawn;
        QString tip;
        std::vector<CutText> cut;
        std::vector<std::string> overlapping;
        PortChoice choice;
        const int result = RunModal(
            selector,
            [&] {
                ASSERT_EQ(list->topLevelItemCount(), 3);
                QTreeWidgetItem* item = list->topLevelItem(2);
                ASSERT_EQ(item->text(0).toStdString(), port);
                SaveShot(&selector, font == standard ? "port-selector" : "port-selector-large-font");
                cut = CutTexts(&selector);
                for (const CutText& cell : CutCells(list))
                    if (cell.text != port)
                        cut.push_back(cell);
                overlapping = OverlappingControls(&selector);
                drawn = DrawnTexts(list->viewport());

                // The operator rests the mouse on the port's cell, then double-clicks the row.
                const QRect row = list->visualItemRect(item);
                const QPoint cell(list->header()->sectionViewportPosition(0) + list->columnWidth(0) / 2,
                                  row.center().y());
                QHelpEvent hover(QEvent::ToolTip, cell, list->viewport()->mapToGlobal(cell));
                QApplication::sendEvent(list->viewport(), &hover);
                tip = QToolTip::text();
                QToolTip::hideText();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
            },
            [&] { return selector.Run(choice) ? 1 : 0; });

        EXPECT_EQ(result, 1);
        // Eliding only shows the path: the whole of it is chosen.
        EXPECT_EQ(choice.name, port);
        EXPECT_FALSE(choice.isLibrary);
        EXPECT_EQ(tip.toStdString(), port);

        // The path's cell shows its start and its end, the middle left out.
        const QString full = QString::fromStdString(port);
        QStringList elided;
        for (const QString& text : drawn)
            if (text.contains(QChar(0x2026)))
                elided.push_back(text);
        ASSERT_EQ(elided.size(), 1) << drawn.join(QStringLiteral(" | ")).toStdString();
        const QString head = elided[0].section(QChar(0x2026), 0, 0);
        const QString tail = elided[0].section(QChar(0x2026), 1);
        EXPECT_TRUE(head.startsWith(QStringLiteral("/")) && full.startsWith(head)) << head.toStdString();
        EXPECT_TRUE(tail.endsWith(QStringLiteral("port0")) && full.endsWith(tail)) << tail.toStdString();
        // A plain device path and the library's name are drawn whole.
        for (const std::string& whole : {peer.SlavePath(), std::string("libclser_emu.so")})
            EXPECT_TRUE(drawn.contains(QString::fromStdString(whole)))
                << whole << " in " << drawn.join(QStringLiteral(" | ")).toStdString();

        for (const CutText& c : cut)
            ADD_FAILURE() << '"' << c.text << "\" has " << c.room << " px for " << c.needed;
        EXPECT_EQ(overlapping, std::vector<std::string>{});
    }
    QApplication::setFont(standard);
}

// Example failure: a register map that cannot be loaded ends the selection unseen, or a rescan
// then closes the dialog, instead of showing the empty list.
TEST_F(MainWindowTest, PortSelectorWithoutItsRegisterMapShowsAnEmptyList)
{
    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    ScopedEnv path("CLSERIALPATH", EmulatedLibraryFolder().string());
    std::filesystem::create_directories(dir / "maps");
    dir.Write("maps/CamDef.Zorvat.MachineVision.xml", "<Camera><broken></Camera>");
    CPortSelector selector(&w, &settings, &clock);
    selector.m_listPorts = [] { return std::vector<std::string>{}; };
    selector.m_mapFolder = dir / "maps";
    auto* rescan = qobject_cast<QPushButton*>(wnd::GetDlgItem(&selector, CPortSelector::IDC_RESCAN));
    auto* cancel = qobject_cast<QPushButton*>(wnd::GetDlgItem(&selector, 2));
    ASSERT_TRUE(rescan && cancel);

    boxes.clear();
    bool shownEmpty = false, openAfterRescan = false;
    PortChoice choice;
    const int result = RunModal(
        selector,
        [&] {
            shownEmpty = selector.Rows().empty();
            rescan->click();
            openAfterRescan = selector.isVisible() && selector.Rows().empty();
            cancel->click();
        },
        [&] { return selector.Run(choice) ? 1 : 0; });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(shownEmpty);
    EXPECT_TRUE(openAfterRescan);
    // Each scan reports the map once.
    EXPECT_EQ(boxes.size(), 2u);
}

// Example failure: "Scan System32 Folder" adds no folder (or searches it after the library
// folder), the generic "libclserial" is probed, or a CLSERIALPATH too long for its 260 bytes is
// used (or one that fits is not).
TEST_F(MainWindowTest, PortSelectorSearchesTheSystemFolderOnRequest)
{
    EXPECT_TRUE(std::filesystem::exists(SystemLibraryFolder() / "libc.so.6")) << SystemLibraryFolder();

    CCorvel_5Dlg& w = MakeWindow();
    w.SetDefault();
    settings.Set("LastPort", 1);
    const std::filesystem::path libs = EmulatedLibraryFolder();
    const std::filesystem::path system = dir / "system";
    std::filesystem::create_directories(system);
    std::filesystem::create_symlink(std::filesystem::path(CLSER_EMU_PATH), system / "libclser_sys.so");
    std::filesystem::create_symlink(std::filesystem::path(CLSER_EMU_PATH), system / "libclserial.so");
    // The same folder, named with as many bytes as asked.
    auto named = [&](std::size_t bytes) { return std::string(bytes - libs.string().size(), '/') + libs.string(); };
    const struct {
        int system32;
        std::string libraryPath;
        std::vector<std::string> libraries;
    } cases[] = {
        {0, libs.string(), {"libclser_emu.so"}},
        {1, libs.string(), {"libclser_sys.so", "libclser_emu.so"}},
        {0, named(259), {"libclser_emu.so"}},
        {0, named(260), {}},
        {1, named(260), {"libclser_sys.so"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.system32) + " " + std::to_string(c.libraryPath.size()));
        ScopedEnv path("CLSERIALPATH", c.libraryPath);
        settings.Set("System32", c.system32);
        CPortSelector selector(&w, &settings, &clock);
        selector.m_listPorts = [] { return std::vector<std::string>{}; };
        selector.m_systemFolder = system;
        ASSERT_TRUE(selector.OnInitDialog());
        std::vector<std::string> libraries;
        for (const CPortSelector::Row& row : selector.Rows())
            libraries.push_back(row.library);
        EXPECT_EQ(libraries, c.libraries);
        auto* box = qobject_cast<QAbstractButton*>(wnd::GetDlgItem(&selector, CPortSelector::IDC_SCAN_SYSTEM));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isChecked(), c.system32 == 1);
    }
}

/// A gain/offset panel that converts the cooler's reading as the Kelmir panel does, by a table.
class CoolerPanel : public COptionDialog {
public:
    using COptionDialog::COptionDialog;
    std::optional<float> TecRawToCelsius(std::int64_t raw) const override
    {
        heard.push_back(raw);
        return 30.5f;
    }
    mutable std::vector<std::int64_t> heard;
};

// Example failure: a Kelmir camera is identified but its catalogue is not built (the panels and
// polls find no parameters), the lens panel stays although the camera has no mount, or the
// cooler temperature is read from the camera temperature's bits.
TEST_F(MainWindowTest, KelmirCameraIsRebuiltWithItsCatalogueAndItsCoolerIsPolled)
{
    emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap173), 7));
    CCorvel_5Dlg& w = MakeWindow();
    ScriptedSelector selector;
    selector.choices = {EmulatedPort()};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    EXPECT_EQ(w.m_Link.m_nConfigIndex, 7);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(w.PanelRow(), 7);
    EXPECT_EQ(w.windowTitle().toStdString(), "Corvel Kelmir");
    EXPECT_EQ(w.CameraLabelText().toStdString(), "Kelmir");

    std::size_t count = 0;
    w.m_Link.GetParametersList(nullptr, &count);
    EXPECT_EQ(count, 251u);
    _OrvStParam record;
    EXPECT_EQ(w.m_Link.GetParamData("TEC_Temperature", &record), 0);
    EXPECT_NE(w.m_Link.GetParamData("CanonActiveMount", &record), 0);
    // The Kelmir gain panel converts the cooler's reading; the image slot's plain panel does not.
    ASSERT_NE(w.GetPanel(0), nullptr);
    EXPECT_EQ(w.GetPanel(0)->TemplateId(), 226);
    EXPECT_EQ(w.GetPanel(0)->TecRawToCelsius(1071), std::optional<float>(30.5f));
    EXPECT_EQ(w.GetPanel(7), nullptr) << "no lens mount, no lens panel";

    // The cooler's 12 bits sit above the camera temperature's 10 in one word; the poll reads both.
    SetCameraValue("Temperature", 100);
    SetCameraValue("TEC_Temperature", 1071);
    emu.ClearFrames();
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    EXPECT_EQ(w.m_CameraInfo.temperature, "25.0 / 30.5") << "the gain panel's table converts the cooler";
    std::vector<Bytes> frames;
    for (const auto& f : emu.Frames())
        frames.push_back(f.bytes);
    EXPECT_EQ(frames, (std::vector<Bytes>{ReadFrame(0x6010), ReadFrame(0x6010)}));

    auto cooler = std::make_unique<CoolerPanel>(w.GetPanel(0)->TemplateId(), &w, &w.m_Link);
    CoolerPanel* panel = cooler.get();
    w.Slot(0).Close();
    w.Slot(0).m_pPanel = std::move(cooler);
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    EXPECT_EQ(panel->heard, (std::vector<std::int64_t>{1071}));
    EXPECT_EQ(w.m_CameraInfo.temperature, "25.0 / 30.5");
    EXPECT_FLOAT_EQ(w.m_CameraInfo.tecTemperature, 30.5f);
    EXPECT_TRUE(w.m_bConnected);

    // A camera of another configuration has no cooler reading, even with such a panel.
    w.m_Link.m_nConfigIndex = 4;
    w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
    EXPECT_EQ(w.m_CameraInfo.temperature, "25.00");
    EXPECT_TRUE(panel->heard.size() == 1u);
    w.m_Link.m_nConfigIndex = 7;
}

}  // namespace

// Example failure: a picture-only run takes the first file whose name looks like a serial
// library (a fault-injecting test library, a file that is no library at all) and shows an
// error row instead of the emulated camera.
TEST_F(MainWindowTest, FirstSerialLibraryTakesOnlyOneWithTheSerialEntries)
{
    namespace fs = std::filesystem;
    const fs::path broken = dir / "broken";
    const fs::path good = dir / "good";
    fs::create_directories(broken);
    fs::create_directories(good);
    fs::create_symlink(CLSER_EMU_NOINIT_PATH, broken / "libclser_a_noinit.so");
    fs::create_symlink(CLSER_EMU_NOCLOSE_PATH, good / "libclser_a_noclose.so");
    dir.Write("good/libclser_b_text.so", "not a library");
    fs::create_symlink(CLSER_EMU_PATH, good / "libclser_c_emu.so");
    fs::create_symlink(CLSER_EMU_PATH, good / "liba_other.so");

    {
        ScopedEnv path("CLSERIALPATH", broken.string() + ":" + good.string());
        EXPECT_EQ(FirstSerialLibrary(), std::optional<std::string>((good / "libclser_c_emu.so").string()));
    }
    {
        ScopedEnv path("CLSERIALPATH", broken.string());
        EXPECT_EQ(FirstSerialLibrary(), std::nullopt);
    }
}
