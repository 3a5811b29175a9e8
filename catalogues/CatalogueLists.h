// What the configurations' tables share: the entry helpers and the lists that are the same in
// every camera family (flash, boot, manufacturing texts, boot space, pulse, exposure and frame
// time groups, miscellaneous registers).
#pragma once

#include "catalogues/CatalogueEngine.h"

namespace catalogue_lists {

inline constexpr int kImagePanelSlot = 4;
inline constexpr int kAcquisitionPanelSlot = 2;

constexpr CatalogueParam Int(const char* name, ListenerRole listener = {}) { return {name, OrvParam_Int, listener}; }
constexpr CatalogueParam Bool(const char* name, ListenerRole listener = {}) { return {name, OrvParam_Bool, listener}; }
constexpr CatalogueParam Float(const char* name) { return {name, OrvParam_Float}; }
/// The manufacturing texts: four characters per register, shown by the camera-information dialog.
constexpr CatalogueParam MfgText(const char* name)
{
    return {name, OrvParam_String, ListenerRole::CameraInfoDialog()};
}

inline constexpr CatalogueParam kParamFlash[] = {
    Int("ParamFlashControl"), Int("ParamFlashData"), Int("ParamFlashStatus"), Int("AFETestSelector"),
};

inline constexpr CatalogueParam kEpcsFlash[] = {
    Int("EPCSFlashControl"), Int("EPCSFlashData"), Int("EPCSFlashStatus"), Int("RU_Config"),
};

inline constexpr CatalogueParam kBootLoader[] = {
    Int("BootSelector"), Int("BootLoad"), Int("BootSave"), Int("MfgSave"),
};

inline constexpr CatalogueParam kMfgTexts[] = {
    MfgText("MfgAPN1"), MfgText("MfgAPN2"), MfgText("MfgAPN3"), MfgText("MfgAPN4"), MfgText("MfgASN1"),
    MfgText("MfgASN2"), MfgText("MfgCCD1"), MfgText("MfgCCD2"), MfgText("MfgDate1"), MfgText("MfgDate2"),
    MfgText("MfgName1"), MfgText("MfgName2"), MfgText("MfgName3"), MfgText("MfgName4"), MfgText("MfgName5"),
};

inline constexpr CatalogueParam kEepromSpace[] = {
    Int("BootFrom"),
};

inline constexpr CatalogueParam kPulseGroup[] = {
    Int("PulseGran"), Int("PulseWidth"), Int("PulsePeriod"), Int("PulseNumber"), Int("PulseEnable"),
};

inline constexpr CatalogueParam kExposureGroup[] = {
    Int("ExposureMode"), Int("ExposureDur"), Int("AECLimitMin"), Int("AECLimitMax"),
};

inline constexpr CatalogueParam kFrameTimeGroup[] = {
    Int("FrameTimeEnable"), Int("FrameTimeAbsolute"),
};

inline constexpr CatalogueParam kTriggerGroup[] = {
    Int("AcquisitionMode"), Int("TriggerType"), Int("TriggerEdge"), Int("TriggerDebounce"),
    Int("TriggerOverlap"), Int("TriggerMode"), Int("TriggerFrames"), Int("TrStrobeEnable"),
    Int("TrExposureDelay"), Int("TrStrobeDelay"), Int("TrStrobeDuration"), Int("TriggerGlitch"),
};

inline constexpr CatalogueParam kStrobeGroup[] = {
    Int("Strobe1Mode"), Int("Strobe2Mode"), Int("Strobe1Duration"), Int("Strobe2Duration"),
    Int("Strobe1Position"), Int("Strobe2Position"),
};

inline constexpr CatalogueParam kOutputGroup[] = {
    Int("Out1Polarity"), Int("Out1Mapping"), Int("Out2Polarity"), Int("Out2Mapping"),
};

inline constexpr CatalogueParam kMiscellaneous[] = {
    Int("FlashImageValue"), Int("BaudRate"), Int("RGSIdNumber"),
};

}  // namespace catalogue_lists
