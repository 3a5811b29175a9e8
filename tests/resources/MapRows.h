// Hand-typed register rows checked against a map file, shared by the map tests.
#pragma once

#include "resources/MapFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace corvel::test {

// The byte layout every map shares: byte-order mark, the declaration, CR LF line ends only.
inline void CheckMapBytes(const MapFile& map)
{
    const std::string& bytes = map.Bytes();
    ASSERT_FALSE(bytes.empty()) << "cannot read " << MapPath(map.Name());
    const std::string head = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n";
    ASSERT_EQ(bytes.compare(0, head.size(), head), 0);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "last line has no CR LF";

    size_t bareLf = 0;
    size_t bareCr = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            ++bareLf;
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            ++bareCr;
    }
    EXPECT_EQ(bareLf, 0u);
    EXPECT_EQ(bareCr, 0u);
    // The byte-order mark appears once, at the start.
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 3), std::string::npos);
}

using Values = std::vector<std::pair<int, std::string>>;

/// The camera families by configuration index, as every map's "CamCode" lists them.
inline const Values kCamCodeValues = {
    {0, "Wispen"}, {1, "Fandro 6-12M"}, {2, "Fandro 16-25M"}, {3, "Fandro 6-12M PIV"},
    {4, "Zorvat Industrial"}, {5, "Zorvat Industrial 47M"}, {6, "Fandro Sony"}, {7, "Kelmir"},
    {8, "Zorvat Aerospace"}, {9, "Zorvat Aerospace 47M"}, {10, "Zorvat Ruggedized"},
    {11, "Zorvat Ruggedized 47M"}};

inline Values ValList(const pugi::xml_node& node)
{
    Values values;
    for (const pugi::xml_node& v : node.children("val"))
        values.emplace_back(static_cast<int>(ParseInt(v.attribute("id").value()).value_or(-9999)), Text(v));
    return values;
}

struct SpotRow {
    const char* path;
    const char* address;
    const char* mask;
    const char* shift;     // nullptr: no shift element
    const char* defaultValue;
    const char* min;       // nullptr: no min and max (boolean)
    const char* max;
    const char* access;
    bool ws;
    const char* cmd;
    Values values;
};

inline void CheckRow(const MapFile& map, const SpotRow& row)
{
    SCOPED_TRACE(row.path);
    const MapElement* e = map.Find(std::string("CAMERA/") + row.path);
    ASSERT_NE(e, nullptr);
    // The children, in the order the layout prescribes.
    std::vector<std::string> expected = {"address", "mask"};
    if (row.shift)
        expected.push_back("shift");
    for (size_t i = 0; i < row.values.size(); ++i)
        expected.push_back("val");
    if (row.min) {
        expected.push_back("min");
        expected.push_back("max");
    }
    expected.push_back("access");
    if (row.ws)
        expected.push_back("ws");
    expected.push_back("cmd");
    EXPECT_EQ(ChildElementNames(e->node), expected);

    EXPECT_EQ(e->Child("address"), row.address);
    EXPECT_EQ(e->Child("mask"), row.mask);
    if (row.shift) {
        EXPECT_EQ(e->Child("shift"), row.shift);
    }
    ASSERT_TRUE(e->node.attribute("default"));
    EXPECT_STREQ(e->node.attribute("default").value(), row.defaultValue);
    if (row.min) {
        EXPECT_EQ(e->Child("min"), row.min);
        EXPECT_EQ(e->Child("max"), row.max);
    }
    EXPECT_EQ(e->Child("access"), row.access);
    if (row.ws) {
        EXPECT_EQ(e->Child("ws"), "true");
    }
    EXPECT_EQ(e->Child("cmd"), row.cmd);
    EXPECT_EQ(ValList(e->node), row.values);
}

// A floating-point limits element: its five children and default as written, and the raw span of
// the registers it scales (max - min over step), which its debug range covers 24 bits beyond.
struct LimitsRow {
    const char* path;
    const char* values[6];  // default, min, max, step, min_d, max_d
    double rawSpan;
};

inline void CheckLimits(const MapFile& map, const LimitsRow& row)
{
    SCOPED_TRACE(row.path);
    const MapElement* e = map.Find(std::string("CAMERA/") + row.path);
    ASSERT_NE(e, nullptr);
    const std::vector<std::string> names = {"min", "max", "step", "min_d", "max_d"};
    EXPECT_EQ(ChildElementNames(e->node), names);
    EXPECT_STREQ(e->node.attribute("default").value(), row.values[0]);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(e->Child(names[i].c_str()), row.values[i + 1]) << names[i];
    const double min = std::stod(row.values[1]), max = std::stod(row.values[2]);
    const double step = std::stod(row.values[3]), minD = std::stod(row.values[4]);
    const double maxD = std::stod(row.values[5]);
    EXPECT_NEAR((max - min) / step, row.rawSpan, row.rawSpan * 1e-6);
    EXPECT_NEAR(minD + step * 16777215.0, maxD, std::fabs(maxD) * 1e-6);
}

/// The aerospace layout both aerospace maps share: the thirteen sections, BinVertMode and the
/// seven groups with the TDI group, each group after its comment, and the element counts.
inline void CheckAerospaceSectionsAndCounts(const MapFile& map)
{
    const pugi::xml_node camera = map.Doc().child("CAMERA");
    std::vector<std::string> expected = {"CameraType"};
    expected.insert(expected.end(), std::begin(kSections), std::end(kSections));
    EXPECT_EQ(ChildElementNames(camera), expected);
    EXPECT_EQ(Text(camera.child("CameraType")), "KAI-xxx50 CCD");
    EXPECT_STREQ(camera.attribute("xsi:noNamespaceSchemaLocation").value(), "CameraDef.xsd");

    const char* const groups[] = {"TRIGGERGROUP", "PULSEGROUP",  "EXPOSUREGROUP", "FRAMETIMEGROUP",
                                  "STROBEGROUP",  "TDIGROUP",    "OUTPUTGROUP"};
    const char* const groupComments[] = {"Trigger group", "Pulse group", "Exposure group", "Frame Time group",
                                         "Strobe group",  "TDI group",   "Output group"};
    std::vector<std::string> timing = {"BinVertMode"};
    timing.insert(timing.end(), std::begin(groups), std::end(groups));
    EXPECT_EQ(ChildElementNames(camera.child("CCDTIMINGREGISTERS")), timing);
    for (size_t i = 0; i < std::size(groups); ++i)
        EXPECT_STREQ(camera.child("CCDTIMINGREGISTERS").child(groups[i]).previous_sibling().value(),
                     groupComments[i]);

    std::map<std::string, size_t> counts;
    size_t registers = 0;
    for (const MapElement& e : map.Elements()) {
        ++counts[e.group.empty() ? e.section : e.group];
        registers += e.IsLimits() ? 0 : 1;
    }
    const std::map<std::string, size_t> expectedCounts = {
        {"LOCALSPACE", 21},     {"PARAMFLASH", 4},     {"EPCSFLASH", 4},      {"BOOTLOADER", 4},
        {"CCDTIMINGSTATUS", 43}, {"LENSCONTROL", 28},  {"CAMERAMFGINFO", 18}, {"MFGAFE", 48},
        {"EEPROMSPACE", 1},     {"AFEREGISTERS", 50},  {"DATAREGISTERS", 49}, {"CCDTIMINGREGISTERS", 1},
        {"TRIGGERGROUP", 12},   {"PULSEGROUP", 5},     {"EXPOSUREGROUP", 4},  {"FRAMETIMEGROUP", 2},
        {"STROBEGROUP", 6},     {"TDIGROUP", 3},       {"OUTPUTGROUP", 4},    {"MISCELLANEOUS", 3}};
    EXPECT_EQ(counts, expectedCounts);
    EXPECT_EQ(map.Elements().size(), 310u);
    EXPECT_EQ(registers, 306u);
}

}  // namespace corvel::test
