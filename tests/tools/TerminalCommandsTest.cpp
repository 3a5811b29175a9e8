// The command terminal's engine: the typed-line parser and value readers by table, and typed
// lines run against the emulated camera, checked on the frames the camera received and the
// lines the terminal shows (its own and the camera link's echo, in order).
#include "camera/LinkText.h"
#include "tools/ITerminalOwner.h"
#include "tools/TerminalCommands.h"

#include "TerminalFixture.h"

// The engine and the owner interface are the terminal's Qt-free half.
#if defined(QT_VERSION) || defined(QT_CORE_LIB)
#error "a core header of the terminal includes Qt"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace corvel::test;
using terminal::LineKind;
using Lines = std::vector<std::string>;

namespace {

// ---- parser tables ----

struct LineRow {
    const char* name;
    const char* typed;
    LineKind kind;
    const char* hex;
    const char* paramName;
    const char* value;
};

// Example failure: a prefix is matched in another spelling ("Hex:", "0X"), the raw text is
// trimmed after the prefix (hiding a blank the length check must see), "help" matches only in
// one case or with an argument, or the value keeps its blanks.
TEST(TerminalParseLine, KindsAndParts)
{
    const LineRow rows[] = {
        {"zero_x", "0x520000", LineKind::Raw, "520000", "", ""},
        {"upper_hex", "  HEX:520000 ", LineKind::Raw, "520000", "", ""},
        {"lower_hex", "hex:5701234567891A", LineKind::Raw, "5701234567891A", "", ""},
        {"blank_after_prefix_kept", "HEX: 520000", LineKind::Raw, " 520000", "", ""},
        {"mixed_case_prefix_is_a_name", "Hex:520000", LineKind::Param, "", "Hex:520000", ""},
        {"capital_x_is_a_name", "0X520000", LineKind::Param, "", "0X520000", ""},
        {"help", "help", LineKind::Help, "", "", ""},
        {"HELP", "HELP", LineKind::Help, "", "", ""},
        {"Help_trimmed", " Help\t", LineKind::Help, "", "", ""},
        {"help_with_argument_is_a_name", "help x", LineKind::Param, "", "help", "x"},
        {"value_trimmed", "trgFrm   12  ", LineKind::Param, "", "trgFrm", "12"},
        {"value_keeps_inner_blanks", "mfgName1 A B", LineKind::Param, "", "mfgName1", "A B"},
        {"empty_line", "   ", LineKind::Param, "", "", ""},
    };
    for (const LineRow& row : rows) {
        SCOPED_TRACE(row.name);
        const terminal::ParsedLine parsed = terminal::ParseLine(row.typed);
        EXPECT_EQ(parsed.kind, row.kind);
        EXPECT_EQ(parsed.hex, row.hex);
        EXPECT_EQ(parsed.name, row.paramName);
        EXPECT_EQ(parsed.value, row.value);
    }
}

template <class T>
struct ValueRow {
    const char* text;
    std::optional<T> value;
};

template <class T>
void CheckValueRows(const std::vector<ValueRow<T>>& rows, std::optional<T> (*parse)(std::string_view))
{
    for (const ValueRow<T>& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parse(row.text), row.value);
    }
}

// Example failure: "0x10" is written as 0, "12abc" as 12, a number beyond 64 bits wraps.
TEST(TerminalParseValue, Integers)
{
    CheckValueRows<std::int64_t>(
        {
            {"5", 5},
            {"0x10", 16},
            {"0X1f", 31},
            {"-3", -3},
            {"+7", 7},
            {"-0x10", -16},
            {"0xFFFFFFFF", 0xFFFFFFFFll},
            {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
            {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
            {"9223372036854775808", std::nullopt},
            {"abc", std::nullopt},
            {"12abc", std::nullopt},
            {"1.5", std::nullopt},
            {"0x", std::nullopt},
            {"0xG", std::nullopt},
            {"--5", std::nullopt},
            {"0x-5", std::nullopt},
            {"", std::nullopt},
        },
        terminal::ParseIntValue);
}

// Example failure: "0", "OFF" or "false" switch a flag on (only "of" meaning false), or a
// typing error ("yes", "2") is taken as true.
TEST(TerminalParseValue, Booleans)
{
    CheckValueRows<bool>(
        {
            {"0", false},   {"off", false},  {"OFF", false},      {"Off", false},       {"false", false},
            {"FALSE", false}, {"1", true},   {"on", true},        {"ON", true},         {"true", true},
            {"True", true}, {"of", std::nullopt}, {"yes", std::nullopt}, {"2", std::nullopt},
            {"offx", std::nullopt}, {"", std::nullopt},
        },
        terminal::ParseBoolValue);
}

// Example failure: "abc" is written as 0.0, a decimal comma is read as the whole part, or
// "nan" reaches the value coder.
TEST(TerminalParseValue, FloatingPoint)
{
    CheckValueRows<double>(
        {
            {"1.5", 1.5}, {"-2", -2.0}, {"3e2", 300.0}, {"+0.25", 0.25},
            {"abc", std::nullopt}, {"1.5x", std::nullopt}, {"1,5", std::nullopt}, {"nan", std::nullopt},
            {"inf", std::nullopt}, {"", std::nullopt}, {"+-1", std::nullopt},
        },
        terminal::ParseFloatValue);
}

// ---- typed lines on the emulated camera ----

class TerminalEngine : public TerminalOverCamera {
protected:
    void SetUp() override
    {
        TerminalOverCamera::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            commands = std::make_unique<TerminalCommands>(*link, host, clock);
    }

    /// Runs one typed line from a clean frame log and output.
    TerminalCommands::Outcome Type(const std::string& line)
    {
        emu.ClearFrames();
        host.lines.clear();
        host.appBoxes.clear();
        return commands->Execute(line);
    }
    /// Sets what the link holds of a boolean, without going through the terminal.
    void PresetBool(const char* name, bool value)
    {
        link->SetParamBool(name, value, false);
        emu.ClearFrames();
    }

    std::unique_ptr<TerminalCommands> commands;
};

// Example failure: the same digits behind "HEX:" or "hex:" go out differently from "0x", the
// reply bytes are shown in another order, or a read answer loses its data word.
TEST_F(TerminalEngine, RawReadFrameInEveryPrefix)
{
    emu.SetRegister(0x0518, 0x01020304);
    for (const char* typed : {"0x520518", "HEX:520518", "hex:520518"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(Type(typed), TerminalCommands::Outcome::Done);
        EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x52, 0x05, 0x18}}));
        EXPECT_EQ(host.lines, (Lines{typed, "OK; err = 0\r\nResp = <0x0601020304>  Time: 0.000000ms\n"}));
    }
}

// Example failure: a raw write reaches the camera with its bytes reordered, or the time shown
// leaves out the wait the camera needs after a slow command.
TEST_F(TerminalEngine, RawWriteIsSentAsTypedAndTimed)
{
    EXPECT_EQ(Type("0x57051C0000000A"), TerminalCommands::Outcome::Done);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, 0x0A}}));
    EXPECT_EQ(emu.Register(0x051C), 0x0Au);
    EXPECT_EQ(host.lines.back(), "OK; err = 0\r\nResp = <0x06>  Time: 0.000000ms\n");

    // OutputFormat makes the camera take 500 ms before it answers.
    Type("0x57010C00000001");
    EXPECT_EQ(host.lines.back(), "OK; err = 0\r\nResp = <0x06>  Time: 500.000000ms\n");
}

// Example failure: a malformed raw command sends a shifted or partial frame, shows no message,
// blames the length of a command whose length is right, or is reported as acknowledged.
TEST_F(TerminalEngine, MalformedRawCommandSendsNothing)
{
    const struct {
        const char* typed;
        const char* box;
    } rows[] = {
        {"0x52GG00", "HEX command: 'G' (character 3 of 52GG00) is not a hexadecimal digit"},
        {"hex:57051C000000 A", "HEX command: ' ' (character 13 of 57051C000000 A) is not a hexadecimal digit"},
        {"0x-52051", "HEX command: '-' (character 1 of -52051) is not a hexadecimal digit"},
        {"HEX: 520518", "HEX command should have 3 or 7 bytes"},
        {"0x5205", "HEX command should have 3 or 7 bytes"},
        {"0x52GG0", "HEX command should have 3 or 7 bytes"},
        {"0x57051C0000000A00", "HEX command should have 3 or 7 bytes"},
        {"hex:", "HEX command should have 3 or 7 bytes"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(Type(row.typed), TerminalCommands::Outcome::Done);
        EXPECT_TRUE(Frames().empty());
        ASSERT_EQ(host.appBoxes.size(), 1u);
        EXPECT_EQ(host.appBoxes[0].text, row.box);
        EXPECT_EQ(host.appBoxes[0].caption, "Corvel");
        EXPECT_EQ(host.lines, (Lines{row.typed, " ERR = -1<FFFFFFFF>, resp = <0x>  Time: 0.000000ms\n"}));
    }
}

// Example failure: a refused raw frame is shown as acknowledged, or the camera's error code
// after the status byte is lost.
TEST_F(TerminalEngine, RefusedRawCommandShowsResultAndBytes)
{
    Refuse(0x0518, 0x15, 0x04);
    Type("0x57051800000009");
    EXPECT_EQ(host.lines.back(), " ERR = 15<F>, resp = <0x1504>  Time: 0.000000ms\n");
    EXPECT_NE(emu.Register(0x0518), 9u);
}

// Example failure: a read shows no timing or closing line, the field is not cut from the
// register word, or the echo of the camera link is missing.
TEST_F(TerminalEngine, IntegerReadByShortCommand)
{
    emu.SetRegister(0x051C, 0x00AB0004);
    EXPECT_EQ(Type("trgFrm"), TerminalCommands::Outcome::Done);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x52, 0x05, 0x1C}}));
    EXPECT_EQ(host.lines, (Lines{"trgFrm\r\n", "CMD=<52051C>", "ACK = <06>:RSP<00ab0004>",
                                 "value = 4 <0000000000000004>", ">trgFrm 4", "  Time: 0.000000ms\n", ">\r\n"}));
}

// Example failure: "0x10" is written as 0 or a decimal value is coded wrongly; a write while
// the camera is offline reaches it anyway, or is closed with ">" as if it had.
TEST_F(TerminalEngine, IntegerWritesDecimalAndHex)
{
    const struct {
        const char* typed;
        const char* shown;
        std::uint8_t low;
    } rows[] = {{"trgFrm 12", "trgFrm 12\r\n", 0x0C},
                {"trgFrm 0x10", "trgFrm 0x10\r\n", 0x10},
                {" trgFrm   +0X2a ", "trgFrm   +0X2a\r\n", 0x2A}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(Type(row.typed), TerminalCommands::Outcome::Done);
        EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, row.low}}));
        EXPECT_EQ(host.lines.front(), row.shown);
        EXPECT_EQ(host.lines.back(), ">\r\n");
    }

    link->GoOffline();
    EXPECT_EQ(Type("trgFrm 7"), TerminalCommands::Outcome::Kept);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(host.lines, (Lines{"trgFrm 7\r\n", "Camera is offline; nothing was written"}));
}

// Example failure: a value that is no number of the parameter's type is written as 0 (or as
// its leading digits), a value outside the parameter's range is written masked or scaled into
// another (the maximum 4.0 is 4096 steps, one past a 12-bit field, and would arrive as 0), pasted
// lines are run as a name and a value, or the line is taken away from the operator.
TEST_F(TerminalEngine, MalformedValuesWriteNothing)
{
    PresetBool("AECEnable", true);
    const struct {
        const char* typed;
        const char* shown;
    } rows[] = {
        {"trgFrm abc", "Invalid value <abc>: a decimal or 0x hexadecimal integer expected; nothing was written"},
        {"trgFrm 12abc", "Invalid value <12abc>: a decimal or 0x hexadecimal integer expected; nothing was written"},
        {"trgFrm 1.5", "Invalid value <1.5>: a decimal or 0x hexadecimal integer expected; nothing was written"},
        {"aecEn yes", "Invalid value <yes>: 1, on, true, 0, off or false expected; nothing was written"},
        {"digiGain abc", "Invalid value <abc>: a decimal number expected; nothing was written"},
        {"trgFrm 0", "Value <0> is outside 1..65501; nothing was written"},
        {"trgFrm 0x10000", "Value <0x10000> is outside 1..65501; nothing was written"},
        {"digiGain 4.5", "Value <4.5> is outside 0..3.99902; nothing was written"},
        {"digiGain -0.5", "Value <-0.5> is outside 0..3.99902; nothing was written"},
        {"digiGain 4", "Value <4> is outside 0..3.99902; nothing was written"},
        {"aecEn\non", "Several lines in one command; enter one command per line; nothing was sent"},
        {"trgFrm 7\r\ntrgFrm 8", "Several lines in one command; enter one command per line; nothing was sent"},
        {"0x520518\n0x52051C", "Several lines in one command; enter one command per line; nothing was sent"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(Type(row.typed), TerminalCommands::Outcome::Kept);
        EXPECT_TRUE(Frames().empty());
        EXPECT_EQ(host.lines, (Lines{std::string(row.typed) + "\r\n", row.shown}));
    }
}

// Example failure: "0", "OFF" or "false" switch the flag on, or "on" switches it off; a flag
// the link already holds is not sent (while the camera holds the other, after a raw frame or a
// reset) and the line is closed with ">" all the same.
TEST_F(TerminalEngine, BooleanWrites)
{
    const struct {
        const char* value;
        bool expected;
        bool held;  ///< what the link holds before; the camera holds the other value
    } rows[] = {{"0", false, true}, {"OFF", false, true}, {"false", false, true}, {"off", false, true},
                {"1", true, false}, {"on", true, false},  {"TRUE", true, false},
                {"on", true, true}, {"0", false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.value) + (row.held == row.expected ? " (held)" : ""));
        PresetBool("AECEnable", row.held);
        emu.SetRegister(0x0150, row.expected ? 0 : 1);
        EXPECT_EQ(Type(std::string("aecEn ") + row.value), TerminalCommands::Outcome::Done);
        const std::uint8_t bit = row.expected ? 1 : 0;
        EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x57, 0x01, 0x50, 0x00, 0x00, 0x00, bit}}));
        EXPECT_EQ(emu.Register(0x0150), bit);
        const std::string state = row.expected ? "on" : "off";
        EXPECT_EQ(host.lines, (Lines{"aecEn " + std::string(row.value) + "\r\n", "<aecEn " + state,
                                     "CMD=<5701500000000" + std::to_string(bit) + ">", "OK", ">aecEn " + state, ">\r\n"}));
    }
}

// Example failure: a floating-point value is written unscaled, or a read is not answered; a
// value between two steps (1/1024 here) is written as the step below it while the terminal
// shows the typed value, so the engineer never learns what the camera got (at four decimals
// 0.001 and 0.000976562 look alike).
TEST_F(TerminalEngine, FloatingPointWriteAndRead)
{
    const struct {
        const char* value;
        std::uint16_t field;  ///< the register's field after the write
        const char* sent;     ///< the link's echo of the value sent
        const char* held;     ///< the link's echo of what the register took
        const char* between;  ///< the terminal's line for a value between two steps; null on a step
    } rows[] = {
        {"1.5", 0x0600, "1.5000", "1.5000", nullptr},
        {"0.001", 0x0001, "0.0010", "0.0010",
         "Value <0.001> lies between two steps of the register; written as 0.000976562"},
        {"0.0005", 0x0000, "0.0005", "0.0000", "Value <0.0005> lies between two steps of the register; written as 0"},
        // The field's last step (4095 / 1024); one step more is refused (MalformedValuesWriteNothing).
        {"3.9990234375", 0x0FFF, "3.9990", "3.9990", nullptr},
        {"3.9999", 0x0FFF, "3.9999", "3.9990",
         "Value <3.9999> lies between two steps of the register; written as 3.99902"},
    };
    for (const auto& row : rows) {
        const std::string typed = std::string("digiGain ") + row.value;
        SCOPED_TRACE(typed);
        EXPECT_EQ(Type(typed), TerminalCommands::Outcome::Done);
        EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x0180, row.field)}));
        EXPECT_EQ(emu.Register(0x0180), row.field);
        Lines expected{typed + "\r\n", std::string("<digiGain ") + row.sent,
                       camera::FormatText("CMD=<5701800000%04X>", row.field), "OK",
                       std::string(">digiGain ") + row.held};
        if (row.between)
            expected.push_back(row.between);
        expected.push_back(">\r\n");
        EXPECT_EQ(host.lines, expected);
    }

    Type("digiGain");
    EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x52, 0x01, 0x80}}));
    // A read gives what the write's echo showed.
    EXPECT_EQ(host.lines, (Lines{"digiGain\r\n", "CMD=<520180>", "ACK = <06>:RSP<00000fff>",
                                 "value = 4095 <00000FFF>: float_val = 3.9990", ">digiGain 3.9990", ">\r\n"}));
}

// Example failure: a write the camera refuses, or whose answer is lost, closes with ">" and
// empties the command line as if it had been written. (Writes while the link counts the camera
// as gone: TerminalWindow.WriteWhileTheCameraIsOfflineSaysSo.)
TEST_F(TerminalEngine, WritesTheCameraDidNotTakeSaySo)
{
    const struct {
        const char* typed;
        std::uint16_t address;
        std::uint32_t word;  ///< the frame's data word
    } writes[] = {{"trgFrm 7", 0x051C, 7}, {"aecEn on", 0x0150, 1}, {"digiGain 1.5", 0x0180, 0x0600}};
    for (const auto& row : writes) {
        SCOPED_TRACE(row.typed);
        PresetBool("AECEnable", false);
        emu.SetRegister(row.address, 0);

        Refuse(row.address, 0x15, 0x04);
        EXPECT_EQ(Type(row.typed), TerminalCommands::Outcome::Kept);
        EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(row.address, row.word)}));
        EXPECT_EQ(emu.Register(row.address), 0u);
        ASSERT_FALSE(host.lines.empty());
        EXPECT_EQ(host.lines.back(), "Camera refused the write; nothing was written");
        EXPECT_EQ(std::count(host.lines.begin(), host.lines.end(), ">\r\n"), 0);

        // The answer to the write is lost (the link's report then identifies the camera again).
        Silence(row.address);
        EXPECT_EQ(Type(row.typed), TerminalCommands::Outcome::Kept);
        const std::vector<Bytes> frames = Frames();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.front(), WriteFrame(row.address, row.word));
        ASSERT_FALSE(host.lines.empty());
        EXPECT_EQ(host.lines.back(), "No answer from the camera (result -10004); the value may not have been written");
        EXPECT_EQ(std::count(host.lines.begin(), host.lines.end(), ">\r\n"), 0);
    }
}

// Example failure: a text parameter given a value is written, or answered as if it ran; its
// read is not sent.
TEST_F(TerminalEngine, TextIsReadOnlyHere)
{
    EXPECT_EQ(Type("mfgName1 ABCD"), TerminalCommands::Outcome::Kept);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(host.lines, (Lines{"mfgName1 ABCD\r\n",
                                 "Command <mfgName1> holds text, which is only read here; nothing was written"}));
    Type("mfgName1");
    EXPECT_EQ(Frames(), (std::vector<Bytes>{{0x52, 0x70, 0x28}}));
    EXPECT_EQ(host.lines.back(), ">\r\n");
}

// Example failure: an earlier parameter whose short command begins with the typed name wins
// over the exact one, a prefix picks a later parameter, a write goes to the first of several
// commands the name begins, an unknown name or an empty line is answered with a read.
TEST_F(TerminalEngine, ShortCommandLookup)
{
    const struct {
        const char* name;
        const char* typed;
        std::vector<Bytes> frames;
        const char* echo;     ///< a line the link echoes; null when nothing ran
        const char* refusal;  ///< the terminal's line when nothing ran; null for an empty line
    } rows[] = {
        {"exact_beats_earlier_prefix", "taps", {{0x52, 0x01, 0x08}}, ">taps ", nullptr},
        {"prefix_takes_the_earliest", "trg", {{0x52, 0x05, 0x1C}}, ">trgFrm ", nullptr},
        {"longer_prefix", "trgM", {{0x52, 0x05, 0x18}}, ">trgMode ", nullptr},
        {"write_exact", "tapsMode 2", {{0x57, 0x01, 0x08, 0x00, 0x00, 0x00, 0x02}}, "<tapsMode 2", nullptr},
        {"write_read_only", "taps 2", {}, nullptr, "Command <taps> is read-only; nothing was written"},
        {"write_to_the_only_command", "trgM 1", {{0x57, 0x05, 0x18, 0x00, 0x00, 0x00, 0x01}}, "<trgMode 1", nullptr},
        {"write_to_one_of_several", "trg 3", {}, nullptr,
         "Command <trg> is the start of several: trgFrm trgMode; nothing was written"},
        {"case_sensitive", "TRGFRM", {}, nullptr, "Unknown command <TRGFRM>; \"help\" lists the commands"},
        {"unknown", "nosuch 5", {}, nullptr, "Unknown command <nosuch>; \"help\" lists the commands"},
        {"empty_line", "", {}, nullptr, nullptr},
        {"blank_line", "  \t ", {}, nullptr, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto outcome = Type(row.typed);
        EXPECT_EQ(Frames(), row.frames);
        if (!row.echo) {
            EXPECT_EQ(outcome, TerminalCommands::Outcome::Kept);
            EXPECT_EQ(host.lines, (row.refusal ? Lines{std::string(row.typed) + "\r\n", row.refusal} : Lines{}));
            continue;
        }
        EXPECT_EQ(outcome, TerminalCommands::Outcome::Done);
        bool echoed = false;
        for (const std::string& line : host.lines)
            echoed = echoed || line.rfind(row.echo, 0) == 0;
        EXPECT_TRUE(echoed) << row.echo;
    }
}

// Example failure: help lists an address twice, out of order, under a later parameter's
// command, talks to the camera, or "help x" is taken as help.
TEST_F(TerminalEngine, HelpListsEachAddressOnceInOrder)
{
    const std::string list =
        "List of available commands:\r\ntapsMode\t :<0x0108>\r\naecEn\t :<0x0150>\r\ndigiGain\t :<0x0180>"
        "\r\ntrgMode\t :<0x0518>\r\ntrgFrm\t :<0x051C>\r\nping\t :<0x600C>\r\nmfgName1\t :<0x7028>";
    for (const char* typed : {"help", "HELP", " Help "}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(Type(typed), TerminalCommands::Outcome::Done);
        EXPECT_TRUE(Frames().empty());
        EXPECT_EQ(host.lines, (Lines{list}));
    }
    EXPECT_EQ(Type("help x"), TerminalCommands::Outcome::Kept);
    EXPECT_EQ(host.lines, (Lines{"help x\r\n", "Unknown command <help>; \"help\" lists the commands"}));
}

// Example failure: the help list of the first catalogue is shown after the configuration was
// rebuilt with other parameters.
TEST_F(TerminalEngine, HelpFollowsTheCurrentCatalogue)
{
    Type("help");
    link->ClearStorage();
    DefineFromMap(*link, *map, "CAMERA/DATAREGISTERS", "FanMode", OrvParam_Int);
    Type("help");
    EXPECT_EQ(host.lines, (Lines{"List of available commands:\r\nfanMode\t :<0x0130>"}));
    Type("trgFrm");
    EXPECT_TRUE(Frames().empty());
}

}  // namespace
