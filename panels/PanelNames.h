// The parameter names the feature panels use, each spelled once. Every panel has its own
// namespace here; PanelNamesOf lists them so a test can check each against the catalogues of
// the configurations that show the panel.
#pragma once

#include <string_view>
#include <vector>

namespace panel_names {

/// The acquisition panel (template 220).
namespace acquisition {
inline constexpr char kTriggerDebounce[] = "TriggerDebounce";
inline constexpr char kTriggerGlitch[] = "TriggerGlitch";
inline constexpr char kTriggerFrames[] = "TriggerFrames";
inline constexpr char kTrStrobeDuration[] = "TrStrobeDuration";
inline constexpr char kTrStrobeDelay[] = "TrStrobeDelay";
inline constexpr char kExposureDur[] = "ExposureDur";
inline constexpr char kTrExposureDelay[] = "TrExposureDelay";
inline constexpr char kFrameTimeAbsolute[] = "FrameTimeAbsolute";
inline constexpr char kTDINumber[] = "TDINumber";
inline constexpr char kTDIDelay[] = "TDIDelay";
inline constexpr char kTriggerType[] = "TriggerType";
inline constexpr char kTriggerMode[] = "TriggerMode";
inline constexpr char kTriggerEdge[] = "TriggerEdge";
inline constexpr char kTriggerOverlap[] = "TriggerOverlap";
inline constexpr char kTrStrobeEnable[] = "TrStrobeEnable";
inline constexpr char kExposureMode[] = "ExposureMode";
inline constexpr char kWDRMode[] = "WDRMode";
inline constexpr char kKnee1Weight[] = "Knee1Weight";
inline constexpr char kKnee2Weight[] = "Knee2Weight";
inline constexpr char kKnee1Position[] = "Knee1Position";
inline constexpr char kKnee2Position[] = "Knee2Position";
inline constexpr char kTDIMode[] = "TDIMode";
inline constexpr char kAcquisitionMode[] = "AcquisitionMode";
inline constexpr char kFrameTimeEnable[] = "FrameTimeEnable";
inline constexpr char kTriggerSoft[] = "TriggerSoft";
inline constexpr char kExposureMin[] = "ExposureMin";
inline constexpr char kExposureMax[] = "ExposureMax";
}  // namespace acquisition

/// The names a panel uses, by the panel's template id; empty for an unknown template.
std::vector<std::string_view> PanelNamesOf(int templateId);

/// The names of a panel's sections that some cameras lack (the panel hides or collapses them);
/// each is in the catalogue of at least one configuration that shows the panel. Empty for a
/// panel without such sections.
std::vector<std::string_view> OptionalPanelNamesOf(int templateId);

}  // namespace panel_names
