// The Image Parameters panel in slot 4 of the main window, driven with mouse and key events
// over the emulated camera: what each edit writes, what a change made elsewhere shows, what an
// absent parameter hides and collapses, Ping, and how the panel looks.
#include "PanelDrive.h"

#include "camera/RegisterLink.h"
#include "catalogues/CatalogueTable.h"
#include "controls/CTrackBar.h"
#include "controls/CUpDownCtrl.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/MouseDrive.h"
#include "controls/WindowTimers.h"
#include "panels/CDlgImage.h"
#include "panels/PanelNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
namespace names = panel_names::image;
using D = CDlgImage;

/// The panel's protected parts, reached without pretending the panel is of another class.
struct Inside : CDlgImage {
    static std::array<CEditSpin, AOIRecordCount>& Aoi(CDlgImage& p) { return p.*(&Inside::m_aoi); }
    static CSliderEditSpin& Brightness(CDlgImage& p) { return p.*(&Inside::m_brightness); }
    static bool SlavePresent(CDlgImage& p) { return p.*(&Inside::m_bSlavePresent); }
    static wnd::CWndTimers& Timers(CDlgImage& p) { return *(p.*(&Inside::m_pTimers)); }
    static bool& BinningFlag(CDlgImage& p) { return (p.*(&Inside::BinningWriteFlag))(); }
};

class ImagePanelTest : public PanelDriveTest<CDlgImage> {
protected:
    /// The image panel of configuration `config`, shown and active so that focus moves.
    CDlgImage* Open(int config = 4) { return PanelDriveTest::Open(config); }

    /// Rebuilds the catalogue of the open configuration without the parameters `absent`.
    void RebuildWithout(std::vector<const char*> absent, int config)
    {
        PanelDriveTest::RebuildWithout(std::move(absent), CatalogueOf(config));
    }

    int IconShown() { return Item<QLabel>(D::IDC_PING_ICON)->property(D::kIconIdProperty).toInt(); }
};

// ---- 1. an edit by the operator writes one register ----

struct EditRow {
    const char* what;
    std::function<void()> act;
    const char* name;
    int value;
};

// Example failure: the 4x radio writes 2, a check box writes its old state, a combo pick
// writes the item's index instead of its value, or an edit writes twice.
TEST_F(ImagePanelTest, EachEditWritesOneRegisterWithItsValue)
{
    ASSERT_TRUE(Open(4));
    auto* bitShift = Item<QComboBox>(D::IDC_BIT_SHIFT);
    const EditRow rows[] = {
        {"Horz 2x", [&] { Click(D::IDC_BIN_H2); }, names::kBinHorzMode, 1},
        {"Horz 4x", [&] { Click(D::IDC_BIN_H4); }, names::kBinHorzMode, 3},
        {"Horz 1x", [&] { Click(D::IDC_BIN_H1); }, names::kBinHorzMode, 0},
        {"Vert 4x", [&] { Click(D::IDC_BIN_V4); }, names::kBinVertMode, 3},
        {"Vert 2x", [&] { Click(D::IDC_BIN_V2); }, names::kBinVertMode, 1},
        {"Horizontal Flip on", [&] { Click(D::IDC_MIRROR); }, names::kMirrorEnable, 1},
        {"Horizontal Flip off", [&] { Click(D::IDC_MIRROR); }, names::kMirrorEnable, 0},
        {"Keep Frame Rate on", [&] { Click(D::IDC_KEEP_FRAME_RATE); }, names::kConstFRateEnable, 1},
        {"Negative Image on", [&] { Click(D::IDC_NEGATIVE); }, names::kNegative, 1},
        {"Bit Depth next item", [&] { PickNextItem(D::IDC_BIT_DEPTH); }, names::kBitDepth, 1},
        // "No Shift" (0) stands between the left shifts (9-15) and the right shifts (1-7).
        {"Bit Shift next item", [&] { PickNextItem(D::IDC_BIT_SHIFT); }, names::kBitShift,
         bitShift->itemData(bitShift->currentIndex() + 1).toInt()},
        {"Output Format next item", [&] { PickNextItem(D::IDC_OUTPUT_FORMAT); }, names::kOutputFormat, 1},
        {"Bad Pixel Correction next item", [&] { PickNextItem(D::IDC_HPC); }, names::kHPCEnable, 1},
        {"FFC next item", [&] { PickNextItem(D::IDC_FFC); }, names::kFFCEnable, 1},
        {"LUT next item", [&] { PickNextItem(D::IDC_LUT); }, names::kLUTEnable, 1},
        {"Black Level next item", [&] { PickNextItem(D::IDC_BLACK_LEVEL); }, names::kBlackLevelEnable, 1},
        {"Test Mode next item", [&] { PickNextItem(D::IDC_TEST_MODE); }, names::kTestMode, 1},
        {"Master width typed", [&] { TypeInto(D::IDC_MASTER_WIDTH, "1024"); }, names::kMasterAOIWidth, 1024},
        {"Master vert offset typed", [&] { TypeInto(D::IDC_MASTER_VOFF, "16"); }, names::kMasterAOIVerOffset, 16},
        {"Master width above range", [&] { TypeInto(D::IDC_MASTER_WIDTH, "99999"); }, names::kMasterAOIWidth, 0x3FFF},
        {"Master horz offset spin up", [&] { SpinOnce(D::IDC_MASTER_HOFF_SPIN, true); }, names::kMasterAOIHorOffset, 1},
        {"Master height spin up", [&] { SpinOnce(D::IDC_MASTER_HEIGHT_SPIN, true); }, names::kMasterAOIHeight, 1},
        {"Brightness typed", [&] { TypeInto(D::IDC_BRIGHTNESS_EDIT, "2000"); }, names::kBrightnessLevel, 2000},
        {"Brightness spin down", [&] { SpinOnce(D::IDC_BRIGHTNESS_SPIN, false); }, names::kBrightnessLevel, 1999},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.what);
        emu.ClearFrames();
        row.act();
        QApplication::processEvents();
        ExpectOneWrite(row.name, row.value);
    }
    EXPECT_TRUE(Item<QRadioButton>(D::IDC_BIN_V2)->isChecked());
    EXPECT_FALSE(Item<QRadioButton>(D::IDC_BIN_V4)->isChecked());
    EXPECT_EQ(Item<QLineEdit>(D::IDC_MASTER_WIDTH)->text(), "16383");

    // Tabbing through an edit without a change writes nothing.
    emu.ClearFrames();
    TypeInto(D::IDC_MASTER_VOFF, "16");
    TypeInto(D::IDC_BRIGHTNESS_EDIT, "1999");
    EXPECT_TRUE(WriteFrames().empty());
}

// Example failure: the slave AOI, its mode, the taps or the correction depth (shown by the
// Aerospace camera, not by the default one) write another register or nothing.
TEST_F(ImagePanelTest, AerospaceEditsOfTheSlaveAOITapsAndDepthWriteOneRegister)
{
    ASSERT_TRUE(Open(8));
    const EditRow rows[] = {
        {"Slave Mode next item", [&] { PickNextItem(D::IDC_SLAVE_MODE); }, names::kSlaveAOIMode, 1},
        {"Slave height typed", [&] { TypeInto(D::IDC_SLAVE_HEIGHT, "200"); }, names::kSlaveAOIHeight, 200},
        {"Slave horz offset typed", [&] { TypeInto(D::IDC_SLAVE_HOFF, "8"); }, names::kSlaveAOIHorOffset, 8},
        {"Slave width spin up", [&] { SpinOnce(D::IDC_SLAVE_WIDTH_SPIN, true); }, names::kSlaveAOIWidth, 1},
        {"Smear next item", [&] { PickNextItem(D::IDC_SMEAR); }, names::kSmearingMode, 1},
        {"Correction depth typed", [&] { TypeInto(D::IDC_HPC_EDIT, "100"); }, names::kHPCThreshold, 100},
        {"Correction depth spin up", [&] { SpinOnce(D::IDC_HPC_SPIN, true); }, names::kHPCThreshold, 101},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.what);
        emu.ClearFrames();
        row.act();
        QApplication::processEvents();
        ExpectOneWrite(row.name, row.value);
    }
}

// Example failure: every step of a drag writes the camera, or the release writes nothing.
TEST_F(ImagePanelTest, SliderDragWritesOnceWhenTheDragEnds)
{
    ASSERT_TRUE(Open(4));
    auto* slider = Item<CTrackBar>(D::IDC_BRIGHTNESS_SLIDER);
    ASSERT_TRUE(slider);
    const int handle = slider->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, slider);
    const QPoint from(handle / 2, slider->height() / 2);
    Drag(slider, from, QPoint(slider->width() / 2, slider->height() / 2), 6);
    QApplication::processEvents();
    const int shown = Inside::Brightness(*panel).m_nValue;
    EXPECT_GT(shown, 0);
    ExpectOneWrite(names::kBrightnessLevel, shown);
    EXPECT_EQ(Item<QLineEdit>(D::IDC_BRIGHTNESS_EDIT)->text(), QString::number(shown));
}

// Example failure: a binning click that the window system makes while activating the panel
// is written as the operator's choice.
TEST_F(ImagePanelTest, BinningRadioDuringActivationWritesNothing)
{
    ASSERT_TRUE(Open(4));
    panel->m_bActivating = true;
    Click(D::IDC_BIN_H2);
    panel->m_bActivating = false;
    EXPECT_TRUE(WriteFrames().empty());
    Click(D::IDC_BIN_V2);
    ExpectOneWrite(names::kBinVertMode, 1);
}

// Example failure: a binning click while another binning write of the class runs (its refusal's
// message box open) writes again, or a refusal is shown while the panel does not own it.
TEST_F(ImagePanelTest, BinningWriteOwnsItsRefusalAndDoesNotNest)
{
    ASSERT_TRUE(Open(4));
    Inside::BinningFlag(*panel) = true;
    Click(D::IDC_BIN_H2);
    Inside::BinningFlag(*panel) = false;
    EXPECT_TRUE(WriteFrames().empty());

    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    emu.SetAddressFault(Reg(names::kBinHorzMode).address, refuse);
    std::vector<bool> ownedByPanel;
    bool flagDuringBox = false;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest&) {
        ownedByPanel.push_back(window->m_Link.m_pErrorOwner == panel);
        flagDuringBox = Inside::BinningFlag(*panel);
        return wnd::IDOK;
    });
    Click(D::IDC_BIN_H4);
    ASSERT_FALSE(ownedByPanel.empty());
    EXPECT_TRUE(ownedByPanel.front());
    EXPECT_TRUE(flagDuringBox);
    EXPECT_EQ(window->m_Link.m_pErrorOwner, nullptr);
    EXPECT_FALSE(Inside::BinningFlag(*panel));
}

// ---- 2. a change made elsewhere moves the control and writes nothing ----

// Example failure: a value set from the terminal leaves the control stale, or the panel
// writes it back to the camera.
TEST_F(ImagePanelTest, ChangeMadeElsewhereMovesTheControlAndWritesNothing)
{
    struct Row {
        const char* name;
        int value;
        std::function<bool()> shown;
        bool aerospaceOnly;
    };
    const Row rows[] = {
        {names::kBitDepth, 2, [&] { return ComboValue(D::IDC_BIT_DEPTH) == 2; }, false},
        {names::kHPCEnable, 3, [&] { return ComboValue(D::IDC_HPC) == 3; }, false},
        {names::kTestMode, 4, [&] { return ComboValue(D::IDC_TEST_MODE) == 4; }, false},
        {names::kMirrorEnable, 1, [&] { return Item<QCheckBox>(D::IDC_MIRROR)->isChecked(); }, false},
        {names::kNegative, 1, [&] { return Item<QCheckBox>(D::IDC_NEGATIVE)->isChecked(); }, false},
        {names::kConstFRateEnable, 1, [&] { return Item<QCheckBox>(D::IDC_KEEP_FRAME_RATE)->isChecked(); }, false},
        {names::kBrightnessLevel, 77,
         [&] { return Item<QLineEdit>(D::IDC_BRIGHTNESS_EDIT)->text() == "77" &&
                      Item<CTrackBar>(D::IDC_BRIGHTNESS_SLIDER)->value() == 77; }, false},
        {names::kBinHorzMode, 3, [&] { return Item<QRadioButton>(D::IDC_BIN_H4)->isChecked(); }, false},
        {names::kBinVertMode, 1, [&] { return Item<QRadioButton>(D::IDC_BIN_V2)->isChecked(); }, false},
        // A binning value no radio shows leaves the radios as they are.
        {names::kBinVertMode, 2, [&] { return Item<QRadioButton>(D::IDC_BIN_V2)->isChecked(); }, false},
        // A value without an item selects none, never another value's item.
        {names::kTestMode, 15, [&] { return ComboValue(D::IDC_TEST_MODE) == -1; }, false},
        {names::kSlaveAOIMode, 2, [&] { return ComboValue(D::IDC_SLAVE_MODE) == 2; }, true},
        {names::kHPCThreshold, 300,
         [&] { return Item<QLineEdit>(D::IDC_HPC_EDIT)->text() == "300" && Item<CTrackBar>(D::IDC_HPC_SLIDER)->value() == 300; },
         true},
    };
    for (int config : {4, 8}) {
        ASSERT_TRUE(Open(config));
        for (const Row& row : rows) {
            if (row.aerospaceOnly && config != 8)
                continue;
            SCOPED_TRACE(std::to_string(config) + ": " + row.name + " = " + std::to_string(row.value));
            emu.ClearFrames();
            ASSERT_EQ(window->m_Link.SetParamInt(row.name, row.value, true), 0);
            QApplication::processEvents();
            EXPECT_TRUE(row.shown());
            // The set itself is the only write.
            ExpectOneWrite(row.name, row.value);
        }
        window.reset();
    }
}

// Example failure: a master width notified from elsewhere beyond the edit's range is written
// back as notified while the edit shows it clamped, so the camera holds a third value; or one
// inside the range is not written back.
TEST_F(ImagePanelTest, NotifiedAOIValueIsShownClampedAndWrittenBackAsShown)
{
    ASSERT_TRUE(Open(4));
    // A camera whose catalogue allows less than the register holds shows the clamping.
    Inside::Aoi(*panel)[D::MasterWidth].SetRange(0, 2048, 0);
    const struct {
        std::uint32_t notified;
        std::uint32_t held;
    } rows[] = {{3000, 2048}, {1000, 1000}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.notified);
        emu.ClearFrames();
        ASSERT_EQ(window->m_Link.SetParamInt(names::kMasterAOIWidth, row.notified, true), 0);
        QApplication::processEvents();
        const auto writes = WriteFrames();
        ASSERT_EQ(writes.size(), 2u);
        ExpectWrite(writes[0], names::kMasterAOIWidth, static_cast<int>(row.notified));
        ExpectWrite(writes[1], names::kMasterAOIWidth, static_cast<int>(row.held));
        EXPECT_EQ(Field(names::kMasterAOIWidth), row.held);
        EXPECT_EQ(Item<QLineEdit>(D::IDC_MASTER_WIDTH)->text(), QString::number(row.held));
    }
}

// ---- 3. absent parameters hide and collapse ----

// Example failure: the default camera shows a taps combo, a smear combo, a correction depth
// or a slave AOI its catalogue does not define, or the 47M camera shows a flip or a format.
TEST_F(ImagePanelTest, EachCameraShowsOnlyWhatItsCatalogueDefines)
{
    const std::vector<int> notDefault{D::IDC_TAPS,       D::IDC_TAPS_LABEL,  D::IDC_SMEAR,   D::IDC_SMEAR_LABEL,
                                      D::IDC_HPC_SLIDER, D::IDC_HPC_EDIT,    D::IDC_HPC_SPIN, D::IDC_HPC_THRESHOLD_LABEL,
                                      D::IDC_SLAVE_BOX,  D::IDC_SLAVE_MODE,  D::IDC_SLAVE_HOFF};
    const std::vector<int> common{D::IDC_BIT_DEPTH, D::IDC_BIT_SHIFT, D::IDC_HPC, D::IDC_FFC, D::IDC_LUT,
                                  D::IDC_BLACK_LEVEL, D::IDC_TEST_MODE, D::IDC_BRIGHTNESS_SLIDER, D::IDC_NEGATIVE,
                                  D::IDC_KEEP_FRAME_RATE, D::IDC_MASTER_WIDTH, D::IDC_PING};
    struct Row {
        int config;
        std::vector<int> hidden;
        std::vector<int> shown;
        const char* masterCaption;
    };
    std::vector<int> not47 = notDefault;
    not47.insert(not47.end(), {D::IDC_OUTPUT_FORMAT, D::IDC_OUTPUT_FORMAT_LABEL, D::IDC_MIRROR});
    std::vector<int> default4 = common;
    default4.insert(default4.end(), {D::IDC_OUTPUT_FORMAT, D::IDC_MIRROR});
    std::vector<int> aerospace = default4;
    aerospace.insert(aerospace.end(), notDefault.begin(), notDefault.end());
    const Row rows[] = {
        {4, notDefault, default4, "Image AOI"},
        {5, not47, common, "Image AOI"},
        {8, {}, aerospace, " Master AOI "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.config);
        ASSERT_TRUE(Open(row.config));
        for (int id : row.hidden)
            EXPECT_FALSE(Item(id)->isVisibleTo(panel)) << id;
        for (int id : row.shown)
            EXPECT_TRUE(Item(id)->isVisibleTo(panel)) << id;
        EXPECT_EQ(Item<QGroupBox>(D::IDC_MASTER_BOX)->title(), row.masterCaption);
        window.reset();
    }
}

// Example failure: a control of a parameter the camera lacks stays visible and writes to
// nowhere, or its label stays behind; or a later map that has it leaves it hidden.
TEST_F(ImagePanelTest, AbsentParameterHidesItsControls)
{
    ASSERT_TRUE(Open(8));
    struct Row {
        const char* name;
        std::vector<int> hidden;
        std::vector<int> shown;
    };
    const Row rows[] = {
        {names::kTapsMode, {D::IDC_TAPS, D::IDC_TAPS_LABEL}, {D::IDC_BIT_DEPTH}},
        {names::kBitShift, {D::IDC_BIT_SHIFT, D::IDC_BIT_SHIFT_LABEL}, {D::IDC_BIT_DEPTH}},
        {names::kLUTEnable, {D::IDC_LUT, D::IDC_LUT_LABEL}, {D::IDC_SMEAR}},
        {names::kTestMode, {D::IDC_TEST_MODE}, {D::IDC_TEST_MODE_LABEL}},
        {names::kMirrorEnable, {D::IDC_MIRROR}, {D::IDC_NEGATIVE, D::IDC_KEEP_FRAME_RATE}},
        {names::kHPCThreshold,
         {D::IDC_HPC_SLIDER, D::IDC_HPC_EDIT, D::IDC_HPC_SPIN, D::IDC_HPC_MIN, D::IDC_HPC_MAX, D::IDC_HPC_THRESHOLD_LABEL},
         {D::IDC_HPC}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RebuildWithout({row.name}, 8);
        for (int id : row.hidden)
            EXPECT_FALSE(Item(id)->isVisibleTo(panel)) << id;
        for (int id : row.shown)
            EXPECT_TRUE(Item(id)->isVisibleTo(panel)) << id;
        const auto once = Layout();
        panel->RefreshFromStorage();
        EXPECT_EQ(Layout(), once);
        // The full map again shows everything.
        RebuildWithout({}, 8);
        for (int id : row.hidden)
            EXPECT_TRUE(Item(id)->isVisibleTo(panel)) << id;
    }
}

// Example failure: without a brightness the Test group keeps its empty row, or the panel
// keeps its height; a second refresh shrinks it again.
TEST_F(ImagePanelTest, NoBrightnessShortensTheTestGroupAndThePanel)
{
    ASSERT_TRUE(Open(8));
    const int fullHeight = panel->height();
    RebuildWithout({names::kBrightnessLevel}, 8);
    for (int id : {D::IDC_BRIGHTNESS_LABEL, D::IDC_BRIGHTNESS_SLIDER, D::IDC_BRIGHTNESS_EDIT, D::IDC_BRIGHTNESS_SPIN,
                   D::IDC_BRIGHTNESS_MIN, D::IDC_BRIGHTNESS_MAX})
        EXPECT_FALSE(Item(id)->isVisibleTo(panel)) << id;
    EXPECT_TRUE(Item(D::IDC_TEST_MODE_LABEL)->isVisibleTo(panel));
    const QRect ping = Item(D::IDC_PING)->geometry();
    const QRect box = Item(D::IDC_TEST_BOX)->geometry();
    EXPECT_EQ(box.y() + box.height(), ping.y() + ping.height() + 8);
    EXPECT_EQ(panel->height(), box.y() + box.height() + 8);
    EXPECT_LT(panel->height(), fullHeight);
    const auto once = Layout();
    panel->RefreshFromStorage();
    EXPECT_EQ(Layout(), once);
    SaveShot(panel, "image-panel-8-no-brightness");
}

// Example failure: without a slave AOI (the default camera) its group stays, the master keeps
// its caption, the structure rows land on one another or outside their group, or the Ping
// answer stays behind below the shortened panel.
TEST_F(ImagePanelTest, NoSlaveAOIMovesTheStructureIntoItsPlace)
{
    ASSERT_TRUE(Open(8));
    const QRect slaveBox = Item(D::IDC_SLAVE_BOX)->geometry();
    const int fullHeight = panel->height();
    window.reset();

    ASSERT_TRUE(Open(4));
    EXPECT_FALSE(Inside::SlavePresent(*panel));
    for (int id : {1624, 1629, 1630, 1631, 1632, 1633, 1634, 1635, 1522, 1524, 1526, 1528, 1499, 1523, 1525, 1527, 1529})
        EXPECT_FALSE(Item(id)->isVisibleTo(panel)) << id;
    EXPECT_EQ(Item<QGroupBox>(D::IDC_MASTER_BOX)->title(), "Image AOI");
    const QRect structure = Item(D::IDC_STRUCTURE_BOX)->geometry();
    EXPECT_EQ(structure, slaveBox);
    // The four rows lie inside the structure box, one below the other.
    int lastBottom = structure.y();
    for (int id : {D::IDC_BIT_DEPTH, D::IDC_BIT_SHIFT, D::IDC_TAPS, D::IDC_OUTPUT_FORMAT}) {
        const QRect r = Item(id)->geometry();
        EXPECT_TRUE(structure.contains(r)) << id;
        EXPECT_GE(r.y(), lastBottom) << id;
        lastBottom = r.y() + r.height();
    }
    const QRect master = Item(D::IDC_MASTER_BOX)->geometry();
    EXPECT_EQ(Item(D::IDC_CORRECTION_BOX)->geometry().y(), master.y() + master.height());
    const QRect test = Item(D::IDC_TEST_BOX)->geometry();
    EXPECT_EQ(panel->height(), test.y() + test.height() + 8);
    EXPECT_LT(panel->height(), fullHeight);
    // Ping answer text left behind (fault): it moves with its icon.
    EXPECT_EQ(Item(D::IDC_PING_TEXT)->geometry().y() - Item(D::IDC_PING_ICON)->geometry().y(),
              wnd::MapDialogRect(0, 301, 1, 1).y() - wnd::MapDialogRect(0, 300, 1, 1).y());
    EXPECT_TRUE(test.contains(Item(D::IDC_PING_TEXT)->geometry()));

    const auto once = Layout();
    panel->RefreshFromStorage();
    EXPECT_EQ(Layout(), once);

    // A slave value changed elsewhere is not written back.
    emu.ClearFrames();
    ASSERT_EQ(window->m_Link.SetParamInt(names::kSlaveAOIWidth, 640, true), 0);
    EXPECT_EQ(WriteFrames().size(), 1u);
}

// Example failure (stale record): the slave edits take the limits of the parameter read just
// before (the slave mode's 0..7) when the camera lacks the slave width.
TEST_F(ImagePanelTest, AbsentSlaveWidthGivesTheSlaveEditsNoRange)
{
    ASSERT_TRUE(Open(8));
    RebuildWithout({names::kSlaveAOIWidth}, 8);
    ASSERT_TRUE(Inside::SlavePresent(*panel));
    for (int i = D::SlaveHorOffset; i <= D::SlaveHeight; ++i) {
        EXPECT_EQ(Inside::Aoi(*panel)[i].m_nMin, 0) << i;
        EXPECT_EQ(Inside::Aoi(*panel)[i].m_nMax, 0) << i;
    }
    EXPECT_EQ(Inside::Aoi(*panel)[D::MasterWidth].m_nMax, 0x3FFF);
}

// ---- tap and bit-depth choices ----

// Example failure: a camera allowed 2 taps is offered 4, or debug mode hides choices.
TEST_F(ImagePanelTest, TapChoicesFollowTheAllowedTaps)
{
    OpenOnCamera(8);
    struct Row {
        int allowedCode;  ///< the camera's TapsAllowed field (1: 2 taps, 2: 4 taps, 3: 8 taps)
        bool debug;
        int items;
    };
    const Row rows[] = {{1, false, 2}, {2, false, 3}, {3, false, 3}, {1, true, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.allowedCode) + (row.debug ? " debug" : ""));
        SetCameraValue("TapsAllowed", static_cast<std::uint32_t>(row.allowedCode));
        window->m_bDebugMode = row.debug ? 1 : 0;
        window->SetDefault();
        ASSERT_TRUE(Show());
        EXPECT_EQ(Item<QComboBox>(D::IDC_TAPS)->count(), row.items);
    }
}

// Example failure: the camera's current setting is the item the "12 bits" rule or the tap-count
// cut removes, and the selection moves to a remaining item: configuration 9 at 16 taps with the
// camera at 12 bits shows "8 bits", configuration 8 allowing 2 taps with the camera at 4 taps
// shows "1 Tap".
TEST_F(ImagePanelTest, ACameraSettingWhoseItemWasCutShowsNoItem)
{
    struct Row {
        int config;
        std::uint32_t allowedCode;  ///< TapsAllowed
        const char* name;
        std::uint32_t value;        ///< the camera's, whose item is cut
        int comboId;
        const char* cut;            ///< the removed item's text
    };
    const Row rows[] = {
        {9, 4, names::kBitDepth, 2, D::IDC_BIT_DEPTH, "12 bits"},
        {8, 1, names::kTapsMode, 2, D::IDC_TAPS, "4 Taps"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        OpenOnCamera(row.config);
        SetCameraValue("TapsAllowed", row.allowedCode);
        SetCameraValue(row.name, row.value);
        window->SetDefault();
        ASSERT_TRUE(Show());
        auto* combo = Item<QComboBox>(row.comboId);
        ASSERT_EQ(combo->findText(row.cut), -1) << "the item is cut";
        EXPECT_EQ(combo->currentIndex(), -1) << combo->currentText().toStdString();
        EXPECT_TRUE(WriteFrames().empty());
        EXPECT_EQ(Field(row.name), row.value);
    }
}

// Example failure (stale map after the cut): a notified tap mode that was cut selects an item
// past the end or a neighbour's item, or a pick after the cut writes another tap mode.
TEST_F(ImagePanelTest, CutTapChoicesKeepTheirValues)
{
    OpenOnCamera(8);
    SetCameraValue("TapsAllowed", 1);  // 2 taps: "1 Tap", "2 Taps"
    window->SetDefault();
    ASSERT_TRUE(Show());
    auto* taps = Item<QComboBox>(D::IDC_TAPS);
    ASSERT_EQ(taps->count(), 2);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kTapsMode, 1, true), 0);
    EXPECT_EQ(taps->currentIndex(), 1);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kTapsMode, 2, true), 0);
    EXPECT_EQ(taps->currentIndex(), -1);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kTapsMode, 1, true), 0);
    EXPECT_EQ(taps->currentIndex(), 1);
    emu.ClearFrames();
    taps->setFocus();
    QTest::keyClick(taps, Qt::Key_Up);
    ExpectOneWrite(names::kTapsMode, 0);
}

// Example failure (stale map after the cut): a 47M camera at 16 taps keeps "12 bits", or
// after the cut a notified 12-bit depth selects another depth's item.
TEST_F(ImagePanelTest, TwelveBitChoiceCutForLargeSensorsAtSixteenTaps)
{
    OpenOnCamera(5);
    SetCameraValue("TapsAllowed", 4);  // 16 taps
    window->SetDefault();
    ASSERT_TRUE(Show());
    ASSERT_EQ(window->m_Link.m_nTapsAllowed, 16);
    auto* bitDepth = Item<QComboBox>(D::IDC_BIT_DEPTH);
    ASSERT_EQ(bitDepth->count(), 2);
    EXPECT_EQ(bitDepth->findText("12 bits"), -1);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kBitDepth, 1, true), 0);
    EXPECT_EQ(ComboValue(D::IDC_BIT_DEPTH), 1);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kBitDepth, 2, true), 0);
    EXPECT_EQ(ComboValue(D::IDC_BIT_DEPTH), -1);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kBitDepth, 1, true), 0);
    EXPECT_EQ(ComboValue(D::IDC_BIT_DEPTH), 1);
    emu.ClearFrames();
    bitDepth->setFocus();
    QTest::keyClick(bitDepth, Qt::Key_Up);
    ExpectOneWrite(names::kBitDepth, 0);

    // The default camera at 16 taps keeps it.
    window.reset();
    OpenOnCamera(4);
    SetCameraValue("TapsAllowed", 4);
    window->SetDefault();
    ASSERT_TRUE(Show());
    EXPECT_EQ(Item<QComboBox>(D::IDC_BIT_DEPTH)->count(), 3);
}

// ---- Ping ----

// Example failure: Ping shows its answer at once instead of after the delay, keeps it for the
// wrong time, or shows "OK" for a camera whose answer is wrong.
TEST_F(ImagePanelTest, PingShowsTheAnswerAfterTheDelayThenClears)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(IconShown(), D::IDI_PING_IDLE);
    Click(D::IDC_PING);
    EXPECT_EQ(IconShown(), D::IDI_PING_BUSY);
    EXPECT_EQ(Item<QLabel>(D::IDC_PING_TEXT)->text(), "");
    EXPECT_EQ(Inside::Timers(*panel).Period(1000), 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return IconShown() == static_cast<int>(D::IDI_PING_OK); }, 5000)) << IconShown();
    EXPECT_EQ(Item<QLabel>(D::IDC_PING_TEXT)->text(), "OK");
    SaveShot(panel, "image-panel-ping-ok");
    EXPECT_EQ(Inside::Timers(*panel).Period(1001), 3000);
    EXPECT_FALSE(Inside::Timers(*panel).IsRunning(1000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return IconShown() == static_cast<int>(D::IDI_PING_IDLE); }, 10000)) << IconShown();
    EXPECT_EQ(Item<QLabel>(D::IDC_PING_TEXT)->text(), "");

    // A camera whose Ping register holds another value does not answer as it should.
    const RegisterLink ping = Reg(names::kPing);
    emu.SetRegister(ping.address, 0x12345678);
    Click(D::IDC_PING);
    ASSERT_TRUE(QTest::qWaitFor([&] { return IconShown() == static_cast<int>(D::IDI_PING_NO_ANSWER); }, 5000)) << IconShown();
    EXPECT_EQ(Item<QLabel>(D::IDC_PING_TEXT)->text(), "ERR");
    EXPECT_EQ(Inside::Timers(*panel).Period(1001), 5000);

    // A second click starts over.
    Click(D::IDC_PING);
    EXPECT_EQ(IconShown(), D::IDI_PING_BUSY);
    EXPECT_FALSE(Inside::Timers(*panel).IsRunning(1001));

    // Every state showed a drawn icon.
    for (int id : {D::IDI_PING_IDLE, D::IDI_PING_BUSY, D::IDI_PING_OK, D::IDI_PING_NO_ANSWER})
        EXPECT_FALSE(wnd::LoadIconResource(id).pixmap(16, 16).isNull()) << id;
    EXPECT_FALSE(Item<QLabel>(D::IDC_PING_ICON)->pixmap().isNull());
}

// ---- look ----

// Example failure: a label, check box or group caption is cut off at the platform's font, or a
// control lies outside the panel (the collapses move them).
TEST_F(ImagePanelTest, ScreenshotHasNoCutOffLabel)
{
    for (int config : {8, 4}) {
        SCOPED_TRACE(config);
        ASSERT_TRUE(Open(config));
        ASSERT_EQ(panel->TemplateId(), 230);
        ExpectNothingCutOff();
        SaveShot(panel, config == 4 ? "image-panel" : "image-panel-8");
        window.reset();
    }
}

}  // namespace
