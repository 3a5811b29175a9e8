#include "ConfigurationTable.h"

namespace {

constexpr const char* kCorvel = "Corvel";
constexpr const char* kCorvelZorvat = "Corvel Zorvat";
constexpr const char* kCorvelKelmir = "Corvel Kelmir";

constexpr ConfigurationRow kRows[kConfigurationCount] = {
    {"Wispen", "Wispen", 0, kCorvel, PanelVariant::Standard},
    {"Fandro.6.12", "Fandro 12M/6M", 0, kCorvel, PanelVariant::Standard},
    {"Fandro.12.25", "Fandro 25M/16M", 0, kCorvel, PanelVariant::Standard},
    {"Fandro.6.12.PIV", "Fandro 12M/6M PIV", 0, kCorvel, PanelVariant::Standard},
    {"Zorvat.MachineVision", "Zorvat(Industrial)", 170, kCorvelZorvat, PanelVariant::NoAecAgc},
    {"Zorvat.MachineVision47", "Zorvat 47M(Industrial)", 174, kCorvelZorvat, PanelVariant::NoAecAgc},
    {"Halvik.3GSDI", "Fandro SONY 3GSDI", 0, kCorvel, PanelVariant::Standard},
    {"Kelmir", "Kelmir", 173, kCorvelKelmir, PanelVariant::Kelmir, 226, 223},
    {"Zorvat.Aerospace", "Zorvat(Aerospace)", 171, kCorvelZorvat, PanelVariant::Standard},
    {"Zorvat.Aerospace47", "Zorvat 47M(Aerospace)", 175, kCorvelZorvat, PanelVariant::Standard},
    {"Zorvat.Ruggedized", "Zorvat(Ruggedized)", 172, kCorvelZorvat, PanelVariant::Standard},
    {"Zorvat.Ruggedized47", "Zorvat 47M(Ruggedized)", 176, kCorvelZorvat, PanelVariant::Standard},
    {"Halvik.CL", "Fandro SONY CL", 0, kCorvel, PanelVariant::Standard},
    {"Halvik.U3V", "Fandro SONY U3V", 0, kCorvel, PanelVariant::Standard},
    {"Zorvat.U3V", "Zorvat U3V", 0, kCorvel, PanelVariant::Standard},
    {"Halvik.GEV.Small", "Fandro SONY GEV Small", 0, kCorvel, PanelVariant::Standard},
    {"Halvik.GEV.Micro", "Fandro SONY GEV Micro", 0, kCorvel, PanelVariant::Standard},
    {"Wispen.Correction", "Wispen Cluster Faint Cor.", 0, kCorvel, PanelVariant::Standard},
};

}  // namespace

int ConfigurationRowIndex(int configIndex)
{
    return static_cast<unsigned>(configIndex) < static_cast<unsigned>(kConfigurationCount)
               ? configIndex
               : kDefaultConfigurationRow;
}

const ConfigurationRow& ConfigurationRowFor(int configIndex) { return kRows[ConfigurationRowIndex(configIndex)]; }

std::string WindowTitleFor(int configIndex)
{
    // The title follows the index itself: an unidentified or unknown camera shows the plain name
    // although the default row is built.
    if (static_cast<unsigned>(configIndex) >= static_cast<unsigned>(kConfigurationCount))
        return kCorvel;
    return kRows[configIndex].windowTitle;
}
