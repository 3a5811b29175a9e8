#include "RecordingTarget.h"

#include "controls/Command.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "controls/SystemLook.h"
#include "controls/WindowIds.h"
#include "controls/WindowTimers.h"

#include <QGuiApplication>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

using corvel::test::RecordingTarget;

namespace {

// Example failure: a posted command runs at once (like a send), so a control's notification
// reaches the panel before the control has finished its own handling.
TEST(CommandLayer, SendIsImmediatePostWaitsForTheEventLoop)
{
    RecordingTarget target;
    EXPECT_TRUE(wnd::SendCommand(&target, wnd::MakeWParam(10004, wnd::OVN_CHANGED), 77));
    ASSERT_EQ(target.log.size(), 1u);
    EXPECT_EQ(target.log[0].Id(), 10004u);
    EXPECT_EQ(target.log[0].Code(), wnd::OVN_CHANGED);
    EXPECT_EQ(target.log[0].lParam, 77);

    EXPECT_TRUE(wnd::PostCommand(&target, wnd::MakeWParam(10004, 0), 5));
    EXPECT_EQ(target.log.size(), 1u);
    QCoreApplication::processEvents();
    ASSERT_EQ(target.log.size(), 2u);
    EXPECT_EQ(target.log[1].wParam, 10004u);
}

// Example failure: a command posted to a panel that is deleted before the event loop runs
// calls into the dead panel.
TEST(CommandLayer, PostToADestroyedReceiverIsDropped)
{
    auto* target = new RecordingTarget;
    bool called = false;
    target->onCommand = [&](wnd::WPARAM, wnd::LPARAM) { called = true; };
    EXPECT_TRUE(wnd::PostCommand(target, 1, 0));
    delete target;
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);

    QObject plain;
    EXPECT_FALSE(wnd::PostCommand(&plain, 1, 0));
    EXPECT_FALSE(wnd::SendCommand(nullptr, 1, 0));
}

// Example failure: a control's notification goes to its direct parent (a plain group frame)
// and is lost instead of reaching the panel above it; or scroll codes arrive as commands.
TEST(CommandLayer, TargetIsTheNearestAncestorAndMessagesAreRouted)
{
    RecordingTarget panel;
    auto* frame = new QWidget(&panel);
    auto* label = new QLabel(frame);
    EXPECT_EQ(wnd::FindCommandTarget(label), &panel);
    EXPECT_EQ(wnd::FindCommandTarget(&panel), &panel);
    QWidget orphan;
    EXPECT_EQ(wnd::FindCommandTarget(&orphan), nullptr);

    wnd::SendMessage(&panel, wnd::WM_HSCROLL, wnd::MakeWParam(wnd::TB_ENDTRACK, 40), wnd::WindowHandle(label));
    wnd::SendMessage(&panel, wnd::WM_COMMAND, wnd::MakeWParam(1500, wnd::BN_CLICKED), 0);
    ASSERT_EQ(panel.log.size(), 2u);
    EXPECT_EQ(panel.log[0].message, wnd::WM_HSCROLL);
    EXPECT_EQ(wnd::HiWord(panel.log[0].wParam), 40u);
    EXPECT_EQ(wnd::WindowFromHandle(panel.log[0].lParam), label);
    EXPECT_EQ(panel.log[1].message, wnd::WM_COMMAND);
    EXPECT_EQ(wnd::MakeWParam(0x7000, 0), 0x7000u);
}

// Example failure: a control nested in a group box is not found by its id, or a missing id
// returns some other widget instead of null (so a panel writes into the wrong control).
TEST(ControlIds, FindsNestedControlsByIdAndMissingOnesAsNull)
{
    QWidget panel;
    auto* group = new QWidget(&panel);
    auto* button = new QPushButton(group);
    auto* other = new QLabel(&panel);
    wnd::SetDlgCtrlID(button, 1534);
    wnd::SetDlgCtrlID(other, 1664);
    EXPECT_EQ(wnd::GetDlgItem(&panel, 1534), button);
    EXPECT_EQ(wnd::GetDlgItem(&panel, 1664), other);
    EXPECT_EQ(wnd::GetDlgItem(&panel, 1037), nullptr);
    EXPECT_EQ(wnd::GetDlgItem(&panel, 0), nullptr);
    EXPECT_EQ(wnd::GetDlgCtrlID(button), 1534);
    EXPECT_EQ(wnd::GetDlgCtrlID(group), 0);
    EXPECT_EQ(wnd::GetDlgCtrlID(nullptr), 0);
}

// Example failure: a timer of 0 ms spins the event loop, setting a running id starts a second
// timer, or the handler is told the wrong id.
TEST(WindowTimers, RunByIdWithAFloorAndRestart)
{
    std::vector<unsigned> fired;
    wnd::CWndTimers timers(nullptr, [&](unsigned id) { fired.push_back(id); });
    EXPECT_TRUE(timers.SetTimer(9993, 0));
    EXPECT_EQ(timers.Period(9993), wnd::kMinTimerPeriodMs);
    EXPECT_TRUE(timers.SetTimer(9993, 2000));
    EXPECT_EQ(timers.Period(9993), 2000);
    EXPECT_TRUE(timers.SetTimer(7, 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.empty(); }, 2000));
    EXPECT_EQ(fired.front(), 7u);
    EXPECT_TRUE(timers.KillTimer(7));
    EXPECT_FALSE(timers.KillTimer(7));
    EXPECT_FALSE(timers.IsRunning(7));
    EXPECT_TRUE(timers.IsRunning(9993));
    EXPECT_EQ(timers.Period(7), 0);
}

// Example failure: a handler that kills its own timer while it runs crashes the timer table,
// or the timer keeps firing.
TEST(WindowTimers, HandlerMayKillItsOwnTimer)
{
    int count = 0;
    wnd::CWndTimers* self = nullptr;
    wnd::CWndTimers timers(nullptr, [&](unsigned id) {
        ++count;
        self->KillTimer(id);
    });
    self = &timers;
    timers.SetTimer(3, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return count > 0; }, 2000));
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(timers.IsRunning(3));
}

// Example failure: the test hook is not asked (a real modal box blocks the suite) or it does
// not get the flags that choose buttons and icon.
TEST(MessageBox, HookAnswersAndSeesTheRequest)
{
    std::vector<wnd::MessageBoxRequest> seen;
    {
        wnd::ScopedMessageBoxHandler hook([&](const wnd::MessageBoxRequest& r) {
            seen.push_back(r);
            return wnd::IDNO;
        });
        EXPECT_EQ(wnd::ShowMessageBox("Write failed", "", 0x42030), wnd::IDNO);
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Write failed");
    EXPECT_TRUE(seen[0].caption.isEmpty());
    EXPECT_EQ(seen[0].flags, wnd::MB_TOPMOST | wnd::MB_TASKMODAL | wnd::MB_ICONWARNING);
    EXPECT_FALSE(wnd::SetMessageBoxHandler({}));  // the scope put the empty handler back
}

// Example failure: the real box returns Qt's button codes instead of the classic ids, or a box
// closed with Esc (or left unanswered as the program ends) answers something the caller does
// not expect, a Yes among them.
TEST(MessageBox, RealBoxAnswersClassicIds)
{
    struct Row {
        unsigned flags;
        QMessageBox::StandardButton press;  // NoButton: close with Esc
        int expected;
        const char* name;
    };
    const Row rows[] = {
        {wnd::MB_YESNO | wnd::MB_ICONQUESTION, QMessageBox::No, wnd::IDNO, "yes/no, No"},
        // Left without a click, as a SIGTERM leaves it: "Save to Factory Space?" must not be a Yes.
        {wnd::MB_YESNO | wnd::MB_ICONQUESTION, QMessageBox::NoButton, wnd::IDNO, "yes/no, left"},
        {wnd::MB_YESNOCANCEL, QMessageBox::Yes, wnd::IDYES, "yes/no/cancel, Yes"},
        {wnd::MB_OKCANCEL, QMessageBox::NoButton, wnd::IDCANCEL, "ok/cancel, Esc"},
        {wnd::MB_OK, QMessageBox::NoButton, wnd::IDOK, "ok, Esc"},
        {wnd::MB_RETRYCANCEL, QMessageBox::Retry, wnd::IDRETRY, "retry/cancel, Retry"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString title;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            if (row.press == QMessageBox::NoButton)
                box->reject();
            else
                box->button(row.press)->click();
        });
        EXPECT_EQ(wnd::ShowMessageBox("Text", "", row.flags), row.expected);
        EXPECT_EQ(title, "Corvel");
    }
}

// Example failure: dialog units are converted by truncation (or by width instead of by edge),
// so controls of a template that share an edge overlap or leave a gap.
TEST(DialogUnits, ConvertWithRoundingPerEdge)
{
    struct Row {
        int a, b, c, expected;
    };
    const Row rows[] = {{5, 6, 4, 8}, {3, 6, 4, 5}, {-3, 6, 4, -5}, {7, 13, 8, 11}, {1, 1, 0, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a << "*" << row.b << "/" << row.c);
        EXPECT_EQ(wnd::MulDiv(row.a, row.b, row.c), row.expected);
    }
    const QSize base(6, 13);
    EXPECT_EQ(wnd::DialogUnitsToPixelsX(280, base), 420);
    EXPECT_EQ(wnd::DialogUnitsToPixelsY(136, base), 221);
    const QRect left = wnd::MapDialogRect(5, 1, 3, 8, base);
    const QRect right = wnd::MapDialogRect(8, 1, 3, 8, base);
    EXPECT_EQ(left.x() + left.width(), right.x());
    EXPECT_EQ(left, QRect(8, 2, 4, 13));
}

// Example failure: dialog units stay fixed for a narrow dialog font, so at the default font of
// this platform every template's texts outgrow their controls.
TEST(DialogUnits, BaseUnitsFollowTheDefaultFont)
{
    const QFont standard = QApplication::font();
    const QFontMetrics metrics(standard);
    const QSize base = wnd::DialogBaseUnits();
    EXPECT_EQ(base.height(), metrics.height());
    const double letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    EXPECT_NEAR(base.width(), letters, 0.5 + 1e-9);

    QFont large = standard;
    large.setPointSizeF(standard.pointSizeF() * 2);
    QApplication::setFont(large);
    const QSize largeBase = wnd::DialogBaseUnits();
    QApplication::setFont(standard);
    EXPECT_GT(largeBase.width(), base.width());
    EXPECT_GT(largeBase.height(), base.height());
    EXPECT_EQ(wnd::DialogBaseUnits(), base);
}

// Example failure: the button face and the dark shadow come from the same palette role, so
// raised edges and slot buttons lose their look.
TEST(SystemLook, SystemColoursArePaletteRoles)
{
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Dark, QColor(4, 5, 6));
    palette.setColor(QPalette::Shadow, QColor(7, 8, 9));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(10, 11, 12));
    EXPECT_EQ(wnd::GetSysColor(wnd::COLOR_BTNFACE, palette), QColor(1, 2, 3));
    EXPECT_EQ(wnd::GetSysColor(wnd::COLOR_BTNSHADOW, palette), QColor(4, 5, 6));
    EXPECT_EQ(wnd::GetSysColor(wnd::COLOR_3DDKSHADOW, palette), QColor(7, 8, 9));
    EXPECT_EQ(wnd::GetSysColor(wnd::COLOR_GRAYTEXT, palette), QColor(10, 11, 12));
    EXPECT_EQ(wnd::GetSystemMetrics(wnd::SM_CXBORDER), 1);
    EXPECT_EQ(wnd::GetSystemMetrics(wnd::SM_CXDLGFRAME), 3);
    // Example failure: the numeric controls draw their values in a faint 9-pixel light face.
    EXPECT_EQ(wnd::ControlFont().family(), QGuiApplication::font().family());
    EXPECT_EQ(wnd::ControlFont().pointSizeF(), QGuiApplication::font().pointSizeF());
    EXPECT_EQ(wnd::ControlFont().weight(), QFont::Normal);
}

}  // namespace
