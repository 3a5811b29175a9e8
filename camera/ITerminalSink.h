// The command terminal as the camera link sees it: a line sink for the echo of frames, answers
// and parameter changes in the camera's command syntax, and the terminal's "Disable Error
// Checking" box, which the error dialog ticks. Reached through ILinkHost::Terminal().
#pragma once

#include <string>

class ITerminalSink {
public:
    virtual ~ITerminalSink() = default;

    /// Appends one line to the terminal's output.
    virtual void AddText(const std::string& line) = 0;

    /// Ticks the "Disable Error Checking" box; with `refreshControls` the terminal also shows
    /// its members in its controls again.
    virtual void SetErrorCheckingDisabled(bool refreshControls) = 0;
};
