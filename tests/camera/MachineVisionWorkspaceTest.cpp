// The workspace round trip on the machine-vision catalogues of configurations 4 and 5, built
// by their builders from the built-in register maps over an emulated camera of that
// configuration: change every workspace parameter, save the workspace, scramble the camera,
// replay, and compare every register.
#include "WorkspaceFixture.h"
#include "catalogues/MachineVisionFixture.h"

#include "camera/ValueCoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <strings.h>

using namespace corvel::test;

namespace {

constexpr std::uint32_t kScrambled = 0x5AC3A55C;

class MachineVisionWorkspaceTest : public CatalogueLinkTest,
                                   public ::testing::WithParamInterface<CatalogueConfig> {
protected:
    TempDir folder;
};

std::string ConfigName(const ::testing::TestParamInfo<CatalogueConfig>& info) { return info.param.name; }

/// The register bits a camera write of the parameter sets.
std::uint32_t FieldBits(const _OrvStParam& param, const RegisterLink& reg)
{
    if (param.type == OrvParam_String)
        return 0xFFFFFFFF;
    if (::strcasecmp(param.name, "BaudRate") == 0)
        return reg.mask;
    return ValueCoder::ShiftUp(reg.mask, reg.shift);
}

// Example failure: a workspace saved from a real catalogue does not replay to the registers it
// was saved from (a field coded with another mask or shift than a camera write, a register
// outside the workspace written, supervisor mode or error checking left on), or the GUI
// settings do not come back.
TEST_P(MachineVisionWorkspaceTest, SaveResetReplayRestoresEveryRegister)
{
    const CatalogueConfig& config = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartCamera(config));
    const emu::RegisterImage image = emu::CameraRegistersFor(*BuiltinMap(config.mapId), config.configIndex);
    link->SetCheckErrorDisabled(true);
    const CatalogueBuildResult built = Build(config, false);
    ASSERT_TRUE(built.built);
    ASSERT_TRUE(built.problems.empty());
    link->GoOnline();

    // Change every workspace parameter through the store, as the panels do.
    RegisterWords workspaceBits;
    int changed = 0;
    for (const _OrvStParam& param : Records()) {
        RegisterLink reg;
        if (GetRegisterLink(*link, param.name, reg) != 0 || !reg.ws || reg.mask == 0)
            continue;
        SCOPED_TRACE(param.name);
        // The replay leaves the line rate as it is.
        if (::strcasecmp(param.name, "BaudRate") != 0)
            workspaceBits[reg.address] |= FieldBits(param, reg);
        if (param.type == OrvParam_Int) {
            std::int64_t value = 0;
            ASSERT_EQ(link->GetParamInt(param.name, &value), 0);
            ASSERT_EQ(link->SetParamIntIfOnline(param.name, (value + 1) & reg.mask, true, false), 0);
            ++changed;
        } else if (param.type == OrvParam_Bool) {
            bool value = false;
            ASSERT_EQ(link->GetParamBool(param.name, &value), 0);
            ASSERT_EQ(link->SetParamBool(param.name, !value, true), 0);
            ++changed;
        }
    }
    ASSERT_GT(changed, 100);
    link->SetDataFolder(folder.Path());
    link->m_strSettingsKey = "EMU";
    link->m_GuiSettings.SetDefaults();
    const CParamsMap::Entries settings = link->m_GuiSettings.Items();

    std::set<std::uint16_t> addresses = {0x6014, 0x6034};
    for (const auto& [address, word] : image)
        addresses.insert(address);
    for (const auto& [address, bits] : workspaceBits)
        addresses.insert(address);
    RegisterWords saved;
    for (std::uint16_t a : addresses)
        saved[a] = emu.Register(a);
    const auto file = folder / (std::string(config.name) + ".rgs");
    ASSERT_EQ(link->WriteRgsFile(file), 0);

    for (std::uint16_t a : addresses)
        emu.SetRegister(a, kScrambled);
    link->m_GuiSettings.Clear();
    ReplayReport report;
    ASSERT_EQ(link->LoadWorkspaceFromFile(file, &report), 0);
    EXPECT_EQ(report.sent, static_cast<int>(workspaceBits.size()) + 4);
    EXPECT_TRUE(window.appBoxes.empty());

    ExpectWorkspaceRestored(emu, saved, workspaceBits, kScrambled);
    EXPECT_GT(addresses.size(), 200u);
    EXPECT_EQ(link->m_GuiSettings.Items(), settings);
}

// Example failure: the replay writes the rate register of a file saved at another rate, the
// camera switches its line in the middle of the file, and every line after it is lost: the
// camera no longer answers and stays in supervisor mode with its error checking off.
TEST_P(MachineVisionWorkspaceTest, AFileSavedAtAnotherRateLeavesTheCameraReachable)
{
    const CatalogueConfig& config = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartCamera(config));
    link->SetCheckErrorDisabled(true);
    ASSERT_TRUE(Build(config, false).built);
    link->GoOnline();
    ASSERT_EQ(link->m_nBaudRate, 115200);
    std::int64_t rateIndex = -1;
    ASSERT_EQ(link->GetParamInt("BaudRate", &rateIndex), 0);
    ASSERT_EQ(rateIndex, 4) << "saved at 115200";
    const auto file = folder / "at115200.rgs";
    ASSERT_EQ(link->WriteRgsFile(file), 0);
    std::ifstream in(file, std::ios::binary);
    const std::string saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_NE(saved.find("57 0604 00000004\r\n"), std::string::npos);

    emu.SetCameraBaud(9600);
    ASSERT_EQ(link->SetBaudRate(9600), 0);
    emu.ClearFrames();
    ReplayReport report;
    EXPECT_EQ(link->LoadWorkspaceFromFile(file, &report), 0);
    EXPECT_EQ(report.skipped, 1);
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(window.appBoxes.empty());
    EXPECT_EQ(emu.CameraBaud(), 9600);
    EXPECT_EQ(link->m_nBaudRate, 9600);
    EXPECT_EQ(emu.Register(0x6014), 0u) << "out of supervisor mode";
    EXPECT_EQ(emu.Register(0x6034), 0u) << "error checking back on";
    for (const auto& frame : emu.Frames()) {
        EXPECT_EQ(frame.hostBaud, 9600);
        EXPECT_FALSE(frame.bytes.size() == 7 && frame.bytes[1] == 0x06 && frame.bytes[2] == 0x04)
            << "the rate register is not written";
    }
    EXPECT_TRUE(link->IsConnected(true));
}

INSTANTIATE_TEST_SUITE_P(Configurations, MachineVisionWorkspaceTest, ::testing::ValuesIn(kZorvatConfigs),
                         ConfigName);

}  // namespace
