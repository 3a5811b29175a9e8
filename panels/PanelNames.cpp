#include "panels/PanelNames.h"

namespace panel_names {

std::vector<std::string_view> PanelNamesOf(int templateId)
{
    switch (templateId) {
    case 238:
        return {lens::kActiveMount, lens::kInitLens, lens::kLensCtrlStatus, lens::kGetApertureRange,
                lens::kIrisRange, lens::kIrisPosition, lens::kGetFocusEncoder, lens::kResetFocusEncoder,
                lens::kFocusState, lens::kLensPolarity, lens::kFocusStepValue, lens::kIrisStepValue,
                lens::kFocusNearFull, lens::kFocusNearStep, lens::kFocusStop, lens::kFocusFarStep,
                lens::kFocusFarFull, lens::kIrisOpenFull, lens::kIrisOpenStep, lens::kIrisStop,
                lens::kIrisCloseStep, lens::kIrisCloseFull};
    default:
        return {};
    }
}

}  // namespace panel_names
