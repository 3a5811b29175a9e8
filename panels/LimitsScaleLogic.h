// Display units of the gain and offset registers. A floating-point "…Limits" parameter of the
// register map gives the range shown to the operator (minimum, maximum, step: dB, a gain
// factor, a signed offset), an integer parameter the raw range of the register; between the
// two lies a straight line. Both gain/offset panels build their scales here. No Qt here.
#pragma once

#include <cstdint>

struct _OrvStParam;

namespace limits_scale {

/// The displayed range of a "…Limits" parameter.
struct DisplayLimits {
    double min = 0.0;
    double max = 0.0;
    double step = 0.0;
};

/// The raw range of an integer register parameter.
struct RawRange {
    double min = 0.0;
    double max = 0.0;
};

/// A floating-point record's minimum, maximum and step (the record's default slot).
DisplayLimits DisplayLimitsOf(const _OrvStParam& limits);
/// An integer record's minimum and maximum.
RawRange RawRangeOf(const _OrvStParam& param);

/// raw = shown x factor + offset, and the range the control shows.
struct LimitsScale {
    double factor = 1.0;
    double offset = 0.0;
    double shownMin = 0.0;
    double shownMax = 0.0;
    /// The limits give no line (equal bounds on either side, or not finite): the control
    /// shows raw values over the raw range instead.
    bool raw = false;
};

/// The line through (Lmin, Rmin) and (Lmax, Rmax): factor (Rmax - Rmin) / (Lmax - Lmin),
/// offset Rmin - Lmin x factor, shown range Lmin..Lmax. Without a line (a limits parameter the
/// map lacks reads 0..0), the identity over the raw range.
LimitsScale MakeLimitsScale(const DisplayLimits& limits, const RawRange& raw);

/// The raw word of a shown value: trunc(shown x factor + offset + 0.5), toward zero; held
/// within the 32-bit range, 0 for a value that is not a number.
std::int64_t RawFromShown(const LimitsScale& scale, double shown);
/// The shown value of a raw word: (raw - offset) / factor.
double ShownFromRaw(const LimitsScale& scale, std::int64_t raw);

/// Spin steps over the limits: (max - min) / step, rounded half up (roundHalf) or truncated;
/// 1 when the step is not positive or the count is not a number, held within 1..INT_MAX.
int SpinStepsOf(const DisplayLimits& limits, bool roundHalf = true);

}  // namespace limits_scale
