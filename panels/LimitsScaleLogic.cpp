#include "panels/LimitsScaleLogic.h"

#include "orvmisc/OrvParam.h"

#include <climits>
#include <cmath>

namespace limits_scale {

DisplayLimits DisplayLimitsOf(const _OrvStParam& limits)
{
    return {limits.min.d, limits.max.d, limits.def.d};
}

RawRange RawRangeOf(const _OrvStParam& param)
{
    return {static_cast<double>(param.min.n), static_cast<double>(param.max.n)};
}

LimitsScale MakeLimitsScale(const DisplayLimits& limits, const RawRange& raw)
{
    LimitsScale scale;
    const double shownSpan = limits.max - limits.min;
    const double rawSpan = raw.max - raw.min;
    const double factor = rawSpan / shownSpan;
    const double offset = raw.min - limits.min * factor;
    if (shownSpan == 0.0 || rawSpan == 0.0 || factor == 0.0 || !std::isfinite(factor) || !std::isfinite(offset)) {
        scale.raw = true;
        scale.shownMin = raw.min;
        scale.shownMax = raw.max;
        return scale;
    }
    scale.factor = factor;
    scale.offset = offset;
    scale.shownMin = limits.min;
    scale.shownMax = limits.max;
    return scale;
}

std::int64_t RawFromShown(const LimitsScale& scale, double shown)
{
    const double raw = std::trunc(shown * scale.factor + scale.offset + 0.5);
    if (std::isnan(raw))
        return 0;
    if (raw <= static_cast<double>(INT32_MIN))
        return INT32_MIN;
    if (raw >= static_cast<double>(UINT32_MAX))
        return UINT32_MAX;
    return static_cast<std::int64_t>(raw);
}

double ShownFromRaw(const LimitsScale& scale, std::int64_t raw)
{
    return (static_cast<double>(raw) - scale.offset) / scale.factor;
}

int SpinStepsOf(const DisplayLimits& limits, bool roundHalf)
{
    if (!(limits.step > 0.0))
        return 1;
    const double count = (limits.max - limits.min) / limits.step + (roundHalf ? 0.5 : 0.0);
    const double steps = std::trunc(count);
    if (std::isnan(steps) || steps < 1.0)
        return 1;
    if (steps >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(steps);
}

}  // namespace limits_scale
