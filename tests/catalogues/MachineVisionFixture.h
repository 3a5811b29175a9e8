// A camera link on the emulated Camera Link serial library, owned by a main window that offers
// the catalogue's listeners (panels by slot, the camera-information dialog) and records what
// they hear; the emulated camera starts from a built-in register map with the identity of a
// configuration. Waits of the protocol cost nothing.
#pragma once

#include "catalogues/BuildCatalogZorvatAerospace.h"
#include "catalogues/BuildCatalogZorvatAerospace47.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "catalogues/BuildCatalogZorvatRuggedized.h"
#include "catalogues/ZorvatCatalogue.h"
#include "emulator/RegisterImage.h"
#include "support/BuiltinMaps.h"

#include "camera/ProtocolFixture.h"

#include "camera/CXmlNodeValue.h"

#include <array>
#include <set>
#include <stdexcept>
#include <string_view>
#include <string>
#include <vector>

namespace corvel::test {

/// A panel or dialog that records the names it is told about.
class NameRecorder : public OrvParamListener {
public:
    std::vector<std::string> names;
    void OnParamChanged(const _OrvStParam* param) override { names.push_back(param->name); }
};

/// The main window: a recording host that also offers its panels and dialog as listeners.
class ListeningWindow : public RecordingHost, public ICatalogueListeners {
public:
    std::array<OrvParamListener*, 9> panels{};
    OrvParamListener* cameraInfo = nullptr;

    OrvParamListener* PanelListener(int slot) override
    {
        return slot >= 0 && slot < static_cast<int>(panels.size()) ? panels[static_cast<std::size_t>(slot)] : nullptr;
    }
    OrvParamListener* CameraInfoListener() override { return cameraInfo; }
};

/// One configuration: its builder, its table, its map, its index and what a build of it
/// gives.
struct CatalogueConfig {
    const char* name;
    CatalogueBuildResult (*build)(CCameraLink&, RegisterMapPtr, bool);
    const CatalogueTable& (*catalogue)();
    int mapId;
    int configIndex;
    int ints;          ///< integer parameters; every one also has 7 booleans, 15 texts and 4 floats
    int writableInts;  ///< integers with write access, each in a register of its own
    double analogGainMax;
    std::vector<std::string> leftOut;  ///< elements of its map that it never defines

    int Total() const { return ints + 7 + 15 + 4; }
};

inline const CatalogueConfig kZorvatConfigs[] = {
    {"MachineVision", BuildCatalogZorvatMachineVision, MachineVisionCatalogue, kMap170, 4, 271, 213, 24.0,
     {"TriggerPeriod", "VSubWrite", "RgsCamInfo", "TapsMode", "DPCEnable", "SmearingMode", "DPCThreshold",
      "HPCThreshold", "SlaveAOIMode", "TrStrobeDuration", "Strobe2Mode", "Strobe2Duration", "Strobe2Position",
      "Out2Polarity", "Out2Mapping"}},
    {"MachineVision47", BuildCatalogZorvatMachineVision47, MachineVision47Catalogue, kMap174, 5, 262, 204, 24.0,
     {"TriggerPeriod", "VSubWrite", "RgsCamInfo", "TapsMode", "DPCEnable", "SmearingMode", "DPCThreshold",
      "HPCThreshold", "SlaveAOIMode", "TrStrobeDuration", "Strobe2Mode", "Strobe2Duration", "Strobe2Position",
      "Out2Polarity", "Out2Mapping", "OutputFormat", "TecMode", "TecOnLevel", "MirrorEnable", "WDRMode",
      "Knee1Position", "Knee1Weight", "Knee2Position", "Knee2Weight"}},
    {"Aerospace", BuildCatalogZorvatAerospace, AerospaceCatalogue, kMap171, 8, 279, 221, 36.0,
     {"TriggerPeriod", "VSubWrite", "RgsCamInfo", "DPCEnable", "DPCThreshold"}},
    {"Aerospace47", BuildCatalogZorvatAerospace47, Aerospace47Catalogue, kMap175, 9, 274, 216, 36.0,
     {"TriggerPeriod", "VSubWrite", "RgsCamInfo", "TapsMode", "OutputFormat", "DPCEnable", "TecMode", "TecOnLevel",
      "MirrorEnable", "DPCThreshold"}},
    {"Ruggedized", BuildCatalogZorvatRuggedized, RuggedizedCatalogue, kMap172, 10, 279, 221, 36.0,
     {"TriggerPeriod", "VSubWrite", "RgsCamInfo", "TapsMode", "DPCEnable", "DPCThreshold", "TrStrobeDuration"}},
    {"Ruggedized47", BuildCatalogZorvatRuggedized47, Ruggedized47Catalogue, kMap176, 11, 270, 212, 36.0,
     {"TriggerPeriod", "VSubWrite", "RgsCamInfo", "TapsMode", "DPCEnable", "DPCThreshold", "TrStrobeDuration",
      "OutputFormat", "TecMode", "TecOnLevel", "MirrorEnable", "WDRMode", "Knee1Position", "Knee1Weight",
      "Knee2Position", "Knee2Weight"}},
};

/// The Zorvat configuration of a configuration index (the list's order is no one's business).
inline const CatalogueConfig& ZorvatConfigOf(int configIndex)
{
    for (const CatalogueConfig& config : kZorvatConfigs)
        if (config.configIndex == configIndex)
            return config;
    throw std::out_of_range("no Zorvat configuration " + std::to_string(configIndex));
}

class CatalogueLinkTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        link->SetMainWindow(&window);
    }

    /// The camera of `config` fresh from its map, and an empty frame log.
    void StartCamera(const CatalogueConfig& config)
    {
        const RegisterMapPtr& map = BuiltinMap(config.mapId);
        ASSERT_TRUE(map);
        emu.LoadRegisters(emu::CameraRegistersFor(*map, config.configIndex));
        emu.ClearFrames();
    }

    /// Builds the catalogue of `config` from its built-in map.
    CatalogueBuildResult Build(const CatalogueConfig& config, bool debugMode)
    {
        return config.build(*link, BuiltinMap(config.mapId), debugMode);
    }

    /// The store's records in the store's order.
    std::vector<_OrvStParam> Records()
    {
        std::size_t count = 0;
        link->GetParametersList(nullptr, &count);
        std::vector<_OrvStParam> records(count);
        link->GetParametersList(records.data(), &count);
        records.resize(count);
        return records;
    }


    /// Writes every linked writable integer of the store at its minimum, its maximum and a
    /// value between, and reads each back: the camera's word must hold the masked, shifted value
    /// and each operation take exactly one frame. Counts the parameters and their addresses.
    void SweepWritableIntegers(const RegisterMap& map, int& swept, std::set<std::uint16_t>& addresses)
    {
        for (const _OrvStParam& record : Records()) {
            if (record.type != OrvParam_Int || record.access < OrvParam_Write)
                continue;
            SCOPED_TRACE(record.name);
            RegisterLink reg;
            ASSERT_EQ(GetRegisterLink(*link, record.name, reg), 0);
            ASSERT_NE(reg.mask, 0u);
            ASSERT_GE(reg.shift, 0);
            ASSERT_LT(reg.shift, 32);
            const CXmlNodeValue element = map.Select(reg.path);
            ASSERT_TRUE(element) << reg.path;
            EXPECT_EQ(element.Name(), record.name);
            EXPECT_EQ(reg.address, element.Select("address").AsInt64());
            EXPECT_EQ(reg.mask, element.Select("mask").AsInt64());
            EXPECT_EQ(reg.shift, element.Select("shift").AsInt64());
            addresses.insert(reg.address);

            // The ends of the range and a value in between with mixed bits. All are non-negative
            // in these maps, so the sign-magnitude "BitShift" codes them plainly as well.
            const std::int64_t lo = record.min.n, hi = record.max.n;
            ASSERT_GE(lo, 0);
            for (std::int64_t value : {lo, hi, lo + (hi - lo) / 3}) {
                SCOPED_TRACE(value);
                const std::uint32_t field = static_cast<std::uint32_t>(value) & reg.mask;
                const std::uint32_t word = static_cast<std::uint32_t>(static_cast<std::uint64_t>(field) << reg.shift);
                emu.ClearFrames();
                ASSERT_EQ(link->SetParamIntIfOnline(record.name, value, false, false), 0);
                EXPECT_EQ(emu.Register(reg.address), word);
                // A listed rate switches the camera's line after the answer: the host follows.
                constexpr int kRates[] = {9600, 19200, 38400, 57600, 115200};
                if (std::string_view(record.name) == "BaudRate" && field < std::size(kRates)) {
                    ASSERT_EQ(link->SetBaudRate(kRates[field]), 0);
                }
                std::int64_t back = -1;
                ASSERT_EQ(link->GetParamInt(record.name, &back), 0);
                EXPECT_EQ(back, static_cast<std::int64_t>(field));
                EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(reg.address, word), ReadFrame(reg.address)}));
            }
            ++swept;
        }
    }

    ListeningWindow window;
};

}  // namespace corvel::test
