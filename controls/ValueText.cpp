#include "controls/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace ctl {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips at most two digits; false when a third follows.
bool SkipShortNumber(std::string_view s, std::size_t& i)
{
    std::size_t n = 0;
    while (i < s.size() && IsDigit(s[i]) && n < 3) {
        ++i;
        ++n;
    }
    return n <= 2;
}

std::string Printf(const char* format, double value)
{
    const int size = std::snprintf(nullptr, 0, format, value);
    if (size < 0)
        return {};
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return std::string(buffer.data(), static_cast<std::size_t>(size));
}

}  // namespace

bool IsValueFormat(std::string_view format)
{
    int conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '\0')
            return false;
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
            ++i;
        if (!SkipShortNumber(format, i))
            return false;
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (!SkipShortNumber(format, i))
                return false;
        }
        if (i < format.size() && format[i] == 'l')
            ++i;
        if (i >= format.size() || std::string_view("fFeEgGaA").find(format[i]) == std::string_view::npos)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

std::string FormatValue(std::string_view format, double value)
{
    const std::string chosen(IsValueFormat(format) ? format : kDefaultValueFormat);
    return Printf(chosen.c_str(), value);
}

std::string FormatWhole(double value)
{
    long long whole = 0;
    if (std::isnan(value))
        whole = 0;
    else if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        whole = std::numeric_limits<int>::max();
    else if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        whole = std::numeric_limits<int>::min();
    else
        whole = static_cast<long long>(std::trunc(value));
    return std::to_string(whole);
}

std::optional<double> ParseNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    if (start >= text.size() || !(IsDigit(text[start]) || text[start] == '.'))
        return std::nullopt;

    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::invalid_argument)
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: tell them apart by the exponent's sign.
        const std::string_view number(text.data() + start, static_cast<std::size_t>(end - (text.data() + start)));
        const std::size_t e = number.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::max();
    }
    return negative ? -value : value;
}

}  // namespace ctl
