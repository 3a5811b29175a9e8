// Message boxes of the application shell: caption "Corvel" unless another is given, the
// classic button and icon flags, the classic result ids. Tests install a handler that answers
// without showing a window.
#pragma once

#include <QString>

#include <functional>

inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;

inline constexpr char kAppCaption[] = "Corvel";

/// Shows a message box with an OK button and returns the pressed id (kIdOk).
int AppMessageBox(const QString& text, const QString& caption = kAppCaption, unsigned flags = kMbOk);

using AppMessageBoxHandler = std::function<int(const QString& text, const QString& caption, unsigned flags)>;
/// Replaces the box with `handler` (empty: the real box again). Returns the previous handler.
AppMessageBoxHandler SetAppMessageBoxHandler(AppMessageBoxHandler handler);
