#include "controls/Paint3D.h"

#include "controls/SystemLook.h"

#include <QPainter>
#include <QPalette>

namespace wnd {

void Frame3D(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
}

void DrawEdge(QPainter& painter, QRect& rect, Edge edge, const QPalette& palette, bool adjust)
{
    const QColor light = GetSysColor(COLOR_3DLIGHT, palette);
    const QColor hilight = GetSysColor(COLOR_3DHILIGHT, palette);
    const QColor shadow = GetSysColor(COLOR_3DSHADOW, palette);
    const QColor dark = GetSysColor(COLOR_3DDKSHADOW, palette);
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (edge == Edge::Raised) {
        Frame3D(painter, rect, light, dark);
        Frame3D(painter, inner, hilight, shadow);
    } else {
        Frame3D(painter, rect, shadow, hilight);
        Frame3D(painter, inner, dark, light);
    }
    if (adjust)
        rect.adjust(2, 2, -2, -2);
}

void DrawRaisedBlock(QPainter& painter, const QRect& rect, const QPalette& palette)
{
    painter.fillRect(rect, GetSysColor(COLOR_BTNFACE, palette));
    Frame3D(painter, rect, GetSysColor(COLOR_3DHILIGHT, palette), GetSysColor(COLOR_3DDKSHADOW, palette));
    Frame3D(painter, rect.adjusted(1, 1, -1, -1), GetSysColor(COLOR_3DLIGHT, palette),
            GetSysColor(COLOR_3DSHADOW, palette));
}

}  // namespace wnd
