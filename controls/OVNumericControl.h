// The numeric control: one floating-point value between two bounds (either may be the larger;
// the gain panels pass them reversed), edited through an edit (10004), a spin (10003) and a
// pop-up slider (10002) opened by a small drop-down button (10001). It keeps the three in step,
// clamps the value and tells its parent with commands (code << 16 | id, lParam = the control):
// 1002 while the value moves (each spin step; slider drags only with liveNotify) and 1001 when
// a change is complete (Enter or focus loss in the edit, slider release, end of a spin action).
// The panel reads `value` after a notification.
#pragma once

#include "controls/Command.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class CUpDownCtrl;
class OVButton;
class OVEdit;
class OVNoneScale;
class OVScaleFunction;
class OVSlider;

class OVNumericControl : public QWidget, public wnd::ICommandTarget {
public:
    enum StyleBits {
        kDropDown = 1,       ///< drop-down button and pop-up slider
        kVertical = 2,       ///< vertical slider
        kPopupAtRect = 4,    ///< the pop-up opens at popupRect, not under the control
    };

    OVNumericControl(QWidget* parent, int id);
    ~OVNumericControl() override;

    /// Builds (or rebuilds) the children for a range and value, then posts code 0 to the parent.
    /// scale is borrowed and must outlive the control or the next Init (null: the identity).
    /// rect: where the pop-up opens with kPopupAtRect, in the parent's coordinates (null: the
    /// default 0,20 - 200,40). owner is kept only.
    void Init(int style, QWidget* owner, double minValue, double maxValue, double value, int spinSteps,
              bool integerMode, const OVScaleFunction* scale = nullptr, const QRect* rect = nullptr);
    /// Sets the value (clamped) without notifying; a reading again after ShowNoReading.
    void SetValue(double value);
    /// The camera did not answer the value: the edit shows ctl::kNoReading, the spin and slider
    /// stay where they are. A spin arrow then does nothing (it would step from a value nobody
    /// read); a typed number or a slider move is the operator's value and ends the state, as
    /// do SetValue and Init.
    void ShowNoReading();
    void SetRange(double minValue, double maxValue);
    /// Whole-number stepping; snaps the bounds and the value toward zero to multiples of step.
    /// Returns true when the value changed.
    bool SetStep(int step);

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    bool OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam) override;

    // Children (owned; rebuilt by Init).
    OVEdit* edit = nullptr;
    OVSlider* slider = nullptr;
    OVButton* button = nullptr;
    CUpDownCtrl* spin = nullptr;

    int style = 0;
    QRect popupRect{0, 20, 200, 20};
    bool integerMode = false;
    double minValue = 0.0;
    double maxValue = 0.0;
    double value = 0.0;
    int spinSteps = 0;
    int step = 0;
    int stepMin = 0;
    int stepMax = 0;
    QWidget* owner = nullptr;
    const OVScaleFunction* scale = nullptr;
    bool editCommitted = true;
    bool noReading = false;  ///< the edit shows ctl::kNoReading; `value` is no reading
    bool liveNotify = true;
    QString format;

protected:
    void changeEvent(QEvent* event) override;

private:
    void CreateChildren();
    void DropChildren();
    void ClampValue();
    void UpdateChildren();
    void UpdateEditAndSpin();
    void ApplyEnabled(bool enabled);
    void Notify(unsigned code);
    void OnSpin(unsigned code);
    void OnSliderMoved(unsigned code);
    void ShowPopup();
    double SliderValue() const;
    void UpdateSpinRange();

    std::unique_ptr<OVNoneScale> ownScale_;
    bool notifying_ = false;  ///< the parent is hearing a notification (and writing the value)
};
