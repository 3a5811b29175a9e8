#include "controls/NumericLogic.h"

#include <cmath>
#include <limits>

namespace ctl {

double ClampNumeric(double value, double minValue, double maxValue)
{
    if (std::isnan(value))
        return minValue;
    if (minValue < maxValue) {
        if (value < minValue)
            value = minValue;
        if (value > maxValue)
            value = maxValue;
    } else {
        if (value > minValue)
            value = minValue;
        if (value < maxValue)
            value = maxValue;
    }
    return value;
}

int SpinStepsFor(double minValue, double maxValue, bool integerMode, int given)
{
    if (!integerMode)
        return given;
    const double distance = std::trunc(std::fabs(maxValue - minValue));
    if (!(distance < static_cast<double>(std::numeric_limits<int>::max())))
        return std::numeric_limits<int>::max();
    return static_cast<int>(distance);
}

int SpinPositionFor(double value, double minValue, double maxValue, int spinSteps)
{
    if (spinSteps <= 0 || maxValue == minValue)
        return 0;
    const double p = std::trunc((value - minValue) * spinSteps / (maxValue - minValue) + 0.5);
    if (!(p > 0.0))
        return 0;
    if (p >= spinSteps)
        return spinSteps;
    return static_cast<int>(p);
}

double SpinValueFor(int position, double minValue, double maxValue, int spinSteps)
{
    if (spinSteps <= 0)
        return minValue;
    return minValue + (maxValue - minValue) * position / spinSteps;
}

double StepToward(double value, double target, int step)
{
    if (target > value)
        return value + step;
    if (target < value)
        return value - step;
    return value;
}

double SnapTowardZero(double bound, int step)
{
    if (step == 0)
        return bound;
    return step * std::trunc(bound / step);
}

EditKey FilterEditChar(char32_t c, const EditState& state)
{
    if (c == 13)
        return EditKey::Enter;
    if (c == 8 || (c >= U'0' && c <= U'9'))
        return EditKey::Accept;
    if (c == U'-')
        return (!state.hasMinus && state.caretAtStart) ? EditKey::Accept : EditKey::Drop;
    if (c == U'.')
        return (!state.hasPoint && !state.integerMode) ? EditKey::Accept : EditKey::Drop;
    return EditKey::Drop;
}

}  // namespace ctl
