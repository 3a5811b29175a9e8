// The Kelmir Image Parameters panel in slot 4, on an emulated Kelmir camera, driven with mouse
// and key events: what each edit writes, the flat-field and look-up-table selects that switch
// their enables, the area of interest kept inside the frame and reset by binning, debug mode,
// what a change made elsewhere shows, what an absent parameter hides, and how the panel looks.
#include "PanelDrive.h"

#include "catalogues/KelmirCatalogue.h"
#include "controls/CTrackBar.h"
#include "panels/CDlgImageKelmir.h"
#include "panels/PanelNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace corvel::test;
namespace names = panel_names::image;
using D = CDlgImageKelmir;

/// The panel's protected parts, reached without pretending the panel is of another class.
struct Inside : CDlgImageKelmir {
    static bool& BinningFlag(CDlgImageKelmir& p) { return (p.*(&Inside::BinningWriteFlag))(); }
};
struct InsideImage : CDlgImage {
    static bool& BinningFlag(CDlgImage& p) { return (p.*(&InsideImage::BinningWriteFlag))(); }
};

constexpr int kKelmirConfig = 7;

class ImagePanelKelmirTest : public PanelDriveTest<CDlgImageKelmir> {
protected:
    /// The panel on a Kelmir camera whose frame is 16..1024 x 8..768 (min..max), rebuilt so
    /// that it reads those limits; debug mode as asked.
    CDlgImageKelmir* OpenFramed(bool debug = false)
    {
        OpenOnCamera(kKelmirConfig);
        SetCameraValue(names::kHorFrameSizeMin, 16);
        SetCameraValue(names::kHorFrameSizeMax, 1024);
        SetCameraValue(names::kVerFrameSizeMin, 8);
        SetCameraValue(names::kVerFrameSizeMax, 768);
        window->m_bDebugMode = debug ? 1 : 0;
        window->SetDefault();
        return Show();
    }

    int CameraInt(const char* name)
    {
        std::int64_t value = -1;
        EXPECT_EQ(window->m_Link.GetParamInt(name, &value), 0) << name;
        return static_cast<int>(value);
    }

    QString Text(int editId) { return Item<QLineEdit>(editId)->text(); }
    bool Enabled(int id) { return Item(id)->isEnabled(); }
    bool Visible(int id) { return Item(id)->isVisibleTo(panel); }
};

// ---- the panel of the Kelmir camera ----

// Example failure: the Kelmir camera gets the plain image panel (no DPC/HPC selects, no frame
// clamping), or another camera gets the Kelmir one.
TEST_F(ImagePanelKelmirTest, KelmirCameraGetsItsOwnImagePanel)
{
    ASSERT_TRUE(PanelDriveTest::Open(kKelmirConfig));
    EXPECT_EQ(panel->TemplateId(), 223);
    window.reset();
    OpenOnCamera(4);
    EXPECT_EQ(dynamic_cast<CDlgImageKelmir*>(ShownPanel(4)), nullptr);
    ASSERT_NE(dynamic_cast<CDlgImage*>(ShownPanel(4)), nullptr);
    EXPECT_EQ(ShownPanel(4)->TemplateId(), 230);
}

// ---- 1. an edit by the operator writes one register ----

struct EditRow {
    const char* what;
    std::function<void()> act;
    const char* name;
    int value;
};

// Example failure: a correction combo writes its neighbour's register or the item's index, a
// threshold writes the other threshold, or a check box writes its old state.
TEST_F(ImagePanelKelmirTest, EachEditWritesOneRegisterWithItsValue)
{
    ASSERT_TRUE(OpenFramed());
    const EditRow rows[] = {
        {"DPC enable next item", [&] { PickNextItem(D::IDC_DPC_ENABLE); }, names::kDPCEnable, 1},
        {"DPC select next item", [&] { PickNextItem(D::IDC_DPC_SELECT); }, names::kDPCSelect, 1},
        {"HPC enable next item", [&] { PickNextItem(D::IDC_HPC_ENABLE); }, names::kHPCEnable, 1},
        {"HPC select next item", [&] { PickNextItem(D::IDC_HPC_SELECT); }, names::kHPCSelect, 1},
        {"Black level next item", [&] { PickNextItem(D::IDC_BLACK_LEVEL); }, names::kBlackLevelEnable, 1},
        {"Smear next item", [&] { PickNextItem(D::IDC_SMEAR); }, names::kSmearingMode, 1},
        {"Bit depth next item", [&] { PickNextItem(D::IDC_BIT_DEPTH); }, names::kBitDepth, 1},
        {"Format next item", [&] { PickNextItem(D::IDC_OUTPUT_FORMAT); }, names::kOutputFormat, 1},
        {"Test mode next item", [&] { PickNextItem(D::IDC_TEST_MODE); }, names::kTestMode, 1},
        {"DPC threshold typed", [&] { TypeInto(D::IDC_DPC_EDIT, "300"); }, names::kDPCThreshold, 300},
        {"DPC threshold spin up", [&] { SpinOnce(D::IDC_DPC_SPIN, true); }, names::kDPCThreshold, 301},
        {"HPC threshold typed", [&] { TypeInto(D::IDC_HPC_EDIT, "200"); }, names::kHPCThreshold, 200},
        {"HPC threshold spin down", [&] { SpinOnce(D::IDC_HPC_SPIN, false); }, names::kHPCThreshold, 199},
        {"Horizontal Flip on", [&] { Click(D::IDC_MIRROR); }, names::kMirrorEnable, 1},
        {"Keep Frame Rate on", [&] { Click(D::IDC_KEEP_FRAME_RATE); }, names::kConstFRateEnable, 1},
        {"Negative Image on", [&] { Click(D::IDC_NEGATIVE); }, names::kNegative, 1},
        {"Slave mode next item", [&] { PickNextItem(D::IDC_SLAVE_MODE); }, names::kSlaveAOIMode, 1},
        {"Master height typed", [&] { TypeInto(D::IDC_MASTER_HEIGHT, "480"); }, names::kMasterAOIHeight, 480},
        {"Slave vert offset typed", [&] { TypeInto(D::IDC_SLAVE_VOFF, "20"); }, names::kSlaveAOIVerOffset, 20},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.what);
        emu.ClearFrames();
        row.act();
        QApplication::processEvents();
        ExpectOneWrite(row.name, row.value);
    }
    EXPECT_EQ(Item<CTrackBar>(D::IDC_DPC_SLIDER)->value(), 301);
    EXPECT_EQ(Item<CTrackBar>(D::IDC_HPC_SLIDER)->value(), 199);
}

// Example failure: picking "Off" writes the select as -1, or a table pick leaves the table
// switched off, or the two writes come in the other order.
TEST_F(ImagePanelKelmirTest, FlatFieldAndLookUpSelectsSwitchTheirEnables)
{
    ASSERT_TRUE(OpenFramed());
    struct Row {
        int combo;
        Qt::Key key;
        const char* select;
        const char* enable;
        int selectWritten;  ///< -2: the select is not written
        int enableWritten;
    };
    const Row rows[] = {
        {D::IDC_FFC, Qt::Key_End, names::kFFCSelect, names::kFFCEnable, 1, 1},   // third item "FFC #2"
        {D::IDC_FFC, Qt::Key_Home, names::kFFCSelect, names::kFFCEnable, -2, 0}, // "Off"
        {D::IDC_LUT, Qt::Key_Down, names::kLUTSelect, names::kLUTEnable, 0, 1},  // "LUT #1"
        {D::IDC_LUT, Qt::Key_End, names::kLUTSelect, names::kLUTEnable, 3, 1},   // "LUT #4"
        {D::IDC_LUT, Qt::Key_Home, names::kLUTSelect, names::kLUTEnable, -2, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.select) + " " + std::to_string(row.selectWritten));
        emu.ClearFrames();
        PickWithKey(row.combo, row.key);
        QApplication::processEvents();
        const auto writes = WriteFrames();
        if (row.selectWritten == -2) {
            ASSERT_EQ(writes.size(), 1u);
            ExpectWrite(writes[0], row.enable, row.enableWritten);
        } else {
            ASSERT_EQ(writes.size(), 2u);
            ExpectWrite(writes[0], row.select, row.selectWritten);
            ExpectWrite(writes[1], row.enable, row.enableWritten);
        }
    }
    // "Off" left the last table selected in the camera.
    EXPECT_EQ(CameraInt(names::kLUTSelect), 3);
    EXPECT_EQ(ComboValue(D::IDC_LUT), -1);
}

// ---- the area of interest inside the frame ----

// Example failure: an offset beyond the frame is written, the width is not shrunk to the room
// the offset leaves, or a width below the minimum or beyond the room reaches the camera.
// Example failure: the camera refuses the table picked, and the correction is switched on with
// the table it holds instead.
TEST_F(ImagePanelKelmirTest, RefusedTableSwitchesNoCorrectionOn)
{
    const struct {
        int combo;
        const char* select;
        const char* enable;
    } rows[] = {{D::IDC_FFC, names::kFFCSelect, names::kFFCEnable}, {D::IDC_LUT, names::kLUTSelect, names::kLUTEnable}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.select);
        ASSERT_TRUE(OpenFramed());
        SetCameraValue(row.select, 1);
        SetCameraValue(row.enable, 0);
        panel->RefreshFromStorage();
        QApplication::processEvents();
        const QString off = Item<QComboBox>(row.combo)->currentText();
        emu.ClearFrames();
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        emu.SetAddressFault(Reg(row.select).address, refuse);
        PickWithKey(row.combo, Qt::Key_Down);  // the first table
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        emu.SetAddressFault(Reg(row.select).address, {});
        const auto writes = WriteFrames();
        ASSERT_EQ(writes.size(), 1u) << "the refused select alone";
        ExpectWrite(writes[0], row.select, 0);
        EXPECT_EQ(CameraInt(row.enable), 0);
        EXPECT_EQ(Item<QComboBox>(row.combo)->currentText(), off);
        window.reset();
    }
}

TEST_F(ImagePanelKelmirTest, AOIStaysInsideTheFrame)
{
    ASSERT_TRUE(OpenFramed());
    struct Row {
        const char* what;
        int edit;
        const char* typed;
        int offset;  ///< MasterAOIHorOffset afterwards
        int width;   ///< MasterAOIWidth afterwards
        int shownWidth;
    };
    const Row rows[] = {
        {"width in the frame", D::IDC_MASTER_WIDTH, "512", 0, 512, 512},
        {"offset beyond the frame: max - 1, width shrunk to the room", D::IDC_MASTER_HOFF, "2000", 1023, 1, 1},
        // The width fits and is not written; its edit now starts at the minimum.
        {"offset inside: width kept", D::IDC_MASTER_HOFF, "100", 100, 1, 16},
        {"width beyond the room", D::IDC_MASTER_WIDTH, "5000", 100, 924, 924},
        {"width below the minimum", D::IDC_MASTER_WIDTH, "5", 100, 16, 16},
        {"offset leaving less than the minimum: the room", D::IDC_MASTER_HOFF, "1014", 1014, 10, 10},
        {"width below the minimum beyond the room: the room", D::IDC_MASTER_WIDTH, "3", 1014, 10, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        emu.ClearFrames();
        TypeInto(row.edit, row.typed);
        QApplication::processEvents();
        EXPECT_EQ(CameraInt(names::kMasterAOIHorOffset), row.offset);
        EXPECT_EQ(CameraInt(names::kMasterAOIWidth), row.width);
        EXPECT_EQ(Text(D::IDC_MASTER_HOFF), QString::number(row.offset));
        EXPECT_EQ(Text(D::IDC_MASTER_WIDTH), QString::number(row.shownWidth));
        // Every write stays inside the frame.
        for (const auto& frame : WriteFrames()) {
            const int address = (frame[1] << 8) | frame[2];
            const int value = (frame[5] << 8) | frame[6];
            if (address == Reg(names::kMasterAOIHorOffset).address) {
                EXPECT_LT(value, 1024);
            }
            if (address == Reg(names::kMasterAOIWidth).address) {
                EXPECT_LE(value, 1024 - row.offset);
            }
        }
    }
}

// Example failure: a vertical offset set from elsewhere beyond the frame stays in the camera,
// or the edit shows a value the camera does not hold.
TEST_F(ImagePanelKelmirTest, NotifiedAOIValueIsWrittenBackClamped)
{
    ASSERT_TRUE(OpenFramed());
    ASSERT_EQ(window->m_Link.SetParamInt(names::kMasterAOIHeight, 600, true), 0);
    ASSERT_EQ(window->m_Link.SetParamInt(names::kMasterAOIVerOffset, 5000, true), 0);
    QApplication::processEvents();
    EXPECT_EQ(CameraInt(names::kMasterAOIVerOffset), 767);
    EXPECT_EQ(CameraInt(names::kMasterAOIHeight), 1);
    EXPECT_EQ(Text(D::IDC_MASTER_VOFF), "767");
    EXPECT_EQ(Text(D::IDC_MASTER_HEIGHT), "1");

    // The slave AOI too.
    ASSERT_EQ(window->m_Link.SetParamInt(names::kSlaveAOIWidth, 3000, true), 0);
    QApplication::processEvents();
    EXPECT_EQ(CameraInt(names::kSlaveAOIWidth), 1024);
    EXPECT_EQ(Text(D::IDC_SLAVE_WIDTH), "1024");
}

// Example failure: a binning change leaves an AOI beyond the new frame, resets only the master
// AOI or the other axis too, or leaves the AOI edits enabled while binning.
TEST_F(ImagePanelKelmirTest, BinningResetsTheAOIOfItsAxisAndDisablesTheEdits)
{
    ASSERT_TRUE(OpenFramed());
    TypeInto(D::IDC_MASTER_HOFF, "100");
    TypeInto(D::IDC_MASTER_WIDTH, "300");
    TypeInto(D::IDC_SLAVE_HOFF, "50");
    TypeInto(D::IDC_MASTER_VOFF, "40");
    const std::vector<int> aoiControls{D::IDC_MASTER_HOFF, D::IDC_MASTER_VOFF, D::IDC_MASTER_WIDTH,
                                       D::IDC_MASTER_HEIGHT, D::IDC_SLAVE_HOFF, D::IDC_SLAVE_VOFF,
                                       D::IDC_SLAVE_WIDTH, D::IDC_SLAVE_HEIGHT, D::IDC_SLAVE_MODE};
    for (int id : aoiControls)
        EXPECT_TRUE(Enabled(id)) << id;

    Click(D::IDC_BIN_H2);
    QApplication::processEvents();
    EXPECT_EQ(CameraInt(names::kBinHorzMode), 1);
    EXPECT_EQ(CameraInt(names::kMasterAOIHorOffset), 0);
    EXPECT_EQ(CameraInt(names::kSlaveAOIHorOffset), 0);
    EXPECT_EQ(CameraInt(names::kMasterAOIWidth), 1024);
    EXPECT_EQ(CameraInt(names::kSlaveAOIWidth), 1024);
    EXPECT_EQ(CameraInt(names::kMasterAOIVerOffset), 40);  // the other axis stays
    EXPECT_EQ(Text(D::IDC_MASTER_WIDTH), "1024");
    EXPECT_EQ(Text(D::IDC_MASTER_HOFF), "0");
    for (int id : aoiControls)
        EXPECT_FALSE(Enabled(id)) << id;

    // A binning change made elsewhere resets the vertical axis.
    ASSERT_EQ(window->m_Link.SetParamInt(names::kBinVertMode, 3, true), 0);
    QApplication::processEvents();
    EXPECT_TRUE(Item<QRadioButton>(D::IDC_BIN_V4)->isChecked());
    EXPECT_EQ(CameraInt(names::kMasterAOIVerOffset), 0);
    EXPECT_EQ(CameraInt(names::kMasterAOIHeight), 768);
    EXPECT_EQ(CameraInt(names::kSlaveAOIHeight), 768);

    // Back to 1x on both axes (the vertical while the panel is being activated: still taken).
    Click(D::IDC_BIN_H1);
    EXPECT_FALSE(Enabled(D::IDC_MASTER_HOFF));
    panel->m_bActivating = true;
    Click(D::IDC_BIN_V1);
    panel->m_bActivating = false;
    EXPECT_EQ(CameraInt(names::kBinVertMode), 0);
    for (int id : aoiControls)
        EXPECT_TRUE(Enabled(id)) << id;
}

// Example failure: the Kelmir panel shares the image panel's binning flag (a binning write of
// one blocks the other), or writes binning while its own write is in progress.
TEST_F(ImagePanelKelmirTest, BinningWriteFlagIsItsOwn)
{
    ASSERT_TRUE(OpenFramed());
    CDlgImage plain(nullptr, nullptr);
    Inside::BinningFlag(*panel) = true;
    EXPECT_FALSE(InsideImage::BinningFlag(plain));
    Click(D::IDC_BIN_H2);
    Inside::BinningFlag(*panel) = false;
    for (const auto& frame : WriteFrames())
        EXPECT_NE((frame[1] << 8) | frame[2], Reg(names::kBinHorzMode).address);

    // The panel owns the link's messages while it writes binning.
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    emu.SetAddressFault(Reg(names::kBinVertMode).address, refuse);
    std::vector<bool> ownedByPanel;
    wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest&) {
        ownedByPanel.push_back(window->m_Link.m_pErrorOwner == panel);
        return wnd::IDOK;
    });
    Click(D::IDC_BIN_V2);
    ASSERT_FALSE(ownedByPanel.empty());
    EXPECT_TRUE(ownedByPanel.front());
    EXPECT_EQ(window->m_Link.m_pErrorOwner, nullptr);
}

// Example failure: debug mode still clamps an offset to the frame, or a binning change in
// debug mode resets the AOI or disables its edits.
TEST_F(ImagePanelKelmirTest, DebugModeLeavesTheAOIFree)
{
    ASSERT_TRUE(OpenFramed(true));
    TypeInto(D::IDC_MASTER_WIDTH, "900");
    emu.ClearFrames();
    TypeInto(D::IDC_MASTER_HOFF, "2000");
    ExpectOneWrite(names::kMasterAOIHorOffset, 2000);
    EXPECT_EQ(CameraInt(names::kMasterAOIWidth), 900);

    emu.ClearFrames();
    Click(D::IDC_BIN_H4);
    ExpectOneWrite(names::kBinHorzMode, 3);
    EXPECT_TRUE(Enabled(D::IDC_MASTER_HOFF));
    EXPECT_TRUE(Enabled(D::IDC_SLAVE_MODE));
}

// Example failure: the camera reports no frame size (a failed read is 0) and every offset is
// forced to -1 or the width to 0.
TEST_F(ImagePanelKelmirTest, NoFrameSizeLeavesTheAOIUnclamped)
{
    ASSERT_TRUE(PanelDriveTest::Open(kKelmirConfig));
    ASSERT_EQ(CameraInt(names::kHorFrameSizeMax), 0);
    TypeInto(D::IDC_MASTER_WIDTH, "640");
    TypeInto(D::IDC_MASTER_HOFF, "32");
    EXPECT_EQ(CameraInt(names::kMasterAOIWidth), 640);
    EXPECT_EQ(CameraInt(names::kMasterAOIHorOffset), 32);
    emu.ClearFrames();
    Click(D::IDC_BIN_H2);
    ExpectOneWrite(names::kBinHorzMode, 1);
}

// ---- 2. a change made elsewhere moves the control and writes nothing ----

// Example failure: a value set from the terminal leaves the control stale, the FFC/LUT combo
// follows a select while its table is off, or the panel writes the value back.
TEST_F(ImagePanelKelmirTest, ChangeMadeElsewhereMovesTheControlAndWritesNothing)
{
    ASSERT_TRUE(OpenFramed());
    struct Row {
        const char* name;
        int value;
        std::function<bool()> shown;
    };
    const Row rows[] = {
        {names::kDPCEnable, 2, [&] { return ComboValue(D::IDC_DPC_ENABLE) == 2; }},
        {names::kDPCSelect, 1, [&] { return ComboValue(D::IDC_DPC_SELECT) == 1; }},
        {names::kHPCSelect, 1, [&] { return ComboValue(D::IDC_HPC_SELECT) == 1; }},
        {names::kSmearingMode, 2, [&] { return ComboValue(D::IDC_SMEAR) == 2; }},
        {names::kDPCThreshold, 400,
         [&] { return Text(D::IDC_DPC_EDIT) == "400" && Item<CTrackBar>(D::IDC_DPC_SLIDER)->value() == 400; }},
        {names::kHPCThreshold, 500, [&] { return Text(D::IDC_HPC_EDIT) == "500"; }},
        // The table is off: the combo keeps "Off" until it is switched on.
        {names::kLUTSelect, 2, [&] { return ComboValue(D::IDC_LUT) == -1; }},
        {names::kLUTEnable, 1, [&] { return ComboValue(D::IDC_LUT) == 2; }},
        {names::kLUTSelect, 1, [&] { return ComboValue(D::IDC_LUT) == 1; }},
        {names::kLUTEnable, 0, [&] { return ComboValue(D::IDC_LUT) == -1; }},
        {names::kFFCEnable, 1, [&] { return ComboValue(D::IDC_FFC) == 0; }},
        {names::kMirrorEnable, 1, [&] { return Item<QCheckBox>(D::IDC_MIRROR)->isChecked(); }},
        {names::kBitDepth, 2, [&] { return ComboValue(D::IDC_BIT_DEPTH) == 2; }},
        {names::kSlaveAOIMode, 1, [&] { return ComboValue(D::IDC_SLAVE_MODE) == 1; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " = " + std::to_string(row.value));
        emu.ClearFrames();
        ASSERT_EQ(window->m_Link.SetParamInt(row.name, row.value, true), 0);
        QApplication::processEvents();
        EXPECT_TRUE(row.shown());
        ExpectOneWrite(row.name, row.value);
    }
}

// ---- 3. absent parameters hide and collapse ----

// Example failure: a combo of a parameter the camera lacks stays visible, its shared label
// stays with the other combo, the flip box disappears, or the Format combo is hidden.
TEST_F(ImagePanelKelmirTest, AbsentParameterHidesItsControls)
{
    // Debug mode keeps every taps choice, so the taps combo shows while its parameter exists.
    ASSERT_TRUE(OpenFramed(true));
    struct Row {
        const char* name;
        std::vector<int> hidden;
        std::vector<int> shown;
    };
    const Row rows[] = {
        {names::kDPCSelect, {D::IDC_DPC_SELECT, D::IDC_DPC_LABEL}, {D::IDC_DPC_ENABLE}},
        {names::kHPCEnable, {D::IDC_HPC_ENABLE, D::IDC_HPC_LABEL}, {D::IDC_HPC_SELECT}},
        {names::kFFCSelect, {D::IDC_FFC, D::IDC_FFC_LABEL}, {D::IDC_LUT}},
        {names::kSmearingMode, {D::IDC_SMEAR, D::IDC_SMEAR_LABEL}, {D::IDC_BLACK_LEVEL}},
        {names::kDPCThreshold,
         {D::IDC_DPC_SLIDER, D::IDC_DPC_EDIT, D::IDC_DPC_SPIN, D::IDC_DPC_MIN, D::IDC_DPC_MAX, D::IDC_THRESHOLD_LABEL},
         {D::IDC_HPC_SLIDER, D::IDC_HPC_EDIT}},
        {names::kBitDepth, {D::IDC_BIT_DEPTH}, {D::IDC_BIT_DEPTH_LABEL}},
        {names::kTapsMode, {D::IDC_TAPS, D::IDC_TAPS_LABEL}, {D::IDC_BIT_DEPTH}},
        {names::kOutputFormat, {}, {D::IDC_OUTPUT_FORMAT, D::IDC_FORMAT_LABEL}},
        {names::kMirrorEnable, {}, {D::IDC_MIRROR}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RebuildWithout({row.name}, KelmirCatalogue());
        for (int id : row.hidden)
            EXPECT_FALSE(Visible(id)) << id;
        for (int id : row.shown)
            EXPECT_TRUE(Visible(id)) << id;
        const auto once = Layout();
        panel->RefreshFromStorage();
        EXPECT_EQ(Layout(), once);
        RebuildWithout({}, KelmirCatalogue());
        for (int id : row.hidden)
            EXPECT_TRUE(Visible(id)) << id;
    }
}

// Example failure: a camera allowed one tap is offered a taps combo with one choice, or debug
// mode cuts the choices.
TEST_F(ImagePanelKelmirTest, TapsComboShownOnlyWithAChoice)
{
    struct Row {
        int allowedTaps;
        bool debug;
        int items;
        bool shown;
    };
    const Row rows[] = {{1, false, 1, false}, {2, false, 2, true}, {8, false, 4, true}, {1, true, 5, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.allowedTaps) + (row.debug ? " debug" : ""));
        ASSERT_TRUE(OpenFramed(row.debug));
        window->m_Link.m_nTapsAllowed = row.allowedTaps;
        panel->RefreshFromStorage();
        EXPECT_EQ(Item<QComboBox>(D::IDC_TAPS)->count(), row.items);
        EXPECT_EQ(Visible(D::IDC_TAPS), row.shown);
        EXPECT_EQ(Visible(D::IDC_TAPS_LABEL), row.shown);
        EXPECT_TRUE(Visible(D::IDC_OUTPUT_FORMAT));
        window.reset();
    }
}

// Example failure: the Kelmir camera (no brightness) keeps an empty brightness row; without a
// slave AOI its group stays or leaves a gap, or a second refresh moves the groups again.
TEST_F(ImagePanelKelmirTest, CollapsesCloseTheGaps)
{
    ASSERT_TRUE(OpenFramed());
    for (int id : {D::IDC_BRIGHTNESS_LABEL, D::IDC_BRIGHTNESS_SLIDER, D::IDC_BRIGHTNESS_EDIT})
        EXPECT_FALSE(Visible(id)) << id;
    const QRect ping = Item(D::IDC_PING)->geometry();
    QRect test = Item(D::IDC_TEST_BOX)->geometry();
    EXPECT_EQ(test.y() + test.height(), ping.y() + ping.height() + 8);
    EXPECT_EQ(panel->height(), test.y() + test.height() + 8);
    const int withSlave = panel->height();
    EXPECT_EQ(Item<QGroupBox>(D::IDC_MASTER_BOX)->title(), " Master AOI ");

    RebuildWithout({names::kSlaveAOIMode}, KelmirCatalogue());
    for (int id : {1624, 1629, 1522, 1524, 1526, 1528, 1499, 1523, 1525, 1527, 1529})
        EXPECT_FALSE(Visible(id)) << id;
    EXPECT_EQ(Item<QGroupBox>(D::IDC_MASTER_BOX)->title(), "Image AOI");
    const QRect master = Item(D::IDC_MASTER_BOX)->geometry();
    EXPECT_EQ(Item(D::IDC_STRUCTURE_BOX)->geometry().y(), master.y() + master.height());
    test = Item(D::IDC_TEST_BOX)->geometry();
    EXPECT_EQ(panel->height(), test.y() + test.height() + 8);
    EXPECT_LT(panel->height(), withSlave);
    // Every visible control of the moved groups stays inside its box.
    EXPECT_TRUE(test.contains(Item(D::IDC_PING_TEXT)->geometry()));
    EXPECT_TRUE(Item(D::IDC_CORRECTION_BOX)->geometry().contains(Item(D::IDC_SMEAR)->geometry()));
    const auto once = Layout();
    panel->RefreshFromStorage();
    EXPECT_EQ(Layout(), once);
    SaveShot(panel, "image-panel-kelmir-no-slave");
}

// ---- look ----

// Example failure: a label, check box or group caption is cut off at the platform's font.
TEST_F(ImagePanelKelmirTest, ScreenshotHasNoCutOffLabel)
{
    ASSERT_TRUE(OpenFramed());
    ASSERT_EQ(panel->TemplateId(), 223);
    ExpectNothingCutOff();
    SaveShot(panel, "image-panel-kelmir");
}

}  // namespace
