// The camera configurations the program knows: the configuration index a camera reports picks a
// row, and the row names the register map ("CamDef.<map name>.xml"), the display name, the
// built-in copy of the map, the window title and the panel variant.
#pragma once

#include <string>

enum class PanelVariant {
    Standard,
    NoAecAgc,  // the machine-vision cameras have no automatic exposure/gain panel
    Kelmir,    // own gain/offset and image panels
};

struct ConfigurationRow {
    const char* mapName;
    const char* displayName;
    int builtinMapId;  // resource id of the built-in map, 0 for none
    const char* windowTitle;
    PanelVariant panels;
    int gainOffsetTemplate = 0;  // the gain/offset slot's template, 0 for the slot's own
    int imageTemplate = 0;       // the image slot's template, 0 for the slot's own
};

inline constexpr int kConfigurationCount = 18;
/// The row used for a camera that is not identified or reports an unknown index.
inline constexpr int kDefaultConfigurationRow = 4;

/// Row of a configuration index: the index itself when it is 0-17, row 4 for anything else
/// (negative, -1 before identification included, or 18 and above).
int ConfigurationRowIndex(int configIndex);

/// The row for a configuration index, by the rule above.
const ConfigurationRow& ConfigurationRowFor(int configIndex);

/// The main window's title for a configuration index ("Corvel" for -1 and unknown indexes).
std::string WindowTitleFor(int configIndex);
