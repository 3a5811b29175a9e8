// The configurator program: the application object's start-up, with the main window run on
// Qt's event loop until it closes.
#include "AppMainWindow.h"
#include "CCorvel_5App.h"
#include "CCorvel_5Dlg.h"
#include "CPortSelector.h"
#include "LibraryPortSelector.h"
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
        // The operator picks the port. A run that only saves a picture of the window cannot
        // answer a dialog: it takes the first serial library of CLSERIALPATH, port 0 (without
        // one the window starts with no camera).
        std::unique_ptr<IPortSelector> selector;
        if (screenshot.isEmpty())
            selector = std::make_unique<CPortSelector>(&dlg);
        else if (auto library = FirstSerialLibrary())
            selector = std::make_unique<CLibraryPortSelector>(*library);
        if (dlg.OnInitDialog(selector.get()) != 0) {
            SetAppMainWindow(nullptr);
            return;
        }
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
