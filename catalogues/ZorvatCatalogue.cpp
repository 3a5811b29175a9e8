#include "catalogues/ZorvatCatalogue.h"

#include "catalogues/CatalogueLists.h"

namespace {

using namespace catalogue_lists;

constexpr CatalogueParam kLocalSpace[] = {
    Int("CCD_ID"), Int("CCD_VSUB"), Int("FW_Revision"), Int("CCD_Type"), Int("FW_Image"), Int("Custom_ID"),
    Int("EPCS_Type"), Int("FPGA_Type"), Bool("Ping", ListenerRole::PanelOfSlot(kImagePanelSlot)),
    Int("Temperature", ListenerRole::CameraInfoDialog()), Int("Supervisor"), Int("DPCTestMode"),
    Int("SW_Reset"), Int("AFETestAddr"), Int("AFETestData"), Int("AFETestWr1"), Int("AFETestWr2"),
    Int("TriggerSoft"), Int("ErrorChecking"), Int("FW_Build"), Int("CamCode"),
};

// TriggerPeriod is described by the map but not defined.
constexpr CatalogueParam kTimingStatus[] = {
    Int("HorFrameSizeMin"), Int("HorFrameSizeMax"), Int("VerFrameSizeMin"), Int("VerFrameSizeMax"),
    Int("ImageWidth"), Int("ImageHeight"), Int("ESDEventProtection"),
    Int("FrameTime", ListenerRole::PanelOfSlot(kAcquisitionPanelSlot)), Int("ExposureMin"),
    Int("ExposureMax"), Int("Exposure"), Int("FrameNum"), Int("FrameRate"), Int("WBCRed"), Int("WBCGreen"),
    Int("WBCBlue"), Int("WBCWhite"), Int("TapsMax"), Int("TapsAllowed"), Bool("FFCxSupport"),
    Bool("FFCySupport"), Int("AGCCurrentA"), Int("LumaCurrent"), Bool("AGCMin"), Bool("AGCMax"),
    Bool("AECMin"), Bool("AECMax"), Int("AGCCurrentB"), Int("AGCCurrentC"), Int("AGCCurrentD"),
    Int("AGCCurrentE"), Int("AGCCurrentF"), Int("AGCCurrentG"), Int("AGCCurrentH"), Int("AGCCurrentI"),
    Int("AGCCurrentJ"), Int("AGCCurrentK"), Int("AGCCurrentL"), Int("AGCCurrentM"), Int("AGCCurrentN"),
    Int("AGCCurrentO"), Int("AGCCurrentP"),
};

constexpr CatalogueParam kLensControl[] = {
    Int("IrisStepValue"), Int("IrisCloseStep"), Int("IrisOpenStep"), Int("IrisCloseFull"),
    Int("IrisOpenFull"), Int("IrisStop"), Int("FocusStepValue"), Int("FocusNearStep"), Int("FocusFarStep"),
    Int("FocusNearFull"), Int("FocusFarFull"), Int("FocusStop"), Int("CanonInitLens"),
    Int("CanonGetApertureRange"), Int("CanonGetLensStatus"), Int("CanonGetFocusEncoder"),
    Int("CanonResetFocusEncoder"), Int("CanonSetIrisRangeCheck"), Int("CanonLensPolarity"),
    Int("CanonLensPresence"), Int("CanonGetLensId"), Int("CanonSetLensOIS"), Int("CanonIrisPosition"),
    Int("CanonIrisRange"), Int("CanonFocusState"), Int("CanonLensStatus"), Int("CanonLensCtrlStatus"),
    Int("CanonLensId"),
};

// VSubWrite and RgsCamInfo are described by the map but not defined.
constexpr CatalogueParam kMfgInfo[] = {
    MfgText("MfgAPN1"), MfgText("MfgAPN2"), MfgText("MfgAPN3"), MfgText("MfgAPN4"), MfgText("MfgASN1"),
    MfgText("MfgASN2"), MfgText("MfgCCD1"), MfgText("MfgCCD2"), MfgText("MfgDate1"), MfgText("MfgDate2"),
    MfgText("MfgName1"), MfgText("MfgName2"), MfgText("MfgName3"), MfgText("MfgName4"), MfgText("MfgName5"),
    Int("CanonActiveMount"),
};

constexpr CatalogueParam kMfgAfe[] = {
    Int("AFE1_PAndD_LOC_CHA"), Int("AFE1_PAndD_LOC_CHB"), Int("AFE1_PAndD_LOC_CHC"),
    Int("AFE1_PAndD_LOC_CHD"), Int("AFE1_H1S_POS_NEG1"), Int("AFE1_H2S_POS_NEG1"), Int("AFE1_H2L_POS_NEG1"),
    Int("AFE1_RG1_POS_NEG1"), Int("AFE1_H1S_POS_NEG2"), Int("AFE1_H2S_POS_NEG2"), Int("AFE1_H2L_POS_NEG2"),
    Int("AFE1_RG1_POS_NEG2"), Int("AFE2_PAndD_LOC_CHA"), Int("AFE2_PAndD_LOC_CHB"), Int("AFE2_PAndD_LOC_CHC"),
    Int("AFE2_PAndD_LOC_CHD"), Int("AFE2_H1S_POS_NEG1"), Int("AFE2_H2S_POS_NEG1"), Int("AFE2_H2L_POS_NEG1"),
    Int("AFE2_RG1_POS_NEG1"), Int("AFE2_H1S_POS_NEG2"), Int("AFE2_H2S_POS_NEG2"), Int("AFE2_H2L_POS_NEG2"),
    Int("AFE2_RG1_POS_NEG2"), Int("AFE3_PAndD_LOC_CHA"), Int("AFE3_PAndD_LOC_CHB"), Int("AFE3_PAndD_LOC_CHC"),
    Int("AFE3_PAndD_LOC_CHD"), Int("AFE3_H1S_POS_NEG1"), Int("AFE3_H2S_POS_NEG1"), Int("AFE3_H2L_POS_NEG1"),
    Int("AFE3_RG1_POS_NEG1"), Int("AFE3_H1S_POS_NEG2"), Int("AFE3_H2S_POS_NEG2"), Int("AFE3_H2L_POS_NEG2"),
    Int("AFE3_RG1_POS_NEG2"), Int("AFE4_PAndD_LOC_CHA"), Int("AFE4_PAndD_LOC_CHB"), Int("AFE4_PAndD_LOC_CHC"),
    Int("AFE4_PAndD_LOC_CHD"), Int("AFE4_H1S_POS_NEG1"), Int("AFE4_H2S_POS_NEG1"), Int("AFE4_H2L_POS_NEG1"),
    Int("AFE4_RG1_POS_NEG1"), Int("AFE4_H1S_POS_NEG2"), Int("AFE4_H2S_POS_NEG2"), Int("AFE4_H2L_POS_NEG2"),
    Int("AFE4_RG1_POS_NEG2"),
};

constexpr CatalogueParam kAfeRegisters[] = {
    Int("PreAmpGain1A"), Int("Gain1A"), Int("Offs1A"), Int("PreAmpGain1B"), Int("Gain1B"), Int("Offs1B"),
    Int("PreAmpGain1C"), Int("Gain1C"), Int("Offs1C"), Int("PreAmpGain1D"), Int("Gain1D"), Int("Offs1D"),
    Int("PreAmpGain2A"), Int("Gain2A"), Int("Offs2A"), Int("PreAmpGain2B"), Int("Gain2B"), Int("Offs2B"),
    Int("PreAmpGain2C"), Int("Gain2C"), Int("Offs2C"), Int("PreAmpGain2D"), Int("Gain2D"), Int("Offs2D"),
    Int("PreAmpGain3A"), Int("Gain3A"), Int("Offs3A"), Int("PreAmpGain3B"), Int("Gain3B"), Int("Offs3B"),
    Int("PreAmpGain3C"), Int("Gain3C"), Int("Offs3C"), Int("PreAmpGain3D"), Int("Gain3D"), Int("Offs3D"),
    Int("PreAmpGain4A"), Int("Gain4A"), Int("Offs4A"), Int("PreAmpGain4B"), Int("Gain4B"), Int("Offs4B"),
    Int("PreAmpGain4C"), Int("Gain4C"), Int("Offs4C"), Int("PreAmpGain4D"), Int("Gain4D"), Int("Offs4D"),
    Float("AnalogGainLimits"), Float("AnalogOffsetLimits"),
};

// DPCEnable and DPCThreshold are described by the map but not defined. TapsMode is defined right
// after ActiveTaps although the map has it before.
constexpr CatalogueParam kDataRegisters[] = {
    Int("BitDepth"), Int("BitShift"), Int("ActiveTaps"), Int("TapsMode"), Int("OutputFormat"), Int("TBMode"),
    Int("BlackLevelEnable"), Int("LUTEnable"), Int("HPCEnable"), Int("FFCEnable"), Int("TestMode"),
    Int("FanMode"), Int("FanOnLevel"), Int("TecMode"), Int("TecOnLevel"), Int("BrightnessLevel"),
    Int("IrisEnable"), Int("AECEnable"), Int("AGCEnable"), Int("LumaLevel"), Int("MirrorEnable"),
    Int("AGCLimitMax"), Int("LumaMode"), Int("DigitalGain"), Float("DigitalGainLimits"), Int("DigitalOffset"),
    Float("DigitalOffsetLimits"), Int("Negative"), Int("AGCLimitMin"), Int("SmearingMode"), Int("HPCThreshold"),
    Int("ConstFRateEnable"), Int("BinHorzMode"), Int("MasterAOIEnable"), Int("SlaveAOIMode"),
    Int("MasterAOIWidth"), Int("SlaveAOIWidth"), Int("MasterAOIHorOffset"), Int("SlaveAOIHorOffset"),
    Int("MasterAOIHeight"), Int("SlaveAOIHeight"), Int("MasterAOIVerOffset"), Int("SlaveAOIVerOffset"),
    Int("WBMode"), Int("WBRed"), Int("WBGreen"), Int("WBBlue"),
};

constexpr CatalogueParam kTimingDirect[] = {
    Int("BinVertMode"),
};

constexpr CatalogueParam kTdiGroup[] = {
    Int("TDIMode"), Int("TDINumber"), Int("TDIDelay"),
};

constexpr CatalogueParam kWdrGroup[] = {
    Int("WDRMode"), Int("Knee1Position"), Int("Knee1Weight"), Int("Knee2Position"), Int("Knee2Weight"),
};

constexpr CatalogueGroup kTimingGroups[] = {
    {"TRIGGERGROUP", kTriggerGroup}, {"PULSEGROUP", kPulseGroup},   {"EXPOSUREGROUP", kExposureGroup},
    {"FRAMETIMEGROUP", kFrameTimeGroup}, {"STROBEGROUP", kStrobeGroup}, {"TDIGROUP", kTdiGroup},
    {"WDRGROUP", kWdrGroup},    {"OUTPUTGROUP", kOutputGroup},
};

constexpr CatalogueSection kSections[] = {
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

// Every parameter any Zorvat camera defines, in map order; each configuration leaves some out.
constexpr CatalogueTable kZorvat{"Zorvat", kSections};

// The machine-vision camera has no tap mode choice, smear or hot-pixel settings, slave AOI mode,
// trigger strobe duration, second strobe or second output, and no TDI.
constexpr const char* kNotMachineVisionParams[] = {
    "TapsMode",        "SmearingMode",    "HPCThreshold", "SlaveAOIMode", "TrStrobeDuration",
    "Strobe2Mode",     "Strobe2Duration", "Strobe2Position", "Out2Polarity", "Out2Mapping",
};
constexpr const char* kNotMachineVisionGroups[] = {"TDIGROUP"};

// The 47M cameras have no output format choice, no cooler settings and no mirror.
constexpr const char* kNot47Params[] = {"OutputFormat", "TecMode", "TecOnLevel", "MirrorEnable"};

// The machine-vision and ruggedized 47 cameras have no WDR either.
constexpr const char* kNot47WdrGroups[] = {"WDRGROUP"};

// The aerospace camera has TDI instead of WDR.
constexpr const char* kNotAerospaceGroups[] = {"WDRGROUP"};

// The aerospace 47 camera has no tap mode choice: its taps register is defined only as the
// read-only ActiveTaps.
constexpr const char* kNoTapsModeParams[] = {"TapsMode"};

// The ruggedized camera has no tap mode choice and no trigger strobe duration, and WDR instead of TDI.
constexpr const char* kNotRuggedizedParams[] = {"TapsMode", "TrStrobeDuration"};
constexpr const char* kNotRuggedizedGroups[] = {"TDIGROUP"};

}  // namespace

const CatalogueTable& MachineVisionCatalogue()
{
    static const DerivedCatalogueTable derived("Zorvat.MachineVision", kZorvat, kNotMachineVisionParams,
                                               kNotMachineVisionGroups);
    return derived.Table();
}

const CatalogueTable& MachineVision47Catalogue()
{
    static const DerivedCatalogueTable derived("Zorvat.MachineVision47", MachineVisionCatalogue(), kNot47Params,
                                               kNot47WdrGroups);
    return derived.Table();
}

const CatalogueTable& AerospaceCatalogue()
{
    static const DerivedCatalogueTable derived("Zorvat.Aerospace", kZorvat, {}, kNotAerospaceGroups);
    return derived.Table();
}

const CatalogueTable& Aerospace47Catalogue()
{
    static const DerivedCatalogueTable noTapsMode("Zorvat.Aerospace47", AerospaceCatalogue(), kNoTapsModeParams, {});
    static const DerivedCatalogueTable derived("Zorvat.Aerospace47", noTapsMode.Table(), kNot47Params, {});
    return derived.Table();
}

const CatalogueTable& RuggedizedCatalogue()
{
    static const DerivedCatalogueTable derived("Zorvat.Ruggedized", kZorvat, kNotRuggedizedParams,
                                               kNotRuggedizedGroups);
    return derived.Table();
}

const CatalogueTable& Ruggedized47Catalogue()
{
    static const DerivedCatalogueTable derived("Zorvat.Ruggedized47", RuggedizedCatalogue(), kNot47Params,
                                               kNot47WdrGroups);
    return derived.Table();
}
