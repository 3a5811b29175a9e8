// The "Command Terminal" window as an operator uses it, on the offscreen platform over the
// emulated camera: commands typed into the command line, the output with the camera link's
// echo, the 1000-line cap, Clear, the three settings and closing.
#include "tools/CTerminal.h"

#include "TerminalFixture.h"
#include "catalogues/CatalogueTable.h"
#include "catalogues/KelmirCatalogue.h"
#include "catalogues/ZorvatCatalogue.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "support/AppLogCapture.h"
#include "support/LabelFit.h"
#include "tools/ITerminalOwner.h"

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace corvel::test;
using Lines = std::vector<std::string>;

namespace {

/// The main window as the terminal sees it: it records the commands it gets and the timer
/// restarts, and hides the terminal on "Command Terminal" as the real one does.
class FakeMainWindow : public QWidget, public wnd::ICommandTarget, public ITerminalOwner {
public:
    std::vector<wnd::WPARAM> commands;
    int timerResets = 0;
    QWidget* terminal = nullptr;

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM) override
    {
        commands.push_back(wParam);
        if (wnd::LoWord(wParam) == CTerminal::ID_COMMAND_TERMINAL && terminal)
            terminal->setVisible(!terminal->isVisible());
        return true;
    }
    void ResetPollingTimers() override { ++timerResets; }
};

/// The link's window: its terminal is the terminal under test.
class TerminalHost : public RecordingHost {
public:
    CTerminal* window = nullptr;
    ITerminalSink* Terminal() override { return window; }
};

class TerminalWindow : public TerminalOverCamera {
protected:
    void SetUp() override
    {
        TerminalOverCamera::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        terminal = Open();
        mainWindow.terminal = terminal.get();
        windowHost.window = terminal.get();
        link->SetMainWindow(&windowHost);
    }

    void TearDown() override
    {
        if (link)
            link->SetMainWindow(&host);
        terminal.reset();
        TerminalOverCamera::TearDown();
    }

    std::unique_ptr<CTerminal> Open()
    {
        auto window = std::make_unique<CTerminal>(&mainWindow, link.get(), &settings, &clock);
        EXPECT_TRUE(window->Create(CTerminal::IDD, &mainWindow));
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    template <class T>
    T* Item(int id)
    {
        return qobject_cast<T*>(wnd::GetDlgItem(terminal.get(), id));
    }
    QLineEdit* CommandLine() { return Item<QLineEdit>(CTerminal::IDC_COMMAND_LINE); }
    QPlainTextEdit* Output() { return Item<QPlainTextEdit>(CTerminal::IDC_OUTPUT); }
    QLineEdit* PollingTime() { return Item<QLineEdit>(CTerminal::IDC_POLLING_TIME); }

    /// The operator types a line into the command line and presses Enter.
    void Type(const char* text)
    {
        emu.ClearFrames();
        QLineEdit* line = CommandLine();
        line->setFocus();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }
    /// The operator replaces the polling period and presses Enter.
    void TypePeriod(const char* text)
    {
        QLineEdit* field = PollingTime();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    Lines OutputLines()
    {
        Lines lines;
        for (QTextBlock b = Output()->document()->begin(); b.isValid(); b = b.next())
            lines.push_back(b.text().toStdString());
        return lines;
    }
    void ClearOutput()
    {
        Output()->clear();
    }
    int Setting(const char* section, const char* key, int missing = -99)
    {
        const auto it = settings.values.find(std::string(section) + "/" + key);
        return it == settings.values.end() ? missing : it->second;
    }

    FakeMainWindow mainWindow;
    TerminalHost windowHost;
    std::unique_ptr<CTerminal> terminal;
};

// Example failure: Enter in the command line does not run the line, the command line keeps a
// line that ran (or loses one that did not), or the reply is not shown.
TEST_F(TerminalWindow, TypedCommandsRunAgainstTheCamera)
{
    emu.SetRegister(0x0518, 0x01020304);
    Type("0x520518");
    EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x52, 0x05, 0x18}}));
    EXPECT_EQ(OutputLines(), (Lines{"0x520518", "OK; err = 0", "Resp = <0x0601020304>  Time: 0.000000ms", "", ""}));
    EXPECT_TRUE(CommandLine()->text().isEmpty());

    ClearOutput();
    Type("trgFrm 0x10");
    EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, 0x10}}));
    EXPECT_EQ(OutputLines(), (Lines{"trgFrm 0x10", "", "<trgFrm 16 <>", "CMD=<57051C00000010>",
                                    "Responce:nRet=0 Len=1 RSP=<06>", "OK", ">trgFrm 16",
                                    "  Time: 0.000000ms", "", ">", "", ""}));
    EXPECT_TRUE(CommandLine()->text().isEmpty());

    ClearOutput();
    Type("nosuch");
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(CommandLine()->text(), "nosuch");
    EXPECT_EQ(OutputLines(), (Lines{"nosuch", "", "Unknown command <nosuch>; \"help\" lists the commands", ""}));
}

// Example failure: a malformed raw command or value reaches the camera, shows no message, or
// takes the operator's line away.
TEST_F(TerminalWindow, MalformedCommandsAreRefused)
{
    Type("0x52GG00");
    EXPECT_TRUE(Frames().empty());
    ASSERT_EQ(windowHost.appBoxes.size(), 1u);
    EXPECT_EQ(windowHost.appBoxes[0].text, "HEX command: 'G' (character 3 of 52GG00) is not a hexadecimal digit");
    EXPECT_EQ(OutputLines(), (Lines{"0x52GG00", " ERR = -1<FFFFFFFF>, resp = <0x>  Time: 0.000000ms", "", ""}));

    ClearOutput();
    CommandLine()->clear();
    Type("trgFrm 12abc");
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(CommandLine()->text(), "trgFrm 12abc");
    EXPECT_EQ(OutputLines().at(2), "Invalid value <12abc>: a decimal or 0x hexadecimal integer expected; nothing was written");
}

// Example failure: after an answer is lost the link counts the camera as gone and drops typed
// writes, while the terminal closes the line with ">" as if it had been written and empties it;
// a flag (the value the link holds or the other) or a floating-point value is sent all the same.
TEST_F(TerminalWindow, WriteWhileTheCameraIsOfflineSaysSo)
{
    Silence(0x0518);
    Type("0x57051800000002");
    ASSERT_EQ(link->m_bOnline, 0) << "a lost answer takes the camera offline";

    for (const char* typed : {"trgFrm 6", "aecEn on", "aecEn off", "digiGain 1.5"}) {
        SCOPED_TRACE(typed);
        ClearOutput();
        CommandLine()->clear();
        Type(typed);
        EXPECT_TRUE(Frames().empty());
        EXPECT_EQ(OutputLines(), (Lines{typed, "", "Camera is offline; nothing was written", ""}));
        EXPECT_EQ(CommandLine()->text(), typed) << "the line stays to be sent again";
    }
}

// Example failure: lines pasted into the command line run as one command, so that a name on
// one line and a value on the next are written, or the refusal takes the pasted text away.
TEST_F(TerminalWindow, PastedLinesRunNothing)
{
    for (const char* pasted : {"aecEn\non\n", "trgFrm 7\ntrgFrm 8", "0x57051C00000007\r\n0x520518"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(pasted)));
        QApplication::clipboard()->setText(QString::fromLatin1(pasted));
        ClearOutput();
        emu.ClearFrames();
        QLineEdit* line = CommandLine();
        line->setFocus();
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        const QString held = line->text();
        QTest::keyClick(line, Qt::Key_Return);
        EXPECT_TRUE(Frames().empty());
        const Lines output = OutputLines();
        ASSERT_GE(output.size(), 2u);
        EXPECT_EQ(output[output.size() - 2],
                  "Several lines in one command; enter one command per line; nothing was sent");
        EXPECT_EQ(line->text(), held);
    }
}

// Example failure: what the camera link writes elsewhere (a panel's change) does not reach the
// output, or arrives in another order.
TEST_F(TerminalWindow, ShowsTheLinksEchoOfChangesMadeElsewhere)
{
    link->SetParamIntIfOnline("TriggerMode", 2, true, false);
    EXPECT_EQ(OutputLines(),
              (Lines{"<trgMode 2 <Double>", "CMD=<57051800000002>", "Responce:nRet=0 Len=1 RSP=<06>", "OK",
                     ">trgMode Double", ""}));
}

// Example failure: the output grows without bound, keeps 1000 lines of text plus the empty
// one, drops the newest lines, or stops following new text.
TEST_F(TerminalWindow, OutputKeepsTheLast1000Lines)
{
    for (int i = 1; i <= 1005; ++i)
        terminal->AddText("line " + std::to_string(i));
    const Lines lines = OutputLines();
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.front(), "line 7");
    EXPECT_EQ(lines[998], "line 1005");
    EXPECT_EQ(lines.back(), "");
    const QTextCursor caret = Output()->textCursor();
    EXPECT_FALSE(caret.hasSelection());
    EXPECT_EQ(caret.position(), Output()->document()->characterCount() - 1);
    EXPECT_EQ(Output()->verticalScrollBar()->value(), Output()->verticalScrollBar()->maximum());
}

// Example failure: when old lines are cut, the operator's selection moves onto other text or
// the view jumps away from what the operator is reading.
TEST_F(TerminalWindow, SelectionAndViewStayOnTheirTextWhenLinesAreCut)
{
    for (int i = 1; i <= 1000; ++i)
        terminal->AddText("line " + std::to_string(i));
    QPlainTextEdit* output = Output();
    QTextCursor selection(output->document()->findBlockByNumber(500));
    selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    output->setTextCursor(selection);
    output->verticalScrollBar()->setValue(497);
    const QString selected = output->textCursor().selectedText();
    ASSERT_EQ(selected, "line 502");

    for (int i = 0; i < 20; ++i)
        terminal->AddText("more");
    EXPECT_EQ(output->textCursor().selectedText(), selected);
    EXPECT_EQ(output->textCursor().block().blockNumber(), 480);
    EXPECT_EQ(output->verticalScrollBar()->value(), 477);
    EXPECT_EQ(OutputLines().size(), 1000u);
}

// Example failure: Clear leaves text behind, or writes no record (or another text, source or
// method) to the application log.
TEST_F(TerminalWindow, ClearEmptiesTheOutputAndLogsIt)
{
    AppLogCapture log(5, 0);
    ASSERT_TRUE(log.Ok());
    terminal->AddText("something");
    QTest::mouseClick(Item<QPushButton>(CTerminal::IDC_BT_CLEAR), Qt::LeftButton);
    EXPECT_TRUE(Output()->toPlainText().isEmpty());
    // Other records (the link's trace lines) may come and go with the machine's load; the
    // terminal writes exactly one of its own.
    std::vector<std::wstring> records;
    for (const auto& record : log.Records())
        if (record.find(L"; F=Terminal,") != std::wstring::npos)
            records.push_back(record);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].find(L"; F=Terminal,CTerminal::OnBnClickedBtClear,"), std::wstring::npos) << records[0];
    EXPECT_NE(records[0].find(L"; SV=TRACE; CD=0; MSG="
                              L"==========================Clear Terminal History==================="),
              std::wstring::npos)
        << records[0];
}

// Example failure: a setting is read with the wrong default or rule (only the value 1 ticks a
// box), a period below the timers' minimum is taken, or a click writes nothing.
TEST_F(TerminalWindow, SettingsAreReadAtStartAndWrittenOnClick)
{
    EXPECT_TRUE(Item<QCheckBox>(CTerminal::IDC_DISABLE_POLLING)->isChecked());
    EXPECT_EQ(terminal->m_nDisablePolling, 1);
    EXPECT_EQ(PollingTime()->text(), "2000");
    EXPECT_EQ(terminal->m_nPollingTime, 2000);
    EXPECT_FALSE(Item<QCheckBox>(CTerminal::IDC_DISABLE_ERROR_CHECK)->isChecked());

    QTest::mouseClick(Item<QCheckBox>(CTerminal::IDC_DISABLE_POLLING), Qt::LeftButton);
    EXPECT_EQ(terminal->m_nDisablePolling, 0);
    EXPECT_EQ(Setting("LastConfig", "DisablePolling"), 0);
    QTest::mouseClick(Item<QCheckBox>(CTerminal::IDC_DISABLE_ERROR_CHECK), Qt::LeftButton);
    EXPECT_EQ(link->m_bCheckErrorDisabled, 1);
    EXPECT_EQ(Setting("Communications", "CheckErrorDisabled"), 1);
    QTest::mouseClick(Item<QCheckBox>(CTerminal::IDC_DISABLE_ERROR_CHECK), Qt::LeftButton);
    EXPECT_EQ(link->m_bCheckErrorDisabled, 0);
    EXPECT_EQ(Setting("Communications", "CheckErrorDisabled"), 0);

    settings.values["LastConfig/DisablePolling"] = 2;
    settings.values["LastConfig/PollingTime"] = 3;
    settings.values["Communications/CheckErrorDisabled"] = 1;
    auto other = Open();
    EXPECT_EQ(other->m_nDisablePolling, 0);
    EXPECT_EQ(other->m_nPollingTime, CTerminal::kMinPollingTimeMs);
    EXPECT_EQ(other->m_nDisableErrorCheck, 1);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(wnd::GetDlgItem(other.get(), CTerminal::IDC_DISABLE_ERROR_CHECK))->isChecked());
}

// Example failure: Enter in the period field does not take the period, the timers are not
// restarted, a period of a few ms is taken, or an empty field sets 0.
TEST_F(TerminalWindow, PollingPeriodIsTakenWhenTheFieldIsLeft)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDOK;
    });

    TypePeriod("250");
    EXPECT_FALSE(PollingTime()->hasFocus());
    EXPECT_EQ(terminal->m_nPollingTime, 250);
    EXPECT_EQ(Setting("LastConfig", "PollingTime"), 250);
    EXPECT_EQ(mainWindow.timerResets, 1);

    TypePeriod("5");
    EXPECT_EQ(terminal->m_nPollingTime, 10);
    EXPECT_EQ(PollingTime()->text(), "10");
    EXPECT_EQ(Setting("LastConfig", "PollingTime"), 10);
    EXPECT_EQ(mainWindow.timerResets, 2);
    EXPECT_TRUE(boxes.empty());

    TypePeriod("");
    EXPECT_EQ(boxes, std::vector<QString>{"Please enter an integer."});
    EXPECT_EQ(terminal->m_nPollingTime, 10);
    EXPECT_EQ(PollingTime()->text(), "10");
    EXPECT_EQ(mainWindow.timerResets, 3);

    // Leaving the field for the command line takes the period too; letters cannot be typed.
    PollingTime()->setFocus();
    PollingTime()->selectAll();
    QTest::keyClicks(PollingTime(), "3x00");
    CommandLine()->setFocus();
    EXPECT_EQ(terminal->m_nPollingTime, 300);
    EXPECT_EQ(mainWindow.timerResets, 4);
}

// Example failure: a refused write whose error dialog the operator leaves with "Disable Error
// Checking" does not tick the box, or the box's state is lost when the terminal goes.
TEST_F(TerminalWindow, ErrorDialogTicksDisableErrorChecking)
{
    link->SetCheckErrorDisabled(false);
    link->SetIdentified(false);
    windowHost.dialogAnswer = kIdCancel;
    Refuse(0x051C, 0x15, 0x04);
    Type("trgFrm 7");
    EXPECT_EQ(windowHost.dialogs.size(), 1u);
    EXPECT_TRUE(Item<QCheckBox>(CTerminal::IDC_DISABLE_ERROR_CHECK)->isChecked());
    EXPECT_EQ(terminal->m_nDisableErrorCheck, 1);
    EXPECT_EQ(link->m_bCheckErrorDisabled, 1);

    link->SetMainWindow(&host);
    terminal.reset();
    EXPECT_EQ(Setting("Communications", "CheckErrorDisabled"), 1);
}

// Example failure: closing destroys or hides the terminal on its own (the main window's menu
// check goes stale), the main window is not told, or Escape closes the window.
TEST_F(TerminalWindow, CloseAsksTheMainWindowAndEscapeDoesNothing)
{
    QTest::keyClick(CommandLine(), Qt::Key_Escape);
    EXPECT_TRUE(terminal->isVisible());

    EXPECT_FALSE(terminal->close());
    EXPECT_TRUE(terminal->isVisible());
    EXPECT_TRUE(mainWindow.commands.empty());
    QApplication::processEvents();
    EXPECT_EQ(mainWindow.commands, std::vector<wnd::WPARAM>{CTerminal::ID_COMMAND_TERMINAL});
    EXPECT_FALSE(terminal->isVisible());
}

// Example failure: the template's units are fixed for a narrower dialog font, so "Disable
// Polling", "Polling Time:" (over its field) and "Disable Error Checking" are cut; or a larger
// default font cuts them again.
TEST_F(TerminalWindow, EveryLabelIsWholeAtTheDefaultFont)
{
    const QFont standard = QApplication::font();
    QFont large = standard;
    large.setPointSizeF(standard.pointSizeF() * 1.5);
    for (const QFont& font : {standard, large}) {
        SCOPED_TRACE(font.toString().toStdString());
        QApplication::setFont(font);
        const std::unique_ptr<CTerminal> window = Open();
        SaveShot(window.get(), font == standard ? "command-terminal" : "command-terminal-large-font");
        for (const CutText& cut : CutTexts(window.get()))
            ADD_FAILURE() << '"' << cut.text << "\" has " << cut.room << " px for " << cut.needed;
        EXPECT_EQ(OverlappingControls(window.get()), std::vector<std::string>{});
    }
    QApplication::setFont(standard);
}

// Example failure: the command line or output does not follow the window's size.
TEST_F(TerminalWindow, LayoutFollowsTheWindowSize)
{
    terminal->resize(600, 400);
    const QRect command = CommandLine()->geometry();
    const QRect output = Output()->geometry();
    EXPECT_EQ(command.width(), 600 - 2 * command.left());
    EXPECT_EQ(command.top(), 400 - command.height() - 10);
    EXPECT_EQ(output.width(), 600 - 2 * output.left());
    EXPECT_EQ(output.top() + output.height(), command.top() - 2);
}

// ---- what a typed line writes, on a configuration's whole catalogue ----

/// The terminal over the emulated camera with the parameters of a built-in configuration, as
/// the main window builds them.
class TerminalOverCatalogue : public TerminalWindow {
protected:
    void UseConfiguration(int config)
    {
        const RegisterMapPtr document = LoadRegisterMapForRow(config, exeFolder.Path(), nullptr);
        ASSERT_TRUE(document);
        const CatalogueBuildResult built =
            BuildCatalogueForLink(*link, document, false, config == 7 ? KelmirCatalogue() : MachineVisionCatalogue());
        ASSERT_TRUE(built.built);
        ClearOutput();
        emu.ClearFrames();
    }

    /// The operator selects what the command line holds, types the line over it and presses Enter.
    void TypeOver(const std::string& text)
    {
        emu.ClearFrames();
        windowHost.appBoxes.clear();
        ClearOutput();
        QLineEdit* line = CommandLine();
        line->setFocus();
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        if (text.empty())
            QTest::keyClick(line, Qt::Key_Backspace);
        else
            QTest::keyClicks(line, QString::fromStdString(text));
        QTest::keyClick(line, Qt::Key_Return);
    }
};

// Example failure: a value outside the parameter's range is written masked (300 as 44, -5 as
// 251, 20000 as 3616) or below the minimum; a read-only status field is written, clearing its
// neighbours; a short name writes to the first of several commands it begins; a failure is
// answered with silence, with a read of the first parameter, or with the wrong reason; a raw
// frame is checked like a parameter; a write the camera refuses is closed as if it was taken.
TEST_F(TerminalOverCatalogue, TypedLinesWriteOnlyWhatWasMeant)
{
    constexpr int kMachineVision = 4;
    constexpr int kKelmir = 7;
    const struct {
        int config;
        const char* typed;
        std::vector<Bytes> frames;  ///< what the camera receives
        const char* shown;          ///< the terminal's reply when the line is refused; null when it ran
        bool cameraRefuses = false;  ///< the camera refuses the frame
    } rows[] = {
        // Values outside minimum..maximum, next to the edges that are written.
        {kMachineVision, "ruConfig 300", {}, "Value <300> is outside 0..255; nothing was written"},
        {kMachineVision, "ruConfig -5", {}, "Value <-5> is outside 0..255; nothing was written"},
        {kMachineVision, "ruConfig 255", {{0x57, 0x60, 0x5C, 0x00, 0x00, 0x00, 0xFF}}, nullptr},
        {kMachineVision, "iStepVal 0", {}, "Value <0> is outside 1..255; nothing was written"},
        {kMachineVision, "iStepVal 1", {{0x57, 0x62, 0x00, 0x00, 0x00, 0x00, 0x01}}, nullptr},
        {kMachineVision, "maoiW 20000", {}, "Value <20000> is outside 0..16383; nothing was written"},
        {kMachineVision, "maoiW 0x3FFF", {{0x57, 0x02, 0x28, 0x00, 0x00, 0x3F, 0xFF}}, nullptr},
        {kMachineVision, "0x57605C0000012C", {{0x57, 0x60, 0x5C, 0x00, 0x00, 0x01, 0x2C}}, nullptr},
        // Read-only fields are read, never written.
        {kMachineVision, "agcMin 1", {}, "Command <agcMin> is read-only; nothing was written"},
        {kMachineVision, "agcMin", {{0x52, 0x60, 0xA0}}, nullptr},
        // A write takes the exact command or the only one the name begins; a read the earliest.
        {kMachineVision, "o 5", {},
         "Command <o> is the start of several: o1A o1B o1C o1D o2A o2B o2C o2D o3A o3B o3C o3D o4A o4B o4C o4D"
         " outFmt out1Pol out1Map; nothing was written"},
        {kMachineVision, "g1 5", {}, "Command <g1> is the start of several: g1A g1B g1C g1D; nothing was written"},
        {kMachineVision, "o1A 5", {{0x57, 0x00, 0x08, 0x00, 0x00, 0x00, 0x05}}, nullptr},
        {kMachineVision, "ruConf 7", {{0x57, 0x60, 0x5C, 0x00, 0x00, 0x00, 0x07}}, nullptr},
        {kMachineVision, "o", {{0x52, 0x00, 0x08}}, nullptr},
        // Failures say what failed.
        {kMachineVision, "nosuch", {}, "Unknown command <nosuch>; \"help\" lists the commands"},
        {kMachineVision, "nosuch 5", {}, "Unknown command <nosuch>; \"help\" lists the commands"},
        {kMachineVision, "mfgName1 ABCD", {},
         "Command <mfgName1> holds text, which is only read here; nothing was written"},
        {kMachineVision, "", {}, ""},
        {kMachineVision, "0x52GG00", {}, "HEX command: 'G' (character 3 of 52GG00) is not a hexadecimal digit"},
        {kMachineVision, "ruConfig 9", {{0x57, 0x60, 0x5C, 0x00, 0x00, 0x00, 0x09}},
         "Camera refused the write; nothing was written", true},
        {kKelmir, "dpcThres 5000", {}, "Value <5000> is outside 0..4095; nothing was written"},
        {kKelmir, "dpcThres 4095", {{0x57, 0x01, 0xA0, 0x00, 0x00, 0x0F, 0xFF}}, nullptr},
    };
    int config = -1;
    for (const auto& row : rows) {
        if (row.config != config) {
            config = row.config;
            UseConfiguration(config);
            ASSERT_FALSE(HasFatalFailure());
        }
        SCOPED_TRACE(std::to_string(row.config) + ": \"" + row.typed + "\"");
        if (row.cameraRefuses) {
            ASSERT_EQ(row.frames.size(), 1u);
            Refuse(row.frames[0][1] << 8 | row.frames[0][2], 0x15, 0x04);
        }
        TypeOver(row.typed);
        EXPECT_EQ(Frames(), row.frames);
        const Lines output = OutputLines();
        const std::string typed = row.typed;
        if (typed.empty()) {
            EXPECT_EQ(output, Lines{""}) << "an empty line shows nothing";
        } else if (typed.rfind("0x", 0) == 0 && row.shown) {
            // A raw frame that is not sent: the message names the fault, the reply line the result.
            ASSERT_EQ(windowHost.appBoxes.size(), 1u);
            EXPECT_EQ(windowHost.appBoxes[0].text, row.shown);
            EXPECT_EQ(output, (Lines{typed, " ERR = -1<FFFFFFFF>, resp = <0x>  Time: 0.000000ms", "", ""}));
        } else if (row.cameraRefuses) {
            // The link's echo of the frame comes first; the line stays to be sent again.
            ASSERT_GE(output.size(), 2u);
            EXPECT_EQ(output[output.size() - 2], row.shown);
            EXPECT_EQ(std::find(output.begin(), output.end(), ">"), output.end());
            EXPECT_EQ(CommandLine()->text().toStdString(), typed);
        } else if (row.shown) {
            EXPECT_EQ(output, (Lines{typed, "", row.shown, ""}));
            EXPECT_EQ(CommandLine()->text().toStdString(), typed) << "a refused line stays to be corrected";
        } else {
            EXPECT_TRUE(CommandLine()->text().isEmpty());
            ASSERT_GE(output.size(), 2u);
            // A parameter command closes with ">", a raw frame answers on its second line.
            const bool closed = std::find(output.begin(), output.end(), ">") != output.end();
            EXPECT_TRUE(closed || output[1].rfind("OK; err = 0", 0) == 0) << testing::PrintToString(output);
        }
    }
}

}  // namespace
