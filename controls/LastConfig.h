// The section "LastConfig" of Corvel.ini: the main window's view and debug flags, the external
// program, the terminal's polling settings, and per panel slot its View flag and its position.
// A key that is missing reads as its default.
#pragma once

#include "platform/ProfileSettings.h"

#include <string>

inline constexpr char kLastConfigSection[] = "LastConfig";

struct LastConfigIntKey {
    const char* name;
    int defaultValue;
};

struct LastConfigTextKey {
    const char* name;
    const char* defaultValue;
};

namespace lastconfig {

inline constexpr LastConfigIntKey kShowPythonPanel{"ShowPythonPanel", 0};
inline constexpr LastConfigIntKey kShowDebugInfo{"ShowDebugInfo", 0};
inline constexpr LastConfigIntKey kLogging{"Logging", 0};
inline constexpr LastConfigIntKey kDebugMode{"DebugMode", 0};
inline constexpr LastConfigIntKey kAnimation{"Animation", 0};  // 0: panels open without animation
inline constexpr LastConfigIntKey kGuruMode{"GuruMode", 0};
inline constexpr LastConfigIntKey kDisablePolling{"DisablePolling", 1};
inline constexpr LastConfigIntKey kPollingTime{"PollingTime", 2000};  // ms
inline constexpr LastConfigTextKey kRunApp{"RunApp", ""};

inline constexpr LastConfigIntKey kIntKeys[] = {kShowPythonPanel, kShowDebugInfo, kLogging, kDebugMode,
                                                kAnimation,       kGuruMode,      kDisablePolling, kPollingTime};

/// The nine panel slots' keys, in slot order. Each holds the slot's View flag (default 1);
/// the key followed by "Pos" holds its position (default empty).
inline constexpr int kPanelSlotCount = 9;
inline constexpr const char* kPanelKeys[kPanelSlotCount] = {
    "pan.GainOffset", "pan.Output", "pan.Acquisition", "pan.AECAGC",          "pan.Image",
    "pan.Color",      "pan.Temperature", "pan.Lens",   "pan.RunPythonScripts"};
inline constexpr int kPanelViewDefault = 1;

/// The main window's panel slots, in slot order (the order of kPanelKeys).
enum PanelSlot : int {
    kSlotGainOffset = 0,
    kSlotOutput = 1,
    kSlotAcquisition = 2,
    kSlotAecAgc = 3,
    kSlotImage = 4,
    kSlotWhiteBalance = 5,
    kSlotTemperature = 6,
    kSlotLens = 7,
    kSlotScripts = 8,
};
static_assert(kSlotScripts + 1 == kPanelSlotCount);

/// The View-flag key of a slot; empty for a slot outside 0-8.
LastConfigIntKey PanelViewKey(int slot);
/// The position key of a slot ("pan.ImagePos"); empty for a slot outside 0-8.
std::string PanelPosKey(int slot);

int Read(const LastConfigIntKey& key, const platform::ProfileSettings& settings = platform::ProfileSettings::Application());
std::string Read(const LastConfigTextKey& key,
                 const platform::ProfileSettings& settings = platform::ProfileSettings::Application());
bool Write(const LastConfigIntKey& key, int value,
           platform::ProfileSettings& settings = platform::ProfileSettings::Application());
bool Write(const LastConfigTextKey& key, const std::string& value,
           platform::ProfileSettings& settings = platform::ProfileSettings::Application());

/// A panel's saved position: docked to the main window, or floating at (left, top) in screen
/// coordinates.
struct PanelPos {
    bool docked = true;
    int left = 0;
    int top = 0;
};

/// Parses "docked left top". The panel floats only when all three numbers are there and the
/// flag is 0; anything else (empty, not a number, a flag alone) leaves it docked.
PanelPos ParsePanelPos(const std::string& text);
/// "%d %d %d".
std::string FormatPanelPos(const PanelPos& pos);

}  // namespace lastconfig
