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

/// Name matching of the panels' listeners: exact, or ignoring the case of ASCII letters.
bool SameName(const char* a, const char* b);
bool SameNameIgnoringCase(const char* a, const char* b);

/// The names a panel needs in every catalogue that shows it, by the panel's template id; empty
/// for an unknown template.
std::vector<std::string_view> PanelNamesOf(int templateId);

/// The names a panel uses only where the catalogue defines them (it hides or collapses their
/// controls elsewhere), by template id; each is in at least one catalogue that shows the panel.
std::vector<std::string_view> OptionalPanelNamesOf(int templateId);

/// The Image Parameters panel (template 230).
namespace image {
inline constexpr char kBinHorzMode[] = "BinHorzMode";
inline constexpr char kBinVertMode[] = "BinVertMode";
inline constexpr char kHorFrameSizeMin[] = "HorFrameSizeMin";
inline constexpr char kHorFrameSizeMax[] = "HorFrameSizeMax";
inline constexpr char kVerFrameSizeMin[] = "VerFrameSizeMin";
inline constexpr char kVerFrameSizeMax[] = "VerFrameSizeMax";
inline constexpr char kTapsMode[] = "TapsMode";
inline constexpr char kBitDepth[] = "BitDepth";
inline constexpr char kBitShift[] = "BitShift";
inline constexpr char kOutputFormat[] = "OutputFormat";
inline constexpr char kHPCEnable[] = "HPCEnable";
inline constexpr char kFFCEnable[] = "FFCEnable";
inline constexpr char kLUTEnable[] = "LUTEnable";
inline constexpr char kBlackLevelEnable[] = "BlackLevelEnable";
inline constexpr char kSmearingMode[] = "SmearingMode";
inline constexpr char kHPCThreshold[] = "HPCThreshold";
inline constexpr char kMirrorEnable[] = "MirrorEnable";
inline constexpr char kConstFRateEnable[] = "ConstFRateEnable";
inline constexpr char kNegative[] = "Negative";
inline constexpr char kTestMode[] = "TestMode";
inline constexpr char kBrightnessLevel[] = "BrightnessLevel";
inline constexpr char kSlaveAOIMode[] = "SlaveAOIMode";
inline constexpr char kMasterAOIHorOffset[] = "MasterAOIHorOffset";
inline constexpr char kMasterAOIVerOffset[] = "MasterAOIVerOffset";
inline constexpr char kMasterAOIWidth[] = "MasterAOIWidth";
inline constexpr char kMasterAOIHeight[] = "MasterAOIHeight";
inline constexpr char kSlaveAOIHorOffset[] = "SlaveAOIHorOffset";
inline constexpr char kSlaveAOIVerOffset[] = "SlaveAOIVerOffset";
inline constexpr char kSlaveAOIWidth[] = "SlaveAOIWidth";
inline constexpr char kSlaveAOIHeight[] = "SlaveAOIHeight";
inline constexpr char kPing[] = "Ping";
// The Kelmir image panel (template 223) uses these too.
inline constexpr char kDPCEnable[] = "DPCEnable";
inline constexpr char kDPCSelect[] = "DPCSelect";
inline constexpr char kHPCSelect[] = "HPCSelect";
inline constexpr char kFFCSelect[] = "FFCSelect";
inline constexpr char kLUTSelect[] = "LUTSelect";
inline constexpr char kDPCThreshold[] = "DPCThreshold";
}  // namespace image

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

/// The output panel (template 218). The machine-vision cameras have neither a second output nor
/// a second strobe.
namespace output {
inline constexpr char kOut1Polarity[] = "Out1Polarity";
inline constexpr char kOut1Mapping[] = "Out1Mapping";
inline constexpr char kOut2Polarity[] = "Out2Polarity";
inline constexpr char kOut2Mapping[] = "Out2Mapping";
inline constexpr char kStrobe1Mode[] = "Strobe1Mode";
inline constexpr char kStrobe2Mode[] = "Strobe2Mode";
inline constexpr char kStrobe1Position[] = "Strobe1Position";
inline constexpr char kStrobe1Duration[] = "Strobe1Duration";
inline constexpr char kStrobe2Position[] = "Strobe2Position";
inline constexpr char kStrobe2Duration[] = "Strobe2Duration";
inline constexpr char kPulseGran[] = "PulseGran";
inline constexpr char kPulsePeriod[] = "PulsePeriod";
inline constexpr char kPulseWidth[] = "PulseWidth";
inline constexpr char kPulseNumber[] = "PulseNumber";
inline constexpr char kPulseEnable[] = "PulseEnable";
inline constexpr char kFrameTime[] = "FrameTime";
}  // namespace output

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


/// The temperature panel (template 235). Cameras without a cooler lack the TEC names, the
/// Kelmir camera has neither fan nor cooler settings.
namespace temperature {
inline constexpr char kFanMode[] = "FanMode";
inline constexpr char kFanOnLevel[] = "FanOnLevel";
inline constexpr char kTecMode[] = "TecMode";
inline constexpr char kTecOnLevel[] = "TecOnLevel";
}  // namespace temperature

/// The white balance panel (template 224).
namespace white_balance {
inline constexpr char kWBMode[] = "WBMode";
inline constexpr char kWBRed[] = "WBRed";
inline constexpr char kWBGreen[] = "WBGreen";
inline constexpr char kWBBlue[] = "WBBlue";
inline constexpr char kWBCRed[] = "WBCRed";
inline constexpr char kWBCGreen[] = "WBCGreen";
inline constexpr char kWBCBlue[] = "WBCBlue";
}  // namespace white_balance

/// The AEC/AGC panel (template 222).
namespace aec_agc {
inline constexpr char kAECEnable[] = "AECEnable";
inline constexpr char kAGCEnable[] = "AGCEnable";
inline constexpr char kLumaMode[] = "LumaMode";
inline constexpr char kLumaLevel[] = "LumaLevel";
inline constexpr char kAECLimitMin[] = "AECLimitMin";
inline constexpr char kAECLimitMax[] = "AECLimitMax";
inline constexpr char kAGCLimitMin[] = "AGCLimitMin";
inline constexpr char kAGCLimitMax[] = "AGCLimitMax";
inline constexpr char kExposureMin[] = "ExposureMin";
inline constexpr char kExposureMax[] = "ExposureMax";
inline constexpr char kExposure[] = "Exposure";
inline constexpr char kAnalogGainLimits[] = "AnalogGainLimits";
inline constexpr char kAGCCurrentA[] = "AGCCurrentA";
inline constexpr char kLumaCurrent[] = "LumaCurrent";
inline constexpr char kAECMin[] = "AECMin";
inline constexpr char kAECMax[] = "AECMax";
inline constexpr char kAGCMin[] = "AGCMin";
inline constexpr char kAGCMax[] = "AGCMax";
}  // namespace aec_agc

/// The Kelmir gain and offset panel (template 226): four channels A to D, each with a day (…2)
/// and a night (…3) analog path and an electron-multiplying gain stage, and the camera's cooler.
/// The digital, limits and tap-balance names are those of gain_offset.
namespace kelmir {
inline constexpr char kDayNightMode[] = "DayNightMode";
inline constexpr char kDayNightThreshold[] = "DayNightThreshold";
inline constexpr char kPowerControlEnable[] = "PowerControlEnable";
inline constexpr char kCCDTemperatureMode[] = "CCDTemperatureMode";
inline constexpr char kUserTECValue[] = "UserTECValue";
inline constexpr char kEMGainLimits[] = "EMGainLimits";
inline constexpr char kADCAddrSel[] = "ADCAddrSel";
inline constexpr char kADCData[] = "ADC_DATA";

inline constexpr int kChannelCount = 4;
/// The registers of one channel.
struct ChannelNames {
    const char* dayGain;
    const char* dayOffset;
    const char* nightGain;
    const char* nightOffset;
    const char* coarse;  ///< the EM gain's coarse preset choice
};
inline constexpr ChannelNames kChannels[kChannelCount] = {
    {"GainA2", "OffsA2", "GainA3", "OffsA3", "GainEMACourse"},
    {"GainB2", "OffsB2", "GainB3", "OffsB3", "GainEMBCourse"},
    {"GainC2", "OffsC2", "GainC3", "OffsC3", "GainEMCCourse"},
    {"GainD2", "OffsD2", "GainD3", "OffsD3", "GainEMDCourse"},
};

/// The EM gain preset registers by coarse choice (1x, 5x, 10x, 15x, 20x, User) and channel.
inline constexpr int kPresetCount = 6;
inline constexpr const char* kPresets[kPresetCount][kChannelCount] = {
    {"EMGain1XA", "EMGain1XB", "EMGain1XC", "EMGain1XD"},
    {"EMGain5XA", "EMGain5XB", "EMGain5XC", "EMGain5XD"},
    {"EMGain10XA", "EMGain10XB", "EMGain10XC", "EMGain10XD"},
    {"EMGain15XA", "EMGain15XB", "EMGain15XC", "EMGain15XD"},
    {"EMGain20XA", "EMGain20XB", "EMGain20XC", "EMGain20XD"},
    {"EMGainUserA", "EMGainUserB", "EMGainUserC", "EMGainUserD"},
};
}  // namespace kelmir

}  // namespace panel_names
