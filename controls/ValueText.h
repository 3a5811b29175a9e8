// Numbers as the controls show and read them, independent of the user's locale: a value
// formatted with a panel's printf format, a whole value, and the leading number of a text the
// operator typed. No Qt here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ctl {

/// What a field shows while it holds no reading of the camera (its read failed or was not
/// answered): never a number that the camera may not hold.
inline constexpr char kNoReading[] = "---------";

/// The format the numeric controls use when they are given none.
constexpr std::string_view kDefaultValueFormat = "%.2f";

/// True when format holds exactly one conversion of a double (flags, width and precision of at
/// most two digits each, then one of f F e E g G a A, optionally after 'l') and otherwise only
/// plain text and "%%".
bool IsValueFormat(std::string_view format);
/// value printed with format, or with "%.2f" when format is empty or not a value format.
std::string FormatValue(std::string_view format, double value);
/// value truncated to a whole number and printed like "%d"; held within the int range, NaN as 0.
std::string FormatWhole(double value);
/// The number at the start of text (after blanks): sign, digits, point, exponent. Nothing when
/// the text does not start with a number; "inf", "nan" and hex are not numbers here; a number
/// beyond the range of double gives the largest double of its sign.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace ctl
