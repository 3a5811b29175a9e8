#include "catalogues/MachineVisionCatalogue.h"

namespace catalogue {
namespace {

constexpr ParamDef Bool(const char* name, ListenerRole listener = ListenerRole::None)
{
    return {name, ParamType::Bool, listener};
}
constexpr ParamDef Float(const char* name) { return {name, ParamType::Float, ListenerRole::None}; }
/// The manufacturing texts: four characters per register, shown by the camera-information dialog.
constexpr ParamDef MfgText(const char* name) { return {name, ParamType::String, ListenerRole::CameraInfo}; }

constexpr ParamDef kLocalSpace[] = {
    {"CCD_ID"}, {"CCD_VSUB"}, {"FW_Revision"}, {"CCD_Type"}, {"FW_Image"}, {"Custom_ID"}, {"EPCS_Type"},
    {"FPGA_Type"}, Bool("Ping", ListenerRole::ImagePanel), {"Temperature", ParamType::Int, ListenerRole::CameraInfo},
    {"Supervisor"}, {"DPCTestMode"}, {"SW_Reset"}, {"AFETestAddr"}, {"AFETestData"}, {"AFETestWr1"},
    {"AFETestWr2"}, {"TriggerSoft"}, {"ErrorChecking"}, {"FW_Build"}, {"CamCode"},
};

constexpr ParamDef kParamFlash[] = {
    {"ParamFlashControl"}, {"ParamFlashData"}, {"ParamFlashStatus"}, {"AFETestSelector"},
};

constexpr ParamDef kEpcsFlash[] = {
    {"EPCSFlashControl"}, {"EPCSFlashData"}, {"EPCSFlashStatus"}, {"RU_Config"},
};

constexpr ParamDef kBootLoader[] = {
    {"BootSelector"}, {"BootLoad"}, {"BootSave"}, {"MfgSave"},
};

// TriggerPeriod is described by the map but not defined.
constexpr ParamDef kTimingStatus[] = {
    {"HorFrameSizeMin"}, {"HorFrameSizeMax"}, {"VerFrameSizeMin"}, {"VerFrameSizeMax"}, {"ImageWidth"},
    {"ImageHeight"}, {"ESDEventProtection"}, {"FrameTime", ParamType::Int, ListenerRole::AcquisitionPanel},
    {"ExposureMin"}, {"ExposureMax"}, {"Exposure"}, {"FrameNum"}, {"FrameRate"}, {"WBCRed"}, {"WBCGreen"},
    {"WBCBlue"}, {"WBCWhite"}, {"TapsMax"}, {"TapsAllowed"}, Bool("FFCxSupport"), Bool("FFCySupport"),
    {"AGCCurrentA"}, {"LumaCurrent"}, Bool("AGCMin"), Bool("AGCMax"), Bool("AECMin"), Bool("AECMax"),
    {"AGCCurrentB"}, {"AGCCurrentC"}, {"AGCCurrentD"}, {"AGCCurrentE"}, {"AGCCurrentF"}, {"AGCCurrentG"},
    {"AGCCurrentH"}, {"AGCCurrentI"}, {"AGCCurrentJ"}, {"AGCCurrentK"}, {"AGCCurrentL"}, {"AGCCurrentM"},
    {"AGCCurrentN"}, {"AGCCurrentO"}, {"AGCCurrentP"},
};

constexpr ParamDef kLensControl[] = {
    {"IrisStepValue"}, {"IrisCloseStep"}, {"IrisOpenStep"}, {"IrisCloseFull"}, {"IrisOpenFull"},
    {"IrisStop"}, {"FocusStepValue"}, {"FocusNearStep"}, {"FocusFarStep"}, {"FocusNearFull"},
    {"FocusFarFull"}, {"FocusStop"}, {"CanonInitLens"}, {"CanonGetApertureRange"}, {"CanonGetLensStatus"},
    {"CanonGetFocusEncoder"}, {"CanonResetFocusEncoder"}, {"CanonSetIrisRangeCheck"}, {"CanonLensPolarity"},
    {"CanonLensPresence"}, {"CanonGetLensId"}, {"CanonSetLensOIS"}, {"CanonIrisPosition"}, {"CanonIrisRange"},
    {"CanonFocusState"}, {"CanonLensStatus"}, {"CanonLensCtrlStatus"}, {"CanonLensId"},
};

// VSubWrite and RgsCamInfo are described by the map but not defined.
constexpr ParamDef kMfgInfo[] = {
    MfgText("MfgAPN1"), MfgText("MfgAPN2"), MfgText("MfgAPN3"), MfgText("MfgAPN4"), MfgText("MfgASN1"),
    MfgText("MfgASN2"), MfgText("MfgCCD1"), MfgText("MfgCCD2"), MfgText("MfgDate1"), MfgText("MfgDate2"),
    MfgText("MfgName1"), MfgText("MfgName2"), MfgText("MfgName3"), MfgText("MfgName4"), MfgText("MfgName5"),
    {"CanonActiveMount"},
};

constexpr ParamDef kMfgAfe[] = {
    {"AFE1_PAndD_LOC_CHA"}, {"AFE1_PAndD_LOC_CHB"}, {"AFE1_PAndD_LOC_CHC"}, {"AFE1_PAndD_LOC_CHD"},
    {"AFE1_H1S_POS_NEG1"},  {"AFE1_H2S_POS_NEG1"},  {"AFE1_H2L_POS_NEG1"},  {"AFE1_RG1_POS_NEG1"},
    {"AFE1_H1S_POS_NEG2"},  {"AFE1_H2S_POS_NEG2"},  {"AFE1_H2L_POS_NEG2"},  {"AFE1_RG1_POS_NEG2"},
    {"AFE2_PAndD_LOC_CHA"}, {"AFE2_PAndD_LOC_CHB"}, {"AFE2_PAndD_LOC_CHC"}, {"AFE2_PAndD_LOC_CHD"},
    {"AFE2_H1S_POS_NEG1"},  {"AFE2_H2S_POS_NEG1"},  {"AFE2_H2L_POS_NEG1"},  {"AFE2_RG1_POS_NEG1"},
    {"AFE2_H1S_POS_NEG2"},  {"AFE2_H2S_POS_NEG2"},  {"AFE2_H2L_POS_NEG2"},  {"AFE2_RG1_POS_NEG2"},
    {"AFE3_PAndD_LOC_CHA"}, {"AFE3_PAndD_LOC_CHB"}, {"AFE3_PAndD_LOC_CHC"}, {"AFE3_PAndD_LOC_CHD"},
    {"AFE3_H1S_POS_NEG1"},  {"AFE3_H2S_POS_NEG1"},  {"AFE3_H2L_POS_NEG1"},  {"AFE3_RG1_POS_NEG1"},
    {"AFE3_H1S_POS_NEG2"},  {"AFE3_H2S_POS_NEG2"},  {"AFE3_H2L_POS_NEG2"},  {"AFE3_RG1_POS_NEG2"},
    {"AFE4_PAndD_LOC_CHA"}, {"AFE4_PAndD_LOC_CHB"}, {"AFE4_PAndD_LOC_CHC"}, {"AFE4_PAndD_LOC_CHD"},
    {"AFE4_H1S_POS_NEG1"},  {"AFE4_H2S_POS_NEG1"},  {"AFE4_H2L_POS_NEG1"},  {"AFE4_RG1_POS_NEG1"},
    {"AFE4_H1S_POS_NEG2"},  {"AFE4_H2S_POS_NEG2"},  {"AFE4_H2L_POS_NEG2"},  {"AFE4_RG1_POS_NEG2"},
};

constexpr ParamDef kEepromSpace[] = {
    {"BootFrom"},
};

constexpr ParamDef kAfeRegisters[] = {
    {"PreAmpGain1A"}, {"Gain1A"}, {"Offs1A"}, {"PreAmpGain1B"}, {"Gain1B"}, {"Offs1B"},
    {"PreAmpGain1C"}, {"Gain1C"}, {"Offs1C"}, {"PreAmpGain1D"}, {"Gain1D"}, {"Offs1D"},
    {"PreAmpGain2A"}, {"Gain2A"}, {"Offs2A"}, {"PreAmpGain2B"}, {"Gain2B"}, {"Offs2B"},
    {"PreAmpGain2C"}, {"Gain2C"}, {"Offs2C"}, {"PreAmpGain2D"}, {"Gain2D"}, {"Offs2D"},
    {"PreAmpGain3A"}, {"Gain3A"}, {"Offs3A"}, {"PreAmpGain3B"}, {"Gain3B"}, {"Offs3B"},
    {"PreAmpGain3C"}, {"Gain3C"}, {"Offs3C"}, {"PreAmpGain3D"}, {"Gain3D"}, {"Offs3D"},
    {"PreAmpGain4A"}, {"Gain4A"}, {"Offs4A"}, {"PreAmpGain4B"}, {"Gain4B"}, {"Offs4B"},
    {"PreAmpGain4C"}, {"Gain4C"}, {"Offs4C"}, {"PreAmpGain4D"}, {"Gain4D"}, {"Offs4D"},
    Float("AnalogGainLimits"), Float("AnalogOffsetLimits"),
};

// TapsMode, DPCEnable, SmearingMode, DPCThreshold, HPCThreshold and SlaveAOIMode are described by
// the map but not defined.
constexpr ParamDef kDataRegisters[] = {
    {"BitDepth"}, {"BitShift"}, {"ActiveTaps"}, {"OutputFormat"}, {"TBMode"}, {"BlackLevelEnable"},
    {"LUTEnable"}, {"HPCEnable"}, {"FFCEnable"}, {"TestMode"}, {"FanMode"}, {"FanOnLevel"}, {"TecMode"},
    {"TecOnLevel"}, {"BrightnessLevel"}, {"IrisEnable"}, {"AECEnable"}, {"AGCEnable"}, {"LumaLevel"},
    {"MirrorEnable"}, {"AGCLimitMax"}, {"LumaMode"}, {"DigitalGain"}, Float("DigitalGainLimits"),
    {"DigitalOffset"}, Float("DigitalOffsetLimits"), {"Negative"}, {"AGCLimitMin"}, {"ConstFRateEnable"},
    {"BinHorzMode"}, {"MasterAOIEnable"}, {"MasterAOIWidth"}, {"SlaveAOIWidth"}, {"MasterAOIHorOffset"},
    {"SlaveAOIHorOffset"}, {"MasterAOIHeight"}, {"SlaveAOIHeight"}, {"MasterAOIVerOffset"},
    {"SlaveAOIVerOffset"}, {"WBMode"}, {"WBRed"}, {"WBGreen"}, {"WBBlue"},
};

constexpr ParamDef kTimingDirect[] = {
    {"BinVertMode"},
};

// TrStrobeDuration is described by the map but not defined.
constexpr ParamDef kTriggerGroup[] = {
    {"AcquisitionMode"}, {"TriggerType"}, {"TriggerEdge"}, {"TriggerDebounce"}, {"TriggerOverlap"},
    {"TriggerMode"}, {"TriggerFrames"}, {"TrStrobeEnable"}, {"TrExposureDelay"}, {"TrStrobeDelay"},
    {"TriggerGlitch"},
};

constexpr ParamDef kPulseGroup[] = {
    {"PulseGran"}, {"PulseWidth"}, {"PulsePeriod"}, {"PulseNumber"}, {"PulseEnable"},
};

constexpr ParamDef kExposureGroup[] = {
    {"ExposureMode"}, {"ExposureDur"}, {"AECLimitMin"}, {"AECLimitMax"},
};

constexpr ParamDef kFrameTimeGroup[] = {
    {"FrameTimeEnable"}, {"FrameTimeAbsolute"},
};

// The second strobe is described by the map but not defined.
constexpr ParamDef kStrobeGroup[] = {
    {"Strobe1Mode"}, {"Strobe1Duration"}, {"Strobe1Position"},
};

constexpr ParamDef kWdrGroup[] = {
    {"WDRMode"}, {"Knee1Position"}, {"Knee1Weight"}, {"Knee2Position"}, {"Knee2Weight"},
};

// The second output is described by the map but not defined.
constexpr ParamDef kOutputGroup[] = {
    {"Out1Polarity"}, {"Out1Mapping"},
};

constexpr ParamDef kMiscellaneous[] = {
    {"FlashImageValue"}, {"BaudRate"}, {"RGSIdNumber"},
};

constexpr GroupDef kTimingGroups[] = {
    {"TRIGGERGROUP", kTriggerGroup}, {"PULSEGROUP", kPulseGroup},   {"EXPOSUREGROUP", kExposureGroup},
    {"FRAMETIMEGROUP", kFrameTimeGroup}, {"STROBEGROUP", kStrobeGroup}, {"WDRGROUP", kWdrGroup},
    {"OUTPUTGROUP", kOutputGroup},
};

constexpr SectionDef kSections[] = {
    {"LOCALSPACE", kLocalSpace},
    {"PARAMFLASH", kParamFlash},
    {"EPCSFLASH", kEpcsFlash},
    {"BOOTLOADER", kBootLoader},
    {"CCDTIMINGSTATUS", kTimingStatus},
    {"LENSCONTROL", kLensControl},
    {"CAMERAMFGINFO", kMfgInfo},
    {"MFGAFE", kMfgAfe},
    {"EEPROMSPACE", kEepromSpace},
    {"AFEREGISTERS", kAfeRegisters},
    {"DATAREGISTERS", kDataRegisters},
    {"CCDTIMINGREGISTERS", kTimingDirect, kTimingGroups},
    {"MISCELLANEOUS", kMiscellaneous},
};

constexpr CatalogueDef kMachineVision{kSections};

// The 47 camera has no output format choice, no cooler settings, no mirror and no WDR.
constexpr const char* kNot47Params[] = {"OutputFormat", "TecMode", "TecOnLevel", "MirrorEnable"};
constexpr const char* kNot47Groups[] = {"WDRGROUP"};

}  // namespace

const CatalogueDef& MachineVisionCatalogue() { return kMachineVision; }

const CatalogueDef& MachineVision47Catalogue()
{
    static const DerivedCatalogue derived(kMachineVision, kNot47Params, kNot47Groups);
    return derived.Def();
}

}  // namespace catalogue
