// The built-in aerospace register map (configuration 8): its layout, hand-checked rows, and the
// exact set of registers in which it differs from the machine-vision map.
#include "resources/MapCompare.h"
#include "resources/MapFiles.h"
#include "resources/MapRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

class AerospaceMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(map.Bytes().empty()) << "cannot read " << MapPath(kMap171);
        ASSERT_TRUE(map.ParseResult()) << map.ParseResult().description() << " at byte "
                                       << map.ParseResult().offset;
    }
    const MapFile& map = LoadedMap(kMap171);
};

}  // namespace

// Example failure: the file is written with LF line ends, without the byte-order mark, or without
// the empty line after the declaration.
TEST_F(AerospaceMap, BomDeclarationEmptyLineAndCrLfEverywhere)
{
    const std::string& bytes = map.Bytes();
    const std::string head = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n\r\n<!--\r\n";
    ASSERT_EQ(bytes.compare(0, head.size(), head), 0);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    size_t bareLf = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            ++bareLf;
    EXPECT_EQ(bareLf, 0u);
    EXPECT_EQ(bytes.find('\r', 0) + 1, bytes.find('\n', 0)) << "a CR stands alone";
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 3), std::string::npos);
    EXPECT_EQ(bytes.find("\t\t\t\t\t"), std::string::npos) << "nesting deeper than a group register";
}

// Example failure: the head comment keeps the WDR lines of another camera, loses the lines of the
// two undescribed manufacturing words, or the access enumeration goes missing.
TEST_F(AerospaceMap, HeadCommentsAndRoot)
{
    std::vector<pugi::xml_node> top;
    for (const pugi::xml_node& node : map.Doc().children())
        top.push_back(node);
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(top[0].type(), pugi::node_declaration);
    EXPECT_FALSE(top[0].attribute("encoding"));
    EXPECT_FALSE(top[0].attribute("standalone"));
    ASSERT_EQ(top[1].type(), pugi::node_comment);
    const std::string head = top[1].value();
    const size_t references = head.find("References:");
    const size_t commands = head.find("Commands:");
    ASSERT_NE(references, std::string::npos);
    ASSERT_NE(commands, std::string::npos);
    EXPECT_LT(references, commands);

    const auto lines = CommandLines(head);
    for (const char* name : {"TDIMode", "TDINumber", "TDIDelay", "CameralinkFormat", "PulseMode", "Out2Mapping"})
        EXPECT_EQ(lines.count(name), 1u) << name;
    for (const char* name : {"WDRMode", "Knee1Position", "FW_Build", "AFETestSelector", "ActiveTaps",
                             "CanonActiveMount", "AnalogGainLimits", "IrisStepValue", "AFE1_PAndD_LOC_CHA"})
        EXPECT_EQ(lines.count(name), 0u) << name;
    EXPECT_EQ(lines.at("AGCLimits"), (std::vector<std::string>{"<N/A>", "AGCLimits", "<internal data>"}));
    for (const char* name : {"ParamFlashControl", "ParamFlashData", "ParamFlashStatus", "EPCSFlashControl",
                             "EPCSFlashData", "EPCSFlashStatus", "FrameNum", "FrameRate", "VSubWrite",
                             "RgsCamInfo"}) {
        ASSERT_EQ(lines.count(name), 1u) << name;
        EXPECT_EQ(lines.at(name).size(), 2u) << name << " has a description";
    }
    EXPECT_EQ(lines.at("RgsCamInfo")[0], "vsubWrite");
    EXPECT_EQ(lines.at("TDINumber")[0], "tdiNum");
    for (const char* section : {"LENSCONTROL", "MFGAFE"})
        EXPECT_EQ(head.find(std::string("\t") + section + "\n"), std::string::npos) << section;
    for (const char* sub : {"\tAFE1\n", "\tAFE4\n", "\t\t.......\t"})
        EXPECT_NE(head.find(sub), std::string::npos) << sub;

    ASSERT_EQ(top[2].type(), pugi::node_comment);
    EXPECT_NE(std::string(top[2].value()).find("OrvParam_ReadModfyWrite = 7"), std::string::npos);
    EXPECT_STREQ(top[3].name(), "CAMERA");
    EXPECT_STREQ(top[3].attribute("xsi:noNamespaceSchemaLocation").value(), "CameraDef.xsd");
    EXPECT_STREQ(top[3].attribute("xmlns:xsi").value(), "http://www.w3.org/2001/XMLSchema-instance");
    EXPECT_EQ(Text(top[3].child("CameraType")), "KAI-xxx50 CCD");
}

// Example failure: the TDI group is missing or misplaced, a section loses a register, or a WDR
// group slips in from the machine-vision layout.
TEST_F(AerospaceMap, SectionsGroupsAndCounts) { CheckAerospaceSectionsAndCounts(map); }

// Example failure: a lens or manufacturing AFE register gains a description or an access note, a
// flash register gets a description, or an access note disagrees with the level beside it.
TEST_F(AerospaceMap, RegisterCommentsFollowTheirSection)
{
    for (const MapElement& e : map.Elements()) {
        SCOPED_TRACE(e.path);
        const pugi::xml_node before = e.node.previous_sibling();
        if (e.IsLimits()) {
            EXPECT_EQ(before.type(), pugi::node_comment);
            continue;
        }
        const bool bare = e.section == "LENSCONTROL" || e.section == "MFGAFE";
        ASSERT_EQ(before.type() == pugi::node_comment, !bare);
        if (e.section == "PARAMFLASH" || e.section == "EPCSFLASH") {
            EXPECT_STREQ(before.value(), "");
        } else if (!bare) {
            EXPECT_STRNE(before.value(), "");
        }
        const pugi::xml_node note = e.node.child("access").next_sibling();
        if (bare) {
            EXPECT_NE(note.type(), pugi::node_comment);
        } else {
            const char* const notes[] = {"", "RO", "WO", "RW"};
            ASSERT_EQ(note.type(), pugi::node_comment);
            EXPECT_STREQ(note.value(), notes[e.Int("access").value_or(0) & 3]);
        }
    }
    EXPECT_STREQ(map.Find("CAMERA/CAMERAMFGINFO/RgsCamInfo")->node.previous_sibling().value(), "This register ...");
}

namespace {

// Rows typed from the aerospace register tables: every row that differs from the machine-vision
// map, and one or more of each section.
const SpotRow kAerospaceRows[] = {
    {"LOCALSPACE/CCD_ID", "0x6000", "0x0FFF", nullptr, "0", "0", "0x0FFF", "1", false, "ccdId", {}},
    {"LOCALSPACE/FPGA_Type", "0x6008", "0x0F", "20", "0", "0", "0x0F", "1", false, "fpgaType", {}},
    {"LOCALSPACE/Ping", "0x600C", "0xFFFFFFFF", nullptr, "false", nullptr, nullptr, "3", false, "ping", {}},
    {"PARAMFLASH/AFETestSelector", "0x604C", "0x03", nullptr, "0", "0", "0x03", "2", false, "paramFS", {}},
    {"EPCSFLASH/RU_Config", "0x605C", "0xFF", nullptr, "0", "0", "0xFF", "3", false, "ruConfig", {}},
    {"BOOTLOADER/MfgSave", "0x606C", "0xFF", nullptr, "0", "0", "0xFF", "2", false, "mfgSave", {}},
    {"CCDTIMINGSTATUS/ExposureMax", "0x6080", "0xFFFFFFFF", nullptr, "1", "1", "0xFFFFFF", "1", false, "expMax",
     {}},
    {"CCDTIMINGSTATUS/TapsMax", "0x609C", "0x0F", nullptr, "0", "0", "0x0F", "1", false, "tapsMax",
     {{0, "1"}, {1, "1"}, {2, "2"}, {3, "2"}, {4, "4"}, {5, "8"}, {6, "16"}}},
    {"CCDTIMINGSTATUS/FFCySupport", "0x609C", "0x01", "9", "false", nullptr, nullptr, "1", false, "ffcySup", {}},
    {"LENSCONTROL/CanonLensCtrlStatus", "0x6264", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false,
     "cIrisCtrlStatus", {}},
    {"LENSCONTROL/CanonLensPolarity", "0x6248", "0x01", nullptr, "0", "0", "0x01", "3", false, "cLensPolar",
     {{0, "Positive"}, {1, "Negative"}}},
    {"CAMERAMFGINFO/MfgName2", "0x702C", "0xFFFFFFFF", nullptr, "a Zo", "0", "0xFFFFFFFF", "3", false,
     "mfgName2", {}},
    {"CAMERAMFGINFO/RgsCamInfo", "0x7040", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", false,
     "vsubWrite", {}},
    {"CAMERAMFGINFO/CanonActiveMount", "0x7040", "0x0F", "4", "0", "0", "0x0F", "1", false, "canon", {}},
    {"MFGAFE/AFE4_RG1_POS_NEG2", "0x71BC", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true,
     "afe4rg1PosNeg2", {}},
    {"EEPROMSPACE/BootFrom", "0x5000", "0x07", nullptr, "0", "0", "0x07", "3", false, "boot",
     {{0, "Factory"}, {1, "User1"}, {2, "User2"}, {3, "User3"}, {4, "User4"}}},
    {"AFEREGISTERS/Gain3C", "0x00A4", "0x03FF", nullptr, "0", "0", "0x03FF", "3", true, "g3C", {}},
    {"DATAREGISTERS/TapsMode", "0x0108", "0x07", nullptr, "0", "0", "0x07", "3", true, "tapsMode",
     {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}}},
    {"DATAREGISTERS/OutputFormat", "0x010C", "0x07", nullptr, "0", "0", "0x07", "3", true, "outFmt",
     {{0, "Base"}, {1, "Medium"}, {3, "Full"}, {4, "DECA"}}},
    {"DATAREGISTERS/SlaveAOIMode", "0x020C", "0x07", nullptr, "0", "0", "0x07", "3", true, "saoiEn",
     {{0, "Off"}, {1, "Include"}, {2, "Exclude"}, {3, "AGC/AEC ROI Include"}, {4, "AGC/AEC ROI Exclude"},
      {5, "AWB ROI Include"}, {6, "AWB ROI Exclude"}, {7, "LUT ROI"}}},
    {"DATAREGISTERS/MasterAOIEnable", "0x0208", "0x01", nullptr, "1", "0", "0x01", "3", true, "maoiEn",
     {{0, "Off"}, {1, "On"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerOverlap", "0x0514", "0x03", nullptr, "0", "0", "0x03", "3", true,
     "trgOlap", {{0, "Ignore"}, {1, "Accept After Exp"}, {2, "Accept Any"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerFrames", "0x051C", "0xFFFF", nullptr, "1", "1", "0xFFDD", "3", true,
     "trgFrm", {}},
    {"CCDTIMINGREGISTERS/TDIGROUP/TDIMode", "0x0504", "0x03", nullptr, "0", "0", "0x03", "3", true, "tdiMode",
     {{0, "Off"}, {1, "Forward Scan"}, {2, "Reverse Scan"}}},
    {"CCDTIMINGREGISTERS/TDIGROUP/TDINumber", "0x0520", "0x0FFF", nullptr, "1", "1", "0x0FFF", "3", true,
     "tdiNum", {}},
    {"CCDTIMINGREGISTERS/TDIGROUP/TDIDelay", "0x054C", "0xFFFF", nullptr, "0", "0", "0xFFFF", "3", true, "tdiDel",
     {}},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out1Mapping", "0x0594", "0xFF", nullptr, "0", "0", "0xFF", "3", true,
     "out1Map",
     {{0, "No mapping"}, {1, "Exposure Start"}, {2, "Exposure End"}, {3, "Mid Exposure"},
      {4, "Active Exposure Window"}, {5, "H-Sync"}, {6, "V-Sync"}, {7, "Odd/Even Frame Flag"},
      {8, "Trigger Pulse"}, {9, "Trigger Pulse Delayed"}, {10, "Camera Ready"}, {11, "Pulse Generator"},
      {12, "Strobe #1"}, {13, "Strobe #2"}, {14, "Toggle"}, {15, "Frame Pulse"}}},
    {"MISCELLANEOUS/RGSIdNumber", "0x0614", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true, "rgsId",
     {}},
};

}  // namespace

// Example failure: a mask, shift, limit, default, access level, workspace flag, mnemonic or value
// list differs from the aerospace register tables.
TEST_F(AerospaceMap, SpotRowsMatchTheRegisterTables)
{
    for (const SpotRow& row : kAerospaceRows)
        CheckRow(map, row);
    std::string name;
    for (int i = 1; i <= 5; ++i)
        name += map.Find("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(i))->node.attribute("default").value();
    EXPECT_EQ(name, "Not a Zorvat camera.");
    // The analog gain scale reaches 36.0 over the full ten bits of the gain registers.
    const MapElement* gain = map.Find("CAMERA/AFEREGISTERS/AnalogGainLimits");
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(gain->Child("max"), "36.0");
    EXPECT_NEAR(36.0 / std::stod(gain->Child("step")), 1023.0, 1e-3);
    EXPECT_STREQ(map.Find("CAMERA/AFEREGISTERS/Gain2B")->node.attribute("deault").value(), "0");
    EXPECT_FALSE(map.Find("CAMERA/AFEREGISTERS/Gain2B")->node.attribute("default"));
}

// Example failure: an edit meant for the aerospace camera changes a register it shares with the
// machine-vision camera (or the reverse), which no spot row happens to cover. Comments and the
// one differing timing group aside, the maps differ in exactly these registers.
TEST_F(AerospaceMap, DiffersFromTheMachineVisionMapOnlyWhereTheTablesSay)
{
    const MapFile& m170 = LoadedMap(kMap170);
    ASSERT_TRUE(m170.ParseResult());
    pugi::xml_document a, b;
    a.reset(m170.Doc());
    b.reset(map.Doc());
    ASSERT_TRUE(a.child("CAMERA").child("CCDTIMINGREGISTERS").remove_child("WDRGROUP"));
    ASSERT_TRUE(b.child("CAMERA").child("CCDTIMINGREGISTERS").remove_child("TDIGROUP"));

    std::set<std::string> expected = {
        "CAMERA/AFEREGISTERS/AnalogGainLimits", "CAMERA/DATAREGISTERS/TapsMode",
        "CAMERA/DATAREGISTERS/OutputFormat",    "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerOverlap",
        "CAMERA/CCDTIMINGREGISTERS/OUTPUTGROUP/Out1Mapping"};
    for (int n = 2; n <= 5; ++n)
        expected.insert("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(n));
    for (const char* channel : {"1A", "1B", "1C", "1D", "2A", "2B", "2C", "2D", "3A", "3B", "3C", "3D", "4A",
                                "4B", "4C", "4D"})
        expected.insert(std::string("CAMERA/AFEREGISTERS/Gain") + channel);
    EXPECT_EQ(Differences(a, b, false), expected);

    // The gain registers differ in their maximum alone.
    for (const MapElement& e : map.Elements()) {
        if (e.section != "AFEREGISTERS" || !e.Name().starts_with("Gain"))
            continue;
        SCOPED_TRACE(e.path);
        EXPECT_EQ(e.Child("max"), "0x03FF");
        EXPECT_EQ(m170.Find(e.path)->Child("max"), "0x02AA");
    }
}
