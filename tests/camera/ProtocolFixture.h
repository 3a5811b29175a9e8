// A camera link on the emulated Camera Link serial library with recorders for everything the
// link shows (terminal lines, message boxes, the error dialog), a clock whose waits also let the
// emulator's virtual time pass, and parameters defined with the link's own callbacks and
// register links, as the catalogue builders define them.
#pragma once

#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "emulator/ClserEmuControl.h"

#include "LinkFixture.h"
#include "LinkedParams.h"
#include "support/TempDir.h"
#include "support/WireFrames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace corvel::test {

/// The main window and its command terminal, recording what the link shows.
class RecordingHost : public ILinkHost, public ITerminalSink {
public:
    struct Box {
        std::string text, caption;
        unsigned flags;
    };
    int level = 0;
    bool hasTerminal = true;
    int dialogAnswer = kIdOk;
    std::vector<std::string> lines;
    std::vector<Box> appBoxes;
    std::vector<std::string> dialogs;
    std::vector<bool> disableCalls;  ///< the refresh flag of each "Disable Error Checking" tick

    int LoggingLevel() const override { return level; }
    int ShowAppMessage(const std::string& text, const std::string& caption, unsigned flags) override
    {
        appBoxes.push_back({text, caption, flags});
        return kIdOk;
    }
    ITerminalSink* Terminal() override { return hasTerminal ? this : nullptr; }
    int ShowErrorDialog(const std::string& text) override
    {
        dialogs.push_back(text);
        return dialogAnswer;
    }
    void AddText(const std::string& line) override { lines.push_back(line); }
    void SetErrorCheckingDisabled(bool refreshControls) override { disableCalls.push_back(refreshControls); }
};

/// A panel owning the link's message boxes.
class RecordingOwner : public IErrorOwner {
public:
    struct Box {
        std::string text;
        bool captionGiven;
        unsigned flags;
    };
    std::vector<Box> boxes;
    int broughtToTop = 0;

    int ShowMessageW(const std::string& text, const char* caption, unsigned flags) override
    {
        boxes.push_back({text, caption != nullptr, flags});
        return kIdOk;
    }
    void BringToTop() override { ++broughtToTop; }
};

/// Waits cost nothing, are recorded, and let the emulated camera's time pass as well.
class EmulatorClock : public platform::IClock {
public:
    explicit EmulatorClock(emu::ClserEmuControl& emu) : emu_(emu) {}
    TimePoint Now() const override { return manual.Now(); }
    void SleepFor(std::chrono::milliseconds duration) override
    {
        manual.SleepFor(duration);
        emu_.AdvanceMs(static_cast<std::uint32_t>(duration.count()));
    }
    platform::ManualClock manual;

private:
    emu::ClserEmuControl& emu_;
};

class EmulatedLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!emu.Loaded())
            GTEST_SKIP() << "emulated library not available: " << emu.Error();
        emu.Reset();
        emu.SetCameraBaud(115200);
        settings.Set(comm::kCheckErrorDisabled, 0);
        link = std::make_unique<TestLink>(&settings);
        link->SetClock(&clock);
        link->SetDataFolder(dataFolder.Path());
        previousSink = camera::SetLinkLogSink(
            [this](const char* method, const std::string& text) { logLines.push_back(std::string(method) + "|" + text); });
        Define("Ping", OrvParam_Bool, MakeLink(0x600C, 0xFFFFFFFF, 0, "ping", "CAMERA/LOCALSPACE/Ping"));
        link->SetPortIndex(0);
        ASSERT_EQ(link->Init(CLSER_EMU_PATH), 0);
        link->SetMainWindow(&host);
        link->GoOnline();
        link->SetIdentified(true);
        emu.ClearFrames();
        logLines.clear();
    }

    void TearDown() override
    {
        link.reset();
        camera::SetLinkLogSink(previousSink);
    }

    /// Defines a parameter with the link's four callbacks and links it to its register.
    void Define(const char* name, OrvParamType type, const RegisterLink& reg, double min = 0, double step = 0,
                double max = 0, OrvParamAccess access = OrvParam_ReadWrite)
    {
        ASSERT_EQ(DefineLinkedParam(*link, name, type, reg, min, step, max, access), 0);
    }

    /// The frames the camera received since the last ClearFrames.
    std::vector<Bytes> Frames()
    {
        std::vector<Bytes> frames;
        for (const auto& f : emu.Frames())
            frames.push_back(f.bytes);
        return frames;
    }

    void Refuse(int address, std::uint8_t status, std::uint8_t code, int extra = 0)
    {
        emu::Fault f;
        f.kind = emu::FaultKind::Refuse;
        f.status = status;
        f.code = code;
        f.extraBytes = extra;
        emu.ScriptFault(address, f);
    }

    void Silence(int address)
    {
        emu::Fault f;
        f.kind = emu::FaultKind::Silence;
        emu.ScriptFault(address, f);
    }

    emu::ClserEmuControl emu{CLSER_EMU_PATH};
    EmulatorClock clock{emu};
    MemorySettings settings;
    RecordingHost host;
    /// GUI-settings files of identified cameras land here, never in the user's data folder.
    TempDir dataFolder;
    std::unique_ptr<TestLink> link;
    std::vector<std::string> logLines;
    camera::LinkLogSink previousSink;
};

}  // namespace corvel::test
