// A camera link on the emulated camera with a small hand-made catalogue for the workspace,
// dump and GUI-settings files: fields sharing registers (workspace and not), every parameter
// type, a sign-magnitude field, a limits entry without bits, and registers on both sides of
// the dump's excluded ranges. GUI-settings files go to a temporary data folder.
#pragma once

#include "ProtocolFixture.h"
#include "support/TempDir.h"

#include "camera/CameraLink.h"
#include "camera/IWaitIndicator.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <iterator>
#include <string>
#include <vector>

namespace corvel::test {

/// Records each Begin ("+text") and End ("-") of the wait window.
class RecordingWait : public IWaitIndicator {
public:
    std::vector<std::string> events;
    void Begin(const std::string& text) override { events.push_back("+" + text); }
    void End() override { events.push_back("-"); }
};

inline RegisterLink WsLink(std::uint16_t address, std::uint32_t mask, int shift, const char* cmd)
{
    RegisterLink link = MakeLink(address, mask, shift, cmd);
    link.ws = true;
    return link;
}

using RegisterWords = std::map<std::uint16_t, std::uint32_t>;

/// After a replay on a camera whose registers in `saved` were all set to `scrambled`: the
/// supervisor and error-checking registers are back to 0, a workspace register holds the
/// workspace bits of its saved word, every other register still its scrambled word.
inline void ExpectWorkspaceRestored(emu::ClserEmuControl& emu, const RegisterWords& saved,
                                    const RegisterWords& workspaceBits, std::uint32_t scrambled)
{
    for (const auto& [address, word] : saved) {
        SCOPED_TRACE(testing::Message() << "register 0x" << std::hex << address);
        if (address == 0x6014 || address == 0x6034) {
            EXPECT_EQ(emu.Register(address), 0u) << "left in normal mode";
        } else if (auto bits = workspaceBits.find(address); bits != workspaceBits.end()) {
            EXPECT_EQ(emu.Register(address), word & bits->second);
        } else {
            EXPECT_EQ(emu.Register(address), scrambled) << "not part of the workspace";
        }
    }
}

class WorkspaceTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped())
            return;
        link->SetDataFolder(folder.Path() / "data");
        link->SetWaitIndicator(&wait);
    }

    /// The hand-made catalogue, in this order (the dump lists fields in it).
    void DefineCatalogue()
    {
        Define("Limits", OrvParam_Int, WsLink(0x0000, 0, 0, "lim"));
        Define("Gain", OrvParam_Int, WsLink(0x0100, 0x3FF, 0, "gain"));
        Define("Offset", OrvParam_Int, WsLink(0x0100, 0xFF, 16, "off"));
        Define("TestMode", OrvParam_Bool, MakeLink(0x0100, 0x1, 31, "tm"));
        Define("Enable", OrvParam_Bool, WsLink(0x0104, 0x1, 0, "en"));
        Define("Exposure", OrvParam_Float, WsLink(0x0108, 0xFFFF, 0, "exp"), 0.0, 0.5, 1000.0);
        Define("BitShift", OrvParam_Int, WsLink(0x010C, 0x0F, 4, "bs"));
        Define("Format_A", OrvParam_Int, MakeLink(0x0110, 0xFF, 0, "fa"));
        Define("Tag", OrvParam_String, WsLink(0x0200, 0xFFFFFFFF, 0, "tag"));
        Define("FlashWord", OrvParam_Int, MakeLink(0x0700, 0xFFFF, 0, "fw"));
        Define("CCD_ID", OrvParam_Int, MakeLink(0x6000, 0xFFF, 0, "id"));
        Define("CCD_VSUB", OrvParam_Int, MakeLink(0x6000, 0xFF, 12, "vsub"));
        Define("FwRev", OrvParam_Int, MakeLink(0x6004, 0xFFFFFFFF, 0, "rev"));
        Define("Temperature", OrvParam_Int, MakeLink(0x6010, 0xFFFF, 0, "temp"));
        Define("HighReg", OrvParam_Int, MakeLink(0x6080, 0xFFFFFFFF, 0, "hr"));
    }

    /// Camera registers behind the catalogue, as the golden files show them.
    void LoadGoldenRegisters()
    {
        emu.SetRegister(0x0100, 0x80AB0123);
        emu.SetRegister(0x0104, 0x00000001);
        emu.SetRegister(0x0108, 0x00000028);
        emu.SetRegister(0x010C, 0x00000090);
        emu.SetRegister(0x0110, 0x00000055);
        emu.SetRegister(0x0200, 0x41424344);
        emu.SetRegister(0x0700, 0x00001111);
        emu.SetRegister(0x6000, 0x000AB123);
        emu.SetRegister(0x6004, 0x01020304);
        emu.SetRegister(0x6010, 0x00000033);
        emu.SetRegister(0x6080, 0xFFFFFFFE);
    }

    /// The write frames the camera received since the last ClearFrames, as rgs lines.
    std::vector<std::string> WriteLines()
    {
        std::vector<std::string> lines;
        for (const Bytes& f : Frames()) {
            if (f.size() != 7 || f[0] != 0x57)
                continue;
            char text[32];
            std::snprintf(text, sizeof text, "57 %02X%02X %02X%02X%02X%02X", f[1], f[2], f[3], f[4], f[5], f[6]);
            lines.emplace_back(text);
        }
        return lines;
    }

    std::string ReadFile(const std::filesystem::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteFile(const std::filesystem::path& path, const std::string& text) const
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    TempDir folder;
    RecordingWait wait;
};

}  // namespace corvel::test
