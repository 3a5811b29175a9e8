#include "CWaitGUIThread.h"

#include "AppMainWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <atomic>

namespace {

std::atomic<int> g_waitWindows{0};

// How long the constructor lets the window system take to put the window on the screen.
constexpr int kExposeWaitMs = 500;

bool IsExposed(const QWidget& widget)
{
    const QWindow* window = widget.windowHandle();
    return window && window->isExposed();
}

}  // namespace

CWaitGUIThread::CWaitGUIThread(const QString& message) : dialog_(std::make_unique<CWaitDlg>())
{
    // Raised before any event is processed: a poll that fires while the window comes up
    // returns at once.
    ++g_waitWindows;
    if (!message.isEmpty())
        dialog_->Text()->setText(message);
    dialog_->show();

    // Let the window system map the window, without taking operator input meanwhile.
    QTimer wake;
    wake.start(20);
    QElapsedTimer elapsed;
    elapsed.start();
    while (!IsExposed(*dialog_) && elapsed.elapsed() < kExposeWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    dialog_->repaint();
}

CWaitGUIThread::~CWaitGUIThread()
{
    dialog_->hide();
    dialog_.reset();
    if (QWidget* main = AppMainWindow()) {
        main->raise();
        main->activateWindow();
    }
    --g_waitWindows;
}

bool CWaitGUIThread::IsWaiting()
{
    return g_waitWindows.load() > 0;
}
