#include "panels/LensControlLogic.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace lens {

double FNumber(int index)
{
    return std::pow(std::sqrt(2.0), index * 0.125 - 1.0);
}

namespace {

std::string Format2(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

void ApertureTable::Build(int n)
{
    if (n < Size())
        return;
    for (int i = Size(); i <= n; ++i) {
        const double a = FNumber(i);
        labels_.push_back(Format2("f/%.2f", a));
        const std::string key = Format2("%.2f", a);
        indexToKey_[i] = key;
        // Two indices that print alike: the later one stands for the text.
        keyToIndex_[std::atof(key.c_str())] = i;
    }
}

std::string ApertureTable::Label(int index) const
{
    return index >= 0 && index < Size() ? labels_[static_cast<std::size_t>(index)] : std::string();
}

std::string ApertureTable::IndexToText(int index) const
{
    const auto it = indexToKey_.find(index);
    return it != indexToKey_.end() ? it->second : std::string();
}

std::optional<int> ApertureTable::TextToIndex(const std::string& text) const
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    // A typo must not drive the iris to an end of its range.
    if (end == begin || !std::isfinite(v))
        return std::nullopt;
    if (keyToIndex_.empty())
        return 0;
    if (v <= keyToIndex_.begin()->first)
        return keyToIndex_.begin()->second;
    if (v > keyToIndex_.rbegin()->first)
        return keyToIndex_.rbegin()->second;
    const auto upper = keyToIndex_.lower_bound(v);  // first key >= v; v lies above the smallest
    if (upper->first == v)
        return upper->second;
    const auto lower = std::prev(upper);
    // The keys have two decimals: a text halfway between two of them is a tie within rounding.
    const double below = v - lower->first;
    const double above = upper->first - v;
    return below <= above + 1e-9 ? lower->second : upper->second;
}

IrisRange DecodeIrisRange(std::int64_t word)
{
    IrisRange range;
    range.max = static_cast<int>((word >> 16) & 0xFF);
    range.min1 = static_cast<int>(word & 0xFF);
    range.min2 = static_cast<int>((word >> 8) & 0xFF);
    return range;
}

int ClampToIrisRange(int position, int lower, int upper)
{
    if (position < lower)
        return lower;
    return position > upper ? upper : position;
}

std::string PositionText(int position, int lower, int upper, const ApertureTable& table)
{
    if (position < lower || position > upper)
        return std::to_string(position) + " err";
    if (table.Size() == 0 || position >= table.Size())
        return std::to_string(position);
    return table.Label(position) + " / " + std::to_string(position);
}

std::string RangeText(int index, const ApertureTable& table)
{
    return index < table.Size() ? table.Label(index) : std::to_string(index);
}

int FocusEncoderValue(std::int64_t state)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(state & 0xFFFF));
}

int IrisStepUpper(std::int64_t recordMax, int irisUpper, bool debug)
{
    const int upper = static_cast<int>(recordMax);
    return !debug && upper > irisUpper ? irisUpper : upper;
}

}  // namespace lens
