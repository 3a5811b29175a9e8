// Arithmetic of the panel framework, free of windows: the slider groups' linear and
// logarithmic scales (trackbar position = 100 x log10(value)), the whole number an operator
// typed, limits where INT_MAX means "none on this side", the rule that docks a panel to the
// main window's right edge, and the activation order of the panels. No Qt here.
#pragma once

#include <climits>
#include <optional>
#include <string_view>
#include <vector>

namespace ctl {

/// The "no limit on this side" mark of an edit group's limits.
inline constexpr int kNoLimit = INT_MAX;

/// value held within min..max (a range given the wrong way round holds at min).
int ClampToRange(int value, int min, int max);

/// Trackbar position of a value: linear, the value held within min..max; logarithmic,
/// 100 x log10(value) rounded half away from zero, with 0 for values <= 0 and half the
/// position of 2 for the value 1.
int SliderValueToPos(int value, int min, int max, bool linear);
/// Value of a trackbar position whose range is posMin..posMax: the range ends give min and
/// max; linear, the position itself; logarithmic, 10^(pos x 0.01) truncated and held within
/// min..max (position 1 gives 1, positions <= 0 give 0).
int SliderPosToValue(int pos, int posMin, int posMax, int min, int max, bool linear);

/// The whole number at the start of text (blanks, sign, decimal digits); nothing when there is
/// none; beyond the int range it stops at INT_MIN or INT_MAX.
std::optional<int> ParseLeadingInt(std::string_view text);

/// value held within the limits that are set (kNoLimit: none on that side).
int ClampToSetLimits(int value, int min, int max);
/// True when value equals a limit that is set.
bool IsOnSetLimit(int value, int min, int max);

/// Where a panel goes when it is moved to (x, y): within `kDockDistance` pixels of the main
/// window's right edge and at most one reference height from the reference's top (the slot
/// button, or the main window), it snaps to (mainRight, refTop) and is docked.
inline constexpr int kDockDistance = 15;
struct DockResult {
    bool docked;
    int x;
    int y;
};
bool IsAtDockingPlace(int x, int y, int mainRight, int refTop, int refHeight);
DockResult ApplyDockingRule(int x, int y, int mainRight, int refTop, int refHeight);

/// The main window's list of panel slot indices, longest ago activated first.
using ActivationList = std::vector<int>;
/// Removes every occurrence of index and appends it at the back.
void MoveToBack(ActivationList& list, int index);

}  // namespace ctl
