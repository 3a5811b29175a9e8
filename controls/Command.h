// The command layer: how windows tell each other things. A window that takes commands
// implements ICommandTarget. Sending is a direct call that returns when the receiver has
// handled it; posting queues the call on the event loop and drops it if the receiver is gone
// by then. A command carries wParam = (code << 16) | control id and lParam = the sending
// window (see WindowHandle) or a number.
#pragma once

#include <cstdint>

class QObject;
class QWidget;

namespace wnd {

using WPARAM = std::uint32_t;
using LPARAM = std::intptr_t;

constexpr WPARAM MakeWParam(unsigned low, unsigned high)
{
    return (static_cast<WPARAM>(high & 0xFFFF) << 16) | (low & 0xFFFF);
}
constexpr unsigned LoWord(WPARAM value) { return value & 0xFFFF; }
constexpr unsigned HiWord(WPARAM value) { return (value >> 16) & 0xFFFF; }

class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    /// A command (WM_COMMAND). Returns true when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam) = 0;
    /// Any other message (scroll codes, the dual slider's WM_USER messages). Default: not handled.
    virtual bool OnWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam);
};

/// The lParam that names a window in a command; null gives 0.
LPARAM WindowHandle(const QWidget* window);
/// The window a handle names. Only for handles made by WindowHandle of a live window.
QWidget* WindowFromHandle(LPARAM handle);

/// The widget itself if it takes commands, else its nearest ancestor that does; null if none.
ICommandTarget* FindCommandTarget(QWidget* from);
/// The same window as a widget (for posting to it).
QWidget* FindCommandWindow(QWidget* from);

/// Direct call of the receiver's OnCommand. A null receiver gives false.
bool SendCommand(ICommandTarget* target, WPARAM wParam, LPARAM lParam);
/// Direct call: WM_COMMAND goes to OnCommand, every other message to OnWindowMessage.
bool SendMessage(ICommandTarget* target, unsigned message, WPARAM wParam, LPARAM lParam);

/// Queued call of the receiver's OnCommand, run by the event loop after the current handler.
/// The receiver must be a QObject that implements ICommandTarget; if it is destroyed first the
/// command is dropped. Returns false when the receiver takes no commands.
bool PostCommand(QObject* receiver, WPARAM wParam, LPARAM lParam);
/// Queued SendMessage, with the same rules as PostCommand.
bool PostMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam);

}  // namespace wnd
