// The numeric control's slider: a groove with a draggable thumb and optional minimum and
// maximum labels, horizontal or vertical (minimum at the top), shown as a pop-up under the
// control or as a child window. The thumb moves linearly in the space of a scale function;
// the owner hears each drag move (1002), the release (1001) and, for a pop-up, the loss of
// focus (1003, before it hides), as commands (code << 16 | id, lParam 0), and then reads
// `current`.
#pragma once

#include "controls/Command.h"
#include "controls/SliderGeometry.h"
#include "controls/WindowIds.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class OVScaleFunction;

class OVSlider : public QWidget {
public:
    /// parent: the dialog (a pop-up is a separate window owned by it). owner: hears the
    /// notifications and must outlive the slider (the numeric control owns it). scale is
    /// borrowed and must outlive the slider; null is the identity. thumb is width x height of a
    /// horizontal thumb; a vertical slider turns it. A pop-up starts hidden, a child visible
    /// with control id 2.
    OVSlider(QWidget* parent, wnd::ICommandTarget* owner, const QRect& rect, QSize thumb, double minValue,
             double maxValue, bool integerMode, bool showLabels, const OVScaleFunction* scale, bool popup,
             bool vertical);

    /// Moves the thumb to value (held within the travel); current becomes its scaled value.
    void SetPos(double value);
    /// New bounds: scaled bounds and layout are recomputed.
    void SetRange(double minValue, double maxValue);
    /// Formats both labels with format (until the next layout).
    void SetLabelFormat(const QString& format);
    void Enable(bool enable);
    /// The pop-up lost the focus: report 1003 and hide. A child only ends a drag.
    virtual void OnKillFocus();

    QRect ThumbRect() const;
    int ThumbCentre() const { return thumbCentre_; }
    const ctl::SliderLayout& Layout() const { return layout_; }

    wnd::ICommandTarget* owner;
    int id = wnd::IDC_OV_SLIDER;
    bool popup;
    bool vertical;
    bool showLabels;
    bool integerMode;
    int thumbWidth;
    int thumbHeight;
    double minValue;
    double maxValue;
    double scaledMin = 0.0;
    double scaledMax = 0.0;
    double current;  ///< position in scaled space
    const OVScaleFunction* scale;
    QString minLabel, maxLabel;
    QString labelFormat;
    bool dragging = false;
    QPoint lastMouse;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DoLayout();
    /// Lays out the slider for the labels it holds.
    void LayOutLabels();
    void Notify(unsigned code);
    void MoveThumbTo(int centre);
    double ToScaled(double value) const;
    int Axis(QPoint p) const { return vertical ? p.y() : p.x(); }

    ctl::SliderLayout layout_;
    int thumbCentre_ = 0;
    QSize laidOutSize_;
    bool open_ = false;      // a pop-up is shown and has not reported its focus loss
    bool selfHide_ = false;  // the pop-up hides itself after 1003
    bool pressed_ = false;   // the left button went down on the slider
};
