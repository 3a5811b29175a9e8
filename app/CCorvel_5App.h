// The configurator's application object: the start-up in its fixed order (data folder, settings
// file, application log and its thresholds, version banner, crash lock and crash handler, main
// window) and the close of the application log when the object goes away at exit.
// No Qt here: the window steps come in as functions, so the order is testable without a display.
#pragma once

#include "platform/CrashHandler.h"

#include <functional>
#include <optional>
#include <string>

/// The program's four-part file version: high and low word of the most significant part, then
/// of the least significant part.
struct FileVersion {
    int major;
    int minor;
    int build;
    int revision;
};

/// The version of this build.
FileVersion ProgramFileVersion();

/// "Version a.b.c.d".
std::wstring VersionText(const FileVersion& version);

/// The crash handler of the program: reports named after the executable, in the dumps folder
/// of the common data folder, serialised by the lock "Global\OrvaneAppIsInCrashingState".
platform::CrashHandlerConfig ProgramCrashHandlerConfig();

inline constexpr char kOleInitFailedText[] = "Failed to initialize OLE library";

class CCorvel_5App {
public:
    /// What start-up asks of the system and the window side. The defaults do the real work;
    /// the program sets the two window steps, tests record them.
    struct Services {
        std::function<bool()> initOle = [] { return true; };
        /// A message box with the caption "Corvel".
        std::function<void(const std::string& text)> showMessage;
        std::function<bool(const platform::CrashHandlerConfig&)> installCrashHandler = platform::InstallCrashHandler;
        /// Builds the main window, makes it the application's main window, runs it until it
        /// closes and destroys it.
        std::function<void()> runMainWindow;
        /// No value: the program has no version information, and no banner is written.
        std::optional<FileVersion> version = ProgramFileVersion();
    };

    CCorvel_5App();
    explicit CCorvel_5App(Services services);
    /// Closes the application log.
    ~CCorvel_5App();
    CCorvel_5App(const CCorvel_5App&) = delete;
    CCorvel_5App& operator=(const CCorvel_5App&) = delete;

    /// The whole start-up, then the main window until it closes. Always false (the program
    /// ends afterwards), also when start-up fails.
    bool InitInstance();

private:
    void LogVersionBanner();

    Services services_;
};
