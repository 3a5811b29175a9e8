#include "camera/CameraLink.h"
#include "camera/ClserBinding.h"
#include "emulator/ClserEmuControl.h"

#include "LinkFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace corvel::test;

namespace {

// Example failure: the match is case-sensitive, so a library written in capitals is opened as
// a COM port.
TEST(ClserBinding, LibraryNamesContainClserInAnyCase)
{
    EXPECT_TRUE(IsClserLibraryName("/opt/grabber/libclserabc.so"));
    EXPECT_TRUE(IsClserLibraryName("/opt/GRABBER/LIBCLSERXYZ.SO"));
    EXPECT_TRUE(IsClserLibraryName("ClSer.so"));
    EXPECT_FALSE(IsClserLibraryName("COM3"));
    EXPECT_FALSE(IsClserLibraryName("/dev/ttyUSB0"));
    EXPECT_FALSE(IsClserLibraryName("/opt/cl_ser.so"));
}

// Example failure: a missing required entry is reported with the wrong code, a later missing
// entry wins over an earlier one, or the entries bound before the gap stay usable, so a port
// opens that can never be closed.
TEST(ClserBinding, MissingRequiredEntriesEndTheBinding)
{
    struct Row {
        const char* path;
        int result;
    };
    const Row rows[] = {
        {CLSER_EMU_NOINIT_PATH, kClserNoInit},   {CLSER_EMU_NOREAD_PATH, kClserNoRead},
        {CLSER_EMU_NOWRITE_PATH, kClserNoWrite}, {CLSER_EMU_NOCLOSE_PATH, kClserNoClose},
        {CLSER_EMU_NOINIT_NOCLOSE_PATH, kClserNoInit},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        emu::ClserEmuControl emu(row.path);
        ASSERT_TRUE(emu.Loaded()) << emu.Error();
        emu.Reset();
        MemorySettings settings;
        CCameraLink link(&settings);
        link.SetPortIndex(0);
        EXPECT_EQ(link.Init(row.path), row.result);
        EXPECT_TRUE(link.m_hLibrary.IsLoaded()) << "the library stays loaded";
        EXPECT_FALSE(emu.PortOpen(0));
        EXPECT_EQ(link.CheckPort(0), kClserNoInit);
        EXPECT_FALSE(emu.PortOpen(0));
        EXPECT_EQ(link.Close(), link_result::kNoCloseEntry);
    }
}

// Example failure: a library that cannot be loaded gives no message, or the message lacks
// the path, so the operator cannot tell which grabber library is broken.
TEST(ClserBinding, ALibraryThatDoesNotLoadIsShownAndAnswers51)
{
    TempDir dir;
    dir.Write("libclser_broken.so", "this is not a shared library");
    for (const std::filesystem::path& path : {dir / "libclser_broken.so", dir / "libclser_missing.so"}) {
        SCOPED_TRACE(path.string());
        MemorySettings settings;
        FakeHost host;
        CCameraLink link(&settings);
        link.SetMainWindow(&host);
        EXPECT_EQ(link.Init(path.string()), kClserLoadFailed);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].caption, "Error");
        EXPECT_EQ(host.messages[0].flags, kMbIconInformation);
        EXPECT_NE(host.messages[0].text.find(path.string()), std::string::npos) << host.messages[0].text;
        EXPECT_EQ(link.Close(), link_result::kNoChannel);
    }
}

// Example failure: a library without the optional entries is refused, or the link calls
// through a missing optional entry (a crash), or treats a missing rate query as "no rates".
TEST(ClserBinding, OptionalEntriesMayBeMissing)
{
    {
        emu::ClserEmuControl emu(CLSER_EMU_NOOPTIONAL_PATH);
        ASSERT_TRUE(emu.Loaded()) << emu.Error();
        emu.Reset();
        MemorySettings settings;
        TestLink link(&settings);
        AddPing(link);
        EXPECT_EQ(link.Init(CLSER_EMU_NOOPTIONAL_PATH), 0);
        EXPECT_EQ(link.CheckPort(0), 0);
        EXPECT_TRUE(emu.PortOpen(0));
        EXPECT_EQ(link.SetBaudRate(9600), link_result::kComFailed);
        EXPECT_EQ(link.m_nBaudRate, -1) << "no rate was ever set";
        EXPECT_EQ(emu.Frames().size(), 1u) << "one Ping per rate whose switch failed, found at once";
    }
    {
        emu::ClserEmuControl emu(CLSER_EMU_NORATEQUERY_PATH);
        ASSERT_TRUE(emu.Loaded()) << emu.Error();
        emu.Reset();
        MemorySettings settings;
        CCameraLink link(&settings);
        EXPECT_EQ(link.Init(CLSER_EMU_NORATEQUERY_PATH), 0);
        EXPECT_EQ(link.CheckPort(0), 0);
        EXPECT_EQ(link.SetBaudRate(57600), 0);
        EXPECT_EQ(emu.HostBaud(0), 57600);
        EXPECT_EQ(link.SetBaudRate(230400), link_result::kComFailed);
        EXPECT_EQ(emu.Calls(clser::kSetBaudRate), 6u) << "five detection rates and one explicit";
    }
}

// Example failure: a library whose name is in capitals is taken for a COM port.
TEST(ClserBinding, CapitalLibraryNameLoads)
{
    TempDir dir;
    const auto copy = dir / "LIBCLSER_CAPS.SO";
    std::filesystem::copy_file(CLSER_EMU_PATH, copy);
    emu::ClserEmuControl emu(copy);
    ASSERT_TRUE(emu.Loaded()) << emu.Error();
    emu.Reset();
    MemorySettings settings;
    CCameraLink link(&settings);
    EXPECT_EQ(link.Init(copy.string()), 0);
    EXPECT_FALSE(link.m_hComPort);
    EXPECT_EQ(link.CheckPort(0), 0);
    EXPECT_TRUE(emu.PortOpen(0));
}

}  // namespace
