// What the main window shows about the camera link when the camera refuses reads, goes away and
// comes back on the same port, or has a register map that cannot be loaded; the About box when
// its reads fail.
#include "app/CCorvel_5Dlg.h"

#include "app/CAboutDlg.h"
#include "app/CPanelSlot.h"
#include "app/CPortSelector.h"
#include "app/MainMenu.h"

#include "camera/LinkLog.h"
#include "camera/CXmlNodeValue.h"
#include "camera/MapNumbers.h"
#include "camera/RegisterLink.h"
#include "catalogues/ConfigurationTable.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/IconResource.h"
#include "emulator/BuiltinCamera.h"
#include "emulator/PtyPeer.h"
#include "emulator/RegisterImage.h"
#include "panels/CDlgCameraInfo.h"
#include "panels/CDlgTempControl.h"
#include "tools/CTerminal.h"

#include "MainWindowFixture.h"
#include "support/AppLogCapture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>

namespace {

using namespace corvel::test;

constexpr char kDashes[] = "---------";
constexpr char kSizeDashes[] = "----x----";

/// Starts the window as an operator who picks the emulated camera's library port.
void StartOnLibraryPort(CCorvel_5Dlg& w)
{
    ScriptedSelector selector;
    selector.choices = {PortChoice{CLSER_EMU_PATH, 0, 115200, true}};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    ASSERT_TRUE(w.m_bConnected);
}

void PollAll(CCorvel_5Dlg& w)
{
    for (unsigned id : {CCorvel_5Dlg::TIMER_TEMPERATURE, CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME})
        w.OnTimer(id);
}

/// Link log lines taken while it lives.
class LinkLogLines {
public:
    LinkLogLines()
    {
        previous_ = camera::SetLinkLogSink([this](const char*, const std::string& text) {
            std::lock_guard lock(mutex_);
            lines_.push_back(text);
        });
    }
    ~LinkLogLines() { camera::SetLinkLogSink(previous_); }
    int Count(const std::string& part)
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(lines_.begin(), lines_.end(),
                                              [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }

private:
    camera::LinkLogSink previous_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

class MainWindowLinkTest : public MainWindowTest {
protected:
    void SetLiveValues()
    {
        SetCameraValue("Temperature", 100);  // 25 °C
        SetCameraValue("Exposure", 20000);
        SetCameraValue("FrameTime", 40000);
        SetCameraValue("ImageWidth", 640);
        SetCameraValue("ImageHeight", 480);
    }

    void ExpectLiveValues(const CCorvel_5Dlg& w)
    {
        EXPECT_EQ(w.m_CameraInfo.temperature, "25.00");
        EXPECT_EQ(w.m_CameraInfo.exposure, "20.000");
        EXPECT_EQ(w.m_CameraInfo.frameTime, "40.000");
        EXPECT_EQ(w.m_CameraInfo.frameRate, "25.000");
        EXPECT_EQ(w.m_CameraInfo.imageSize, "640x480");
    }

    void ExpectAllDashed(CCorvel_5Dlg& w)
    {
        EXPECT_EQ(w.m_CameraInfo.temperature, kDashes);
        EXPECT_EQ(w.m_CameraInfo.exposure, kDashes);
        EXPECT_EQ(w.m_CameraInfo.frameTime, kDashes);
        EXPECT_EQ(w.m_CameraInfo.frameRate, kDashes);
        EXPECT_EQ(w.m_CameraInfo.imageSize, kSizeDashes);
        ASSERT_NE(w.m_pCameraInfo, nullptr);
        for (const QString* shown : {&w.m_pCameraInfo->m_strTemperature, &w.m_pCameraInfo->m_strExposure,
                                     &w.m_pCameraInfo->m_strFrameTime, &w.m_pCameraInfo->m_strFps})
            EXPECT_EQ(shown->toStdString(), kDashes);
        EXPECT_EQ(w.m_pCameraInfo->m_strSize.toStdString(), kSizeDashes);
    }

    std::uint16_t AddressOf(const char* name)
    {
        RegisterLink reg;
        EXPECT_EQ(GetRegisterLink(window->m_Link, name, reg), 0) << name;
        return reg.address;
    }
};

// Example failure: a camera that refuses one polled read is taken for a lost camera, identified
// again and the whole configuration rebuilt at every reconnect tick, without end.
TEST_F(MainWindowLinkTest, RefusedPollShowsDashesAndKeepsTheCamera)
{
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    SetLiveValues();

    struct Case {
        const char* refused;
        std::string CameraInfoTexts::*dashed;
        const char* dashes;
    } cases[] = {
        {"Temperature", &CameraInfoTexts::temperature, kDashes},
        {"Exposure", &CameraInfoTexts::exposure, kDashes},
        {"FrameTime", &CameraInfoTexts::frameTime, kDashes},
        {"ImageWidth", &CameraInfoTexts::imageSize, kSizeDashes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        const std::uint16_t address = AddressOf(c.refused);
        emu.SetAddressFault(address, {emu::FaultKind::Refuse, 0x15, 0x02});
        emu.ClearFrames();
        for (int tick = 0; tick < 4; ++tick)
            PollAll(w);
        EXPECT_EQ(w.m_CameraInfo.*c.dashed, c.dashes);
        EXPECT_TRUE(w.m_bConnected);
        EXPECT_NE(w.StatusIconId(), wnd::IDI_STATUS_NO_CAMERA);
        EXPECT_EQ(rebuilds, 0);
        // Only the polls went out: no identification ("CamCode") and no rebuild traffic.
        const std::uint16_t camCode = AddressOf("CamCode");
        for (const emu::FrameRecord& frame : emu.Frames())
            ASSERT_FALSE(frame.bytes.size() >= 3 && ((frame.bytes[1] << 8) | frame.bytes[2]) == camCode);
        // The values the camera did answer still show.
        if (std::string(c.refused) != "Temperature") {
            EXPECT_EQ(w.m_CameraInfo.temperature, "25.00");
        }
        if (std::string(c.refused) != "Exposure") {
            EXPECT_EQ(w.m_CameraInfo.exposure, "20.000");
        }
        emu.SetAddressFault(address, {emu::FaultKind::None});
        PollAll(w);
        ExpectLiveValues(w);
    }
}

// Example failure: after the camera is lost only the value whose poll failed first shows
// dashes; the temperature (main window and Temperature panel) and the lamp keep their last
// readings. Then the library port that came back is never opened again, and the same error
// line is logged at every retry.
TEST_F(MainWindowLinkTest, LostLibraryPortDashesEverythingAndIsOpenedAgainWhenItComesBack)
{
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    SetLiveValues();
    PollAll(w);
    ExpectLiveValues(w);
    auto* tempPanel = dynamic_cast<CDlgTempControl*>(w.GetPanel(6));
    ASSERT_NE(tempPanel, nullptr);
    ASSERT_NE(w.m_pCameraInfo->IconId(), wnd::IDI_STATE_OFF);

    LinkLogLines log;
    emu.UnplugPort(0);
    w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    EXPECT_FALSE(w.m_bConnected);
    ExpectAllDashed(w);
    EXPECT_EQ(tempPanel->m_strCameraTemp.toStdString(), kDashes);
    EXPECT_EQ(w.m_pCameraInfo->IconId(), wnd::IDI_STATE_OFF);
    EXPECT_EQ(w.StatusIconId(), wnd::IDI_STATUS_NO_CAMERA);

    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    const unsigned initsBefore = emu.Calls("clSerialInit");
    for (int tick = 0; tick < 6; ++tick)
        PollAll(w);
    EXPECT_EQ(rebuilds, 0);
    EXPECT_FALSE(w.m_bConnected);
    // Every retry tries to open the port again; its failure is logged once.
    EXPECT_EQ(emu.Calls("clSerialInit") - initsBefore, 6u);
    EXPECT_EQ(log.Count("failed"), 1);

    emu.ReplugPort(0);
    for (int tick = 0; tick < 6 && !w.m_bConnected; ++tick)
        w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(log.Count("> opened"), 1);
    PollAll(w);
    ExpectLiveValues(w);
    EXPECT_EQ(w.StatusIconId(), wnd::IDI_STATUS_ACK);
}

// Example failure: the serial device of a camera that was power-cycled disappears; the program
// keeps its handle on the dead device and never opens the path again, though the camera came
// back on it.
TEST_F(MainWindowLinkTest, SerialPortThatVanishesIsOpenedAgainOnTheSamePath)
{
    const std::map<std::uint16_t, std::uint32_t> image = emu::CameraRegistersFor(*BuiltinMap(kMap170), 4);
    auto peer = std::make_unique<emu::PtyPeer>();
    if (!peer->Start())
        GTEST_SKIP() << peer->Error();
    auto loadCamera = [&](emu::PtyPeer& p) {
        p.WithCamera([&](emu::CameraModel& c) {
            c.LoadRegisters(image);
            c.SetBaudRate(115200);
        });
    };
    loadCamera(*peer);
    // The path the operator chose stays; what it points at changes with each power cycle.
    const std::filesystem::path port = dir / "ttyCamera";
    std::filesystem::create_symlink(peer->SlavePath(), port);

    CCorvel_5Dlg& w = MakeWindow();
    ScriptedSelector selector;
    selector.choices = {PortChoice{port.string(), 0, 115200, false}};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    ASSERT_TRUE(w.m_bConnected);

    LinkLogLines log;
    peer->Vanish();
    std::filesystem::remove(port);
    w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_FALSE(w.m_bConnected);
    ExpectAllDashed(w);
    for (int tick = 0; tick < 4; ++tick)
        w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_FALSE(w.m_bConnected);
    EXPECT_EQ(log.Count("failed"), 1) << "the same open failure is logged once";

    peer = std::make_unique<emu::PtyPeer>();
    ASSERT_TRUE(peer->Start()) << peer->Error();
    loadCamera(*peer);
    std::filesystem::create_symlink(peer->SlavePath(), port);
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    for (int tick = 0; tick < 6 && !w.m_bConnected; ++tick)
        w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(w.m_Link.m_nConfigIndex, 4);
    EXPECT_EQ(log.Count("> opened"), 1);
    w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_NE(w.m_CameraInfo.exposure, kDashes);
}

// Example failure: a camera whose register map fails to load shows the information panel's
// placeholders as if measured, with a green "acknowledged" status.
TEST_F(MainWindowLinkTest, CameraWithoutItsRegisterMapShowsNoValuesAndSaysSo)
{
    const int missing = ConfigurationWithoutItsMap();
    if (missing < 0)
        GTEST_SKIP() << "every configuration has its built-in map";

    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(w.OnInitDialog(nullptr), 0);
    // Nothing has been read yet: dashes, not the panel's placeholders.
    ExpectAllDashed(w);

    StartOnLibraryPort(w);
    w.m_Link.m_nConfigIndex = missing;
    w.SetDefault();
    ASSERT_FALSE(w.m_pXmlDoc);
    ExpectAllDashed(w);
    EXPECT_NE(w.StatusIconId(), wnd::IDI_STATUS_ACK);
    EXPECT_EQ(w.CameraLabelText().toStdString(), CCorvel_5Dlg::kNotConfiguredText);
    for (unsigned id : {CCorvel_5Dlg::TIMER_TEMPERATURE, CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME})
        EXPECT_FALSE(w.Timers().IsRunning(id)) << id;
    // No panel of the camera before it stays to read or write this camera with a map not its own.
    for (int slot = 0; slot < 9; ++slot) {
        EXPECT_EQ(w.GetPanel(slot), nullptr) << slot;
        EXPECT_EQ(w.Menu().Item(kPanelSlotSpecs[slot].viewId), nullptr) << slot;
    }

    // The operator types a new polling period in the terminal: still nothing polls.
    CTerminal* terminal = w.TerminalWindow();
    ASSERT_NE(terminal, nullptr);
    terminal->show();
    terminal->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(terminal));
    auto* period = qobject_cast<QLineEdit*>(wnd::GetDlgItem(terminal, CTerminal::IDC_POLLING_TIME));
    ASSERT_NE(period, nullptr);
    period->setFocus();
    period->selectAll();
    QTest::keyClicks(period, "500");
    QTest::keyClick(period, Qt::Key_Return);
    ASSERT_EQ(terminal->m_nPollingTime, 500);
    for (unsigned id : {CCorvel_5Dlg::TIMER_TEMPERATURE, CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME})
        EXPECT_FALSE(w.Timers().IsRunning(id)) << id;
    ExpectAllDashed(w);

    // A camera with its map brings its panels back.
    w.m_Link.m_nConfigIndex = 4;
    w.SetDefault();
    EXPECT_NE(w.GetPanel(0), nullptr);
    EXPECT_NE(w.Menu().Item(kPanelSlotSpecs[0].viewId), nullptr);
}

// Example failure: the first camera the operator picks has no register map; the lamp keeps the
// information panel's first colour (warm) beside a dashed temperature, as if one had been read.
TEST_F(MainWindowLinkTest, CameraWithoutItsMapMetAtStartLightsNoLamp)
{
    const int missing = ConfigurationWithoutItsMap();
    if (missing < 0)
        GTEST_SKIP() << "every configuration has its built-in map";
    emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), missing));
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    ASSERT_EQ(w.m_Link.m_nConfigIndex, missing);
    ASSERT_FALSE(w.m_pXmlDoc);
    ExpectAllDashed(w);
    EXPECT_EQ(w.m_pCameraInfo->IconId(), wnd::IDI_STATE_OFF);
    EXPECT_EQ(w.CameraLabelText().toStdString(), CCorvel_5Dlg::kNotConfiguredText);
}

// Example failure: after a good camera, a camera whose register map fails to load is met on the
// same port; the store keeps the map before it, so Save To, Load From, the dump, Boot From and
// the terminal's parameter commands read and write this camera at another map's addresses.
TEST_F(MainWindowLinkTest, CameraWithoutItsMapIsReachedAtNoAddressOfTheMapBefore)
{
    const int missing = ConfigurationWithoutItsMap();
    if (missing < 0)
        GTEST_SKIP() << "every configuration has its built-in map";
    std::vector<std::string> fileDialogs;
    const std::filesystem::path workspace = dir / "saved.rgs";
    wnd::ScopedFileDialogHandler files{[&](const wnd::FileDialogRequest& r) -> std::optional<QString> {
        fileDialogs.push_back(r.title.toStdString());
        return QString::fromStdString(workspace.string());
    }};
    {
        std::ofstream out(workspace);
        out << "0x5760D800000001\n";
    }

    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    // What the store keeps without a map is read where every map puts it.
    for (const char* name : CCameraLink::kIdentificationParams) {
        RegisterLink reg;
        ASSERT_EQ(GetRegisterLink(w.m_Link, name, reg), 0) << name;
        for (int map : {kMap170, kMap174, kMap171, kMap173, kMap175, kMap172, kMap176})
            EXPECT_EQ(ParseInt64Auto(BuiltinMap(map)->Select(reg.path + "/address").AsString()), reg.address)
                << name << " in map " << map;
    }
    ScriptedSelector samePort;
    samePort.choices = {PortChoice{CLSER_EMU_PATH, 0, 115200, true}, PortChoice{CLSER_EMU_PATH, 0, 115200, true}};
    w.SetPortSelector(&samePort);
    const auto switchPort = [&] {
        QAction* item = w.Menu().Item(cmd::kSwitchPort);
        ASSERT_NE(item, nullptr);
        item->trigger();
    };

    // The camera on the port is replaced by one whose configuration has no map.
    emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), missing));
    switchPort();
    ASSERT_EQ(w.m_Link.m_nConfigIndex, missing);
    ASSERT_FALSE(w.m_pXmlDoc);
    ASSERT_TRUE(w.m_Link.ConfigurationLost());
    EXPECT_EQ(w.CameraLabelText().toStdString(), CCorvel_5Dlg::kNotConfiguredText);

    const int commands[] = {cmd::kLoadFromFile,      cmd::kSaveToFile,      cmd::kLoadFromFactory,
                            cmd::kLoadFromIds[3],    cmd::kSaveToUser1,     cmd::kSaveToFactory,
                            cmd::kBootFromIds[1],    cmd::kBaud9600 + 1,    cmd::kWriteRegisters,
                            cmd::kSaveDump};
    for (int id : commands) {
        SCOPED_TRACE(id);
        emu.ClearFrames();
        boxes.clear();
        fileDialogs.clear();
        // As the menu does it; the items the menu does not offer go the way a key would send them.
        if (QAction* item = w.Menu().Item(id); item && item->isEnabled())
            item->trigger();
        else
            w.OnCommand(static_cast<wnd::WPARAM>(id), 0);
        EXPECT_TRUE(emu.Frames().empty()) << emu.Frames().size() << " frames";
        EXPECT_TRUE(fileDialogs.empty());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("The camera could not be configured"), std::string::npos) << boxes[0];
    }
    {
        std::ifstream in(workspace);
        std::string kept;
        std::getline(in, kept);
        EXPECT_EQ(kept, "0x5760D800000001");  // Save To File did not overwrite it
    }

    // Nothing that reads or writes a parameter by name reaches the camera, but for reading the
    // identification registers every configuration has at the same place.
    emu.ClearFrames();
    std::int64_t value = 0;
    EXPECT_NE(w.m_Link.GetParamInt("Exposure", &value), 0);
    EXPECT_EQ(w.m_Link.SetParamIntIfOnline("BootFrom", 1, true, true), link_result::kNotConfigured);
    EXPECT_TRUE(emu.Frames().empty());
    EXPECT_EQ(w.m_Link.GetParamInt("CamCode", &value), 0);
    EXPECT_EQ(value, missing);

    // The terminal: parameter commands say why they do nothing; a raw frame still goes out.
    CTerminal* terminal = w.TerminalWindow();
    ASSERT_NE(terminal, nullptr);
    terminal->show();
    terminal->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(terminal));
    auto* line = qobject_cast<QLineEdit*>(wnd::GetDlgItem(terminal, CTerminal::IDC_COMMAND_LINE));
    auto* output = qobject_cast<QPlainTextEdit*>(wnd::GetDlgItem(terminal, CTerminal::IDC_OUTPUT));
    ASSERT_NE(line, nullptr);
    ASSERT_NE(output, nullptr);
    for (const char* typed : {"exp", "exp 100", "bootFrom 1"}) {
        SCOPED_TRACE(typed);
        emu.ClearFrames();
        output->clear();
        line->setFocus();
        line->selectAll();
        QTest::keyClicks(line, typed);
        QTest::keyClick(line, Qt::Key_Return);
        EXPECT_TRUE(emu.Frames().empty()) << emu.Frames().size() << " frames";
        EXPECT_NE(output->toPlainText().toStdString().find("The camera could not be configured"), std::string::npos)
            << output->toPlainText().toStdString();
    }
    emu.ClearFrames();
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, "0x526088");
    QTest::keyClick(line, Qt::Key_Return);
    const std::vector<emu::FrameRecord> raw = emu.Frames();
    ASSERT_EQ(raw.size(), 1u);
    EXPECT_EQ(raw[0].bytes, (std::vector<std::uint8_t>{0x52, 0x60, 0x88}));

    // A camera with its map again: the commands work as before.
    emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
    switchPort();
    ASSERT_EQ(w.m_Link.m_nConfigIndex, 4);
    ASSERT_TRUE(w.m_pXmlDoc);
    EXPECT_FALSE(w.m_Link.ConfigurationLost());
    emu.ClearFrames();
    boxes.clear();
    w.Menu().Item(cmd::kSaveToUser1)->trigger();
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_FALSE(emu.Frames().empty());
    EXPECT_EQ(w.m_Link.GetParamInt("Exposure", &value), 0);
}

// Example failure: while the camera is away every retry clears the terminal and writes the same
// "Clear Terminal History" record, so the log grows by one repeated line for as long as the
// camera is gone.
TEST_F(MainWindowLinkTest, RetriesWhileTheCameraIsAwayAddNothingToTheLog)
{
    struct Case {
        const char* name;
        std::function<void()> lose;
        std::function<void()> back;
    } cases[] = {
        {"port unplugged", [&] { emu.UnplugPort(0); }, [&] { emu.ReplugPort(0); }},
        {"camera silent", [&] { emu.SetCameraBaud(4800); }, [&] { emu.SetCameraBaud(115200); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCorvel_5Dlg& w = MakeWindow();
        StartOnLibraryPort(w);
        ASSERT_NE(w.TerminalWindow(), nullptr);
        w.TerminalWindow()->AddText("52 60 10");  // what the terminal showed before the loss
        c.lose();
        {
            // The loss itself may be told.
            AppLogCapture loss(5, 1);
            ASSERT_TRUE(loss.Ok());
            for (int tick = 0; tick < 3; ++tick)
                PollAll(w);
            ASSERT_FALSE(w.m_bConnected);
        }
        AppLogCapture retries(5, 1);
        ASSERT_TRUE(retries.Ok());
        for (int tick = 0; tick < 8; ++tick)
            PollAll(w);
        EXPECT_FALSE(w.m_bConnected);
        const std::vector<std::wstring> records = retries.Records();
        EXPECT_TRUE(records.empty()) << records.size() << " records, the first: "
                                     << QString::fromStdWString(records.empty() ? L"" : records[0]).toStdString();

        c.back();
        for (int tick = 0; tick < 6 && !w.m_bConnected; ++tick)
            w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        EXPECT_TRUE(w.m_bConnected);
        window.reset();
    }
}

// Example failure: the emulated cooled camera reports its cooler at 0 raw, which reads as
// 80.0 degrees with the lamp blinking hot in the first window a new user sees.
TEST_F(MainWindowLinkTest, DemoCooledCameraShowsItsCoolerInItsRange)
{
    emu.LoadRegisters(emu::BuiltinCameraRegisters(7));
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    ASSERT_EQ(w.m_Link.m_nConfigIndex, 7);
    PollAll(w);
    const std::string& shown = w.m_CameraInfo.temperature;
    const std::size_t slash = shown.find(" / ");
    ASSERT_NE(slash, std::string::npos) << shown;
    const double camera = std::stod(shown.substr(0, slash));
    const double cooler = std::stod(shown.substr(slash + 3));
    EXPECT_GE(camera, 15.0) << shown;
    EXPECT_LE(camera, 50.0) << shown;
    // Within the range an operator can set the cooler to.
    EXPECT_GE(cooler, -20.0) << shown;
    EXPECT_LE(cooler, 30.0) << shown;
    ASSERT_NE(w.m_pCameraInfo, nullptr);
    EXPECT_NE(w.m_pCameraInfo->IconId(), wnd::IDI_STATE_HIGH);
}

// Example failure: Switch Port does not list the port in use (its probe fails because the
// window's link holds it) and preselects another port, so OK moves the link to a port with no
// camera.
TEST_F(MainWindowLinkTest, SwitchPortListsTheCurrentPortAsTheCurrentCamera)
{
    emu::PtyPeer peer;
    ASSERT_TRUE(peer.Start()) << peer.Error();
    peer.WithCamera([](emu::CameraModel& c) {
        c.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
        c.SetBaudRate(115200);
    });
    const std::filesystem::path libs = EmulatedLibraryFolder();
    ScopedEnv path("CLSERIALPATH", libs.string());
    settings.Set("COMPorts", 1);
    const std::string nothing = (dir / "ttyNothing").string();
    const std::string model = emu::IdentityForConfiguration(*BuiltinMap(kMap170), 4).modelText;

    struct Case {
        const char* name;
        PortChoice current;
        std::string currentRow;  ///< the row's port column
    } cases[] = {
        {"serial port", PortChoice{peer.SlavePath(), 0, 115200, false}, peer.SlavePath()},
        {"library port", PortChoice{CLSER_EMU_PATH, 0, 115200, true}, "00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCorvel_5Dlg& w = MakeWindow();
        ScriptedSelector start;
        start.choices = {c.current};
        ASSERT_EQ(w.OnInitDialog(&start), 0);
        ASSERT_TRUE(w.m_bConnected);

        // The selector is the window's child: it goes before the window.
        auto selectorOwned = std::make_unique<CPortSelector>(&w, &settings, &clock);
        CPortSelector& selector = *selectorOwned;
        selector.m_listPorts = [&] { return std::vector<std::string>{nothing, peer.SlavePath()}; };
        ASSERT_TRUE(selector.OnInitDialog());
        const int row = selector.CurrentRow();
        ASSERT_GE(row, 0);
        ASSERT_LT(row, static_cast<int>(selector.Rows().size()));
        EXPECT_EQ(selector.Rows()[static_cast<std::size_t>(row)].port, c.currentRow);
        EXPECT_EQ(selector.Rows()[static_cast<std::size_t>(row)].camera, w.m_Link.m_strModelName);
        EXPECT_EQ(w.m_Link.m_strModelName, model);
        // The scan left the window's link alone: it still polls its camera.
        w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
        EXPECT_TRUE(w.m_bConnected);
        EXPECT_NE(w.m_CameraInfo.exposure, kDashes);

        // OK on the preselected row stays with the camera.
        selector.OnOK();
        ScriptedSelector again;
        again.choices = {PortChoice{selector.m_strSelected, selector.m_nSelectedPort, selector.m_nSelectedBaud,
                                    selector.m_bSelectedLibrary}};
        selectorOwned.reset();
        ASSERT_EQ(w.SelectPort(&again), 0);
        EXPECT_TRUE(w.m_bConnected);
        EXPECT_EQ(w.m_Link.m_strModelName, model);
        window.reset();
    }
}

// Example failure: Switch Port names the window's camera on its port after that camera stopped
// answering there, as if it had been found.
TEST_F(MainWindowLinkTest, SwitchPortNamesNoCameraOnAHeldPortWhoseCameraIsSilent)
{
    ScopedEnv path("CLSERIALPATH", EmulatedLibraryFolder().string());
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    emu.SetCameraBaud(4800);
    for (int tick = 0; tick < 3 && w.m_bConnected; ++tick)
        PollAll(w);
    ASSERT_FALSE(w.m_bConnected);
    ASSERT_FALSE(w.m_Link.m_strModelName.empty());

    CPortSelector selector(&w, &settings, &clock);
    selector.m_listPorts = [] { return std::vector<std::string>{}; };
    ASSERT_TRUE(selector.OnInitDialog());
    const int row = selector.CurrentRow();
    ASSERT_GE(row, 0);
    ASSERT_LT(row, static_cast<int>(selector.Rows().size()));
    EXPECT_EQ(selector.Rows()[static_cast<std::size_t>(row)].port, "00");
    EXPECT_EQ(selector.Rows()[static_cast<std::size_t>(row)].camera, "none");
}

// Example failure: the About box shows "00.00.00", "Mono" and "Date //" for reads that failed.
TEST_F(MainWindowLinkTest, AboutLeavesTheFieldsOfFailedReadsEmpty)
{
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    const struct {
        const char* refused;
        int field;
    } cases[] = {
        {"FW_Revision", CAboutDlg::IDC_FW_VERSION}, {"FW_Build", CAboutDlg::IDC_FW_BUILD},
        {"CCD_Type", CAboutDlg::IDC_COLOR_VERSION}, {"MfgDate2", CAboutDlg::IDC_DATE},
        {"MfgAPN3", CAboutDlg::IDC_ASSEMBLY_PART},  {"RGSIdNumber", CAboutDlg::IDC_RGS_VERSION},
        {"MfgName5", CAboutDlg::IDC_CAMERA_TYPE},
    };
    for (const auto& c : cases)
        emu.SetAddressFault(AddressOf(c.refused), {emu::FaultKind::Refuse, 0x15, 0x02});
    CAboutDlg about;
    about.m_pLink = &w.m_Link;
    ASSERT_TRUE(about.OnInitDialog());
    for (const auto& c : cases)
        EXPECT_EQ(about.ControlText(c.field).toStdString(), "") << c.refused;
    // The fields that were read still show.
    EXPECT_FALSE(about.ControlText(CAboutDlg::IDC_ASSEMBLY_SERIAL).isEmpty());
    EXPECT_FALSE(about.ControlText(CAboutDlg::IDC_CUSTOM_VERSION).isEmpty());
}

// Example failure: the About box of a camera that stopped answering, or that runs without its
// register map, reads the camera: it opens only after every read timed out, or shows values read
// at addresses of another camera's map.
TEST_F(MainWindowLinkTest, AboutReadsNoCameraThatIsAwayOrWithoutItsMap)
{
    const int missing = ConfigurationWithoutItsMap();
    struct Case {
        const char* name;
        std::function<void(CCorvel_5Dlg&)> make;
    } cases[] = {
        {"camera silent",
         [&](CCorvel_5Dlg& w) {
             emu.SetCameraBaud(4800);
             for (int tick = 0; tick < 3 && w.m_bConnected; ++tick)
                 PollAll(w);
             ASSERT_FALSE(w.m_bConnected);
         }},
        {"map missing",
         [&](CCorvel_5Dlg& w) {
             if (missing < 0)
                 return;
             w.m_Link.m_nConfigIndex = missing;
             w.SetDefault();
             ASSERT_FALSE(w.m_pXmlDoc);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emu.SetCameraBaud(115200);
        CCorvel_5Dlg& w = MakeWindow();
        StartOnLibraryPort(w);
        c.make(w);
        ASSERT_FALSE(w.m_Link.m_strModelName.empty());
        emu.ClearFrames();
        QString firmware = QStringLiteral("(no box)");
        QTimer::singleShot(0, [&] {
            if (auto* box = dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
                firmware = box->ControlText(CAboutDlg::IDC_FW_VERSION);
                box->accept();
            }
        });
        w.OnAbout();
        EXPECT_EQ(firmware.toStdString(), "");
        EXPECT_TRUE(emu.Frames().empty()) << emu.Frames().size() << " frames";
        window.reset();
    }
}

// Example failure: Set Baud Rate leaves two rates ticked.
TEST_F(MainWindowLinkTest, BaudMenuTicksOnlyTheRateInUse)
{
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    auto ticked = [&] {
        std::vector<int> items;
        for (int i = 0; i < cmd::kBaudItems; ++i)
            if (w.Menu().IsChecked(cmd::kBaud9600 + i))
                items.push_back(i);
        return items;
    };
    EXPECT_EQ(ticked(), std::vector<int>{w.m_nBaudIndex});
    for (int index : {2, 0, 4}) {
        SCOPED_TRACE(index);
        ASSERT_TRUE(w.OnCommand(static_cast<wnd::WPARAM>(cmd::kBaud9600 + index), 0));
        EXPECT_EQ(ticked(), std::vector<int>{index});
        // A rebuild ticks the rate the camera reports, and only that one.
        w.SetDefault();
        EXPECT_EQ(ticked(), std::vector<int>{index});
    }
}

// Example failure: the power-protection warning of a main window at the screen's edge opens
// partly off the screen (at x = -24).
TEST_F(MainWindowLinkTest, WarningLiesWhollyOnTheScreen)
{
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    w.show();
    const QRect area = w.screen()->availableGeometry();
    SetCameraValue("ESDEventProtection", 1);
    CWarningDialog* warning = w.WarningDialog();
    ASSERT_NE(warning, nullptr);
    const QPoint corners[] = {area.topLeft(), QPoint(area.right() - w.width(), area.bottom() - w.height())};
    for (const QPoint& at : corners) {
        SCOPED_TRACE(at.x());
        w.move(at);
        warning->hide();
        w.OnTimer(CCorvel_5Dlg::TIMER_TEMPERATURE);
        ASSERT_TRUE(warning->isVisible());
        EXPECT_TRUE(area.contains(warning->frameGeometry()))
            << warning->frameGeometry().x() << "," << warning->frameGeometry().y();
    }
}

// Example failure: a "PollingTime" of 0 or below polls back to back.
TEST_F(MainWindowLinkTest, PollingPeriodHasALeastValue)
{
    CCorvel_5Dlg& w = MakeWindow();
    StartOnLibraryPort(w);
    ASSERT_NE(w.TerminalWindow(), nullptr);
    for (int period : {0, -5, 1, CCorvel_5Dlg::kLeastPollingMs, 1500}) {
        SCOPED_TRACE(period);
        w.TerminalWindow()->m_nPollingTime = period;
        w.ResetPollingTimers();
        for (unsigned id : {CCorvel_5Dlg::TIMER_TEMPERATURE, CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME})
            EXPECT_EQ(w.Timers().Period(id), std::max(period, CCorvel_5Dlg::kLeastPollingMs)) << id;
    }
}

}  // namespace
