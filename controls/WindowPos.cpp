#include "controls/WindowPos.h"

namespace wnd {

bool SetWindowPos(QWidget* window, int x, int y, unsigned flags)
{
    if (!window)
        return false;
    if (!(flags & SWP_NOMOVE)) {
        WINDOWPOS pos{window, x, y, flags};
        if (auto* hook = dynamic_cast<IWindowPosHook*>(window))
            hook->OnWindowPosChanging(&pos);
        if (window->isWindow())
            window->move(pos.x, pos.y);
        else
            window->move(window->parentWidget() ? window->parentWidget()->mapFromGlobal(QPoint(pos.x, pos.y))
                                                : QPoint(pos.x, pos.y));
    }
    if (!(flags & SWP_NOZORDER))
        window->raise();
    if (!(flags & SWP_NOACTIVATE) && window->isVisible())
        window->activateWindow();
    return true;
}

QRect GetWindowRect(const QWidget* window)
{
    if (!window)
        return {};
    if (window->isWindow())
        return window->frameGeometry();
    return QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
}

void CDeferWindowPos::Defer(QWidget* window, int x, int y, unsigned flags)
{
    if (window)
        entries_.push_back({window, x, y, flags});
}

void CDeferWindowPos::End()
{
    std::vector<Entry> entries;
    entries.swap(entries_);
    for (const Entry& e : entries)
        if (e.window)
            SetWindowPos(e.window, e.x, e.y, e.flags);
}

}  // namespace wnd
