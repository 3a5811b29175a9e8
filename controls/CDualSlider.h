// The two-marker limit slider of the automatic exposure and gain panel: a groove with two
// up-pointing markers that select a lower (marker 1) and an upper (marker 2) limit of a
// whole-number range. The markers never pass each other while dragged and keep a minimum
// gap. Each movement goes to the listener (or, without one, to the parent as DSM_MARKER_MOVED
// with wParam = value, lParam = marker); every release of the left button sends
// DSM_MARKER_RELEASED (wParam = control id, lParam = the marker dragged, 0 if none).
#pragma once

#include "controls/DualSliderGeometry.h"

#include <QColor>
#include <QWidget>

class IDualSliderListener {
public:
    virtual ~IDualSliderListener() = default;
    virtual void OnMarkerMoved(int id, int marker, int value) = 0;
    /// The floating-point counterpart; the slider reports whole values only.
    virtual void OnMarkerMovedF(int id, int marker, double value) = 0;
};

class CDualSlider : public QWidget {
public:
    CDualSlider();

    /// Creates the window at rect in parent (a dialog that takes commands) with the control id.
    bool Create(int id, QWidget* parent, const QRect& rect);
    /// Places marker m (1 or 2) at value v and reports it. Returns 0 before Create, before the
    /// range is set (unitsPerPixel not positive) or for a value outside the range (the marker
    /// stays); 1 otherwise.
    int SetMarkerPos(int m, int v);

    // Written by the panel.
    int minValue = 0;
    int maxValue = 0;
    int valueCount = 0;
    double unitsPerPixel = 0.0;
    double minGapUnits = 1.0;
    double minGapPixels = 0.0;
    IDualSliderListener* listener = nullptr;  ///< borrowed; the panel outlives its sliders

    QWidget* parent = nullptr;
    bool m_bMarkersJump = false;
    int value1 = 0;
    int value2 = 0;
    double position1 = 0.0;
    double position2 = 0.0;
    int m_iMarkerPos = 0;   ///< centre of marker 1
    int m_iMarkerPos1 = 0;  ///< centre of marker 2
    ctl::DualSliderGeometry geometry;
    ctl::SRect marker1Rect;
    ctl::SRect marker2Rect;
    int activeMarker = 0;
    int selectedMarker = 0;
    int anchorX = 0;
    bool captured = false;
    QColor fillColor;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetCentre(int marker, int centre);
    void Notify(int marker, int value);
    void DragMarker(int marker, int x);
    double ValueAt(int centre) const;
    bool HasRange() const { return unitsPerPixel > 0.0; }
    void HoldGap();
    /// The value of marker m at its centre: the value it was placed at while it stays on that
    /// pixel, else the value the pixel stands for.
    double ValueOfMarker(int m, int centre) const;

    int id_ = 0;
    int placedCentre_[2] = {-1, -1};  ///< where SetMarkerPos put each marker (-1: not placed)
};
