// The configurator program: the application object's start-up, with the main window run on
// Qt's event loop until it closes.
#include "AppMainWindow.h"
#include "CCorvel_5App.h"
#include "CCorvel_5Dlg.h"
#include "Screenshot.h"

#include "controls/MessageBox.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    // Panels are windows of their own; the program ends when the main window closes.
    qtApp.setQuitOnLastWindowClosed(false);
    const QString screenshot = qEnvironmentVariable(kScreenshotVariable);
    bool screenshotSaved = true;

    CCorvel_5App::Services services;
    services.showMessage = [](const std::string& text) { wnd::ShowMessageBox(QString::fromStdString(text), wnd::DefaultMessageBoxCaption(), wnd::MB_OK); };
    services.runMainWindow = [&] {
        CCorvel_5Dlg dlg;
        SetAppMainWindow(&dlg);
        QObject::connect(&dlg, &CCorvel_5Dlg::Closed, &qtApp, &QCoreApplication::quit, Qt::QueuedConnection);
        dlg.show();
        if (!screenshot.isEmpty())
            ScheduleWindowScreenshot(dlg, screenshot, &screenshotSaved);
        QApplication::exec();
        SetAppMainWindow(nullptr);
    };

    CCorvel_5App app(std::move(services));
    app.InitInstance();
    return screenshotSaved ? 0 : 1;
}
