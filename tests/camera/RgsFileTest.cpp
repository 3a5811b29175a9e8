// Workspace file lines: the fixed lines and register lines as written, and the strict reading
// of command lines that decides what a replay sends to the camera.
#include "camera/RgsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rgs::LineKind;

struct ParseRow {
    const char* name;
    std::string line;
    LineKind kind;
    std::vector<std::uint8_t> frame;  ///< the frame of a command
};

// Example failure: "57", "57 60" or a line with a stray character is sent with zero bytes
// filled in, or a GUI-settings line that begins like a command reaches the camera.
TEST(RgsFile, ParseCommandLineTable)
{
    const std::vector<ParseRow> rows = {
        {"write_byte_form", "57 6034 00000001", LineKind::Command, {0x57, 0x60, 0x34, 0x00, 0x00, 0x00, 0x01}},
        {"write_spaced_bytes", "57 60 34 de ad be ef", LineKind::Command, {0x57, 0x60, 0x34, 0xDE, 0xAD, 0xBE, 0xEF}},
        {"write_tabs_and_trailing_blanks", "57\t6034\t00000001 \t\r", LineKind::Command,
         {0x57, 0x60, 0x34, 0x00, 0x00, 0x00, 0x01}},
        {"write_one_digit_bytes_apart", "57 6 34 0 0 0 1", LineKind::Command, {0x57, 0x06, 0x34, 0x00, 0x00, 0x00, 0x01}},
        {"bugs/last_byte_lost_a_digit", "57 6034 0000001", LineKind::Malformed, {}},
        {"bugs/address_lost_a_digit", "57 604 00000001", LineKind::Malformed, {}},
        {"bugs/read_lost_a_digit", "52 601", LineKind::Malformed, {}},
        {"read_packed", "526014", LineKind::Command, {0x52, 0x60, 0x14}},
        {"read_spaced", "52 6014", LineKind::Command, {0x52, 0x60, 0x14}},
        {"write_text_form", "57 7028 <ABCD>", LineKind::Command, {0x57, 0x70, 0x28, 'A', 'B', 'C', 'D'}},
        {"write_text_form_with_blanks_inside", "57 7028 < B  >  ", LineKind::Command, {0x57, 0x70, 0x28, ' ', 'B', ' ', ' '}},
        {"settings_line", "-- color.mode=1", LineKind::Other, {}},
        {"leading_blank", " 57 6034 00000001", LineKind::Other, {}},
        {"empty", "", LineKind::Other, {}},
        {"lone_five", "5", LineKind::Other, {}},
        {"other_command_letter", "53 6034 00000001", LineKind::Other, {}},
        {"bugs/command_only", "57", LineKind::Malformed, {}},
        {"bugs/address_half", "57 60", LineKind::Malformed, {}},
        {"bugs/no_data", "57 6034", LineKind::Malformed, {}},
        {"bugs/data_short", "57 6034 000000", LineKind::Malformed, {}},
        {"bugs/stray_digit", "57 6034 0000000G", LineKind::Malformed, {}},
        {"bugs/extra_byte", "57 6034 00000001 00", LineKind::Malformed, {}},
        {"bugs/trailing_text", "57 6034 00000001 x", LineKind::Malformed, {}},
        {"bugs/read_with_data", "52 6014 00000000", LineKind::Malformed, {}},
        {"bugs/read_short", "52 60", LineKind::Malformed, {}},
        {"bugs/text_form_short", "57 7028 <AB>", LineKind::Malformed, {}},
        {"bugs/text_form_earlier_close", "57 7028 <A>CD>", LineKind::Malformed, {}},
        {"bugs/text_form_trailing", "57 7028 <ABCD> 1", LineKind::Malformed, {}},
        {"bugs/text_form_extra_byte", "57 7028 00 <ABCD>", LineKind::Malformed, {}},
        {"bugs/text_form_read", "52 7028 <ABCD>", LineKind::Malformed, {}},
        {"bugs/nul_byte", std::string("57 6034 0000\0 001", 17), LineKind::Malformed, {}},
        {"bugs/sign", "57 6034 -0000001", LineKind::Malformed, {}},
    };
    for (const ParseRow& row : rows) {
        SCOPED_TRACE(row.name);
        const rgs::CommandLine parsed = rgs::ParseCommandLine(row.line);
        EXPECT_EQ(parsed.kind, row.kind);
        if (row.kind != LineKind::Command)
            continue;
        ASSERT_EQ(parsed.length, row.frame.size());
        EXPECT_EQ(std::vector<std::uint8_t>(parsed.frame, parsed.frame + parsed.length), row.frame);
    }
}

// Example failure: a line's last character is cut (a last line without a line end loses a
// digit), or a CR stays on the line.
TEST(RgsFile, SplitLinesKeepsWholeLines)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    } rows[] = {
        {"crlf", "a\r\nbc\r\n", {"a", "bc"}},
        {"lf_and_no_final_end", "a\nbc", {"a", "bc"}},
        {"blank_lines", "\n\r\n", {"", ""}},
        {"lone_cr_stays", "a\rb", {"a\rb"}},
        {"empty", "", {}},
        {"long_line", std::string(250, 'x') + "\r\n", {std::string(250, 'x')}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> lines;
        for (std::string_view line : rgs::SplitLines(row.text))
            lines.emplace_back(line);
        EXPECT_EQ(lines, row.lines);
    }
}

// Example failure: a register line's digits come in the wrong case or order, so the file is
// not what other readers of workspaces expect.
TEST(RgsFile, WrittenLines)
{
    EXPECT_EQ(rgs::FormatWriteLine(0x00AB, 0xDEADBEEF), "57 00AB DEADBEEF");
    EXPECT_EQ(rgs::OpeningLines(), "57 6014 5E17C4B2\r\n57 6034 00000001\r\n");
    EXPECT_EQ(rgs::ClosingLines(), "57 6034 00000000\r\n57 6014 00000000\r\n");
    const rgs::CommandLine parsed = rgs::ParseCommandLine(rgs::FormatWriteLine(0xFFFF, 0x01020304));
    ASSERT_EQ(parsed.kind, LineKind::Command);
    EXPECT_EQ(std::vector<std::uint8_t>(parsed.frame, parsed.frame + 7),
              (std::vector<std::uint8_t>{0x57, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04}));
}

// Example failure: a typed command is read only up to its first non-hex character, so a blank
// or letter shifts the frame, or a sign or "0x" prefix is accepted; a command of the right
// length points at another character than its first one that is no digit.
TEST(RgsFile, ParseHexCommandTable)
{
    constexpr std::size_t kNone = std::string_view::npos;
    const struct {
        const char* text;
        std::vector<std::uint8_t> frame;  ///< empty: refused
        std::size_t notHexAt;
    } rows[] = {
        {"5701234567891A", {0x57, 0x01, 0x23, 0x45, 0x67, 0x89, 0x1A}, kNone},
        {"526014", {0x52, 0x60, 0x14}, kNone},
        {"57051c0000000a", {0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, 0x0A}, kNone},
        {"52GG00", {}, 2},
        {" 520000", {}, kNone},
        {"+52000", {}, 0},
        {"52000000", {}, kNone},
        {"ffffff", {0xFF, 0xFF, 0xFF}, kNone},
        {"5260140", {}, kNone},
        {"", {}, kNone},
        {"57 123", {}, 2},
        {"0x5701", {}, 1},
        {"-57014", {}, 0},
        {"5701234567ZZZZ", {}, 10},
        {"570123456789 A", {}, 12},
        {"52601G", {}, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const rgs::CommandLine parsed = rgs::ParseHexCommand(row.text);
        EXPECT_EQ(parsed.kind, row.frame.empty() ? LineKind::Malformed : LineKind::Command);
        EXPECT_EQ(std::vector<std::uint8_t>(parsed.frame, parsed.frame + parsed.length), row.frame);
        EXPECT_EQ(parsed.notHexAt, row.notHexAt);
    }
}

}  // namespace

// Example failure: a file cut short (its closing lines gone, or its last line missing a digit)
// or one with a malformed line in the middle passes the check, so half of it is sent and the
// camera stays in supervisor mode with its error checking off.
TEST(RgsFile, CheckWorkspaceNeedsWholeLinesAndTheClosingLines)
{
    const std::string open = rgs::OpeningLines();
    const std::string close = rgs::ClosingLines();
    const std::string body = "57 0104 00000001\r\n";
    struct Row {
        const char* name;
        std::string text;
        std::size_t badLine;  ///< 0: fit
        std::size_t commands;
    } rows[] = {
        {"saved file", open + body + close + "-- color.mode=1\r\n", 0, 5},
        {"closing lines without final line end", body + "57 6034 00000000\r\n57 6014 00000000", 0, 3},
        {"no command at all", "-- color.mode=1\r\n", 0, 0},
        {"bugs/closing lines missing", open + body, 3, 3},
        {"bugs/last line lost a digit", open + body + "57 6034 00000000\r\n57 6014 0000000", 5, 4},
        {"bugs/only the first closing line", open + body + "57 6034 00000000\r\n", 4, 4},
        {"bugs/closing lines swapped", open + body + "57 6014 00000000\r\n57 6034 00000000\r\n", 5, 5},
        {"bugs/malformed line in the middle", open + "57 01\r\n" + body + close, 3, 5},
        {"bugs/no mode switched, no closing lines needed", body + "52 6014\r\n", 0, 2},
        {"supervisor mode only, left again", "57 6014 5E17C4B2\r\n" + body + "57 6014 00000000\r\n", 0, 3},
        {"bugs/error checking off, never on again", "57 6034 00000001\r\n" + body, 2, 2},
        {"bugs/supervisor mode never left", "57 6014 5E17C4B2\r\n" + body, 2, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const rgs::WorkspaceCheck check = rgs::CheckWorkspace(row.text);
        EXPECT_EQ(check.badLine, row.badLine) << (check.reason ? check.reason : "");
        EXPECT_EQ(check.Fit(), row.badLine == 0);
        EXPECT_EQ(check.commands.size(), row.commands);
        if (!check.Fit()) {
            EXPECT_NE(check.reason, nullptr);
        }
    }
}

