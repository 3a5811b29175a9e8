// Replaying workspace files on the emulated camera: what reaches the camera for each kind of
// line, refusals and channel failures, malformed and hostile files, and the round trip
// save - reset - replay that must restore every workspace register.
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

#include <map>

using namespace corvel::test;

namespace {

const std::filesystem::path kGolden = CAMERA_TEST_DATA_DIR;
/// The lines a save closes its register lines with, and their frames.
const std::string kClosing = "57 6034 00000000\r\n57 6014 00000000\r\n";
const Bytes kCloseChecking = {0x57, 0x60, 0x34, 0, 0, 0, 0};
const Bytes kCloseSupervisor = {0x57, 0x60, 0x14, 0, 0, 0, 0};
constexpr std::uint32_t kScrambled = 0xA5A5A5A5;

/// Bits the hand-made catalogue's workspace fields occupy, by register.
const RegisterWords kWorkspaceBits = {
    {0x0100, 0x00FF03FF}, {0x0104, 0x1}, {0x0108, 0xFFFF}, {0x010C, 0xF0}, {0x0200, 0xFFFFFFFF},
};
/// Every register behind the catalogue, and the two the workspace frame writes.
constexpr std::uint16_t kRegisters[] = {0x0000, 0x0100, 0x0104, 0x0108, 0x010C, 0x0110, 0x0200, 0x0700,
                                        0x6000, 0x6004, 0x6010, 0x6080, 0x6014, 0x6034};

// Example failure: a saved workspace does not replay to the registers it was saved from (a
// string comes back reversed, a negative sign-magnitude value or a float is coded differently,
// a register outside the workspace is written, supervisor mode or error checking is left on),
// or the GUI settings do not come back.
TEST_F(WorkspaceTest, RoundTripRestoresEveryRegister)
{
    DefineCatalogue();
    LoadGoldenRegisters();
    link->m_bCheckErrorDisabled = 1;
    ASSERT_EQ(link->SetParamBool("Enable", true, true), 0);
    ASSERT_EQ(link->SetParamFloat("Exposure", 123.5, true), 0);
    ASSERT_EQ(link->SetParamIntIfOnline("BitShift", -5, true, false), 0);
    ASSERT_EQ(link->SetParamString("Tag", "WXYZ", true), 0);
    emu.SetRegister(0x0100, 0x80C70155);  // two workspace fields and one other in one register
    link->m_strSettingsKey = "0042";
    link->m_GuiSettings.Set("color.mode", "1");
    link->m_GuiSettings.Set("exposure.tab", "3");
    const CParamsMap::Entries settings = link->m_GuiSettings.Items();

    RegisterWords saved;
    for (std::uint16_t a : kRegisters)
        saved[a] = emu.Register(a);
    const auto file = folder / "round.rgs";
    ASSERT_EQ(link->WriteRgsFile(file), 0);

    for (std::uint16_t a : kRegisters)
        emu.SetRegister(a, kScrambled);
    link->m_GuiSettings.Clear();
    emu.ClearFrames();
    ReplayReport report;
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), 0);
    EXPECT_EQ(report.sent, 9);
    EXPECT_EQ(report.failed, 0);

    ExpectWorkspaceRestored(emu, saved, kWorkspaceBits, kScrambled);
    bool enable = false;
    double exposure = 0;
    std::int64_t bitShift = 0, gain = 0, offset = 0;
    char tag[8] = {};
    std::size_t tagLength = sizeof tag;
    ASSERT_EQ(link->GetParamBool("Enable", &enable), 0);
    ASSERT_EQ(link->GetParamFloat("Exposure", &exposure), 0);
    ASSERT_EQ(link->GetParamInt("BitShift", &bitShift), 0);
    ASSERT_EQ(link->GetParamInt("Gain", &gain), 0);
    ASSERT_EQ(link->GetParamInt("Offset", &offset), 0);
    ASSERT_EQ(link->GetParamString("Tag", tag, &tagLength), 0);
    EXPECT_TRUE(enable);
    EXPECT_DOUBLE_EQ(exposure, 123.5);
    EXPECT_EQ(bitShift, 0xD) << "-5 read back as its sign-magnitude field";
    EXPECT_EQ(gain, 0x155);
    EXPECT_EQ(offset, 0xC7);
    EXPECT_STREQ(tag, "WXYZ");
    EXPECT_EQ(link->m_GuiSettings.Items(), settings);
}

struct ReplayRow {
    const char* name;
    std::string file;
    std::vector<Bytes> frames;
    int result;
    std::size_t boxes;
};

// Example failure: a line that is not exactly a 3- or 7-byte frame is sent (zero-filled or
// cut), a last line without a line end loses a digit, a long GUI-settings line is cut into
// pieces one of which is sent, or a binary file sends garbage.
TEST_F(WorkspaceTest, ReplaySendsOnlyWholeFrames)
{
    const std::string golden = ReadFile(kGolden / "workspace.rgs");
    const std::string longSettings = "-- key=" + std::string(92, 'x') + "57 6034 00000001" + std::string(40, 'y') + "\r\n";
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    binary += std::string("\0\00057 6034 00000001\r\n\xff\xfe", 22);
    const std::vector<ReplayRow> rows = {
        {"golden_file", golden,
         {{0x57, 0x60, 0x14, 0x5E, 0x17, 0xC4, 0xB2}, {0x57, 0x60, 0x34, 0, 0, 0, 1}, {0x57, 0x01, 0x00, 0x00, 0xAB, 0x01, 0x23},
          {0x57, 0x01, 0x04, 0, 0, 0, 1}, {0x57, 0x01, 0x08, 0, 0, 0, 0x28}, {0x57, 0x01, 0x0C, 0, 0, 0, 0x90},
          {0x57, 0x02, 0x00, 0x41, 0x42, 0x43, 0x44}, {0x57, 0x60, 0x34, 0, 0, 0, 0}, {0x57, 0x60, 0x14, 0, 0, 0, 0}},
         0, 0},
        {"bugs/last_line_without_end", "57 0104 00000001\n57 6034 00000000\n57 6014 00000000",
         {{0x57, 0x01, 0x04, 0, 0, 0, 1}, kCloseChecking, kCloseSupervisor}, 0, 0},
        {"read_line", "52 6014\r\n" + kClosing, {{0x52, 0x60, 0x14}, kCloseChecking, kCloseSupervisor}, 0, 0},
        {"text_form", "57 7028 <ABCD>\r\n" + kClosing,
         {{0x57, 0x70, 0x28, 'A', 'B', 'C', 'D'}, kCloseChecking, kCloseSupervisor}, 0, 0},
        {"bugs/cut_short_before_the_closing_lines", "57 0104 00000001\r\n", {}, link_result::kMalformedCommand, 1},
        {"bugs/last_line_lost_a_digit", "57 0104 00000001\r\n57 6034 00000000\r\n57 6014 0000000", {},
         link_result::kMalformedCommand, 1},
        {"settings_only", "-- a=b\r\n", {}, -1, 0},
        {"empty", "", {}, -1, 0},
        {"bugs/long_settings_line", longSettings, {}, -1, 0},
        {"bugs/malformed_lines_refuse_the_file", "57 60\r\n57 0104 00000001\r\n57 6034 0000000G\r\n" + kClosing, {},
         link_result::kMalformedCommand, 1},
        {"bugs/truncated_only", "57 6034 000", {}, link_result::kMalformedCommand, 1},
        {"bugs/huge_line", "57" + std::string(1 << 20, '0') + "\r\n", {}, link_result::kMalformedCommand, 1},
        {"bugs/binary", binary, {}, -1, 0},
    };
    for (const ReplayRow& row : rows) {
        SCOPED_TRACE(row.name);
        const auto file = folder / "replay.rgs";
        WriteFile(file, row.file);
        emu.ClearFrames();
        host.appBoxes.clear();
        EXPECT_EQ(link->LoadWorkspaceFromFile(file), row.result);
        EXPECT_EQ(Frames(), row.frames);
        EXPECT_EQ(host.appBoxes.size(), row.boxes);
    }
}

// Example failure: a file with malformed lines is half applied, the operator is not told which
// line and why, gets one box per malformed line, or a huge line floods the message.
TEST_F(WorkspaceTest, ReplayRefusesMalformedFilesWithOneMessage)
{
    const auto file = folder / "bad.rgs";
    WriteFile(file, "57 0104 00000001\r\n57 60\r\n57 6034 0000000G\r\n57" + std::string(100, '1') + "\r\n" + kClosing);
    link->m_GuiSettings.Set("kept", "1");
    ReplayReport report;
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), link_result::kMalformedCommand);
    EXPECT_EQ(report.sent, 0);
    EXPECT_EQ(report.malformed, 3);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(wait.events.empty());
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"kept", "1"}})) << "nothing of the file is taken";
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text,
              "Line 2 is no 3- or 7-byte command:\n<57 60>\n3 lines are no 3- or 7-byte command.\n"
              "The file was not loaded: nothing was sent to the camera.");

    WriteFile(file, "57" + std::string(100, '1') + "\r\n");
    host.appBoxes.clear();
    link->LoadWorkspaceFromFile(file);
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text, "Line 1 is no 3- or 7-byte command:\n<57" + std::string(58, '1') +
                                         "...>\nThe file was not loaded: nothing was sent to the camera.");

    // Cut short after a whole line: the closing lines are missing.
    WriteFile(file, "57 6014 5E17C4B2\r\n57 6034 00000001\r\n57 0104 00000001\r\n");
    host.appBoxes.clear();
    EXPECT_EQ(link->LoadWorkspaceFromFile(file), link_result::kMalformedCommand);
    EXPECT_TRUE(Frames().empty());
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text.rfind("Line 3 ends the file without the closing lines", 0), 0u) << host.appBoxes[0].text;
}

// Example failure: a refused line stops the replay or is not shown; the answer reports
// success although a line was refused.
TEST_F(WorkspaceTest, ReplayShowsRefusalsAndGoesOn)
{
    const auto file = folder / "refused.rgs";
    WriteFile(file, "57 0100 00000001\r\n57 0104 00000001\r\n57 0108 00000001\r\n" + kClosing);
    Refuse(0x0104, 0x15, 5);
    ReplayReport report;
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), 15);
    EXPECT_EQ(Frames().size(), 5u);
    EXPECT_EQ(report.failed, 1);
    EXPECT_FALSE(report.stopped);
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text, "Command: <57 0104 00000001>\n   nRet: 15 <0x000F>");
    EXPECT_EQ(host.appBoxes[0].caption, "Corvel");
}

// Example failure: with the camera gone, every remaining line of the file fails with a box of
// its own.
TEST_F(WorkspaceTest, ReplayStopsAtChannelFailure)
{
    const auto file = folder / "lost.rgs";
    WriteFile(file, "57 0100 00000001\r\n57 0104 00000001\r\n57 0108 00000001\r\n57 010C 00000001\r\n" + kClosing);
    Silence(0x0104);
    ReplayReport report;
    const int result = link->LoadWorkspaceFromFile(file, &report);
    EXPECT_LT(result, 0);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(Frames().size(), 2u);
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text.rfind("Command: <57 0104 00000001>\n   nRet: " + std::to_string(result), 0), 0u);
}

// Example failure: a file that cannot be read shows the wait window or keeps the old GUI
// settings as if loaded; a very large file is read into memory whole.
TEST_F(WorkspaceTest, ReplayOfMissingOrOversizeFiles)
{
    EXPECT_EQ(link->LoadWorkspaceFromFile(folder / "missing.rgs"), -1);
    EXPECT_EQ(link->LoadWorkspaceFromFile(folder.Path()), -1) << "a folder";
    EXPECT_EQ(link->LoadWorkspaceFromFile("/proc/self/mem"), -1) << "a read error";
    const auto big = folder / "big.rgs";
    WriteFile(big, "57 0104 00000001\r\n");
    std::filesystem::resize_file(big, (16u << 20) + 1);
    EXPECT_EQ(link->LoadWorkspaceFromFile(big), -1);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(wait.events.empty());
}

// Example failure: the GUI settings of a workspace are not taken from its "-- " lines, or a
// workspace without them keeps the previous settings.
TEST_F(WorkspaceTest, ReplayLoadsGuiSettingsOfTheFile)
{
    link->m_strSettingsKey = "S";
    const auto file = folder / "gui.rgs";
    WriteFile(file, "57 0104 00000001\r\n" + kClosing + "-- color.mode=0\r\n-- exposure.tab=1\r\n");
    link->m_GuiSettings.Set("old", "1");
    EXPECT_EQ(link->LoadWorkspaceFromFile(file), 0);
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"color.mode", "0"}, {"exposure.tab", "1"}}));
    EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write Registers to Camera. Wait please", "-"}));

    WriteFile(file, "57 0104 00000001\r\n" + kClosing);
    EXPECT_EQ(link->LoadWorkspaceFromFile(file), 0);
    EXPECT_TRUE(link->m_GuiSettings.Items().empty());
}

// Example failure: the replay's log lines are missing or name the wrong line and result.
TEST_F(WorkspaceTest, ReplayLogLines)
{
    host.level = 2;
    const auto file = folder / "log.rgs";
    WriteFile(file, "57 0104 00000001\r\n" + kClosing);
    link->LoadWorkspaceFromFile(file);
    const std::string method = "CCameraLink::LoadWorkspaceFromFile|";
    EXPECT_NE(std::find(logLines.begin(), logLines.end(), method + "Load Workspace From File <" + file.string() + ">"),
              logLines.end());
    EXPECT_NE(std::find(logLines.begin(), logLines.end(), method + "Cmd=<57 0104 00000001> nRet = 0"), logLines.end());
}

}  // namespace
