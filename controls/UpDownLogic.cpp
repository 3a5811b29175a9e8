#include "controls/UpDownLogic.h"

#include <algorithm>
#include <cstdint>

namespace ctl {

int UpDownClamp(int low, int high, int position)
{
    return std::clamp(position, std::min(low, high), std::max(low, high));
}

int UpDownStep(int low, int high, int position, bool up, unsigned increment)
{
    // Up goes toward the second bound; with a reversed range that is downward.
    const bool increasing = (high >= low) == up;
    const std::int64_t delta = increasing ? static_cast<std::int64_t>(increment) : -static_cast<std::int64_t>(increment);
    const std::int64_t next = static_cast<std::int64_t>(UpDownClamp(low, high, position)) + delta;
    const std::int64_t lo = std::min(low, high);
    const std::int64_t hi = std::max(low, high);
    return static_cast<int>(std::clamp(next, lo, hi));
}

unsigned AccelIncrementAt(const std::vector<UDACCEL>& table, double elapsedSeconds)
{
    if (table.empty())
        return 1;
    double stageEnd = 0.0;
    for (const UDACCEL& stage : table) {
        stageEnd += stage.nSec;
        if (elapsedSeconds < stageEnd)
            return stage.nInc;
    }
    return table.back().nInc;
}

}  // namespace ctl
