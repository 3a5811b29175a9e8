#include "panels/AcquisitionLogic.h"

#include <algorithm>
#include <climits>

namespace acq {

namespace {

std::int64_t MaximumOf(const ExposureLimits& limits)
{
    if (limits.exposureMax != 0 && limits.exposureMax < limits.linkMax)
        return limits.exposureMax;
    return limits.linkMax;
}

}  // namespace

ExposureRange RefreshExposureRange(const ExposureLimits& limits)
{
    return {std::max(limits.linkMin, limits.exposureMin), MaximumOf(limits)};
}

ExposureRange LiveExposureRange(const ExposureLimits& limits, bool triggered)
{
    return {std::max(limits.linkMin, limits.exposureMin), triggered ? limits.linkMax : MaximumOf(limits)};
}

std::optional<int> ExposureWriteBack(int value, const ExposureRange& range)
{
    if (range.max == 0)
        return std::nullopt;
    const int min = ToControlInt(range.min);
    const int max = ToControlInt(range.max);
    if (value >= min && value <= max)
        return std::nullopt;
    // A range given the wrong way round holds at its minimum, as the slider group does.
    return value < min || max < min ? min : max;
}

int ToControlInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

bool SoftwareTriggerEnabled(bool debug, int triggerType, int acquisitionMode)
{
    return debug || (triggerType == 4 && acquisitionMode == 1);
}

KneeState KneeRules(bool debug, int wdrMode)
{
    return {debug || wdrMode != 0, debug || wdrMode != 1};
}

int CollapseShift(int bottomBelow, int bottomAbove)
{
    return bottomBelow - kCollapseMargin - bottomAbove;
}

}  // namespace acq
