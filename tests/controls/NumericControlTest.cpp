#include "MouseDrive.h"
#include "RecordingTarget.h"

#include "controls/CUpDownCtrl.h"
#include "controls/DlgItem.h"
#include "controls/OVButton.h"
#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "controls/OVScaleFunction.h"
#include "controls/OVSlider.h"
#include "controls/WindowIds.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using corvel::test::RecordingTarget;
using Codes = std::vector<unsigned>;

namespace {

constexpr int kId = 1682;

bool Near(QPoint a, QPoint b)
{
    return std::abs(a.x() - b.x()) <= 2 && std::abs(a.y() - b.y()) <= 2;
}

struct NumericFixture : testing::Test {
    RecordingTarget panel;
    OVNumericControl* control = new OVNumericControl(&panel, kId);
    QLineEdit* other = new QLineEdit(&panel);

    void SetUp() override
    {
        control->setGeometry(10, 10, 120, 20);
        other->setGeometry(10, 60, 80, 20);
        panel.resize(400, 200);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    }
    void Init(double min, double max, double value, bool integerMode = true, int spinSteps = 100,
              const OVScaleFunction* scale = nullptr, int style = 5)
    {
        control->Init(style, &panel, min, max, value, spinSteps, integerMode, scale);
        QCoreApplication::processEvents();
        panel.log.clear();
    }
    OVEdit* Edit() { return static_cast<OVEdit*>(wnd::GetDlgItem(&panel, wnd::IDC_OV_EDIT)); }
    CUpDownCtrl* Spin() { return static_cast<CUpDownCtrl*>(wnd::GetDlgItem(&panel, wnd::IDC_OV_SPIN)); }
    OVButton* Button() { return static_cast<OVButton*>(wnd::GetDlgItem(&panel, wnd::IDC_OV_BUTTON)); }
    OVSlider* Slider() { return static_cast<OVSlider*>(wnd::GetDlgItem(&panel, wnd::IDC_OV_SLIDER)); }
    Codes TakeCodes()
    {
        QCoreApplication::processEvents();
        Codes codes;
        for (const auto& m : panel.Of(wnd::WM_COMMAND)) {
            EXPECT_EQ(m.Id(), unsigned(kId));
            EXPECT_EQ(wnd::WindowFromHandle(m.lParam), control);
            codes.push_back(m.Code());
        }
        panel.log.clear();
        return codes;
    }
    void TypeInto(const char* text)
    {
        Edit()->setFocus();
        Edit()->clear();
        QTest::keyClicks(Edit(), text);
    }
};

// Example failure: Init notifies its parent synchronously (the panel runs its handler in the
// middle of building), or a second Init leaves the old children in the window.
TEST_F(NumericFixture, InitPostsCodeZeroAndRebuilds)
{
    control->Init(5, &panel, 0, 100, 40, 100, true);
    EXPECT_TRUE(panel.log.empty());
    EXPECT_EQ(TakeCodes(), (Codes{0}));
    EXPECT_EQ(Edit()->text(), "40");
    control->Init(5, &panel, 0, 10, 40, 100, true);
    EXPECT_EQ(TakeCodes(), (Codes{0}));
    int edits = 0, sliders = 0;
    for (QWidget* w : panel.findChildren<QWidget*>()) {
        edits += dynamic_cast<OVEdit*>(w) != nullptr;
        sliders += dynamic_cast<OVSlider*>(w) != nullptr;
    }
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(sliders, 1);
    EXPECT_EQ(Edit()->text(), "10");
    EXPECT_EQ(Spin()->High(), 10);
}

// Example failure: Enter does not take the typed number, or takes it without clamping, or
// notifies more than once.
TEST_F(NumericFixture, EnterTakesTheTypedNumberClamped)
{
    Init(0, 100, 40);
    TypeInto("12");
    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGED}));
    EXPECT_EQ(control->value, 12);
    EXPECT_EQ(Spin()->GetPos32(), 12);
    TypeInto("150");
    QTest::keyClick(Edit(), Qt::Key_Enter);
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGED}));
    EXPECT_EQ(control->value, 100);
    EXPECT_EQ(Edit()->text(), "100");
}

// Example failure: a number typed and then left without Enter is taken as the value.
TEST_F(NumericFixture, FocusLossPutsThePreviousValueBackAndStillNotifies)
{
    Init(0, 100, 40);
    TypeInto("77");
    other->setFocus();
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGED}));
    EXPECT_EQ(control->value, 40);
    EXPECT_EQ(Edit()->text(), "40");
}

// Example failure: letters, a second '-', a '-' after the first character or a '.' in
// integer mode reach the edit.
TEST_F(NumericFixture, EditFiltersKeys)
{
    Init(-100, 100, 0, false, 200);
    TypeInto("-5-a.3.x,");
    EXPECT_EQ(Edit()->text(), "-5.3");
    Init(-100, 100, 0, true);
    TypeInto("1.5");
    EXPECT_EQ(Edit()->text(), "15");
    Edit()->setCursorPosition(2);
    QTest::keyClick(Edit(), Qt::Key_Backspace);
    EXPECT_EQ(Edit()->text(), "1");
}

// Example failure: a '-' typed over a selection that starts the text is dropped, so "-50"
// typed over "188" commits +50; or a second '-' or '.' is let in because the selection held
// the first one.
TEST_F(NumericFixture, TypingOverASelectionJudgesTheTextThatRemains)
{
    struct Row {
        const char* shown;
        int from, length;  ///< the selection
        const char* typed;
        const char* result;
    };
    const Row rows[] = {
        {"188", 0, 3, "-50", "-50"},     // the whole text, as a double click selects it
        {"188", 0, 1, "-", "-88"},       // the selection starts the text
        {"-188", 0, 2, "-", "-88"},      // the '-' it replaces goes with it
        {"-188", 1, 2, "-", "-188"},     // a second '-' is refused
        {"188", 1, 2, "-", "188"},       // a '-' away from the start is refused
        {"1.5", 1, 2, ".2", "1.2"},      // the '.' it replaces goes with it
        {"1.5", 2, 1, ".", "1.5"},       // a second '.' is refused
    };
    Init(-1000, 1000, 0, false, 200);
    for (const Row& row : rows) {
        Edit()->setFocus();
        Edit()->setText(row.shown);
        Edit()->setSelection(row.from, row.length);
        QTest::keyClicks(Edit(), row.typed);
        EXPECT_EQ(Edit()->text(), row.result) << row.shown << " " << row.typed;
    }

    // Double click selects all; the typed negative number is the committed value.
    Init(-1000, 1000, 188, true);
    const QPoint middle(Edit()->width() / 2, Edit()->height() / 2);
    QTest::mouseDClick(Edit(), Qt::LeftButton, Qt::NoModifier, middle);
    ASSERT_EQ(Edit()->selectedText(), "188");
    QTest::keyClicks(Edit(), "-50");
    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGED}));
    EXPECT_EQ(control->value, -50);
}

// Example failure: with liveNotify cleared, holding a spin arrow commits (1001) at every
// step instead of once at the end; or the spin sends no 1002 while it moves.
TEST_F(NumericFixture, SpinReportsEachStepAndCommitsOnceAtTheEnd)
{
    for (const bool live : {false, true}) {
        SCOPED_TRACE(live ? "live" : "not live");
        Init(0, 100, 40);
        control->liveNotify = live;
        corvel::test::Press(Spin(), QPoint(8, 2));
        Spin()->OnAutoRepeat();
        Spin()->OnAutoRepeat();
        corvel::test::Release(Spin(), QPoint(8, 2));
        EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGING, wnd::OVN_CHANGING, wnd::OVN_CHANGING, wnd::OVN_CHANGED}));
        EXPECT_EQ(control->value, 43);
        EXPECT_EQ(Edit()->text(), "43");
    }
}

// Example failure: in a reversed range (the gain panels' 100..0) the up arrow lowers the
// value, or the clamp lets values outside 0..100 through.
TEST_F(NumericFixture, ReversedRange)
{
    Init(100, 0, 50);
    EXPECT_EQ(Spin()->Low(), 100);
    EXPECT_EQ(Spin()->High(), 0);
    EXPECT_EQ(Spin()->GetPos32(), 50);
    QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 2));
    EXPECT_EQ(control->value, 51);
    control->SetValue(150);
    EXPECT_EQ(control->value, 100);
    control->SetValue(-5);
    EXPECT_EQ(control->value, 0);
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGING, wnd::OVN_CHANGED}));
}

// Example failure: with a step of 10 one click moves the value by 1, or snapping rounds away
// from zero.
TEST_F(NumericFixture, StepsMoveByOneStepAndSnapTowardZero)
{
    Init(0, 100, 40);
    EXPECT_FALSE(control->SetStep(10));
    QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 2));
    EXPECT_EQ(control->value, 50);

    Init(-1234, 1234, 455);
    EXPECT_TRUE(control->SetStep(100));
    EXPECT_EQ(control->minValue, -1200);
    EXPECT_EQ(control->maxValue, 1200);
    EXPECT_EQ(control->value, 400);
    control->SetRange(-1234, 1234);  // the same bounds under the step: the same snap
    EXPECT_EQ(control->minValue, -1200);
    EXPECT_EQ(control->maxValue, 1200);
    EXPECT_FALSE(control->SetStep(0));
}

// Example failure: the pop-up opens away from the control, the drop button stays usable
// while it is open, or it stays disabled after the pop-up closes.
TEST_F(NumericFixture, PopupOpensUnderTheControlAndReleasesTheButton)
{
    control->move(250, 10);  // far enough right for the pop-up to open left of it on screen
    Init(0, 255, 128, true, 100, nullptr, OVNumericControl::kDropDown);
    QTest::mouseClick(Button(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    QCoreApplication::processEvents();
    OVSlider* popup = Slider();
    ASSERT_TRUE(popup->isVisible());
    // Within the window frame the offscreen platform puts around a pop-up.
    EXPECT_TRUE(Near(popup->geometry().topRight() + QPoint(1, 0),
                     control->mapToGlobal(QPoint(control->width(), control->height()))));
    EXPECT_FALSE(Button()->isEnabled());
    EXPECT_EQ(Button()->state, OVButton::Pressed);

    popup->OnKillFocus();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(Button()->isEnabled());
    EXPECT_EQ(Button()->state, OVButton::Normal);

    // Style bit 4 (the panels pass 5 or 7): at popupRect in the panel's coordinates.
    const QRect at(30, 90, 200, 20);
    control->Init(7, &panel, 0, 255, 128, 100, true, nullptr, &at);
    QCoreApplication::processEvents();
    QTest::mouseClick(Button(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    QCoreApplication::processEvents();
    EXPECT_TRUE(Near(Slider()->geometry().topLeft(), panel.mapToGlobal(at.topLeft())));
    EXPECT_TRUE(Slider()->vertical);
    Slider()->OnKillFocus();
}

// Example failure: with liveNotify cleared a drag still reports 1002; or a drag to the end of
// a linear scale reports max - epsilon (the panel then truncates to max - 1) or max + epsilon.
TEST_F(NumericFixture, SliderDragCommitsOnReleaseWithExactEnds)
{
    const OVLinearScale tenths(0.0, 0.1);  // register units shown in tenths
    Init(3, 4095, 100, true, 0, &tenths);
    control->liveNotify = false;
    QTest::mouseClick(Button(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    QCoreApplication::processEvents();
    OVSlider* popup = Slider();
    TakeCodes();
    corvel::test::Drag(popup, popup->ThumbRect().center(), QPoint(popup->width() + 30, 10));
    EXPECT_EQ(TakeCodes(), (Codes{wnd::OVN_CHANGED}));
    EXPECT_EQ(control->value, 4095);
    EXPECT_EQ(Edit()->text(), "4095");

    control->liveNotify = true;
    corvel::test::Drag(popup, popup->ThumbRect().center(), QPoint(-30, 10));
    const Codes codes = TakeCodes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes.front(), wnd::OVN_CHANGING);
    EXPECT_EQ(codes.back(), wnd::OVN_CHANGED);
    EXPECT_EQ(control->value, 3);
    popup->OnKillFocus();
}

// Example failure: disabling the control leaves its children (or the separate pop-up) usable.
TEST_F(NumericFixture, EnableStateReachesEveryChild)
{
    Init(0, 100, 40);
    control->setEnabled(false);
    EXPECT_EQ(Button()->state, OVButton::Disabled);
    EXPECT_FALSE(Edit()->isEnabled());
    EXPECT_FALSE(Spin()->isEnabled());
    EXPECT_FALSE(Slider()->isEnabled());
    control->setEnabled(true);
    EXPECT_EQ(Button()->state, OVButton::Normal);
    EXPECT_TRUE(Slider()->isEnabled());
}

// Example failure: equal bounds (spin steps 0) divide by zero and NaN reaches the panel.
TEST_F(NumericFixture, EqualBoundsStayFinite)
{
    Init(5, 5, 9);
    EXPECT_EQ(control->value, 5);
    QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 2));
    EXPECT_EQ(control->value, 5);
    EXPECT_EQ(Spin()->GetPos32(), 0);
}

}  // namespace

namespace {

// Example failure: the spin keeps a position of its own and the value moves toward it, so
// with a step of 10 the clicks go 40 -> 50 -> 40 -> 50; or a click at an end passes it.
TEST_F(NumericFixture, EachSpinClickMovesOneStepAndStopsAtTheEnds)
{
    Init(0, 100, 40);
    control->SetStep(10);
    const QPoint up(8, 2);
    const QPoint down(8, Spin()->height() - 3);
    struct Click {
        QPoint at;
        double value;
    };
    const Click clicks[] = {{up, 50},   {up, 60},   {up, 70},   {down, 60}, {down, 50}, {up, 60},  {up, 70},
                            {up, 80},   {up, 90},   {up, 100},  {up, 100},  {down, 90}};
    int n = 0;
    for (const Click& click : clicks) {
        SCOPED_TRACE(testing::Message() << "click " << ++n);
        QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, click.at);
        EXPECT_EQ(control->value, click.value);
        EXPECT_EQ(Edit()->text(), QString::number(click.value));
    }
    control->SetValue(10);
    for (const double expected : {0.0, 0.0}) {
        QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, down);
        EXPECT_EQ(control->value, expected);
    }

    // Reversed (the gain panels' 100..0): the up arrow still raises the value by one step.
    Init(100, 0, 40);
    control->SetStep(10);
    for (const double expected : {50.0, 60.0, 70.0}) {
        QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, up);
        EXPECT_EQ(control->value, expected);
    }
    QTest::mouseClick(Spin(), Qt::LeftButton, Qt::NoModifier, down);
    EXPECT_EQ(control->value, 60);
}

// Example failure: "abc" pasted into the edit and confirmed with Enter sets 0, clamped to the
// minimum, and 1001 tells the panel to write it to the camera.
TEST_F(NumericFixture, PastedTextWithoutANumberChangesNothing)
{
    Init(5, 100, 40);
    struct Row {
        const char* pasted;
        double value;
        bool committed;
    };
    const Row rows[] = {{"abc", 40, false}, {"-", 40, false}, {"12abc", 12, true}, {"x7", 12, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pasted);
        QGuiApplication::clipboard()->setText(QString::fromLatin1(row.pasted));
        Edit()->setFocus();
        Edit()->selectAll();
        QTest::keyClick(Edit(), Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(Edit()->text(), QString::fromLatin1(row.pasted));
        QTest::keyClick(Edit(), Qt::Key_Return);
        EXPECT_EQ(TakeCodes(), row.committed ? Codes{wnd::OVN_CHANGED} : Codes{});
        EXPECT_EQ(control->value, row.value);
        EXPECT_EQ(Edit()->text(), QString::number(row.value));
    }
}

// Example failure: the open pop-up takes a click elsewhere in the panel as a click on its
// groove: the value jumps (214 -> 74) and 1001 tells the panel to write it to the camera.
TEST_F(NumericFixture, ClickOutsideThePopupClosesItAndChangesNothing)
{
    control->move(250, 10);
    Init(0, 255, 214, true, 100, nullptr, OVNumericControl::kDropDown);
    QTest::mouseClick(Button(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
    QCoreApplication::processEvents();
    OVSlider* popup = Slider();
    ASSERT_TRUE(popup->isVisible());
    TakeCodes();

    // Left of and below the pop-up, on the panel, as the window system delivers it.
    const QPoint outside = panel.mapFromGlobal(popup->mapToGlobal(QPoint(-40, popup->height() + 20)));
    QTest::mouseClick(panel.windowHandle(), Qt::LeftButton, Qt::NoModifier, outside);
    QCoreApplication::processEvents();

    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(control->value, 214);
    EXPECT_EQ(Edit()->text(), "214");
    for (unsigned code : TakeCodes())
        EXPECT_NE(code, wnd::OVN_CHANGED);
    EXPECT_TRUE(Button()->isEnabled());
    EXPECT_EQ(Button()->state, OVButton::Normal);
}

}  // namespace
