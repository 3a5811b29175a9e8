// The up-down (spin) control: two arrow halves that step a position of their own. The edit
// beside it is written by its owner, not by the control. Each step reports SB_THUMBPOSITION
// with the new position, the end of the action (mouse or key release) SB_ENDSCROLL (8); the
// codes go to the nearest ancestor that takes commands as WM_VSCROLL (wParam =
// (position << 16) | code, lParam = the control) and to the scrolled signal. Holding an arrow
// repeats the step, faster after the acceleration table; time is read from an IClock so tests
// control it. Up/Down keys step like the arrows.
#pragma once

#include "controls/UpDownLogic.h"

#include <QWidget>

#include <vector>

class QTimer;
namespace platform {
class IClock;
}

class CUpDownCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 16;
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatPeriodMs = 50;

    explicit CUpDownCtrl(QWidget* parent = nullptr, int id = 0);

    /// The range; low above high is allowed and makes the up arrow count down.
    void SetRange32(int low, int high);
    int Low() const { return low_; }
    int High() const { return high_; }
    /// Sets the position (held within the range) without reporting.
    void SetPos32(int position);
    int GetPos32() const { return position_; }
    void SetAccel(std::vector<ctl::UDACCEL> table) { accel_ = std::move(table); }
    /// The clock for acceleration; it must outlive the control. Default: the system clock.
    void SetClock(platform::IClock* clock);
    /// Places the control at the right edge of buddy and narrows the buddy by its width.
    void AttachToBuddy(QWidget* buddy);

    /// One auto-repeat step of the held arrow (the repeat timer's tick).
    void OnAutoRepeat();
    /// Which arrow is held: +1 up, -1 down, 0 none.
    int HeldArrow() const { return held_; }

signals:
    void scrolled(int code, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Step(bool up);
    void EndAction();
    void Report(unsigned code);

    int low_ = 0;
    int high_ = 100;
    int position_ = 0;
    std::vector<ctl::UDACCEL> accel_;
    platform::IClock* clock_;
    long long pressStartMs_ = 0;
    int held_ = 0;
    bool keyHeld_ = false;
    QTimer* repeat_;
};
