// The wait window on the offscreen platform: on the screen and painted when the guard is
// constructed, its texts, the flag that stops polling, and the foreground afterwards.
#include "app/CWaitGUIThread.h"

#include "app/AppMainWindow.h"
#include "controls/DlgItem.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

// Example failure: an empty message blanks the default text, a message is not shown, or the
// constructor returns before the window is on the screen (the operator sees nothing while the
// user-interface thread is blocked).
TEST(WaitWindow, ShowsItsTextBeforeTheWorkStarts)
{
    struct Row {
        const char* message;
        const char* shown;
    };
    const Row rows[] = {
        {"", "Processing. Please wait"},
        {"Initializing configuration. Wait please", "Initializing configuration. Wait please"},
        {"Adding the bad pixel to dpm.bpm.\nWait please...", "Adding the bad pixel to dpm.bpm.\nWait please..."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        CWaitGUIThread wait{QString::fromUtf8(row.message)};
        CWaitDlg& dlg = wait.Dialog();
        EXPECT_EQ(dlg.Text()->text(), QString::fromUtf8(row.shown));
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_NE(dlg.windowHandle(), nullptr);
        EXPECT_TRUE(dlg.windowHandle()->isExposed());
        EXPECT_EQ(wnd::GetDlgItem(&dlg, 1254), dlg.Text());
        EXPECT_EQ(dlg.Text()->property("ctrlId").toInt(), 1254);
        // A busy bar, not a bar stuck at some percentage.
        EXPECT_EQ(dlg.Progress()->minimum(), 0);
        EXPECT_EQ(dlg.Progress()->maximum(), 0);
    }
}

// Example failure: a new text waits for the next event-loop turn to be painted, so the
// operator never sees it while the user-interface thread works on.
TEST(WaitWindow, NewTextIsPaintedAtOnce)
{
    CWaitGUIThread wait("Preparing to read. Wait please");
    PaintCounter painted(wait.Dialog().Text());
    wait.SetText("Reading of dpm.bpm. Page#3.\n Wait please");
    EXPECT_EQ(wait.Dialog().Text()->text(), QStringLiteral("Reading of dpm.bpm. Page#3.\n Wait please"));
    EXPECT_GE(painted.count, 1);
}

// Example failure: Esc or the close box ends the wait window while the operation still runs.
TEST(WaitWindow, OnlyTheGuardEndsTheWindow)
{
    QPointer<CWaitDlg> dlg;
    {
        CWaitGUIThread wait;
        dlg = &wait.Dialog();
        dlg->close();
        QTest::keyClick(dlg, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_TRUE(dlg->isVisible());
    }
    EXPECT_TRUE(dlg.isNull());
}

// Example failure: polling runs while a wait window is up (a poll in the middle of a rebuild),
// or keeps returning at once after it ended; an inner wait ending clears the flag of an outer one.
TEST(WaitWindow, PollingFlagFollowsEveryWaitWindow)
{
    EXPECT_FALSE(CWaitGUIThread::IsWaiting());
    {
        CWaitGUIThread outer("Available ports collection. Wait please");
        EXPECT_TRUE(CWaitGUIThread::IsWaiting());
        {
            CWaitGUIThread inner("Initializing configuration. Wait please");
            EXPECT_TRUE(CWaitGUIThread::IsWaiting());
            EXPECT_NE(&inner.Dialog(), &outer.Dialog());
        }
        EXPECT_TRUE(CWaitGUIThread::IsWaiting());
        EXPECT_TRUE(outer.Dialog().isVisible());
    }
    EXPECT_FALSE(CWaitGUIThread::IsWaiting());
}

// Example failure: after the wait the main window is left behind other windows and inactive.
TEST(WaitWindow, MainWindowHasTheForegroundAfterwards)
{
    QWidget main;
    main.setWindowTitle("Corvel");
    main.resize(200, 100);
    main.show();
    SetAppMainWindow(&main);
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    {
        CWaitGUIThread wait;
    }
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &main);
    SetAppMainWindow(nullptr);
}

// Example failure: the camera link's long file operations show no wait window, or a wait window
// stays up after the operation ends, so the polling timers stay silent for ever.
TEST(WaitIndicator, EachBeginShowsAWindowUntilItsEnd)
{
    CWaitIndicator indicator;
    EXPECT_FALSE(CWaitGUIThread::IsWaiting());
    {
        WaitScope outer(&indicator, "Write dump to file. Wait please");
        EXPECT_TRUE(CWaitGUIThread::IsWaiting());
        {
            WaitScope inner(&indicator, "Write Registers to Camera. Wait please");
            EXPECT_TRUE(CWaitGUIThread::IsWaiting());
        }
        EXPECT_TRUE(CWaitGUIThread::IsWaiting());
    }
    EXPECT_FALSE(CWaitGUIThread::IsWaiting());
    indicator.End();  // an End without a Begin changes nothing
    EXPECT_FALSE(CWaitGUIThread::IsWaiting());
}
