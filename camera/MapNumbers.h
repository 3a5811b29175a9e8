// Number rules of register-map texts: integers in any base as the maps write them ("0x0FFF",
// "010", "-20"), floating-point numbers with a decimal point whatever the user's locale, and
// booleans. Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <string_view>

/// Integer with automatic base: blanks and a sign first, "0x"/"0X" hexadecimal, a leading "0"
/// octal, else decimal; stops at the first character that does not fit; saturates at the 64-bit
/// limits. `digits` (optional) tells whether any digit was read; without one the value is 0.
std::int64_t ParseInt64Auto(std::string_view text, bool* digits = nullptr);

/// Locale-free floating-point text ("24.0", "-512", "5.9e5"). The whole text (blanks around it
/// aside) must be the number, and it must be finite. False leaves `value` 0.0.
bool ParseMapDouble(std::string_view text, double& value);

/// "true"/"false" in any case, or a number (non-zero is true). False for anything else,
/// with `value` false. Empty text is false and counts as converted.
bool ParseMapBool(std::string_view text, bool& value);

/// Trims XML white space (blank, tab, CR, LF) from both ends.
std::string_view TrimXmlSpace(std::string_view text);
