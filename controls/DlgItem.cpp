#include "controls/DlgItem.h"

#include <QVariant>
#include <QWidget>

namespace wnd {

void SetDlgCtrlID(QWidget* widget, int id)
{
    if (widget)
        widget->setProperty(kCtrlIdProperty, id);
}

int GetDlgCtrlID(const QWidget* widget)
{
    return widget ? widget->property(kCtrlIdProperty).toInt() : 0;
}

QWidget* GetDlgItem(const QWidget* parent, int id)
{
    if (!parent || id == 0)
        return nullptr;
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children)
        if (GetDlgCtrlID(child) == id)
            return child;
    return nullptr;
}

}  // namespace wnd
