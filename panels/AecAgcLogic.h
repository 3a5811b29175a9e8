// Rules of the automatic exposure and gain panel that hold no window: the logarithmic
// positions of the exposure limits, the decibel scale of the raw gain limits, how a limit is
// held between its range and the other limit, and which state lamp a regulator shows. No Qt.
#pragma once

#include <cstdint>
#include <string>

namespace aec_agc {

/// The gain step (dB per raw unit) when the map gives none.
inline constexpr double kDefaultGainStep = 0.03519;

/// The slider position of an exposure of v microseconds: log10(v) x 10000, rounded; 0 for v <= 0.
int ExposurePosition(std::int64_t v);
/// The exposure at slider position p: 10^(p / 10000), rounded; 1 at p = 1, 0 for p <= 0.
int ExposureFromPosition(int p);

/// Raw gain register values against decibels: low and high gain are whole decibels at the ends
/// of the raw range, the step the dB per raw unit.
struct GainScale {
    int rawMin = 0;
    int rawMax = 0;
    double step = kDefaultGainStep;
    double low = 0.0;
    double high = 0.0;
};
/// The scale of raw range rawMin..rawMax; a step that is not a positive number gives the default.
GainScale MakeGainScale(int rawMin, int rawMax, double step);
/// The decibels of raw value r: high gain from the raw maximum on, low gain up to the raw minimum,
/// else low gain + (r - raw minimum) x step.
double GainOf(const GainScale& scale, int raw);
/// GainOf as the panel shows it ("%.2f").
std::string GainText(const GainScale& scale, int raw);
/// The raw value of g decibels: raw minimum + (g - low gain) / step, rounded; the raw minimum for
/// a value that is not a number, and held within the int range.
int RawFromGain(const GainScale& scale, double g);

/// A limit the operator or the camera gives, held in place: marker 1 (the lower limit) at least
/// `lower` and at most the upper limit `otherLimit`; marker 2 at most `upper` and at least the
/// lower limit `otherLimit`.
int ClampLimit(int which, int value, std::int64_t lower, std::int64_t upper, int otherLimit);

/// The lamp of one regulator.
enum class State { Off, Regulating, AtLower, AtUpper };
/// Off while the regulator is off, whatever its flags say; else the upper-limit flag first.
State StateOf(bool enabled, bool atUpper, bool atLower);

/// The value a typed text stands for: the leading integer (after blanks, with a sign), none when
/// the text does not start with a number.
bool ParseInteger(const std::string& text, long long* value);
/// The leading decimal number of a text, read without regard to the locale; none as above.
bool ParseDecimal(const std::string& text, double* value);

}  // namespace aec_agc
