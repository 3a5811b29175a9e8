// The wait window the window side shows while the camera link runs a long operation (a
// workspace or dump written register by register, a workspace replayed). The link only opens
// and closes it through WaitScope, so every way out of an operation closes it again.
#pragma once

#include <string>

class IWaitIndicator {
public:
    virtual ~IWaitIndicator() = default;

    /// Shows the wait window with `text`; it stays up until End.
    virtual void Begin(const std::string& text) = 0;
    virtual void End() = 0;
};

/// Shows the indicator for the life of the scope; a null indicator shows nothing.
class WaitScope {
public:
    WaitScope(IWaitIndicator* indicator, const std::string& text) : indicator_(indicator)
    {
        if (indicator_)
            indicator_->Begin(text);
    }
    ~WaitScope()
    {
        if (indicator_)
            indicator_->End();
    }
    /// Ends the wait window before the scope does (a message about the work follows).
    void End()
    {
        if (indicator_)
            indicator_->End();
        indicator_ = nullptr;
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    IWaitIndicator* indicator_;
};
