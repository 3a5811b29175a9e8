// The camera configurations the program knows: the configuration index a camera reports picks a
// row, and the row names the register map ("CamDef.<map name>.xml"), the display name, the
// built-in copy of the map, the window title, the panel variant and the sensor facts the image
// panel and the flash tools go by.
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
    /// The 47M sensor: no 12-bit pixels at 16 taps; the defect-map editor reads its defect words
    /// with 14-bit columns and bottom-up lists and its flat-field tables longer.
    bool largeSensor47M;
    /// The download terminal's large-sensor layout: flat-field tables of 192 pages, defect tables
    /// with a bottom-up list and 14-bit columns. Wider than the 47M sensors (every row from 9).
    bool largeSensorForDownload;
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

/// The 47M sensor fact for any configuration index; false outside the table.
bool IsLargeSensor47M(int configIndex);

/// The download terminal's large-sensor layout for any configuration index: the row's fact for
/// 0-17, large for every index past the table (18 up), small for negative ones (-1 before
/// identification).
bool IsLargeSensorForDownload(int configIndex);
