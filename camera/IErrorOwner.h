// A panel that owns the camera link's message boxes while it runs an operation: it sets
// itself as the link's error owner before a write and clears it afterwards, and a refusal is
// then shown through it rather than as an application message box.
#pragma once

#include <string>

class IErrorOwner {
public:
    virtual ~IErrorOwner() = default;

    /// Shows a message box (caption "Corvel" when `caption` is null) with the message-box style
    /// `flags` and answers the button pressed; an empty text shows nothing and answers -1.
    virtual int ShowMessageW(const std::string& text, const char* caption, unsigned flags) = 0;

    /// Brings the panel's window to the top.
    virtual void BringToTop() = 0;
};
