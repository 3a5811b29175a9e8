// The built-in register map of the Kelmir camera (configuration 7): its own layout (eleven
// sections, direct timing registers between the groups), hand-checked rows and the rules every
// element follows.
#include "resources/MapFiles.h"
#include "resources/MapRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

class KelmirMap : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(map.ParseResult()) << map.ParseResult().description(); }
    const MapFile& map = LoadedMap(kMap173);
};

const char* const kKelmirSections[] = {"LOCALSPACE",    "PARAMFLASH",    "EPCSFLASH",   "BOOTLOADER",
                                       "CCDTIMINGSTATUS", "CAMERAMFGINFO", "EEPROMSPACE", "AFEREGISTERS",
                                       "DATAREGISTERS", "CCDTIMINGREGISTERS", "MISCELLANEOUS"};

const std::set<std::string> kBooleans = {"Ping", "FFCxSupport", "FFCySupport", "AGCMin",
                                         "AGCMax", "AECMin", "AECMax"};
const std::set<std::string> kFloatLimits = {"AnalogGainLimits", "AnalogOffsetLimits", "DigitalGainLimits",
                                            "DigitalOffsetLimits"};
const std::set<std::string> kIntLimits = {"EMGainLimits", "UserTECValueLimits"};
const std::set<std::string> kMisspeltDefault = {"GainA2", "GainB2", "GainC2", "GainD2"};

}  // namespace

// Example failure: the generator writes bare LF line ends or drops the byte-order mark.
TEST_F(KelmirMap, StartsWithBomAndDeclarationAndUsesCrLfEverywhere) { CheckMapBytes(map); }

// Example failure: the lens or factory front-end section sneaks in, or two sections swap places,
// so the catalogue's walk meets them in another order.
TEST_F(KelmirMap, CameraTypeThenElevenSectionsInOrder)
{
    const pugi::xml_node camera = map.Doc().child("CAMERA");
    std::vector<std::string> expected = {"CameraType"};
    expected.insert(expected.end(), std::begin(kKelmirSections), std::end(kKelmirSections));
    EXPECT_EQ(ChildElementNames(camera), expected);
    EXPECT_EQ(Text(camera.child("CameraType")), "KAI-xxx50 CCD");
    EXPECT_STREQ(camera.attribute("xsi:noNamespaceSchemaLocation").value(), "CameraDef.xsd");
}

// Example failure: the cooler registers are written before the trigger group, or end up inside a
// group, so the camera tools' layout and a reader walking the groups disagree.
TEST_F(KelmirMap, TimingSectionPlacesTheCoolerRegistersBetweenTheGroups)
{
    const pugi::xml_node timing = map.Doc().child("CAMERA").child("CCDTIMINGREGISTERS");
    EXPECT_EQ(ChildElementNames(timing),
              (std::vector<std::string>{"BinVertMode", "CCDTemperatureMode", "TRIGGERGROUP", "UserTECValue",
                                        "UserTECValueLimits", "PULSEGROUP", "EXPOSUREGROUP", "FRAMETIMEGROUP",
                                        "STROBEGROUP", "OUTPUTGROUP"}));
    for (const char* group : {"TRIGGERGROUP", "OUTPUTGROUP"}) {
        const pugi::xml_node comment = timing.child(group).previous_sibling();
        EXPECT_EQ(comment.type(), pugi::node_comment) << group;
    }
}

// Example failure: a register is lost or doubled in one section or group.
TEST_F(KelmirMap, ElementCountsPerSectionAndGroup)
{
    const std::map<std::string, size_t> expected = {
        {"LOCALSPACE", 24},      {"PARAMFLASH", 4},    {"EPCSFLASH", 4},
        {"BOOTLOADER", 4},       {"CCDTIMINGSTATUS", 33}, {"CAMERAMFGINFO", 15},
        {"EEPROMSPACE", 1},      {"AFEREGISTERS", 43}, {"DATAREGISTERS", 74},
        {"CCDTIMINGREGISTERS/", 4}, {"CCDTIMINGREGISTERS/TRIGGERGROUP", 12},
        {"CCDTIMINGREGISTERS/PULSEGROUP", 5}, {"CCDTIMINGREGISTERS/EXPOSUREGROUP", 4},
        {"CCDTIMINGREGISTERS/FRAMETIMEGROUP", 2}, {"CCDTIMINGREGISTERS/STROBEGROUP", 6},
        {"CCDTIMINGREGISTERS/OUTPUTGROUP", 4}, {"MISCELLANEOUS", 3},
    };
    std::map<std::string, size_t> counted;
    size_t limits = 0;
    for (const MapElement& e : map.Elements()) {
        ++counted[e.section == "CCDTIMINGREGISTERS" ? e.section + "/" + e.group : e.section];
        limits += e.IsLimits() ? 1 : 0;
    }
    EXPECT_EQ(counted, expected);
    EXPECT_EQ(map.Elements().size(), 242u);
    EXPECT_EQ(limits, 6u);
}

// Example failure: the map writes TapsMode after ActiveTaps, or the three status fields the
// catalogue leaves out stand somewhere else than beside the fields of their word.
TEST_F(KelmirMap, MapOrderWhereItDiffersFromTheCatalogue)
{
    const pugi::xml_node camera = map.Doc().child("CAMERA");
    const std::vector<std::string> status = ChildElementNames(camera.child("CCDTIMINGSTATUS"));
    const std::vector<std::string> head(status.begin(), status.begin() + 9);
    EXPECT_EQ(head, (std::vector<std::string>{"HorFrameSizeMin", "HorFrameSizeOffset", "HorFrameSizeMax",
                                              "VerFrameSizeMin", "VerFrameSizeOffset", "VerFrameSizeMax",
                                              "ImageWidth", "ImageHeight", "FrameTimeMax"}));
    EXPECT_EQ(status[9], "FrameTime");
    EXPECT_EQ(status.back(), "AGCCurrentD");
    const std::vector<std::string> data = ChildElementNames(camera.child("DATAREGISTERS"));
    EXPECT_EQ(std::vector<std::string>(data.begin(), data.begin() + 4),
              (std::vector<std::string>{"BitDepth", "BitShift", "TapsMode", "ActiveTaps"}));
    EXPECT_EQ(data[49], "WBBlue");
    EXPECT_EQ(data[50], "EMGain1XA");
    const std::vector<std::string> afe = ChildElementNames(camera.child("AFEREGISTERS"));
    EXPECT_EQ(std::vector<std::string>(afe.end() - 3, afe.end()),
              (std::vector<std::string>{"AnalogGainLimits", "AnalogOffsetLimits", "EMGainLimits"}));
    // Channel headings: AFE1 to AFE4 before the first register of channels A to D.
    const char* const firsts[] = {"PreAmpGainA1A2", "PreAmpGainB1B2", "PreAmpGainC1C2", "PreAmpGainD1D2"};
    for (int i = 0; i < 4; ++i) {
        const pugi::xml_node description = camera.child("AFEREGISTERS").child(firsts[i]).previous_sibling();
        EXPECT_EQ(std::string(description.previous_sibling().value()), "AFE" + std::to_string(i + 1));
    }
}

// Rows typed from the register tables.
const SpotRow kKelmirRows[] = {
    {"LOCALSPACE/ADC_DATA", "0x6000", "0x0FFF", nullptr, "0", "0", "0x0FFF", "1", false, "adcData", {}},
    {"LOCALSPACE/FW_Image", "0x6004", "0x0F", "28", "0", "0", "0x0F", "1", false, "fwImg", {}},
    {"LOCALSPACE/Ping", "0x600C", "0xFFFFFFFF", nullptr, "false", nullptr, nullptr, "3", false, "ping", {}},
    {"LOCALSPACE/TEC_Temperature", "0x6010", "0xFFF", "20", "0", "0", "0xFFF", "1", false, "temp_tec", {}},
    {"LOCALSPACE/ADCAddrSel", "0x6018", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", false, "adcAdrSel", {}},
    {"LOCALSPACE/CamCode", "0x603C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false, "cc",
     kCamCodeValues},
    {"PARAMFLASH/AFETestSelector", "0x604C", "0x03", nullptr, "0", "0", "0x03", "2", false, "paramFS", {}},
    {"EPCSFLASH/RU_Config", "0x605C", "0xFF", nullptr, "0", "0", "0xFF", "3", false, "ruConfig", {}},
    {"CCDTIMINGSTATUS/HorFrameSizeOffset", "0x6070", "0xFF", "8", "0", "0", "0xFF", "1", false, "hfsOfs", {}},
    {"CCDTIMINGSTATUS/FrameTime", "0x6080", "0xFFFFFFFF", nullptr, "1", "1", "0xFFFFFF", "1", false, "ft", {}},
    {"CCDTIMINGSTATUS/ExposureMin", "0x6084", "0xFF", nullptr, "1", "1", "0xFFFFFF", "1", false, "expMin", {}},
    {"CCDTIMINGSTATUS/ExposureMax", "0x6084", "0xFFFFFF", "8", "0xFFFFFF", "1", "0xFFFFFF", "1", false,
     "expMax", {}},
    {"CCDTIMINGSTATUS/TriggerPeriod", "0x608C", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF", "1", false, "trgPer",
     {}},
    {"CCDTIMINGSTATUS/TapsMax", "0x609C", "0x0F", nullptr, "0", "0", "0x0F", "1", false, "tapsMax", {}},
    {"CCDTIMINGSTATUS/AECMax", "0x60A0", "0x01", "29", "false", nullptr, nullptr, "1", false, "aecMax", {}},
    {"CCDTIMINGSTATUS/AGCCurrentD", "0x60A4", "0x03FF", "20", "0", "0", "0x03FF", "1", false, "agcCurD", {}},
    {"CAMERAMFGINFO/MfgName4", "0x7034", "0xFFFFFFFF", nullptr, " cam", "0", "0xFFFFFFFF", "3", false,
     "mfgName4", {}},
    {"EEPROMSPACE/BootFrom", "0x5000", "0x07", nullptr, "0", "0", "0x07", "3", false, "boot",
     {{0, "Factory"}, {1, "User1"}, {2, "User2"}, {3, "User3"}, {4, "User4"}}},
    {"AFEREGISTERS/PreAmpGainB3", "0x003C", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "preAmpGB3",
     {{0, "0.0 dB"}, {1, "3.0 dB"}, {2, "6.0 dB"}, {3, "9.0 dB"}, {4, "12.0 dB"}, {5, "15.0 dB"},
      {6, "18.0 dB"}}},
    {"AFEREGISTERS/GainEMDCourse", "0x0090", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "gEMDCourse",
     {{0, "1x"}, {1, "5x"}, {2, "10x"}, {3, "15x"}, {4, "20x"}, {5, "User"}}},
    {"AFEREGISTERS/GainEMCFine", "0x006C", "0x3F", nullptr, "0", "0", "0x3F", "3", true, "gEMCFine", {}},
    {"AFEREGISTERS/OffsD3", "0x009C", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "oD3", {}},
    {"DATAREGISTERS/BitDepth", "0x0100", "0x03", nullptr, "0", "0", "0x03", "3", true, "bitDepth",
     {{0, "8 bits"}, {1, "10 bits"}, {2, "12 bits"}, {4, "16 bits"}}},
    {"DATAREGISTERS/TapsMode", "0x0108", "0x07", nullptr, "0", "0", "0x07", "3", true, "tapsMode",
     {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}, {3, "8 Taps"}, {4, "16 Taps"}}},
    {"DATAREGISTERS/ActiveTaps", "0x0108", "0x07", nullptr, "0", "0", "0x07", "1", false, "taps",
     {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}, {3, "8 Taps"}, {4, "16 Taps"}}},
    {"DATAREGISTERS/LUTSelect", "0x0118", "0x03", nullptr, "0", "0", "0x03", "3", true, "lutSel",
     {{-1, "Off"}, {0, "LUT #1"}, {1, "LUT #2"}, {2, "LUT #3"}, {3, "LUT #4"}}},
    {"DATAREGISTERS/TestMode", "0x012C", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "testMode",
     {{0, "Off"}, {1, "BW Checkerboard"}, {2, "Gray Image"}, {3, "Tap Segmented"}, {4, "H Ramp"},
      {5, "V Ramp"}, {6, "H & V Ramp"}, {7, "H & V Ramp Moving"}, {8, "Vertical Bars"},
      {9, "Superimpose Crosshair"}}},
    {"DATAREGISTERS/PowerControlEnable", "0x014C", "0x03", nullptr, "0", "0", "0x03", "3", true, "pcEn",
     {{0, "TEC Off"}, {1, "TEC On"}}},
    {"DATAREGISTERS/DigitalGain", "0x0180", "0x0FFF", nullptr, "0x03FF", "0x0400", "0x0FFF", "3", true,
     "digiGain", {}},
    {"DATAREGISTERS/AGCLimitMin", "0x018C", "0x3FF", nullptr, "0", "0", "0x3FF", "3", true, "agcLimMin", {}},
    {"DATAREGISTERS/FFCSelect", "0x019C", "0x01", nullptr, "0", "0", "0x01", "3", true, "ffcSel",
     {{-1, "Off"}, {0, "FFC #1"}, {1, "FFC #2"}}},
    {"DATAREGISTERS/MasterAOIEnable", "0x0208", "0x01", nullptr, "1", "0", "0x01", "3", true, "maoiEn",
     {{0, "Off"}, {1, "On"}}},
    {"DATAREGISTERS/EMGain15XC", "0x0348", "0xFFFF", nullptr, "0", "0", "0xFFFF", "3", true, "emG15C", {}},
    {"CCDTIMINGREGISTERS/CCDTemperatureMode", "0x0504", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "ccdTempMode", {{0, "-10°C"}, {1, "0°C"}, {2, "+10°C"}, {3, "+20°C"}, {4, "User"}}},
    {"CCDTIMINGREGISTERS/UserTECValue", "0x05D0", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "userTEC",
     {}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerType", "0x0508", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "trgType", {{1, "External 1"}, {2, "Pulse Gen"}, {3, "Computer"}, {4, "Software"}, {5, "External 2"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerFrames", "0x051C", "0xFFFF", nullptr, "1", "1", "0xFFDD", "3",
     true, "trgFrm", {}},
    {"CCDTIMINGREGISTERS/PULSEGROUP/PulseGran", "0x0530", "0x03", nullptr, "0", "0", "0x03", "3", true,
     "plsGran", {{0, "1"}, {1, "10"}, {2, "100"}, {3, "1000"}}},
    {"CCDTIMINGREGISTERS/EXPOSUREGROUP/AECLimitMin", "0x05C8", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF", "3",
     true, "aecLimMin", {}},
    {"CCDTIMINGREGISTERS/STROBEGROUP/Strobe2Duration", "0x05B4", "0xFFFFFF", nullptr, "20", "1", "0xFFFFFF",
     "3", true, "str2Dur", {}},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out2Mapping", "0x059C", "0xFF", nullptr, "0", "0", "0xFF", "3", true,
     "out2Map",
     {{0, "No mapping"}, {1, "Exposure Start"}, {2, "Exposure End"}, {3, "Mid Exposure"},
      {4, "Active Exposure Window"}, {5, "H-Sync"}, {6, "V-Sync"}, {7, "Odd/Even Frame Flag"},
      {8, "Trigger Pulse"}, {9, "Trigger Pulse Delayed"}, {10, "Camera Ready"}, {11, "Pulse Generator"},
      {12, "Strobe #1"}, {13, "Strobe #2"}, {14, "Toggle"}, {15, "Frame Pulse"}}},
    {"MISCELLANEOUS/BaudRate", "0x0604", "0x07", nullptr, "4", "0", "0x07", "3", true, "baudRate",
     {{0, "9600"}, {1, "19200"}, {2, "38400"}, {3, "57600"}, {4, "115200"}}},
    {"MISCELLANEOUS/RGSIdNumber", "0x0614", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true, "rgsId",
     {}},
};

// Example failure: a register's mask, shift, limits, access, workspace flag, mnemonic or value
// list differs from the camera's register table (say TEC_Temperature without its shift of 20).
TEST_F(KelmirMap, SpotRowsMatchTheRegisterTables)
{
    for (const SpotRow& row : kKelmirRows)
        CheckRow(map, row);
    // The value the camera does not offer stays in the file, commented out.
    const MapElement* trigger = map.Find("CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerType");
    ASSERT_NE(trigger, nullptr);
    EXPECT_STREQ(trigger->node.child("mask").next_sibling().value(), "<val id=\"0\">Off</val>");
}

// Example failure: a limits element gets an address or an access level (it would then be read
// from register 0), or a debug maximum no longer spans the 24-bit raw range.
TEST_F(KelmirMap, LimitsElements)
{
    const struct {
        const char* path;
        const char* defaultValue;
        std::vector<std::pair<std::string, std::string>> children;
    } rows[] = {
        {"AFEREGISTERS/AnalogGainLimits", "0.0",
         {{"min", "0.0"}, {"max", "36.0"}, {"step", "0.035190616"}, {"min_d", "0.0"}, {"max_d", "590400.53"}}},
        {"AFEREGISTERS/AnalogOffsetLimits", "0.0",
         {{"min", "0.0"}, {"max", "4095.0"}, {"step", "1.0"}, {"min_d", "0.0"}, {"max_d", "16777215.0"}}},
        {"AFEREGISTERS/EMGainLimits", "0", {{"min", "0x06A4"}, {"max", "0X0FFF"}, {"step", "1"}}},
        {"DATAREGISTERS/DigitalGainLimits", "1.0",
         {{"min", "1.0"}, {"max", "4.0"}, {"step", "0.0009768805"}, {"min_d", "0.0"}, {"max_d", "16389.334"}}},
        {"DATAREGISTERS/DigitalOffsetLimits", "0",
         {{"min", "-512"}, {"max", "511"}, {"step", "1"}, {"min_d", "-512"}, {"max_d", "16776703"}}},
        {"CCDTIMINGREGISTERS/UserTECValueLimits", "0", {{"min", "-20"}, {"max", "30"}, {"step", "1"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const MapElement* e = map.Find(std::string("CAMERA/") + row.path);
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e->node.attribute("default").value(), row.defaultValue);
        std::vector<std::pair<std::string, std::string>> children;
        for (const pugi::xml_node& child : ChildElements(e->node))
            children.emplace_back(child.name(), Text(child));
        EXPECT_EQ(children, row.children);
        if (e->Has("max_d")) {
            const double step = std::stod(e->Child("step"));
            EXPECT_NEAR(std::stod(e->Child("max_d")), std::stod(e->Child("min_d")) + step * 0xFFFFFF, 0.01);
        }
    }
}

// Example failure: one of the 24 EM gain registers gets the address or mnemonic of another step
// or channel.
TEST_F(KelmirMap, EmGainTableFollowsItsPattern)
{
    const char* const steps[] = {"1X", "5X", "10X", "15X", "20X", "User"};
    const char* const cmdSteps[] = {"1", "5", "10", "15", "20", "User"};
    const char channels[] = {'A', 'B', 'C', 'D'};
    for (int s = 0; s < 6; ++s) {
        for (int c = 0; c < 4; ++c) {
            const std::string name = std::string("EMGain") + steps[s] + channels[c];
            SCOPED_TRACE(name);
            const MapElement* e = map.Find("CAMERA/DATAREGISTERS/" + name);
            ASSERT_NE(e, nullptr);
            char address[8];
            std::snprintf(address, sizeof address, "0x%04X", 0x0310 + 0x10 * s + 4 * c);
            CheckRow(map, {e->path.c_str() + 7, address, "0xFFFF", nullptr, "0", "0", "0xFFFF", "3", true,
                           (std::string("emG") + cmdSteps[s] + channels[c]).c_str(), {}});
        }
    }
}

// Example failure: a register loses its access note, a boolean gets limits, a mnemonic is reused,
// a value id is not a number, or a front-end gain loses its default.
TEST_F(KelmirMap, EveryRegisterIsWellFormed)
{
    std::set<std::string> names;
    std::map<std::string, std::vector<std::string>> byCmd;
    for (const MapElement& e : map.Elements()) {
        SCOPED_TRACE(e.path);
        EXPECT_TRUE(names.insert(e.Name()).second) << "duplicate name";
        if (e.IsLimits()) {
            EXPECT_TRUE(kFloatLimits.count(e.Name()) || kIntLimits.count(e.Name()));
            for (const char* absent : {"mask", "access", "cmd", "ws"})
                EXPECT_FALSE(e.Has(absent)) << absent;
            continue;
        }
        EXPECT_EQ(e.node.previous_sibling().type(), pugi::node_comment) << "no description";
        const auto address = e.Int("address");
        ASSERT_TRUE(address);
        EXPECT_LE(*address, 0xFFFF);
        const auto mask = e.Int("mask");
        ASSERT_TRUE(mask);
        EXPECT_GT(*mask, 0);
        const int64_t shift = e.Int("shift").value_or(0);
        EXPECT_LE(static_cast<uint64_t>(*mask) << shift, 0xFFFFFFFFull) << "field leaves the word";
        const auto access = e.Int("access");
        ASSERT_TRUE(access && *access >= 1 && *access <= 3);
        const char* const notes[] = {"", "RO", "WO", "RW"};
        EXPECT_STREQ(e.node.child("access").next_sibling().value(), notes[*access]);
        const std::string cmd = e.Child("cmd");
        EXPECT_FALSE(cmd.empty());
        EXPECT_LE(cmd.size(), 15u);
        byCmd[cmd].push_back(e.Name());

        const bool boolean = kBooleans.count(e.Name()) == 1;
        EXPECT_EQ(e.Has("min"), !boolean);
        EXPECT_EQ(e.Has("max"), !boolean);
        if (!boolean && e.Name() != "ExposureMin") {
            EXPECT_LE(*e.Int("max"), *mask) << "max above mask";
        }
        EXPECT_EQ(!e.node.attribute("default"), kMisspeltDefault.count(e.Name()) == 1);
        if (kMisspeltDefault.count(e.Name())) {
            EXPECT_STREQ(e.node.attribute("deault").value(), "0");
        }
        std::set<int64_t> ids;
        for (const pugi::xml_node& v : e.node.children("val")) {
            const auto id = ParseInt(v.attribute("id").value());
            ASSERT_TRUE(id);
            EXPECT_TRUE(ids.insert(*id).second) << "duplicate id " << *id;
        }
    }
    for (const auto& [cmd, users] : byCmd) {
        if (cmd == "paramFS") {
            EXPECT_EQ(users, (std::vector<std::string>{"ParamFlashStatus", "AFETestSelector"}));
        } else {
            EXPECT_EQ(users.size(), 1u) << cmd;
        }
    }
}

// Example failure: two fields that share a word overlap where the camera keeps them apart, so
// writing one corrupts the other.
TEST_F(KelmirMap, FieldsSharingAWordDoNotOverlapExceptTheKnownAliases)
{
    std::map<int64_t, std::vector<const MapElement*>> byAddress;
    for (const MapElement& e : map.Elements())
        if (!e.IsLimits())
            byAddress[*e.Int("address")].push_back(&e);
    std::set<std::pair<std::string, std::string>> overlapping;
    for (const auto& [address, fields] : byAddress)
        for (size_t i = 0; i < fields.size(); ++i)
            for (size_t j = i + 1; j < fields.size(); ++j) {
                const auto bits = [](const MapElement* e) {
                    return static_cast<uint64_t>(*e->Int("mask")) << e->Int("shift").value_or(0);
                };
                if (bits(fields[i]) & bits(fields[j]))
                    overlapping.emplace(fields[i]->Name(), fields[j]->Name());
            }
    EXPECT_EQ(overlapping, (std::set<std::pair<std::string, std::string>>{
                               {"CCD_ID", "ADC_DATA"}, {"DPCTestMode", "ADCAddrSel"}, {"TapsMode", "ActiveTaps"}}));
}

// Example failure: the model-name placeholder loses its blanks, or another manufacturing text
// gets a default other than the empty text.
TEST_F(KelmirMap, ManufacturingStringDefaults)
{
    std::string sentence;
    for (int i = 1; i <= 5; ++i)
        sentence += map.Find("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(i))->node.attribute("default").value();
    EXPECT_EQ(sentence, "Not a Zorvat camera.");
    for (const MapElement& e : map.Elements()) {
        if (e.section == "CAMERAMFGINFO" && !e.Name().starts_with("MfgName")) {
            ASSERT_TRUE(e.node.attribute("default")) << e.Name();
            EXPECT_STREQ(e.node.attribute("default").value(), "") << e.Name();
        }
    }
}
