// Numeric controls that show a register in display units through a limits scale (see
// LimitsScaleLogic.h): the set-up the gain and offset panels give each such control, the
// pop-up slider's place beside it, the check that the operator really changed a value, and the
// linked move of a row of taps. Shared by both gain/offset panels.
#pragma once

#include "panels/LimitsScaleLogic.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

struct _OrvStParam;
class OVLinearScale;
class OVNumericControl;
class QWidget;

namespace scaled_numeric {

/// The control's rectangle in its dialog, moved right by `shift` (its own width when
/// negative), `width` pixels wide and five times its height tall: where its pop-up slider opens.
QRect PopupRectFor(const QWidget* control, int width, int shift = -1);

/// Puts the line of `scale` into `line` (the control's slider space is the raw register) and
/// builds the control: vertical pop-up slider at popup, bounds reversed (the slider's top is
/// the maximum), value `shown`, spin steps, integer mode, format (when not empty) and only
/// completed changes reported (1001). Records the shown value for OperatorChanged.
void Setup(OVNumericControl* control, QWidget* owner, OVLinearScale& line, const limits_scale::LimitsScale& scale,
           double shown, int spinSteps, bool integerMode, const QRect& popup, const QString& format = {});

/// A control for a plain integer parameter (no scale): vertical pop-up slider at popup, the
/// record's bounds reversed (the slider's top is the maximum), value, the record's maximum as
/// spin steps (at least 1), integer mode, only completed changes reported (1001).
void SetupPlain(OVNumericControl* control, QWidget* owner, const _OrvStParam& record, int value, const QRect& popup);

/// Sets the control's value (clamped to its range) without a notice and records it.
void Show(OVNumericControl* control, double shown);

/// The camera did not answer the control's register: the control shows no reading and its
/// raw word counts as unknown until Setup or Show. Such a control is not moved or written with
/// linked taps; a number the operator commits on it is written whatever the old raw word.
void ShowNoReading(OVNumericControl* control);
/// False while the control shows no reading of the camera (ShowNoReading).
bool Known(const OVNumericControl* control);

/// True when the control's value is not the one last put there by Setup or Show: an edit
/// that only passed over the value (Enter or focus loss on an untouched field, a pop-up
/// closed in place) changes nothing, also where the shown value is a clamped raw word.
bool OperatorChanged(const OVNumericControl* control);

/// The raw word the control's value stands for.
std::int64_t RawOf(const OVNumericControl* control, const limits_scale::LimitsScale& scale);

/// Linked taps: moves each of taps 0..n-1 (n = controls.size()) by delta raw units, in order:
/// the control shows raw + delta (clamped to its range), raw becomes the control's value in
/// raw units again, and write(tap) sends it. A disabled tap stays as it is and is not written.
/// Nothing for delta 0.
void MoveLinked(std::span<OVNumericControl* const> controls, std::span<std::int64_t> raws, std::int64_t delta,
                const limits_scale::LimitsScale& scale, const std::function<void(int tap)>& write);

/// A tap of a row (taps 0..n-1) that the operator committed: with link off the tap alone is
/// written when its raw word changed; with link on every tap moves by the same raw amount
/// (MoveLinked). An edit that changed nothing writes nothing.
void CommitTap(std::span<OVNumericControl* const> controls, std::span<std::int64_t> raws, int tap, bool link,
               const limits_scale::LimitsScale& scale, const std::function<void(int tap)>& write);

/// A tap of a row that another writer set to value: with link off only its control moves; with
/// link on the other taps move (and are written) with it, unless the tap itself is disabled.
void TapChanged(std::span<OVNumericControl* const> controls, std::span<std::int64_t> raws, int tap,
                std::int64_t value, bool link, const limits_scale::LimitsScale& scale,
                const std::function<void(int tap)>& write);

/// A single control the operator committed: true (raw updated) when its raw word changed.
bool CommitSingle(OVNumericControl* control, const limits_scale::LimitsScale& scale, std::int64_t& raw);

/// Drops the control's borrowed scale (its own and its pop-up slider's) before the scale goes.
void ForgetScale(OVNumericControl* control);

}  // namespace scaled_numeric
