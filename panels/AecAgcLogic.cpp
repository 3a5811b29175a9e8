#include "panels/AecAgcLogic.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <locale>

namespace aec_agc {

namespace {

int RoundToInt(double v)
{
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

int ExposurePosition(std::int64_t v)
{
    if (v <= 0)
        return 0;
    return RoundToInt(std::log10(static_cast<double>(v)) * 10000.0 + 0.5);
}

int ExposureFromPosition(int p)
{
    if (p <= 0)
        return 0;
    if (p == 1)
        return 1;
    return RoundToInt(std::pow(10.0, p * 0.0001) + 0.5);
}

GainScale MakeGainScale(int rawMin, int rawMax, double step)
{
    GainScale scale;
    scale.rawMin = rawMin;
    scale.rawMax = rawMax;
    scale.step = std::isfinite(step) && step > 0.0 ? step : kDefaultGainStep;
    scale.low = RoundToInt(rawMin * scale.step + 0.5);
    scale.high = RoundToInt(rawMax * scale.step + 0.5);
    return scale;
}

double GainOf(const GainScale& scale, int raw)
{
    if (raw >= scale.rawMax)
        return scale.high;
    if (raw > scale.rawMin)
        return scale.low + (static_cast<double>(raw) - scale.rawMin) * scale.step;
    return scale.low;
}

std::string GainText(const GainScale& scale, int raw)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", GainOf(scale, raw));
    return text;
}

int RawFromGain(const GainScale& scale, double g)
{
    if (!std::isfinite(g))
        return scale.rawMin;
    const double steps = std::trunc((g - scale.low) / scale.step + 0.5);
    return RoundToInt(static_cast<double>(scale.rawMin) + steps);
}

int ClampLimit(int which, int value, std::int64_t lower, std::int64_t upper, int otherLimit)
{
    std::int64_t v = value;
    if (which == 1) {
        v = std::max(v, lower);
        v = std::min<std::int64_t>(v, otherLimit);
    } else {
        v = std::min(v, upper);
        v = std::max<std::int64_t>(v, otherLimit);
    }
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

State StateOf(bool enabled, bool atUpper, bool atLower)
{
    if (!enabled)
        return State::Off;
    if (atUpper)
        return State::AtUpper;
    if (atLower)
        return State::AtLower;
    return State::Regulating;
}

bool ParseInteger(const std::string& text, long long* value)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
        return false;
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), LLONG_MAX / 10);
    *value = negative ? -v : v;
    return true;
}

bool ParseDecimal(const std::string& text, double* value)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double v = 0.0;
    in >> v;
    if (in.fail() || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

}  // namespace aec_agc
