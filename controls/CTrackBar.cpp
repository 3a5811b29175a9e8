#include "controls/CTrackBar.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/WindowIds.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

CTrackBar::CTrackBar(Qt::Orientation orientation, QWidget* parent, int id) : QSlider(orientation, parent)
{
    wnd::SetDlgCtrlID(this, id);
    if (orientation == Qt::Vertical)
        setInvertedAppearance(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { OnAction(action); });
}

void CTrackBar::OnAction(int action)
{
    // The slider position already holds the action's result when actionTriggered arrives.
    unsigned code = 0;
    switch (action) {
    case SliderSingleStepSub: code = wnd::TB_LINEUP; break;
    case SliderSingleStepAdd: code = wnd::TB_LINEDOWN; break;
    case SliderPageStepSub: code = wnd::TB_PAGEUP; break;
    case SliderPageStepAdd: code = wnd::TB_PAGEDOWN; break;
    case SliderToMinimum: code = wnd::TB_TOP; break;
    case SliderToMaximum: code = wnd::TB_BOTTOM; break;
    case SliderMove:
        code = wnd::TB_THUMBTRACK;
        thumbMoved_ = true;
        break;
    default: return;
    }
    Report(code);
}

void CTrackBar::Report(unsigned code)
{
    const int position = sliderPosition();
    emit scrolled(static_cast<int>(code), position);
    wnd::SendMessage(wnd::FindCommandTarget(parentWidget()),
                     orientation() == Qt::Horizontal ? wnd::WM_HSCROLL : wnd::WM_VSCROLL,
                     wnd::MakeWParam(code, static_cast<unsigned>(position)), wnd::WindowHandle(this));
}

void CTrackBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        mouseGesture_ = true;
        thumbMoved_ = false;
    }
    QSlider::mousePressEvent(event);
}

void CTrackBar::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !mouseGesture_)
        return;
    mouseGesture_ = false;
    if (thumbMoved_)
        Report(wnd::TB_THUMBPOSITION);
    thumbMoved_ = false;
    Report(wnd::TB_ENDTRACK);
}

void CTrackBar::keyPressEvent(QKeyEvent* event)
{
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: action = SliderSingleStepSub; break;
    case Qt::Key_Right:
    case Qt::Key_Down: action = SliderSingleStepAdd; break;
    case Qt::Key_PageUp: action = SliderPageStepSub; break;
    case Qt::Key_PageDown: action = SliderPageStepAdd; break;
    case Qt::Key_Home: action = SliderToMinimum; break;
    case Qt::Key_End: action = SliderToMaximum; break;
    default: event->ignore(); return;
    }
    event->accept();
    keyGesture_ = true;
    triggerAction(action);
}

void CTrackBar::keyReleaseEvent(QKeyEvent* event)
{
    if (!keyGesture_ || event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    event->accept();
    keyGesture_ = false;
    Report(wnd::TB_ENDTRACK);
}

void CTrackBar::wheelEvent(QWheelEvent* event)
{
    const int before = sliderPosition();
    QSlider::wheelEvent(event);
    if (sliderPosition() != before)
        Report(wnd::TB_ENDTRACK);
}
