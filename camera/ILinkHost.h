// What the camera link asks of the window that owns it: the logging level the operator chose
// and an application message box. The window side implements it; tests answer with a
// recorder. The link keeps a borrowed pointer (null: level 0, nothing shown), so the window
// must outlive the link or clear the pointer first.
#pragma once

#include <string>

/// Message-box styles and answers, with the values the window side maps to its dialogs.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;

class ILinkHost {
public:
    virtual ~ILinkHost() = default;

    /// The "Logging" level of the main window: above 0 basic lines, above 1 every byte moved,
    /// above 2 change checks.
    virtual int LoggingLevel() const = 0;

    /// Shows an application message box and answers the button pressed (kIdOk …).
    virtual int ShowAppMessage(const std::string& text, const std::string& caption, unsigned flags) = 0;
};
