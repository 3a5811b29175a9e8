// The "Python Scripts" panel in slot 8 of the main window, over the emulated camera: scripts
// from the list in the data folder run on the process's interpreter when the operator double
// clicks them, lines typed into the command line run on Enter or "Send", what they print reaches
// the terminal area, and the main window's polls keep off the link while a job runs.
#include "PanelFixture.h"

#include "controls/CUpDownCtrl.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/MessageBox.h"
#include "controls/LastConfig.h"
#include "panels/CDlgRunPythonScript.h"
#include "panels/PanelTemplate.h"
#include "support/LabelFit.h"
#include "tools/CTerminal.h"
#include "tools/PythonHost.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace corvel::test;

constexpr int kJobTimeoutMs = 60000;  // generous: a 2-core machine under the address sanitizer

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

class ScriptPanelTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        folder = std::filesystem::current_path();
        std::filesystem::create_directories(dir / "scripts");
        lastconfig::Write(lastconfig::kShowPythonPanel, 1);
    }

    void TearDown() override
    {
        PanelTest::TearDown();
        std::filesystem::current_path(folder);
    }

    /// The main window on the camera with the script panel shown; py.cfg holds `list` first
    /// unless it is null.
    CDlgRunPythonScript* OpenScripts(const char* list = nullptr)
    {
        if (list)
            WriteText(dir / "py.cfg", list);
        OpenOnCamera();
        auto* panel = dynamic_cast<CDlgRunPythonScript*>(ShownPanel(8));
        if (panel) {
            panel->activateWindow();
            QApplication::processEvents();
        }
        return panel;
    }

    /// Writes a script into the scripts folder; its full path.
    std::string Script(const std::string& name, const std::string& source)
    {
        const std::filesystem::path path = dir / "scripts" / name;
        WriteText(path, source);
        return path.string();
    }

    QListWidget* List(CDlgRunPythonScript* panel)
    {
        return qobject_cast<QListWidget*>(panel->GetDlgItem(CDlgRunPythonScript::IDC_SCRIPTS));
    }
    QLineEdit* Command(CDlgRunPythonScript* panel)
    {
        return qobject_cast<QLineEdit*>(panel->GetDlgItem(CDlgRunPythonScript::IDC_COMMAND));
    }
    QPushButton* Button(CDlgRunPythonScript* panel, int id)
    {
        return qobject_cast<QPushButton*>(panel->GetDlgItem(id));
    }

    QPoint RowCenter(CDlgRunPythonScript* panel, int row)
    {
        QListWidget* list = List(panel);
        return list->visualItemRect(list->item(row)).center();
    }

    /// Double clicks the list's row, as the operator starts a script.
    void DoubleClickRow(CDlgRunPythonScript* panel, int row)
    {
        QListWidget* list = List(panel);
        ASSERT_NE(list->item(row), nullptr) << row;
        const QPoint at = RowCenter(panel, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    /// Right clicks the list's row (or below the rows when row is -1) and picks `choice` from
    /// the context menu; answers whether the menu offered it enabled (Escape closes the menu then).
    bool ChooseFromMenu(CDlgRunPythonScript* panel, int row, const QString& choice)
    {
        QListWidget* list = List(panel);
        const QPoint at = row >= 0 ? RowCenter(panel, row) : QPoint(5, list->viewport()->height() - 3);
        bool shown = false;
        bool offered = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            shown = true;
            for (QAction* action : menu->actions())
                if (action->text() == choice && action->isEnabled()) {
                    offered = true;
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
        EXPECT_TRUE(shown) << "no context menu";
        return offered;
    }

    /// Types `line` into the command line and presses Enter.
    void TypeCommand(CDlgRunPythonScript* panel, const QString& line)
    {
        QLineEdit* edit = Command(panel);
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, line);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    /// The panel with a script running that sleeps 30 s (null when it did not start).
    CDlgRunPythonScript* StartSleepingScript()
    {
        const std::string path = Script("sleep.py", "import time\nprint('sleeping')\ntime.sleep(30)\n");
        CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
        if (!panel)
            return nullptr;
        DoubleClickRow(panel, 0);
        const bool started = QTest::qWaitFor([&] { return panel->OutputText().contains("sleeping"); }, kJobTimeoutMs);
        EXPECT_TRUE(started);
        return started ? panel : nullptr;
    }

    /// Waits until the panel's job has ended; the terminal's text.
    std::string WaitForJob(CDlgRunPythonScript* panel)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->JobRunning(); }, kJobTimeoutMs)) << "the job did not end";
        return panel->OutputText().toStdString();
    }

    std::filesystem::path folder;
};

// Example failure: the listed script does not run, its camera exchange does not reach the
// emulated camera, or what it prints never shows in the terminal.
TEST_F(ScriptPanelTest, ListedScriptTalksToTheCameraAndPrintsIntoTheTerminal)
{
    const std::string path = Script("read.py",
                                    "import serial\n"
                                    "p = serial.Serial()\n"
                                    "p.write(b'R\\x62\\x00')\n"
                                    "print('reply', p.read(5).hex())\n"
                                    "print('no line end', end='')\n");
    CDlgRunPythonScript* panel = OpenScripts(("\n" + path + "\r\n\n").c_str());
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(List(panel)->count(), 1);
    EXPECT_EQ(List(panel)->item(0)->text().toStdString(), path);
    emu.SetRegister(0x6200, 0xA1B2C3D4);
    emu.ClearFrames();

    DoubleClickRow(panel, 0);
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find(path + " is running...\nreply 06a1b2c3d4\nno line end\n" + path + " is finished..."),
              std::string::npos)
        << out;
    ASSERT_FALSE(emu.Frames().empty());
    EXPECT_EQ(emu.Frames().front().bytes, (std::vector<std::uint8_t>{0x52, 0x62, 0x00}));
    EXPECT_TRUE(window->m_Link.m_ChannelOwner.IsFree());
}

// Example failure: a poll of the main window slips its frames between a script's write and its
// read, or the status icon changes while the script owns the link.
TEST_F(ScriptPanelTest, PollsStayOffTheLinkWhileAScriptRuns)
{
    const std::filesystem::path go = dir / "go";
    const std::string path = Script("wait.py",
                                    "import os, time\n"
                                    "print('started')\n"
                                    "while not os.path.exists(r'" + go.string() + "'):\n"
                                    "    time.sleep(0.02)\n");
    CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    CCorvel_5Dlg& w = *window;
    SetCameraValue("Exposure", 2000);

    DoubleClickRow(panel, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->OutputText().contains("started"); }, kJobTimeoutMs));
    EXPECT_EQ(w.m_Link.m_ChannelOwner.Holder(), ChannelUser::Script);
    EXPECT_EQ(Button(panel, CDlgRunPythonScript::IDC_SEND)->text(), QStringLiteral("Stop"));
    const int icon = w.StatusIconId();
    emu.ClearFrames();
    for (unsigned timer : {CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME, CCorvel_5Dlg::TIMER_TEMPERATURE})
        w.OnTimer(timer);
    EXPECT_TRUE(emu.Frames().empty());
    EXPECT_EQ(w.StatusIconId(), icon);

    WriteText(go, "");
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find(path + " is finished..."), std::string::npos) << out;
    EXPECT_TRUE(w.m_Link.m_ChannelOwner.IsFree());
    EXPECT_EQ(Button(panel, CDlgRunPythonScript::IDC_SEND)->text(), QStringLiteral("Send"));
    w.OnTimer(CCorvel_5Dlg::TIMER_EXPOSURE);
    EXPECT_FALSE(emu.Frames().empty());
    EXPECT_EQ(w.m_CameraInfo.exposure, "2.000");
}

// Example failure: a script sets the digital gain with a frame of its own; once it has ended the
// gain panel goes on showing the gain before, though the camera holds the script's. A script
// that sends nothing leaves the panels as they are, without a rebuild.
TEST_F(ScriptPanelTest, PanelsShowWhatAScriptLeftInTheCamera)
{
    ASSERT_NE(OpenScripts(), nullptr);
    const RegisterLink gain = Reg("DigitalGain");
    ASSERT_EQ(gain.shift, 0);
    const std::string writes = Script("gain.py",
                                      "import serial\n"
                                      "p = serial.Serial()\n"
                                      "p.write(bytes([0x57, " + std::to_string(gain.address >> 8) + ", " +
                                          std::to_string(gain.address & 0xFF) + ", 0, 0, 8, 0]))\n"
                                      "print('answer', p.read(1).hex())\n");
    const std::string quiet = Script("quiet.py", "print('nothing sent')\n");
    window.reset();
    CDlgRunPythonScript* panel = OpenScripts((quiet + "\n" + writes + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(List(panel)->count(), 2);
    COptionDialog* gainPanel = ShownPanel(0);
    ASSERT_NE(gainPanel, nullptr);
    auto* shown = dynamic_cast<OVNumericControl*>(gainPanel->GetDlgItem(1251));
    ASSERT_NE(shown, nullptr);
    const QString before = shown->edit->text();
    int rebuilds = 0;
    window->m_onRebuildStarted = [&] { ++rebuilds; };

    panel->activateWindow();
    DoubleClickRow(panel, 0);
    EXPECT_NE(WaitForJob(panel).find("nothing sent"), std::string::npos);
    Settle();
    EXPECT_EQ(rebuilds, 0);
    EXPECT_EQ(shown->edit->text(), before);

    DoubleClickRow(panel, 1);
    EXPECT_NE(WaitForJob(panel).find("answer 06"), std::string::npos);
    Settle();
    EXPECT_EQ(emu.Register(gain.address) & gain.mask, 2048u);
    EXPECT_EQ(rebuilds, 1);
    const QString after = shown->edit->text();
    EXPECT_NE(after, before);
    gainPanel->RefreshFromStorage();
    Settle();
    EXPECT_EQ(shown->edit->text(), after) << "the panel shows the camera's gain";
}

/// A user of the camera channel other than the script, as the operator reaches it.
struct ChannelUserCase {
    const char* name;
    std::function<void(CCorvel_5Dlg&)> act;
    /// What the operator is told ("" when the control is disabled instead).
    const char* told;
};

// Example failure: a panel edit, a command typed in the terminal, a menu command or a poll
// sends its frame between a script's frame and the script's read of the answer, so the script
// reads the other user's answer (or the other user discards the script's).
TEST_F(ScriptPanelTest, NoOtherUserReachesTheChannelWhileAScriptWaitsForItsAnswer)
{
    const std::filesystem::path go = dir / "go";
    const std::string path = Script("exchange.py",
                                    "import os, serial, time\n"
                                    "p = serial.Serial()\n"
                                    "p.write(b'R\\x62\\x00')\n"
                                    "print('sent')\n"
                                    "while not os.path.exists(r'" + go.string() + "'):\n"
                                    "    time.sleep(0.01)\n"
                                    "print('answer', p.read(5).hex())\n");
    CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    CCorvel_5Dlg& w = *window;
    w.OnCommand(cmd::kCommandTerminal, 0);  // the terminal is shown
    ASSERT_NE(w.TerminalWindow(), nullptr);
    COptionDialog* acquisition = w.GetPanel(2);
    ASSERT_NE(acquisition, nullptr);
    emu.SetRegister(0x6200, 0x01020304);
    std::vector<std::string> told;
    wnd::ScopedMessageBoxHandler boxes{[&](const wnd::MessageBoxRequest& r) {
        told.push_back(r.text.toStdString());
        return wnd::IDOK;
    }};
    const auto terminalText = [&] {
        auto* out = qobject_cast<QPlainTextEdit*>(wnd::GetDlgItem(w.TerminalWindow(), CTerminal::IDC_OUTPUT));
        return out ? out->toPlainText().toStdString() : std::string();
    };
    const auto menu = [](int id) { return [id](CCorvel_5Dlg& win) { win.OnCommand(static_cast<wnd::WPARAM>(id), 0); }; };
    const char* kBusy = "The camera channel is in use by the running script.";
    const std::vector<ChannelUserCase> users = {
        {"exposure delay spin of the acquisition panel",
         [&](CCorvel_5Dlg&) {
             auto* spin = qobject_cast<CUpDownCtrl*>(acquisition->GetDlgItem(1507));
             ASSERT_NE(spin, nullptr);
             QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 2));
             spin->setFocus();
             QTest::keyClick(spin, Qt::Key_Up);
         },
         ""},
        {"raw command typed in the terminal",
         [&](CCorvel_5Dlg& win) {
             auto* line = qobject_cast<QLineEdit*>(wnd::GetDlgItem(win.TerminalWindow(), CTerminal::IDC_COMMAND_LINE));
             ASSERT_NE(line, nullptr);
             line->setFocus();
             QTest::keyClicks(line, "0x526204");
             QTest::keyClick(line, Qt::Key_Return);
         },
         kBusy},
        {"parameter command typed in the terminal",
         [&](CCorvel_5Dlg& win) {
             RegisterLink reg;
             ASSERT_EQ(GetRegisterLink(win.m_Link, "Exposure", reg), 0);
             ASSERT_FALSE(reg.cmd.empty());
             auto* line = qobject_cast<QLineEdit*>(wnd::GetDlgItem(win.TerminalWindow(), CTerminal::IDC_COMMAND_LINE));
             ASSERT_NE(line, nullptr);
             line->setFocus();
             line->selectAll();
             QTest::keyClicks(line, QString::fromStdString(reg.cmd + " 1000"));
             QTest::keyClick(line, Qt::Key_Return);
         },
         kBusy},
        {"workspace button",
         [](CCorvel_5Dlg& win) {
             auto* button = qobject_cast<QPushButton*>(wnd::GetDlgItem(&win, CCorvel_5Dlg::IDC_STATUS_BUTTON));
             ASSERT_NE(button, nullptr);
             QTest::mouseClick(button, Qt::LeftButton);
         },
         kBusy},
        {"Load From User Space 1", menu(cmd::kLoadFromUser1), kBusy},
        {"Load From File", menu(cmd::kLoadFromFile), kBusy},
        {"Save To File", menu(cmd::kSaveToFile), kBusy},
        {"Save To User Space 2", menu(cmd::kSaveToUser1 + 1), kBusy},
        {"Boot From User Space 1", menu(cmd::kBootFromIds[1]), kBusy},
        {"Baud Rate 115200", menu(cmd::kBaud9600 + 4), kBusy},
        {"Save Dump", menu(cmd::kSaveDump), kBusy},
        {"Download Terminal", menu(cmd::kDownloadTerminal), kBusy},
        {"BPM Dialog", menu(cmd::kBpmDialog), kBusy},
        {"Switch Port", menu(cmd::kSwitchPort), kBusy},
        {"polls",
         [](CCorvel_5Dlg& win) {
             for (unsigned timer : {CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME,
                                    CCorvel_5Dlg::TIMER_TEMPERATURE})
                 win.OnTimer(timer);
         },
         ""},
    };

    emu.ClearFrames();
    DoubleClickRow(panel, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->OutputText().contains("sent"); }, kJobTimeoutMs));
    // The windows follow the holder on the next turn of the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !acquisition->isEnabled(); }, kJobTimeoutMs));
    EXPECT_TRUE(panel->isEnabled()) << "the console keeps its Stop";
    for (const ChannelUserCase& user : users) {
        SCOPED_TRACE(user.name);
        told.clear();
        const std::size_t terminalBefore = terminalText().size();
        user.act(w);
        QApplication::processEvents();
        const std::string said =
            told.empty() ? terminalText().substr(std::min(terminalBefore, terminalText().size())) : told.front();
        if (*user.told)
            EXPECT_NE(said.find(user.told), std::string::npos) << said;
        else
            EXPECT_TRUE(told.empty()) << told.front();
        EXPECT_LE(told.size(), 1u);
    }
    // Once the script has ended, the panels are rebuilt for what it may have left in the camera.
    std::size_t framesAtRebuild = 0;
    bool rebuilt = false;
    w.m_onRebuildStarted = [&] {
        if (!std::exchange(rebuilt, true))
            framesAtRebuild = emu.Frames().size();
    };
    WriteText(go, "");
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find("answer 0601020304\n"), std::string::npos) << out;
    // While it ran the camera heard the script's frame and nothing else.
    const auto frames = emu.Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(rebuilt ? framesAtRebuild : frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (std::vector<std::uint8_t>{0x52, 0x62, 0x00}));
    EXPECT_TRUE(w.m_Link.m_ChannelOwner.IsFree());
    ASSERT_TRUE(QTest::qWaitFor([&] { return acquisition->isEnabled(); }, kJobTimeoutMs));
}

// Example failure: a runaway script cannot be stopped, or the panel stays locked after it.
TEST_F(ScriptPanelTest, StopEndsARunawayScript)
{
    const std::string path = Script("forever.py", "import time\nprint('looping')\nwhile True:\n    time.sleep(0.01)\n");
    CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    DoubleClickRow(panel, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->OutputText().contains("looping"); }, kJobTimeoutMs));
    QTest::mouseClick(Button(panel, CDlgRunPythonScript::IDC_SEND), Qt::LeftButton);
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find(path + " is finished..."), std::string::npos) << out;
    EXPECT_TRUE(window->m_Link.m_ChannelOwner.IsFree());
    EXPECT_TRUE(List(panel)->isEnabled());
}

// Example failure: a script's exception shows no traceback, or the panel reports success.
TEST_F(ScriptPanelTest, ScriptErrorShowsItsTraceback)
{
    const std::string path = Script("broken.py", "def divide(n):\n    return n / 0\n\nprint('before')\ndivide(4)\nprint('never')\n");
    CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    DoubleClickRow(panel, 0);
    const std::string out = WaitForJob(panel);
    const std::size_t trace = out.find("Traceback (most recent call last):");
    ASSERT_NE(trace, std::string::npos) << out;
    EXPECT_LT(out.find("before"), trace);
    EXPECT_NE(out.find("line 2, in divide", trace), std::string::npos) << out;
    EXPECT_NE(out.find("ZeroDivisionError: division by zero", trace), std::string::npos) << out;
    EXPECT_NE(out.find("The Error is inside the script", trace), std::string::npos) << out;
    EXPECT_EQ(out.find("never"), std::string::npos) << out;
    EXPECT_NE(out.find(path + " is finished..."), std::string::npos) << out;
}

// Example failure: Enter in the command line moves the focus instead of sending, names do not
// stay between a line and a script, or an empty line runs silently.
TEST_F(ScriptPanelTest, CommandLineRunsOnEnterAndSendWithNamesKept)
{
    const std::string path = Script("use.py", "print('x is', x)\n");
    CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    TypeCommand(panel, "x = 41 + 1");
    WaitForJob(panel);
    EXPECT_EQ(Command(panel)->text(), QStringLiteral("x = 41 + 1"));  // the line keeps its text

    QLineEdit* edit = Command(panel);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::mouseClick(Button(panel, CDlgRunPythonScript::IDC_SEND), Qt::LeftButton);
    WaitForJob(panel);
    TypeCommand(panel, "print(undefined_name)");
    WaitForJob(panel);
    DoubleClickRow(panel, 0);
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find(">> x = 41 + 1\n>> can't send an empty command\n>> print(undefined_name)\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("NameError: name 'undefined_name' is not defined"), std::string::npos) << out;
    EXPECT_NE(out.find("x is 42\n" + path + " is finished..."), std::string::npos) << out;

    QTest::mouseClick(Button(panel, CDlgRunPythonScript::IDC_CLEAR), Qt::LeftButton);
    EXPECT_TRUE(panel->OutputText().isEmpty());
}

// Example failure: without a list the panel says nothing, Add does not create py.cfg in the data
// folder, or a run (which changes the current folder) moves the list elsewhere.
TEST_F(ScriptPanelTest, MissingListIsReportedAndCreatedInTheDataFolder)
{
    CDlgRunPythonScript* panel = OpenScripts();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->ScriptListFile(), std::filesystem::absolute(dir / "py.cfg"));
    EXPECT_TRUE(panel->OutputText().contains("No script list yet")) << panel->OutputText().toStdString();
    EXPECT_EQ(List(panel)->count(), 0);

    std::vector<std::string> picks = {Script("one.py", "print(1)\n"), Script("two.py", "print(2)\n")};
    std::size_t next = 0;
    wnd::ScopedFileDialogHandler files([&](const wnd::FileDialogRequest& r) -> std::optional<QString> {
        EXPECT_FALSE(r.save);
        EXPECT_TRUE(r.filter.contains("*.py"));
        return QString::fromStdString(picks[next++]);
    });
    EXPECT_FALSE(ChooseFromMenu(panel, -1, "Run"));  // nothing selected: Run is greyed
    EXPECT_TRUE(ChooseFromMenu(panel, -1, "Add"));
    ASSERT_EQ(ReadText(dir / "py.cfg"), picks[0] + "\n");

    DoubleClickRow(panel, 0);  // the run makes the scripts folder current
    WaitForJob(panel);
    EXPECT_TRUE(ChooseFromMenu(panel, 0, "Add"));
    EXPECT_EQ(ReadText(dir / "py.cfg"), picks[0] + "\n" + picks[1] + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "scripts" / "py.cfg"));
    EXPECT_TRUE(ChooseFromMenu(panel, 0, "Delete"));
    EXPECT_EQ(ReadText(dir / "py.cfg"), picks[1] + "\n");
    ASSERT_EQ(List(panel)->count(), 1);
    EXPECT_EQ(List(panel)->item(0)->text().toStdString(), picks[1]);
    EXPECT_TRUE(ChooseFromMenu(panel, 0, "Delete All"));
    EXPECT_EQ(ReadText(dir / "py.cfg"), "");
    EXPECT_EQ(List(panel)->count(), 0);
}

// Example failure: a damaged py.cfg is silently dropped or rewritten without its unreadable
// lines, so what the operator had there is lost.
TEST_F(ScriptPanelTest, MalformedListIsReportedAndKept)
{
    const std::string good = Script("good.py", "print('good')\n");
    const std::string damaged = good + "\r\n\x01\x02\xff binary\n" + std::string("a\0b", 3) + "\n";
    WriteText(dir / "py.cfg", damaged);
    CDlgRunPythonScript* panel = OpenScripts();
    ASSERT_NE(panel, nullptr);
    const std::string out = panel->OutputText().toStdString();
    EXPECT_NE(out.find("line 2, 3 holds no script path"), std::string::npos) << out;
    ASSERT_EQ(List(panel)->count(), 1);
    EXPECT_EQ(List(panel)->item(0)->text().toStdString(), good);
    EXPECT_EQ(ReadText(dir / "py.cfg"), damaged);  // reading changes nothing

    wnd::ScopedFileDialogHandler files(
        [&](const wnd::FileDialogRequest&) -> std::optional<QString> { return QString::fromStdString(good); });
    EXPECT_TRUE(ChooseFromMenu(panel, 0, "Add"));
    EXPECT_EQ(ReadText(dir / "py.cfg.bak"), damaged);
    EXPECT_EQ(ReadText(dir / "py.cfg"), good + "\n" + good + "\n");
    EXPECT_TRUE(panel->OutputText().contains("kept as")) << panel->OutputText().toStdString();
}

// Example failure: a py.cfg that is no file (here a folder) crashes the panel, is replaced, or
// fails without a word.
TEST_F(ScriptPanelTest, UnreadableListIsReportedAndLeftAlone)
{
    std::filesystem::create_directories(dir / "py.cfg" / "inside");
    CDlgRunPythonScript* panel = OpenScripts();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->OutputText().contains("cannot be read")) << panel->OutputText().toStdString();
    EXPECT_EQ(List(panel)->count(), 0);

    const std::string script = Script("one.py", "print(1)\n");
    wnd::ScopedFileDialogHandler files(
        [&](const wnd::FileDialogRequest&) -> std::optional<QString> { return QString::fromStdString(script); });
    EXPECT_TRUE(ChooseFromMenu(panel, -1, "Add"));
    EXPECT_TRUE(panel->OutputText().contains("is not saved")) << panel->OutputText().toStdString();
    EXPECT_EQ(List(panel)->count(), 1);  // the panel keeps the operator's pick
    EXPECT_TRUE(std::filesystem::is_directory(dir / "py.cfg" / "inside"));
}

// Example failure: a label of the panel is cut off at the default font, or the list does not
// keep five rows of room with fewer scripts.
TEST_F(ScriptPanelTest, LayoutShowsEveryTextWhole)
{
    CDlgRunPythonScript* panel = OpenScripts((Script("one.py", "print(1)\n") + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    QListWidget* list = List(panel);
    const int rowHeight = list->fontMetrics().height() + 2;
    EXPECT_GE(list->height(), 5 * rowHeight);
    const QRect label = panel_template::RectOf(panel, CDlgRunPythonScript::IDC_TERMINAL_LABEL);
    EXPECT_GT(label.top(), list->geometry().bottom());
    EXPECT_GT(panel_template::RectOf(panel, CDlgRunPythonScript::IDC_OUTPUT).top(), label.bottom());
    for (const CutText& cut : CutTexts(panel))
        ADD_FAILURE() << "cut: " << cut.text << " room " << cut.room << " needed " << cut.needed;

    // Growing the window grows the terminal and keeps the bottom row at the bottom.
    const QRect output = panel_template::RectOf(panel, CDlgRunPythonScript::IDC_OUTPUT);
    const QRect send = panel_template::RectOf(panel, CDlgRunPythonScript::IDC_SEND);
    panel->resize(panel->width() + 60, panel->height() + 40);
    QApplication::processEvents();
    EXPECT_EQ(panel_template::RectOf(panel, CDlgRunPythonScript::IDC_OUTPUT).size(), output.size() + QSize(60, 40));
    EXPECT_EQ(panel_template::RectOf(panel, CDlgRunPythonScript::IDC_SEND).topLeft(), send.topLeft() + QPoint(60, 40));
    SaveShot(panel, "python-scripts");
}

// Example failure: with many scripts the list covers the terminal area and runs under the
// command line, so nothing a script prints can be read.
TEST_F(ScriptPanelTest, LongScriptListScrollsAndTheTerminalKeepsRoom)
{
    std::string list;
    for (int i = 0; i < 27; ++i)
        list += Script("s" + std::to_string(i) + ".py", "print(" + std::to_string(i) + ")\n") + "\n";
    CDlgRunPythonScript* panel = OpenScripts(list.c_str());
    ASSERT_NE(panel, nullptr);
    QListWidget* scripts = List(panel);
    ASSERT_EQ(scripts->count(), 27);
    QApplication::processEvents();
    const QRect output = panel_template::RectOf(panel, CDlgRunPythonScript::IDC_OUTPUT);
    const QRect command = panel_template::RectOf(panel, CDlgRunPythonScript::IDC_COMMAND);
    auto* terminal = qobject_cast<QPlainTextEdit*>(panel->GetDlgItem(CDlgRunPythonScript::IDC_OUTPUT));
    ASSERT_NE(terminal, nullptr);
    EXPECT_LT(output.bottom(), command.top()) << "the terminal runs under the command line";
    EXPECT_GE(output.height(), 5 * terminal->fontMetrics().lineSpacing()) << "no useful room for the output";
    EXPECT_GT(output.top(), scripts->geometry().bottom());
    EXPECT_GT(scripts->verticalScrollBar()->maximum(), 0) << "the list does not scroll";

    // The last script is reached by scrolling, and runs into the terminal.
    scripts->scrollToBottom();
    QApplication::processEvents();
    DoubleClickRow(panel, 26);
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find("s26.py is running...\n26\n"), std::string::npos) << out;
    SaveShot(panel, "python-scripts-long-list");
}

// Example failure: Exit while a script sleeps leaves a frozen window on screen until the sleep
// ends, or closes without a word while the script is busy with the camera.
TEST_F(ScriptPanelTest, ExitDuringARunAsksThenEndsWithinSeconds)
{
    CDlgRunPythonScript* panel = StartSleepingScript();
    ASSERT_NE(panel, nullptr);
    std::vector<std::string> questions;
    int answer = wnd::IDNO;
    wnd::ScopedMessageBoxHandler boxes{[&](const wnd::MessageBoxRequest& r) {
        questions.push_back(r.text.toStdString());
        return answer;
    }};
    window->show();
    window->close();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("A script is running"), std::string::npos) << questions[0];
    EXPECT_TRUE(window->isVisible()) << "No keeps the program";
    EXPECT_TRUE(panel->JobRunning());

    answer = wnd::IDYES;
    window->close();
    EXPECT_FALSE(window->isVisible());
    const auto start = std::chrono::steady_clock::now();
    window.reset();  // the program's end: the panels close with the window
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(10)) << "the sleep held the exit";
    EXPECT_FALSE(script::PythonHost::Instance().Running());
}

// Example failure: a logout or a kill while a script runs puts the exit question on the screen,
// where nobody answers it: the program hangs until it is killed for good, its settings unsaved.
TEST_F(ScriptPanelTest, ATerminationSignalDuringARunAsksNothingAndEnds)
{
    CDlgRunPythonScript* panel = StartSleepingScript();
    ASSERT_NE(panel, nullptr);
    std::vector<std::string> questions;
    wnd::ScopedMessageBoxHandler boxes{[&](const wnd::MessageBoxRequest& r) {
        questions.push_back(r.text.toStdString());
        return wnd::IDNO;
    }};
    window->show();
    window->OnTerminationSignal();
    EXPECT_TRUE(questions.empty()) << questions.front();
    EXPECT_FALSE(window->isVisible());
    window.reset();
    EXPECT_FALSE(script::PythonHost::Instance().Running());
}

// Example failure: a script printing in a tight loop makes the waiting output grow without
// bound until the program dies of it, or the lines left out are not told.
TEST_F(ScriptPanelTest, FloodingScriptIsStoppedAndTheLinesLeftOutAreTold)
{
    const std::string path = Script("flood.py", "while True:\n    print('x' * 200)\n");
    CDlgRunPythonScript* panel = OpenScripts((path + "\n").c_str());
    ASSERT_NE(panel, nullptr);
    DoubleClickRow(panel, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->OutputText().contains("of output left out"); }, kJobTimeoutMs));
    QTest::mouseClick(Button(panel, CDlgRunPythonScript::IDC_SEND), Qt::LeftButton);
    const std::string out = WaitForJob(panel);
    EXPECT_NE(out.find(std::string(200, 'x') + "\n"), std::string::npos);
    EXPECT_NE(out.find(path + " is finished..."), std::string::npos) << out.substr(out.size() - std::min<std::size_t>(out.size(), 300));
    EXPECT_LE(panel->findChild<QPlainTextEdit*>()->blockCount(), CDlgRunPythonScript::kMaxOutputLines);
    EXPECT_TRUE(window->m_Link.m_ChannelOwner.IsFree());
}

}  // namespace
