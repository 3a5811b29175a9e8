// Content of the built-in machine-vision register maps: counts, hand-checked rows and the rules
// that every element follows.
#include "resources/MapFiles.h"
#include "resources/MapRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace corvel::test;

namespace {

class MapContent : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_TRUE(map.ParseResult()) << map.Name(); }
    const MapFile& map = LoadedMap(GetParam());
};

std::string MapTestName(const ::testing::TestParamInfo<const char*>& info)
{
    return std::string(info.param) == kMap174 ? "Map174" : "Map170";
}

const std::set<std::string> kBooleans = {"Ping", "FFCxSupport", "FFCySupport", "AGCMin",
                                         "AGCMax", "AECMin", "AECMax"};
const std::set<std::string> kLimits = {"AnalogGainLimits", "AnalogOffsetLimits", "DigitalGainLimits",
                                       "DigitalOffsetLimits"};
const std::set<std::string> kMisspeltDefault = {"Gain1B", "Gain2B", "Gain3B", "Gain4B"};

}  // namespace

// Example failure: the timing section is written with 37 elements (two registers lost), or a
// family rule produces one register too many.
TEST_P(MapContent, ElementCountsPerSectionAndGroup)
{
    const struct {
        const char* section;
        const char* group;  // "" = every element of the section, "-" = directly in the section
        size_t count;
    } rows[] = {
        {"LOCALSPACE", "", 21},         {"PARAMFLASH", "", 4},
        {"EPCSFLASH", "", 4},           {"BOOTLOADER", "", 4},
        {"CCDTIMINGSTATUS", "", 43},    {"LENSCONTROL", "", 28},
        {"CAMERAMFGINFO", "", 18},      {"MFGAFE", "", 48},
        {"EEPROMSPACE", "", 1},         {"AFEREGISTERS", "", 50},
        {"DATAREGISTERS", "", 49},      {"CCDTIMINGREGISTERS", "", 39},
        {"CCDTIMINGREGISTERS", "-", 1}, {"CCDTIMINGREGISTERS", "TRIGGERGROUP", 12},
        {"CCDTIMINGREGISTERS", "PULSEGROUP", 5}, {"CCDTIMINGREGISTERS", "EXPOSUREGROUP", 4},
        {"CCDTIMINGREGISTERS", "FRAMETIMEGROUP", 2}, {"CCDTIMINGREGISTERS", "STROBEGROUP", 6},
        {"CCDTIMINGREGISTERS", "WDRGROUP", 5},   {"CCDTIMINGREGISTERS", "OUTPUTGROUP", 4},
        {"MISCELLANEOUS", "", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.group);
        size_t n = 0;
        for (const MapElement& e : map.Elements()) {
            if (e.section != row.section)
                continue;
            const std::string group = row.group;
            if (group.empty() || (group == "-" && e.group.empty()) || group == e.group)
                ++n;
        }
        EXPECT_EQ(n, row.count);
    }
    size_t withAddress = 0;
    for (const MapElement& e : map.Elements())
        withAddress += e.IsLimits() ? 0 : 1;
    EXPECT_EQ(map.Elements().size(), 312u);
    EXPECT_EQ(withAddress, 308u);
}

namespace {

// Rows typed from the register tables; the same in both maps.
const SpotRow kSpotRows[] = {
    {"LOCALSPACE/CCD_VSUB", "0x6000", "0x0FFF", "12", "0", "0", "0x0FFF", "1", false, "ccdVSUB", {}},
    {"LOCALSPACE/Ping", "0x600C", "0xFFFFFFFF", nullptr, "false", nullptr, nullptr, "3", false, "ping", {}},
    {"LOCALSPACE/CamCode", "0x603C", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false, "cc",
     kCamCodeValues},
    {"PARAMFLASH/AFETestSelector", "0x604C", "0x03", nullptr, "0", "0", "0x03", "2", false, "paramFS", {}},
    {"BOOTLOADER/BootSelector", "0x6060", "0x07", nullptr, "0", "0", "0x07", "3", false, "bootSel", {}},
    {"CCDTIMINGSTATUS/ExposureMin", "0x6088", "0xFF", "24", "1", "1", "0xFF", "1", false, "expMin", {}},
    {"CCDTIMINGSTATUS/TapsAllowed", "0x609C", "0x0F", "4", "0", "0", "0x0F", "1", false, "tapsAlwd",
     {{0, "0"}, {1, "2"}, {2, "4"}, {3, "8"}, {4, "16"}}},
    {"CCDTIMINGSTATUS/AECMax", "0x60A0", "0x01", "29", "false", nullptr, nullptr, "1", false, "aecMax", {}},
    {"CCDTIMINGSTATUS/AGCCurrentM", "0x60B0", "0x03FF", "20", "0", "0", "0x03FF", "1", false, "agcCurM", {}},
    {"LENSCONTROL/CanonIrisRange", "0x6258", "0xFFFFFF", "8", "0", "0", "0xFFFFFF", "1", false,
     "cIrisRange", {}},
    {"LENSCONTROL/FocusStepValue", "0x6218", "0xFF", nullptr, "0", "1", "0xFF", "3", false, "fStepVal", {}},
    {"CAMERAMFGINFO/MfgDate2", "0x7024", "0xFFFFFFFF", nullptr, "", "0", "0xFFFFFFFF", "3", false,
     "mfgDate2", {}},
    {"CAMERAMFGINFO/CanonActiveMount", "0x7040", "0x0F", "4", "0", "0", "0x0F", "1", false, "canon", {}},
    {"MFGAFE/AFE3_H2L_POS_NEG2", "0x7188", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "3", true,
     "afe3h2lPosNeg2", {}},
    {"EEPROMSPACE/BootFrom", "0x5000", "0x07", nullptr, "0", "0", "0x07", "3", false, "boot",
     {{0, "Factory"}, {1, "User1"}, {2, "User2"}, {3, "User3"}, {4, "User4"}}},
    {"AFEREGISTERS/PreAmpGain4D", "0x00F0", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "preAmpG4D",
     {{0, "0.0 dB"}, {1, "3.0 dB"}, {2, "6.0 dB"}, {3, "9.0 dB"}, {4, "12.0 dB"}, {5, "15.0 dB"},
      {6, "18.0 dB"}}},
    {"AFEREGISTERS/Offs2C", "0x0068", "0x0FFF", nullptr, "0", "0", "0x0FFF", "3", true, "o2C", {}},
    {"DATAREGISTERS/BitShift", "0x0104", "0x0F", nullptr, "0", "0", "0x0F", "3", true, "bitShift",
     {{15, "Shift Left 7x"}, {14, "Shift Left 6x"}, {13, "Shift Left 5x"}, {12, "Shift Left 4x"},
      {11, "Shift Left 3x"}, {10, "Shift Left 2x"}, {9, "Shift Left 1x"}, {0, "No Shift"},
      {1, "Shift Right 1x"}, {2, "Shift Right 2x"}, {3, "Shift Right 3x"}, {4, "Shift Right 4x"},
      {5, "Shift Right 5x"}, {6, "Shift Right 6x"}, {7, "Shift Right 7x"}}},
    {"DATAREGISTERS/ActiveTaps", "0x0108", "0x07", nullptr, "0", "0", "0x07", "1", false, "taps",
     {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}, {3, "8 Taps"}, {4, "16 Taps"}}},
    {"DATAREGISTERS/DPCEnable", "0x0120", "0x07", nullptr, "0", "0", "0x05", "3", true, "dpcEn",
     {{0, "Off"}, {1, "Factory"}, {2, "Dynamic"}, {3, "Dynamic&Factory"}, {4, "User"}, {5, "Dynamic&User"}}},
    {"DATAREGISTERS/DigitalGain", "0x0180", "0x0FFF", nullptr, "0x03FF", "0x0400", "0x0FFF", "3", true,
     "digiGain", {}},
    {"DATAREGISTERS/BinHorzMode", "0x0204", "0x03", nullptr, "0", "0", "0x03", "3", true, "binHMode",
     {{0, "1x"}, {1, "2x"}, {3, "4x"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerType", "0x0508", "0x07", nullptr, "0", "0", "0x07", "3", true,
     "trgType", {{1, "External 1"}, {2, "Pulse Gen"}, {3, "Computer"}, {4, "Software"}, {5, "External 2"}}},
    {"CCDTIMINGREGISTERS/TRIGGERGROUP/TrStrobeDuration", "0x05B8", "0xFFFFFF", nullptr, "1", "1",
     "0xFFFFFF", "3", true, "trStDur", {}},
    {"CCDTIMINGREGISTERS/PULSEGROUP/PulseNumber", "0x053C", "0x01FFFF", nullptr, "1", "1", "0x01FFFF", "3",
     true, "plsNum", {}},
    {"CCDTIMINGREGISTERS/STROBEGROUP/Strobe2Duration", "0x05B4", "0xFFFFFF", nullptr, "20", "1",
     "0xFFFFFF", "3", true, "str2Dur", {}},
    {"CCDTIMINGREGISTERS/WDRGROUP/Knee2Position", "0x057C", "0x7F", nullptr, "0", "0", "0x64", "3", true,
     "knee2Pos", {}},
    {"CCDTIMINGREGISTERS/OUTPUTGROUP/Out1Mapping", "0x0594", "0xFF", nullptr, "0", "0", "0xFF", "3", true,
     "out1Map",
     {{0, "No mapping"}, {4, "Exposure Window"}, {9, "Trigger Pulse Delayed"}, {10, "Camera Ready"},
      {11, "Pulse Generator"}, {12, "Strobe #1"}, {14, "Toggle"}}},
    {"MISCELLANEOUS/FlashImageValue", "0x0600", "0xFFFFFFFF", nullptr, "0", "0", "0xFFFFFFFF", "1", false,
     "flashIm", {}},
    {"MISCELLANEOUS/BaudRate", "0x0604", "0x07", nullptr, "4", "0", "0x07", "3", true, "baudRate",
     {{0, "9600"}, {1, "19200"}, {2, "38400"}, {3, "57600"}, {4, "115200"}}},
};

// The value lists in which the two maps differ.
struct ListRow {
    const char* path;
    Values map170;
    Values map174;
};
const ListRow kDifferingLists[] = {
    {"DATAREGISTERS/TapsMode", {{2, "4 Taps"}},
     {{0, "1 Tap"}, {1, "2 Taps"}, {2, "4 Taps"}, {3, "8 Taps"}, {4, "16 Taps"}}},
    {"DATAREGISTERS/OutputFormat", {{0, "Base"}, {1, "Medium"}},
     {{0, "Base"}, {1, "Medium"}, {3, "Full"}, {4, "DECA"}}},
    {"DATAREGISTERS/FanMode", {{0, "Off"}, {1, "On"}, {2, "Auto"}}, {{1, "On"}, {2, "Auto"}}},
};

}  // namespace

// Example failure: a register's mask, shift, limits, access, workspace flag, mnemonic or value
// list differs from the camera's register table (say ExposureMin without its shift of 24).
TEST_P(MapContent, SpotRowsMatchTheRegisterTables)
{
    for (const SpotRow& row : kSpotRows)
        CheckRow(map, row);
    for (const ListRow& row : kDifferingLists) {
        SCOPED_TRACE(row.path);
        const MapElement* e = map.Find(std::string("CAMERA/") + row.path);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(ValList(e->node), map.Name() == kMap174 ? row.map174 : row.map170);
    }
}

// Example failure: the model-name placeholder is not 20 characters or loses its trailing blank,
// or the other manufacturing strings get a default of "0" instead of empty text.
TEST_P(MapContent, ManufacturingStringDefaults)
{
    std::string sentence;
    for (int i = 1; i <= 5; ++i) {
        const MapElement* e = map.Find("CAMERA/CAMERAMFGINFO/MfgName" + std::to_string(i));
        ASSERT_NE(e, nullptr);
        const std::string piece = e->node.attribute("default").value();
        EXPECT_EQ(piece.size(), 4u) << i;
        sentence += piece;
    }
    EXPECT_EQ(sentence.size(), 20u);
    EXPECT_EQ(sentence.substr(18), ". ");
    for (const char* family : {"Zorvat", "Fandro", "Kelmir", "Wispen"})
        EXPECT_EQ(sentence.find(family), std::string::npos) << sentence;
    for (const char* name : {"MfgAPN1", "MfgAPN2", "MfgAPN3", "MfgAPN4", "MfgASN1", "MfgASN2", "MfgCCD1",
                             "MfgCCD2", "MfgDate1", "MfgDate2"}) {
        const MapElement* e = map.Find(std::string("CAMERA/CAMERAMFGINFO/") + name);
        ASSERT_NE(e, nullptr) << name;
        ASSERT_TRUE(e->node.attribute("default")) << name;
        EXPECT_STREQ(e->node.attribute("default").value(), "") << name;
    }
}

// Example failure: a limits element gets an address (and so a register link), or its step no
// longer matches the raw span it converts, so the panels show wrong gains.
TEST_P(MapContent, LimitsElements)
{
    const LimitsRow rows[] = {
        {"AFEREGISTERS/AnalogGainLimits", {"0.0", "0.0", "24.0", "0.035190616", "0.0", "590400.53"}, 0x02AA},
        {"AFEREGISTERS/AnalogOffsetLimits", {"0.0", "0.0", "4095.0", "1.0", "0.0", "16777215.0"}, 4095},
        {"DATAREGISTERS/DigitalGainLimits", {"1.0", "1.0", "4.0", "0.0009768805", "0.0", "16389.334"},
         0x0FFF - 0x0400},
        {"DATAREGISTERS/DigitalOffsetLimits", {"0", "-512", "511", "1", "-512", "16776703"}, 1023},
    };
    for (const LimitsRow& row : rows)
        CheckLimits(map, row);
}

// Example failure: an address wider than 16 bits or a shift of 32 slips into a map and the coder
// cuts the wrong bits (or shifts by the word width).
TEST_P(MapContent, EveryRegisterIsWellFormed)
{
    std::set<std::string> names;
    std::map<std::string, std::vector<std::string>> byCmd;
    for (const MapElement& e : map.Elements()) {
        SCOPED_TRACE(e.path);
        EXPECT_TRUE(names.insert(e.Name()).second) << "duplicate name";
        if (e.IsLimits()) {
            EXPECT_EQ(kLimits.count(e.Name()), 1u);
            EXPECT_FALSE(e.Has("access"));
            EXPECT_FALSE(e.Has("cmd"));
            continue;
        }
        const std::string address = e.Child("address");
        ASSERT_EQ(address.size(), 6u);
        EXPECT_EQ(address.find_first_not_of("0123456789ABCDEF", 2), std::string::npos);
        const auto addr = e.Int("address");
        ASSERT_TRUE(addr);
        EXPECT_LE(*addr, 0xFFFF);

        const auto mask = e.Int("mask");
        ASSERT_TRUE(mask);
        EXPECT_GT(*mask, 0);
        int64_t shift = 0;
        if (e.Has("shift")) {
            ASSERT_TRUE(e.Int("shift"));
            shift = *e.Int("shift");
            EXPECT_GT(shift, 0) << "a zero shift is written by leaving the element out";
        }
        EXPECT_LT(shift, 32);
        if (shift >= 0 && shift < 32) {
            EXPECT_LE(static_cast<uint64_t>(*mask) << shift, 0xFFFFFFFFull) << "field leaves the word";
        }

        const auto access = e.Int("access");
        ASSERT_TRUE(access);
        EXPECT_TRUE(*access >= 1 && *access <= 3);
        if (e.Has("ws")) {
            EXPECT_EQ(e.Child("ws"), "true");
        }
        const std::string cmd = e.Child("cmd");
        EXPECT_FALSE(cmd.empty());
        EXPECT_LE(cmd.size(), 15u);
        byCmd[cmd].push_back(e.Name());
        for (const char* absent : {"poll", "page", "seq"})
            EXPECT_FALSE(e.Has(absent)) << absent;

        const bool boolean = kBooleans.count(e.Name()) == 1;
        EXPECT_EQ(e.Has("min"), !boolean);
        EXPECT_EQ(e.Has("max"), !boolean);
        if (!boolean) {
            ASSERT_TRUE(e.Int("min") && e.Int("max"));
            EXPECT_LE(*e.Int("min"), *e.Int("max"));
            EXPECT_LE(*e.Int("max"), *mask) << "max above mask";
        } else {
            EXPECT_STREQ(e.node.attribute("default").value(), "false");
        }

        if (kMisspeltDefault.count(e.Name())) {
            EXPECT_FALSE(e.node.attribute("default"));
            EXPECT_STREQ(e.node.attribute("deault").value(), "0");
        } else {
            EXPECT_TRUE(e.node.attribute("default"));
            EXPECT_FALSE(e.node.attribute("deault"));
        }

        std::set<int64_t> ids;
        for (const pugi::xml_node& v : e.node.children("val")) {
            const auto id = ParseInt(v.attribute("id").value());
            ASSERT_TRUE(id) << v.attribute("id").value();
            EXPECT_TRUE(ids.insert(*id).second) << "duplicate id " << *id;
            EXPECT_FALSE(Text(v).empty());
        }
    }
    // Two mnemonics are shared; every other one is unique.
    for (const auto& [cmd, users] : byCmd) {
        if (cmd == "paramFS") {
            EXPECT_EQ(users, (std::vector<std::string>{"ParamFlashStatus", "AFETestSelector"}));
        } else if (cmd == "vsubWrite") {
            EXPECT_EQ(users, (std::vector<std::string>{"VSubWrite", "RgsCamInfo"}));
        } else {
            EXPECT_EQ(users.size(), 1u) << cmd;
        }
    }
}

// Example failure: a default lies outside its register's limits where the tables do not say so,
// so the store starts a parameter on a value the camera refuses.
TEST_P(MapContent, DefaultsLieWithinLimitsExceptTheKnownThree)
{
    const std::set<std::string> outside = {"DigitalGain", "IrisStepValue", "FocusStepValue"};
    std::set<std::string> found;
    for (const MapElement& e : map.Elements()) {
        if (e.IsLimits() || kBooleans.count(e.Name()) || e.Name().starts_with("Mfg"))
            continue;
        SCOPED_TRACE(e.path);
        const pugi::xml_attribute attr =
            e.node.attribute("default") ? e.node.attribute("default") : e.node.attribute("deault");
        const auto value = ParseInt(attr.value());
        ASSERT_TRUE(value) << attr.value();
        if (*value < *e.Int("min") || *value > *e.Int("max"))
            found.insert(e.Name());
    }
    EXPECT_EQ(found, outside);
}

// Example failure: two registers that share a word overlap in their bits (a wrong mask or shift),
// so writing one corrupts the other.
TEST_P(MapContent, FieldsSharingAWordDoNotOverlapExceptTheKnownAliases)
{
    std::map<int64_t, std::vector<const MapElement*>> byAddress;
    for (const MapElement& e : map.Elements())
        if (!e.IsLimits())
            byAddress[*e.Int("address")].push_back(&e);
    const std::set<std::pair<std::string, std::string>> aliases = {
        {"FrameTime", "ExposureMax"}, {"TapsMode", "ActiveTaps"}, {"RgsCamInfo", "CanonActiveMount"}};
    std::set<std::pair<std::string, std::string>> overlapping;
    for (const auto& [address, fields] : byAddress) {
        for (size_t i = 0; i < fields.size(); ++i) {
            for (size_t j = i + 1; j < fields.size(); ++j) {
                const auto bits = [](const MapElement* e) {
                    return static_cast<uint64_t>(*e->Int("mask")) << e->Int("shift").value_or(0);
                };
                if (bits(fields[i]) & bits(fields[j]))
                    overlapping.emplace(fields[i]->Name(), fields[j]->Name());
            }
        }
    }
    EXPECT_EQ(overlapping, aliases);
}

// Example failure: a register is placed in the wrong section, or a section's address range grows
// or shrinks against the register tables.
TEST_P(MapContent, SectionAddressRanges)
{
    const struct {
        const char* section;
        int64_t first;
        int64_t last;
    } rows[] = {
        {"LOCALSPACE", 0x6000, 0x603C},     {"PARAMFLASH", 0x6040, 0x604C},
        {"EPCSFLASH", 0x6050, 0x605C},      {"BOOTLOADER", 0x6060, 0x606C},
        {"CCDTIMINGSTATUS", 0x6070, 0x60B4}, {"LENSCONTROL", 0x6200, 0x6268},
        {"CAMERAMFGINFO", 0x7000, 0x7040},  {"MFGAFE", 0x7100, 0x71BC},
        {"EEPROMSPACE", 0x5000, 0x5000},    {"AFEREGISTERS", 0x0000, 0x00F8},
        {"DATAREGISTERS", 0x0100, 0x030C},  {"CCDTIMINGREGISTERS", 0x0500, 0x05CC},
        {"MISCELLANEOUS", 0x0600, 0x0614},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.section);
        int64_t lo = INT64_MAX, hi = INT64_MIN;
        for (const MapElement& e : map.Elements()) {
            if (e.section != row.section || e.IsLimits())
                continue;
            lo = std::min(lo, *e.Int("address"));
            hi = std::max(hi, *e.Int("address"));
        }
        EXPECT_EQ(lo, row.first);
        EXPECT_EQ(hi, row.last);
    }
}

// Example failure: a workspace setting loses its ws flag (the workspace file then skips it), or a
// read-only status register gains one.
TEST_P(MapContent, WorkspaceFlagsFollowTheSections)
{
    const std::set<std::string> workspaceSections = {"MFGAFE", "AFEREGISTERS", "DATAREGISTERS",
                                                     "CCDTIMINGREGISTERS", "MISCELLANEOUS"};
    const std::set<std::string> exceptions = {"ActiveTaps", "FlashImageValue"};
    for (const MapElement& e : map.Elements()) {
        if (e.IsLimits())
            continue;
        SCOPED_TRACE(e.path);
        const bool expected = workspaceSections.count(e.section) && !exceptions.count(e.Name());
        EXPECT_EQ(e.Has("ws"), expected);
    }
}

// Example failure: a register of a rule-built family gets the wrong address, shift or mnemonic
// (for instance the third AGC channel of a word without its shift of 20).
TEST_P(MapContent, FamiliesFollowTheirRules)
{
    const auto check = [&](const std::string& path, int64_t address, int64_t shift, const std::string& cmd,
                           const std::string& mask, const std::string& max) {
        SCOPED_TRACE(path);
        const MapElement* e = map.Find(path);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(*e->Int("address"), address);
        EXPECT_EQ(e->Int("shift").value_or(0), shift);
        EXPECT_EQ(e->Child("cmd"), cmd);
        EXPECT_EQ(e->Child("mask"), mask);
        EXPECT_EQ(e->Child("max"), max);
    };
    const std::string channels = "BCDEFGHIJKLMNOP";
    for (size_t i = 0; i < channels.size(); ++i)
        check("CAMERA/CCDTIMINGSTATUS/AGCCurrent" + channels.substr(i, 1), 0x60A4 + 4 * (i / 3),
              10 * (i % 3), "agcCur" + channels.substr(i, 1), "0x03FF", "0x03FF");

    const char* const strings[] = {"MfgAPN1", "MfgAPN2", "MfgAPN3",  "MfgAPN4",  "MfgASN1",
                                   "MfgASN2", "MfgCCD1", "MfgCCD2",  "MfgDate1", "MfgDate2",
                                   "MfgName1", "MfgName2", "MfgName3", "MfgName4", "MfgName5"};
    for (size_t i = 0; i < std::size(strings); ++i) {
        std::string cmd = strings[i];
        cmd[0] = 'm';
        check(std::string("CAMERA/CAMERAMFGINFO/") + strings[i], 0x7000 + 4 * i, 0, cmd, "0xFFFFFFFF",
              "0xFFFFFFFF");
    }

    const char* const suffixes[] = {"_PAndD_LOC_CHA", "_PAndD_LOC_CHB", "_PAndD_LOC_CHC", "_PAndD_LOC_CHD",
                                    "_H1S_POS_NEG1",  "_H2S_POS_NEG1",  "_H2L_POS_NEG1",  "_RG1_POS_NEG1",
                                    "_H1S_POS_NEG2",  "_H2S_POS_NEG2",  "_H2L_POS_NEG2",  "_RG1_POS_NEG2"};
    const char* const mnemonics[] = {"panddA",     "panddB1",    "panddC1",    "panddD1",
                                     "h1sPosNeg1", "h2sPosNeg1", "h2lPosNeg1", "rg1PosNeg1",
                                     "h1sPosNeg2", "h2sPosNeg2", "h2lPosNeg2", "rg1PosNeg2"};
    for (int n = 1; n <= 4; ++n)
        for (int i = 0; i < 12; ++i)
            check("CAMERA/MFGAFE/AFE" + std::to_string(n) + suffixes[i], 0x7100 + 0x30 * (n - 1) + 4 * i, 0,
                  "afe" + std::to_string(n) + mnemonics[i], "0xFFFFFFFF", "0xFFFFFFFF");

    for (int n = 1; n <= 4; ++n) {
        for (int c = 0; c < 4; ++c) {
            const std::string suffix = std::to_string(n) + static_cast<char>('A' + c);
            const int base = 0x40 * (n - 1) + 0x10 * c;
            check("CAMERA/AFEREGISTERS/PreAmpGain" + suffix, base, 0, "preAmpG" + suffix, "0x0F", "0x0F");
            check("CAMERA/AFEREGISTERS/Gain" + suffix, base + 4, 0, "g" + suffix, "0x03FF", "0x02AA");
            check("CAMERA/AFEREGISTERS/Offs" + suffix, base + 8, 0, "o" + suffix, "0x0FFF", "0x0FFF");
        }
    }
}

// Example failure: the hidden "Off" entry of TriggerType is written as a live value (so raw 0 gets
// a text) or dropped from the file altogether.
TEST_P(MapContent, HiddenValueOfTriggerTypeStandsCommentedOut)
{
    const MapElement* e = map.Find("CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TriggerType");
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->node.find_child_by_attribute("val", "id", "0"));
    std::vector<std::string> comments;
    for (const pugi::xml_node& c : e->node.children())
        if (c.type() == pugi::node_comment)
            comments.push_back(c.value());
    EXPECT_NE(std::find(comments.begin(), comments.end(), "<val id=\"0\">Off</val>"), comments.end());
    EXPECT_NE(std::find(comments.begin(), comments.end(), "Hide this"), comments.end());
}

INSTANTIATE_TEST_SUITE_P(BothMaps, MapContent, ::testing::ValuesIn(kMapFiles), MapTestName);
