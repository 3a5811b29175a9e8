// The built-in register map of the aerospace 47 camera (configuration 9): its layout, rows typed
// from its register tables, the places of the elements its catalogue leaves out, and the exact
// differences from the aerospace map of configuration 8, whose camera and layout it shares.
#include "resources/MapCompare.h"
#include "resources/MapFiles.h"
#include "resources/MapRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

constexpr const char* kMap175 = "Zorvat.Aerospace47.xml";

const char* const kMfgTexts[] = {"MfgAPN1",  "MfgAPN2",  "MfgAPN3",  "MfgAPN4",  "MfgASN1",
                                 "MfgASN2",  "MfgCCD1",  "MfgCCD2",  "MfgDate1", "MfgDate2",
                                 "MfgName1", "MfgName2", "MfgName3", "MfgName4", "MfgName5"};

const Values kTaps5 = {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}, {3, "8 Taps"}, {4, "16 Taps"}};
const Values kOnOff = {{0, "Off"}, {1, "On"}};
const Values kCorrection = {{0, "Off"},           {1, "Factory"}, {2, "Dynamic"},
                            {3, "Dynamic&Factory"}, {4, "User"},    {5, "Dynamic&User"}};

class Aerospace47Map : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(map.Bytes().empty()) << "cannot read " << MapPath(kMap175);
        ASSERT_TRUE(map.ParseResult()) << map.ParseResult().description() << " at byte "
                                       << map.ParseResult().offset;
    }
    const MapFile& map = LoadedMap(kMap175);
};

}  // namespace

// Example failure: the file is written with LF line ends, without the byte-order mark, or without
// the empty line after the declaration that the aerospace family has.
TEST_F(Aerospace47Map, BomDeclarationEmptyLineAndCrLfEverywhere)
{
    CheckMapBytes(map);
    const std::string head = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n\r\n<!--\r\nReferences:\r\n";
    EXPECT_EQ(map.Bytes().compare(0, head.size(), head), 0);
}

// Example failure: a section or group is missing, misplaced or loses its comment, a register is
// dropped or doubled, or a WDR group slips in from the other cameras' layout.
TEST_F(Aerospace47Map, SectionsGroupsAndCounts)
{
    // The catalogue's 300 parameters and the ten elements it leaves out, laid out as in map 171.
    CheckAerospaceSectionsAndCounts(map);
}

// Example failure: an element the catalogue leaves out stands at another place than its table
// gives (the data file's order would then differ from the camera's documentation).
TEST_F(Aerospace47Map, ElementsTheCatalogueLeavesOutStandWhereTheTablesPlaceThem)
{
    const struct {
        const char* container;
        const char* before;
        std::vector<std::string> placed;
        const char* after;
    } rows[] = {
        {"CCDTIMINGSTATUS", "Exposure", {"TriggerPeriod"}, "FrameNum"},
        {"CAMERAMFGINFO", "MfgName5", {"VSubWrite", "RgsCamInfo"}, "CanonActiveMount"},
        {"DATAREGISTERS", "BitShift", {"TapsMode"}, "ActiveTaps"},
        {"DATAREGISTERS", "ActiveTaps", {"OutputFormat"}, "TBMode"},
        {"DATAREGISTERS", "LUTEnable", {"DPCEnable"}, "HPCEnable"},
        {"DATAREGISTERS", "FanOnLevel", {"TecMode", "TecOnLevel"}, "BrightnessLevel"},
        {"DATAREGISTERS", "LumaLevel", {"MirrorEnable"}, "AGCLimitMax"},
        {"DATAREGISTERS", "SmearingMode", {"DPCThreshold"}, "HPCThreshold"},
    };
    const pugi::xml_node camera = map.Doc().child("CAMERA");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.placed.front());
        const std::vector<std::string> names = ChildElementNames(camera.child(row.container));
        const auto at = std::find(names.begin(), names.end(), row.before);
        ASSERT_NE(at, names.end());
        std::vector<std::string> expected = row.placed;
        expected.insert(expected.begin(), row.before);
        expected.push_back(row.after);
        ASSERT_LE(static_cast<size_t>(names.end() - at), names.size());
        ASSERT_GE(static_cast<size_t>(names.end() - at), expected.size());
        EXPECT_EQ(std::vector<std::string>(at, at + static_cast<std::ptrdiff_t>(expected.size())), expected);
    }
}

namespace {

// Rows typed from the aerospace 47 register tables: one or more of each section, every row with
// an odd mask, shift, limit or default, and every element the catalogue leaves out.
const SpotRow kAerospace47Rows[] = {
    {"LOCALSPACE/CCD_VSUB", "0x6000", "0x0FFF", "12", "0", "0", "0x0FFF", "1", false, "ccdVSUB", {}},
    {"LOCALSPACE/Ping", "0x600C", "0xFFFFFFFF", nullptr, "false", nullptr, nullptr, "3", false, "ping", {}},
    {"LOCALSPACE/Temperature", "0x6010", "0x3FF", nullptr, "0", "0", "0x3FF", "1", false, "temp", {}},
    {"LOCALSPACE/SW_Reset", "0x601C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "2", false, "swReset", {}},
    {"LOCALSPACE/CamCode", "0x603C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false, "cc",
     kCamCodeValues},
    {"PARAMFLASH/ParamFlashStatus", "0x6048", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false, "paramFS",
     {}},
    {"PARAMFLASH/AFETestSelector", "0x604C", "0x03", nullptr, "0", "0", "0x03", "2", false, "paramFS", {}},
    {"EPCSFLASH/RU_Config", "0x605C", "0xFF", nullptr, "0", "0", "0xFF", "3", false, "ruConfig", {}},
    {"BOOTLOADER/BootSelector", "0x6060", "0x07", nullptr, "0", "0", "0x07", "3", false, "bootSel", {}},
    {"CCDTIMINGSTATUS/ESDEventProtection", "0x607C", "0x0F", "24", "0", "0", "0x0F", "1", false, "esd", {}},
    {"CCDTIMINGSTATUS/FrameTime", "0x6080", "0xFFFFFFFF", nullptr, "1", "1", "0xFFFFFF", "1", false, "ft", {}},
    {"CCDTIMINGSTATUS/ExposureMin", "0x6088", "0xFF", "24", "1", "1", "0xFF", "1", false, "expMin", {}},
    {"CCDTIMINGSTATUS/TriggerPeriod", "0x608C", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF", "1", false, "trgPer",
     {}},
    {"CCDTIMINGSTATUS/TapsMax", "0x609C", "0x0F", nullptr, "0", "0", "0x0F", "1", false, "tapsMax",
     {{0, "1"}, {1, "1"}, {2, "2"}, {3, "2"}, {4, "4"}, {5, "8"}, {6, "16"}}},
    {"CCDTIMINGSTATUS/TapsAllowed", "0x609C", "0x0F", "4", "0", "0", "0x0F", "1", false, "tapsAlwd",
     {{0, "0"}, {1, "2"}, {2, "4"}, {3, "8"}, {4, "16"}}},
    {"CCDTIMINGSTATUS/AECMin", "0x60A0", "0x01", "28", "false", nullptr, nullptr, "1", false, "aecMin", {}},
    {"CCDTIMINGSTATUS/AGCCurrentP", "0x60B4", "0x03FF", "20", "0", "0", "0x03FF", "1", false, "agcCurP", {}},
    {"LENSCONTROL/FocusStepValue", "0x6218", "0xFF", nullptr, "0", "1", "0xFF", "3", false, "fStepVal", {}},
    {"LENSCONTROL/CanonGetApertureRange", "0x6234", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "2", false,
     "cGetAperRange", {}},
    {"LENSCONTROL/CanonLensPresence", "0x624C", "0x01", nullptr, "0", "0", "0x01", "3", false, "cLensPres",
     kOnOff},
    {"LENSCONTROL/CanonIrisRange", "0x6258", "0xFFFFFF", "8", "0", "0", "0xFFFFFF", "1", false, "cIrisRange", {}},
    {"LENSCONTROL/CanonLensCtrlStatus", "0x6264", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false,
     "cIrisCtrlStatus", {}},
    {"CAMERAMFGINFO/MfgAPN1", "0x7000", "0xFFFFFFFF", nullptr, "", "0", "0xFFFFFFFF", "3", false, "mfgAPN1", {}},
    {"CAMERAMFGINFO/MfgName4", "0x7034", "0xFFFFFFFF", nullptr, " cam", "0", "0xFFFFFFFF", "3", false, "mfgName4",
     {}},
    {"CAMERAMFGINFO/VSubWrite", "0x703C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", false, "vsubWrite",
     {}},
    {"CAMERAMFGINFO/RgsCamInfo", "0x7040", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", false, "vsubWrite",
     {}},
    {"CAMERAMFGINFO/CanonActiveMount", "0x7040", "0x0F", "4", "0", "0", "0x0F", "1", false, "canon", {}},
    {"MFGAFE/AFE1_PAndD_LOC_CHA", "0x7100", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true, "afe1panddA",
     {}},
    {"MFGAFE/AFE3_H2L_POS_NEG1", "0x7178", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true,
     "afe3h2lPosNeg1", {}},
    {"EEPROMSPACE/BootFrom", "0x5000", "0x07", nullptr, "0", "0", "0x07", "3", false, "boot",
     {{0, "Factory"}, {1, "User1"}, {2, "User2"}, {3, "User3"}, {4, "User4"}}},
    {"AFEREGISTERS/PreAmpGain4D", "0x00F0", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "preAmpG4D",
     {{0, "0.0 dB"}, {1, "3.0 dB"}, {2, "6.0 dB"}, {3, "9.0 dB"}, {4, "12.0 dB"}, {5, "15.0 dB"}, {6, "18.0 dB"}}},
    {"AFEREGISTERS/Gain2C", "0x0064", "0x03FF", nullptr, "0", "0", "0x03FF", "3", true, "g2C", {}},
    {"AFEREGISTERS/Offs3A", "0x0088", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "o3A", {}},
    {"DATAREGISTERS/BitShift", "0x0104", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "bitShift",
     {{15, "Shift Left 7x"}, {14, "Shift Left 6x"}, {13, "Shift Left 5x"}, {12, "Shift Left 4x"},
      {11, "Shift Left 3x"}, {10, "Shift Left 2x"}, {9, "Shift Left 1x"}, {0, "No Shift"}, {1, "Shift Right 1x"},
      {2, "Shift Right 2x"}, {3, "Shift Right 3x"}, {4, "Shift Right 4x"}, {5, "Shift Right 5x"},
      {6, "Shift Right 6x"}, {7, "Shift Right 7x"}}},
    {"DATAREGISTERS/TapsMode", "0x0108", "0x07", nullptr, "0", "0", "0x07", "3", true, "tapsMode", kTaps5},
    {"DATAREGISTERS/ActiveTaps", "0x0108", "0x07", nullptr, "0", "0", "0x07", "1", false, "taps", kTaps5},
    {"DATAREGISTERS/OutputFormat", "0x010C", "0x07", nullptr, "0", "0", "0x07", "3", true, "outFmt",
     {{0, "Base"}, {1, "Medium"}, {3, "Full"}, {4, "DECA"}}},
    {"DATAREGISTERS/LUTEnable", "0x011C", "0x07", nullptr, "0", "0", "0x04", "3", true, "lutEn",
     {{0, "Off"}, {1, "LUT #1"}, {2, "LUT #2"}, {3, "LUT #3"}, {4, "LUT #4"}}},
    {"DATAREGISTERS/DPCEnable", "0x0120", "0x07", nullptr, "0", "0", "0x05", "3", true, "dpcEn", kCorrection},
    {"DATAREGISTERS/HPCEnable", "0x0124", "0x07", nullptr, "0", "0", "0x05", "3", true, "hpcEn", kCorrection},
    {"DATAREGISTERS/TestMode", "0x012C", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "testMode",
     {{0, "Off"}, {1, "BW Checkerboard"}, {2, "Gray Image"}, {3, "Tap Segmented"}, {4, "H Ramp"}, {5, "V Ramp"},
      {6, "H & V Ramp"}, {7, "H & V Ramp Moving"}, {8, "Vertical Bars"}, {9, "Superimpose Crosshair"}}},
    {"DATAREGISTERS/FanOnLevel", "0x0134", "0x7F", nullptr, "0", "0", "0x55", "3", true, "fanOnLevel", {}},
    {"DATAREGISTERS/TecMode", "0x0138", "0x03", nullptr, "0", "0", "0x02", "3", true, "tecMode",
     {{0, "Off"}, {1, "On"}, {2, "Auto"}}},
    {"DATAREGISTERS/TecOnLevel", "0x013C", "0x7F", nullptr, "0", "0", "0x55", "3", true, "tecOnLevel", {}},
    {"DATAREGISTERS/MirrorEnable", "0x015C", "0x01", nullptr, "0", "0", "0x01", "3", true, "mirEn", {}},
    {"DATAREGISTERS/DigitalGain", "0x0180", "0x0FFF", nullptr, "0x03FF", "0x0400", "0x0FFF", "3", true, "digiGain",
     {}},
    {"DATAREGISTERS/AGCLimitMin", "0x018C", "0x3FF", nullptr, "0", "0", "0x3FF", "3", true, "agcLimMin", {}},
    {"DATAREGISTERS/DPCThreshold", "0x0198", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "dpcThres", {}},
    {"DATAREGISTERS/BinHorzMode", "0x0204", "0x03", nullptr, "0", "0", "0x03", "3", true, "binHMode",
     {{0, "1x"}, {1, "2x"}, {3, "4x"}}},
    {"DATAREGISTERS/MasterAOIEnable", "0x0208", "0x01", nullptr, "1", "0", "0x01", "3", true, "maoiEn", kOnOff},
    {"DATAREGISTERS/SlaveAOIHeight", "0x026C", "0x3FFF", nullptr, "0", "0", "0x3FFF", "3", true, "saoiH", {}},
    {"DATAREGISTERS/WBMode", "0x0300", "0x03", nullptr, "0", "0", "0x03", "3", true, "wbMode",
     {{0, "Off"}, {1, "Once"}, {2, "Auto"}, {3, "Manual"}}},
    {"CCDTIMINGREGISTERS/BinVertMode", "0x0500", "0x03", nullptr, "0", "0", "0x03", "3", true, "binVMode",
     {{0, "1x"}, {1, "2x"}, {3, "4x"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/AcquisitionMode", "0x05BC", "0x01", nullptr, "0", "0", "0x01", "3", true,
     "acqMode", {{0, "Free Running Mode"}, {1, "Trigger Mode"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerType", "0x0508", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "trgType", {{1, "External 1"}, {2, "Pulse Gen"}, {3, "Computer"}, {4, "Software"}, {5, "External 2"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerOverlap", "0x0514", "0x03", nullptr, "0", "0", "0x03", "3", true,
     "trgOlap", {{0, "Ignore"}, {1, "Accept After Exp"}, {2, "Accept Any"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerFrames", "0x051C", "0xFFFF", nullptr, "1", "1", "0xFFDD", "3", true,
     "trgFrm", {}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TrStrobeDuration", "0x05B8", "0xFFFFFF", nullptr, "1", "1", "0xFFFFFF", "3",
     true, "trStDur", {}},
    {"CCDTIMINGREGISTERS/PULSEGROUP/PulseGran", "0x0530", "0x03", nullptr, "0", "0", "0x03", "3", true, "plsGran",
     {{0, "1"}, {1, "10"}, {2, "100"}, {3, "1000"}}},
    {"CCDTIMINGREGISTERS/PULSEGROUP/PulseNumber", "0x053C", "0x01FFFF", nullptr, "1", "1", "0x01FFFF", "3", true,
     "plsNum", {}},
    {"CCDTIMINGREGISTERS/EXPOSUREGROUP/AECLimitMin", "0x05C8", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF", "3", true,
     "aecLimMin", {}},
    {"CCDTIMINGREGISTERS/FRAMETIMEGROUP/FrameTimeEnable", "0x0550", "0x01", nullptr, "0", "0", "0x01", "3", true,
     "frTimeEn", kOnOff},
    {"CCDTIMINGREGISTERS/STROBEGROUP/Strobe1Duration", "0x0564", "0xFFFFFF", nullptr, "20", "1", "0xFFFFFF", "3",
     true, "str1Dur", {}},
    {"CCDTIMINGREGISTERS/TDIGROUP/TDIMode", "0x0504", "0x03", nullptr, "0", "0", "0x03", "3", true, "tdiMode",
     {{0, "Off"}, {1, "Forward Scan"}, {2, "Reverse Scan"}}},
    {"CCDTIMINGREGISTERS/TDIGROUP/TDINumber", "0x0520", "0x0FFF", nullptr, "1", "1", "0x0FFF", "3", true, "tdiNum",
     {}},
    {"CCDTIMINGREGISTERS/TDIGROUP/TDIDelay", "0x054C", "0xFFFF", nullptr, "0", "0", "0xFFFF", "3", true, "tdiDel",
     {}},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out2Polarity", "0x0598", "0x01", nullptr, "0", "0", "0x01", "3", true,
     "out2Pol", {{0, "Low"}, {1, "High"}}},
    {"MISCELLANEOUS/BaudRate", "0x0604", "0x07", nullptr, "4", "0", "0x07", "3", true, "baudRate",
     {{0, "9600"}, {1, "19200"}, {2, "38400"}, {3, "57600"}, {4, "115200"}}},
    {"MISCELLANEOUS/RGSIdNumber", "0x0614", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true, "rgsId", {}},
};

}  // namespace

// Example failure: a mask, shift, limit, default, access level, workspace flag, mnemonic or value
// list differs from the aerospace 47 register tables.
TEST_F(Aerospace47Map, SpotRowsMatchTheRegisterTables)
{
    for (const SpotRow& row : kAerospace47Rows)
        CheckRow(map, row);

    std::string name;
    for (int i = 1; i <= 5; ++i)
        name += map.Find("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(i))->node.attribute("default").value();
    EXPECT_EQ(name, "Not a Zorvat camera.");
    // The four gain registers whose default attribute every shipped map misspells.
    for (const char* channel : {"1B", "2B", "3B", "4B"}) {
        const MapElement* gain = map.Find(std::string("CAMERA/AFEREGISTERS/Gain") + channel);
        ASSERT_NE(gain, nullptr);
        EXPECT_FALSE(gain->node.attribute("default")) << channel;
        EXPECT_STREQ(gain->node.attribute("deault").value(), "0") << channel;
    }
}

// Example failure: a conversion limit is mistyped, so a panel maps its register onto the wrong
// range, or the debug range no longer spans the 24-bit raw field.
TEST_F(Aerospace47Map, LimitsElements)
{
    const LimitsRow rows[] = {
        {"AFEREGISTERS/AnalogGainLimits", {"0.0", "0.0", "36.0", "0.035190616", "0.0", "590400.53"}, 0x03FF},
        {"AFEREGISTERS/AnalogOffsetLimits", {"0.0", "0.0", "4095.0", "1.0", "0.0", "16777215.0"}, 0x0FFF},
        {"DATAREGISTERS/DigitalGainLimits", {"1.0", "1.0", "4.0", "0.0009768805", "0.0", "16389.334"},
         0x0FFF - 0x0400},
        {"DATAREGISTERS/DigitalOffsetLimits", {"0", "-512", "511", "1", "-512", "16776703"}, 0x03FF},
    };
    for (const LimitsRow& row : rows)
        CheckLimits(map, row);
}

// Example failure: the manufacturing elements lose the blank their map writes before the equals
// sign of their default, or another element gains one.
TEST_F(Aerospace47Map, ManufacturingDefaultsAreWrittenWithABlankBeforeTheEqualsSign)
{
    const std::string& bytes = map.Bytes();
    size_t spaced = 0;
    for (size_t at = bytes.find(" default =\""); at != std::string::npos; at = bytes.find(" default =\"", at + 1))
        ++spaced;
    EXPECT_EQ(spaced, std::size(kMfgTexts));
    for (const char* text : kMfgTexts)
        EXPECT_NE(bytes.find(std::string("\t\t<") + text + " default =\""), std::string::npos) << text;
    EXPECT_EQ(bytes.find("<CanonActiveMount default =\""), std::string::npos);
}

// Example failure: an edit meant for one aerospace camera reaches only one of the two maps (a
// mask, a comment, a default), or the aerospace 47 tap mode list keeps the three entries of the
// configuration-8 map. Element by element, comments included, the maps differ in TapsMode alone,
// and there only in its two further value texts.
TEST_F(Aerospace47Map, DiffersFromTheAerospaceMapOnlyInTheTapModeList)
{
    const MapFile& m171 = LoadedMap(kMap171);
    ASSERT_TRUE(m171.ParseResult());
    EXPECT_EQ(Differences(m171.Doc(), map.Doc()), (std::set<std::string>{"CAMERA/DATAREGISTERS/TapsMode"}));

    const pugi::xml_node a = m171.Find("CAMERA/DATAREGISTERS/TapsMode")->node;
    const pugi::xml_node b = map.Find("CAMERA/DATAREGISTERS/TapsMode")->node;
    ASSERT_TRUE(a && b);
    EXPECT_EQ(ValList(a), (Values{{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}}));
    EXPECT_EQ(ValList(b), kTaps5);
    pugi::xml_document trimmed;
    trimmed.append_copy(b);
    pugi::xml_node element = trimmed.first_child();
    for (int id : {3, 4})
        element.remove_child(element.find_child_by_attribute("val", "id", std::to_string(id).c_str()));
    pugi::xml_document original;
    original.append_copy(a);
    EXPECT_TRUE(Differences(original, trimmed).empty()) << "TapsMode differs beyond its two added texts";

    // Byte for byte, once the manufacturing defaults are written without the blank and TapsMode
    // is taken out of both.
    std::string bytes = WithoutElements(map.Bytes(), {"TapsMode"});
    for (size_t at = bytes.find(" default =\""); at != std::string::npos; at = bytes.find(" default =\"", at))
        bytes.erase(at + 8, 1);
    EXPECT_TRUE(bytes == WithoutElements(m171.Bytes(), {"TapsMode"})) << "the files differ outside TapsMode";
}
