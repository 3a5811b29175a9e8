#include "ConfigurationTable.h"

namespace {

constexpr const char* kCorvel = "Corvel";
constexpr const char* kCorvelZorvat = "Corvel Zorvat";
constexpr const char* kCorvelKelmir = "Corvel Kelmir";

// Map name, display name, built-in map, window title, panels, 47M sensor, large for the download
// terminal[, gain/offset template, image template].
constexpr ConfigurationRow kRows[kConfigurationCount] = {
    {"Wispen", "Wispen", 0, kCorvel, PanelVariant::Standard, false, false},
    {"Fandro.6.12", "Fandro 12M/6M", 0, kCorvel, PanelVariant::Standard, false, false},
    {"Fandro.12.25", "Fandro 25M/16M", 0, kCorvel, PanelVariant::Standard, false, false},
    {"Fandro.6.12.PIV", "Fandro 12M/6M PIV", 0, kCorvel, PanelVariant::Standard, false, false},
    {"Zorvat.MachineVision", "Zorvat(Industrial)", 170, kCorvelZorvat, PanelVariant::NoAecAgc, false, false},
    {"Zorvat.MachineVision47", "Zorvat 47M(Industrial)", 174, kCorvelZorvat, PanelVariant::NoAecAgc, true, true},
    {"Halvik.3GSDI", "Fandro SONY 3GSDI", 0, kCorvel, PanelVariant::Standard, false, false},
    {"Kelmir", "Kelmir", 173, kCorvelKelmir, PanelVariant::Kelmir, false, false, 226, 223},
    {"Zorvat.Aerospace", "Zorvat(Aerospace)", 171, kCorvelZorvat, PanelVariant::Standard, false, false},
    {"Zorvat.Aerospace47", "Zorvat 47M(Aerospace)", 175, kCorvelZorvat, PanelVariant::Standard, true, true},
    {"Zorvat.Ruggedized", "Zorvat(Ruggedized)", 172, kCorvelZorvat, PanelVariant::Standard, false, true},
    {"Zorvat.Ruggedized47", "Zorvat 47M(Ruggedized)", 176, kCorvelZorvat, PanelVariant::Standard, true, true},
    {"Halvik.CL", "Fandro SONY CL", 0, kCorvel, PanelVariant::Standard, false, true},
    {"Halvik.U3V", "Fandro SONY U3V", 0, kCorvel, PanelVariant::Standard, false, true},
    {"Zorvat.U3V", "Zorvat U3V", 0, kCorvel, PanelVariant::Standard, false, true},
    {"Halvik.GEV.Small", "Fandro SONY GEV Small", 0, kCorvel, PanelVariant::Standard, false, true},
    {"Halvik.GEV.Micro", "Fandro SONY GEV Micro", 0, kCorvel, PanelVariant::Standard, false, true},
    {"Wispen.Correction", "Wispen Cluster Faint Cor.", 0, kCorvel, PanelVariant::Standard, false, true},
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

bool IsLargeSensor47M(int configIndex)
{
    return static_cast<unsigned>(configIndex) < static_cast<unsigned>(kConfigurationCount) &&
           kRows[configIndex].largeSensor47M;
}

bool IsLargeSensorForDownload(int configIndex)
{
    if (configIndex >= kConfigurationCount)
        return true;
    return configIndex >= 0 && kRows[configIndex].largeSensorForDownload;
}
