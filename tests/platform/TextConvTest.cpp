#include "platform/TextConv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

struct Row {
    const char* name;
    std::string utf8;
    std::wstring wide;
    std::string utf16le;
};

const Row kRows[] = {
    {"ascii", "Gain=1", L"Gain=1", std::string("G\0a\0i\0n\0=\0001\0", 12)},
    {"latin1", "caf\xC3\xA9", L"caf\u00E9", std::string("c\0a\0f\0\xE9\0", 8)},
    {"bmp_three_bytes", "\xE2\x82\xAC", L"\u20AC", std::string("\xAC\x20", 2)},
    // Outside the basic plane: one wchar_t, two UTF-16 units, four UTF-8 bytes.
    {"astral", "\xF0\x9F\x93\xB7", L"\U0001F4F7", std::string("\x3D\xD8\xF7\xDC", 4)},
    {"empty", "", L"", ""},
};

}  // namespace

// Example failure: a character outside the basic plane is written as one truncated unit, so the
// log file shows garbage and the message length counted in units is wrong.
TEST(TextConv, RoundTripsEveryForm)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Utf8ToWide(row.utf8), row.wide);
        EXPECT_EQ(WideToUtf8(row.wide), row.utf8);
        EXPECT_EQ(WideToUtf16LeBytes(row.wide), row.utf16le);
        EXPECT_EQ(Utf16LeBytesToWide(row.utf16le.data(), row.utf16le.size()), row.wide);
        EXPECT_EQ(Utf16ToWide(WideToUtf16(row.wide)), row.wide);
        EXPECT_EQ(Utf16Length(row.wide), row.utf16le.size() / 2);
    }
}

// Example failure: a malformed byte sequence throws or stops the conversion, losing the rest of
// a log line or a file name.
TEST(TextConv, MalformedInputBecomesReplacementCharacters)
{
    const wchar_t R = static_cast<wchar_t>(kReplacementChar);
    struct Bad {
        const char* name;
        std::string utf8;
        std::wstring wide;
    } rows[] = {
        {"lone_continuation", "a\x80" "b", std::wstring{L'a', R, L'b'}},
        {"truncated_tail", "ab\xE2\x82", std::wstring{L'a', L'b', R}},
        {"broken_in_middle", "\xE2" "A", std::wstring{R, L'A'}},
        {"overlong_slash", "\xC0\xAF", std::wstring{R}},
        {"encoded_surrogate", "\xED\xA0\x80", std::wstring{R}},
        {"above_max", "\xF4\x90\x80\x80", std::wstring{R}},
        {"invalid_lead", "\xFF", std::wstring{R}},
    };
    for (const Bad& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Utf8ToWide(row.utf8), row.wide);
    }
}

// Example failure: an unpaired surrogate in a UTF-16 file swallows the next character.
TEST(TextConv, UnpairedSurrogatesAndOddBytes)
{
    const wchar_t R = static_cast<wchar_t>(kReplacementChar);
    const char highThenA[] = {'\x3D', '\xD8', 'A', '\0'};
    EXPECT_EQ(Utf16LeBytesToWide(highThenA, 4), (std::wstring{R, L'A'}));
    const char lowAlone[] = {'\x00', '\xDC', 'B', '\0'};
    EXPECT_EQ(Utf16LeBytesToWide(lowAlone, 4), (std::wstring{R, L'B'}));
    const char highAtEnd[] = {'A', '\0', '\x3D', '\xD8'};
    EXPECT_EQ(Utf16LeBytesToWide(highAtEnd, 4), (std::wstring{L'A', R}));
    const char odd[] = {'A', '\0', 'B'};
    EXPECT_EQ(Utf16LeBytesToWide(odd, 3), L"A");
    EXPECT_EQ(Utf16LeBytesToWide(nullptr, 8), L"");

    // wchar_t values that are not characters are replaced on the way out.
    const std::wstring bogus{static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000)};
    EXPECT_EQ(WideToUtf8(bogus), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf16(bogus), (std::u16string{u'\xFFFD', u'\xFFFD'}));
}
