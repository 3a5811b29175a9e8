#include "controls/BindingLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ctl {
namespace {

int RoundHalfAwayFromZero(double x)
{
    const double r = x >= 0 ? x + 0.5 : x - 0.5;
    if (r >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (r <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(r);
}

}  // namespace

int ClampToRange(int value, int min, int max)
{
    if (value > max)
        value = max;
    return value < min ? min : value;
}

int SliderValueToPos(int value, int min, int max, bool linear)
{
    if (linear)
        return ClampToRange(value, min, max);
    if (value <= 0)
        return 0;
    if (value == 1)
        return SliderValueToPos(2, min, max, false) / 2;
    const int x = ClampToRange(value, min, max);
    if (x <= 0)
        return 0;  // a range that lies below 1 has no logarithm
    return RoundHalfAwayFromZero(100.0 * std::log10(static_cast<double>(x)));
}

int SliderPosToValue(int pos, int posMin, int posMax, int min, int max, bool linear)
{
    if (pos >= posMax)
        return max;
    if (pos <= posMin)
        return min;
    if (linear)
        return pos;
    if (pos <= 1)
        return pos == 1 ? 1 : 0;
    const double v = std::trunc(std::pow(10.0, pos * 0.01));
    if (v >= static_cast<double>(max))
        return max;
    if (v <= static_cast<double>(min))
        return min;
    return static_cast<int>(v);
}

std::optional<int> ParseLeadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int ClampToSetLimits(int value, int min, int max)
{
    if (max != kNoLimit && value > max)
        value = max;
    if (min != kNoLimit && value < min)
        value = min;
    return value;
}

bool IsOnSetLimit(int value, int min, int max)
{
    return (min != kNoLimit && value == min) || (max != kNoLimit && value == max);
}

bool IsAtDockingPlace(int x, int y, int mainRight, int refTop, int refHeight)
{
    const long long dx = static_cast<long long>(x) - mainRight;
    const long long dy = static_cast<long long>(y) - refTop;
    return std::llabs(dx) <= kDockDistance && std::llabs(dy) <= refHeight;
}

DockResult ApplyDockingRule(int x, int y, int mainRight, int refTop, int refHeight)
{
    if (IsAtDockingPlace(x, y, mainRight, refTop, refHeight))
        return {true, mainRight, refTop};
    return {false, x, y};
}

void MoveToBack(ActivationList& list, int index)
{
    list.erase(std::remove(list.begin(), list.end(), index), list.end());
    list.push_back(index);
}

}  // namespace ctl
