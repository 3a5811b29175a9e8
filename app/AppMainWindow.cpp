#include "AppMainWindow.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget>& MainWindow()
{
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

QWidget* AppMainWindow() { return MainWindow().data(); }

void SetAppMainWindow(QWidget* window) { MainWindow() = window; }
