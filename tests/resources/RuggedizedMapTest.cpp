// The two ruggedized register maps: configuration 10 ("Zorvat.Ruggedized", the machine-vision
// camera's layout with full-range gains and the long output mapping list) and configuration 11
// ("Zorvat.Ruggedized47", the aerospace map with a WDR group in place of the TDI group and three
// other value lists). Each is held against the map it shares its camera with, so that only the
// documented differences can stand between them.
#include "resources/MapCompare.h"
#include "resources/MapFiles.h"
#include "resources/MapRows.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

constexpr const char* kMap172 = "Zorvat.Ruggedized.xml";
constexpr const char* kMap176 = "Zorvat.Ruggedized47.xml";

const char* const kGainChannels[] = {"1A", "1B", "1C", "1D", "2A", "2B", "2C", "2D",
                                     "3A", "3B", "3C", "3D", "4A", "4B", "4C", "4D"};

const Values kLongOutputMapping = {
    {0, "No mapping"},     {1, "Exposure Start"},        {2, "Exposure End"},   {3, "Mid Exposure"},
    {4, "Active Exposure Window"}, {5, "H-Sync"},        {6, "V-Sync"},         {7, "Odd/Even Frame Flag"},
    {8, "Trigger Pulse"},  {9, "Trigger Pulse Delayed"}, {10, "Camera Ready"},  {11, "Pulse Generator"},
    {12, "Strobe #1"},     {13, "Strobe #2"},            {14, "Toggle"},        {15, "Frame Pulse"}};
const Values kKneeWeights = {{0, "20"}, {1, "30"}, {2, "40"}, {3, "50"},
                             {4, "60"}, {5, "70"}, {6, "80"}, {7, "90"}};
const Values kTaps5 = {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}, {3, "8 Taps"}, {4, "16 Taps"}};

const MapFile& Loaded(const char* file)
{
    const MapFile& map = LoadedMap(file);
    EXPECT_TRUE(map.ParseResult()) << file << ": " << map.ParseResult().description();
    return map;
}

std::map<std::string, size_t> CountsByContainer(const MapFile& map)
{
    std::map<std::string, size_t> counts;
    for (const MapElement& e : map.Elements())
        ++counts[e.group.empty() ? e.section : e.group];
    return counts;
}

bool HasHiddenOff(const MapElement& e)
{
    for (const pugi::xml_node& c : e.node.children())
        if (c.type() == pugi::node_comment && std::string(c.value()) == "<val id=\"0\">Off</val>")
            return true;
    return false;
}

}  // namespace

// Example failure: the generator writes LF line ends, drops the byte-order mark, or gives a map the
// declaration layout of the other family (the aerospace family has an empty line after it).
TEST(RuggedizedMap, BomDeclarationAndCrLfEverywhere)
{
    const struct {
        const char* file;
        const char* head;
    } rows[] = {
        {kMap172, "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!--\r\nCommands:\r\n"},
        {kMap176, "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n\r\n<!--\r\nReferences:\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string& bytes = Loaded(row.file).Bytes();
        ASSERT_EQ(bytes.compare(0, std::string(row.head).size(), row.head), 0);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        size_t bareLf = 0, bareCr = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            bareLf += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
            bareCr += bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
        }
        EXPECT_EQ(bareLf, 0u);
        EXPECT_EQ(bareCr, 0u);
        EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 3), std::string::npos);
    }
}

// Example failure: a section or group loses or gains an element, a group is misplaced, or map 176
// keeps the TDI group of the map it is derived from.
TEST(RuggedizedMap, SectionsGroupsAndCounts)
{
    const std::map<std::string, size_t> common = {
        {"LOCALSPACE", 21},      {"PARAMFLASH", 4},     {"EPCSFLASH", 4},      {"BOOTLOADER", 4},
        {"CCDTIMINGSTATUS", 43}, {"LENSCONTROL", 28},   {"CAMERAMFGINFO", 18}, {"MFGAFE", 48},
        {"EEPROMSPACE", 1},      {"AFEREGISTERS", 50},  {"DATAREGISTERS", 49}, {"CCDTIMINGREGISTERS", 1},
        {"TRIGGERGROUP", 12},    {"PULSEGROUP", 5},     {"EXPOSUREGROUP", 4},  {"FRAMETIMEGROUP", 2},
        {"STROBEGROUP", 6},      {"WDRGROUP", 5},       {"OUTPUTGROUP", 4},    {"MISCELLANEOUS", 3}};
    const char* const groupComments[] = {"Trigger group", "Pulse group", "Exposure group", "Frame Time group",
                                         "Strobe group",  "WDR group",   "Output group"};
    for (const char* file : {kMap172, kMap176}) {
        SCOPED_TRACE(file);
        const MapFile& map = Loaded(file);
        const pugi::xml_node camera = map.Doc().child("CAMERA");
        std::vector<std::string> sections = {"CameraType"};
        sections.insert(sections.end(), std::begin(kSections), std::end(kSections));
        EXPECT_EQ(ChildElementNames(camera), sections);
        EXPECT_EQ(Text(camera.child("CameraType")), "KAI-xxx50 CCD");
        EXPECT_STREQ(camera.attribute("xsi:noNamespaceSchemaLocation").value(), "CameraDef.xsd");

        std::vector<std::string> timing = {"BinVertMode"};
        timing.insert(timing.end(), std::begin(kTimingGroups), std::end(kTimingGroups));
        EXPECT_EQ(ChildElementNames(camera.child("CCDTIMINGREGISTERS")), timing);
        for (size_t i = 0; i < std::size(kTimingGroups); ++i)
            EXPECT_STREQ(camera.child("CCDTIMINGREGISTERS").child(kTimingGroups[i]).previous_sibling().value(),
                         groupComments[i]);

        EXPECT_EQ(CountsByContainer(map), common);
        size_t registers = 0;
        for (const MapElement& e : map.Elements())
            registers += e.IsLimits() ? 0 : 1;
        EXPECT_EQ(map.Elements().size(), 312u);
        EXPECT_EQ(registers, 308u);
    }
}

namespace {

// Rows typed from the ruggedized register table: one or more of each section, every row with an
// odd mask, shift, limit or default, and the rows that set this map apart from the others.
const SpotRow k172Rows[] = {
    {"LOCALSPACE/CCD_VSUB", "0x6000", "0x0FFF", "12", "0", "0", "0x0FFF", "1", false, "ccdVSUB", {}},
    {"LOCALSPACE/Ping", "0x600C", "0xFFFFFFFF", nullptr, "false", nullptr, nullptr, "3", false, "ping", {}},
    {"LOCALSPACE/Temperature", "0x6010", "0x3FF", nullptr, "0", "0", "0x3FF", "1", false, "temp", {}},
    {"LOCALSPACE/SW_Reset", "0x601C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "2", false, "swReset", {}},
    {"LOCALSPACE/CamCode", "0x603C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false, "cc",
     {{0, "Wispen"}, {1, "Fandro 6-12M"}, {2, "Fandro 16-25M"}, {3, "Fandro 6-12M PIV"}, {4, "Zorvat Industrial"},
      {5, "Zorvat Industrial 47M"}, {6, "Fandro Sony"}, {7, "Kelmir"}, {8, "Zorvat Aerospace"},
      {9, "Zorvat Aerospace 47M"}, {10, "Zorvat Ruggedized"}, {11, "Zorvat Ruggedized 47M"}}},
    {"PARAMFLASH/AFETestSelector", "0x604C", "0x03", nullptr, "0", "0", "0x03", "2", false, "paramFS", {}},
    {"EPCSFLASH/EPCSFlashStatus", "0x6058", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false, "epcsFS",
     {}},
    {"BOOTLOADER/BootSelector", "0x6060", "0x07", nullptr, "0", "0", "0x07", "3", false, "bootSel", {}},
    {"CCDTIMINGSTATUS/ESDEventProtection", "0x607C", "0x0F", "24", "0", "0", "0x0F", "1", false, "esd", {}},
    {"CCDTIMINGSTATUS/FrameTime", "0x6080", "0xFFFFFFFF", nullptr, "1", "1", "0xFFFFFF", "1", false, "ft", {}},
    {"CCDTIMINGSTATUS/ExposureMin", "0x6088", "0xFF", "24", "1", "1", "0xFF", "1", false, "expMin", {}},
    {"CCDTIMINGSTATUS/TriggerPeriod", "0x608C", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF", "1", false, "trgPer",
     {}},
    {"CCDTIMINGSTATUS/TapsAllowed", "0x609C", "0x0F", "4", "0", "0", "0x0F", "1", false, "tapsAlwd",
     {{0, "0"}, {1, "2"}, {2, "4"}, {3, "8"}, {4, "16"}}},
    {"CCDTIMINGSTATUS/AECMax", "0x60A0", "0x01", "29", "false", nullptr, nullptr, "1", false, "aecMax", {}},
    {"CCDTIMINGSTATUS/AGCCurrentO", "0x60B4", "0x03FF", "10", "0", "0", "0x03FF", "1", false, "agcCurO", {}},
    {"LENSCONTROL/IrisStepValue", "0x6200", "0xFF", nullptr, "0", "1", "0xFF", "3", false, "iStepVal", {}},
    {"LENSCONTROL/CanonSetIrisRangeCheck", "0x6244", "0x01", nullptr, "0", "0", "0x01", "3", false, "iRangeCheck",
     {{0, "Off"}, {1, "On"}}},
    {"LENSCONTROL/CanonIrisRange", "0x6258", "0xFFFFFF", "8", "0", "0", "0xFFFFFF", "1", false, "cIrisRange",
     {}},
    {"LENSCONTROL/CanonLensStatus", "0x6260", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false,
     "cIrisStatus", {}},
    {"CAMERAMFGINFO/MfgDate2", "0x7024", "0xFFFFFFFF", nullptr, "", "0", "0xFFFFFFFF", "3", false, "mfgDate2",
     {}},
    {"CAMERAMFGINFO/VSubWrite", "0x703C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", false,
     "vsubWrite", {}},
    {"CAMERAMFGINFO/RgsCamInfo", "0x7040", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", false,
     "vsubWrite", {}},
    {"CAMERAMFGINFO/CanonActiveMount", "0x7040", "0x0F", "4", "0", "0", "0x0F", "1", false, "canon", {}},
    {"MFGAFE/AFE1_PAndD_LOC_CHA", "0x7100", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true,
     "afe1panddA", {}},
    {"MFGAFE/AFE3_H2L_POS_NEG2", "0x7188", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true,
     "afe3h2lPosNeg2", {}},
    {"EEPROMSPACE/BootFrom", "0x5000", "0x07", nullptr, "0", "0", "0x07", "3", false, "boot",
     {{0, "Factory"}, {1, "User1"}, {2, "User2"}, {3, "User3"}, {4, "User4"}}},
    {"AFEREGISTERS/PreAmpGain3B", "0x0090", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "preAmpG3B",
     {{0, "0.0 dB"}, {1, "3.0 dB"}, {2, "6.0 dB"}, {3, "9.0 dB"}, {4, "12.0 dB"}, {5, "15.0 dB"}, {6, "18.0 dB"}}},
    {"AFEREGISTERS/Gain4D", "0x00F4", "0x03FF", nullptr, "0", "0", "0x03FF", "3", true, "g4D", {}},
    {"AFEREGISTERS/Offs2C", "0x0068", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "o2C", {}},
    {"DATAREGISTERS/BitShift", "0x0104", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "bitShift",
     {{15, "Shift Left 7x"}, {14, "Shift Left 6x"}, {13, "Shift Left 5x"}, {12, "Shift Left 4x"},
      {11, "Shift Left 3x"}, {10, "Shift Left 2x"}, {9, "Shift Left 1x"}, {0, "No Shift"}, {1, "Shift Right 1x"},
      {2, "Shift Right 2x"}, {3, "Shift Right 3x"}, {4, "Shift Right 4x"}, {5, "Shift Right 5x"},
      {6, "Shift Right 6x"}, {7, "Shift Right 7x"}}},
    {"DATAREGISTERS/TapsMode", "0x0108", "0x07", nullptr, "0", "0", "0x07", "3", true, "tapsMode",
     {{2, "4 Taps"}}},
    {"DATAREGISTERS/ActiveTaps", "0x0108", "0x07", nullptr, "0", "0", "0x07", "1", false, "taps", kTaps5},
    {"DATAREGISTERS/OutputFormat", "0x010C", "0x07", nullptr, "0", "0", "0x07", "3", true, "outFmt",
     {{0, "Base"}, {1, "Medium"}}},
    {"DATAREGISTERS/DPCEnable", "0x0120", "0x07", nullptr, "0", "0", "0x05", "3", true, "dpcEn",
     {{0, "Off"}, {1, "Factory"}, {2, "Dynamic"}, {3, "Dynamic&Factory"}, {4, "User"}, {5, "Dynamic&User"}}},
    {"DATAREGISTERS/FanMode", "0x0130", "0x03", nullptr, "0", "0", "0x02", "3", true, "fanMode",
     {{0, "Off"}, {1, "On"}, {2, "Auto"}}},
    {"DATAREGISTERS/TecOnLevel", "0x013C", "0x7F", nullptr, "0", "0", "0x55", "3", true, "tecOnLevel", {}},
    {"DATAREGISTERS/MirrorEnable", "0x015C", "0x01", nullptr, "0", "0", "0x01", "3", true, "mirEn", {}},
    {"DATAREGISTERS/DigitalGain", "0x0180", "0x0FFF", nullptr, "0x03FF", "0x0400", "0x0FFF", "3", true,
     "digiGain", {}},
    {"DATAREGISTERS/AGCLimitMin", "0x018C", "0x3FF", nullptr, "0", "0", "0x3FF", "3", true, "agcLimMin", {}},
    {"DATAREGISTERS/DPCThreshold", "0x0198", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "dpcThres", {}},
    {"DATAREGISTERS/HPCThreshold", "0x0194", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "hpcThres", {}},
    {"DATAREGISTERS/MasterAOIEnable", "0x0208", "0x01", nullptr, "1", "0", "0x01", "3", true, "maoiEn",
     {{0, "Off"}, {1, "On"}}},
    {"DATAREGISTERS/SlaveAOIVerOffset", "0x028C", "0x3FFF", nullptr, "0", "0", "0x3FFF", "3", true, "saoiVO", {}},
    {"CCDTIMINGREGISTERS/BinVertMode", "0x0500", "0x03", nullptr, "0", "0", "0x03", "3", true, "binVMode",
     {{0, "1x"}, {1, "2x"}, {3, "4x"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/AcquisitionMode", "0x05BC", "0x01", nullptr, "0", "0", "0x01", "3", true,
     "acqMode", {{0, "Free Running Mode"}, {1, "Trigger Mode"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerOverlap", "0x0514", "0x03", nullptr, "0", "0", "0x03", "3", true,
     "trgOlap", {{0, "Ignore"}, {1, "Accept"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerFrames", "0x051C", "0xFFFF", nullptr, "1", "1", "0xFFDD", "3", true,
     "trgFrm", {}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TrStrobeDuration", "0x05B8", "0xFFFFFF", nullptr, "1", "1", "0xFFFFFF", "3",
     true, "trStDur", {}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerGlitch", "0x05CC", "0xFFFF", nullptr, "0", "0", "0xFFFF", "3", true,
     "trgGlt", {}},
    {"CCDTIMINGREGISTERS/PULSEGROUP/PulseNumber", "0x053C", "0x01FFFF", nullptr, "1", "1", "0x01FFFF", "3", true,
     "plsNum", {}},
    {"CCDTIMINGREGISTERS/EXPOSUREGROUP/AECLimitMax", "0x05B0", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF", "3",
     true, "aecLimMax", {}},
    {"CCDTIMINGREGISTERS/FRAMETIMEGROUP/FrameTimeAbsolute", "0x0558", "0xFFFFFF", nullptr, "0", "0", "0xFFFFFF",
     "3", true, "frTimeAb", {}},
    {"CCDTIMINGREGISTERS/STROBEGROUP/Strobe2Duration", "0x05B4", "0xFFFFFF", nullptr, "20", "1", "0xFFFFFF", "3",
     true, "str2Dur", {}},
    {"CCDTIMINGREGISTERS/WDRGROUP/WDRMode", "0x0570", "0x03", nullptr, "0", "0", "0x02", "3", true, "wdrMode",
     {{0, "Off"}, {1, "One Knee"}, {2, "Two Knees"}}},
    {"CCDTIMINGREGISTERS/WDRGROUP/Knee2Weight", "0x0580", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "knee2Wght", kKneeWeights},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out1Mapping", "0x0594", "0xFF", nullptr, "0", "0", "0xFF", "3", true,
     "out1Map", kLongOutputMapping},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out2Mapping", "0x059C", "0xFF", nullptr, "0", "0", "0xFF", "3", true,
     "out2Map", kLongOutputMapping},
    {"MISCELLANEOUS/FlashImageValue", "0x0600", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false,
     "flashIm", {}},
    {"MISCELLANEOUS/BaudRate", "0x0604", "0x07", nullptr, "4", "0", "0x07", "3", true, "baudRate",
     {{0, "9600"}, {1, "19200"}, {2, "38400"}, {3, "57600"}, {4, "115200"}}},
};

}  // namespace

// Example failure: a mask, shift, limit, default, access level, workspace flag, mnemonic or value
// list of map 172 differs from its register table.
TEST(RuggedizedMap, Map172SpotRowsMatchTheRegisterTable)
{
    const MapFile& map = Loaded(kMap172);
    for (const SpotRow& row : k172Rows)
        CheckRow(map, row);

    for (const char* channel : {"1B", "2B", "3B", "4B"}) {
        const MapElement* gain = map.Find(std::string("CAMERA/AFEREGISTERS/Gain") + channel);
        ASSERT_NE(gain, nullptr);
        EXPECT_FALSE(gain->node.attribute("default")) << channel;
        EXPECT_STREQ(gain->node.attribute("deault").value(), "0") << channel;
    }
    // The model-name placeholder: 20 characters that name no product.
    std::string sentence;
    for (int i = 1; i <= 5; ++i)
        sentence += map.Find("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(i))->node.attribute("default").value();
    EXPECT_EQ(sentence.size(), 20u);
    for (const char* family : {"Zorvat", "Fandro", "Kelmir", "Wispen"})
        EXPECT_EQ(sentence.find(family), std::string::npos) << sentence;
}

// Example failure: the gain scale keeps the machine-vision camera's 24 dB, so the gain panel maps
// the full ten-bit register onto the wrong range.
TEST(RuggedizedMap, LimitsElementsOfBothMaps)
{
    const LimitsRow rows[] = {
        {"AFEREGISTERS/AnalogGainLimits", {"0.0", "0.0", "36.0", "0.035190616", "0.0", "590400.53"}, 0x03FF},
        {"AFEREGISTERS/AnalogOffsetLimits", {"0.0", "0.0", "4095.0", "1.0", "0.0", "16777215.0"}, 0x0FFF},
        {"DATAREGISTERS/DigitalGainLimits", {"1.0", "1.0", "4.0", "0.0009768805", "0.0", "16389.334"},
         0x0FFF - 0x0400},
        {"DATAREGISTERS/DigitalOffsetLimits", {"0", "-512", "511", "1", "-512", "16776703"}, 0x03FF},
    };
    for (const char* file : {kMap172, kMap176}) {
        SCOPED_TRACE(file);
        for (const LimitsRow& row : rows)
            CheckLimits(Loaded(file), row);
    }
}

// Example failure: an edit meant for the machine-vision camera reaches map 172 or the reverse (a
// mask, a comment, an indentation), or one of the documented differences is missing. Map 172 is
// the machine-vision map with full-range gains and the long output mapping list, nothing else.
TEST(RuggedizedMap, Map172DiffersFromTheMachineVisionMapOnlyWhereDocumented)
{
    const MapFile& m170 = Loaded(kMap170);
    const MapFile& m172 = Loaded(kMap172);
    std::set<std::string> expected = {"CAMERA/AFEREGISTERS/AnalogGainLimits",
                                      "CAMERA/CCDTIMINGREGISTERS/OUTPUTGROUP/Out1Mapping"};
    std::vector<std::string> differing = {"AnalogGainLimits", "Out1Mapping"};
    for (const char* channel : kGainChannels) {
        expected.insert(std::string("CAMERA/AFEREGISTERS/Gain") + channel);
        differing.push_back(std::string("Gain") + channel);
    }
    EXPECT_EQ(Differences(m170.Doc(), m172.Doc()), expected);
    EXPECT_TRUE(WithoutElements(m170.Bytes(), differing) == WithoutElements(m172.Bytes(), differing))
        << "the files differ outside the documented registers";

    // The gain registers differ in their maximum alone, the full ten bits of their mask.
    for (const char* channel : kGainChannels) {
        const std::string path = std::string("CAMERA/AFEREGISTERS/Gain") + channel;
        SCOPED_TRACE(path);
        EXPECT_EQ(m172.Find(path)->Child("max"), "0x03FF");
        EXPECT_EQ(m170.Find(path)->Child("max"), "0x02AA");
    }
}

// Example failure: map 176 drifts from the aerospace map it is defined by (a comment, a default,
// an indentation), or a documented difference is missing: the TDI group left in, the WDR group
// without its comments, a value list of the other camera.
TEST(RuggedizedMap, Map176IsTheAerospaceMapWithTheDocumentedDifferences)
{
    const MapFile& m171 = Loaded(kMap171);
    const MapFile& m176 = Loaded(kMap176);

    // Element by element, with the one differing timing group taken out of each.
    pugi::xml_document a, b;
    a.reset(m171.Doc());
    b.reset(m176.Doc());
    pugi::xml_node timingA = a.child("CAMERA").child("CCDTIMINGREGISTERS");
    pugi::xml_node timingB = b.child("CAMERA").child("CCDTIMINGREGISTERS");
    ASSERT_TRUE(timingA.remove_child(timingA.child("TDIGROUP").previous_sibling()));
    ASSERT_TRUE(timingA.remove_child("TDIGROUP"));
    ASSERT_TRUE(timingB.remove_child(timingB.child("WDRGROUP").previous_sibling()));
    ASSERT_TRUE(timingB.remove_child("WDRGROUP"));
    const std::set<std::string> expected = {"(document)", "CAMERA/DATAREGISTERS/TapsMode",
                                            "CAMERA/DATAREGISTERS/FanMode",
                                            "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerOverlap"};
    EXPECT_EQ(Differences(a, b), expected);

    // Byte for byte outside the head comment, the three registers and the group.
    const auto body = [](const std::string& bytes) {
        std::string out = WithoutElements(bytes, {"TapsMode", "FanMode", "TriggerOverlap", "TDIGROUP", "WDRGROUP"});
        for (const std::string comment : {"\t\t<!--TDI group-->\r\n", "\t\t<!--WDR group-->\r\n"})
            if (const size_t at = out.find(comment); at != std::string::npos)
                out.erase(at, comment.size());
        const size_t headEnd = out.find("-->\r\n");
        return headEnd == std::string::npos ? out : out.substr(headEnd);
    };
    EXPECT_TRUE(body(m171.Bytes()) == body(m176.Bytes())) << "the files differ outside the documented places";

    // The head comment: the WDR commands in place of the TDI ones, no lines for the two
    // undescribed manufacturing words, every other line as in the aerospace map.
    auto lines171 = CommandLines(m171.Doc().first_child().next_sibling().value());
    const auto lines176 = CommandLines(m176.Doc().first_child().next_sibling().value());
    for (const char* name : {"TDIMode", "TDINumber", "TDIDelay", "VSubWrite", "RgsCamInfo"}) {
        EXPECT_EQ(lines176.count(name), 0u) << name;
        EXPECT_EQ(lines171.erase(name), 1u) << name;
    }
    const std::vector<std::vector<std::string>> wdr = {
        {"wdrMode", "WDRMode", "This register sets the WDR mode of operation."},
        {"knee1Pos", "Knee1Position", "This register sets the position of the Knee 1."},
        {"knee1Wght", "Knee1Weight", "This register sets the weight of the Knee 1."},
        {"knee2Pos", "Knee2Position", "This register sets the position of the Knee 2."},
        {"knee2Wght", "Knee2Weight", "This register sets the weight of the Knee 2."}};
    for (const auto& line : wdr)
        lines171[line[1]] = line;
    EXPECT_EQ(lines176, lines171);
    const std::string head = m176.Doc().first_child().next_sibling().value();
    EXPECT_NE(head.find("\t\tstr2Pos\tStrobe2Position\t"), std::string::npos);
    EXPECT_LT(head.find("\t\tstr2Pos\t"), head.find("\t\twdrMode\t"));
    EXPECT_LT(head.find("\t\tknee2Wght\t"), head.find("\t\tout1Pol\t"));

    // Each WDR register is preceded by the comment of its command line.
    for (const auto& line : wdr) {
        const MapElement* e = m176.Find("CAMERA/CCDTIMINGREGISTERS/WDRGROUP/" + line[1]);
        ASSERT_NE(e, nullptr) << line[1];
        EXPECT_EQ(std::string(e->node.previous_sibling().value()), line[2]);
    }
}

namespace {

// Rows typed from the Ruggedized47 difference list and its WDR table, with a few rows the map takes
// from the aerospace tables.
const SpotRow k176Rows[] = {
    {"CCDTIMINGREGISTERS/WDRGROUP/WDRMode", "0x0570", "0x03", nullptr, "0", "0", "0x02", "3", true, "wdrMode",
     {{0, "Off"}, {1, "One Knee"}, {2, "Two Knees"}}},
    {"CCDTIMINGREGISTERS/WDRGROUP/Knee1Position", "0x0574", "0x7F", nullptr, "0", "0", "0x64", "3", true,
     "knee1Pos", {}},
    {"CCDTIMINGREGISTERS/WDRGROUP/Knee1Weight", "0x0578", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "knee1Wght", kKneeWeights},
    {"CCDTIMINGREGISTERS/WDRGROUP/Knee2Position", "0x057C", "0x7F", nullptr, "0", "0", "0x64", "3", true,
     "knee2Pos", {}},
    {"CCDTIMINGREGISTERS/WDRGROUP/Knee2Weight", "0x0580", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "knee2Wght", kKneeWeights},
    {"DATAREGISTERS/TapsMode", "0x0108", "0x07", nullptr, "0", "0", "0x07", "3", true, "tapsMode", kTaps5},
    {"DATAREGISTERS/FanMode", "0x0130", "0x03", nullptr, "0", "0", "0x02", "3", true, "fanMode",
     {{1, "On"}, {2, "Auto"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerOverlap", "0x0514", "0x03", nullptr, "0", "0", "0x03", "3", true,
     "trgOlap", {{0, "Ignore"}, {1, "Accept"}}},
    {"DATAREGISTERS/OutputFormat", "0x010C", "0x07", nullptr, "0", "0", "0x07", "3", true, "outFmt",
     {{0, "Base"}, {1, "Medium"}, {3, "Full"}, {4, "DECA"}}},
    {"AFEREGISTERS/Gain2C", "0x0064", "0x03FF", nullptr, "0", "0", "0x03FF", "3", true, "g2C", {}},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out1Mapping", "0x0594", "0xFF", nullptr, "0", "0", "0xFF", "3", true,
     "out1Map", kLongOutputMapping},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TrStrobeDuration", "0x05B8", "0xFFFFFF", nullptr, "1", "1", "0xFFFFFF", "3",
     true, "trStDur", {}},
};

}  // namespace

// Example failure: a WDR register gets the wrong mask or limits, FanMode's "Off" is a live value
// (so raw 0 gets a text), or the TDI registers are still in the map.
TEST(RuggedizedMap, Map176SpotRowsMatchTheDifferenceList)
{
    const MapFile& map = Loaded(kMap176);
    for (const SpotRow& row : k176Rows)
        CheckRow(map, row);
    const MapElement* fan = map.Find("CAMERA/DATAREGISTERS/FanMode");
    ASSERT_NE(fan, nullptr);
    EXPECT_TRUE(HasHiddenOff(*fan));
    EXPECT_FALSE(fan->node.find_child_by_attribute("val", "id", "0"));
    for (const char* name : {"TDIMode", "TDINumber", "TDIDelay"})
        for (const MapElement& e : map.Elements())
            EXPECT_NE(e.Name(), name);
    std::string sentence;
    for (int i = 1; i <= 5; ++i)
        sentence += map.Find("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(i))->node.attribute("default").value();
    EXPECT_EQ(sentence, "Not a Zorvat camera.");
}

// Example failure: the two ruggedized maps, written from two different tables, disagree on a
// register they share (the WDR group of map 176 against map 172's table, say). Both describe
// the same camera family: apart from the model-name placeholder they differ only in the three
// value lists the 47 camera has otherwise.
TEST(RuggedizedMap, TheTwoRuggedizedMapsAgreeOnEveryRegisterButThree)
{
    const MapFile& m172 = Loaded(kMap172);
    const MapFile& m176 = Loaded(kMap176);
    std::set<std::string> expected = {"CAMERA/DATAREGISTERS/TapsMode", "CAMERA/DATAREGISTERS/OutputFormat",
                                      "CAMERA/DATAREGISTERS/FanMode"};
    for (int n = 2; n <= 5; ++n)
        expected.insert("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(n));
    EXPECT_EQ(Differences(m172.Doc(), m176.Doc(), false), expected);
}
