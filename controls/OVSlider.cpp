#include "controls/OVSlider.h"

#include "controls/DlgItem.h"
#include "controls/OVScaleFunction.h"
#include "controls/Paint3D.h"
#include "controls/SystemLook.h"
#include "controls/ValueText.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace {
const OVNoneScale kIdentity;

QString LabelText(double value, bool integerMode, const QString& format)
{
    if (!format.isEmpty())
        return QString::fromStdString(ctl::FormatValue(format.toStdString(), value));
    return QString::fromStdString(integerMode ? ctl::FormatWhole(value)
                                              : ctl::FormatValue(ctl::kDefaultValueFormat, value));
}
}  // namespace

OVSlider::OVSlider(QWidget* parent, wnd::ICommandTarget* owner_, const QRect& rect, QSize thumb, double minValue_,
                   double maxValue_, bool integerMode_, bool showLabels_, const OVScaleFunction* scale_, bool popup_,
                   bool vertical_)
    : QWidget(parent, popup_ ? Qt::Popup : Qt::Widget),
      owner(owner_),
      popup(popup_),
      vertical(vertical_),
      showLabels(showLabels_),
      integerMode(integerMode_),
      thumbWidth(vertical_ ? thumb.height() : thumb.width()),
      thumbHeight(vertical_ ? thumb.width() : thumb.height()),
      minValue(minValue_),
      maxValue(maxValue_),
      current(minValue_),
      scale(scale_ ? scale_ : &kIdentity)
{
    wnd::SetDlgCtrlID(this, popup ? wnd::IDC_OV_SLIDER : 2);
    setFocusPolicy(Qt::ClickFocus);
    setFont(wnd::ControlFont());
    setGeometry(rect);
    DoLayout();
    if (!popup)
        show();
}

double OVSlider::ToScaled(double value) const
{
    return scale->ToScaled(value);
}

void OVSlider::DoLayout()
{
    labelFormat.clear();
    if (showLabels) {
        minLabel = LabelText(minValue, integerMode, QString());
        maxLabel = LabelText(maxValue, integerMode, QString());
    } else {
        minLabel.clear();
        maxLabel.clear();
    }
    LayOutLabels();
}

void OVSlider::LayOutLabels()
{
    scaledMin = ToScaled(minValue);
    scaledMax = ToScaled(maxValue);
    ctl::SliderLayoutInput in;
    in.width = width();
    in.height = height();
    in.vertical = vertical;
    in.thumbWidth = thumbWidth;
    in.thumbHeight = thumbHeight;
    if (showLabels) {
        const QFontMetrics metrics(font());
        in.minLabelWidth = metrics.horizontalAdvance(minLabel);
        in.maxLabelWidth = metrics.horizontalAdvance(maxLabel);
        in.minLabelHeight = in.maxLabelHeight = metrics.height();
    }
    // A pop-up grows to show its labels whole; a child keeps the place its dialog gave it.
    if (popup && showLabels && in.width < ctl::WidthForLabels(in)) {
        in.width = ctl::WidthForLabels(in);
        laidOutSize_ = QSize(in.width, in.height);
        resize(laidOutSize_);
    }
    layout_ = ctl::LayoutSlider(in);
    laidOutSize_ = size();
    thumbCentre_ = ctl::TravelStart(layout_, vertical);
    update();
}

void OVSlider::SetPos(double value)
{
    current = ToScaled(value);
    thumbCentre_ = ctl::ThumbCentreFor(current, scaledMin, scaledMax, ctl::TravelStart(layout_, vertical),
                                       layout_.trackLength);
    update();
}

void OVSlider::SetRange(double minValue_, double maxValue_)
{
    minValue = minValue_;
    maxValue = maxValue_;
    DoLayout();
}

void OVSlider::SetLabelFormat(const QString& format)
{
    labelFormat = format;
    minLabel = LabelText(minValue, integerMode, format);
    maxLabel = LabelText(maxValue, integerMode, format);
    // The labels' places (and a pop-up's width) follow their new texts; the thumb stays.
    const double value = scale->FromScaled(current);
    LayOutLabels();
    SetPos(value);
}

void OVSlider::Enable(bool enable)
{
    setEnabled(enable);
    update();
}

QRect OVSlider::ThumbRect() const
{
    if (vertical)
        return QRect(layout_.lineStart.x - thumbWidth / 2, thumbCentre_ - thumbHeight / 2, thumbWidth, thumbHeight);
    return QRect(thumbCentre_ - thumbWidth / 2, layout_.lineStart.y - thumbHeight / 2, thumbWidth, thumbHeight);
}

void OVSlider::MoveThumbTo(int centre)
{
    const int start = ctl::TravelStart(layout_, vertical);
    thumbCentre_ = ctl::HoldOnTravel(centre, start, layout_.trackLength);
    current = ctl::ScaledAtCentre(thumbCentre_, start, layout_.trackLength, scaledMin, scaledMax);
}

void OVSlider::Notify(unsigned code)
{
    wnd::SendCommand(owner, wnd::MakeWParam(static_cast<unsigned>(id), code), 0);
}

void OVSlider::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (popup && !rect().contains(point)) {
        // An open pop-up sees every click; one elsewhere closes it (as a focus loss does) and
        // its release must not reach the groove.
        pressed_ = false;
        dragging = false;
        QWidget::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    setFocus(Qt::MouseFocusReason);
    lastMouse = point;
    dragging = ThumbRect().contains(lastMouse);
}

void OVSlider::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (dragging && (event->buttons() & Qt::LeftButton)) {
        MoveThumbTo(thumbCentre_ + Axis(point) - Axis(lastMouse));
        repaint();
        Notify(wnd::OVN_CHANGING);
    }
    lastMouse = point;
}

void OVSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (dragging)
        dragging = false;
    else
        MoveThumbTo(Axis(event->position().toPoint()));
    update();
    Notify(wnd::OVN_CHANGED);
}

void OVSlider::OnKillFocus()
{
    dragging = false;
    pressed_ = false;
    if (!popup || !open_)
        return;
    open_ = false;
    Notify(wnd::OVN_KILLFOCUS);
    selfHide_ = true;
    hide();
    selfHide_ = false;
}

void OVSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    OnKillFocus();
}

void OVSlider::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (popup)
        open_ = true;
}

void OVSlider::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A pop-up closed from outside (a click elsewhere) has lost the focus as well.
    if (popup && !selfHide_)
        OnKillFocus();
}

void OVSlider::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (size() == laidOutSize_)
        return;
    const double value = scale->FromScaled(current);
    DoLayout();
    SetPos(value);
}

void OVSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), wnd::GetSysColor(wnd::COLOR_BTNFACE, pal));

    if (showLabels) {
        painter.setFont(font());
        painter.setPen(isEnabled() ? wnd::GetSysColor(wnd::COLOR_BTNTEXT, pal) : wnd::GetSysColor(wnd::COLOR_GRAYTEXT, pal));
        const QFontMetrics metrics(font());
        painter.drawText(QPoint(layout_.minLabelPos.x, layout_.minLabelPos.y + metrics.ascent()), minLabel);
        painter.drawText(QPoint(layout_.maxLabelPos.x, layout_.maxLabelPos.y + metrics.ascent()), maxLabel);
    }

    const QColor dark = wnd::GetSysColor(wnd::COLOR_3DDKSHADOW, pal);
    painter.setPen(dark);
    painter.drawLine(layout_.lineStart.x, layout_.lineStart.y, layout_.lineEnd.x, layout_.lineEnd.y);
    const ctl::SRect& g = layout_.groove;
    wnd::Frame3D(painter, QRect(g.left, g.top, g.right - g.left, g.bottom - g.top),
                 wnd::GetSysColor(wnd::COLOR_BTNSHADOW, pal), wnd::GetSysColor(wnd::COLOR_3DHILIGHT, pal));

    QRect thumb = ThumbRect();
    if (thumb.left() < 0)
        thumb.moveLeft(5);
    wnd::DrawRaisedBlock(painter, thumb, pal);
    const QColor hilight = wnd::GetSysColor(wnd::COLOR_3DHILIGHT, pal);
    const QPoint c = thumb.center();
    if (!vertical) {
        painter.setPen(dark);
        painter.drawLine(c.x(), c.y(), c.x(), thumb.bottom() - 2);
        painter.setPen(hilight);
        painter.drawLine(c.x() + 1, c.y(), c.x() + 1, thumb.bottom() - 2);
    } else {
        painter.setPen(dark);
        painter.drawLine(c.x(), c.y(), thumb.right() - 2, c.y());
        painter.setPen(hilight);
        painter.drawLine(c.x(), c.y() + 1, thumb.right() - 2, c.y() + 1);
    }
    if (popup) {
        painter.setPen(wnd::GetSysColor(wnd::COLOR_WINDOWTEXT, pal));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
