// The "Download Terminal" dialog as an operator uses it, offscreen over the emulated camera:
// the type box by GuruMode, a whole upload started with the keyboard and the mouse with the
// progress bar reaching its end, the controls locked while it runs, Cancel, a failed run that
// leaves the dialog usable, closing during a run, and a register file with its note box.
#include "tools/CDlgDownloadTerminal.h"

#include "camera/ProtocolFixture.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/MessageBox.h"
#include "support/TempDir.h"
#include "ToolWindowDrive.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

class DownloadTerminalWindow : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        link->m_nConfigIndex = 4;
    }

    void Open(bool guru)
    {
        dialog = std::make_unique<CDlgDownloadTerminal>(nullptr, link.get(), guru, &clock);
        dialog->SetWritePagesFile((files.Path() / "write_pages.txt").string());
        dialog->SetLoadingListener([this](bool on) { loading.push_back(on); });
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <class T>
    T* Item(int id) const
    {
        return DlgItemAs<T>(dialog.get(), id);
    }
    QComboBox* TypeBox() const { return Item<QComboBox>(CDlgDownloadTerminal::IDC_FILE_TYPE); }
    QLineEdit* PathEdit() const { return Item<QLineEdit>(CDlgDownloadTerminal::IDC_FILE_PATH); }
    QPushButton* LoadButton() const { return Item<QPushButton>(CDlgDownloadTerminal::IDC_BT_LOAD); }
    QPushButton* CancelButton() const { return Item<QPushButton>(CDlgDownloadTerminal::IDC_BT_CANCEL); }
    QProgressBar* Progress() const { return Item<QProgressBar>(CDlgDownloadTerminal::IDC_PROGRESS); }
    std::string LogText() const
    {
        return Item<QPlainTextEdit>(CDlgDownloadTerminal::IDC_LOG)->toPlainText().toStdString();
    }

    void ChooseType(const QString& text) { PickByKeyboard(TypeBox(), text); }

    void TypePath(const std::string& path) { TypeInto(PathEdit(), QString::fromStdString(path)); }

    std::string File(const std::string& name, const std::string& text)
    {
        files.Write(name, text);
        return (files.Path() / name).string();
    }

    TempDir files;
    std::unique_ptr<CDlgDownloadTerminal> dialog;
    std::vector<bool> loading;
};

TEST_F(DownloadTerminalWindow, TypeBoxFollowsGuruMode)
{
    Open(false);
    EXPECT_EQ(ComboEntries(TypeBox()), (QStringList{"BPM", "FFC #1", "FFC #2", "LUT #1", "LUT #2", "LUT #3", "LUT #4", "RGS"}));
    EXPECT_EQ(TypeBox()->currentIndex(), 0);
    EXPECT_FALSE(LoadButton()->isEnabled());
    Open(true);
    EXPECT_EQ(ComboEntries(TypeBox()),
              (QStringList{"DPM Factory Space", "BPM Factory Space", "DPM User Space", "BPM User Space", "FFC #1", "FFC #2",
                           "LUT #1", "LUT #2", "LUT #3", "LUT #4", "AFE", "RGS"}));
}

TEST_F(DownloadTerminalWindow, WholeUploadRunsToTheEndOfTheProgressBar)
{
    Open(false);
    const std::string path = File("gamma.lut", ":Table\n0,1\n1,2\n2,3\n");
    ChooseType("LUT #2");
    TypePath(path);
    ASSERT_TRUE(LoadButton()->isEnabled());
    QTest::mouseClick(LoadButton(), Qt::LeftButton);

    // While it runs the operator cannot change what is being written.
    EXPECT_TRUE(dialog->Loading());
    EXPECT_FALSE(TypeBox()->isEnabled());
    EXPECT_FALSE(LoadButton()->isEnabled());
    EXPECT_FALSE(PathEdit()->isEnabled());
    EXPECT_TRUE(CancelButton()->isEnabled());

    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_EQ(Progress()->maximum(), 64);
    EXPECT_EQ(Progress()->value(), 64);
    EXPECT_NE(LogText().find("Writing is done"), std::string::npos);
    EXPECT_EQ(Item<QLineEdit>(CDlgDownloadTerminal::IDC_KB)->text(), "16.00KB / 16.00KB");
    EXPECT_EQ(loading, (std::vector<bool>{true, false}));
    EXPECT_TRUE(TypeBox()->isEnabled());
    EXPECT_TRUE(LoadButton()->isEnabled());
    EXPECT_EQ(emu.FlashBytes(6, 0, 8), (Bytes{0, 0, 0, 1, 0, 0, 0, 2}));
}

TEST_F(DownloadTerminalWindow, CancelAndFailuresLeaveTheDialogUsable)
{
    Open(false);
    const std::string path = File("gamma.lut", ":Table\n0,1\n1,2\n");
    ChooseType("LUT #1");
    TypePath(path);

    // Cancel in the middle of the writes.
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return Progress()->value() >= 3; }));
    QTest::mouseClick(CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->Loading());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(LogText().find("Operation was aborted"), std::string::npos);
    EXPECT_TRUE(LoadButton()->isEnabled());

    // An erase failure ends the run with its message; the next run goes through.
    emu.FailNextFlashCommand(1, 0x04);
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_NE(LogText().find("Error in LUT1 Sector Erase"), std::string::npos);
    EXPECT_TRUE(LoadButton()->isEnabled());
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_NE(LogText().find("Writing is done"), std::string::npos);
    EXPECT_EQ(Progress()->value(), Progress()->maximum());
}

TEST_F(DownloadTerminalWindow, ClosingDuringARunAsksFirst)
{
    std::vector<QString> boxes;
    int answer = wnd::IDNO;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return answer;
    });
    Open(false);
    ChooseType("LUT #3");
    TypePath(File("g.lut", ":Table\n0,1\n"));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(dialog->Loading());

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->Loading());

    answer = wnd::IDYES;
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->Loading());
}

TEST_F(DownloadTerminalWindow, RegisterFileReplaysAndShowsTheResetNote)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDOK;
    });
    std::vector<QString> filters;
    const std::string rgs = File("w.rgs", "57 6034 00000001\r\n52 6014\r\n");
    wnd::ScopedFileDialogHandler files([&](const wnd::FileDialogRequest& r) -> std::optional<QString> {
        filters.push_back(r.filter);
        return QString::fromStdString(rgs);
    });
    Open(false);
    ChooseType("RGS");
    QTest::mouseClick(Item<QPushButton>(CDlgDownloadTerminal::IDC_BROWSE), Qt::LeftButton);
    ASSERT_EQ(filters, (std::vector<QString>{"RGS(*.rgs)|*.rgs||"}));
    EXPECT_EQ(PathEdit()->text().toStdString(), rgs);
    PathEdit()->setFocus();
    QTest::keyClick(PathEdit(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
    EXPECT_EQ(boxes.back().toStdString(), download::UploadEngine::kResetNote);
    EXPECT_NE(LogText().find("Uploading is finished successfully."), std::string::npos);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x6034, 1), ReadFrame(0x6014)}));

    // A path that does not fit the type is refused with its box, and nothing is sent.
    emu.ClearFrames();
    ChooseType("LUT #1");
    TypePath(File("w2.rgs", "52 6014\r\n"));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.back(), "File extension incorrected");
    EXPECT_TRUE(Frames().empty());
}

}  // namespace
