#include "panels/PanelNames.h"

namespace panel_names {

namespace {

std::vector<std::string_view> GainOffsetNames()
{
    using namespace gain_offset;
    // TapsMode is only listened to: several catalogues leave it out and the panel hears nothing.
    std::vector<std::string_view> names{kDigitalGain,      kDigitalOffset,      kDigitalGainLimits, kDigitalOffsetLimits,
                                        kAnalogGainLimits, kAnalogOffsetLimits, kTBMode,            kAGCEnable,
                                        kActiveTaps};
    for (const TapNames& tap : kTaps) {
        names.emplace_back(tap.gain);
        names.emplace_back(tap.offset);
    }
    return names;
}

}  // namespace

std::vector<std::string_view> PanelNamesOf(int templateId)
{
    switch (templateId) {
    case 221:
        return GainOffsetNames();
    default:
        return {};
    }
}

}  // namespace panel_names
