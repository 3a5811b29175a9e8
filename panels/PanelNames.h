// The parameter names the feature panels use, each spelled once. Every panel has its own
// namespace here; PanelNamesOf lists them so a test can check each against the catalogues of
// the configurations that show the panel.
#pragma once

#include <string_view>
#include <vector>

namespace panel_names {

/// The lens control panel (template 238).
namespace lens {
inline constexpr char kActiveMount[] = "CanonActiveMount";
inline constexpr char kInitLens[] = "CanonInitLens";
inline constexpr char kLensCtrlStatus[] = "CanonLensCtrlStatus";
inline constexpr char kGetApertureRange[] = "CanonGetApertureRange";
inline constexpr char kIrisRange[] = "CanonIrisRange";
inline constexpr char kIrisPosition[] = "CanonIrisPosition";
inline constexpr char kGetFocusEncoder[] = "CanonGetFocusEncoder";
inline constexpr char kResetFocusEncoder[] = "CanonResetFocusEncoder";
inline constexpr char kFocusState[] = "CanonFocusState";
inline constexpr char kLensPolarity[] = "CanonLensPolarity";
inline constexpr char kFocusStepValue[] = "FocusStepValue";
inline constexpr char kIrisStepValue[] = "IrisStepValue";
inline constexpr char kFocusNearFull[] = "FocusNearFull";
inline constexpr char kFocusNearStep[] = "FocusNearStep";
inline constexpr char kFocusStop[] = "FocusStop";
inline constexpr char kFocusFarStep[] = "FocusFarStep";
inline constexpr char kFocusFarFull[] = "FocusFarFull";
inline constexpr char kIrisOpenFull[] = "IrisOpenFull";
inline constexpr char kIrisOpenStep[] = "IrisOpenStep";
inline constexpr char kIrisStop[] = "IrisStop";
inline constexpr char kIrisCloseStep[] = "IrisCloseStep";
inline constexpr char kIrisCloseFull[] = "IrisCloseFull";
}  // namespace lens

/// The names a panel uses, by the panel's template id; empty for an unknown template.
std::vector<std::string_view> PanelNamesOf(int templateId);

}  // namespace panel_names
