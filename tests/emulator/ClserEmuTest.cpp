#include "camera/clser.h"
#include "emulator/ClserEmuControl.h"
#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace emu;

namespace {

/// The library's entries, bound by name as a grabber user would.
struct Entries {
    PfnClSerialInit init = nullptr;
    PfnClSerialRead read = nullptr;
    PfnClSerialWrite write = nullptr;
    PfnClSerialClose close = nullptr;
    PfnClGetSupportedBaudRates rates = nullptr;
    PfnClSetBaudRate setRate = nullptr;
    PfnClGetNumBytesAvail avail = nullptr;
    PfnClFlushPort flush = nullptr;
    PfnClGetNumSerialPorts ports = nullptr;

    explicit Entries(platform::DynamicLibrary& lib)
    {
        init = lib.Function<PfnClSerialInit>(clser::kSerialInit);
        read = lib.Function<PfnClSerialRead>(clser::kSerialRead);
        write = lib.Function<PfnClSerialWrite>(clser::kSerialWrite);
        close = lib.Function<PfnClSerialClose>(clser::kSerialClose);
        rates = lib.Function<PfnClGetSupportedBaudRates>(clser::kGetSupportedBaudRates);
        setRate = lib.Function<PfnClSetBaudRate>(clser::kSetBaudRate);
        avail = lib.Function<PfnClGetNumBytesAvail>(clser::kGetNumBytesAvail);
        flush = lib.Function<PfnClFlushPort>(clser::kFlushPort);
        ports = lib.Function<PfnClGetNumSerialPorts>(clser::kGetNumSerialPorts);
    }
};

class ClserEmuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(control.Loaded()) << control.Error();
        control.Reset();
        ASSERT_TRUE(library.Load(CLSER_EMU_PATH)) << library.Error();
    }

    int Send(ClSerialRef ref, std::vector<std::uint8_t> bytes)
    {
        std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
        return cl().write(ref, reinterpret_cast<char*>(bytes.data()), &n, 50);
    }

    Entries cl() { return Entries(library); }

    ClserEmuControl control{CLSER_EMU_PATH};
    platform::DynamicLibrary library;
};

// Example failure: the test's control handle and the link's load reach different copies of the
// emulation, so a test steers a camera the link never talks to.
TEST_F(ClserEmuTest, ControlSharesTheStateOfTheLoadedLibrary)
{
    ClSerialRef ref = nullptr;
    ASSERT_EQ(cl().init(0, &ref), 0);
    control.SetRegister(0x1234, 0xCAFEF00D);
    ASSERT_EQ(Send(ref, {0x52, 0x12, 0x34}), 0);
    char answer[5] = {};
    std::uint32_t n = 5;
    EXPECT_EQ(cl().read(ref, answer, &n, 50), 0);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(static_cast<std::uint8_t>(answer[1]), 0xCA);
    EXPECT_EQ(control.Frames().size(), 1u);
    EXPECT_EQ(control.Calls(clser::kSerialRead), 1u);
    EXPECT_TRUE(control.PortOpen(0));
    cl().close(ref);
    EXPECT_FALSE(control.PortOpen(0));
}

// Example failure: a busy port or an index out of range opens anyway, so the port selector
// lists ports that do not exist.
TEST_F(ClserEmuTest, InitRefusesBusyOpenAndMissingPorts)
{
    control.SetPortCount(3);
    control.SetPortBusy(1, true);
    ClSerialRef ref = nullptr;
    std::uint32_t ports = 0;
    EXPECT_EQ(cl().ports(&ports), 0);
    EXPECT_EQ(ports, 3u);
    EXPECT_EQ(cl().init(1, &ref), clser::kErrPortInUse);
    EXPECT_EQ(cl().init(3, &ref), clser::kErrInvalidIndex);
    EXPECT_EQ(cl().init(2, &ref), 0);
    ClSerialRef again = nullptr;
    EXPECT_EQ(cl().init(2, &again), clser::kErrPortInUse);
    control.FailNext(clser::kSerialInit, -10099);
    EXPECT_EQ(cl().init(0, &again), -10099);
    EXPECT_EQ(cl().init(0, &again), 0);
}

// Example failure: a late or missing answer returns at once instead of costing the read's
// time-out, or the partial bytes received are lost.
TEST_F(ClserEmuTest, ReadsWaitOnAVirtualClock)
{
    ClSerialRef ref = nullptr;
    ASSERT_EQ(cl().init(0, &ref), 0);
    control.SetDelay(0x6068, 900);
    ASSERT_EQ(Send(ref, {0x57, 0x60, 0x68, 0, 0, 0, 1}), 0);
    char buffer[8] = {};
    std::uint32_t n = 1;
    EXPECT_EQ(cl().read(ref, buffer, &n, 50), clser::kErrTimeout);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(control.NowMs(), 50u);
    n = 1;
    EXPECT_EQ(cl().read(ref, buffer, &n, 1000), 0);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(control.NowMs(), 900u);

    control.ScriptFault(-1, {FaultKind::Partial, 0, 0, 0, 3});
    ASSERT_EQ(Send(ref, {0x52, 0x60, 0x0C}), 0);
    n = 5;
    EXPECT_EQ(cl().read(ref, buffer, &n, 50), clser::kErrTimeout);
    EXPECT_EQ(n, 3u);
    control.SetShortReadsSucceed(true);
    ASSERT_EQ(Send(ref, {0x52, 0x60, 0x0C}), 0);
    control.ScriptFault(-1, {FaultKind::Silence, 0, 0, 0, 0});
    n = 5;
    EXPECT_EQ(cl().read(ref, buffer, &n, 50), 0);
    EXPECT_EQ(n, 5u);
    n = 5;
    ASSERT_EQ(Send(ref, {0x52, 0x60, 0x0C}), 0);
    EXPECT_EQ(cl().read(ref, buffer, &n, 50), 0);
    EXPECT_EQ(n, 0u);
}

// Example failure: the host rate changes to a rate outside the supported set, or the camera
// answers while the host runs at a different rate.
TEST_F(ClserEmuTest, HostRateFollowsSetBaudRateWithinTheSupportedSet)
{
    ClSerialRef ref = nullptr;
    ASSERT_EQ(cl().init(0, &ref), 0);
    control.SetCameraBaud(57600);
    control.SetSupportedRates(clser::kBaud9600 | clser::kBaud57600);
    std::uint32_t set = 0;
    EXPECT_EQ(cl().rates(ref, &set), 0);
    EXPECT_EQ(set, clser::kBaud9600 | clser::kBaud57600);
    EXPECT_EQ(cl().setRate(ref, clser::kBaud115200), clser::kErrBaudRateNotSupported);
    EXPECT_EQ(cl().setRate(ref, clser::kBaud9600 | clser::kBaud57600), clser::kErrBaudRateNotSupported);
    ASSERT_EQ(Send(ref, {0x52, 0x60, 0x0C}), 0);
    std::uint32_t avail = 9;
    EXPECT_EQ(cl().avail(ref, &avail), 0);
    EXPECT_EQ(avail, 0u);
    EXPECT_EQ(cl().setRate(ref, clser::kBaud57600), 0);
    EXPECT_EQ(control.HostBaud(0), 57600);
    ASSERT_EQ(Send(ref, {0x52, 0x60, 0x0C}), 0);
    EXPECT_EQ(cl().avail(ref, &avail), 0);
    EXPECT_EQ(avail, 5u);
    EXPECT_EQ(cl().flush(ref), 0);
    EXPECT_EQ(cl().avail(ref, &avail), 0);
    EXPECT_EQ(avail, 0u);
    EXPECT_EQ(control.Frames().at(0).hostBaud, 57600);
}

// Example failure: a variant exports an entry it should leave out (or drops another), so the
// binding tests pass for the wrong reason.
TEST(ClserEmuVariants, ExportExactlyTheirEntries)
{
    const char* names[] = {clser::kSerialInit, clser::kSerialRead, clser::kSerialWrite,
                           clser::kSerialClose, clser::kGetSupportedBaudRates, clser::kSetBaudRate,
                           clser::kGetNumBytesAvail, clser::kFlushPort, clser::kGetNumSerialPorts};
    struct Row {
        const char* path;
        std::string present;  // one letter per entry, in the order of `names`
    };
    const Row rows[] = {
        {CLSER_EMU_PATH, "111111111"},         {CLSER_EMU_NOINIT_PATH, "011111111"},
        {CLSER_EMU_NOREAD_PATH, "101111111"},  {CLSER_EMU_NOWRITE_PATH, "110111111"},
        {CLSER_EMU_NOCLOSE_PATH, "111011111"}, {CLSER_EMU_NOINIT_NOCLOSE_PATH, "011011111"},
        {CLSER_EMU_NOOPTIONAL_PATH, "111100000"}, {CLSER_EMU_NORATEQUERY_PATH, "111101111"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        platform::DynamicLibrary lib;
        ASSERT_TRUE(lib.Load(row.path)) << lib.Error();
        std::string present;
        for (const char* name : names)
            present += lib.Symbol(name) ? '1' : '0';
        EXPECT_EQ(present, row.present);
        EXPECT_NE(lib.Symbol("emu_reset"), nullptr);
        EXPECT_EQ(lib.Symbol("_ZN3emu11CameraModel5ResetEv"), nullptr) << "model symbols leak";
    }
}

}  // namespace
