// What the camera link asks of the window that owns it: the logging level the operator chose,
// its command terminal, the error dialog for refusals that end the session, and an application
// message box. The window side implements it; tests answer with a recorder. The link keeps a
// borrowed pointer (null: level 0, no terminal, nothing shown), so the window must outlive the
// link or clear the pointer first.
#pragma once

#include <string>

class ITerminalSink;

/// Message-box styles and answers, with the values the window side maps to its dialogs.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconExclamation = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbTaskModal = 0x2000;
inline constexpr unsigned kMbTopmost = 0x40000;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

/// Caption of the application's message boxes.
inline constexpr const char* kAppCaption = "Corvel";

class ILinkHost {
public:
    virtual ~ILinkHost() = default;

    /// The "Logging" level of the main window: above 0 basic lines, above 1 every byte moved,
    /// above 2 change checks.
    virtual int LoggingLevel() const = 0;

    /// Shows an application message box and answers the button pressed (kIdOk …).
    virtual int ShowAppMessage(const std::string& text, const std::string& caption, unsigned flags) = 0;

    /// The command terminal, or null when the window has none (borrowed for one call).
    virtual ITerminalSink* Terminal() = 0;

    /// Shows `text` in the modal error dialog ("OK" and "Disable Error Checking"). Answers kIdOk,
    /// or kIdCancel when the operator disabled error checking (the button, Escape or the close
    /// box).
    virtual int ShowErrorDialog(const std::string& text) = 0;
};
