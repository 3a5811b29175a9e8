// The "Bad Pixel Map" dialog as an operator uses it, offscreen over the emulated camera: the
// space box by GuruMode and the first space read on opening, a pixel typed and spun into the
// edits and added with the mouse while the controls stay locked and the progress runs, the
// list saved through the save dialog into a table the download terminal reads back, a silent
// camera reported without losing the dialog, and pages the camera does not take tried again.
#include "tools/CDlgDPM.h"

#include "camera/ProtocolFixture.h"
#include "catalogues/ConfigurationTable.h"
#include "controls/CUpDownCtrl.h"
#include "controls/DlgItem.h"
#include "controls/FileDialog.h"
#include "controls/MessageBox.h"
#include "support/LabelFit.h"
#include "support/LargeSensorCases.h"
#include "support/TempDir.h"
#include "tools/DownloadParsers.h"

#include "ToolWindowDrive.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

Bytes WordBytes(const std::vector<std::uint32_t>& words)
{
    Bytes bytes;
    for (std::uint32_t w : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(w >> shift));
    return bytes;
}

class BadPixelMapWindow : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        link->m_nConfigIndex = 4;
        for (int sector : {9, 10})
            emu.SetFlashBytes(sector, 0, Bytes(0x10000, 0));
        // BPM factory: pixels 5 and 6 of row 10 in one word; DPM user: pixel 7 of row 12.
        emu.SetFlashBytes(10, 0, WordBytes({defect::MakeDefectWord(true, true, 5, 10, 1)}));
        emu.SetFlashBytes(9, 0x2000, WordBytes({defect::MakeDefectWord(false, true, 7, 12, 1)}));
    }

    void Open(bool guru)
    {
        // Opened as the main window opens it: with the configuration's sensor size.
        dialog = std::make_unique<CDlgDPM>(nullptr, link.get(), guru, IsLargeSensor47M(link->m_nConfigIndex), &clock);
        dialog->SetBusyListener([this](bool on) { busy.push_back(on); });
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        ASSERT_TRUE(WaitFor([&] { return !busy.empty() && !dialog->Busy(); }));
    }

    template <class T>
    T* Item(int id) const
    {
        return DlgItemAs<T>(dialog.get(), id);
    }
    QComboBox* MapType() const { return Item<QComboBox>(CDlgDPM::IDC_MAP_TYPE); }
    QTableWidget* List() const { return Item<QTableWidget>(CDlgDPM::IDC_LIST); }
    QPushButton* Button(int id) const { return Item<QPushButton>(id); }

    /// The list as shown: one "Num X Y C" text per row.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> rows;
        for (int r = 0; r < List()->rowCount(); ++r) {
            std::string row;
            for (int c = 0; c < 4; ++c)
                row += (c ? " " : "") + List()->item(r, c)->text().toStdString();
            rows.push_back(row);
        }
        return rows;
    }

    void ChooseSpace(const QString& text)
    {
        PickByKeyboard(MapType(), text);
        ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
    }

    /// Replaces the edit's text by typing, then Enter (which must not close the dialog).
    void Type(int editId, const QString& text)
    {
        TypeInto(Item<QLineEdit>(editId), text);
        QTest::keyClick(Item<QLineEdit>(editId), Qt::Key_Return);
    }

    std::unique_ptr<CDlgDPM> dialog;
    std::vector<bool> busy;
};

// Example failure: the plain box offers the DPM or flat-field spaces, the first space is not
// read on opening, or a paired word shows one pixel.
TEST_F(BadPixelMapWindow, OpensWithTheSpacesOfItsModeAndReadsTheFirst)
{
    Open(false);
    EXPECT_EQ(ComboEntries(MapType()), (QStringList{"BPM Factory Space", "BPM User Space"}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 5 10 1", "1 6 10 1"}));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(List()->horizontalHeaderItem(1)->text(), "X ");
    EXPECT_TRUE(Button(CDlgDPM::IDC_ADD_PIXEL)->isEnabled());

    Open(true);
    EXPECT_EQ(ComboEntries(MapType()),
              (QStringList{"DPM Factory Space", "BPM Factory Space", "DPM User Space", "BPM User Space", "FFC X Factory Space",
                           "FFC Y Factory Space", "FFC X User Space", "FFC Y User Space", "AFE Space"}));
    EXPECT_TRUE(Shown().empty());
    ChooseSpace("DPM User Space");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 7 12 1"}));
    // Only defect lists take a pixel.
    ChooseSpace("FFC X User Space");
    EXPECT_FALSE(Button(CDlgDPM::IDC_ADD_PIXEL)->isEnabled());
    EXPECT_TRUE(Button(CDlgDPM::IDC_SAVE_TO_FILE)->isEnabled());
    std::vector<CutText> cut = CutTexts(dialog.get());
    EXPECT_TRUE(cut.empty()) << cut.front().text;
    EXPECT_TRUE(OverlappingControls(dialog.get()).empty());
}

// Example failure: the typed values are not the ones added, Enter closes the dialog, the
// controls can be used while the sector is rewritten, the progress does not move, or the saved
// table does not give the camera's words back.
TEST_F(BadPixelMapWindow, OperatorAddsAPixelAndSavesTheTable)
{
    Open(true);
    ChooseSpace("DPM User Space");
    Type(CDlgDPM::IDC_EDIT_X, "7");
    EXPECT_TRUE(dialog->isVisible());
    Type(CDlgDPM::IDC_EDIT_Y, "11");
    // One click on the Y spin's upper arrow: row 12.
    auto* spinY = Item<CUpDownCtrl>(CDlgDPM::IDC_SPIN_Y);
    QTest::mouseClick(spinY, Qt::LeftButton, {}, QPoint(spinY->width() / 2, spinY->height() / 4));
    EXPECT_EQ(Item<QLineEdit>(CDlgDPM::IDC_EDIT_Y)->text(), "12");

    // That pixel is listed already: nothing is written.
    emu.ClearFrames();
    QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
    EXPECT_FALSE(dialog->Busy());
    EXPECT_TRUE(Frames().empty());
    EXPECT_NE(Item<QLabel>(CDlgDPM::IDC_WAIT_TEXT)->text().indexOf("already"), -1);

    Type(CDlgDPM::IDC_EDIT_X, "8");
    busy.clear();
    QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
    ASSERT_TRUE(dialog->Busy());
    EXPECT_FALSE(MapType()->isEnabled());
    EXPECT_FALSE(Button(CDlgDPM::IDC_ADD_PIXEL)->isEnabled());
    EXPECT_FALSE(Button(CDlgDPM::IDC_SAVE_TO_FILE)->isEnabled());
    EXPECT_FALSE(Button(CDlgDPM::IDC_CLOSE)->isEnabled());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);  // a sector being rewritten is not left half done
    EXPECT_TRUE(dialog->isVisible());
    // The wait text and the progress over the read-back, the erase and both halves' pages.
    auto* progress = Item<QProgressBar>(CDlgDPM::IDC_PROGRESS);
    EXPECT_EQ(Item<QLabel>(CDlgDPM::IDC_WAIT_TEXT)->text(), "Adding the bad pixel to DPM User Space.\nWait please...");
    EXPECT_EQ(progress->maximum(), 32 + 1 + 32 + 32);
    EXPECT_EQ(progress->value(), 0);
    SaveShot(dialog.get(), "bad_pixel_map_adding");
    ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 7 12 1", "1 8 12 1"}));
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 8), WordBytes({defect::MakeDefectWord(true, true, 7, 12, 1), 0}));
    EXPECT_TRUE(MapType()->isEnabled());

    // A pixel of an earlier row comes first in the list read anew.
    Type(CDlgDPM::IDC_EDIT_X, "3");
    Type(CDlgDPM::IDC_EDIT_Y, "5");
    QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 3 5 1", "2 7 12 1", "2 8 12 1"}));
    SaveShot(dialog.get(), "bad_pixel_map");

    TempDir folder;
    const std::string path = (folder.Path() / "user.dcm").string();
    std::vector<wnd::FileDialogRequest> requests;
    wnd::ScopedFileDialogHandler files([&](const wnd::FileDialogRequest& r) -> std::optional<QString> {
        requests.push_back(r);
        return QString::fromStdString(path);
    });
    QTest::mouseClick(Button(CDlgDPM::IDC_SAVE_TO_FILE), Qt::LeftButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].filter, "Dead Pixels Map File(*.dcm)|*.dcm||");
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "-- Column(X),Row(Y),Width(W)\r\n:Table\r\n3,5,1\r\n7,12,1\r\n8,12,1\r\n");
    const auto parsed = download::ParseDefectTable(download::kDpmUser, text.str(), false);
    ASSERT_TRUE(parsed.ok()) << parsed.error().Message();
    EXPECT_EQ(Bytes(parsed.value().bytes.begin() + 0x2000, parsed.value().bytes.end()), emu.FlashBytes(9, 0x2000, 0x2000));

    QTest::mouseClick(Button(CDlgDPM::IDC_CLOSE), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

// Example failure: a silent camera leaves the dialog hanging or shows nothing, a list cut short
// is saved as a table that looks whole, a typed row past the 13-bit field is kept, or a table
// that cannot be written is reported as saved.
TEST_F(BadPixelMapWindow, FailuresAreShownAndTheDialogStaysUsable)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDOK;
    });
    Open(false);
    ASSERT_TRUE(boxes.empty());

    Silence(0x6044);
    ChooseSpace("BPM User Space");
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
    EXPECT_NE(boxes.back().indexOf("Reading of BPM User Space stopped at page #128"), -1) << boxes.back().toStdString();
    EXPECT_FALSE(emu.SupervisorMode());
    // The list is incomplete: adding would lose the pixels not read.
    QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
    EXPECT_NE(boxes.back().indexOf("not read completely"), -1);
    EXPECT_FALSE(dialog->Busy());
    // Saving it would give a table that looks whole: asked first, and "No" saves nothing.
    int fileDialogs = 0;
    {
        wnd::ScopedFileDialogHandler noFile([&](const wnd::FileDialogRequest&) -> std::optional<QString> {
            ++fileDialogs;
            return std::nullopt;
        });
        QTest::mouseClick(Button(CDlgDPM::IDC_SAVE_TO_FILE), Qt::LeftButton);
    }
    EXPECT_NE(boxes.back().indexOf("BPM User Space was not read completely"), -1) << boxes.back().toStdString();
    EXPECT_NE(boxes.back().indexOf("Save it all the same?"), -1);
    EXPECT_EQ(fileDialogs, 0);

    // Back to a space that reads; a row beyond 8191 is held at 8191.
    ChooseSpace("BPM Factory Space");
    EXPECT_EQ(Shown().size(), 2u);
    Type(CDlgDPM::IDC_EDIT_Y, "9000");
    EXPECT_EQ(Item<QLineEdit>(CDlgDPM::IDC_EDIT_Y)->text(), "8191");

    wnd::ScopedFileDialogHandler files(
        [&](const wnd::FileDialogRequest&) -> std::optional<QString> { return QString("/nonexistent/dir/t.bcm"); });
    const std::size_t before = boxes.size();
    QTest::mouseClick(Button(CDlgDPM::IDC_SAVE_TO_FILE), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), before + 1);
    EXPECT_NE(boxes.back().indexOf("could not be saved"), -1);
    EXPECT_TRUE(dialog->isVisible());
}


// Example failure: the camera stops taking page programs after the erase, and the rest of the
// space and the other half's list, held nowhere else, are skipped and lost; or Close gives
// them up unasked.
TEST_F(BadPixelMapWindow, PagesTheCameraDoesNotTakeAreTriedAgainUntilGivenUp)
{
    std::vector<QString> boxes;
    int answer = wnd::IDNO;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return answer;
    });
    // DPM factory, the half kept: two pixels.
    emu.SetFlashBytes(9, 0, WordBytes({defect::MakeDefectWord(false, true, 3, 3, 1), defect::MakeDefectWord(true, false, 9, 4, 2)}));
    const Bytes factory = emu.FlashBytes(9, 0, 0x2000);
    emu::Fault silent;
    silent.kind = emu::FaultKind::Silence;
    Open(true);
    ChooseSpace("DPM User Space");

    const auto addWhileSilent = [&](const char* x) {
        Type(CDlgDPM::IDC_EDIT_X, x);
        Type(CDlgDPM::IDC_EDIT_Y, "20");
        // The first page program fails; from then on the camera does not answer them.
        emu.FailNextFlashCommand(3, 0x04);
        QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return dialog->Engine().StepFailing(); }));
        emu.SetAddressFault(0x6040, silent);
        const std::size_t frames = emu.Frames().size();
        ASSERT_TRUE(WaitFor([&] { return emu.Frames().size() > frames + 2; }));
        EXPECT_TRUE(dialog->Engine().StepFailing());
        EXPECT_TRUE(Button(CDlgDPM::IDC_CLOSE)->isEnabled());
        EXPECT_NE(Item<QLabel>(CDlgDPM::IDC_WAIT_TEXT)->text().indexOf("Programming page #32 of DPM Sector failed"), -1)
            << Item<QLabel>(CDlgDPM::IDC_WAIT_TEXT)->text().toStdString();
    };

    // Close asks; "No" goes on trying, and once the camera answers the add goes through.
    ASSERT_NO_FATAL_FAILURE(addWhileSilent("11"));
    QTest::mouseClick(Button(CDlgDPM::IDC_CLOSE), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].indexOf("pages 32-63 of this space (the other space, pages 0-31, is programmed after them) are "
                               "not written yet"),
              -1)
        << boxes[0].toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->Engine().StepFailing());
    emu.SetAddressFault(0x6040, emu::Fault{});
    ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
    EXPECT_EQ(boxes.size(), 1u) << boxes.back().toStdString();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 7 12 1", "2 11 20 1"}));
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), factory);

    // Escape, "Yes": this space's pages are given up, the other half is still written once
    // the camera answers, and the box says what was given up.
    boxes.clear();
    answer = wnd::IDYES;
    ASSERT_NO_FATAL_FAILURE(addWhileSilent("13"));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
    // Now the other half's first page fails in its turn and is tried again.
    ASSERT_TRUE(WaitFor([&] {
        return dialog->Engine().CurrentPhase() == dpm::Phase::ProgrammingOther && dialog->Engine().StepFailing();
    }));
    emu.SetAddressFault(0x6040, emu::Fault{});
    ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].indexOf("pages 32-63 of this space were given up"), -1) << boxes[1].toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), factory);
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 0x2000), Bytes(0x2000, 0xFF));
}

// Example failure: the program ends on a signal while the sector is being rewritten after its
// erase: the dialog goes with its run and both lists stay erased.
TEST_F(BadPixelMapWindow, TheDialogGoingMidWriteStillWritesBothLists)
{
    emu.SetFlashBytes(9, 0, WordBytes({defect::MakeDefectWord(false, true, 3, 3, 1)}));
    const Bytes factory = emu.FlashBytes(9, 0, 0x2000);
    Open(true);
    ChooseSpace("DPM User Space");
    Type(CDlgDPM::IDC_EDIT_X, "11");
    Type(CDlgDPM::IDC_EDIT_Y, "20");
    // The first page program is not taken, which holds the add after the erase.
    emu.FailNextFlashCommand(3, 0x04);
    QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return dialog->Engine().StepFailing(); }));
    dialog.reset();
    EXPECT_EQ(busy.back(), false);
    EXPECT_EQ(emu.FlashBytes(9, 0, 0x2000), factory);
    EXPECT_EQ(emu.FlashBytes(9, 0x2000, 12),
              WordBytes({defect::MakeDefectWord(false, true, 7, 12, 1), defect::MakeDefectWord(false, true, 11, 20, 1), 0}));
    EXPECT_FALSE(emu.SupervisorMode());
}

// Example failure: a number typed past an edit's range is held at the limit when the click on
// Add takes the focus, or an edit emptied or typed without a number keeps its last value, so
// another pixel than the one typed is written to the camera; or a value the operator saw held
// after Enter is refused.
TEST_F(BadPixelMapWindow, PixelTypedOutsideTheRangeIsRefusedOnAdd)
{
    std::vector<QString> boxes;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return wnd::IDOK;
    });
    Open(false);
    const Bytes flash = emu.FlashBytes(10, 0, 0x10000);
    struct Case {
        const char* name;
        QString x, y;
        const char* shown;  // the pixel named in the message
    };
    const Case cases[] = {
        {"row past the 13-bit field", "5", "9000", "Pixel 5,9000 is outside"},
        {"column past a small sensor's field", "9000", "5", "Pixel 9000,5 is outside"},
        {"column 0", "0", "7", "Pixel 0,7 is outside"},
        {"column emptied", "", "7", "<> typed for X is no number"},
        {"row in letters", "4", "ab", "<ab> typed for Y is no number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TypeInto(Item<QLineEdit>(CDlgDPM::IDC_EDIT_X), c.x);
        TypeInto(Item<QLineEdit>(CDlgDPM::IDC_EDIT_Y), c.y);
        emu.ClearFrames();
        boxes.clear();
        QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
        EXPECT_FALSE(dialog->Busy());
        EXPECT_TRUE(Frames().empty());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].indexOf(c.shown), -1) << boxes[0].toStdString();
    }
    EXPECT_EQ(emu.FlashBytes(10, 0, 0x10000), flash);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 5 10 1", "1 6 10 1"}));

    // Enter shows the row held at 8191: the operator saw it, and Add takes it.
    Type(CDlgDPM::IDC_EDIT_X, "3");
    Type(CDlgDPM::IDC_EDIT_Y, "9000");
    EXPECT_EQ(Item<QLineEdit>(CDlgDPM::IDC_EDIT_Y)->text(), "8191");
    boxes.clear();
    QTest::mouseClick(Button(CDlgDPM::IDC_ADD_PIXEL), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 5 10 1", "1 6 10 1", "2 3 8191 1"}));
}

// Example failure: an AFE word's number and offset, or the separator's name, are cut off in
// their 55-pixel column, so the operator cannot tell which word of the sector a row is; the
// status counts the separator, section and empty rows as if they were read from the camera.
TEST_F(BadPixelMapWindow, ListShowsWholeTextsAndCountsWhatWasRead)
{
    link->m_nConfigIndex = 5;  // a large sensor: bottom-up lists
    for (int sector : {12, 13})
        emu.SetFlashBytes(sector, 0, Bytes(0x10000, 0));
    std::vector<std::uint32_t> words;
    for (std::uint32_t i = 0; i < 130; ++i)
        words.push_back(0x00100020u + i);
    emu.SetFlashBytes(13, 0x2000, WordBytes(words));
    emu.SetFlashBytes(13, 0xE000, WordBytes(std::vector<std::uint32_t>(128, 0xABCD0001u)));
    emu.SetFlashBytes(10, 0x4000, WordBytes({defect::MakeDefectWord(false, true, 16001, 8000, 7)}));
    Open(true);
    auto* status = Item<QLabel>(CDlgDPM::IDC_WAIT_TEXT);

    auto cellsCut = [&] {
        std::vector<std::string> cut;
        const QFontMetrics metrics(List()->font());
        const int margin = 2 * (List()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, List()) + 1);
        for (int r = 0; r < List()->rowCount(); ++r)
            for (int c = 0; c < 4; ++c)
                if (metrics.horizontalAdvance(List()->item(r, c)->text()) + margin > List()->columnWidth(c))
                    cut.push_back(List()->item(r, c)->text().toStdString());
        return cut;
    };
    ChooseSpace("BPM Factory Space");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1 5 10 1", "1 6 10 1", "BottomUp ==== ==== ====", "4097 16001 8000 7"}));
    EXPECT_EQ(cellsCut(), std::vector<std::string>{});
    EXPECT_EQ(status->text().toStdString(), "3 pixel(s) read from BPM Factory Space.");
    SaveShot(dialog.get(), "bad_pixel_map_bottom_up");

    ChooseSpace("AFE Space");
    ASSERT_EQ(List()->rowCount(), 1 + 130 + 1 + 1 + 128);
    EXPECT_EQ(List()->item(List()->rowCount() - 1, 0)->text(), "128(0xE1FC)");
    EXPECT_EQ(cellsCut(), std::vector<std::string>{});
    EXPECT_EQ(status->text().toStdString(), "258 word(s) read from AFE Space.");
    List()->scrollToBottom();
    SaveShot(dialog.get(), "bad_pixel_map_afe");

    // A list read anew starts from the narrow columns again.
    ChooseSpace("FFC X User Space");
    EXPECT_EQ(List()->columnWidth(0), 55);
    EXPECT_EQ(status->text().toStdString(), "0 value(s) read from FFC X User Space.");
}

// Example failure: the editor's engine does not take the sensor size it is opened with, so on
// configuration 10 (small for the editor) it reads defect words with 14-bit columns and the
// flat-field X table over 128 pages.
TEST_F(BadPixelMapWindow, LargeSensorRuleByConfiguration)
{
    for (const LargeSensorCase& c : kLargeSensorCases) {
        CDlgDPM probe(nullptr, link.get(), true, IsLargeSensor47M(c.config), &clock);
        EXPECT_EQ(probe.Engine().LargeSensor(), c.editor) << "configuration " << c.config;
    }

    // Configuration 10: the X table of the flat field is pages 0-63.
    link->m_nConfigIndex = 10;
    emu.SetFlashBytes(11, 0, Bytes(0xC000, 0x01));
    Open(true);
    PickByKeyboard(MapType(), "FFC X Factory Space");
    ASSERT_TRUE(WaitFor([&] { return !dialog->Busy() && dialog->Engine().Space() == dpm::kFfcXFactory; }));
    EXPECT_EQ(dialog->Engine().EntriesRead(), 64 * 64);
}

}  // namespace
