#include "catalogues/KelmirCatalogue.h"

#include "catalogues/CatalogueLists.h"

namespace {

using namespace catalogue_lists;

/// The temperatures the camera-information dialog shows.
constexpr CatalogueParam InfoInt(const char* name) { return Int(name, ListenerRole::CameraInfoDialog()); }

constexpr CatalogueParam kLocalSpace[] = {
    Int("CCD_ID"), Int("CCD_VSUB"), Int("ADC_DATA"), Int("FW_Revision"), Int("CCD_Type"), Int("FW_Image"),
    Int("Custom_ID"), Int("EPCS_Type"), Int("FPGA_Type"), Bool("Ping", ListenerRole::PanelOfSlot(kImagePanelSlot)),
    InfoInt("Temperature"), InfoInt("TEC_Temperature"), Int("Supervisor"), Int("DPCTestMode"), Int("ADCAddrSel"),
    Int("SW_Reset"), Int("AFETestAddr"), Int("AFETestData"), Int("AFETestWr1"), Int("AFETestWr2"),
    Int("TriggerSoft"), Int("ErrorChecking"), Int("FW_Build"), Int("CamCode"),
};

// HorFrameSizeOffset, VerFrameSizeOffset and FrameTimeMax are described by the map but not
// defined. The camera has four channel gains; AGCCurrentE to AGCCurrentP have no register and are
// defined without one, so every reader of the sixteen names finds them.
constexpr CatalogueParam kTimingStatus[] = {
    Int("HorFrameSizeMin"), Int("HorFrameSizeMax"), Int("VerFrameSizeMin"), Int("VerFrameSizeMax"),
    Int("ImageWidth"), Int("ImageHeight"), Int("FrameTime", ListenerRole::PanelOfSlot(kAcquisitionPanelSlot)),
    Int("ExposureMin"), Int("ExposureMax"), Int("Exposure"), Int("TriggerPeriod"), Int("FrameNum"),
    Int("FrameRate"), Int("WBCRed"), Int("WBCGreen"), Int("WBCBlue"), Int("WBCWhite"), Int("TapsMax"),
    Int("TapsAllowed"), Bool("FFCxSupport"), Bool("FFCySupport"), Int("AGCCurrentA"), Int("LumaCurrent"),
    Bool("AGCMin"), Bool("AGCMax"), Bool("AECMin"), Bool("AECMax"), Int("AGCCurrentB"), Int("AGCCurrentC"),
    Int("AGCCurrentD"), Int("AGCCurrentE"), Int("AGCCurrentF"), Int("AGCCurrentG"), Int("AGCCurrentH"),
    Int("AGCCurrentI"), Int("AGCCurrentJ"), Int("AGCCurrentK"), Int("AGCCurrentL"), Int("AGCCurrentM"),
    Int("AGCCurrentN"), Int("AGCCurrentO"), Int("AGCCurrentP"),
};

// Ten registers per channel: pre-amplifier, reference (1), day (2) and night (3) gains and
// offsets, and the coarse and fine electron-multiplying gain.
constexpr CatalogueParam kAfeRegisters[] = {
    Int("PreAmpGainA1A2"), Int("GainA1"), Int("OffsA1"), Int("GainA2"), Int("OffsA2"), Int("PreAmpGainA3"),
    Int("GainEMACourse"), Int("GainEMAFine"), Int("GainA3"), Int("OffsA3"),
    Int("PreAmpGainB1B2"), Int("GainB1"), Int("OffsB1"), Int("GainB2"), Int("OffsB2"), Int("PreAmpGainB3"),
    Int("GainEMBCourse"), Int("GainEMBFine"), Int("GainB3"), Int("OffsB3"),
    Int("PreAmpGainC1C2"), Int("GainC1"), Int("OffsC1"), Int("GainC2"), Int("OffsC2"), Int("PreAmpGainC3"),
    Int("GainEMCCourse"), Int("GainEMCFine"), Int("GainC3"), Int("OffsC3"),
    Int("PreAmpGainD1D2"), Int("GainD1"), Int("OffsD1"), Int("GainD2"), Int("OffsD2"), Int("PreAmpGainD3"),
    Int("GainEMDCourse"), Int("GainEMDFine"), Int("GainD3"), Int("OffsD3"),
    Float("AnalogGainLimits"), Float("AnalogOffsetLimits"), Int("EMGainLimits"),
};

// ActiveTaps comes before TapsMode, although the map lists TapsMode first.
constexpr CatalogueParam kDataRegisters[] = {
    Int("BitDepth"), Int("BitShift"), Int("ActiveTaps"), Int("TapsMode"), Int("OutputFormat"), Int("TBMode"),
    Int("BlackLevelEnable"), Int("LUTSelect"), Int("LUTEnable"), Int("DPCEnable"), Int("HPCEnable"),
    Int("FFCEnable"), Int("TestMode"), Int("DayNightMode"), Int("PowerControlEnable"), Int("AECEnable"),
    Int("AGCEnable"), Int("LumaLevel"), Int("MirrorEnable"), Int("AGCLimitMax"), Int("LumaMode"),
    Int("DigitalGain"), Float("DigitalGainLimits"), Int("DigitalOffset"), Float("DigitalOffsetLimits"),
    Int("Negative"), Int("AGCLimitMin"), Int("DayNightThreshold"), Int("SmearingMode"), Int("FFCSelect"),
    Int("DPCThreshold"), Int("HPCThreshold"), Int("DPCSelect"), Int("HPCSelect"), Int("ConstFRateEnable"),
    Int("BinHorzMode"), Int("MasterAOIEnable"), Int("SlaveAOIMode"), Int("MasterAOIWidth"),
    Int("SlaveAOIWidth"), Int("MasterAOIHorOffset"), Int("SlaveAOIHorOffset"), Int("MasterAOIHeight"),
    Int("SlaveAOIHeight"), Int("MasterAOIVerOffset"), Int("SlaveAOIVerOffset"), Int("WBMode"), Int("WBRed"),
    Int("WBGreen"), Int("WBBlue"),
    // The electron-multiplying gain of each channel at each coarse step.
    Int("EMGain1XA"), Int("EMGain1XB"), Int("EMGain1XC"), Int("EMGain1XD"),
    Int("EMGain5XA"), Int("EMGain5XB"), Int("EMGain5XC"), Int("EMGain5XD"),
    Int("EMGain10XA"), Int("EMGain10XB"), Int("EMGain10XC"), Int("EMGain10XD"),
    Int("EMGain15XA"), Int("EMGain15XB"), Int("EMGain15XC"), Int("EMGain15XD"),
    Int("EMGain20XA"), Int("EMGain20XB"), Int("EMGain20XC"), Int("EMGain20XD"),
    Int("EMGainUserA"), Int("EMGainUserB"), Int("EMGainUserC"), Int("EMGainUserD"),
};

// The cooler registers stand between the groups in the map; they are found by name under the
// section and defined before any group.
constexpr CatalogueParam kTimingDirect[] = {
    Int("BinVertMode"), Int("CCDTemperatureMode"), Int("UserTECValue"), Int("UserTECValueLimits"),
};

constexpr CatalogueGroup kTimingGroups[] = {
    {"TRIGGERGROUP", kTriggerGroup},     {"PULSEGROUP", kPulseGroup},   {"EXPOSUREGROUP", kExposureGroup},
    {"FRAMETIMEGROUP", kFrameTimeGroup}, {"STROBEGROUP", kStrobeGroup}, {"OUTPUTGROUP", kOutputGroup},
};

constexpr CatalogueSection kSections[] = {
    {"LOCALSPACE", kLocalSpace},
    {"PARAMFLASH", kParamFlash},
    {"EPCSFLASH", kEpcsFlash},
    {"BOOTLOADER", kBootLoader},
    {"CCDTIMINGSTATUS", kTimingStatus},
    {"CAMERAMFGINFO", kMfgTexts},
    {"EEPROMSPACE", kEepromSpace},
    {"AFEREGISTERS", kAfeRegisters},
    {"DATAREGISTERS", kDataRegisters},
    {"CCDTIMINGREGISTERS", kTimingDirect, kTimingGroups},
    {"MISCELLANEOUS", kMiscellaneous},
};

constexpr CatalogueTable kKelmir{"Kelmir", kSections, AllowedTapsRule::RawTapsMax};

}  // namespace

const CatalogueTable& KelmirCatalogue() { return kKelmir; }
