// A trackbar that reports like the panels expect: every change by the operator arrives as a
// scroll code (line, page, top, bottom, thumb track), and every gesture ends with TB_ENDTRACK
// (8), whether it was a drag, a click in the channel, a key or the wheel; a drag ends with
// TB_THUMBPOSITION then TB_ENDTRACK. The codes go to the nearest ancestor that takes commands
// as WM_HSCROLL (horizontal) or WM_VSCROLL (vertical) with wParam = (position << 16) | code and
// lParam = the trackbar, and to the scrolled signal. Positions set by code report nothing.
// Keys work as on the classic trackbar: Left/Up one line toward the minimum, Right/Down toward
// the maximum, Page Up/Down one page, Home/End the ends. A vertical trackbar has its minimum at
// the top.
#pragma once

#include <QSlider>

class CTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit CTrackBar(Qt::Orientation orientation, QWidget* parent = nullptr, int id = 0);

    void SetRange(int minimum, int maximum) { setRange(minimum, maximum); }
    int GetPos() const { return sliderPosition(); }
    /// Moves the thumb without reporting anything.
    void SetPos(int position) { setValue(position); }

signals:
    void scrolled(int code, int position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnAction(int action);
    void Report(unsigned code);

    bool mouseGesture_ = false;
    bool thumbMoved_ = false;
    bool keyGesture_ = false;
};
