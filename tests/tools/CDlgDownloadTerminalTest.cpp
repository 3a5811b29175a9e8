// The "Download Terminal" dialog as an operator uses it, offscreen over the emulated camera:
// the type box by GuruMode, a whole upload started with the keyboard and the mouse with the
// progress bar reaching its end, the controls locked while it runs, Cancel, a failed run that
// leaves the dialog usable, closing during a run (the run waits for the answer, and a stop
// after the erase writes back the half read to keep), an erase or a write-back the camera does
// not answer tried again until given up, the large-sensor layout it is opened with, and a
// register file with its note box.
#include "tools/CDlgDownloadTerminal.h"

#include "camera/ProtocolFixture.h"
#include "catalogues/ConfigurationTable.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/MessageBox.h"
#include "support/LargeSensorCases.h"
#include "support/TempDir.h"
#include "tools/DownloadParsers.h"
#include "ToolWindowDrive.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
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
        // Opened as the main window opens it: with the configuration's layout.
        dialog = std::make_unique<CDlgDownloadTerminal>(nullptr, link.get(), guru,
                                                        IsLargeSensorForDownload(link->m_nConfigIndex), &clock);
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

// Example failure: a double click on Cancel after the erase stops the run with its first
// click and closes the dialog with its second, and the state of the sector goes with the log.
TEST_F(DownloadTerminalWindow, ADoubleClickOnCancelStillSaysWhatTheSectorHolds)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDOK;
    });
    emu.SetFlashBytes(5, 0, Bytes(0x4000, 0x5A));
    Open(false);
    ChooseType("LUT #1");
    TypePath(File("g.lut", ":Table\n0,1\n1,2\n"));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return Progress()->value() >= 3; }));
    QTest::mouseClick(CancelButton(), Qt::LeftButton);
    QTest::mouseClick(CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("LUT1 Sector is left partly programmed")) << boxes[0].toStdString();
    EXPECT_EQ(emu.FlashBytes(5, 0x3F00, 0x100), Bytes(0x100, 0xFF));
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

// Example failure: the upload goes on behind the question and erases the sector; "No" does
// not resume it; "Yes" after the erase closes at once and leaves the half read back to keep
// erased, with no word of it once the log is gone.
TEST_F(DownloadTerminalWindow, CloseQuestionHoldsTheRunAndAStopKeepsTheHalfReadBack)
{
    std::vector<QString> boxes;
    int answer = wnd::IDNO;
    bool heldStill = false;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        if (box.text.startsWith("An upload is running.")) {
            // The operator takes their time to read the question.
            const int pos = dialog->Engine().ProgressPos();
            const std::size_t frames = emu.Frames().size();
            QTest::qWait(600);
            heldStill = dialog->Engine().ProgressPos() == pos && emu.Frames().size() == frames;
        }
        return answer;
    });
    Bytes before(0x4000);
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<std::uint8_t>(0x11 + i % 200);
    emu.SetFlashBytes(9, 0, before);
    const std::string path = File("f.dcm", "-- Column(X),Row(Y),Width(W)\n:Table\n5,10,1\n6,10,2\n9,300,3\n");
    const Bytes image = download::ParseTableFile(download::kDpmFactory, std::string(download::LoadFileBytes(path).value()),
                                                 false)
                            .value()
                            .bytes;
    const auto startUpload = [&] {
        Open(true);
        ChooseType("DPM Factory Space");
        TypePath(path);
        QTest::mouseClick(LoadButton(), Qt::LeftButton);
        ASSERT_TRUE(dialog->Loading());
    };

    // "No" during the read-back: the run waited, then goes on to the end.
    ASSERT_NO_FATAL_FAILURE(startUpload());
    ASSERT_TRUE(WaitFor([&] { return dialog->Engine().ProgressPos() >= 2; }));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("Nothing is erased yet")) << boxes[0].toStdString();
    EXPECT_TRUE(heldStill) << "the upload went on behind the question";
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_NE(LogText().find("Writing is done"), std::string::npos);
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(image.begin(), image.begin() + 0x2000));
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(before.begin() + 0x2000, before.end()));

    // "Yes" during the read-back: closes at once, nothing erased.
    emu.SetFlashBytes(9, 0, before);
    const int erases = emu.FlashCommandCount(1);
    boxes.clear();
    answer = wnd::IDYES;
    ASSERT_NO_FATAL_FAILURE(startUpload());
    ASSERT_TRUE(WaitFor([&] { return dialog->Engine().ProgressPos() >= 2; }));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(heldStill);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->Loading());
    EXPECT_EQ(boxes.size(), 1u) << "an unchanged sector needs no word after the close";
    EXPECT_EQ(emu.FlashCommandCount(1), erases);
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x4000), before);

    // "Yes" while the file's half is programmed: the kept half is written back, then the
    // dialog closes and says what the sector holds.
    boxes.clear();
    ASSERT_NO_FATAL_FAILURE(startUpload());
    ASSERT_TRUE(WaitFor([&] {
        return dialog->Engine().State() == download::UploadState::Writing && dialog->Engine().ProgressPos() >= 3;
    }));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("DPM Sector is erased") && boxes[0].contains("pages 32-63"))
        << boxes[0].toStdString();
    EXPECT_TRUE(heldStill);
    // Writing back: the dialog stays until it is done, and nothing cuts it short.
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->Engine().Stopping());
    EXPECT_FALSE(CancelButton()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_FALSE(dialog->Loading());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].contains("DPM Sector is left partly programmed") &&
                boxes[1].contains("(pages 32-63) is programmed again as it was"))
        << boxes[1].toStdString();
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(before.begin() + 0x2000, before.end()));
    EXPECT_EQ(emu.FlashBytes(9, 0x1F00, 0x100), Bytes(0x100, 0xFF)) << "the file's last page was never written";
}

// Example failure: the camera goes silent while the half read back to keep is written back,
// and the first page it does not take ends the run: the rest of that half, held nowhere
// else, is gone once the dialog closes; or a second Cancel or Escape gives it up unasked.
TEST_F(DownloadTerminalWindow, AWriteBackTheCameraDoesNotTakeIsTriedAgainUntilGivenUp)
{
    std::vector<QString> boxes;
    int answer = wnd::IDNO;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return answer;
    });
    Bytes before(0x4000);
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<std::uint8_t>(0x21 + i % 190);
    const std::string path = File("f.dcm", "-- Column(X),Row(Y),Width(W)\n:Table\n5,10,1\n9,300,3\n");
    emu::Fault silent;
    silent.kind = emu::FaultKind::Silence;
    const Bytes keptBefore(before.begin() + 0x2000, before.end());

    // Cancel while the file's half is programmed; the camera stops taking page programs.
    const auto stopWhileSilent = [&] {
        emu.SetFlashBytes(9, 0, before);
        Open(true);
        ChooseType("DPM Factory Space");
        TypePath(path);
        QTest::mouseClick(LoadButton(), Qt::LeftButton);
        // The read-back of pages 32-63 fills the bar from empty, not from half way.
        ASSERT_TRUE(WaitFor([&] { return Progress()->value() >= 1; }));
        EXPECT_EQ(Progress()->maximum(), 32);
        EXPECT_LT(Progress()->value(), 32);
        ASSERT_TRUE(WaitFor([&] {
            return dialog->Engine().State() == download::UploadState::Writing && dialog->Engine().ProgressPos() >= 3;
        }));
        emu.SetAddressFault(0x6040, silent);
        QTest::mouseClick(CancelButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return dialog->Engine().Retrying(); }));
        // It keeps trying, and the operator may give up.
        const std::size_t frames = emu.Frames().size();
        ASSERT_TRUE(WaitFor([&] { return emu.Frames().size() > frames + 2; }));
        EXPECT_TRUE(dialog->Loading());
        EXPECT_TRUE(CancelButton()->isEnabled());
        EXPECT_NE(LogText().find("Writing back page #32 failed: write: no answer"), std::string::npos) << LogText();
        EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x100), Bytes(0x100, 0xFF));
    };

    // A second Cancel asks first; "No" goes on trying, and once the camera answers again the
    // kept half is back as it was.
    ASSERT_NO_FATAL_FAILURE(stopWhileSilent());
    QTest::mouseClick(CancelButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("pages 32-63 are not written yet") && boxes[0].contains("Stopping now loses them"))
        << boxes[0].toStdString();
    EXPECT_TRUE(dialog->Engine().Retrying());
    emu.SetAddressFault(0x6040, emu::Fault{});
    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(LogText().find("The camera takes the pages again."), std::string::npos) << LogText();
    EXPECT_NE(LogText().find("(pages 32-63) is programmed again as it was"), std::string::npos) << LogText();
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), keptBefore);

    // Escape while it fails, answered "Yes": the dialog closes and says which kept pages are
    // lost, and those pages are indeed erased.
    boxes.clear();
    ASSERT_NO_FATAL_FAILURE(stopWhileSilent());
    answer = wnd::IDYES;
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_FALSE(dialog->Loading());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].contains("Of the half read back to keep (pages 32-63), pages 32-63 are lost"))
        << boxes[1].toStdString();
    emu.SetAddressFault(0x6040, emu::Fault{});
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(0x2000, 0xFF));
}

// Example failure: one lost answer to the erase ends the run and the half read back to keep
// goes with it; or Cancel gives the erase up without a word of what that loses.
TEST_F(DownloadTerminalWindow, AnEraseTheCameraDoesNotAnswerIsSentAgainUntilGivenUp)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDNO;
    });
    Bytes before(0x4000);
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<std::uint8_t>(0x31 + i % 170);
    emu.SetFlashBytes(9, 0, before);
    emu::Fault silent;
    silent.kind = emu::FaultKind::Silence;
    Open(true);
    ChooseType("DPM Factory Space");
    TypePath(File("f.dcm", "-- Column(X),Row(Y),Width(W)\n:Table\n5,10,1\n"));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return dialog->Engine().State() == download::UploadState::Erasing; }));
    emu.SetAddressFault(0x6040, silent);
    ASSERT_TRUE(WaitFor([&] { return dialog->Engine().Retrying(); }));

    // The first Cancel asks for a stop, which waits on the erase; the second asks first.
    QTest::mouseClick(CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(dialog->Engine().Stopping());
    ASSERT_TRUE(CancelButton()->isEnabled());
    QTest::mouseClick(CancelButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("DPM Sector may be partly erased") &&
                boxes[0].contains("Stopping now loses the half read back to keep (pages 32-63)"))
        << boxes[0].toStdString();
    EXPECT_TRUE(dialog->Engine().Retrying());

    // The camera answers again: the erase is sent again, then the kept half written back.
    emu.SetAddressFault(0x6040, emu::Fault{});
    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_NE(LogText().find("(pages 32-63) is programmed again as it was"), std::string::npos) << LogText();
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(before.begin() + 0x2000, before.end()));
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), Bytes(0x2000, 0xFF));
}

// Example failure: the program ends on a signal (a logout) while the file's half is being
// programmed: the dialog goes with its run, and the half read back to keep stays erased.
TEST_F(DownloadTerminalWindow, TheDialogGoingMidRunStillWritesBackTheKeptHalf)
{
    Bytes before(0x4000);
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<std::uint8_t>(0x41 + i % 150);
    emu.SetFlashBytes(9, 0, before);
    Open(true);
    ChooseType("DPM Factory Space");
    TypePath(File("f.dcm", "-- Column(X),Row(Y),Width(W)\n:Table\n5,10,1\n"));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] {
        return dialog->Engine().State() == download::UploadState::Writing && dialog->Engine().ProgressPos() >= 3;
    }));
    dialog.reset();
    EXPECT_EQ(loading, (std::vector<bool>{true, false}));
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(before.begin() + 0x2000, before.end()));
    EXPECT_EQ(emu.FlashBytes(9, 0x1F00, 0x100), Bytes(0x100, 0xFF));
    emu.ClearFrames();
    QTest::qWait(100);
    EXPECT_TRUE(Frames().empty());
}

// Example failure: the terminal ignores the layout it is opened with, so on configuration 10
// (large for the terminal) a flat-field upload writes the small layout (Y at 0x4000, X thinned
// to 4096, 128 pages).
TEST_F(DownloadTerminalWindow, LargeSensorRuleByConfiguration)
{
    for (const LargeSensorCase& c : kLargeSensorCases) {
        CDlgDownloadTerminal probe(nullptr, link.get(), true, IsLargeSensorForDownload(c.config), &clock);
        EXPECT_EQ(probe.LargeSensor(), c.terminal) << "configuration " << c.config;
    }

    link->m_nConfigIndex = 10;
    std::string ffc = ":FFC_X\n";
    for (int i = 0; i < 6000; ++i)
        ffc += std::to_string(i) + "," + std::to_string(i + 1) + "\n";
    ffc += ":FFC_Y\n0,77\n";
    const int programs = emu.FlashCommandCount(3);
    Open(true);
    ChooseType("FFC #1");
    TypePath(File("c10.ffc", ffc));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !dialog->Loading(); }));
    EXPECT_NE(LogText().find("Writing of 192 pages to FFC1 Sector"), std::string::npos) << LogText();
    EXPECT_EQ(emu.FlashCommandCount(3) - programs, 192);
    // X whole (6000 values fit 8192), Y after 0x8000.
    EXPECT_EQ(emu.FlashBytes(11, 4 * 5999, 4), (Bytes{0, 0, 0x17, 0x70}));
    EXPECT_EQ(emu.FlashBytes(11, 0x8000, 4), (Bytes{0, 0, 0, 77}));
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

    // A file past the size limit is called too large, not unopenable.
    const std::string huge = File("huge.lut", ":Table\n0,1\n");
    std::filesystem::resize_file(huge, download::kMaxFileBytes + 1);
    TypePath(huge);
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes.back().contains("is too large")) << boxes.back().toStdString();
    EXPECT_NE(LogText().find("too large"), std::string::npos) << LogText();
    EXPECT_TRUE(Frames().empty());
}

// Example failure: closing the window in the middle of a register file leaves the camera in
// supervisor mode with its error checking off.
TEST_F(DownloadTerminalWindow, ClosingMidRegisterFileTakesTheCameraBackFirst)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDYES;
    });
    std::string lines = "57 6014 5E17C4B2\r\n57 6034 00000001\r\n";
    for (int i = 0; i < 200; ++i)
        lines += "57 6038 00000002\r\n";
    lines += "57 6034 00000000\r\n57 6014 00000000\r\n";
    Open(false);
    ChooseType("RGS");
    TypePath(File("long.rgs", lines));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return emu.Register(0x6034) != 0; }));
    ASSERT_TRUE(dialog->Loading());

    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].contains("The register commands not yet sent are left out.")) << boxes[0].toStdString();
    ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    EXPECT_FALSE(dialog->Loading());
    EXPECT_EQ(emu.Register(0x6034), 0u);
    EXPECT_EQ(emu.Register(0x6014), 0u);
    const std::vector<Bytes> frames = Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames.back(), WriteFrame(0x6014, 0));
    EXPECT_LT(frames.size(), 200u) << "the file did not run on to its end";

    // A camera that takes none of the closing lines: the box says what it may be left in.
    boxes.clear();
    Open(false);
    ChooseType("RGS");
    TypePath(File("long.rgs", lines));
    QTest::mouseClick(LoadButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return emu.Register(0x6034) != 0; }));
    for (int i = 0; i < 8; ++i)
        Silence(0x6034);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(CancelButton()->isEnabled()) << "the closing lines go first";
    // Once the camera does not take them, a second Escape asks, and "Yes" gives them up.
    ASSERT_TRUE(WaitFor([&] { return CancelButton()->isEnabled(); }));
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
    ASSERT_EQ(boxes.size(), 3u) << "the state is told once";
    EXPECT_TRUE(boxes[1].contains("Stopping now may leave it in supervisor mode with its error checking off."))
        << boxes[1].toStdString();
    EXPECT_EQ(boxes[2].toStdString(), rgs::ClosingRefusedText({.supervisor = true, .checkingOff = true}));
}

}  // namespace
