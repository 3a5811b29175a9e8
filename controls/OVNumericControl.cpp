#include "controls/OVNumericControl.h"

#include "controls/CUpDownCtrl.h"
#include "controls/DlgItem.h"
#include "controls/NumericLogic.h"
#include "controls/OVButton.h"
#include "controls/OVEdit.h"
#include "controls/OVScaleFunction.h"
#include "controls/OVSlider.h"
#include "controls/ParamBinding.h"
#include "controls/SystemLook.h"
#include "controls/ValueText.h"
#include "controls/WindowIds.h"

#include <QEvent>
#include <QScopedValueRollback>

#include <cmath>

OVNumericControl::OVNumericControl(QWidget* parent, int id) : QWidget(parent)
{
    wnd::SetDlgCtrlID(this, id);
}

OVNumericControl::~OVNumericControl()
{
    // The pop-up belongs to the dialog as a window; it goes with its control.
    delete slider;
}

void OVNumericControl::Init(int style_, QWidget* owner_, double minValue_, double maxValue_, double value_,
                            int spinSteps_, bool integerMode_, const OVScaleFunction* scale_, const QRect* rect)
{
    if (rect)
        popupRect = *rect;
    style = style_;
    step = stepMin = stepMax = 0;
    owner = owner_;
    minValue = minValue_;
    maxValue = maxValue_;
    value = value_;
    integerMode = integerMode_;
    spinSteps = ctl::SpinStepsFor(minValue, maxValue, integerMode, spinSteps_);
    if (!scale_) {
        if (!ownScale_)
            ownScale_ = std::make_unique<OVNoneScale>();
        scale_ = ownScale_.get();
    }
    scale = scale_;
    editCommitted = true;
    noReading = false;
    CreateChildren();
    wnd::PostCommand(wnd::FindCommandWindow(parentWidget()),
                     wnd::MakeWParam(static_cast<unsigned>(wnd::GetDlgCtrlID(this)), 0), wnd::WindowHandle(this));
    UpdateChildren();
    if (!notifying_ && FieldGivenRefusedValue(this))
        ShowNoReading();
}

void OVNumericControl::DropChildren()
{
    // Init may run inside a child's own handler (a panel rebuilding on 1001), so the old children
    // leave the window now and are deleted once control returns to the event loop.
    if (slider)
        slider->owner = nullptr;
    for (QWidget* child : {static_cast<QWidget*>(edit), static_cast<QWidget*>(slider), static_cast<QWidget*>(button),
                           static_cast<QWidget*>(spin)}) {
        if (!child)
            continue;
        child->hide();
        child->setParent(nullptr);
        child->deleteLater();
    }
    edit = nullptr;
    slider = nullptr;
    button = nullptr;
    spin = nullptr;
}

void OVNumericControl::CreateChildren()
{
    DropChildren();
    const QRect r = rect();
    const int b = (style & kDropDown) ? 16 : 0;
    if (b)
        button = new OVButton(this, this, QRect(r.right() + 1 - 16, r.top(), 16, r.height()), wnd::IDC_OV_BUTTON);
    QWidget* dialog = parentWidget() ? parentWidget() : this;
    slider = new OVSlider(dialog, this, QRect(QPoint(0, 0), popupRect.size()), QSize(8, 14), minValue, maxValue,
                          integerMode, true, scale, (style & kDropDown) != 0, (style & kVertical) != 0);
    if (!format.isEmpty())
        slider->SetLabelFormat(format);
    edit = new OVEdit(this, this, QRect(r.left(), r.top(), r.width() - b, r.height()), wnd::IDC_OV_EDIT, integerMode);
    edit->format = format;
    edit->setFont(wnd::ControlFont());
    spin = new CUpDownCtrl(this, wnd::IDC_OV_SPIN);
    spin->AttachToBuddy(edit);
    UpdateSpinRange();
    spin->show();
    UpdateChildren();
    ApplyEnabled(isEnabled());
}

void OVNumericControl::UpdateSpinRange()
{
    if (!spin)
        return;
    if (minValue > maxValue)
        spin->SetRange32(spinSteps, 0);
    else
        spin->SetRange32(0, spinSteps);
}

void OVNumericControl::ClampValue()
{
    value = ctl::ClampNumeric(value, minValue, maxValue);
}

void OVNumericControl::UpdateEditAndSpin()
{
    if (edit && noReading)
        edit->setText(QString::fromLatin1(ctl::kNoReading));
    else if (edit)
        edit->SetValue(value);
    if (spin)
        spin->SetPos32(ctl::SpinPositionFor(value, minValue, maxValue, spinSteps));
}

void OVNumericControl::UpdateChildren()
{
    ClampValue();
    UpdateEditAndSpin();
    if (slider)
        slider->SetPos(value);
}

void OVNumericControl::SetValue(double value_)
{
    // The panel showing the operator's value as it writes it leaves it unanswered; a refused
    // value typed over no reading hands back the value stored before the failed read.
    const bool refused = !notifying_ && FieldGivenRefusedValue(this);
    value = value_;
    noReading = false;
    UpdateChildren();
    if (refused)
        ShowNoReading();
}

void OVNumericControl::ShowNoReading()
{
    noReading = true;
    UpdateEditAndSpin();
}

void OVNumericControl::SetRange(double minValue_, double maxValue_)
{
    minValue = minValue_;
    maxValue = maxValue_;
    if (step != 0) {
        stepMin = static_cast<int>(std::trunc(minValue));
        stepMax = static_cast<int>(std::trunc(maxValue));
        // Both bounds snap toward zero, as SetStep does, so SetRange then SetStep agree.
        maxValue = ctl::SnapTowardZero(maxValue, step);
        minValue = ctl::SnapTowardZero(minValue, step);
    }
    if (integerMode)
        spinSteps = ctl::SpinStepsFor(minValue, maxValue, true, spinSteps);
    if (slider)
        slider->SetRange(minValue, maxValue);
    UpdateSpinRange();
    UpdateChildren();
}

bool OVNumericControl::SetStep(int step_)
{
    step = step_ < 0 ? 0 : step_;
    if (step == 0)
        return false;
    if (stepMin == 0)
        stepMin = static_cast<int>(std::trunc(minValue));
    if (stepMax == 0)
        stepMax = static_cast<int>(std::trunc(maxValue));
    const double newMin = ctl::SnapTowardZero(stepMin, step);
    const double newMax = ctl::SnapTowardZero(stepMax, step);
    if (newMin != minValue || newMax != maxValue)
        SetRange(newMin, newMax);
    const double snapped = ctl::SnapTowardZero(value, step);
    if (snapped != value) {
        value = snapped;  // a control without a reading keeps showing none
        UpdateChildren();
        return true;
    }
    return false;
}

void OVNumericControl::Notify(unsigned code)
{
    const QScopedValueRollback<bool> notifying(notifying_, true);
    wnd::SendCommand(wnd::FindCommandTarget(parentWidget()),
                     wnd::MakeWParam(static_cast<unsigned>(wnd::GetDlgCtrlID(this)), code), wnd::WindowHandle(this));
}

double OVNumericControl::SliderValue() const
{
    // The ends of the travel are the bounds themselves, free of the scale's round-off.
    if (slider->current == slider->scaledMin)
        return minValue;
    if (slider->current == slider->scaledMax)
        return maxValue;
    return scale->FromScaled(slider->current);
}

void OVNumericControl::OnSliderMoved(unsigned code)
{
    value = SliderValue();
    MarkCommittedWithoutReading(this, noReading);
    noReading = false;
    ClampValue();
    if (code == wnd::OVN_CHANGED || liveNotify)
        Notify(code);
    UpdateEditAndSpin();
    if (code == wnd::OVN_CHANGED && slider)
        slider->update();
}

void OVNumericControl::ShowPopup()
{
    if (!slider || !button)
        return;
    QPoint topLeft;
    if (style & kPopupAtRect) {
        QWidget* dialog = parentWidget() ? parentWidget() : this;
        topLeft = dialog->mapToGlobal(popupRect.topLeft());
    } else {
        topLeft = mapToGlobal(QPoint(width(), height())) - QPoint(slider->width(), 0);
    }
    // Disabled first: a disabled button hands its focus on, which must not close the pop-up.
    button->setEnabled(false);
    slider->move(topLeft);
    slider->SetPos(value);
    slider->show();
    slider->setFocus(Qt::PopupFocusReason);
}

void OVNumericControl::OnSpin(unsigned code)
{
    if (code == wnd::SB_THUMBPOSITION) {
        if (!editCommitted) {
            if (const std::optional<double> typed = edit ? edit->GetValue() : std::nullopt) {
                MarkCommittedWithoutReading(this, noReading);
                value = *typed;
                noReading = false;
            }
            UpdateChildren();
            editCommitted = true;
        } else if (noReading) {
            UpdateChildren();  // the spin back at its place; no step from an unread value
            return;
        } else {
            // The arrow moved the spin one position from the value's own, so the target lies on
            // the clicked side; the spin then returns to the value's position, ready for the
            // next click.
            const double target = ctl::SpinValueFor(spin->GetPos32(), minValue, maxValue, spinSteps);
            value = step != 0 ? ctl::StepToward(value, target, step) : target;
            UpdateChildren();
        }
        Notify(wnd::OVN_CHANGING);
        return;
    }
    if ((liveNotify || code == wnd::SB_ENDSCROLL) && !noReading)
        Notify(wnd::OVN_CHANGED);
}

bool OVNumericControl::OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    if (message == wnd::WM_VSCROLL && spin && wnd::WindowFromHandle(lParam) == spin) {
        OnSpin(wnd::LoWord(wParam));
        return true;
    }
    return false;
}

bool OVNumericControl::OnCommand(wnd::WPARAM wParam, wnd::LPARAM)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);
    switch (id) {
    case wnd::IDC_OV_BUTTON:
        if (button && button->state == OVButton::Pressed)
            ShowPopup();
        return true;
    case wnd::IDC_OV_SLIDER:
        if (code == wnd::OVN_KILLFOCUS) {
            if (button) {
                button->state = OVButton::Normal;
                button->update();
            }
            OnCommand(wnd::MakeWParam(wnd::IDC_OV_SLIDER, wnd::OVN_POPUP_CLOSED), 0);
        } else if (code == wnd::OVN_POPUP_CLOSED) {
            if (button) {
                button->state = OVButton::Normal;
                button->setEnabled(isEnabled());
                button->update();
            }
        } else if (code == wnd::OVN_CHANGED || code == wnd::OVN_CHANGING) {
            OnSliderMoved(code);
        }
        return true;
    case wnd::IDC_OV_EDIT:
        if (code == 1) {
            editCommitted = false;
        } else if (code == 0 && edit) {
            editCommitted = true;
            // Focus loss hands back the value last shown: without a reading there is none.
            const bool entered = edit->enterPressed;
            std::optional<double> typed = edit->GetValue();
            if (noReading && !entered)
                typed.reset();
            // Text without a number changes nothing: the edit shows the value again.
            if (typed) {
                // Focus leaving after Enter hands the same value once more: still unanswered.
                if (noReading || *typed != value)
                    MarkCommittedWithoutReading(this, noReading);
                value = *typed;
                noReading = false;
            }
            UpdateChildren();
            if (typed)
                Notify(wnd::OVN_CHANGED);
        }
        return true;
    default:
        return false;
    }
}

void OVNumericControl::ApplyEnabled(bool enabled)
{
    if (button) {
        button->state = enabled ? OVButton::Normal : OVButton::Disabled;
        button->setEnabled(enabled);
        button->update();
    }
    if (edit)
        edit->setEnabled(enabled);
    if (spin)
        spin->setEnabled(enabled);
    if (slider)
        slider->Enable(enabled);
}

void OVNumericControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        ApplyEnabled(isEnabled());
    QWidget::changeEvent(event);
}
