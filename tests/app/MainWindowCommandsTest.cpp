// The main window's menu driven like an operator: items triggered from the menu bar, file
// dialogs and questions answered through their test hooks, register traffic on the emulated
// camera.
#include "MainWindowFixture.h"

#include "app/ExternalLauncher.h"
#include "camera/LinkText.h"
#include "controls/LastConfig.h"
#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/WindowPos.h"
#include "emulator/PtyPeer.h"
#include "platform/Paths.h"
#include "support/LargeSensorCases.h"
#include "support/TempDir.h"
#include "tools/CDlgDPM.h"
#include "tools/CDlgDownloadTerminal.h"
#include "tools/CTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <functional>
#include <map>
#include <optional>
#include <fstream>
#include <sstream>

namespace {

using namespace corvel::test;

std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MainWindowCommandsTest : public MainWindowTest {
protected:
    /// A window started on the emulated camera's library port 0.
    CCorvel_5Dlg& Connected()
    {
        CCorvel_5Dlg& w = MakeWindow();
        selector = ScriptedSelector{};
        selector.choices = {{CLSER_EMU_PATH, 0, 0, true}};
        EXPECT_EQ(w.OnInitDialog(&selector), 0);
        EXPECT_TRUE(w.m_bConnected);
        return w;
    }

    /// Triggers the menu item as a click on it would; false when the menu does not offer it.
    bool Trigger(int id)
    {
        QAction* item = window->Menu().Item(id);
        if (!item || !item->isEnabled())
            return false;
        item->trigger();
        return true;
    }

    /// The register word of parameter `name`.
    std::uint32_t CameraWord(const char* name)
    {
        RegisterLink reg;
        EXPECT_EQ(GetRegisterLink(window->m_Link, name, reg), 0) << name;
        return emu.Register(reg.address);
    }

    ScriptedSelector selector;
    std::vector<wnd::FileDialogRequest> dialogs;
    std::vector<std::string> answers;  ///< paths the file dialogs give, in turn; "" cancels
    wnd::ScopedFileDialogHandler fileHandler{[this](const wnd::FileDialogRequest& r) -> std::optional<QString> {
        dialogs.push_back(r);
        if (answers.empty())
            return std::nullopt;
        const std::string path = answers.front();
        answers.erase(answers.begin());
        if (path.empty())
            return std::nullopt;
        return QString::fromStdString(path);
    }};
    std::vector<LaunchRequest> launched;
    LaunchHandler previousLauncher = SetLaunchHandler([this](const LaunchRequest& r) {
        launched.push_back(r);
        return true;
    });
    int yesNoAnswer = wnd::IDYES;
    std::vector<std::string> questions;
    wnd::ScopedMessageBoxHandler questionHandler{[this](const wnd::MessageBoxRequest& r) {
        if ((r.flags & 0xF) == wnd::MB_YESNO) {
            questions.push_back(r.text.toStdString());
            return yesNoAnswer;
        }
        boxes.push_back(r.text.toStdString());
        return wnd::IDOK;
    }};

    void TearDown() override
    {
        SetLaunchHandler(std::move(previousLauncher));
        MainWindowTest::TearDown();
    }
};

// Example failure: "Open Help" or "Save Dump Camera Regs" shows in the menu, the Run item keeps
// its resource text for a stored program, the Debug mark ignores DebugMode, Factory Space can be
// chosen without the factory option, or Boot From carries two marks.
TEST_F(MainWindowCommandsTest, MenuFollowsSettingsAndCameraState)
{
    struct Case {
        int factory;
        bool factoryEnabled;
    } cases[] = {{0, false}, {1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.factory);
        settings.Set("Factory", c.factory);
        lastconfig::Write(lastconfig::kRunApp, "/opt/tools/viewer");
        lastconfig::Write(lastconfig::kDebugMode, 1);
        emu.SetRegister(emu::kBootFromRegister, 2);
        CCorvel_5Dlg& w = Connected();
        MainMenu& menu = w.Menu();

        EXPECT_FALSE(menu.Has(cmd::kOpenHelp));
        EXPECT_FALSE(menu.Has(cmd::kSaveDump));
        EXPECT_EQ(menu.Text(cmd::kRunApplication).toStdString(), "Run viewer");
        EXPECT_TRUE(menu.IsChecked(cmd::kDebug));
        EXPECT_EQ(menu.IsEnabled(cmd::kSaveToFactory), c.factoryEnabled);
        for (int n = 0; n <= 4; ++n)
            EXPECT_EQ(menu.IsChecked(cmd::kBootFromIds[n]), n == 2) << n;
        EXPECT_TRUE(menu.IsEnabled(cmd::kBpmDialog));
        EXPECT_TRUE(menu.IsEnabled(cmd::kDownloadTerminal));
        EXPECT_TRUE(menu.IsEnabled(cmd::kCommandTerminal));
        // The bar: three pop-ups and the minimise item.
        QStringList bar;
        for (QAction* a : w.findChild<QMenuBar*>()->actions())
            bar << a->text();
        EXPECT_EQ(bar.join("|").toStdString(), "Menu|View|Help|_");
        window.reset();
    }
}

// Example failure: the menu item stays greyed, the dialog is not modal over the main window,
// or the polls keep talking to the camera while the flash is being written.
TEST_F(MainWindowCommandsTest, DownloadTerminalOpensFromTheMenuAndThePollsPauseWhileItWrites)
{
    CCorvel_5Dlg& w = Connected();
    TempDir folder;
    folder.Write("gamma.lut", ":Table\n0,1\n1,2\n");
    const QString path = QString::fromStdString((folder.Path() / "gamma.lut").string());
    bool seen = false, pausedWhileWriting = false, resumedAfterCancel = false;
    QTimer poll;
    int attempts = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<CDlgDownloadTerminal*>(QApplication::activeModalWidget());
        if (!dialog) {
            // Never leave a modal loop running when the dialog does not show.
            if (++attempts > 3000 && QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
            return;
        }
        poll.stop();
        seen = true;
        auto* box = qobject_cast<QComboBox*>(wnd::GetDlgItem(dialog, CDlgDownloadTerminal::IDC_FILE_TYPE));
        box->setCurrentIndex(box->findText("LUT #1"));
        auto* edit = qobject_cast<QLineEdit*>(wnd::GetDlgItem(dialog, CDlgDownloadTerminal::IDC_FILE_PATH));
        edit->setFocus();
        QTest::keyClicks(edit, path);
        auto* load = qobject_cast<QPushButton*>(wnd::GetDlgItem(dialog, CDlgDownloadTerminal::IDC_BT_LOAD));
        auto* cancel = qobject_cast<QPushButton*>(wnd::GetDlgItem(dialog, CDlgDownloadTerminal::IDC_BT_CANCEL));
        QTest::mouseClick(load, Qt::LeftButton);
        pausedWhileWriting = w.m_Link.m_ChannelOwner.Holder() == ChannelUser::Upload;
        QTest::mouseClick(cancel, Qt::LeftButton);
        resumedAfterCancel = w.m_Link.m_ChannelOwner.IsFree();
        QTest::mouseClick(cancel, Qt::LeftButton);  // idle: closes the dialog
    });
    poll.start(10);
    ASSERT_TRUE(Trigger(cmd::kDownloadTerminal));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(pausedWhileWriting);
    EXPECT_TRUE(resumedAfterCancel);
    EXPECT_TRUE(w.m_Link.m_ChannelOwner.IsFree());
}

// Example failure: "BPM Dialog" stays greyed or opens nothing, or the polls talk to the camera
// while the editor reads its flash.
TEST_F(MainWindowCommandsTest, BpmDialogOpensFromTheMenuAndThePollsPauseWhileItReads)
{
    CCorvel_5Dlg& w = Connected();
    emu.SetFlashBytes(10, 0, std::vector<std::uint8_t>(0x10000, 0));
    emu.SetFlashBytes(10, 0, {0x40, 0x05, 0x20, 0x0A});  // pixel 5 of row 10
    bool seen = false, pausedWhileBusy = true;
    int rows = -1;
    QTimer poll;
    int attempts = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<CDlgDPM*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++attempts > 3000 && QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
            return;
        }
        seen = true;
        if (dialog->Busy()) {
            pausedWhileBusy = pausedWhileBusy && w.m_Link.m_ChannelOwner.Holder() == ChannelUser::Upload;
            return;
        }
        auto* list = qobject_cast<QTableWidget*>(wnd::GetDlgItem(dialog, CDlgDPM::IDC_LIST));
        if (list->rowCount() == 0 && ++attempts < 3000)
            return;
        poll.stop();
        rows = list->rowCount();
        QTest::mouseClick(qobject_cast<QPushButton*>(wnd::GetDlgItem(dialog, CDlgDPM::IDC_CLOSE)), Qt::LeftButton);
    });
    poll.start(5);
    ASSERT_TRUE(Trigger(cmd::kBpmDialog));
    EXPECT_TRUE(seen);
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(pausedWhileBusy);
    EXPECT_TRUE(w.m_Link.m_ChannelOwner.IsFree());
}

// Example failure: the main window opens the download terminal with the editor's rule or the
// editor with the terminal's, so a configuration-10 camera gets the small flat-field layout in
// the terminal or 14-bit defect columns in the editor.
TEST_F(MainWindowCommandsTest, FlashToolsOpenWithTheirOwnLargeSensorRule)
{
    const std::map<int, int> maps = {{4, kMap170}, {5, kMap174}, {8, kMap171}, {9, kMap175}, {10, kMap172}, {11, kMap176}};
    for (const LargeSensorCase& c : kLargeSensorCases) {
        const auto map = maps.find(c.config);
        if (map == maps.end())
            continue;  // no built-in map to start such a camera from
        SCOPED_TRACE(c.config);
        emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(map->second), c.config));
        CCorvel_5Dlg& w = Connected();
        ASSERT_EQ(w.m_Link.m_nConfigIndex, c.config);

        std::optional<bool> terminal, editor;
        QTimer poll;
        int attempts = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = dynamic_cast<CDlgDownloadTerminal*>(modal)) {
                terminal = dialog->LargeSensor();
                QTest::mouseClick(qobject_cast<QPushButton*>(wnd::GetDlgItem(dialog, CDlgDownloadTerminal::IDC_BT_CANCEL)),
                                  Qt::LeftButton);
            } else if (auto* dialog = dynamic_cast<CDlgDPM*>(modal)) {
                editor = dialog->Engine().LargeSensor();
                // Close stops the first read.
                QTest::mouseClick(qobject_cast<QPushButton*>(wnd::GetDlgItem(dialog, CDlgDPM::IDC_CLOSE)),
                                  Qt::LeftButton);
            } else if (modal && ++attempts > 3000) {
                modal->close();
            }
        });
        poll.start(5);
        ASSERT_TRUE(Trigger(cmd::kDownloadTerminal));
        ASSERT_TRUE(Trigger(cmd::kBpmDialog));
        poll.stop();
        EXPECT_EQ(terminal, std::optional<bool>(c.terminal));
        EXPECT_EQ(editor, std::optional<bool>(c.editor));
        window.reset();
    }
}

// Example failure: the saved workspace misses registers, a loaded file does not reach the
// camera, a failed replay still rebuilds and marks the source, or the dialogs append prose to a
// typed name ("ws.Save Workspace to").
TEST_F(MainWindowCommandsTest, WorkspaceSavedToAFileLoadsBackIntoTheCamera)
{
    CCorvel_5Dlg& w = Connected();
    const std::string file = (dir / "bench.rgs").string();
    const std::uint32_t gain1 = CameraWord("Gain1A");
    const std::uint32_t offset = CameraWord("Offs1A");

    answers = {file};
    ASSERT_TRUE(Trigger(cmd::kSaveToFile));
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].save);
    EXPECT_EQ(dialogs[0].defaultSuffix.toStdString(), "rgs");
    EXPECT_EQ(dialogs[0].title.toStdString(), "Save Workspace to");
    EXPECT_EQ(wnd::NameFiltersOf(dialogs[0].filter).join("|").toStdString(), "Registry Files(*.rgs)");
    ASSERT_TRUE(std::filesystem::exists(file));

    // The operator changes the camera, then loads the file back.
    ASSERT_EQ(w.m_Link.SetParamIntIfOnline("Gain1A", 123, true, false), 0);
    ASSERT_EQ(w.m_Link.SetParamIntIfOnline("Offs1A", 3, true, false), 0);
    ASSERT_NE(CameraWord("Gain1A"), gain1);
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    answers = {file};
    ASSERT_TRUE(Trigger(cmd::kLoadFromFile));
    EXPECT_FALSE(dialogs.back().save);
    EXPECT_EQ(dialogs.back().title.toStdString(), "Load Workspace from");
    EXPECT_EQ(CameraWord("Gain1A"), gain1);
    EXPECT_EQ(CameraWord("Offs1A"), offset);
    EXPECT_EQ(rebuilds, 1);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(w.Menu().IsChecked(cmd::kLoadFromIds[i]), i == 0) << i;

    // A file the link refuses changes nothing here; Cancel does nothing at all.
    const std::filesystem::path bad = dir / "bad.rgs";
    std::ofstream(bad) << "not a workspace\r\n";
    w.Menu().Check(cmd::kLoadFromIds[1], true);
    answers = {bad.string(), ""};
    ASSERT_TRUE(Trigger(cmd::kLoadFromFile));
    ASSERT_TRUE(Trigger(cmd::kLoadFromFile));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kLoadFromIds[1]));
}

// Example failure: a replay with a refused line leaves the panels showing values the camera no
// longer holds (no rebuild), one that loses the camera strands it in supervisor mode, a save
// with an unread register writes a file anyway, or an empty file is passed over in silence.
TEST_F(MainWindowCommandsTest, WorkspaceFaultsRebuildCloseAndTell)
{
    CCorvel_5Dlg& w = Connected();
    const std::filesystem::path file = dir / "bench.rgs";
    answers = {file.string()};
    ASSERT_TRUE(Trigger(cmd::kSaveToFile));
    const std::string saved = ReadFile(file);
    // The fifth line writes a register of the workspace.
    std::istringstream lines(saved);
    std::string line;
    for (int i = 0; i < 5; ++i)
        std::getline(lines, line);
    ASSERT_EQ(line.rfind("57 ", 0), 0u) << line;
    const auto address = static_cast<std::uint16_t>(std::stoul(line.substr(3, 4), nullptr, 16));
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };

    // A refused line: the rest is sent, the panels are rebuilt, the source mark stays.
    w.Menu().Check(cmd::kLoadFromIds[1], true);
    boxes.clear();
    emu.ScriptFault(address, {emu::FaultKind::Refuse, 0x15, 0x02});
    answers = {file.string()};
    ASSERT_TRUE(Trigger(cmd::kLoadFromFile));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kLoadFromIds[1]));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Command: <" + line.substr(0, 7) + " " + line.substr(8, 8) + ">\n   nRet: 15", 0), 0u)
        << boxes[0];

    // The camera stops answering at that line: the closing lines still reach it.
    boxes.clear();
    emu.ClearFrames();
    emu.ScriptFault(address, {emu::FaultKind::Silence});
    answers = {file.string()};
    ASSERT_TRUE(Trigger(cmd::kLoadFromFile));
    EXPECT_EQ(rebuilds, 2);
    std::vector<Bytes> replay;
    for (const auto& f : emu.Frames())
        if (f.bytes.size() == 7)
            replay.push_back(f.bytes);
    ASSERT_GE(replay.size(), 6u);
    EXPECT_EQ(replay[4], WriteFrame(address, static_cast<std::uint32_t>(std::stoul(line.substr(8, 8), nullptr, 16))));
    EXPECT_EQ(replay[5], WriteFrame(0x6034, 0)) << "error checking on right after the failure";
    EXPECT_EQ(replay[6], WriteFrame(0x6014, 0));
    EXPECT_FALSE(emu.SupervisorMode());
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes[0].find("The camera stopped answering at line 5 of the file."), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("taken back to normal mode"), std::string::npos) << boxes[0];

    // An empty file: told, nothing sent, no rebuild.
    const std::filesystem::path empty = dir / "empty.rgs";
    std::ofstream(empty).close();
    boxes.clear();
    emu.ClearFrames();
    answers = {empty.string()};
    ASSERT_TRUE(Trigger(cmd::kLoadFromFile));
    EXPECT_EQ(rebuilds, 2);
    EXPECT_TRUE(emu.Frames().empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("holds no camera command"), std::string::npos) << boxes[0];

    // A save that cannot read one register leaves the good file as it was.
    boxes.clear();
    emu.ScriptFault(address, {emu::FaultKind::Silence});
    answers = {file.string()};
    ASSERT_TRUE(Trigger(cmd::kSaveToFile));
    EXPECT_EQ(ReadFile(file), saved);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(camera::FormatText("\n0x%04X ", unsigned{address})), std::string::npos) << boxes[0];
}

// Example failure: the camera switches but the host stays at the old rate (the camera is lost),
// the rate is taken from the item's position instead of the register map, or a window without a
// register map dereferences it.
TEST_F(MainWindowCommandsTest, BaudRateMovesCameraAndLinkTogether)
{
    CCorvel_5Dlg& w = Connected();
    ASSERT_EQ(emu.CameraBaud(), 115200);
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kBaud9600 + 4));

    ASSERT_TRUE(Trigger(cmd::kBaud9600 + 1));
    EXPECT_EQ(emu.CameraBaud(), 19200);
    EXPECT_EQ(emu.HostBaud(0), 19200);
    EXPECT_EQ(w.m_nBaudIndex, 1);
    std::int64_t value = -1;
    EXPECT_EQ(w.m_Link.GetParamInt("BaudRate", &value), 0);
    EXPECT_EQ(value, 1);
    // Only the rate in use is ticked.
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kBaud9600 + 1));
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kBaud9600 + 4));

    // A map whose BaudRate lists fewer rates: the item without one changes nothing.
    window.reset();
    CCorvel_5Dlg& bare = MakeWindow();
    EXPECT_EQ(bare.BaudRateOfIndex(0), 0);
    bare.OnBaudRate(cmd::kBaud9600);
    EXPECT_EQ(emu.CameraBaud(), 19200);
    EXPECT_FALSE(bare.Menu().IsChecked(cmd::kBaud9600));
}

// Example failure: the camera refuses the new rate (or the camera is offline and nothing is
// sent) and the host switches its side anyway: the camera is lost, and the menu ticks a rate the
// camera does not run at.
TEST_F(MainWindowCommandsTest, BaudRateTheCameraDidNotTakeLeavesBothSidesAsTheyWere)
{
    CCorvel_5Dlg& w = Connected();
    RegisterLink reg;
    ASSERT_EQ(GetRegisterLink(w.m_Link, "BaudRate", reg), 0);
    const struct {
        const char* what;
        std::function<void()> fault, clear;
    } rows[] = {
        {"refused", [&] { emu.SetAddressFault(reg.address, {emu::FaultKind::Refuse}); },
         [&] { emu.SetAddressFault(reg.address, {}); }},
        {"offline", [&] { w.m_Link.m_bOnline = 0; }, [&] { w.m_Link.m_bOnline = 1; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.fault();
        ASSERT_TRUE(Trigger(cmd::kBaud9600 + 1));
        row.clear();
        EXPECT_EQ(emu.CameraBaud(), 115200);
        EXPECT_EQ(emu.HostBaud(0), 115200);
        EXPECT_EQ(w.m_nBaudIndex, 4);
        EXPECT_TRUE(w.Menu().IsChecked(cmd::kBaud9600 + 4));
        EXPECT_FALSE(w.Menu().IsChecked(cmd::kBaud9600 + 1));
        std::int64_t ping = 0;
        EXPECT_EQ(w.m_Link.GetParamInt("Ping", &ping), 0) << "the camera still answers";
    }
}

// Example failure: Switch Port keeps talking to the old camera, leaves the old camera's baud
// mark in a menu that was not rebuilt, or Cancel drops the working connection.
TEST_F(MainWindowCommandsTest, SwitchPortMovesToTheChosenCamera)
{
    emu::PtyPeer peer;
    ASSERT_TRUE(peer.Start()) << peer.Error();
    peer.WithCamera([](emu::CameraModel& c) {
        c.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
        c.SetBaudRate(115200);
        c.SetTextRegisters(emu::kModelTextRegister, 5, "PTY-CAMERA");
    });
    CCorvel_5Dlg& w = Connected();
    w.Menu().Check(cmd::kBaud9600, true);

    selector.choices.push_back({peer.SlavePath(), 0, 0, false});
    ASSERT_TRUE(Trigger(cmd::kSwitchPort));
    EXPECT_EQ(selector.runs, 2);
    EXPECT_EQ(w.CameraLabelText().toStdString(), "PTY-CAMERA");
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_FALSE(emu.PortOpen(0));
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kBaud9600));
    EXPECT_FALSE(w.Menu().Has(cmd::kSaveDump));

    // Cancel keeps the pty camera.
    ASSERT_TRUE(Trigger(cmd::kSwitchPort));
    EXPECT_EQ(w.CameraLabelText().toStdString(), "PTY-CAMERA");
    std::int64_t ping = 0;
    EXPECT_EQ(w.m_Link.GetParamInt("Ping", &ping), 0);
}

// Example failure: choosing a port ticks "Disable Error Checking": a refused write shows no
// message, the box the operator unticked is ticked again after Switch Port, and a fresh profile
// ends with error checking off.
TEST_F(MainWindowCommandsTest, PortSelectionKeepsTheErrorCheckingChoice)
{
    CCorvel_5Dlg& w = Connected();
    CTerminal* terminal = w.TerminalWindow();
    ASSERT_NE(terminal, nullptr);
    terminal->show();
    auto* box = qobject_cast<QCheckBox*>(wnd::GetDlgItem(terminal, CTerminal::IDC_DISABLE_ERROR_CHECK));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(w.m_Link.m_bCheckErrorDisabled, 0);

    RegisterLink exposure;
    ASSERT_EQ(GetRegisterLink(w.m_Link, "Exposure", exposure), 0);
    emu.SetAddressFault(exposure.address, {emu::FaultKind::Refuse, 0x15, 0x02});
    boxes.clear();
    w.m_Link.SetParamIntIfOnline("Exposure", 1000, false, true);
    EXPECT_EQ(boxes.size(), 1u) << "a refused write is reported";
    emu.SetAddressFault(exposure.address, emu::Fault{});

    // The operator ticks the box and unticks it again; Switch Port keeps it unticked.
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(w.m_Link.m_bCheckErrorDisabled, 1);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    selector.choices.push_back({CLSER_EMU_PATH, 0, 0, true});
    ASSERT_TRUE(Trigger(cmd::kSwitchPort));
    EXPECT_TRUE(w.m_bConnected);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(terminal->m_nDisableErrorCheck, 0);
    EXPECT_EQ(w.m_Link.m_bCheckErrorDisabled, 0);

    // A ticked box stays ticked across Switch Port too.
    QTest::mouseClick(box, Qt::LeftButton);
    selector.choices.push_back({CLSER_EMU_PATH, 0, 0, true});
    ASSERT_TRUE(Trigger(cmd::kSwitchPort));
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(w.m_Link.m_bCheckErrorDisabled, 1);
    QTest::mouseClick(box, Qt::LeftButton);

    window.reset();
    EXPECT_EQ(platform::ProfileSettings::Application().GetProfileInt(comm::kSection, comm::kCheckErrorDisabled, -1), 0);
}

// Example failure: Exit (or the close box) with the Command Terminal shown hides the windows but
// never ends the event loop, so the port stays open and nothing is written on the way out.
TEST_F(MainWindowCommandsTest, ExitEndsTheLoopWhateverWindowIsOpen)
{
    CCorvel_5Dlg& w = Connected();
    ASSERT_TRUE(Trigger(cmd::kCommandTerminal));
    CTerminal* terminal = w.TerminalWindow();
    ASSERT_TRUE(terminal->isVisible());
    QTest::mouseClick(wnd::GetDlgItem(terminal, CTerminal::IDC_DISABLE_ERROR_CHECK), Qt::LeftButton);
    QTimer hung;
    hung.setSingleShot(true);
    QObject::connect(&hung, &QTimer::timeout, [] { QCoreApplication::exit(99); });

    const std::function<void()> ways[] = {[&] { Trigger(cmd::kExit); }, [&] { w.close(); }};
    for (const auto& end : ways) {
        w.show();
        terminal->show();
        QTimer::singleShot(0, &w, end);
        hung.start(10000);
        EXPECT_EQ(w.DoModal(), 0);
        hung.stop();
    }
    window.reset();
    EXPECT_EQ(platform::ProfileSettings::Application().GetProfileInt(comm::kSection, comm::kCheckErrorDisabled, -1), 1);
}

// Example failure: the dump's suggested name is a path made of register text, or the dump misses
// or reorders registers (compared with a stored dump of the emulated camera).
TEST_F(MainWindowCommandsTest, DumpCommandWritesTheGoldenDump)
{
    CCorvel_5Dlg& w = Connected();
    w.m_Link.SetLocalTimeSource([] {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 10;
        t.tm_hour = 9;
        t.tm_min = 30;
        return t;
    });
    const std::filesystem::path file = dir / "dump.txt";
    answers = {file.string()};
    // The dump writes the date in the user's form; the stored dump has the plain one.
    const std::string timeLocale = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    // The menu does not offer the dump; the command still runs.
    ASSERT_TRUE(w.OnCommand(cmd::kSaveDump, 0));
    std::setlocale(LC_TIME, timeLocale.c_str());
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].initialName.toStdString(), w.m_Link.m_strModelName + w.m_Link.m_strSerialNumber + ".txt");
    EXPECT_EQ(dialogs[0].defaultSuffix.toStdString(), "txt");
    const std::string golden = ReadFile(CORVEL_GOLDEN_DUMP);
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ReadFile(file), golden);


    struct Case {
        const char* model;
        const char* serial;
        const char* name;
    } cases[] = {{"A/B", "../x", "A_B.._x.txt"}, {".hidden", "7", "_hidden7.txt"}, {"M\tX", "1", "M_X1.txt"}};
    for (const Case& c : cases) {
        w.m_Link.m_strModelName = c.model;
        w.m_Link.m_strSerialNumber = c.serial;
        EXPECT_EQ(w.DumpFileName(), c.name) << c.model;
    }
}

// Example failure: Boot From marks a space the camera never received, or writes while offline.
TEST_F(MainWindowCommandsTest, BootFromMovesTheMarkOnlyWhenTheCameraTookIt)
{
    CCorvel_5Dlg& w = Connected();
    ASSERT_TRUE(Trigger(cmd::kBootFromIds[3]));
    EXPECT_EQ(emu.Register(emu::kBootFromRegister) & 0x7, 3u);
    for (int n = 0; n <= 4; ++n)
        EXPECT_EQ(w.Menu().IsChecked(cmd::kBootFromIds[n]), n == 3) << n;

    w.m_Link.GoOffline();
    emu.ClearFrames();
    ASSERT_TRUE(Trigger(cmd::kBootFromIds[1]));
    EXPECT_TRUE(emu.Frames().empty());
    ASSERT_TRUE(Trigger(cmd::kCommandTerminal));
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kBootFromIds[3]));
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kBootFromIds[1]));
}

// Example failure: saving to the factory space skips the question or ignores No, a user space
// asks, or a camera space that fails to load still rebuilds.
TEST_F(MainWindowCommandsTest, CameraSpacesSaveAndLoad)
{
    settings.Set("Factory", 1);
    CCorvel_5Dlg& w = Connected();
    RegisterLink selectorReg;
    ASSERT_EQ(GetRegisterLink(w.m_Link, "BootSelector", selectorReg), 0);

    yesNoAnswer = wnd::IDNO;
    emu.ClearFrames();
    ASSERT_TRUE(Trigger(cmd::kSaveToFactory));
    EXPECT_EQ(questions, (std::vector<std::string>{"Do you want to save current settings to Factory Space?"}));
    EXPECT_TRUE(emu.Frames().empty());
    yesNoAnswer = wnd::IDYES;
    ASSERT_TRUE(Trigger(cmd::kSaveToFactory));
    EXPECT_FALSE(emu.Frames().empty());

    questions.clear();
    ASSERT_TRUE(Trigger(cmd::kSaveToUser1 + 2));
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ((emu.Register(selectorReg.address) >> selectorReg.shift) & selectorReg.mask, 3u);

    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    ASSERT_TRUE(Trigger(cmd::kLoadFromIds[4]));  // User Space #2
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kLoadFromIds[4]));
    EXPECT_EQ((emu.Register(selectorReg.address) >> selectorReg.shift) & selectorReg.mask, 2u);

    emu.SetAddressFault(selectorReg.address, {emu::FaultKind::Refuse, 0x15, 0x02});
    ASSERT_TRUE(Trigger(cmd::kLoadFromIds[2]));  // Factory Space
    EXPECT_EQ(rebuilds, 1);
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kLoadFromIds[2]));
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kLoadFromIds[4]));
}

// Example failure: a factory save whose password answer is lost leaves the camera in
// supervisor mode, a user-space save the camera did not take still writes that space's
// settings file or says nothing, a user-space load whose answer is lost leaves the panels as
// they were (no rebuild) and takes the space's settings anyway, or a save from a camera that
// went silent reads every register to its time-out.
TEST_F(MainWindowCommandsTest, CameraSpaceFaultsStrandNothingAndTell)
{
    settings.Set("Factory", 1);
    CCorvel_5Dlg& w = Connected();
    ASSERT_FALSE(w.m_Link.m_strSettingsKey.empty());
    const std::filesystem::path user2 = dir / (w.m_Link.m_strSettingsKey + ".user2.gui");
    std::ofstream(user2) << "kept=1\r\n";

    boxes.clear();
    emu.ClearFrames();
    emu.ScriptFault(0x6014, {emu::FaultKind::Late});  // the camera takes the password, its answer is lost
    ASSERT_TRUE(Trigger(cmd::kSaveToFactory));
    EXPECT_FALSE(emu.SupervisorMode());
    const std::vector<emu::FrameRecord> frames = emu.Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().bytes, WriteFrame(0x6014, 0));
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "The camera did not take the supervisor password (nRet: -10004): the factory space was not saved."}));
    emu.ReleaseLateAnswers();

    // User space #2: its save is lost on the line, its file stays as it was.
    boxes.clear();
    w.m_Link.GoOnline();  // the camera answered the leave line
    w.m_Link.m_GuiSettings.Set("now", "2");
    emu.ScriptFault(0x6068, {emu::FaultKind::Silence});
    ASSERT_TRUE(Trigger(cmd::kSaveToUser1 + 1));
    EXPECT_EQ(ReadFile(user2), "kept=1\r\n");
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), "The camera did not take BootSave (nRet: -10004): user space #2 was not saved.");

    // Its load is lost on the line: the camera may hold the space, so the panels read it again,
    // and the settings stay those of the camera's current space.
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    boxes.clear();
    w.m_Link.GoOnline();
    const CParamsMap::Entries before = w.m_Link.m_GuiSettings.Items();
    emu.ScriptFault(0x6064, {emu::FaultKind::Silence});
    ASSERT_TRUE(Trigger(cmd::kLoadFromIds[4]));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kLoadFromIds[4]));
    EXPECT_EQ(w.m_Link.m_GuiSettings.Items(), before);
    EXPECT_EQ(w.m_Link.m_GuiSettings.Items().count("kept"), 0u);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), "The camera did not take BootLoad (nRet: -10004): user space #2 was not loaded.");

    // A save from a camera that went silent stops at its first unanswered read.
    const auto file = dir / "silent.rgs";
    const std::map<std::uint16_t, std::uint32_t> image = emu::CameraRegistersFor(*BuiltinMap(kMap170), 4);
    for (const auto& entry : image)
        emu.SetAddressFault(entry.first, {emu::FaultKind::Silence});
    boxes.clear();
    emu.ClearFrames();
    answers = {file.string()};
    ASSERT_TRUE(Trigger(cmd::kSaveToFile));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(emu.Frames().size(), 1u) << "one read, not one per register";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("The camera stopped answering: "), std::string::npos) << boxes[0];
}

/// A file at `path` with the given permission bits.
std::string MakeFile(const std::filesystem::path& path, std::filesystem::perms perms)
{
    std::ofstream(path) << "#!/bin/sh\n";
    std::filesystem::permissions(path, perms);
    return path.string();
}

// Example failure: the first run asks a question about no program, a stored program runs without
// the question, No runs it anyway, the item keeps its old label, or a file that is not
// executable is taken and stored.
TEST_F(MainWindowCommandsTest, RunApplicationAsksForAProgramOnceThenConfirms)
{
    using std::filesystem::perms;
    const std::string grabber = MakeFile(dir / "grabber", perms::owner_all);
    const std::string other = MakeFile(dir / "other", perms::owner_all);
    const std::string text = MakeFile(dir / "notes.txt", perms::owner_read | perms::owner_write);
    CCorvel_5Dlg& w = MakeWindow();
    w.SetupMenu();
    EXPECT_EQ(w.Menu().Text(cmd::kRunApplication).toStdString(), "Run Application");

    answers = {""};
    ASSERT_TRUE(Trigger(cmd::kRunApplication));
    EXPECT_TRUE(launched.empty());
    EXPECT_TRUE(lastconfig::Read(lastconfig::kRunApp).empty());

    for (const std::string& refused : {text, (dir / "missing").string(), dir.Path().string()}) {
        SCOPED_TRACE(refused);
        boxes.clear();
        answers = {refused};
        ASSERT_TRUE(Trigger(cmd::kRunApplication));
        EXPECT_TRUE(launched.empty());
        EXPECT_TRUE(lastconfig::Read(lastconfig::kRunApp).empty());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find("is not a program that can be run"), std::string::npos);
    }

    answers = {grabber};
    ASSERT_TRUE(Trigger(cmd::kRunApplication));
    EXPECT_TRUE(questions.empty());
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].kind, LaunchRequest::Program);
    EXPECT_EQ(launched[0].path, grabber);
    EXPECT_EQ(lastconfig::Read(lastconfig::kRunApp), grabber);
    EXPECT_EQ(w.Menu().Text(cmd::kRunApplication).toStdString(), "Run grabber");
    EXPECT_TRUE(dialogs.back().defaultSuffix.isEmpty());

    ASSERT_TRUE(Trigger(cmd::kRunApplication));
    EXPECT_EQ(questions, (std::vector<std::string>{"Do you really want run grabber?"}));
    EXPECT_EQ(launched.size(), 2u);

    // No: the operator picks another program; the stored one stays until then.
    yesNoAnswer = wnd::IDNO;
    answers = {""};
    ASSERT_TRUE(Trigger(cmd::kRunApplication));
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(lastconfig::Read(lastconfig::kRunApp), grabber);
    answers = {other};
    ASSERT_TRUE(Trigger(cmd::kRunApplication));
    EXPECT_EQ(launched.back().path, other);
    EXPECT_EQ(w.Menu().Text(cmd::kRunApplication).toStdString(), "Run other");
}

// Example failure: a View change made without a camera is saved, a latched panel stays open
// after its slot left the view, or Select All disagrees with the slots.
TEST_F(MainWindowCommandsTest, ViewItemsToggleSlotsAndSaveOnlyWithACamera)
{
    CCorvel_5Dlg& w = Connected();
    const int image = 4;
    ASSERT_TRUE(w.Slot(image).m_bView);
    QTest::mouseClick(w.SlotButton(image), Qt::LeftButton);
    ASSERT_TRUE(w.SlotButton(image)->m_bLatched);
    ASSERT_TRUE(w.GetPanel(image)->isVisible());

    ASSERT_TRUE(Trigger(cmd::kViewFirst + image));
    EXPECT_FALSE(w.Slot(image).m_bView);
    EXPECT_FALSE(w.GetPanel(image)->isVisible());
    EXPECT_FALSE(w.SlotButton(image)->m_bLatched);
    EXPECT_TRUE(w.SlotButton(image)->isHidden());
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kViewFirst + image));
    EXPECT_EQ(lastconfig::Read(lastconfig::PanelViewKey(image)), 0);

    // Select All views every slot this camera has, and its mark follows the slots.
    ASSERT_TRUE(Trigger(cmd::kSelectAll));
    EXPECT_TRUE(w.m_bSelectAll);
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kSelectAll));
    for (int i = 0; i < kPanelSlots; ++i) {
        const bool attached = w.GetPanel(i) != nullptr;
        EXPECT_EQ(w.Slot(i).m_bView, attached) << i;
        EXPECT_EQ(w.Menu().IsChecked(cmd::kViewFirst + i), attached) << i;
        EXPECT_EQ(w.Menu().Has(cmd::kViewFirst + i), attached) << i;
    }
    EXPECT_EQ(lastconfig::Read(lastconfig::PanelViewKey(image)), 1);
    ASSERT_TRUE(Trigger(cmd::kViewFirst + 0));
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kSelectAll));

    // Without a camera at the last rebuild, View changes are not saved.
    window.reset();
    lastconfig::Write(lastconfig::PanelViewKey(8), 1);
    lastconfig::Write(lastconfig::kShowPythonPanel, 1);
    CCorvel_5Dlg& offline = MakeWindow();
    offline.OnInitDialog(nullptr);
    ASSERT_FALSE(offline.m_bViewSave);
    ASSERT_TRUE(Trigger(cmd::kViewFirst + 8));
    EXPECT_FALSE(offline.Slot(8).m_bView);
    EXPECT_EQ(lastconfig::Read(lastconfig::PanelViewKey(8)), 1);
}

// Example failure: unticking View > Select All leaves the open panels on screen with no button
// latched and no live refresh, where a slot's own View item closes its panel.
TEST_F(MainWindowCommandsTest, SelectAllUntickedClosesTheOpenPanelsAsEachViewItemDoes)
{
    CCorvel_5Dlg& w = Connected();
    if (!w.m_bSelectAll) {
        ASSERT_TRUE(Trigger(cmd::kSelectAll));
    }
    ASSERT_TRUE(w.m_bSelectAll);
    for (int i : {0, 1}) {
        QTest::mouseClick(w.SlotButton(i), Qt::LeftButton);
        ASSERT_TRUE(w.Slot(i).m_bOpen) << i;
        ASSERT_TRUE(w.GetPanel(i)->isVisible()) << i;
    }
    ASSERT_TRUE(Trigger(cmd::kSelectAll));
    ASSERT_FALSE(w.m_bSelectAll);
    for (int i = 0; i < kPanelSlots; ++i) {
        if (!w.GetPanel(i))
            continue;
        SCOPED_TRACE(i);
        EXPECT_FALSE(w.Slot(i).m_bView);
        EXPECT_FALSE(w.Slot(i).m_bOpen);
        EXPECT_FALSE(w.GetPanel(i)->isVisible());
        EXPECT_FALSE(w.SlotButton(i)->m_bLatched);
    }
    // Ticked again, the slots come back closed, as after their own View items.
    ASSERT_TRUE(Trigger(cmd::kSelectAll));
    for (int i : {0, 1}) {
        EXPECT_TRUE(w.Slot(i).m_bView) << i;
        EXPECT_FALSE(w.GetPanel(i)->isVisible()) << i;
    }
}

// Example failure: a rebuild for the same configuration (Debug, Load From > WorkSpace, the
// status button) marks a floating panel docked again: it jumps to the main window on its next
// move and is saved docked.
TEST_F(MainWindowCommandsTest, ARebuildKeepsEachPanelFloatingOrDocked)
{
    CCorvel_5Dlg& w = Connected();
    w.show();
    w.move(100, 80);
    QTest::mouseClick(w.SlotButton(2), Qt::LeftButton);
    COptionDialog* floating = w.GetPanel(2);
    COptionDialog* docked = w.GetPanel(1);
    // Dragged away from its docking place, as the window system moves it.
    wnd::SetWindowPos(floating, 700, 500, wnd::SWP_NOSIZE | wnd::SWP_NOZORDER | wnd::SWP_NOACTIVATE);
    ASSERT_EQ(floating->pos(), QPoint(700, 500));
    ASSERT_FALSE(floating->m_bDocked);
    ASSERT_TRUE(docked->m_bDocked);
    const std::vector<std::pair<const char*, std::function<void()>>> rebuilds = {
        {"Debug on", [&] { ASSERT_TRUE(Trigger(cmd::kDebug)); }},
        {"Debug off", [&] { ASSERT_TRUE(Trigger(cmd::kDebug)); }},
        {"Load From WorkSpace", [&] { ASSERT_TRUE(Trigger(cmd::kLoadFromWorkspace)); }},
        {"status button",
         [&] { QTest::mouseClick(wnd::GetDlgItem(&w, CCorvel_5Dlg::IDC_STATUS_BUTTON), Qt::LeftButton); }},
    };
    QPoint mainAt(100, 80);
    for (const auto& [what, rebuild] : rebuilds) {
        SCOPED_TRACE(what);
        rebuild();
        QApplication::processEvents();
        ASSERT_EQ(w.GetPanel(2), floating) << "the same panel, kept";
        EXPECT_FALSE(floating->m_bDocked);
        EXPECT_TRUE(docked->m_bDocked);
        // The main window moves: the docked panel follows, the floating one stays.
        const QPoint dockedAt = docked->pos();
        mainAt += QPoint(10, 5);
        w.move(mainAt);
        QApplication::processEvents();
        EXPECT_EQ(floating->pos(), QPoint(700, 500));
        EXPECT_EQ(docked->pos(), dockedAt + QPoint(10, 5));
    }
    // Saved as it stands when the slot closes.
    w.Slot(2).Close();
    const lastconfig::PanelPos saved = lastconfig::ParsePanelPos(
        lastconfig::Read(LastConfigTextKey{(std::string(lastconfig::kPanelKeys[2]) + "Pos").c_str(), ""}));
    EXPECT_FALSE(saved.docked);
    EXPECT_EQ(QPoint(saved.left, saved.top), QPoint(700, 500));
}

// Example failure: a slot button opens a panel while no camera is connected, the script slot is
// refused too, or a panel's close leaves its slot marked open.
TEST_F(MainWindowCommandsTest, SlotButtonsOpenPanelsOnlyWithACamera)
{
    lastconfig::Write(lastconfig::kShowPythonPanel, 1);
    CCorvel_5Dlg& offline = MakeWindow();
    offline.OnInitDialog(nullptr);
    offline.Slot(0).m_bView = true;
    QTest::mouseClick(offline.SlotButton(0), Qt::LeftButton);
    EXPECT_FALSE(offline.SlotButton(0)->m_bLatched);
    EXPECT_FALSE(offline.GetPanel(0)->isVisible());
    QTest::mouseClick(offline.SlotButton(8), Qt::LeftButton);
    EXPECT_TRUE(offline.SlotButton(8)->m_bLatched);
    EXPECT_TRUE(offline.GetPanel(8)->isVisible());
    window.reset();

    CCorvel_5Dlg& w = Connected();
    QTest::mouseClick(w.SlotButton(1), Qt::LeftButton);
    EXPECT_TRUE(w.Slot(1).m_bOpen);
    EXPECT_TRUE(w.GetPanel(1)->isVisible());
    // The panel's close box: the button releases, the slot is closed, the panel hidden.
    w.GetPanel(1)->OnClose();
    EXPECT_FALSE(w.SlotButton(1)->m_bLatched);
    EXPECT_FALSE(w.Slot(1).m_bOpen);
    EXPECT_FALSE(w.GetPanel(1)->isVisible());
}

/// Records the widgets put on top of the stacking order, in turn.
class StackingRecorder : public QObject {
public:
    std::vector<QWidget*> raised;
    void Watch(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            raised.push_back(static_cast<QWidget*>(watched));
        return false;
    }
};

// Example failure: a slot button click shows its panel below the others, or leaves the main
// window under the panels, until the window is activated again.
TEST_F(MainWindowCommandsTest, SlotButtonClickRestacksThePanels)
{
    CCorvel_5Dlg& w = Connected();
    w.show();
    StackingRecorder recorder;
    recorder.Watch(&w);
    for (int i : {0, 1})
        recorder.Watch(w.GetPanel(i));
    QTest::mouseClick(w.SlotButton(0), Qt::LeftButton);
    QTest::mouseClick(w.SlotButton(1), Qt::LeftButton);
    w.GetPanel(0)->activateWindow();
    QApplication::processEvents();

    for (bool open : {false, true}) {
        SCOPED_TRACE(open);
        recorder.raised.clear();
        QTest::mouseClick(w.SlotButton(0), Qt::LeftButton);
        ASSERT_EQ(w.Slot(0).m_bOpen, open);
        ASSERT_FALSE(recorder.raised.empty());
        EXPECT_EQ(recorder.raised.back(), &w);
        EXPECT_NE(std::find(recorder.raised.begin(), recorder.raised.end(), w.GetPanel(1)), recorder.raised.end());
    }
}

// Example failure: minimising leaves panels on screen, or restoring shows panels that were
// closed or out of view.
TEST_F(MainWindowCommandsTest, MinimiseHidesPanelsAndRestoreShowsTheOpenOnes)
{
    CCorvel_5Dlg& w = Connected();
    w.show();
    QTest::mouseClick(w.SlotButton(0), Qt::LeftButton);
    QTest::mouseClick(w.SlotButton(1), Qt::LeftButton);
    QTest::mouseClick(w.SlotButton(2), Qt::LeftButton);
    QTest::mouseClick(w.SlotButton(2), Qt::LeftButton);  // closed again
    ASSERT_TRUE(w.GetPanel(0)->isVisible() && w.GetPanel(1)->isVisible());

    ASSERT_TRUE(Trigger(cmd::kMinimize));
    EXPECT_TRUE(w.isMinimized());
    for (int i : {0, 1, 2})
        EXPECT_FALSE(w.GetPanel(i)->isVisible()) << i;

    w.OnSysCommand(CCorvel_5Dlg::SC_RESTORE);
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.GetPanel(0)->isVisible());
    EXPECT_TRUE(w.GetPanel(1)->isVisible());
    EXPECT_FALSE(w.GetPanel(2)->isVisible());
}

// Example failure: Attach Windows leaves a floating panel where it was, or puts it beside the
// wrong button.
TEST_F(MainWindowCommandsTest, AttachWindowsDocksEveryPanelBesideItsButton)
{
    CCorvel_5Dlg& w = Connected();
    w.show();
    w.move(100, 80);
    COptionDialog* panel = w.GetPanel(2);
    panel->m_bDocked = false;
    panel->move(700, 500);
    ASSERT_TRUE(Trigger(cmd::kAttachWindows));
    COptionDialog* docked = w.GetPanel(1);
    ASSERT_TRUE(docked->m_bDocked);
    EXPECT_EQ(panel->x(), docked->x());
    EXPECT_GE(panel->x(), w.frameGeometry().right());
    EXPECT_EQ(panel->y(), w.SlotButton(2)->mapToGlobal(QPoint(0, 0)).y());
    EXPECT_TRUE(panel->m_bDocked);

    // Docked panels follow the window; a floating one stays where the operator put it.
    COptionDialog* floating = w.GetPanel(0);
    floating->m_bDocked = false;
    floating->move(900, 600);
    const QPoint before = panel->pos();
    w.move(150, 100);
    EXPECT_EQ(panel->pos(), before + QPoint(50, 20));
    EXPECT_EQ(floating->pos(), QPoint(900, 600));
}

// Example failure: the Debug item does not store the mode or rebuild, the terminal item shows a
// terminal without a mark (or crashes without a terminal), F1 opens no help, F2/Enter/Esc act,
// or Exit leaves the program running.
TEST_F(MainWindowCommandsTest, SmallCommandsDoWhatTheirItemsSay)
{
    CCorvel_5Dlg& w = Connected();
    int rebuilds = 0;
    w.m_onRebuildStarted = [&] { ++rebuilds; };
    ASSERT_TRUE(Trigger(cmd::kDebug));
    EXPECT_EQ(lastconfig::Read(lastconfig::kDebugMode), 1);
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kDebug));
    EXPECT_TRUE(w.GetPanel(0)->m_bDebugMode);
    EXPECT_EQ(rebuilds, 1);
    ASSERT_TRUE(Trigger(cmd::kDebug));
    EXPECT_EQ(lastconfig::Read(lastconfig::kDebugMode), 0);

    // The status button reloads from the camera's workspace, as Load From > WorkSpace does.
    rebuilds = 0;
    QPlainTextEdit* output = w.TerminalWindow()->findChild<QPlainTextEdit*>();
    ASSERT_NE(output, nullptr);
    output->setPlainText("old output");
    QTest::mouseClick(wnd::GetDlgItem(&w, CCorvel_5Dlg::IDC_STATUS_BUTTON), Qt::LeftButton);
    ASSERT_TRUE(Trigger(cmd::kLoadFromWorkspace));
    EXPECT_EQ(rebuilds, 2);
    EXPECT_FALSE(output->toPlainText().contains("old output"));

    ASSERT_TRUE(Trigger(cmd::kCommandTerminal));
    EXPECT_TRUE(w.TerminalWindow()->isVisible());
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kCommandTerminal));
    ASSERT_TRUE(Trigger(cmd::kCommandTerminal));
    EXPECT_FALSE(w.TerminalWindow()->isVisible());
    EXPECT_FALSE(w.Menu().IsChecked(cmd::kCommandTerminal));

    w.show();
    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].kind, LaunchRequest::Document);
    EXPECT_EQ(launched[0].path, (platform::ExecutableFolder() / "Corvel.chm").string());

    rebuilds = 0;
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(&w, key);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(rebuilds, 0);

    bool closed = false;
    QObject::connect(&w, &CCorvel_5Dlg::Closed, [&] { closed = true; });
    ASSERT_TRUE(Trigger(cmd::kExit));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(w.isVisible());
}

// Example failure: commands that need the register map or the terminal crash in a window that
// has neither (its map failed to load).
TEST_F(MainWindowCommandsTest, CommandsWithoutARegisterMapDoNotCrash)
{
    CCorvel_5Dlg& w = MakeWindow();
    ASSERT_EQ(w.m_pXmlDoc, nullptr);
    ASSERT_EQ(w.TerminalWindow(), nullptr);
    for (int id : {cmd::kCommandTerminal, cmd::kBaud9600 + 2, cmd::kViewFirst, cmd::kSelectAll, cmd::kAttachWindows,
                   cmd::kBootFromIds[1], cmd::kSaveToUser1, cmd::kLoadFromIds[2]})
        EXPECT_TRUE(w.OnCommand(static_cast<wnd::WPARAM>(id), 0)) << id;
    EXPECT_TRUE(w.Menu().IsChecked(cmd::kCommandTerminal));
}

}  // namespace
