#include "controls/ValueText.h"

#include <gtest/gtest.h>

#include <optional>

#include <cfloat>
#include <string>

namespace {

// Example failure: a panel's format with a %d or %s conversion is handed to printf with a
// double (undefined behaviour) instead of falling back to "%.2f".
TEST(ValueText, FormatsWithCheckedFormats)
{
    struct Row {
        const char* format;
        double value;
        const char* expected;
    };
    const Row rows[] = {
        {"%.2f", 1.005, "1.00"},
        {"", 3.14159, "3.14"},
        {"%.3f", 255.0, "255.000"},
        {"%5.1f dB", 2.25, "  2.2 dB"},
        {"%g%%", 50.0, "50%"},
        {"%lf", 1.5, "1.500000"},
        {"%d", 7.9, "7.90"},
        {"%s", 1.0, "1.00"},
        {"%f %f", 1.0, "1.00"},
        {"%*f", 1.0, "1.00"},
        {"%100f", 1.0, "1.00"},
        {"text only", 2.0, "2.00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(ctl::FormatValue(row.format, row.value), row.expected);
    }
}

// Example failure: a huge value overflows a fixed 255-character buffer.
TEST(ValueText, LongOutputIsNotCut)
{
    const std::string text = ctl::FormatValue("%.2f", 1e300);
    EXPECT_EQ(text.size(), 304u);
    EXPECT_EQ(text.substr(text.size() - 3), ".00");
}

// Example failure: the whole value of 2^40 or NaN is converted to int (undefined behaviour).
TEST(ValueText, WholeValuesTruncateAndSaturate)
{
    EXPECT_EQ(ctl::FormatWhole(254.999), "254");
    EXPECT_EQ(ctl::FormatWhole(-3.7), "-3");
    EXPECT_EQ(ctl::FormatWhole(1099511627776.0), "2147483647");
    EXPECT_EQ(ctl::FormatWhole(-1e30), "-2147483648");
    EXPECT_EQ(ctl::FormatWhole(0.0 / 0.0), "0");
}

// Example failure: typed text is read with the user's locale (a comma decimal point),
// "inf"/"nan" becomes a value that survives every clamp, or text without a number reads as 0
// (which a control then clamps to the minimum and writes).
TEST(ValueText, ParsesTheLeadingNumber)
{
    const std::optional<double> none;
    struct Row {
        const char* text;
        std::optional<double> expected;
    };
    const Row rows[] = {
        {"12", 12.0},       {"  -3.5", -3.5},  {"+4", 4.0},      {"1e3", 1000.0}, {".5", 0.5},
        {"7abc", 7.0},      {"abc", none},     {"", none},       {"-", none},     {"inf", none},
        {"nan", none},      {".", none},       {"0x10", 0.0},    {"1,5", 1.0},    {"1e999", DBL_MAX},
        {"-1e999", -DBL_MAX}, {"1e-999", 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ctl::ParseNumber(row.text), row.expected);
    }
}

}  // namespace
