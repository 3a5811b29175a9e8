// A picture of a window in a PNG file: how a machine without a screen (or a script) shows what
// the program looks like. CORVEL_SCREENSHOT=<file> makes the program save its main window once
// it is up and then end.
#pragma once

#include <QString>

class QWidget;

inline constexpr char kScreenshotVariable[] = "CORVEL_SCREENSHOT";

/// Renders the window into a PNG file. False when the file cannot be written.
bool SaveWindowScreenshot(QWidget& window, const QString& path);

/// Once the event loop runs: saves the window to `path`, reports the result on stderr and
/// closes the window. `saved` receives the result.
void ScheduleWindowScreenshot(QWidget& window, const QString& path, bool* saved);
