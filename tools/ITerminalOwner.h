// The main window as the command terminal sees it: the owner of the polling timers whose period
// the terminal holds. The terminal's close reaches the main window as the posted command
// "Command Terminal" instead (the main window hides the terminal and moves the menu check).
#pragma once

class ITerminalOwner {
public:
    virtual ~ITerminalOwner() = default;

    /// Restarts the three polling timers with the terminal's current period.
    virtual void ResetPollingTimers() = 0;
};
