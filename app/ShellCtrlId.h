// Numeric control ids on the shell's widgets: the "ctrlId" property (found by id as the
// window code does) and the object name "id_<id>".
#pragma once

#include <QString>
#include <QWidget>

inline void SetShellCtrlId(QWidget* widget, int id)
{
    widget->setProperty("ctrlId", id);
    widget->setObjectName(QStringLiteral("id_%1").arg(id));
}
