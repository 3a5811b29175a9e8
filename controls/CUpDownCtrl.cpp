#include "controls/CUpDownCtrl.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/Paint3D.h"
#include "controls/SystemLook.h"
#include "controls/WindowIds.h"
#include "platform/Clock.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

CUpDownCtrl::CUpDownCtrl(QWidget* parent, int id)
    : QWidget(parent), clock_(&platform::DefaultClock()), repeat_(new QTimer(this))
{
    wnd::SetDlgCtrlID(this, id);
    setFocusPolicy(Qt::TabFocus);
    resize(kWidth, 20);
    connect(repeat_, &QTimer::timeout, this, [this] {
        repeat_->setInterval(kRepeatPeriodMs);
        OnAutoRepeat();
    });
}

void CUpDownCtrl::SetRange32(int low, int high)
{
    low_ = low;
    high_ = high;
    position_ = ctl::UpDownClamp(low_, high_, position_);
    update();
}

void CUpDownCtrl::SetPos32(int position)
{
    position_ = ctl::UpDownClamp(low_, high_, position);
}

void CUpDownCtrl::SetClock(platform::IClock* clock)
{
    clock_ = clock ? clock : &platform::DefaultClock();
}

void CUpDownCtrl::AttachToBuddy(QWidget* buddy)
{
    if (!buddy)
        return;
    const QRect r = buddy->geometry();
    buddy->resize(std::max(0, r.width() - kWidth), r.height());
    setGeometry(r.right() + 1 - kWidth, r.top(), kWidth, r.height());
}

void CUpDownCtrl::Step(bool up)
{
    const double elapsed = static_cast<double>(static_cast<long long>(clock_->TickCountMs()) - pressStartMs_) / 1000.0;
    const int next = ctl::UpDownStep(low_, high_, position_, up, ctl::AccelIncrementAt(accel_, elapsed));
    if (next == position_)
        return;
    position_ = next;
    Report(wnd::SB_THUMBPOSITION);
}

void CUpDownCtrl::OnAutoRepeat()
{
    if (held_ != 0)
        Step(held_ > 0);
}

void CUpDownCtrl::EndAction()
{
    repeat_->stop();
    held_ = 0;
    update();
    Report(wnd::SB_ENDSCROLL);
}

void CUpDownCtrl::Report(unsigned code)
{
    emit scrolled(static_cast<int>(code), position_);
    wnd::SendMessage(wnd::FindCommandTarget(parentWidget()), wnd::WM_VSCROLL,
                     wnd::MakeWParam(code, static_cast<unsigned>(position_)), wnd::WindowHandle(this));
}

void CUpDownCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || held_ != 0) {
        event->ignore();
        return;
    }
    held_ = event->position().y() < height() / 2.0 ? +1 : -1;
    pressStartMs_ = static_cast<long long>(clock_->TickCountMs());
    update();
    Step(held_ > 0);
    repeat_->start(kRepeatDelayMs);
}

void CUpDownCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || held_ == 0 || keyHeld_)
        return;
    EndAction();
}

void CUpDownCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int arrow = event->key() == Qt::Key_Up ? +1 : -1;
    if (!event->isAutoRepeat() || held_ == 0) {
        if (held_ == 0)
            pressStartMs_ = static_cast<long long>(clock_->TickCountMs());
        held_ = arrow;
        keyHeld_ = true;
    }
    Step(arrow > 0);
}

void CUpDownCtrl::keyReleaseEvent(QKeyEvent* event)
{
    if ((event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) || event->isAutoRepeat() || !keyHeld_) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    keyHeld_ = false;
    EndAction();
}

void CUpDownCtrl::changeEvent(QEvent* event)
{
    // A control disabled while an arrow is held still ends its action.
    if (event->type() == QEvent::EnabledChange && !isEnabled() && held_ != 0) {
        keyHeld_ = false;
        EndAction();
    }
    QWidget::changeEvent(event);
}

void CUpDownCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    const QColor arrow = isEnabled() ? wnd::GetSysColor(wnd::COLOR_BTNTEXT, pal) : wnd::GetSysColor(wnd::COLOR_GRAYTEXT, pal);
    for (int i = 0; i < 2; ++i) {
        QRect r = halves[i];
        painter.fillRect(r, wnd::GetSysColor(wnd::COLOR_BTNFACE, pal));
        const bool pressed = (i == 0 && held_ > 0) || (i == 1 && held_ < 0);
        wnd::DrawEdge(painter, r, pressed ? wnd::Edge::Sunken : wnd::Edge::Raised, pal, true);
        const int cx = r.center().x() + (pressed ? 1 : 0);
        const int cy = r.center().y() + (pressed ? 1 : 0);
        QPolygon triangle;
        if (i == 0)
            triangle << QPoint(cx - 3, cy + 1) << QPoint(cx + 3, cy + 1) << QPoint(cx, cy - 2);
        else
            triangle << QPoint(cx - 3, cy - 1) << QPoint(cx + 3, cy - 1) << QPoint(cx, cy + 2);
        painter.setPen(arrow);
        painter.setBrush(arrow);
        painter.drawPolygon(triangle);
    }
}
