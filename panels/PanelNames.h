// The parameter names the feature panels use, each spelled once. Every panel has its own
// namespace here; PanelNamesOf lists them so a test can check each against the catalogues of
// the configurations that show the panel.
#pragma once

#include <string_view>
#include <vector>

namespace panel_names {

/// The names a panel uses, by the panel's template id; empty for an unknown template.
std::vector<std::string_view> PanelNamesOf(int templateId);

/// Gain and offset: the digital stage, the analog front ends and tap balance. The Kelmir
/// gain/offset panel uses the digital and limits names too.
namespace gain_offset {

inline constexpr char kDigitalGain[] = "DigitalGain";
inline constexpr char kDigitalOffset[] = "DigitalOffset";
inline constexpr char kDigitalGainLimits[] = "DigitalGainLimits";
inline constexpr char kDigitalOffsetLimits[] = "DigitalOffsetLimits";
inline constexpr char kAnalogGainLimits[] = "AnalogGainLimits";
inline constexpr char kAnalogOffsetLimits[] = "AnalogOffsetLimits";
inline constexpr char kTBMode[] = "TBMode";
inline constexpr char kTapsMode[] = "TapsMode";
inline constexpr char kAGCEnable[] = "AGCEnable";
inline constexpr char kActiveTaps[] = "ActiveTaps";

/// The gain and offset parameter of one tap.
struct TapNames {
    const char* gain;
    const char* offset;
};

inline constexpr int kTapCount = 16;
/// Taps #1 to #16 in panel order: front ends 1 and 2 run A to D, front ends 3 and 4 D to A.
inline constexpr TapNames kTaps[kTapCount] = {
    {"Gain1A", "Offs1A"}, {"Gain1B", "Offs1B"}, {"Gain1C", "Offs1C"}, {"Gain1D", "Offs1D"},
    {"Gain2A", "Offs2A"}, {"Gain2B", "Offs2B"}, {"Gain2C", "Offs2C"}, {"Gain2D", "Offs2D"},
    {"Gain3D", "Offs3D"}, {"Gain3C", "Offs3C"}, {"Gain3B", "Offs3B"}, {"Gain3A", "Offs3A"},
    {"Gain4D", "Offs4D"}, {"Gain4C", "Offs4C"}, {"Gain4B", "Offs4B"}, {"Gain4A", "Offs4A"},
};

}  // namespace gain_offset

}  // namespace panel_names
