#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "emulator/ClserEmuControl.h"
#include "emulator/PtyPeer.h"

#include "LinkFixture.h"
#include "Transports.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace corvel::test;

namespace {

class ChannelTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        transport = MakeTransport(GetParam());
        std::string why;
        if (!transport->Ready(why))
            GTEST_SKIP() << "transport not available: " << why;
        UseShortComTimeouts(settings);
        link = std::make_unique<TestLink>(&settings);
        AddPing(*link);
    }

    int ReadBytes(Bytes& out, std::uint32_t wanted)
    {
        out.assign(wanted, 0);
        std::uint32_t n = wanted;
        const int r = link->Read(out.data(), &n, 50);
        out.resize(n);
        return r;
    }

    int WriteBytes(const Bytes& bytes)
    {
        std::uint32_t n = static_cast<std::uint32_t>(bytes.size());
        const int r = link->Write(bytes.data(), &n, 50);
        EXPECT_EQ(n, r == 0 ? bytes.size() : n);
        return r;
    }

    MemorySettings settings;
    std::unique_ptr<Transport> transport;
    std::unique_ptr<TestLink> link;
};

// Example failure: a cooked line turns 0x0D into 0x0A, eats 0x11/0x13 as flow control or 0x03
// as an interrupt, so register words containing them arrive changed in either direction.
TEST_P(ChannelTest, ExchangesCarryEveryByteValue)
{
    transport->SetCameraBaud(9600);
    ASSERT_EQ(transport->Open(*link), 0);
    EXPECT_EQ(link->m_nBaudRate, 9600);
    const std::uint32_t words[] = {0x0A0D1113, 0x037F0AFF, 0x11131A1C, 0x0D0D0A0A};
    for (std::uint32_t word : words) {
        SCOPED_TRACE(word);
        transport->ClearFrames();
        const Bytes write = {0x57, 0x01, 0x0A, static_cast<std::uint8_t>(word >> 24),
                             static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 8),
                             static_cast<std::uint8_t>(word)};
        ASSERT_EQ(WriteBytes(write), 0);
        Bytes status;
        ASSERT_EQ(ReadBytes(status, 1), 0);
        EXPECT_EQ(status, Bytes{0x06});
        ASSERT_EQ(WriteBytes({0x52, 0x01, 0x0A}), 0);
        Bytes answer;
        ASSERT_EQ(ReadBytes(answer, 5), 0);
        EXPECT_EQ(answer, (Bytes{0x06, write[3], write[4], write[5], write[6]}));
        const auto frames = transport->Frames();
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].bytes, write);
        EXPECT_EQ(transport->Register(0x010A), word);
    }
}

// Example failure: a silent camera hangs the read, or a partial answer loses the bytes that
// did come, or reports the wrong code for the time-out.
TEST_P(ChannelTest, SilenceAndPartialAnswersTimeOut)
{
    transport->SetCameraBaud(9600);
    ASSERT_EQ(transport->Open(*link), 0);
    transport->ScriptFault(-1, {emu::FaultKind::Silence, 0, 0, 0, 0});
    ASSERT_EQ(WriteBytes({0x52, 0x60, 0x0C}), 0);
    Bytes got;
    EXPECT_EQ(ReadBytes(got, 1), transport->SilentOneByteResult());
    EXPECT_TRUE(got.empty());

    transport->ScriptFault(-1, {emu::FaultKind::Partial, 0, 0, 0, 3});
    ASSERT_EQ(WriteBytes({0x52, 0x60, 0x0C}), 0);
    EXPECT_EQ(ReadBytes(got, 5), transport->ShortReadResult());
    EXPECT_EQ(got, (Bytes{0x06, 0x76, 0x54}));
}

// Example failure: detection stops at the first rate, or leaves the line at the last rate
// tried although the camera answered earlier, or claims a rate when none answered.
TEST_P(ChannelTest, BaudDetectionFindsTheCameraRate)
{
    transport->SetCameraBaud(38400);
    ASSERT_EQ(transport->Open(*link), 0);
    EXPECT_EQ(link->m_nBaudRate, 38400);
    const auto frames = transport->Frames();
    ASSERT_FALSE(frames.empty());
    for (const auto& frame : frames)
        EXPECT_EQ(frame.hostBaud, 38400) << "the camera heard only frames at its own rate";
    EXPECT_EQ(link->m_bEchoToTerminal, 1);

    TestLink other(&settings);
    AddPing(other);
    link.reset();
    transport->SetCameraBaud(4800);
    EXPECT_EQ(transport->Open(other), link_result::kNoCamera);
    EXPECT_EQ(other.m_nBaudRate, -1);
}

// Example failure: two links share one port, so their frames interleave on the wire.
TEST_P(ChannelTest, ASecondOpenOfABusyPortIsRefused)
{
    transport->SetCameraBaud(9600);
    ASSERT_EQ(transport->Open(*link), 0);
    TestLink second(&settings);
    AddPing(second);
    EXPECT_EQ(transport->Open(second), transport->SecondOpenResult());
    EXPECT_EQ(link->Close(), 0);
    EXPECT_EQ(transport->Open(second), 0) << "the port is free again after Close";
}

// Example failure: a port that disappears blocks the user-interface thread for ever, or its
// reads and writes answer success.
TEST_P(ChannelTest, APortThatDisappearsFailsItsCalls)
{
    transport->SetCameraBaud(9600);
    ASSERT_EQ(transport->Open(*link), 0);
    transport->Vanish();
    Bytes got;
    EXPECT_EQ(WriteBytes({0x52, 0x60, 0x0C}), transport->VanishedResult());
    // The dead port is closed at once, to be opened again by name; until then calls fail.
    EXPECT_TRUE(link->PortLost());
    EXPECT_NE(ReadBytes(got, 1), 0);
    EXPECT_NE(ReadBytes(got, 4), 0);
    EXPECT_NE(link->Reopen(), 0) << "the port is still away";
    EXPECT_TRUE(link->PortLost());
    EXPECT_EQ(link->Close(), 0);
    EXPECT_FALSE(link->PortLost());
}

INSTANTIATE_TEST_SUITE_P(Transports, ChannelTest, ::testing::Values(kLibraryTransport, kPtyTransport),
                         [](const auto& info) { return std::string(info.param); });

// ---- library port ----

class LibraryChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(emu.Loaded()) << emu.Error();
        emu.Reset();
        link = std::make_unique<TestLink>(&settings);
        AddPing(*link);
    }
    MemorySettings settings;
    emu::ClserEmuControl emu{CLSER_EMU_PATH};
    std::unique_ptr<TestLink> link;
};

// Example failure: Init runs detection before the port is marked open, so every detection
// write answers -555 and a present camera is reported missing.
TEST_F(LibraryChannelTest, InitWithAPortIndexOpensThenDetects)
{
    emu.SetCameraBaud(57600);
    link->SetPortIndex(0);
    EXPECT_EQ(link->Init(CLSER_EMU_PATH), 0);
    EXPECT_EQ(link->m_bPortOpen, 1);
    EXPECT_EQ(emu.HostBaud(0), 57600);

    MemorySettings s;
    TestLink noIndex(&s);
    EXPECT_EQ(noIndex.Init(CLSER_EMU_NOOPTIONAL_PATH), 0) << "without a port index nothing opens";
    EXPECT_EQ(noIndex.m_bPortOpen, 0);
}

// Example failure: a library without the flush entry keeps a second copy of an answer, and
// the next exchange reads it as its own; or the discard waits for bytes that never come.
TEST_F(LibraryChannelTest, PendingInputIsDiscardedWithOrWithoutTheFlushEntry)
{
    for (const char* path : {CLSER_EMU_PATH, CLSER_EMU_NOOPTIONAL_PATH}) {
        SCOPED_TRACE(path);
        emu::ClserEmuControl camera(path);
        ASSERT_TRUE(camera.Loaded()) << camera.Error();
        camera.Reset();
        camera.SetRegister(0x0100, 0x11223344);
        camera.SetRegister(0x0104, 0x55667788);
        link->SetPortIndex(0);
        ASSERT_EQ(link->Init(path), 0);
        ASSERT_EQ(link->m_bPortOpen, 1);
        const std::uint32_t start = camera.NowMs();

        camera.ScriptFault(0x0100, {emu::FaultKind::Doubled, 0, 0, 0, 0});
        std::uint8_t bytes[4] = {};
        ASSERT_EQ(link->ReadRegisterBytes(0x0100, bytes), 0);
        EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{0x11, 0x22, 0x33, 0x44}));
        ASSERT_EQ(link->ReadRegisterBytes(0x0104, bytes), 0);
        EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{0x55, 0x66, 0x77, 0x88}));
        EXPECT_EQ(camera.NowMs(), start) << "nothing waited for bytes that were not there";
        link->Close();
    }
}

// Example failure: the link frees the library with its port still open, so the grabber keeps
// the port taken and the next open answers "in use".
TEST_F(LibraryChannelTest, APortIsClosedBeforeItsLibraryIsUnloaded)
{
    link->SetPortIndex(0);
    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    ASSERT_TRUE(emu.PortOpen(0));
    EXPECT_EQ(link->Init(CLSER_EMU_NOOPTIONAL_PATH), 0);
    EXPECT_FALSE(emu.PortOpen(0));
    EXPECT_EQ(emu.Calls(clser::kSerialClose), 1u);

    link->SetPortIndex(0);
    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    ASSERT_TRUE(emu.PortOpen(0));
    link.reset();
    EXPECT_FALSE(emu.PortOpen(0));
    EXPECT_EQ(emu.Calls(clser::kSerialClose), 2u);
}

// Example failure: Close on a port never opened resets the port index or calls the library;
// Close of an open port leaves the reference or the identification flag behind.
TEST_F(LibraryChannelTest, CloseAnswersByState)
{
    MemorySettings s;
    CCameraLink empty(&s);
    EXPECT_EQ(empty.Close(), link_result::kNoChannel);

    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    link->SetPortIndex(3);
    EXPECT_EQ(link->Close(), link_result::kPortNotOpen);
    EXPECT_EQ(link->m_nPortIndex, 3);
    EXPECT_EQ(emu.Calls(clser::kSerialClose), 0u);

    ASSERT_EQ(link->CheckPort(0), 0);
    link->SetIdentified(true);
    link->GoOnline();
    EXPECT_EQ(link->Close(), 0);
    EXPECT_EQ(emu.Calls(clser::kSerialClose), 1u);
    EXPECT_EQ(link->m_nPortIndex, -1);
    EXPECT_EQ(link->m_pInstance, nullptr);
    EXPECT_EQ(link->m_bNotIdentified, 1);
    EXPECT_EQ(link->m_bOnline, 0);
}

// Example failure: CheckPort answers 0 instead of the port number, or loses the library's own
// refusal (a port in use must be listed as such).
TEST_F(LibraryChannelTest, CheckPortAnswersThePortOrTheLibraryResult)
{
    emu.SetPortCount(3);
    emu.SetCameraPort(2);
    emu.SetPortBusy(1, true);
    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    EXPECT_EQ(link->CheckPort(2), 2);
    EXPECT_EQ(link->CheckPort(1), clser::kErrPortInUse);
    EXPECT_EQ(link->m_bPortOpen, 0);
    EXPECT_EQ(link->CheckPort(7), clser::kErrInvalidIndex);
    MemorySettings s;
    CCameraLink unloaded(&s);
    EXPECT_EQ(unloaded.CheckPort(0), kClserNoInit);
}

// Example failure: byte-by-byte mode sends the frame in one call (a grabber that needs single
// bytes then drops the rest), or reads and writes run on a port that is not open.
TEST_F(LibraryChannelTest, ByteModeAndMissingPortResults)
{
    settings.Set(comm::kWriteReadByByte, 1);
    TestLink bytewise(&settings);
    ASSERT_EQ(bytewise.Init(CLSER_EMU_PATH), 0);
    const Bytes frame = {0x57, 0x01, 0x00, 0, 0, 0, 9};
    std::uint32_t n = 7;
    EXPECT_EQ(bytewise.Write(frame.data(), &n, 50), link_result::kPortNotOpen);
    EXPECT_EQ(n, 0u);
    ASSERT_EQ(bytewise.CheckPort(0), 0);
    const std::uint32_t writesBefore = emu.Calls(clser::kSerialWrite);
    n = 7;
    EXPECT_EQ(bytewise.Write(frame.data(), &n, 50), 0);
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(emu.Calls(clser::kSerialWrite) - writesBefore, 7u);
    EXPECT_EQ(emu.Register(0x0100), 9u);

    MemorySettings s;
    CCameraLink none(&s);
    std::uint8_t b = 0;
    n = 1;
    EXPECT_EQ(none.Read(&b, &n, 50), link_result::kNoChannel);
    EXPECT_EQ(none.Write(&b, &n, 50), link_result::kNoChannel);
}

// Example failure: an unsupported rate reaches the library, or a rate missing from the set is
// reported as switched.
TEST_F(LibraryChannelTest, SetBaudRateOnlyWithinTheSupportedSet)
{
    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    ASSERT_EQ(link->CheckPort(0), 0);
    emu.SetSupportedRates(clser::kBaud9600 | clser::kBaud19200);
    const std::uint32_t before = emu.Calls(clser::kSetBaudRate);
    struct Row {
        int rate, result;
        bool called;
    };
    const Row rows[] = {{230400, -1, false}, {115200, -1, false}, {19200, 0, true}, {9600, 0, true}};
    std::uint32_t calls = before;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rate);
        EXPECT_EQ(link->SetBaudRate(row.rate), row.result);
        calls += row.called ? 1 : 0;
        EXPECT_EQ(emu.Calls(clser::kSetBaudRate), calls);
    }
    EXPECT_EQ(emu.HostBaud(0), 9600);
    EXPECT_EQ(emu.Calls(clser::kGetNumBytesAvail), 0u);
    EXPECT_EQ(emu.Calls(clser::kFlushPort), 0u);
}

// Example failure: two threads writing at once interleave their bytes, so the camera sees
// broken frames (the lock is per call, so each byte-by-byte frame stays whole).
TEST_F(LibraryChannelTest, EveryWriteHoldsTheChannelLock)
{
    settings.Set(comm::kWriteReadByByte, 1);
    TestLink a(&settings);
    ASSERT_EQ(a.Init(CLSER_EMU_PATH), 0);
    ASSERT_EQ(a.CheckPort(0), 0);
    emu.ClearFrames();
    auto writer = [&](std::uint8_t tag) {
        for (int i = 0; i < 100; ++i) {
            const Bytes frame = {0x57, 0x02, tag, tag, tag, tag, static_cast<std::uint8_t>(i)};
            std::uint32_t n = 7;
            a.Write(frame.data(), &n, 50);
        }
    };
    std::thread t1(writer, 0x11), t2(writer, 0x22);
    t1.join();
    t2.join();
    const auto frames = emu.Frames();
    ASSERT_EQ(frames.size(), 200u);
    for (const auto& frame : frames) {
        ASSERT_EQ(frame.bytes.size(), 7u);
        EXPECT_EQ(frame.bytes[2], frame.bytes[3]);
        EXPECT_EQ(frame.bytes[3], frame.bytes[5]);
    }
}

// Example failure: Close or Init frees the port or library while another thread is inside a
// read on it (the sanitizer build catches the use after free).
TEST_F(LibraryChannelTest, OpenAndCloseAreSafeWhileAnotherThreadReads)
{
    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    ASSERT_EQ(link->CheckPort(0), 0);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        std::uint8_t b[4];
        while (!stop) {
            std::uint32_t n = 4;
            link->Read(b, &n, 1);
            n = 3;
            const std::uint8_t frame[3] = {0x52, 0x60, 0x0C};
            link->Write(frame, &n, 1);
        }
    });
    for (int i = 0; i < 30; ++i) {
        link->Close();
        link->CheckPort(0);
        link->SetPortIndex(0);
        link->Init(i % 2 ? CLSER_EMU_PATH : CLSER_EMU_NOOPTIONAL_PATH);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(link->Close(), 0);
}

// Example failure: byte traffic is logged below the level that asks for it, or not at all.
TEST_F(LibraryChannelTest, ByteTrafficIsLoggedAboveLevelOne)
{
    std::vector<std::string> lines;
    auto old = camera::SetLinkLogSink([&](const char* method, const std::string& text) {
        lines.push_back(std::string(method) + ": " + text);
    });
    FakeHost host;
    link->SetMainWindow(&host);
    ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
    ASSERT_EQ(link->CheckPort(0), 0);
    const Bytes frame = {0x52, 0x60, 0x0C};
    std::uint32_t n = 3;
    host.level = 1;
    lines.clear();
    link->Write(frame.data(), &n, 50);
    EXPECT_TRUE(lines.empty());
    host.level = 2;
    n = 3;
    link->Write(frame.data(), &n, 50);
    std::uint8_t answer[5];
    n = 5;
    link->Read(answer, &n, 50);
    camera::SetLinkLogSink(old);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "CCameraLink::Write: to write: 3 byte(s) 0x52600c");
    EXPECT_EQ(lines[1], "CCameraLink::Write: written: 3 byte(s) 0x52600c nErr = 0x0");
    EXPECT_EQ(lines[2], "CCameraLink::Read: read: 5 byte(s) 0x0676543210 nErr = 0x0");
}

// ---- COM port ----

// Example failure: the COM line keeps the terminal's cooked defaults or its flow control, or a
// port that does not exist answers success.
TEST(ComChannel, InitSetsARawLineAndRefusesMissingPorts)
{
    emu::PtyPeer peer;
    if (!peer.Start())
        GTEST_SKIP() << "no pseudo-terminal: " << peer.Error();
    peer.WithCamera([](emu::CameraModel& c) { c.SetBaudRate(115200); });
    MemorySettings settings;
    TestLink link(&settings);
    AddPing(link);
    EXPECT_FALSE(peer.LineRaw()) << "a fresh terminal is cooked";
    EXPECT_EQ(link.Init(peer.SlavePath()), 0);
    EXPECT_TRUE(peer.LineRaw());
    EXPECT_EQ(peer.LineBaud(), 115200);
    EXPECT_EQ(link.SetBaudRate(19200), 0);
    EXPECT_EQ(peer.LineBaud(), 19200);
    EXPECT_EQ(link.SetBaudRate(12345), link_result::kComFailed);
    EXPECT_EQ(link.Close(), 0);

    EXPECT_EQ(link.Init("corvel-no-such-tty"), link_result::kComOpenFailed);
    std::uint8_t b = 0;
    std::uint32_t n = 1;
    EXPECT_EQ(link.Read(&b, &n, 50), link_result::kComFailed);
    n = 1;
    EXPECT_EQ(link.Write(&b, &n, 50), link_result::kComFailed);
    EXPECT_EQ(link.Close(), 0);
    EXPECT_EQ(link.Close(), link_result::kNoChannel);
}

}  // namespace
