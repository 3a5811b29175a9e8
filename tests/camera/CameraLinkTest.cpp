#include "camera/CFlagGuard.h"
#include "camera/CPerfCounter.h"
#include "camera/CameraLink.h"
#include "emulator/ClserEmuControl.h"
#include "platform/DebugOutput.h"
#include "platform/TextConv.h"

#include "LinkFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <stdexcept>

using namespace corvel::test;

namespace {

// Example failure: "CheckErrorDisabled" is read as a boolean, so 2 disables error display, or
// the link ignores the settings file and always uses the defaults.
TEST(CameraLinkSettings, CommunicationsKeysComeFromTheSettingsFile)
{
    struct Row {
        const char* name;
        const char* ini;
        int timeout, byByte;
        bool checkDisabled;
    };
    const Row rows[] = {
        {"empty file gives defaults", "", 50, 0, true},
        {"explicit 1 disables", "[Communications]\nCheckErrorDisabled=1\n", 50, 0, true},
        {"0 enables", "[Communications]\nCheckErrorDisabled=0\n", 50, 0, false},
        {"2 is not 1", "[Communications]\nCheckErrorDisabled=2\n", 50, 0, false},
        {"values and case", "[communications]\ntimeout=120\nWRITEREADBYBYTE=1\n", 120, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        dir.Write("Corvel.ini", row.ini);
        platform::ProfileSettings profile(dir / "Corvel.ini");
        ProfileLinkSettings settings(profile);
        CCameraLink link(&settings);
        EXPECT_EQ(link.m_nTimeout, row.timeout);
        EXPECT_EQ(link.m_nWriteReadByByte, row.byByte);
        EXPECT_EQ(link.m_bCheckErrorDisabled != 0, row.checkDisabled);
        EXPECT_EQ(link.m_bOnline, 0);
        EXPECT_EQ(link.m_bNotIdentified, 1);
        EXPECT_EQ(link.m_nConfigIndex, -1);
    }
}

// Example failure: ids are reused or start over, so a callback of one link reaches another;
// or a destroyed link stays in the registry and a late callback uses freed memory.
TEST(CameraLinkNumbering, IdsCountUpAndTheRegistryForgetsDeadLinks)
{
    MemorySettings settings;
    auto first = std::make_unique<CCameraLink>(&settings);
    CCameraLink second(&settings);
    EXPECT_EQ(second.m_nInstanceId, first->m_nInstanceId + 1);
    EXPECT_EQ(second.OwnerId(), second.m_nInstanceId);
    EXPECT_EQ(CCameraLink::FindParamStorageById(first->m_nInstanceId), first.get());
    EXPECT_EQ(CCameraLink::FindParamStorageById(second.m_nInstanceId), &second);
    const std::uint32_t gone = first->m_nInstanceId;
    first.reset();
    EXPECT_EQ(CCameraLink::FindParamStorageById(gone), nullptr);
    EXPECT_EQ(CCameraLink::FindParamStorageById(second.m_nInstanceId + 1), nullptr);
    CCameraLink third(&settings);
    EXPECT_EQ(third.m_nInstanceId, second.m_nInstanceId + 1);
}

struct CountingListener : OrvParamListener {
    int calls = 0;
    void OnParamChanged(const _OrvStParam*) override { ++calls; }
};

// Example failure: an integer write reaches the camera while it is offline (a panel writes into
// a camera that is being re-identified), or a forced write is dropped.
TEST(CameraLinkOnline, IntegerWritesWaitForTheCameraUnlessForced)
{
    emu::ClserEmuControl emu(CLSER_EMU_PATH);
    ASSERT_TRUE(emu.Loaded()) << emu.Error();
    emu.Reset();
    MemorySettings settings;
    TestLink link(&settings);
    ASSERT_EQ(link.Init(CLSER_EMU_PATH), 0);
    ASSERT_EQ(link.CheckPort(0), 0);
    AddRegisterParam(link, "Gain", 0x0100);
    CountingListener listener;
    link.AddParamChangedListener("Gain", &listener);
    emu.ClearFrames();

    EXPECT_EQ(link.SetParamIntIfOnline("Gain", 5, true, false), link_result::kOffline);
    EXPECT_TRUE(emu.Frames().empty());
    EXPECT_EQ(listener.calls, 0);

    EXPECT_EQ(link.SetParamIntIfOnline("Gain", 6, true, true), 0);
    link.GoOnline();
    EXPECT_EQ(link.SetParamIntIfOnline("Gain", 7, true, false), 0);
    const auto frames = emu.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, (std::vector<std::uint8_t>{0x57, 0x01, 0x00, 0, 0, 0, 6}));
    EXPECT_EQ(emu.Register(0x0100), 7u);
    EXPECT_EQ(listener.calls, 2);
}

// Example failure: a guard taken while the flag is set clears it on exit, so the outer rebuild
// is no longer protected; or an exception leaves the flag set for good.
TEST(CFlagGuard, RestoresTheFlagOnEveryWayOut)
{
    std::atomic<std::int32_t> flag{0};
    {
        CFlagGuard outer(flag);
        EXPECT_FALSE(outer.AlreadyRunning());
        {
            CFlagGuard inner(flag);
            EXPECT_TRUE(inner.AlreadyRunning());
        }
        EXPECT_EQ(flag.load(), 1);
    }
    EXPECT_EQ(flag.load(), 0);
    try {
        CFlagGuard guard(flag);
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(flag.load(), 0);
}

// Example failure: a nested counter is not indented, or a line loses its blank-ended name.
TEST(CPerfCounter, NestedCountersIndentTheirLines)
{
    std::vector<std::string> lines;
    auto old = platform::SetDebugOutputHook([&](const std::wstring& text) { lines.push_back(platform::WideToUtf8(text)); });
    {
        CPerfCounter outer("CCorvel_5Dlg::SetDefault", 10);
        CPerfCounter inner("CCameraLink::SetParamToCamera", 20);
    }
    platform::SetDebugOutputHook(old);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\+PerfCounter\\[-?\\d+\\] \"CCorvel_5Dlg::SetDefault:10 \"\n")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("\t\\+PerfCounter\\[-?\\d+\\] \"CCameraLink::SetParamToCamera:20 \"\n")))
        << lines[1];
    EXPECT_TRUE(lines[2].rfind("\t-PerfCounter[", 0) == 0) << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], std::regex("\t=PerfCounter\\[-?\\d+\\] \"CCameraLink::SetParamToCamera:20 \": \\d+\\.\\d{6}ms\n")))
        << lines[3];
    EXPECT_TRUE(lines[4].rfind("-PerfCounter[", 0) == 0) << lines[4];
    EXPECT_TRUE(lines[5].rfind("=PerfCounter[", 0) == 0) << lines[5];
}

// Example failure: a timer formats and times its lines while the debugger output goes nowhere
// (every register write pays for it), or writes a stop line without its start once output is
// switched on in the middle of its scope.
TEST(CPerfCounter, DoesNothingWhileTheOutputGoesNowhere)
{
    if (platform::DebugOutputEnabled())
        GTEST_SKIP() << "debugger output sent to stderr in this run";
    std::vector<std::string> lines;
    {
        CPerfCounter quiet("CCameraLink::SetParamToCamera", 30);
        auto old = platform::SetDebugOutputHook([&](const std::wstring& text) { lines.push_back(platform::WideToUtf8(text)); });
        EXPECT_TRUE(platform::DebugOutputEnabled());
        {
            CPerfCounter timed("CCameraLink::SetParamToCamera", 40);
        }
        quiet.Stop();
        quiet.Report();
        platform::SetDebugOutputHook(old);
    }
    EXPECT_FALSE(platform::DebugOutputEnabled());
    ASSERT_EQ(lines.size(), 3u) << "only the timer started with output on writes";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\+PerfCounter\\[-?\\d+\\] \"CCameraLink::SetParamToCamera:40 \"\n")))
        << lines[0] << " (not indented: the quiet timer holds no nesting level)";
}

}  // namespace
