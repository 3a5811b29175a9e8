// Replaying workspace files on the emulated camera: what reaches the camera for each kind of
// line, refusals and channel failures, malformed and hostile files, and the round trip
// save - reset - replay that must restore every workspace register.
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

using namespace corvel::test;
using emu::ClserEmuControl;

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
    link->SetCheckErrorDisabled(true);
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
        {"bugs/cut_short_before_the_closing_lines", "57 6014 5E17C4B2\r\n57 6034 00000001\r\n57 0104 00000001\r\n", {},
         link_result::kMalformedCommand, 1},
        {"bugs/error_checking_never_on_again", "57 6034 00000001\r\n57 0010 00000005\r\n", {},
         link_result::kMalformedCommand, 1},
        {"bugs/no_mode_switched_needs_no_closing_lines", "57 0010 00000005\r\n", {{0x57, 0x00, 0x10, 0, 0, 0, 5}}, 0, 0},
        {"bugs/supervisor_mode_left_before_error_checking_is_on",
         "57 6014 5E17C4B2\r\n57 6034 00000001\r\n57 6014 00000000\r\n57 6034 00000000\r\n", {},
         link_result::kMalformedCommand, 1},
        {"bugs/last_line_lost_a_digit", "57 0104 00000001\r\n57 6034 00000000\r\n57 6014 0000000", {},
         link_result::kMalformedCommand, 1},
        {"bugs/settings_only", "-- a=b\r\n", {}, -1, 1},
        {"bugs/empty", "", {}, -1, 1},
        {"bugs/long_settings_line", longSettings, {}, -1, 1},
        {"bugs/malformed_lines_refuse_the_file", "57 60\r\n57 0104 00000001\r\n57 6034 0000000G\r\n" + kClosing, {},
         link_result::kMalformedCommand, 1},
        {"bugs/truncated_only", "57 6034 000", {}, link_result::kMalformedCommand, 1},
        {"bugs/huge_line", "57" + std::string(1 << 20, '0') + "\r\n", {}, link_result::kMalformedCommand, 1},
        {"bugs/binary", binary, {}, -1, 1},
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

struct StrandRow {
    const char* name;
    std::function<void(ClserEmuControl&)> fault;  ///< what the camera does with line 4 and after
    bool back;                                     ///< the camera answers again in time
};

// Example failure: a channel failure in the middle of a replay leaves the camera in supervisor
// mode with its error checking off (the closing lines are never sent), the closing lines are
// sent into a late answer that is then taken as theirs, a camera that never comes back is
// reported as restored, or the operator learns only "nRet" and not how much is missing.
TEST_F(WorkspaceTest, ReplaySendsTheClosingLinesAfterAChannelFailure)
{
    const auto file = folder / "lost.rgs";
    WriteFile(file, "57 6014 5E17C4B2\r\n57 6034 00000001\r\n57 0100 00000001\r\n57 0104 00000001\r\n"
                    "57 0108 00000001\r\n57 010C 00000001\r\n" + kClosing);
    const std::vector<StrandRow> rows = {
        {"silent_once", [](ClserEmuControl& e) { e.ScriptFault(0x0104, {emu::FaultKind::Silence}); }, true},
        {"answer_400ms_late", [](ClserEmuControl& e) { e.SetDelay(0x0104, 400); }, true},
        // Busy for longer than one pause: the first closing attempts meet nothing but its answer.
        {"answer_2500ms_late", [](ClserEmuControl& e) { e.SetDelay(0x0104, 2500); }, true},
        {"never_again", [](ClserEmuControl& e) { e.SetDelay(0x0104, 3600 * 1000); }, false},
    };
    for (const StrandRow& row : rows) {
        SCOPED_TRACE(row.name);
        emu.SetDelay(0x0104, 0);
        emu.ClearFrames();
        row.fault(emu);
        host.appBoxes.clear();
        ReplayReport report;
        const int result = link->LoadWorkspaceFromFile(file, &report);
        EXPECT_LT(result, 0);
        EXPECT_TRUE(report.stopped);
        EXPECT_EQ(report.notSent, 2);
        EXPECT_EQ(report.leftOpen, !row.back);

        const std::vector<Bytes> frames = Frames();
        ASSERT_GE(frames.size(), 6u);
        EXPECT_EQ(frames[3], WriteFrame(0x0104, 1));
        EXPECT_EQ(std::count(frames.begin(), frames.end(), WriteFrame(0x0108, 1)), 0) << "the rest is not sent";
        if (row.back) {
            EXPECT_EQ(frames[frames.size() - 2], kCloseChecking);
            EXPECT_EQ(frames.back(), kCloseSupervisor);
            EXPECT_FALSE(emu.SupervisorMode());
            EXPECT_EQ(emu.Register(0x6034), 0u);
        } else {
            // Tried again and again, and never past the first closing line.
            EXPECT_EQ(std::count(frames.begin(), frames.end(), kCloseChecking), 4);
            EXPECT_EQ(std::count(frames.begin(), frames.end(), kCloseSupervisor), 0);
        }

        ASSERT_EQ(host.appBoxes.size(), 1u);
        const std::string& box = host.appBoxes[0].text;
        EXPECT_EQ(box.rfind("Command: <57 0104 00000001>\n   nRet: " + std::to_string(result), 0), 0u) << box;
        EXPECT_NE(box.find("The camera stopped answering at line 4 of the file. 2 command lines after it were not "
                           "sent: the camera does not hold the file's settings."),
                  std::string::npos)
            << box;
        const std::string restored = "taken back to normal mode (error checking on, supervisor mode off)";
        const std::string stranded = "it may be left in supervisor mode with its error checking off";
        EXPECT_EQ(box.find(row.back ? restored : stranded) != std::string::npos, true) << box;
        EXPECT_EQ(box.find(row.back ? stranded : restored), std::string::npos) << box;
    }
}

// Example failure: a port that went away during the replay and is back is never opened again,
// so every closing line goes to the dead port and the camera is left in supervisor mode; or
// the port comes back at its default rate, away from the camera's.
TEST_F(WorkspaceTest, ClosingLinesReachACameraWhosePortCameBack)
{
    const auto file = folder / "port.rgs";
    WriteFile(file, "57 6014 5E17C4B2\r\n57 6034 00000001\r\n57 0104 00000001\r\n" + kClosing);
    const int rate = link->m_nBaudRate;
    ASSERT_GT(rate, 9600);
    ASSERT_EQ(emu.HostBaud(0), rate);
    ASSERT_EQ(link->LoadWorkspaceFromFile(file), 0);  // the camera in normal mode again
    emu.ClearFrames();
    // The write of the password meets a port that is gone; the port can be opened again.
    emu.FailNext(clser::kSerialWrite, clser::kErrInvalidReference);
    ReplayReport report;
    EXPECT_LT(link->LoadWorkspaceFromFile(file, &report), 0);
    EXPECT_TRUE(report.stopped);
    EXPECT_FALSE(report.leftOpen);
    EXPECT_FALSE(link->PortLost());
    EXPECT_EQ(emu.HostBaud(0), rate);
    const std::vector<Bytes> frames = Frames();
    ASSERT_EQ(frames.size(), 1u) << "the password line is assumed taken, and supervisor mode closed";
    EXPECT_EQ(frames[0], kCloseSupervisor);
    EXPECT_FALSE(emu.SupervisorMode());
}

// Example failure: a refused password (the camera never entered supervisor mode) makes the
// replay try to leave it again, or a refused closing line leaves the camera with its error
// checking off without a word, or is tried again and again although the camera answers.
TEST_F(WorkspaceTest, ReplayAfterRefusedModeLines)
{
    const auto file = folder / "refused.rgs";
    WriteFile(file, "57 6014 5E17C4B2\r\n57 0104 00000001\r\n57 6014 00000000\r\n");
    Refuse(0x6014, 0x15, 5);  // the password
    Refuse(0x0104, 0x15, 5);
    ReplayReport report;
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), 15);
    EXPECT_EQ(Frames().size(), 3u) << "nothing more: the camera never left normal mode";
    EXPECT_EQ(host.appBoxes.size(), 2u);
    EXPECT_FALSE(report.leftOpen);

    emu.ClearFrames();
    host.appBoxes.clear();
    WriteFile(file, "57 6034 00000001\r\n57 0104 00000001\r\n57 6034 00000000\r\n");
    emu.ScriptFault(0x6034, {});  // the opening line is taken
    Refuse(0x6034, 0x15, 5);
    Refuse(0x6034, 0x15, 5);
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), 15);
    EXPECT_TRUE(report.leftOpen);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x6034, 1), WriteFrame(0x0104, 1), kCloseChecking, kCloseChecking}));
    ASSERT_EQ(host.appBoxes.size(), 2u);
    EXPECT_EQ(host.appBoxes[0].text, "Command: <57 6034 00000000>\n   nRet: 15 <0x000F>");
    EXPECT_EQ(host.appBoxes[1].text,
              "The camera did not take the closing lines: it may be left with its error checking off. Load the "
              "file again once the camera answers, or switch the camera off and on.");
}

// Example failure: a file that cannot be read, an empty one, one in wide characters or a binary
// one is passed over without a word, shows the wait window, or touches the GUI settings; a very
// large file is read into memory whole.
TEST_F(WorkspaceTest, ReplayRefusesUnusableFilesWithAMessage)
{
    link->m_strSettingsKey = "S";
    const auto big = folder / "big.rgs";
    WriteFile(big, "57 0104 00000001\r\n");
    std::filesystem::resize_file(big, (16u << 20) + 1);
    std::string wide;
    for (char c : std::string("57 0104 00000001\r\n57 6034 00000000\r\n57 6014 00000000\r\n-- a=b\r\n"))
        wide += std::string{c, '\0'};
    const std::string noCommand = "holds no camera command.\nThe file was not loaded: nothing was sent to the camera.";
    const std::string notText = "is no workspace file: it is binary or not plain text.\nThe file was not loaded: "
                                "nothing was sent to the camera.";
    const struct {
        const char* name;
        std::filesystem::path file;
        const char* text;  ///< written to the file first, unless null
        std::string ending;
    } rows[] = {
        {"missing", folder / "missing.rgs", nullptr, "cannot be read: No such file or directory.\nThe file was not "
                                                     "loaded: nothing was sent to the camera."},
        {"folder", folder.Path(), nullptr, "cannot be read: not a file.\nThe file was not loaded: nothing was sent to the camera."},
        {"over_size", big, nullptr, "cannot be read: larger than 16777216 bytes.\nThe file was not loaded: nothing was "
                                    "sent to the camera."},
        {"empty", folder / "empty.rgs", "", noCommand},
        {"comments_only", folder / "comments.rgs", "; saved by hand\r\n\r\n", noCommand},
        {"utf16", folder / "wide.rgs", nullptr, notText},
        {"utf16_with_mark", folder / "wide_mark.rgs", nullptr, notText},
    };
    WriteFile(folder / "wide.rgs", wide);
    WriteFile(folder / "wide_mark.rgs", "\xFF\xFE" + wide);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.text)
            WriteFile(row.file, row.text);
        link->m_GuiSettings.Clear();
        link->m_GuiSettings.Set("kept", "1");
        host.appBoxes.clear();
        wait.events.clear();
        EXPECT_EQ(link->LoadWorkspaceFromFile(row.file), -1);
        EXPECT_TRUE(Frames().empty());
        EXPECT_TRUE(wait.events.empty());
        EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"kept", "1"}}));
        ASSERT_EQ(host.appBoxes.size(), 1u);
        const std::string& box = host.appBoxes[0].text;
        EXPECT_EQ(box.find("<" + row.file.string() + ">"), box.find('<')) << box;
        EXPECT_TRUE(box.ends_with(row.ending)) << box;
    }
    EXPECT_EQ(link->LoadWorkspaceFromFile("/proc/self/mem"), -1) << "a read error";

    // A file of GUI settings alone sends nothing but still carries its settings.
    const auto settingsOnly = folder / "settings.rgs";
    WriteFile(settingsOnly, "-- Zoom=2\r\n-- Panel=left\r\n");
    host.appBoxes.clear();
    EXPECT_EQ(link->LoadWorkspaceFromFile(settingsOnly), -1);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"Panel", "left"}, {"Zoom", "2"}}));
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_TRUE(host.appBoxes[0].text.ends_with("holds no camera command: nothing was sent to the camera.\nIts GUI settings were loaded."))
        << host.appBoxes[0].text;
}

// Example failure: a skipped baud rate line that asks for another rate is not mentioned, or
// mentioned once for each such line or in a box of its own next to the failure's; one that
// asks for the rate the camera runs at is mentioned on every load.
TEST_F(WorkspaceTest, ReplayMentionsSkippedRateLinesOnce)
{
    const auto file = folder / "rate.rgs";
    WriteFile(file, "57 0604 00000004\r\n57 0104 00000001\r\n57 0604 00000002\r\n57 0108 00000001\r\n");
    const std::string mention = "The file's baud rate line was left out: the camera keeps the rate of this connection.";
    ReplayReport report;
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), 0);
    EXPECT_EQ(report.skipped, 2);
    EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x0104, 1), WriteFrame(0x0108, 1)}));
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text, mention);

    host.appBoxes.clear();
    Silence(0x0108);
    EXPECT_LT(link->LoadWorkspaceFromFile(file, &report), 0);
    ASSERT_EQ(host.appBoxes.size(), 1u);
    const std::string& box = host.appBoxes[0].text;
    EXPECT_TRUE(box.ends_with("\n" + mention)) << box;
    EXPECT_EQ(box.find(mention), box.rfind(mention)) << box;

    // With the camera's rate known: only a line that asks for another one is mentioned.
    Define("BaudRate", OrvParam_Int, WsLink(0x0604, 0x7, 0, "baud"));
    std::int64_t rate = 0;
    ASSERT_EQ(link->GetParamInt("BaudRate", &rate), 0);
    ASSERT_EQ(rate, 4) << "115200";
    const struct {
        const char* line;
        bool mentioned;
    } rows[] = {{"57 0604 00000004", false}, {"57 0604 00000002", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        WriteFile(file, std::string(row.line) + "\r\n57 0104 00000001\r\n");
        host.appBoxes.clear();
        emu.ClearFrames();
        EXPECT_EQ(link->LoadWorkspaceFromFile(file), 0);
        EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(0x0104, 1)}));
        EXPECT_EQ(host.appBoxes.size(), row.mentioned ? 1u : 0u);
    }
}

// Example failure: the GUI settings of a workspace are not taken from its "-- " lines, or a
// workspace without them empties the settings (and the camera's settings file at exit).
TEST_F(WorkspaceTest, ReplayLoadsGuiSettingsOfTheFile)
{
    link->m_strSettingsKey = "S";
    const auto file = folder / "gui.rgs";
    WriteFile(file, "57 0104 00000001\r\n" + kClosing + "-- color.mode=0\r\n-- exposure.tab=1\r\n");
    link->m_GuiSettings.Set("old", "1");
    EXPECT_EQ(link->LoadWorkspaceFromFile(file), 0);
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"color.mode", "0"}, {"exposure.tab", "1"}}));
    EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write Registers to Camera. Wait please", "-"}));

    // A file without settings lines leaves them as they are (they are saved at exit).
    WriteFile(file, "57 0104 00000001\r\n" + kClosing);
    EXPECT_EQ(link->LoadWorkspaceFromFile(file), 0);
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"color.mode", "0"}, {"exposure.tab", "1"}}));
    EXPECT_FALSE(link->LoadGuiSettingsFromFile(file));
    EXPECT_EQ(link->m_GuiSettings.Items().size(), 2u);
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
