// Placing top-level windows: a move or a raise of one window (SetWindowPos) and a batch of
// them applied together (the deferred batch the main window uses for its panels). A window
// that implements IWindowPosHook sees every move made here before it happens and may change
// the target, as the panels do to dock at the main window's edge. Positions are the window
// frame's top-left corner in screen coordinates.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace wnd {

constexpr unsigned SWP_NOSIZE = 0x0001;
constexpr unsigned SWP_NOMOVE = 0x0002;
constexpr unsigned SWP_NOZORDER = 0x0004;
constexpr unsigned SWP_NOACTIVATE = 0x0010;
constexpr unsigned SWP_FRAMECHANGED = 0x0020;
constexpr unsigned SWP_NOOWNERZORDER = 0x0200;

/// A position change about to happen; the hook may change x and y.
struct WINDOWPOS {
    QWidget* hwnd = nullptr;
    int x = 0;
    int y = 0;
    unsigned flags = 0;
};

class IWindowPosHook {
public:
    virtual ~IWindowPosHook() = default;
    virtual void OnWindowPosChanging(WINDOWPOS* pos) = 0;
};

/// Moves the window's frame to (x, y) unless SWP_NOMOVE (the window's hook first), raises it
/// unless SWP_NOZORDER, and activates a visible window unless SWP_NOACTIVATE. The size never
/// changes. False for a null window.
bool SetWindowPos(QWidget* window, int x, int y, unsigned flags);

/// A window's frame rectangle in screen coordinates (a child's too); empty for null.
QRect GetWindowRect(const QWidget* window);

/// Moves and raises collected first and applied together by End(), in the order given.
/// Windows destroyed in between are skipped.
class CDeferWindowPos {
public:
    void Defer(QWidget* window, int x, int y, unsigned flags);
    void End();
    std::size_t Count() const { return entries_.size(); }

private:
    struct Entry {
        QPointer<QWidget> window;
        int x;
        int y;
        unsigned flags;
    };
    std::vector<Entry> entries_;
};

}  // namespace wnd
