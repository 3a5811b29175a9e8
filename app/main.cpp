// The configurator program: the application object's start-up, with the main window run on
// Qt's event loop until it closes.
#include "AppMainWindow.h"
#include "CCorvel_5App.h"
#include "CCorvel_5Dlg.h"
#include "CPortSelector.h"
#include "LibraryPortSelector.h"
#include "Screenshot.h"

#include "controls/IconResource.h"
#include "controls/MessageBox.h"
#include "platform/ProcessSignals.h"

#include <QApplication>
#include <QSocketNotifier>

#include <optional>

int main(int argc, char** argv)
{
    // A logout or a kill ends the program as its Exit command does (settings and panel
    // positions saved, the log closed). Caught before anything else, so no such signal ends
    // the program half-way; it is acted on once the event loop runs.
    platform::InstallTerminationSignals();
    QApplication qtApp(argc, argv);
    CCorvel_5Dlg* mainWindow = nullptr;
    QSocketNotifier termination(platform::TerminationSignalFd(), QSocketNotifier::Read);
    QObject::connect(&termination, &QSocketNotifier::activated, &qtApp, [&mainWindow] {
        platform::DrainTerminationSignals();
        if (mainWindow)
            mainWindow->OnTerminationSignal();
        // Also leaves a box or dialog that runs a loop of its own (the port selector at start).
        QCoreApplication::exit(0);
    });
    // Panels are windows of their own; the program ends when the main window closes.
    qtApp.setQuitOnLastWindowClosed(false);
    // Every window of the program (boxes, terminals) shows the program's icon.
    qtApp.setWindowIcon(wnd::LoadIconResource(wnd::IDI_MAIN));
    const QString screenshot = qEnvironmentVariable(kScreenshotVariable);
    std::optional<ScreenshotRun> screenshotRun;

    CCorvel_5App::Services services;
    services.showMessage = [](const std::string& text) { wnd::ShowMessageBox(QString::fromStdString(text), wnd::DefaultMessageBoxCaption(), wnd::MB_OK); };
    services.runMainWindow = [&] {
        CCorvel_5Dlg dlg;
        SetAppMainWindow(&dlg);
        mainWindow = &dlg;
        // The operator picks the port. A run that only saves a picture of the window cannot
        // answer a dialog: it takes the first serial library of CLSERIALPATH, port 0 (without
        // one the window starts with no camera), and a box on the way is in the picture.
        std::unique_ptr<IPortSelector> selector;
        if (screenshot.isEmpty()) {
            selector = std::make_unique<CPortSelector>(&dlg);
        } else {
            screenshotRun.emplace(screenshot);
            if (auto library = FirstSerialLibrary())
                selector = std::make_unique<CLibraryPortSelector>(*library);
        }
        const bool started = dlg.OnInitDialog(selector.get()) == 0;
        if (started && !platform::TerminationRequested() && !(screenshotRun && screenshotRun->Taken())) {
            dlg.show();
            if (screenshotRun)
                screenshotRun->WindowUp(dlg);
            dlg.DoModal();
        }
        mainWindow = nullptr;
        SetAppMainWindow(nullptr);
    };

    CCorvel_5App app(std::move(services));
    app.InitInstance();
    return !screenshotRun || screenshotRun->Saved() ? 0 : 1;
}
