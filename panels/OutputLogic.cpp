#include "panels/OutputLogic.h"

#include <algorithm>
#include <charconv>

namespace output {

std::int64_t StepOf(int g)
{
    std::int64_t step = 1;
    for (int i = 0; i < std::clamp(g, 0, kMaxGranularity); ++i)
        step *= 10;
    return step;
}

std::int64_t ToMicroseconds(std::int64_t count, std::int64_t step)
{
    return count * step;
}

std::int64_t RegisterOf(std::int64_t us, std::int64_t step)
{
    const std::int64_t count = us / std::max<std::int64_t>(step, 1);
    return count <= 1 ? 1 : count;
}

std::int64_t Snap(std::int64_t us, std::int64_t step)
{
    step = std::max<std::int64_t>(step, 1);
    const std::int64_t snapped = (us + step / 2) / step * step;
    return std::max(snapped, step);
}

std::int64_t Rescale(std::int64_t us, std::int64_t oldStep, std::int64_t newStep)
{
    return ToMicroseconds(RegisterOf(us, oldStep), newStep);
}

std::string DelayText(std::int64_t periodUs, std::int64_t widthUs)
{
    return std::to_string(periodUs - widthUs);
}

std::string FrequencyText(std::int64_t periodUs)
{
    const double hz = periodUs > 0 ? 1000000.0 / static_cast<double>(periodUs) : 0.0;
    // Independent of the user's locale: always a decimal point.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, hz, std::chars_format::fixed, 3).ptr;
    return std::string(text, end);
}

std::int64_t PulseNumberOf(int count, std::int64_t continuous)
{
    return (static_cast<std::int64_t>(count) & kMaxPulseCount) | (continuous & kContinuous);
}

int PulseCountOf(std::int64_t word)
{
    return static_cast<int>(word & kMaxPulseCount);
}

std::int64_t ContinuousOf(std::int64_t word)
{
    return word & kContinuous;
}

}  // namespace output
