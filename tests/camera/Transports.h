// The two ways a camera link reaches the emulated camera, behind one interface so a test runs
// over both: the emulated Camera Link serial library (virtual time) and a pseudo-terminal that
// the link opens as its COM port (real time-outs, kept short).
#pragma once

#include "camera/CameraLink.h"
#include "emulator/ClserEmuControl.h"
#include "emulator/PtyPeer.h"

#include "LinkFixture.h"
#include "ProtocolFixture.h"
#include "support/TempDir.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace corvel::test {

class Transport {
public:
    virtual ~Transport() = default;
    virtual bool Ready(std::string& why) = 0;
    /// Opens the channel on `link` the way the program does for this transport.
    virtual int Open(CCameraLink& link) = 0;
    virtual void SetCameraBaud(int rate) = 0;
    /// At a wrong rate the camera answers 0x00 noise instead of staying silent.
    virtual void SetNoiseOnMismatch(bool noise) = 0;
    virtual void ScriptFault(int address, const emu::Fault& fault) = 0;
    virtual void SetAddressFault(std::uint16_t address, const emu::Fault& fault) = 0;
    virtual void SetRegister(std::uint16_t address, std::uint32_t value) = 0;
    /// Replaces every register of the camera by the words of `image`.
    virtual void LoadRegisters(const std::map<std::uint16_t, std::uint32_t>& image) = 0;
    virtual std::uint32_t Register(std::uint16_t address) = 0;
    virtual std::vector<emu::FrameRecord> Frames() = 0;
    virtual void ClearFrames() = 0;
    virtual void Vanish() = 0;
    /// Answers the camera held back (FaultKind::Late) arrive now, after the link gave up on them.
    virtual void ReleaseLateAnswers() = 0;
    /// The camera forgets a frame whose bytes are more than `ms` apart.
    virtual void SetReceiveTimeoutMs(int ms) = 0;
    /// Time passes on the line with nothing sent (virtual on the library, real on the pty).
    virtual void LetTimePass(std::chrono::milliseconds time) = 0;
    /// The clock the link waits on: waits cost no real time.
    virtual platform::IClock& Clock() = 0;
    /// The waits the link made on that clock.
    virtual std::vector<std::chrono::milliseconds> Sleeps() const = 0;
    /// What a read gets when the camera stays silent, for one byte and for several.
    virtual int SilentOneByteResult() const = 0;
    virtual int ShortReadResult() const = 0;
    /// What a second link that opens the same port answers.
    virtual int SecondOpenResult() const = 0;
    /// What reads and writes answer once the port is gone.
    virtual int VanishedResult() const = 0;
};

class LibraryTransport : public Transport {
public:
    emu::ClserEmuControl emu{CLSER_EMU_PATH};
    EmulatorClock clock{emu};

    bool Ready(std::string& why) override
    {
        why = emu.Error();
        if (!emu.Loaded())
            return false;
        emu.Reset();
        return true;
    }
    int Open(CCameraLink& link) override
    {
        link.SetPortIndex(0);
        return link.Init(CLSER_EMU_PATH);
    }
    void SetCameraBaud(int rate) override { emu.SetCameraBaud(rate); }
    void SetNoiseOnMismatch(bool noise) override { emu.SetNoiseOnMismatch(noise); }
    void ScriptFault(int address, const emu::Fault& fault) override { emu.ScriptFault(address, fault); }
    void SetAddressFault(std::uint16_t a, const emu::Fault& fault) override { emu.SetAddressFault(a, fault); }
    void SetRegister(std::uint16_t a, std::uint32_t v) override { emu.SetRegister(a, v); }
    void LoadRegisters(const std::map<std::uint16_t, std::uint32_t>& image) override { emu.LoadRegisters(image); }
    std::uint32_t Register(std::uint16_t a) override { return emu.Register(a); }
    std::vector<emu::FrameRecord> Frames() override { return emu.Frames(); }
    void ClearFrames() override { emu.ClearFrames(); }
    void Vanish() override { emu.UnplugPort(0); }
    void ReleaseLateAnswers() override { emu.ReleaseLateAnswers(); }
    void SetReceiveTimeoutMs(int ms) override { emu.SetReceiveTimeoutMs(ms); }
    void LetTimePass(std::chrono::milliseconds time) override { emu.AdvanceMs(static_cast<std::uint32_t>(time.count())); }
    platform::IClock& Clock() override { return clock; }
    std::vector<std::chrono::milliseconds> Sleeps() const override { return clock.manual.Sleeps(); }
    int SilentOneByteResult() const override { return clser::kErrTimeout; }
    int ShortReadResult() const override { return clser::kErrTimeout; }
    int SecondOpenResult() const override { return clser::kErrPortInUse; }
    int VanishedResult() const override { return clser::kErrInvalidReference; }
};

class PtyTransport : public Transport {
public:
    emu::PtyPeer peer;
    std::unique_ptr<ScopedEnv> extraPorts;
    platform::ManualClock clock;

    bool Ready(std::string& why) override
    {
        if (!peer.Start()) {
            why = peer.Error();
            return false;
        }
        extraPorts = std::make_unique<ScopedEnv>("CORVEL_EXTRA_PORTS", peer.SlavePath());
        return true;
    }
    int Open(CCameraLink& link) override { return link.Init(peer.SlavePath()); }
    void SetCameraBaud(int rate) override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.SetBaudRate(rate); });
    }
    void SetNoiseOnMismatch(bool noise) override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.SetNoiseOnMismatch(noise); });
    }
    void ScriptFault(int address, const emu::Fault& fault) override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.ScriptFault(address, fault); });
    }
    void SetAddressFault(std::uint16_t a, const emu::Fault& fault) override
    {
        peer.WithCamera([&](emu::CameraModel& c) {
            if (fault.kind == emu::FaultKind::None)
                c.ClearAddressFault(a);
            else
                c.SetAddressFault(a, fault);
        });
    }
    void SetRegister(std::uint16_t a, std::uint32_t v) override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.SetRegister(a, v); });
    }
    void LoadRegisters(const std::map<std::uint16_t, std::uint32_t>& image) override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.LoadRegisters(image); });
    }
    std::uint32_t Register(std::uint16_t a) override
    {
        std::uint32_t v = 0;
        peer.WithCamera([&](emu::CameraModel& c) { v = c.Register(a); });
        return v;
    }
    std::vector<emu::FrameRecord> Frames() override
    {
        std::vector<emu::FrameRecord> frames;
        peer.WithCamera([&](emu::CameraModel& c) { frames = c.Frames(); });
        return frames;
    }
    void ClearFrames() override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.ClearFrames(); });
    }
    void Vanish() override { peer.Vanish(); }
    void ReleaseLateAnswers() override { ASSERT_TRUE(peer.ReleaseLateAnswers()) << "the late answer reached the link's side"; }
    void SetReceiveTimeoutMs(int ms) override
    {
        peer.WithCamera([&](emu::CameraModel& c) { c.SetReceiveTimeoutMs(ms); });
    }
    void LetTimePass(std::chrono::milliseconds time) override { std::this_thread::sleep_for(time); }
    platform::IClock& Clock() override { return clock; }
    std::vector<std::chrono::milliseconds> Sleeps() const override { return clock.Sleeps(); }
    int SilentOneByteResult() const override { return link_result::kComNothingRead; }
    int ShortReadResult() const override { return 0; }
    int SecondOpenResult() const override { return link_result::kComOpenFailed; }
    int VanishedResult() const override { return link_result::kComFailed; }
};

inline constexpr const char* kLibraryTransport = "library";
inline constexpr const char* kPtyTransport = "pty";

inline std::unique_ptr<Transport> MakeTransport(const std::string& name)
{
    if (name == kLibraryTransport)
        return std::make_unique<LibraryTransport>();
    return std::make_unique<PtyTransport>();
}

/// Short COM time-outs keep silent reads quick. The emulated camera answers within them even
/// when a loaded machine runs the sanitizer build with every core busy.
inline void UseShortComTimeouts(MemorySettings& settings)
{
    settings.Set(comm::kRttc, 100);
    settings.Set(comm::kRttm, 10);
    settings.Set(comm::kRit, 80);
    settings.Set(comm::kWttc, 300);
    settings.Set(comm::kWttm, 20);
    settings.Set(comm::kTimeout, 150);
}

}  // namespace corvel::test
