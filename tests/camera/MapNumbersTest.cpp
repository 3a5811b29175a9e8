#include "camera/MapNumbers.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <locale>

namespace {

struct IntRow {
    const char* name;
    const char* text;
    std::int64_t value;
    bool digits;
};

const IntRow kIntRows[] = {
    {"hex_upper_prefix", "0X0FFF", 4095, true},
    {"hex_lower_prefix", "0x0FFF", 4095, true},
    {"full_mask", "0xFFFFFFFF", 4294967295LL, true},
    {"octal", "010", 8, true},
    {"octal_stops_at_8", "08", 0, true},
    {"zero", "0", 0, true},
    {"negative", "-20", -20, true},
    {"negative_hex", "-0x10", -16, true},
    {"plus", "+7", 7, true},
    {"leading_blanks", " \t\r\n42", 42, true},
    {"trailing_garbage", "12abc", 12, true},
    {"taps_text", "8 Taps", 8, true},
    {"prefix_without_digits", "0x", 0, true},
    {"empty", "", 0, false},
    {"letters", "abc", 0, false},
    {"sign_only", "-", 0, false},
    {"saturates_high", "99999999999999999999", std::numeric_limits<std::int64_t>::max(), true},
    {"saturates_low", "-99999999999999999999", std::numeric_limits<std::int64_t>::min(), true},
    {"exact_min", "-9223372036854775808", std::numeric_limits<std::int64_t>::min(), true},
    {"hex_saturates", "0x1FFFFFFFFFFFFFFFF", std::numeric_limits<std::int64_t>::max(), true},
};

}  // namespace

// Example failure: "010" reads as 10 or "0X0FFF" as 0, so a mask or limit from the map is wrong
// and a register field is cut differently from what the camera expects.
TEST(MapNumbers, IntegersFollowTheAutomaticBaseRules)
{
    for (const IntRow& row : kIntRows) {
        SCOPED_TRACE(row.name);
        bool digits = !row.digits;
        EXPECT_EQ(ParseInt64Auto(row.text, &digits), row.value);
        EXPECT_EQ(digits, row.digits);
    }
}

// Example failure: the integer rule drifts from the C library's base-0 conversion that the maps
// were written for.
TEST(MapNumbers, IntegersAgreeWithTheCLibrary)
{
    for (const IntRow& row : kIntRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ParseInt64Auto(row.text), std::strtoll(row.text, nullptr, 0));
    }
}

// Example failure: under a decimal-comma locale "0.035190616" is misread, so gain steps shown in
// dB are wrong on some operators' machines.
TEST(MapNumbers, DoublesIgnoreTheLocaleAndRefuseJunk)
{
    struct Row {
        const char* name;
        const char* text;
        bool ok;
        double value;
    } rows[] = {
        {"plain", "24.0", true, 24.0},
        {"small", "0.035190616", true, 0.035190616},
        {"large", "590400.53", true, 590400.53},
        {"negative", "-512", true, -512.0},
        {"plus_and_blanks", " +1.5 ", true, 1.5},
        {"exponent", "5.9e5", true, 590000.0},
        {"comma", "1,5", false, 0.0},
        {"trailing", "1.5x", false, 0.0},
        {"empty", "", false, 0.0},
        {"nan", "nan", false, 0.0},
        {"infinite", "1e999", false, 0.0},
    };
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        double value = -1.0;
        EXPECT_EQ(ParseMapDouble(row.text, value), row.ok);
        EXPECT_DOUBLE_EQ(value, row.value);
    }
    std::setlocale(LC_ALL, saved.c_str());
    if (!german)
        GTEST_LOG_(INFO) << "de_DE.UTF-8 not installed; parsed in the current locale only";
}

// Example failure: "TRUE" or "1" in a map reads as false, so a workspace setting is left out of
// saved workspaces.
TEST(MapNumbers, BooleansTakeWordsAndNumbers)
{
    struct Row {
        const char* text;
        bool ok;
        bool value;
    } rows[] = {
        {"true", true, true},   {"TRUE", true, true},   {"false", true, false}, {" False ", true, false},
        {"1", true, true},      {"0", true, false},     {"2.5", true, true},    {"", true, false},
        {"yes", false, false},  {"truex", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        bool value = !row.value;
        EXPECT_EQ(ParseMapBool(row.text, value), row.ok);
        EXPECT_EQ(value, row.value);
    }
}
