#include "controls/Command.h"

#include "controls/WindowIds.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

namespace wnd {

bool ICommandTarget::OnWindowMessage(unsigned, WPARAM, LPARAM)
{
    return false;
}

LPARAM WindowHandle(const QWidget* window)
{
    return reinterpret_cast<LPARAM>(window);
}

QWidget* WindowFromHandle(LPARAM handle)
{
    return reinterpret_cast<QWidget*>(handle);
}

QWidget* FindCommandWindow(QWidget* from)
{
    for (QWidget* w = from; w; w = w->parentWidget())
        if (dynamic_cast<ICommandTarget*>(w))
            return w;
    return nullptr;
}

ICommandTarget* FindCommandTarget(QWidget* from)
{
    return dynamic_cast<ICommandTarget*>(FindCommandWindow(from));
}

bool SendCommand(ICommandTarget* target, WPARAM wParam, LPARAM lParam)
{
    return target ? target->OnCommand(wParam, lParam) : false;
}

bool SendMessage(ICommandTarget* target, unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (!target)
        return false;
    if (message == WM_COMMAND)
        return target->OnCommand(wParam, lParam);
    return target->OnWindowMessage(message, wParam, lParam);
}

bool PostMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (!dynamic_cast<ICommandTarget*>(receiver))
        return false;
    QPointer<QObject> guard(receiver);
    // The receiver is the context object: Qt drops the call if it is destroyed before delivery.
    QMetaObject::invokeMethod(
        receiver,
        [guard, message, wParam, lParam] {
            if (guard)
                SendMessage(dynamic_cast<ICommandTarget*>(guard.data()), message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return true;
}

bool PostCommand(QObject* receiver, WPARAM wParam, LPARAM lParam)
{
    return PostMessage(receiver, WM_COMMAND, wParam, lParam);
}

}  // namespace wnd
