// The application's main window: the window start-up runs, to which other windows (the wait
// window) hand the foreground back when they end.
#pragma once

class QWidget;

QWidget* AppMainWindow();
/// Set by start-up while the main window lives; null clears it.
void SetAppMainWindow(QWidget* window);
