#include "panels/ScaledNumeric.h"

#include "controls/OVNumericControl.h"
#include "controls/OVScaleFunction.h"
#include "orvmisc/OrvParam.h"
#include "controls/OVSlider.h"

#include <QVariant>

#include <algorithm>

namespace scaled_numeric {

namespace {

constexpr char kShownProperty[] = "shownValue";
// Bits of the numeric control's style: drop-down button, vertical slider, pop-up at a rectangle.
constexpr int kStyle = OVNumericControl::kDropDown | OVNumericControl::kVertical | OVNumericControl::kPopupAtRect;

void Record(OVNumericControl* control)
{
    control->setProperty(kShownProperty, control->value);
}

}  // namespace

QRect PopupRectFor(const QWidget* control, int width, int shift)
{
    QRect r = control->geometry();
    r.translate(shift < 0 ? r.width() : shift, 0);
    r.setHeight(5 * r.height());
    r.setWidth(width);
    return r;
}

void Setup(OVNumericControl* control, QWidget* owner, OVLinearScale& line, const limits_scale::LimitsScale& scale,
           double shown, int spinSteps, bool integerMode, const QRect& popup, const QString& format)
{
    line.factor = scale.factor;
    line.offset = scale.offset;
    if (!format.isEmpty())
        control->format = format;
    control->Init(kStyle, owner, scale.shownMax, scale.shownMin, shown, spinSteps, integerMode, &line, &popup);
    control->liveNotify = false;
    Record(control);
}

void SetupPlain(OVNumericControl* control, QWidget* owner, const _OrvStParam& record, int value, const QRect& popup)
{
    const auto max = static_cast<double>(record.max.n);
    const auto min = static_cast<double>(record.min.n);
    const int spinSteps = record.max.n > 0 ? static_cast<int>(std::min<std::int64_t>(record.max.n, 1 << 30)) : 1;
    control->Init(kStyle, owner, max, min, value, spinSteps, true, nullptr, &popup);
    control->liveNotify = false;
    Record(control);
}

void Show(OVNumericControl* control, double shown)
{
    control->SetValue(shown);
    Record(control);
}

void ShowNoReading(OVNumericControl* control)
{
    control->ShowNoReading();
    control->setProperty(kShownProperty, QVariant());
}

bool Known(const OVNumericControl* control)
{
    return control->property(kShownProperty).isValid();
}

bool OperatorChanged(const OVNumericControl* control)
{
    const QVariant recorded = control->property(kShownProperty);
    return !recorded.isValid() || recorded.toDouble() != control->value;
}

std::int64_t RawOf(const OVNumericControl* control, const limits_scale::LimitsScale& scale)
{
    return limits_scale::RawFromShown(scale, control->value);
}

void MoveLinked(std::span<OVNumericControl* const> controls, std::span<std::int64_t> raws, std::int64_t delta,
                const limits_scale::LimitsScale& scale, const std::function<void(int tap)>& write)
{
    if (delta == 0)
        return;
    const std::size_t n = std::min(controls.size(), raws.size());
    for (std::size_t j = 0; j < n; ++j) {
        // A tap the operator cannot edit (not active, or held by the tap balance) stays, and so
        // does one whose value the camera did not answer: there is nothing to move it from.
        if (!controls[j]->isEnabled() || !Known(controls[j]))
            continue;
        raws[j] += delta;
        Show(controls[j], limits_scale::ShownFromRaw(scale, raws[j]));
        raws[j] = RawOf(controls[j], scale);
        write(static_cast<int>(j));
    }
}

void CommitTap(std::span<OVNumericControl* const> controls, std::span<std::int64_t> raws, int tap, bool link,
               const limits_scale::LimitsScale& scale, const std::function<void(int tap)>& write)
{
    OVNumericControl* control = controls[static_cast<std::size_t>(tap)];
    if (!OperatorChanged(control))
        return;
    const bool known = Known(control);
    std::int64_t& own = raws[static_cast<std::size_t>(tap)];
    const std::int64_t raw = RawOf(control, scale);
    // The step the register takes, not the value typed between two steps. A tap without a
    // reading has no step to take the others along: it alone is written.
    if (!link || !known) {
        Show(control, limits_scale::ShownFromRaw(scale, raw));
        if (raw == own && known)
            return;
        own = raw;
        write(tap);
        return;
    }
    const std::int64_t delta = raw - own;
    if (delta == 0) {
        Show(control, limits_scale::ShownFromRaw(scale, raw));
        return;
    }
    MoveLinked(controls, raws, delta, scale, write);
}

void TapChanged(std::span<OVNumericControl* const> controls, std::span<std::int64_t> raws, int tap,
                std::int64_t value, bool link, const limits_scale::LimitsScale& scale,
                const std::function<void(int tap)>& write)
{
    std::int64_t& own = raws[static_cast<std::size_t>(tap)];
    const bool known = Known(controls[static_cast<std::size_t>(tap)]);
    if (value == own && known)
        return;
    // A tap that cannot be edited here is not part of the link, nor is one that had no reading.
    if (!link || !known || !controls[static_cast<std::size_t>(tap)]->isEnabled()) {
        own = value;
        Show(controls[static_cast<std::size_t>(tap)], limits_scale::ShownFromRaw(scale, value));
        return;
    }
    // A linked tap moved by another writer takes the other taps with it.
    MoveLinked(controls, raws, value - own, scale, write);
}

bool CommitSingle(OVNumericControl* control, const limits_scale::LimitsScale& scale, std::int64_t& raw)
{
    if (!OperatorChanged(control))
        return false;
    const bool known = Known(control);
    const std::int64_t value = RawOf(control, scale);
    Show(control, limits_scale::ShownFromRaw(scale, value));
    if (value == raw && known)
        return false;
    raw = value;
    return true;
}

void ForgetScale(OVNumericControl* control)
{
    if (!control)
        return;
    control->scale = nullptr;
    if (control->slider)
        control->slider->scale = nullptr;
}

}  // namespace scaled_numeric
