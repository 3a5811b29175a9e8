// A camera link on the emulated Camera Link serial library, owned by a main window that offers
// the catalogue's listeners (panels by slot, the camera-information dialog) and records what
// they hear; the emulated camera starts from a built-in register map with the identity of a
// configuration. Waits of the protocol cost nothing.
#pragma once

#include "catalogues/BuildCatalogZorvatAerospace.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "catalogues/ZorvatCatalogue.h"
#include "emulator/RegisterImage.h"
#include "support/BuiltinMaps.h"

#include "camera/ProtocolFixture.h"

#include <array>
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

/// One Zorvat configuration: its builder, its table, its map, its index and what a build of it
/// gives.
struct ZorvatConfig {
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

inline const ZorvatConfig kZorvatConfigs[] = {
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
};

class ZorvatLinkTest : public EmulatedLinkTest {
protected:
    void SetUp() override
    {
        EmulatedLinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        link->SetMainWindow(&window);
    }

    /// The camera of `config` fresh from its map, and an empty frame log.
    void StartCamera(const ZorvatConfig& config)
    {
        const RegisterMapPtr& map = BuiltinMap(config.mapId);
        ASSERT_TRUE(map);
        emu.LoadRegisters(emu::CameraRegistersFor(*map, config.configIndex));
        emu.ClearFrames();
    }

    /// Builds the catalogue of `config` from its built-in map.
    CatalogueBuildResult Build(const ZorvatConfig& config, bool debugMode)
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

    ListeningWindow window;
};

}  // namespace corvel::test
