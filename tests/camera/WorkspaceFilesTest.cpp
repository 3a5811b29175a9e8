// Workspace and dump files written from the store over the emulated camera, GUI settings of
// the camera link, the camera's user spaces and raw hex commands.
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace corvel::test;
using emu::ClserEmuControl;

namespace {

const std::filesystem::path kGolden = CAMERA_TEST_DATA_DIR;

std::tm GoldenTime()
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 33;
    return t;
}

// Example failure: a workspace line is coded differently from a camera write (string bytes
// reversed, a non-workspace field ORed in, a line for a field without bits), the lines are not
// in address order, or the GUI settings are missing.
TEST_F(WorkspaceTest, WorkspaceFileMatchesGolden)
{
    DefineCatalogue();
    LoadGoldenRegisters();
    link->m_strSettingsKey = "0042";
    link->m_GuiSettings.Set("exposure.tab", "2");
    link->m_GuiSettings.Set("color.mode", "1");
    const auto file = folder / "ws.rgs";
    EXPECT_EQ(link->WriteRgsFile(file), 0);
    EXPECT_EQ(ReadFile(file), ReadFile(kGolden / "workspace.rgs"));
    EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write Registers to .RGS file. Wait please", "-"}));
    EXPECT_TRUE(WriteLines().empty()) << "writing a workspace only reads the camera";
}

// Example failure: the dump shows a non-workspace register wrongly, lists an excluded range
// (0x0700-0x5FFF, 0x6009-0x607F, "Format_"), prints a large word as unsigned, or its header
// differs from what people and tools read.
TEST_F(WorkspaceTest, DumpFileMatchesGolden)
{
    DefineCatalogue();
    LoadGoldenRegisters();
    link->m_strModelName = "EMU-2M192-C";
    link->m_strSerialNumber = "0042";
    link->SetLocalTimeSource(GoldenTime);
    ScopedEnv locale("LC_ALL", "C");
    const auto file = folder / "dump.txt";
    EXPECT_EQ(link->WriteDumpFile(file), 0);
    EXPECT_EQ(ReadFile(file), ReadFile(kGolden / "dump.txt"));
    EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write dump to file. Wait please", "-"}));
}

// Example failure: a range boundary is off by one, so a command register (0x6009, 0x607F) or
// flash space (0x0700, 0x5FFF) is read for the dump, or 0x06FF/0x6008/0x6080 is left out.
TEST_F(WorkspaceTest, DumpRangeBoundaries)
{
    const struct {
        std::uint16_t address;
        const char* name;
        bool dumped;
    } rows[] = {
        {0x06FF, "A06FF", true}, {0x0700, "A0700", false}, {0x5FFF, "A5FFF", false}, {0x6000, "A6000", true},
        {0x6008, "A6008", true}, {0x6009, "A6009", false}, {0x607F, "A607F", false}, {0x6080, "A6080", true},
        {0x0123, "xFormat_y", false}, {0x0124, "format_y", true},
    };
    link->ClearStorage();
    for (const auto& row : rows)
        Define(row.name, OrvParam_Int, MakeLink(row.address, 0xFF, 0, "x"));
    const auto file = folder / "dump.txt";
    ASSERT_EQ(link->WriteDumpFile(file), 0);
    const std::string text = ReadFile(file);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(text.find(std::string(row.name) + " = ") != std::string::npos, row.dumped);
    }
}

// Example failure: camera bytes with a line end or control byte (model, serial, a string
// register) break the dump's line structure.
TEST_F(WorkspaceTest, DumpFiltersControlBytes)
{
    Define("Tag", OrvParam_String, MakeLink(0x0200, 0xFFFFFFFF, 0, "tag"));
    emu.SetRegister(0x0200, 0x410A4200);  // "A\nB"
    link->m_strModelName = "M\r\nX";
    link->m_strSerialNumber = "S\x7F";
    const auto file = folder / "dump.txt";
    ASSERT_EQ(link->WriteDumpFile(file), 0);
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("-Model#  :M??X\r\n"), std::string::npos);
    EXPECT_NE(text.find("-Serial# :S?\r\n"), std::string::npos);
    EXPECT_NE(text.find("Add=0x0200:<410A4200> Tag = <A?B>\r\n"), std::string::npos);
    EXPECT_EQ(text.find("-FW Rev# :00000000\r\n") != std::string::npos, true) << "no firmware register: zeros";
}

// Example failure: an empty store writes nothing or answers success; a file that cannot be
// created still reads the whole camera, shows the wait window, or answers success.
TEST_F(WorkspaceTest, WritersWithoutParametersOrFile)
{
    link->ClearStorage();
    const auto rgsFile = folder / "empty.rgs";
    EXPECT_EQ(link->WriteRgsFile(rgsFile), -1);
    EXPECT_EQ(ReadFile(rgsFile), "57 6014 5E17C4B2\r\n57 6034 00000001\r\n57 6034 00000000\r\n57 6014 00000000\r\n");
    const auto dumpFile = folder / "empty.txt";
    EXPECT_EQ(link->WriteDumpFile(dumpFile), -1);
    const std::string dump = ReadFile(dumpFile);
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 7);

    DefineCatalogue();
    wait.events.clear();
    emu.ClearFrames();
    host.appBoxes.clear();
    EXPECT_EQ(link->WriteRgsFile(folder / "missing" / "ws.rgs"), -1);
    EXPECT_EQ(link->WriteDumpFile(folder / "missing" / "dump.txt"), -1);
    EXPECT_EQ(link->WriteRgsFile(folder.Path()), -1) << "a folder is no file";
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(wait.events.empty());
    // The operator is told for each workspace save.
    ASSERT_EQ(host.appBoxes.size(), 2u);
    EXPECT_EQ(host.appBoxes[0].text, "The workspace cannot be saved to <" + (folder / "missing" / "ws.rgs").string() +
                                         ">: the folder does not exist, is not writable, or the name is a folder.");
    EXPECT_EQ(host.appBoxes[0].caption, "Corvel");
}

// Example failure: a save whose reads fail (refused, silent or late) writes a complete-looking
// file with stale or zero words that a later load writes into a camera, replaces a good file
// with it, answers success, or does not tell the operator which registers are missing.
TEST_F(WorkspaceTest, SaveWithFailedReadsWritesNoFile)
{
    DefineCatalogue();
    LoadGoldenRegisters();
    link->SetCheckErrorDisabled(true);
    const auto file = folder / "ws.rgs";
    const struct {
        const char* name;
        std::function<void()> fault;
        std::vector<std::string> missing;  ///< lines naming the registers not read, in catalogue order
    } rows[] = {
        {"refused",
         [&] {
             Refuse(0x0100, 0x15, 0);  // Gain's read (the first at 0x0100)
             Refuse(0x010C, 0x15, 0);  // BitShift's read
         },
         {"0x0100 Gain (nRet: 15)", "0x010C BitShift (nRet: 15)"}},
        {"silent", [&] { Silence(0x0108); }, {"0x0108 Exposure (nRet: -10004)"}},
        // The late answer comes while the next read waits, and is taken for it.
        {"answer_late", [&] { emu.SetDelay(0x0104, 80); }, {"0x0104 Enable (nRet: -10004)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        emu.SetDelay(0x0104, 0);
        clock.SleepFor(std::chrono::seconds(1));  // a late answer of the row before comes and goes
        WriteFile(file, "a good file\r\n");
        row.fault();
        host.appBoxes.clear();
        wait.events.clear();
        EXPECT_NE(link->WriteRgsFile(file), 0);
        EXPECT_EQ(ReadFile(file), "a good file\r\n") << "left as it was";
        ASSERT_EQ(host.appBoxes.size(), 1u);
        const std::string& box = host.appBoxes[0].text;
        EXPECT_EQ(box.rfind("The workspace was not saved: ", 0), 0u) << box;
        for (const std::string& line : row.missing)
            EXPECT_NE(box.find("\n" + line), std::string::npos) << line << " in " << box;
        EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write Registers to .RGS file. Wait please", "-"}))
            << "the wait window is gone before the message";
    }
}

// Example failure: a long list of unread registers makes a box taller than the screen, or a
// camera that stopped answering is read to the end, each read waiting out its time-out.
TEST_F(WorkspaceTest, SaveNamesAtMostTwelveUnreadRegisters)
{
    for (int i = 0; i < 20; ++i)
        Define(("Reg" + std::to_string(i)).c_str(), OrvParam_Int, WsLink(static_cast<std::uint16_t>(0x0300 + 4 * i), 0xFF, 0, "r"));
    for (int i = 0; i < 20; ++i)
        emu.SetAddressFault(static_cast<std::uint16_t>(0x0300 + 4 * i), {emu::FaultKind::Refuse, 0x15, 0});
    emu.SetAddressFault(0x0334, {emu::FaultKind::Silence});  // Reg13: the camera is gone from here on
    for (int i = 14; i < 20; ++i)
        emu.SetAddressFault(static_cast<std::uint16_t>(0x0300 + 4 * i), {emu::FaultKind::Silence});
    const auto file = folder / "ws.rgs";
    EXPECT_NE(link->WriteRgsFile(file), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_EQ(host.appBoxes.size(), 1u);
    const std::string& box = host.appBoxes[0].text;
    EXPECT_EQ(box.rfind("The workspace was not saved: 14 reads from the camera failed.\nRegisters that could not be read:\n"
                        "0x0300 Reg0 (nRet: 15)\n0x0304 Reg1 (nRet: 15)\n",
                        0),
              0u)
        << box;
    EXPECT_EQ(std::count(box.begin(), box.end(), '\n'), 1 + 1 + 12 + 1);
    EXPECT_TRUE(box.ends_with("\n0x032C Reg11 (nRet: 15)\n... and 2 more.\n"
                              "The camera stopped answering: 6 more parameters of the workspace were not read."))
        << box;
    const std::vector<Bytes> frames = Frames();
    EXPECT_EQ(frames.size(), 14u) << "no read after the one the camera did not answer";
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (Bytes{0x52, 0x03, 0x34}));
}

// Example failure: GUI lines are appended without a settings key, or an empty map adds a
// stray line.
TEST_F(WorkspaceTest, WorkspaceSettingsLinesNeedKeyAndEntries)
{
    Define("Enable", OrvParam_Bool, WsLink(0x0104, 1, 0, "en"));
    const struct {
        const char* name;
        const char* key;
        bool entries;
        bool lines;
    } rows[] = {{"key_and_entries", "S1", true, true}, {"no_key", "", true, false}, {"no_entries", "S1", false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        link->m_strSettingsKey = row.key;
        link->m_GuiSettings.Clear();
        if (row.entries)
            link->m_GuiSettings.Set("a", "b");
        const auto file = folder / "ws.rgs";
        link->WriteRgsFile(file);
        EXPECT_EQ(ReadFile(file).find("-- a=b\r\n") != std::string::npos, row.lines);
    }
    link->m_strSettingsKey.clear();
}

// Example failure: the store's workspace values are written to a non-workspace register, or a
// field without bits sends a frame.
TEST_F(WorkspaceTest, WriteWorkspaceToCameraSendsStoredWorkspaceValues)
{
    DefineCatalogue();
    LoadGoldenRegisters();
    for (const char* name : {"Gain", "Offset", "BitShift"}) {
        std::int64_t v = 0;
        ASSERT_EQ(link->GetParamInt(name, &v), 0);
    }
    emu.ClearFrames();
    wait.events.clear();
    link->WriteWorkspaceToCamera();
    EXPECT_EQ(WriteLines(), (std::vector<std::string>{"57 0100 00000123", "57 0100 00AB0000", "57 0104 00000000",
                                                      "57 0108 00000000", "57 010C 00000090", "57 0200 00000000"}));
    EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write Registers to Camera. Wait please", "-"}));
}

// Example failure: Write Registers to a camera that stopped answering runs on through every
// workspace parameter, each with its error dialog and a round of identification reads, and
// never says how much of the workspace the camera lacks; or a refusal stops it.
TEST_F(WorkspaceTest, WriteWorkspaceToCameraStopsAtTheFirstWriteWithoutAnswer)
{
    DefineCatalogue();
    LoadGoldenRegisters();
    for (const char* name : {"Gain", "Offset", "BitShift"}) {
        std::int64_t v = 0;
        ASSERT_EQ(link->GetParamInt(name, &v), 0);
    }
    // A refusal is told and the writes go on.
    Refuse(0x0100, 0x15, 2);
    emu.ClearFrames();
    link->WriteWorkspaceToCamera();
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text.rfind("Write <Gain> param to camera", 0), 0u) << host.appBoxes[0].text;
    EXPECT_EQ(WriteLines().back(), "57 0200 00000000");

    host.appBoxes.clear();
    host.dialogs.clear();
    emu.ClearFrames();
    emu.UnplugPort(0);
    wait.events.clear();
    link->WriteWorkspaceToCamera();
    EXPECT_EQ(host.dialogs.size(), 1u) << "one dialog, for the first write";
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text, "The camera stopped answering at <Gain>: 6 of the 7 workspace parameters were not "
                                     "written. The camera does not hold the workspace.");
    EXPECT_EQ(wait.events, (std::vector<std::string>{"+Write Registers to Camera. Wait please", "-"}))
        << "the box comes after the wait window";
}

// Example failure: the settings file is looked for outside the data folder (a serial number
// with "/" or ".."), space 0 reads a file instead of the defaults, or a load without a key
// touches the disk.
TEST_F(WorkspaceTest, GuiSettingsFilesOfTheLink)
{
    const auto data = folder.Path() / "data";
    std::filesystem::create_directories(data);
    WriteFile(data / "S.user2.gui", "color.mode=2\r\n");
    WriteFile(data / "S.gui", "last=run\r\n");
    WriteFile(data / "S.user0.gui", "never=read\r\n");

    EXPECT_FALSE(link->LoadGuiSettings(2)) << "no key yet";
    EXPECT_TRUE(link->m_GuiSettings.Items().empty());
    link->m_GuiSettings.Set("x", "1");
    EXPECT_FALSE(link->SaveGuiSettings(-1));

    link->m_strSettingsKey = "S";
    EXPECT_TRUE(link->LoadGuiSettings(2));
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"color.mode", "2"}}));
    EXPECT_TRUE(link->LoadGuiSettings(-1));
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"last", "run"}}));
    EXPECT_FALSE(link->LoadGuiSettings(0));
    EXPECT_EQ(link->m_GuiSettings.Items().size(), 5u);
    EXPECT_EQ(link->m_GuiSettings.Items().at("color.parameters"), "0.0;1.0;1.0;0.0");
    EXPECT_FALSE(link->LoadGuiSettings(3)) << "no such file";
    EXPECT_TRUE(link->m_GuiSettings.Items().empty());

    link->m_GuiSettings.Set("k", "v");
    EXPECT_TRUE(link->SaveGuiSettings(4));
    EXPECT_EQ(ReadFile(data / "S.user4.gui"), "k=v\r\n");

    link->m_strSettingsKey = "../x";
    EXPECT_TRUE(link->SaveGuiSettings(1));
    EXPECT_TRUE(std::filesystem::exists(data / ".._x.user1.gui"));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "x.user1.gui"));
}

// Example failure: the last run's settings are not saved when the link goes, or an unset key
// writes a file named ".gui".
TEST_F(WorkspaceTest, DestructorSavesLastRunSettings)
{
    const auto data = folder.Path() / "data";
    link->m_GuiSettings.Set("a", "1");
    link.reset();
    EXPECT_FALSE(std::filesystem::exists(data / ".gui"));

    for (bool withEntries : {true, false}) {
        SCOPED_TRACE(withEntries);
        auto other = std::make_unique<TestLink>(&settings);
        other->SetDataFolder(data);
        other->m_strSettingsKey = "K9";
        if (withEntries)
            other->m_GuiSettings.Set("a", "1");
        WriteFile(data / "K9.gui", "stale=1\r\n");
        other.reset();
        EXPECT_EQ(ReadFile(data / "K9.gui"), withEntries ? "a=1\r\n" : "") << "an empty map leaves the file empty";
    }
}

class UserSetTest : public WorkspaceTest {
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        if (IsSkipped())
            return;
        Define("BootSelector", OrvParam_Int, MakeLink(0x6060, 0xFF, 0, "bsel"));
        Define("BootLoad", OrvParam_Int, MakeLink(0x6064, 0xFF, 0, "bload"));
        Define("BootSave", OrvParam_Int, MakeLink(0x6068, 0xFF, 0, "bsave"));
        link->SetCheckErrorDisabled(true);
        link->m_strSettingsKey = "S";
        link->m_GuiSettings.Set("k", "v");
        emu.ClearFrames();
    }
};

// Example failure: the factory space is saved without the supervisor password, supervisor mode
// is left on, a refused password still sends BootSave or answers success, or the space's
// GUI-settings file is not written.
TEST_F(UserSetTest, SaveToUserSetFrames)
{
    const std::string userSaveLost = "The camera did not take BootSave (nRet: -10004): user space #2 was not saved.";
    const struct {
        const char* name;
        int space;
        std::function<void(ClserEmuControl&)> fault;
        bool offline;
        int result;
        std::vector<std::string> lines;
        std::vector<std::string> boxes;
        bool supervisorLeft;
    } rows[] = {
        {"user_space", 1, {}, false, 0, {"57 6060 00000001", "57 6068 00000000"}, {}, false},
        {"factory", 0, {}, false, 0,
         {"57 6060 00000000", "57 6014 5E17C4B2", "57 6068 00000000", "57 6014 00000000"}, {}, false},
        {"bugs/factory_password_refused", 0, [](ClserEmuControl& e) { e.ScriptFault(0x6014, {emu::FaultKind::Refuse, 0x15, 7}); },
         false, 15, {"57 6060 00000000", "57 6014 5E17C4B2"},
         {"The camera did not take the supervisor password (nRet: 15): the factory space was not saved."}, false},
        // Taken, but its answer is lost: the camera is in supervisor mode and must be led out.
        {"bugs/factory_password_answer_lost", 0, [](ClserEmuControl& e) { e.ScriptFault(0x6014, {emu::FaultKind::Late}); },
         false, -10004, {"57 6060 00000000", "57 6014 5E17C4B2", "57 6014 00000000"},
         {"The camera did not take the supervisor password (nRet: -10004): the factory space was not saved."}, false},
        {"bugs/offline", 3, {}, true, 1, {},
         {"The camera did not take BootSelector (nRet: 1): user space #3 was not saved."}, false},
        {"bugs/user_save_lost", 2, [](ClserEmuControl& e) { e.ScriptFault(0x6068, {emu::FaultKind::Silence}); }, false,
         -10004, {"57 6060 00000002", "57 6068 00000000"}, {userSaveLost}, false},
        {"bugs/factory_leave_lost_once", 0,
         [](ClserEmuControl& e) {
             e.ScriptFault(0x6014, {});  // the password is taken
             e.ScriptFault(0x6014, {emu::FaultKind::Silence});
         },
         false, 0,
         {"57 6060 00000000", "57 6014 5E17C4B2", "57 6068 00000000", "57 6014 00000000", "57 6014 00000000"}, {},
         false},
        {"bugs/factory_leave_never_answered", 0,
         [](ClserEmuControl& e) {
             e.ScriptFault(0x6014, {});
             for (int i = 0; i < 4; ++i)
                 e.ScriptFault(0x6014, {emu::FaultKind::Silence});
         },
         false, 0,
         {"57 6060 00000000", "57 6014 5E17C4B2", "57 6068 00000000", "57 6014 00000000", "57 6014 00000000",
          "57 6014 00000000", "57 6014 00000000"},
         {"The camera did not take the line that leaves supervisor mode.\nSwitch the camera off and on."}, true},
    };
    const auto data = folder.Path() / "data";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(data);
        emu.ClearFrames();
        if (row.offline)
            link->GoOffline();
        else
            link->GoOnline();
        if (row.fault)
            row.fault(emu);
        host.appBoxes.clear();
        EXPECT_EQ(link->SaveToUserSet(row.space), row.result);
        EXPECT_EQ(WriteLines(), row.lines);
        std::vector<std::string> boxes;
        for (const auto& box : host.appBoxes)
            boxes.push_back(box.text);
        EXPECT_EQ(boxes, row.boxes);
        EXPECT_EQ(emu.SupervisorMode(), row.supervisorLeft);
        // A user space's file goes only with a space the camera saved; the factory space's is
        // never read back.
        const auto gui = data / ("S.user" + std::to_string(row.space) + ".gui");
        if (row.result == 0 || row.space == 0)
            EXPECT_EQ(ReadFile(gui), "k=v\r\n");
        else
            EXPECT_FALSE(std::filesystem::exists(gui));
        emu.ReleaseLateAnswers();
    }
}

// Example failure: a load of a user space skips BootLoad, or takes the GUI settings of
// another space; the factory space loads a file instead of the defaults; a load the camera
// did not take still replaces the GUI settings, or says nothing.
TEST_F(UserSetTest, LoadFromUserSetFramesAndSettings)
{
    const auto data = folder.Path() / "data";
    std::filesystem::create_directories(data);
    WriteFile(data / "S.user2.gui", "two=2\r\n");
    bool sent = false;
    EXPECT_EQ(link->LoadFromUserSet(2, &sent), 0);
    EXPECT_TRUE(sent);
    EXPECT_EQ(WriteLines(), (std::vector<std::string>{"57 6060 00000002", "57 6064 00000000"}));
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"two", "2"}}));
    EXPECT_TRUE(host.appBoxes.empty());

    emu.ClearFrames();
    Refuse(0x6060, 0x15, 4);
    EXPECT_EQ(link->LoadFromUserSet(0, &sent), 15);
    EXPECT_FALSE(sent);
    EXPECT_EQ(WriteLines(), (std::vector<std::string>{"57 6060 00000000"})) << "no BootLoad after a refusal";
    EXPECT_EQ(link->m_GuiSettings.Items(), (CParamsMap::Entries{{"two", "2"}})) << "kept: the camera did not load";
    EXPECT_EQ(link->LoadFromUserSet(0), 0);
    EXPECT_EQ(link->m_GuiSettings.Items().size(), 5u) << "the factory defaults";

    emu.ClearFrames();
    host.appBoxes.clear();
    emu.ScriptFault(0x6064, {emu::FaultKind::Silence});
    EXPECT_LT(link->LoadFromUserSet(2, &sent), 0);
    EXPECT_TRUE(sent) << "the camera may have loaded the space";
    EXPECT_EQ(link->m_GuiSettings.Items().size(), 5u);
    ASSERT_EQ(host.appBoxes.size(), 1u);
    EXPECT_EQ(host.appBoxes[0].text, "The camera did not take BootLoad (nRet: -10004): user space #2 was not loaded.");
    EXPECT_EQ(link->LoadFromUserSet(5), kOrvParamBadArgument);
}

// Example failure: a typed command with a blank, a sign, "0x" or a letter beyond F is sent as
// a shifted or zero-padded frame instead of being refused, or the refusal blames the length of
// a command whose length is right instead of naming the character that is no digit.
TEST_F(WorkspaceTest, SendByteCommandTable)
{
    emu.SetRegister(0x6014, 0x11223344);
    constexpr const char* kLength = "HEX command should have 3 or 7 bytes";
    const struct {
        const char* name;
        const char* text;
        int result;
        Bytes frame;      ///< empty: refused with the message
        const char* box;  ///< the message of a refusal
    } rows[] = {
        {"write", "5701234567891A", 0, {0x57, 0x01, 0x23, 0x45, 0x67, 0x89, 0x1A}, nullptr},
        {"read", "526014", 0, {0x52, 0x60, 0x14}, nullptr},
        {"lower_case", "57aabbccddeeff", 0, {0x57, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}, nullptr},
        {"seven_characters", "5260140", -1, {}, kLength},
        {"empty", "", -1, {}, kLength},
        {"letters_and_wrong_length", "52ZZ1", -1, {}, kLength},
        {"bugs/blank", "57 123", -1, {}, "HEX command: ' ' (character 3 of 57 123) is not a hexadecimal digit"},
        {"bugs/hex_prefix", "0x5701", -1, {}, "HEX command: 'x' (character 2 of 0x5701) is not a hexadecimal digit"},
        {"bugs/sign", "-57014", -1, {}, "HEX command: '-' (character 1 of -57014) is not a hexadecimal digit"},
        {"bugs/letters", "5701234567ZZZZ", -1, {},
         "HEX command: 'Z' (character 11 of 5701234567ZZZZ) is not a hexadecimal digit"},
        {"control_character", "5260\t4", -1, {},
         "HEX command: '\\x09' (character 5 of 5260\t4) is not a hexadecimal digit"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        emu.ClearFrames();
        host.appBoxes.clear();
        CCameraLink::AnswerBuffer reply{};
        std::uint32_t length = 99;
        EXPECT_EQ(link->SendByteCommand(row.text, reply, &length), row.result);
        if (row.frame.empty()) {
            EXPECT_TRUE(Frames().empty());
            ASSERT_EQ(host.appBoxes.size(), 1u);
            EXPECT_EQ(host.appBoxes[0].text, row.box);
            EXPECT_EQ(length, 99u);
            continue;
        }
        EXPECT_TRUE(host.appBoxes.empty());
        EXPECT_EQ(Frames(), std::vector<Bytes>{row.frame});
        if (row.frame[0] == 0x52) {
            EXPECT_EQ(length, 5u);
            EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 5), (Bytes{0x06, 0x11, 0x22, 0x33, 0x44}));
        }
    }
}

}  // namespace
