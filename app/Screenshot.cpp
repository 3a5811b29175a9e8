#include "Screenshot.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

/// The windows an operator would see, bottom to top: `first`, the others, then the modal ones.
std::vector<QWidget*> VisibleWindows(QWidget* first)
{
    std::vector<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->isMinimized() && w->windowType() != Qt::ToolTip && w->windowType() != Qt::Desktop)
            windows.push_back(w);
    const auto rank = [first](QWidget* w) { return w == first ? 0 : w->isModal() ? 2 : 1; };
    std::stable_sort(windows.begin(), windows.end(), [&](QWidget* a, QWidget* b) { return rank(a) < rank(b); });
    return windows;
}

}  // namespace

bool SaveScreenScreenshot(const QString& path, QWidget* first)
{
    const std::vector<QWidget*> windows = VisibleWindows(first);
    QRect area;
    for (QWidget* w : windows)
        area |= w->geometry();
    if (windows.empty() || area.isEmpty())
        return false;
    QImage canvas(area.size(), QImage::Format_RGB32);
    canvas.fill(QColor(58, 58, 58));
    QPainter painter(&canvas);
    for (QWidget* w : windows)
        painter.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
    painter.end();
    return canvas.save(path, "PNG");
}

ScreenshotRun::ScreenshotRun(QString path, int periodMs) : path_(std::move(path))
{
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start(periodMs);
}

void ScreenshotRun::WindowUp(QWidget& window)
{
    window_ = &window;
    QTimer::singleShot(0, this, [this] { Tick(); });
}

void ScreenshotRun::Tick()
{
    if (!taken_) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!(modal && modal->isVisible()) && !(window_ && window_->isVisible()))
            return;
        taken_ = true;
        saved_ = SaveScreenScreenshot(path_, window_);
        const QByteArray name = path_.toLocal8Bit();
        std::fprintf(stderr, saved_ ? "corvel: window saved to %s\n" : "corvel: cannot write %s\n", name.constData());
    }
    // Ending: a box goes as Escape would take it, then the main window closes.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    if (window_ && window_->isVisible())
        window_->close();
}
