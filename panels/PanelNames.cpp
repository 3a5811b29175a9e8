#include "panels/PanelNames.h"

namespace panel_names {

std::vector<std::string_view> PanelNamesOf(int templateId)
{
    switch (templateId) {
    case 220: {
        using namespace acquisition;
        return {kTriggerDebounce, kTriggerGlitch, kTriggerFrames, kTrStrobeDelay, kExposureDur, kTrExposureDelay,
                kFrameTimeAbsolute, kTriggerType, kTriggerMode, kTriggerEdge, kTriggerOverlap, kTrStrobeEnable,
                kExposureMode, kAcquisitionMode, kFrameTimeEnable, kTriggerSoft, kExposureMin, kExposureMax};
    }
    default:
        return {};
    }
}

std::vector<std::string_view> OptionalPanelNamesOf(int templateId)
{
    switch (templateId) {
    case 220: {
        using namespace acquisition;
        return {kTrStrobeDuration, kWDRMode, kKnee1Weight, kKnee2Weight, kKnee1Position, kKnee2Position,
                kTDIMode, kTDINumber, kTDIDelay};
    }
    default:
        return {};
    }
}

}  // namespace panel_names
