#include "controls/CDualSlider.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/Paint3D.h"
#include "controls/SystemLook.h"
#include "controls/WindowIds.h"
#include "platform/DebugOutput.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <cstdio>

namespace {

QRect ToQRect(const ctl::SRect& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool Inside(const ctl::SRect& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

CDualSlider::CDualSlider() : QWidget(nullptr) {}

bool CDualSlider::Create(int id, QWidget* parent_, const QRect& rect)
{
    if (!parent_)
        return false;
    parent = parent_;
    id_ = id;
    setParent(parent_);
    wnd::SetDlgCtrlID(this, id);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(rect);
    geometry = ctl::ComputeDualSliderGeometry(rect.width(), rect.height());
    SetCentre(1, geometry.bar.left);
    marker2Rect = {geometry.bar.right - geometry.markerWidth, geometry.bar.bottom, geometry.bar.right,
                   geometry.bar.bottom + geometry.markerHeight};
    m_iMarkerPos1 = ctl::MarkerCentre(marker2Rect, geometry.markerWidth);
    valueCount = maxValue - minValue;
    const int travel = geometry.pixelMax - geometry.pixelMin;
    unitsPerPixel = travel > 0 ? static_cast<double>(valueCount) / travel : 0.0;
    minGapPixels = unitsPerPixel > 0.0 ? minGapUnits / unitsPerPixel : 0.0;
    show();
    return true;
}

void CDualSlider::SetCentre(int marker, int centre)
{
    const ctl::SRect r = ctl::MarkerRectAt(geometry, centre);
    if (marker == 1) {
        marker1Rect = r;
        m_iMarkerPos = centre;
    } else {
        marker2Rect = r;
        m_iMarkerPos1 = centre;
    }
}

double CDualSlider::ValueAt(int centre) const
{
    return ctl::ValueAtCentre(centre, geometry.pixelMin, geometry.pixelMax, minValue, maxValue, unitsPerPixel);
}

double CDualSlider::ValueOfMarker(int m, int centre) const
{
    // A pixel holds several values; a marker that has not left its pixel keeps the one given.
    if (centre == placedCentre_[m - 1])
        return m == 1 ? value1 : value2;
    return ValueAt(centre);
}

void CDualSlider::Notify(int marker, int value)
{
    if (listener) {
        listener->OnMarkerMoved(id_, marker, value);
        return;
    }
    wnd::SendMessage(wnd::FindCommandTarget(parent), wnd::DSM_MARKER_MOVED, static_cast<wnd::WPARAM>(value), marker);
}

int CDualSlider::SetMarkerPos(int m, int v)
{
    if (!parent)
        return 0;
    int centre = 0;
    if (!ctl::CentreForValue(v, minValue, maxValue, unitsPerPixel, geometry.pixelMin, &centre))
        return 0;
    if (m == 1)
        value1 = position1 = v;
    else if (m == 2)
        value2 = position2 = v;
    else
        return 1;
    SetCentre(m, centre);
    placedCentre_[m - 1] = centre;
    if (m_iMarkerPos >= m_iMarkerPos1) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "Error SetMarkerPos: m_bMarkersJump = FALSE, Bad value(m_iMarkerPos(%d)m_iMarkerPos1(%d))\n",
                      m_iMarkerPos, m_iMarkerPos1);
        platform::OutputDebugStringA(line);
    }
    Notify(m, v);
    update();
    return 1;
}

void CDualSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !parent || !isEnabled())
        return;
    const int x = static_cast<int>(event->position().x());
    const int y = static_cast<int>(event->position().y());
    activeMarker = 0;
    // Where the markers overlap, the selected one keeps the grab.
    const bool inOverlap = x > marker2Rect.left && x < marker1Rect.right;
    if (Inside(marker1Rect, x, y)) {
        anchorX = x;
        if (selectedMarker == 2 && inOverlap)
            activeMarker = 2;
        else
            selectedMarker = activeMarker = 1;
    } else if (x >= marker2Rect.left && x <= marker2Rect.right) {
        anchorX = x;
        if (selectedMarker == 1 && inOverlap)
            activeMarker = 1;
        else
            selectedMarker = activeMarker = 2;
    }
    if (activeMarker != 0) {
        update();
        captured = true;
        setFocus(Qt::MouseFocusReason);
    }
}

void CDualSlider::HoldGap()
{
    minGapPixels = std::floor(minGapPixels + 0.5);
}

void CDualSlider::DragMarker(int marker, int x)
{
    // Marker 1 lives toward the left end (dir -1), marker 2 toward the right end (dir +1); the
    // rules are the same, mirrored.
    const int dir = marker == 1 ? -1 : 1;
    const int ownEnd = marker == 1 ? geometry.pixelMin : geometry.pixelMax;
    const int farEnd = marker == 1 ? geometry.pixelMax : geometry.pixelMin;
    const int own = marker == 1 ? m_iMarkerPos : m_iMarkerPos1;
    const int other = marker == 1 ? m_iMarkerPos1 : m_iMarkerPos;
    double& position = marker == 1 ? position1 : position2;

    if (dir * (x - ownEnd) > 0) {
        SetCentre(marker, ownEnd);
        position = ValueAt(ownEnd);
        Notify(marker, static_cast<int>(std::trunc(position)));
        anchorX = ownEnd;
        update();
        return;
    }
    if (-dir * (x - farEnd) > 0)
        return;
    if (dir * (x - other) >= minGapPixels) {
        int centre = own + (x - anchorX);
        if (dir * (centre - other) > 0) {  // it may not reach the other marker
            if (dir * (centre - ownEnd) > 0)
                centre = ownEnd;
            SetCentre(marker, centre);
            if (centre != ownEnd)
                anchorX = x;
        }
    } else {
        HoldGap();
        int centre = other + dir * static_cast<int>(minGapPixels);
        if (dir * (centre - ownEnd) > 0)
            centre = ownEnd;
        SetCentre(marker, centre);
        anchorX = centre;
    }
    position = ValueOfMarker(marker, marker == 1 ? m_iMarkerPos : m_iMarkerPos1);
    Notify(marker, static_cast<int>(std::trunc(position)));
    update();
}

void CDualSlider::mouseMoveEvent(QMouseEvent* event)
{
    // Without a range (or with a gap that cannot be kept) a drag moves nothing.
    if (!captured || !HasRange() || !std::isfinite(minGapPixels))
        return;
    const int x = static_cast<int>(event->position().x());
    if (activeMarker == 1 || activeMarker == 2)
        DragMarker(activeMarker, x);
}

void CDualSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !parent)
        return;
    captured = false;
    const int released = activeMarker;
    activeMarker = 0;
    update();
    wnd::SendMessage(wnd::FindCommandTarget(parent), wnd::DSM_MARKER_RELEASED, static_cast<wnd::WPARAM>(id_), released);
}

void CDualSlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    captured = false;
    selectedMarker = 0;
    update();
}

void CDualSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    if (!fillColor.isValid())
        fillColor = wnd::GetSysColor(wnd::COLOR_BTNFACE, pal);
    painter.fillRect(rect(), wnd::GetSysColor(wnd::COLOR_BTNFACE, pal));
    QRect groove = ToQRect(geometry.bar);
    wnd::DrawEdge(painter, groove, wnd::Edge::Sunken, pal, true);
    if (m_iMarkerPos > groove.left())
        painter.fillRect(QRect(groove.left(), groove.top(), m_iMarkerPos - groove.left(), groove.height()), fillColor);
    if (groove.right() + 1 > m_iMarkerPos1)
        painter.fillRect(QRect(m_iMarkerPos1, groove.top(), groove.right() + 1 - m_iMarkerPos1, groove.height()), fillColor);

    const QColor grey(142, 142, 142), greyLight(200, 200, 200), greyDark(60, 60, 60);
    const QColor green(80, 130, 80), greenLight(140, 200, 140), greenDark(40, 80, 40);
    auto drawMarker = [&](const ctl::SRect& r, bool selected) {
        const int apexX = r.left + geometry.markerWidth / 2;
        const QPoint bottomLeft(r.left, r.bottom - 1), topLeft(r.left, r.top), apex(apexX, geometry.bar.top);
        const QPoint topRight(r.right - 1, r.top), bottomRight(r.right - 1, r.bottom - 1);
        QPolygon arrow;
        arrow << bottomLeft << topLeft << apex << topRight << bottomRight;
        painter.setPen(Qt::NoPen);
        painter.setBrush(selected ? green : grey);
        painter.drawPolygon(arrow);
        QColor light = selected ? greenLight : greyLight;
        QColor dark = selected ? greenDark : greyDark;
        if (!isEnabled())
            dark = light = greyLight;
        painter.setPen(light);
        painter.drawLine(bottomLeft, topLeft);
        painter.drawLine(topLeft, apex);
        painter.setPen(dark);
        painter.drawLine(apex, topRight);
        painter.drawLine(topRight, bottomRight);
        painter.drawLine(bottomRight, bottomLeft);
    };
    if (selectedMarker == 1) {
        drawMarker(marker2Rect, false);
        drawMarker(marker1Rect, true);
    } else if (selectedMarker == 2) {
        drawMarker(marker1Rect, false);
        drawMarker(marker2Rect, true);
    } else {
        drawMarker(marker1Rect, false);
        drawMarker(marker2Rect, false);
    }
}
