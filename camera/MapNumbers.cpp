#include "MapNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int DigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

std::string_view TrimXmlSpace(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::int64_t ParseInt64Auto(std::string_view text, bool* digits)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    unsigned base = 10;
    bool any = false;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && i + 2 < text.size() && DigitValue(text[i + 2]) < 16) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == '0') {
        base = 8;
        any = true;  // "0" alone, and "08" reads as 0
        ++i;
    }

    // Magnitude in unsigned 64 bits, saturating one step past INT64_MAX so the negative limit fits.
    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i]);
        if (d >= static_cast<int>(base))
            break;
        any = true;
        if (magnitude > (limit - static_cast<unsigned>(d)) / base)
            magnitude = limit;
        else
            magnitude = magnitude * base + static_cast<unsigned>(d);
    }
    if (digits)
        *digits = any;
    if (negative)
        return magnitude >= limit ? std::numeric_limits<std::int64_t>::min()
                                  : -static_cast<std::int64_t>(magnitude);
    return magnitude >= limit ? std::numeric_limits<std::int64_t>::max()
                              : static_cast<std::int64_t>(magnitude);
}

bool ParseMapDouble(std::string_view text, double& value)
{
    value = 0.0;
    text = TrimXmlSpace(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    double parsed = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParseMapBool(std::string_view text, bool& value)
{
    value = false;
    text = TrimXmlSpace(text);
    if (text.empty())
        return true;
    if (EqualsNoCase(text, "true")) {
        value = true;
        return true;
    }
    if (EqualsNoCase(text, "false"))
        return true;
    double number = 0.0;
    if (!ParseMapDouble(text, number))
        return false;
    value = number != 0.0;
    return true;
}
