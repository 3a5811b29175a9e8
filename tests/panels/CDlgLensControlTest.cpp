// The lens control panel in slot 7 of the main window, over an emulated camera whose lens
// mount reads 3, driven with mouse and key events.
#include "PanelFixture.h"

#include "camera/RegisterLink.h"
#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "panels/CDlgLensControl.h"
#include "panels/PanelNames.h"
#include "support/LabelFit.h"
#include "controls/MouseDrive.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include <string>

namespace {

using namespace corvel::test;
using Frames = std::vector<std::vector<std::uint8_t>>;

// The emulated lens: iris range Max 40, Min1 10, Min2 8 (lower end 8), iris at index 12.
constexpr std::uint32_t kRangeWord = (40u << 16) | (8u << 8) | 10u;

struct LensState {
    std::uint32_t ctrlStatus = 8;  // bit 3: the lens initialised
    std::uint32_t range = kRangeWord;
    std::uint32_t position = 12;
    std::uint32_t focusState = 0x0123;
    std::uint32_t focusStep = 3;
    std::uint32_t irisStep = 5;
    std::uint32_t polarity = 1;
};

class LensPanelTest : public PanelTest {
protected:
    /// The main window on a camera of `config` whose active mount reads 3, rebuilt, with the
    /// lens panel shown; the frame log then holds only what the test causes.
    CDlgLensControl* OpenLens(const LensState& lens = LensState(), int config = 4)
    {
        CCorvel_5Dlg& w = OpenOnCamera(config);
        RegisterLink mount;
        if (GetRegisterLink(w.m_Link, panel_names::lens::kActiveMount, mount) != 0)
            return nullptr;  // a camera without the lens mount
        SetCameraValue(panel_names::lens::kActiveMount, 3);
        SetLens(lens);
        w.SetDefault();
        auto* panel = dynamic_cast<CDlgLensControl*>(ShownPanel(7));
        emu.ClearFrames();
        return panel;
    }

    void SetLens(const LensState& lens)
    {
        SetCameraValue("CanonLensCtrlStatus", lens.ctrlStatus);
        SetCameraValue("CanonIrisRange", lens.range);
        SetCameraValue("CanonIrisPosition", lens.position);
        SetCameraValue("CanonFocusState", lens.focusState);
        SetCameraValue("FocusStepValue", lens.focusStep);
        SetCameraValue("IrisStepValue", lens.irisStep);
        SetCameraValue("CanonLensPolarity", lens.polarity);
    }

    std::uint32_t Word(const char* name) { return emu.Register(Reg(name).address); }

    /// Where the trackbar's handle stands.
    static QRect HandleRect(const QSlider* slider)
    {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        option.upsideDown = slider->invertedAppearance();
        option.subControls = QStyle::SC_SliderHandle;
        return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    }

    /// Types text into an edit and presses Enter, as the operator does.
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }
};

// Example failure: the panel is offered for a camera whose lens mount is not the one it drives,
// or a refresh leaves the lens uninitialised and the iris range unread.
TEST_F(LensPanelTest, RefreshInitialisesTheLensAndShowsItsState)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr) << "the lens panel stands in slot 7 when the mount reads 3";
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_LENS_STATUS), "Done");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_RANGE_MIN1), "f/1.09");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_RANGE_MIN2), "f/1.00");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_RANGE_MAX), "f/4.00");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_POSITION), "f/1.19 / 12");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_EDIT), "1.19");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_ENCODER), "291");
    EXPECT_EQ(panel->IrisLower(), 8);
    EXPECT_EQ(panel->IrisUpper(), 40);
    EXPECT_EQ(Item<QComboBox>(panel, CDlgLensControl::IDC_LENS_POLARITY)->currentText(), "Negative");
    auto* focusStep = Item<OVNumericControl>(panel, CDlgLensControl::IDC_FOCUS_STEP);
    auto* irisStep = Item<OVNumericControl>(panel, CDlgLensControl::IDC_IRIS_STEP);
    EXPECT_EQ(focusStep->value, 3);
    EXPECT_EQ(irisStep->value, 5);
    // The step controls run reversed up to the register's maximum, the iris step only up to the
    // iris range (40 - 8).
    EXPECT_EQ(focusStep->minValue, 255);
    EXPECT_EQ(irisStep->minValue, 32);
    EXPECT_EQ(irisStep->maxValue, 1);
    // Every rebuild initialises the lens: the refresh writes InitLens once.
    emu.ClearFrames();
    window->SetDefault();
    std::vector<std::vector<std::uint8_t>> inits;
    for (const auto& frame : WriteFrames())
        if (((frame[1] << 8) | frame[2]) == Reg(panel_names::lens::kInitLens).address)
            inits.push_back(frame);
    EXPECT_EQ(inits, std::vector<std::vector<std::uint8_t>>{WriteIn(panel_names::lens::kInitLens, 1)});
    for (int id : {CDlgLensControl::IDC_FOCUS_STOP, CDlgLensControl::IDC_IRIS_STOP})
        EXPECT_FALSE(Item<QPushButton>(panel, id)->icon().isNull()) << "the stop buttons show icon 204";

    // The same rebuild on a mount that is not 3 closes the panel.
    SetCameraValue(panel_names::lens::kActiveMount, 1);
    window->SetDefault();
    EXPECT_EQ(window->GetPanel(7), nullptr);
}

TEST_F(LensPanelTest, LensWithoutItsReadyBitShowsFailed)
{
    LensState lens;
    lens.ctrlStatus = 0xF7;
    CDlgLensControl* panel = OpenLens(lens);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_LENS_STATUS), "Failed");
    SetCameraValue("CanonLensCtrlStatus", 8);
    QTest::mouseClick(Item<QPushButton>(panel, CDlgLensControl::IDC_LENS_INIT), Qt::LeftButton);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_LENS_STATUS), "Done");
}

// Each button writes its command register once with 1 (Init and Get also read back).
TEST_F(LensPanelTest, EachButtonWritesItsCommand)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    using D = CDlgLensControl;
    const struct {
        int id;
        std::vector<const char*> commands;
    } rows[] = {
        {D::IDC_FOCUS_NEAR_FULL, {"FocusNearFull"}},
        {D::IDC_FOCUS_NEAR_STEP, {"FocusNearStep"}},
        {D::IDC_FOCUS_STOP, {"FocusStop"}},
        {D::IDC_FOCUS_FAR_STEP, {"FocusFarStep"}},
        {D::IDC_FOCUS_FAR_FULL, {"FocusFarFull"}},
        {D::IDC_IRIS_OPEN_FULL, {"IrisOpenFull"}},
        {D::IDC_IRIS_OPEN_STEP, {"IrisOpenStep"}},
        {D::IDC_IRIS_STOP, {"IrisStop"}},
        {D::IDC_IRIS_CLOSE_STEP, {"IrisCloseStep"}},
        {D::IDC_IRIS_CLOSE_FULL, {"IrisCloseFull"}},
        {D::IDC_ENCODER_GET, {"CanonGetFocusEncoder"}},
        {D::IDC_ENCODER_RESET, {"CanonResetFocusEncoder", "CanonGetFocusEncoder"}},
        {D::IDC_RANGE_GET, {"CanonGetApertureRange"}},
        {D::IDC_LENS_INIT, {"CanonInitLens", "CanonGetApertureRange"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        emu.ClearFrames();
        QTest::mouseClick(Item<QPushButton>(panel, row.id), Qt::LeftButton);
        Frames expected;
        for (const char* name : row.commands)
            expected.push_back(WriteIn(name, 1));
        EXPECT_EQ(WriteFrames(), expected);
    }
    // A command clicked twice reaches the camera twice.
    emu.ClearFrames();
    QTest::mouseClick(Item<QPushButton>(panel, D::IDC_FOCUS_FAR_STEP), Qt::LeftButton);
    QTest::mouseClick(Item<QPushButton>(panel, D::IDC_FOCUS_FAR_STEP), Qt::LeftButton);
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("FocusFarStep", 1), WriteIn("FocusFarStep", 1)}));
}

TEST_F(LensPanelTest, EncoderAndIrisPositionFollowTheCamera)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    SetCameraValue("CanonFocusState", 0xFFFF);
    QTest::mouseClick(Item<QPushButton>(panel, CDlgLensControl::IDC_ENCODER_GET), Qt::LeftButton);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_ENCODER), "-1");

    // The iris moved by a command: the read-out and the slider follow the camera.
    SetCameraValue("CanonIrisPosition", 20);
    QTest::mouseClick(Item<QPushButton>(panel, CDlgLensControl::IDC_IRIS_CLOSE_STEP), Qt::LeftButton);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_POSITION), "f/1.68 / 20");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_EDIT), "1.68");
    EXPECT_EQ(panel->IrisGroup().m_nValue, 20);

    // A position outside the range is marked and the slider stays at the range's end.
    SetCameraValue("CanonIrisPosition", 50);
    QTest::mouseClick(Item<QPushButton>(panel, CDlgLensControl::IDC_IRIS_CLOSE_FULL), Qt::LeftButton);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_POSITION), "50 err");
    EXPECT_EQ(panel->IrisGroup().m_nValue, 40);

    // A second range with a smaller Max keeps the longer f-number table.
    SetCameraValue("CanonIrisRange", (20u << 16) | (8u << 8) | 8u);
    SetCameraValue("CanonIrisPosition", 30);
    QTest::mouseClick(Item<QPushButton>(panel, CDlgLensControl::IDC_RANGE_GET), Qt::LeftButton);
    EXPECT_EQ(panel->Apertures().Size(), 41);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_RANGE_MAX), "f/1.68");
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_POSITION), "30 err");
}

// Example failure: a typed f-number moves the iris by the wrong distance or direction, leaves
// the camera's step at the distance instead of the operator's step, or a typo ("abc", read as
// 0) drives the iris fully open.
TEST_F(LensPanelTest, TypedFNumberMovesTheIrisByRelativeSteps)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    auto* edit = Item<QLineEdit>(panel, CDlgLensControl::IDC_IRIS_EDIT);
    const std::uint32_t stepWord = Word("IrisStepValue");

    const struct {
        const char* typed;
        Frames expected;
    } rows[] = {
        // 2.00 is index 24: 12 steps toward closing, then the operator's step 5 again.
        {"2.00", {WriteIn("IrisStepValue", 12, stepWord), WriteIn("IrisCloseStep", 1), WriteIn("IrisStepValue", 5, stepWord)}},
        // 0.80 is nearest index 3, below the range's lower end 8: 4 steps toward opening.
        {"0.80", {WriteIn("IrisStepValue", 4, stepWord), WriteIn("IrisOpenStep", 1), WriteIn("IrisStepValue", 5, stepWord)}},
        // 1.20 lies nearest 1.19, the index the iris stands at: nothing to move.
        {"1.20", {}},
        {"abc", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        emu.ClearFrames();
        Type(edit, QString::fromLatin1(row.typed));
        EXPECT_EQ(WriteFrames(), row.expected);
        // The emulated iris does not move: the panel shows where the camera says it stands.
        EXPECT_EQ(edit->text(), "1.19");
        EXPECT_EQ(Word("IrisStepValue") & 0xFF, 5u);
    }
}

// Example failure: the camera refuses the relative step, and the move is sent anyway with the
// step the camera still holds, driving the iris by the wrong distance; or the edit keeps the
// f-number the iris never reached.
TEST_F(LensPanelTest, RefusedIrisStepSendsNoMove)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    auto* edit = Item<QLineEdit>(panel, CDlgLensControl::IDC_IRIS_EDIT);
    const std::uint32_t stepWord = Word("IrisStepValue");
    emu::Fault refuse;
    refuse.kind = emu::FaultKind::Refuse;
    emu.SetAddressFault(Reg("IrisStepValue").address, refuse);
    boxes.clear();
    Type(edit, QStringLiteral("2.00"));
    Settle();
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("IrisStepValue", 12, stepWord)}));
    EXPECT_FALSE(boxes.empty()) << "the refusal is shown";
    EXPECT_EQ(edit->text(), "1.19");

    emu.SetAddressFault(Reg("IrisStepValue").address, emu::Fault{});
    emu.ClearFrames();
    Type(edit, QStringLiteral("2.00"));
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("IrisStepValue", 12, stepWord), WriteIn("IrisCloseStep", 1),
                                     WriteIn("IrisStepValue", 5, stepWord)}));
}

TEST_F(LensPanelTest, SliderAndSpinMoveTheIrisOnRelease)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    auto* slider = Item<CTrackBar>(panel, CDlgLensControl::IDC_IRIS_SLIDER);
    auto* spin = Item<CUpDownCtrl>(panel, CDlgLensControl::IDC_IRIS_SPIN);
    const std::uint32_t stepWord = Word("IrisStepValue");

    // A press and release on the handle without moving it sends nothing.
    const QPoint handle = HandleRect(slider).center();
    Press(slider, handle);
    Release(slider, handle);
    EXPECT_TRUE(WriteFrames().empty());

    // Dragging toward the far end closes the iris by the distance, once, on release.
    Drag(slider, handle, QPoint(slider->width() - 2, handle.y()));
    const Frames drag = WriteFrames();
    ASSERT_EQ(drag.size(), 3u);
    EXPECT_EQ(drag[1], WriteIn("IrisCloseStep", 1));
    EXPECT_EQ(drag[2], WriteIn("IrisStepValue", 5, stepWord));
    EXPECT_EQ(drag[0], WriteIn("IrisStepValue", 40 - 12, stepWord)) << "to the range's upper end 40";

    // One click on the spin's upper half: one step toward closing.
    emu.ClearFrames();
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, QPoint(spin->width() / 2, spin->height() / 4));
    EXPECT_EQ(WriteFrames(),
              (Frames{WriteIn("IrisStepValue", 1, stepWord), WriteIn("IrisCloseStep", 1), WriteIn("IrisStepValue", 5, stepWord)}));
}

TEST_F(LensPanelTest, StepControlsAndPolarityWriteWhatTheOperatorChose)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    auto* focusStep = Item<OVNumericControl>(panel, CDlgLensControl::IDC_FOCUS_STEP);
    const std::uint32_t focusWord = Word("FocusStepValue");
    Type(focusStep->edit, "7");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("FocusStepValue", 7, focusWord)}));

    // The same value again writes nothing.
    emu.ClearFrames();
    Type(focusStep->edit, "7");
    EXPECT_TRUE(WriteFrames().empty());

    emu.ClearFrames();
    auto* irisStep = Item<OVNumericControl>(panel, CDlgLensControl::IDC_IRIS_STEP);
    const std::uint32_t irisWord = Word("IrisStepValue");
    Type(irisStep->edit, "9");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("IrisStepValue", 9, irisWord)}));
    // A slider move afterwards restores the new step.
    emu.ClearFrames();
    Type(Item<QLineEdit>(panel, CDlgLensControl::IDC_IRIS_EDIT), "1.41");
    const Frames move = WriteFrames();
    ASSERT_EQ(move.size(), 3u);
    EXPECT_EQ(move[2], WriteIn("IrisStepValue", 9, irisWord));

    emu.ClearFrames();
    auto* polarity = Item<QComboBox>(panel, CDlgLensControl::IDC_LENS_POLARITY);
    const std::uint32_t polarityWord = Word("CanonLensPolarity");
    polarity->setFocus();
    QTest::keyClick(polarity, Qt::Key_Up);  // Negative -> Positive
    EXPECT_EQ(polarity->currentText(), "Positive");
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("CanonLensPolarity", 0, polarityWord)}));
}

// Example failure: outside debug mode the iris step may exceed the iris range, or a step the
// new range cuts stays in the camera while the control shows the clamped one.
TEST_F(LensPanelTest, IrisStepCutByTheRangeIsWrittenClamped)
{
    LensState lens;
    lens.irisStep = 50;
    CDlgLensControl* panel = OpenLens(lens);
    ASSERT_NE(panel, nullptr);
    const std::uint32_t stepWord = Word("IrisStepValue");
    QTest::mouseClick(Item<QPushButton>(panel, CDlgLensControl::IDC_RANGE_GET), Qt::LeftButton);
    EXPECT_EQ(WriteFrames(), (Frames{WriteIn("CanonGetApertureRange", 1), WriteIn("IrisStepValue", 32, stepWord)}));
    EXPECT_EQ(Item<OVNumericControl>(panel, CDlgLensControl::IDC_IRIS_STEP)->value, 32);
}

// Changes made elsewhere (the terminal, a workspace) move the controls; the panel writes
// nothing of its own.
TEST_F(LensPanelTest, ChangesMadeElsewhereMoveTheControls)
{
    CDlgLensControl* panel = OpenLens();
    ASSERT_NE(panel, nullptr);
    const struct {
        const char* name;
        std::int64_t value;
    } rows[] = {{"FocusStepValue", 11}, {"IrisStepValue", 6}, {"CanonLensPolarity", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        emu.ClearFrames();
        ASSERT_EQ(window->m_Link.SetParamInt(row.name, row.value, true), 0);
        EXPECT_EQ(WriteFrames().size(), 1u) << "only the change itself";
    }
    EXPECT_EQ(Item<OVNumericControl>(panel, CDlgLensControl::IDC_FOCUS_STEP)->value, 11);
    EXPECT_EQ(Item<OVNumericControl>(panel, CDlgLensControl::IDC_IRIS_STEP)->value, 6);
    EXPECT_EQ(Item<QComboBox>(panel, CDlgLensControl::IDC_LENS_POLARITY)->currentText(), "Positive");

    // An iris command from elsewhere refreshes the position read-out.
    SetCameraValue("CanonIrisPosition", 16);
    emu.ClearFrames();
    ASSERT_EQ(window->m_Link.SetParamInt("IrisOpenStep", 1, true), 0);
    EXPECT_EQ(WriteFrames().size(), 1u);
    EXPECT_EQ(Text(panel, CDlgLensControl::IDC_IRIS_POSITION), "f/1.41 / 16");
}

// The panel on every configuration with a built-in map whose rows carry the lens slot: its
// names are in the catalogue and its texts are whole at the default font.
TEST_F(LensPanelTest, EveryConfigurationShowsTheWholePanel)
{
    for (int config : {4, 5, 7, 8}) {
        SCOPED_TRACE(config);
        if (!LoadBuiltinRegisterMap(ConfigurationRowFor(config).builtinMapId))
            continue;
        CDlgLensControl* panel = OpenLens(LensState(), config);
        if (!panel)
            continue;  // this configuration has no lens slot
        for (std::string_view name : panel_names::PanelNamesOf(CDlgLensControl::IDD)) {
            _OrvStParam record{};
            EXPECT_EQ(window->m_Link.GetParamData(std::string(name).c_str(), &record), 0) << name;
        }
        for (const CutText& cut : CutTexts(panel))
            ADD_FAILURE() << "\"" << cut.text << "\" needs " << cut.needed << " px, has " << cut.room;
        std::vector<std::string> overlaps;
        for (const std::string& pair : OverlappingControls(panel))
            if (pair.find("QGroupBox") == std::string::npos)
                overlaps.push_back(pair);
        EXPECT_TRUE(overlaps.empty()) << overlaps.front();
        if (config == 4)
            SaveShot(panel, "lens-control");
    }
}

}  // namespace
