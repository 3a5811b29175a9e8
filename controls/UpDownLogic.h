// Arithmetic of the up-down (spin) control: its range may run either way (a first bound above
// the second makes the up arrow count down), a step never leaves the range, and while an arrow
// is held the increment grows with time after an acceleration table. No Qt here.
#pragma once

#include <vector>

namespace ctl {

/// One stage of acceleration: for nSec seconds the position moves by nInc per step. Stages
/// follow each other; the last one lasts as long as the arrow is held.
struct UDACCEL {
    unsigned nSec;
    unsigned nInc;
};

/// The position after one step: up moves toward `high`, down toward `low`, by increment,
/// held within the range.
int UpDownStep(int low, int high, int position, bool up, unsigned increment);
/// position held within the range (whichever bound is larger).
int UpDownClamp(int low, int high, int position);
/// The increment after the arrow has been held elapsedSeconds: 1 without a table.
unsigned AccelIncrementAt(const std::vector<UDACCEL>& table, double elapsedSeconds);

}  // namespace ctl
