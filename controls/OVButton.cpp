#include "controls/OVButton.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/Paint3D.h"
#include "controls/SystemLook.h"

#include <QMouseEvent>
#include <QPainter>

OVButton::OVButton(QWidget* parent, QObject* owner_, const QRect& rect, int id_) : QWidget(parent), owner(owner_), id(id_)
{
    wnd::SetDlgCtrlID(this, id);
    setFocusPolicy(Qt::ClickFocus);
    setGeometry(rect);
    show();
}

void OVButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || state == Disabled)
        return;
    setFocus(Qt::MouseFocusReason);
    state = state == Pressed ? Normal : Pressed;
    captured = true;
    update();
}

void OVButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !captured)
        return;
    captured = false;
    if (rect().contains(event->position().toPoint())) {
        wnd::PostCommand(owner, wnd::MakeWParam(static_cast<unsigned>(id), 0), wnd::WindowHandle(this));
    } else {
        state = Normal;
        setEnabled(true);
        update();
    }
}

void OVButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    const bool pressed = state == Pressed;
    const QRect r = rect();
    painter.fillRect(r, wnd::GetSysColor(wnd::COLOR_BTNFACE, pal));
    const QColor hilight = wnd::GetSysColor(wnd::COLOR_3DHILIGHT, pal);
    const QColor dark = wnd::GetSysColor(wnd::COLOR_3DDKSHADOW, pal);
    const QColor light = wnd::GetSysColor(wnd::COLOR_3DLIGHT, pal);
    const QColor shadow = wnd::GetSysColor(wnd::COLOR_3DSHADOW, pal);
    if (!pressed) {
        wnd::Frame3D(painter, r, hilight, dark);
        wnd::Frame3D(painter, r.adjusted(1, 1, -1, -1), light, shadow);
    } else {
        wnd::Frame3D(painter, r, dark, hilight);
        wnd::Frame3D(painter, r.adjusted(1, 1, -1, -1), shadow, light);
    }
    const int shift = pressed ? 1 : 0;
    const QPoint origin(width() - 12 + shift, (height() - 5) / 2 + shift);
    const QColor arrow = isEnabled() && state != Disabled ? wnd::GetSysColor(wnd::COLOR_BTNTEXT, pal)
                                                          : wnd::GetSysColor(wnd::COLOR_GRAYTEXT, pal);
    QPolygon triangle;
    triangle << origin << origin + QPoint(4, 4) << origin + QPoint(8, 0);
    painter.setPen(arrow);
    painter.setBrush(arrow);
    painter.drawPolygon(triangle);
}
