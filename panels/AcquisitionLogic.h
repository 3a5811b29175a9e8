// Rules of the acquisition panel that hold no window: the exposure range the panel allows, when
// the software trigger and the knee controls are usable, and how far a collapsed section moves
// the controls below it. No Qt here.
#pragma once

#include <cstdint>
#include <optional>

namespace acq {

/// The exposure range the panel allows (microseconds); a maximum of 0 means "none known".
struct ExposureRange {
    std::int64_t min = 0;
    std::int64_t max = 0;
    bool operator==(const ExposureRange&) const = default;
};

/// The camera's limits as the panel reads them: the bounds of the link's "Exposure" record and
/// the current ExposureMin / ExposureMax readings.
struct ExposureLimits {
    std::int64_t linkMin = 0;
    std::int64_t linkMax = 0;
    std::int64_t exposureMin = 0;
    std::int64_t exposureMax = 0;
};

/// The range a refresh applies: ExposureMax when it is non-zero and below the link's maximum,
/// else the link's maximum; the larger of the two minimums.
ExposureRange RefreshExposureRange(const ExposureLimits& limits);
/// The range of a status tick: as a refresh, except that in triggered mode (acquisition mode
/// non-zero) the maximum is the link's and ExposureMax is not consulted.
ExposureRange LiveExposureRange(const ExposureLimits& limits, bool triggered);

/// The exposure value to write back when the range excludes `value`: the value held within
/// the range. Nothing when the value lies inside, or when the range has no maximum (then the
/// range is not applied and the value stands).
std::optional<int> ExposureWriteBack(int value, const ExposureRange& range);

/// A 64-bit reading as the 32-bit value a control shows (held within the int range).
int ToControlInt(std::int64_t value);

/// The software-trigger button is usable in debug mode, or for the "Software" trigger (4) in
/// triggered acquisition (1).
bool SoftwareTriggerEnabled(bool debug, int triggerType, int acquisitionMode);

/// The knee controls: usable in debug mode or with WDR on; the second knee is hidden only
/// outside debug mode with one knee (WDR mode 1).
struct KneeState {
    bool enabled;
    bool secondShown;
};
KneeState KneeRules(bool debug, int wdrMode);

/// The margin kept under the last control of a collapsed box, in pixels.
inline constexpr int kCollapseMargin = 8;
/// How far the controls below a collapsed section move up: the bottom of the first control
/// below the section, less the margin, less the bottom of the last control that stays above it.
/// Zero once the section is collapsed, so a second collapse changes nothing.
int CollapseShift(int bottomBelow, int bottomAbove);

}  // namespace acq
