// Arithmetic of the numeric control: the clamp that works for reversed ranges (the gain
// panels pass their bounds reversed), the spin position of a value and back, integer steps,
// and which typed characters the edit accepts. No Qt here.
#pragma once

namespace ctl {

/// value held between the two bounds, whichever is larger; NaN gives minValue.
double ClampNumeric(double value, double minValue, double maxValue);
/// Number of spin positions: in integer mode the truncated distance of the bounds (held within
/// the int range), else the count given.
int SpinStepsFor(double minValue, double maxValue, bool integerMode, int given);
/// trunc((value - min) * spinSteps / (max - min) + 0.5); 0 when the range or the step count is
/// empty.
int SpinPositionFor(double value, double minValue, double maxValue, int spinSteps);
/// min + (max - min) * position / spinSteps; min when there are no steps.
double SpinValueFor(int position, double minValue, double maxValue, int spinSteps);
/// value moved by one step toward target (unchanged when equal).
double StepToward(double value, double target, int step);
/// step * trunc(bound / step): the nearest multiple of step toward zero; bound for step 0.
double SnapTowardZero(double bound, int step);

enum class EditKey { Accept, Drop, Enter };

struct EditState {
    bool hasMinus = false;   ///< the text begins with '-'
    bool hasPoint = false;   ///< the text holds a '.'
    bool caretAtStart = false;
    bool integerMode = false;
};

/// What the numeric edit does with one typed character (8 = Backspace, 13 = Enter).
EditKey FilterEditChar(char32_t c, const EditState& state);

}  // namespace ctl
