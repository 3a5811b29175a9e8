#include "panels/PanelNames.h"

#include <strings.h>

#include <cstring>
#include <iterator>

namespace panel_names {

namespace {

std::vector<std::string_view> GainOffsetNames()
{
    using namespace gain_offset;
    std::vector<std::string_view> names{kDigitalGain,      kDigitalOffset,      kDigitalGainLimits, kDigitalOffsetLimits,
                                        kAnalogGainLimits, kAnalogOffsetLimits, kTBMode,            kAGCEnable,
                                        kActiveTaps};
    for (const TapNames& tap : kTaps) {
        names.emplace_back(tap.gain);
        names.emplace_back(tap.offset);
    }
    return names;
}

std::vector<std::string_view> ImageNames()
{
    using namespace image;
    return {kBinHorzMode,     kBinVertMode,       kHorFrameSizeMin,   kHorFrameSizeMax, kVerFrameSizeMin,
            kVerFrameSizeMax, kConstFRateEnable,  kNegative,          kMasterAOIHorOffset, kMasterAOIVerOffset,
            kMasterAOIWidth,  kMasterAOIHeight,   kPing};
}

std::vector<std::string_view> OptionalImageNames()
{
    using namespace image;
    return {kTapsMode,      kBitDepth,         kBitShift,         kOutputFormat,      kHPCEnable,
            kFFCEnable,     kLUTEnable,        kBlackLevelEnable, kSmearingMode,      kHPCThreshold,
            kMirrorEnable,  kTestMode,         kBrightnessLevel,  kSlaveAOIMode,      kSlaveAOIHorOffset,
            kSlaveAOIVerOffset, kSlaveAOIWidth, kSlaveAOIHeight};
}

std::vector<std::string_view> KelmirImageNames()
{
    using namespace image;
    std::vector<std::string_view> names = ImageNames();
    names.insert(names.end(), {kMirrorEnable, kFFCEnable, kLUTEnable});
    return names;
}

// BrightnessLevel is left out: no Kelmir map defines it, and the panel collapses its row.
std::vector<std::string_view> OptionalKelmirImageNames()
{
    using namespace image;
    return {kTapsMode,         kBitDepth,     kBitShift,          kOutputFormat,  kDPCEnable,     kDPCSelect,
            kHPCEnable,        kHPCSelect,    kFFCSelect,         kLUTSelect,     kBlackLevelEnable,
            kSmearingMode,     kDPCThreshold, kHPCThreshold,      kTestMode,
            kSlaveAOIMode,     kSlaveAOIHorOffset, kSlaveAOIVerOffset, kSlaveAOIWidth, kSlaveAOIHeight};
}

std::vector<std::string_view> KelmirNames()
{
    using namespace kelmir;
    std::vector<std::string_view> names{kDayNightMode,           kDayNightThreshold,         kPowerControlEnable,
                                        kCCDTemperatureMode,     kUserTECValue,              kEMGainLimits,
                                        kADCAddrSel,             kADCData,                   gain_offset::kDigitalGain,
                                        gain_offset::kDigitalOffset, gain_offset::kDigitalGainLimits,
                                        gain_offset::kDigitalOffsetLimits, gain_offset::kAnalogGainLimits,
                                        gain_offset::kAnalogOffsetLimits, gain_offset::kTBMode,
                                        gain_offset::kTapsMode,  gain_offset::kActiveTaps};
    for (const ChannelNames& channel : kChannels)
        names.insert(names.end(), {channel.dayGain, channel.dayOffset, channel.nightGain, channel.nightOffset,
                                   channel.coarse});
    for (const auto& row : kPresets)
        names.insert(names.end(), std::begin(row), std::end(row));
    return names;
}

}  // namespace

bool SameName(const char* a, const char* b)
{
    return a && b && std::strcmp(a, b) == 0;
}

bool SameNameIgnoringCase(const char* a, const char* b)
{
    return a && b && strcasecmp(a, b) == 0;
}

std::vector<std::string_view> PanelNamesOf(int templateId)
{
    switch (templateId) {
    case 221:
        return GainOffsetNames();
    case 220: {
        using namespace acquisition;
        return {kTriggerDebounce, kTriggerGlitch, kTriggerFrames, kTrStrobeDelay, kExposureDur, kTrExposureDelay,
                kFrameTimeAbsolute, kTriggerType, kTriggerMode, kTriggerEdge, kTriggerOverlap, kTrStrobeEnable,
                kExposureMode, kAcquisitionMode, kFrameTimeEnable, kTriggerSoft, kExposureMin, kExposureMax};
    }
    case 238:
        return {lens::kActiveMount, lens::kInitLens, lens::kLensCtrlStatus, lens::kGetApertureRange,
                lens::kIrisRange, lens::kIrisPosition, lens::kGetFocusEncoder, lens::kResetFocusEncoder,
                lens::kFocusState, lens::kLensPolarity, lens::kFocusStepValue, lens::kIrisStepValue,
                lens::kFocusNearFull, lens::kFocusNearStep, lens::kFocusStop, lens::kFocusFarStep,
                lens::kFocusFarFull, lens::kIrisOpenFull, lens::kIrisOpenStep, lens::kIrisStop,
                lens::kIrisCloseStep, lens::kIrisCloseFull};
    case 230:
        return ImageNames();
    case 224: {
        using namespace white_balance;
        return {kWBMode, kWBRed, kWBGreen, kWBBlue, kWBCRed, kWBCGreen, kWBCBlue};
    }
    case 223:
        return KelmirImageNames();
    case 222: {
        using namespace aec_agc;
        return {kAECEnable,   kAGCEnable,   kLumaMode,         kLumaLevel,   kAECLimitMin, kAECLimitMax,
                kAGCLimitMin, kAGCLimitMax, kExposureMin,      kExposureMax, kExposure,    kAnalogGainLimits,
                kAGCCurrentA, kLumaCurrent, kAECMin,           kAECMax,      kAGCMin,      kAGCMax};
    }
    case 226:
        return KelmirNames();
    case 218: {
        using namespace output;
        return {kOut1Polarity,    kOut1Mapping, kStrobe1Mode, kStrobe1Position, kStrobe1Duration, kPulseGran,
                kPulsePeriod,     kPulseWidth,  kPulseNumber, kPulseEnable,     kFrameTime};
    }
    default:
        return {};
    }
}

std::vector<std::string_view> OptionalPanelNamesOf(int templateId)
{
    switch (templateId) {
    case 221:
        // Only listened to: several catalogues leave it out.
        return {gain_offset::kTapsMode};
    case 220: {
        using namespace acquisition;
        return {kTrStrobeDuration, kWDRMode, kKnee1Weight, kKnee2Weight, kKnee1Position, kKnee2Position,
                kTDIMode, kTDINumber, kTDIDelay};
    }
    case 230:
        return OptionalImageNames();
    case 235:
        return {temperature::kFanMode, temperature::kFanOnLevel, temperature::kTecMode, temperature::kTecOnLevel};
    case 223:
        return OptionalKelmirImageNames();
    case 218: {
        using namespace output;
        return {kOut2Polarity, kOut2Mapping, kStrobe2Mode, kStrobe2Position, kStrobe2Duration};
    }
    default:
        return {};
    }
}

}  // namespace panel_names
