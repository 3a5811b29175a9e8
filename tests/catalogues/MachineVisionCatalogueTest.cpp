#include "catalogues/ZorvatCatalogue.h"

#include "camera/CXmlNodeValue.h"

#include "CatalogueWalk.h"
#include "support/BuiltinMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using corvel::test::BuiltinMap;
using namespace corvel::test;

namespace {

const std::vector<std::string> kAllGroups = {"TRIGGERGROUP", "PULSEGROUP",  "EXPOSUREGROUP", "FRAMETIMEGROUP",
                                             "STROBEGROUP",  "WDRGROUP",    "OUTPUTGROUP"};

const std::set<std::string> kNotDefinedBoth = {
    "CAMERA/CCDTIMINGSTATUS/TriggerPeriod",
    "CAMERA/CAMERAMFGINFO/VSubWrite",
    "CAMERA/CAMERAMFGINFO/RgsCamInfo",
    "CAMERA/DATAREGISTERS/TapsMode",
    "CAMERA/DATAREGISTERS/DPCEnable",
    "CAMERA/DATAREGISTERS/SmearingMode",
    "CAMERA/DATAREGISTERS/DPCThreshold",
    "CAMERA/DATAREGISTERS/HPCThreshold",
    "CAMERA/DATAREGISTERS/SlaveAOIMode",
    "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TrStrobeDuration",
    "CAMERA/CCDTIMINGREGISTERS/STROBEGROUP/Strobe2Mode",
    "CAMERA/CCDTIMINGREGISTERS/STROBEGROUP/Strobe2Duration",
    "CAMERA/CCDTIMINGREGISTERS/STROBEGROUP/Strobe2Position",
    "CAMERA/CCDTIMINGREGISTERS/OUTPUTGROUP/Out2Polarity",
    "CAMERA/CCDTIMINGREGISTERS/OUTPUTGROUP/Out2Mapping",
};

const std::set<std::string> kNotDefinedIn47 = {
    "CAMERA/DATAREGISTERS/OutputFormat",
    "CAMERA/DATAREGISTERS/TecMode",
    "CAMERA/DATAREGISTERS/TecOnLevel",
    "CAMERA/DATAREGISTERS/MirrorEnable",
    "CAMERA/CCDTIMINGREGISTERS/WDRGROUP/WDRMode",
    "CAMERA/CCDTIMINGREGISTERS/WDRGROUP/Knee1Position",
    "CAMERA/CCDTIMINGREGISTERS/WDRGROUP/Knee1Weight",
    "CAMERA/CCDTIMINGREGISTERS/WDRGROUP/Knee2Position",
    "CAMERA/CCDTIMINGREGISTERS/WDRGROUP/Knee2Weight",
};

struct ConfigRow {
    const char* name;
    const CatalogueTable& (*catalogue)();
    int mapId;
    std::size_t total, ints, bools, strings, floats;
    std::set<std::string> notDefined;
    std::vector<std::string> groups;
    const char* movedAfter[2] = {};  ///< a name defined right after another, out of map order
};

std::vector<ConfigRow> Configs()
{
    std::set<std::string> not47 = kNotDefinedBoth;
    not47.insert(kNotDefinedIn47.begin(), kNotDefinedIn47.end());
    std::vector<std::string> groups47 = kAllGroups;
    groups47.erase(std::find(groups47.begin(), groups47.end(), "WDRGROUP"));
    std::vector<std::string> groupsAerospace = groups47;
    groupsAerospace.insert(std::find(groupsAerospace.begin(), groupsAerospace.end(), "OUTPUTGROUP"), "TDIGROUP");
    const std::set<std::string> notAerospace = {
        "CAMERA/CCDTIMINGSTATUS/TriggerPeriod", "CAMERA/CAMERAMFGINFO/VSubWrite", "CAMERA/CAMERAMFGINFO/RgsCamInfo",
        "CAMERA/DATAREGISTERS/DPCEnable", "CAMERA/DATAREGISTERS/DPCThreshold"};
    // The ruggedized cameras: the aerospace exclusions plus TapsMode and TrStrobeDuration, WDR in
    // place of TDI; the 47 one also without the four data registers and the WDR group of 47 maps.
    std::set<std::string> notRuggedized = notAerospace;
    notRuggedized.insert({"CAMERA/DATAREGISTERS/TapsMode", "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP/TrStrobeDuration"});
    std::set<std::string> notRuggedized47 = notRuggedized;
    notRuggedized47.insert(kNotDefinedIn47.begin(), kNotDefinedIn47.end());
    std::set<std::string> notAerospace47 = notAerospace;
    for (const char* name : {"TapsMode", "OutputFormat", "TecMode", "TecOnLevel", "MirrorEnable"})
        notAerospace47.insert(std::string("CAMERA/DATAREGISTERS/") + name);
    return {
        {"MachineVision", MachineVisionCatalogue, corvel::test::kMap170, 297, 271, 7, 15, 4, kNotDefinedBoth, kAllGroups},
        {"MachineVision47", MachineVision47Catalogue, corvel::test::kMap174, 288, 262, 7, 15, 4, not47, groups47},
        {"Aerospace", AerospaceCatalogue, corvel::test::kMap171, 305, 279, 7, 15, 4, notAerospace, groupsAerospace,
         {"CAMERA/DATAREGISTERS/TapsMode", "CAMERA/DATAREGISTERS/ActiveTaps"}},
        {"Ruggedized", RuggedizedCatalogue, corvel::test::kMap172, 305, 279, 7, 15, 4, notRuggedized, kAllGroups},
        {"Ruggedized47", Ruggedized47Catalogue, corvel::test::kMap176, 296, 270, 7, 15, 4, notRuggedized47, groups47},
        {"Aerospace47", Aerospace47Catalogue, corvel::test::kMap175, 300, 274, 7, 15, 4, notAerospace47,
         groupsAerospace},
    };
}

}  // namespace

// Example failure: a name is misspelt, put in the wrong section or group, dropped, defined twice
// or out of map order, or one of the elements the catalogue leaves out slips in.
TEST(MachineVisionCatalogue, IsTheMapInOrderLessTheDocumentedExclusions)
{
    for (const ConfigRow& row : Configs()) {
        SCOPED_TRACE(row.name);
        const RegisterMapPtr& map = BuiltinMap(row.mapId);
        ASSERT_TRUE(map);

        std::vector<std::string> expected;
        std::set<std::string> leftOut;
        for (const std::string& path : MapPaths(*map, row.groups)) {
            if (row.notDefined.count(path))
                leftOut.insert(path);
            else
                expected.push_back(path);
        }
        if (row.movedAfter[0]) {
            const auto moved = std::find(expected.begin(), expected.end(), row.movedAfter[0]);
            ASSERT_NE(moved, expected.end());
            expected.erase(moved);
            expected.insert(std::find(expected.begin(), expected.end(), row.movedAfter[1]) + 1, row.movedAfter[0]);
        }
        std::vector<std::string> defined;
        for (const Placed& p : Flatten(row.catalogue()))
            defined.push_back(p.path);

        EXPECT_EQ(defined, expected);
        // Every documented exclusion is an element the map really has (a stale list passes
        // silently otherwise; the 47 maps hold the WDR group they never visit).
        std::set<std::string> stillInMap = leftOut;
        for (const std::string& path : row.notDefined)
            if (path.find("/WDRGROUP/") != std::string::npos &&
                (row.mapId == corvel::test::kMap174 || row.mapId == corvel::test::kMap176))
                stillInMap.insert(path);
        EXPECT_EQ(stillInMap, row.notDefined);
        if (row.mapId != corvel::test::kMap171 && row.mapId != corvel::test::kMap175) {
            EXPECT_TRUE(map->Select("CAMERA/CCDTIMINGREGISTERS/WDRGROUP")) << "both maps describe the WDR group";
        }
    }
}

// Example failure: a boolean or limits element is defined as an integer (its register would be
// coded as a number, or a limits element would send frames), or the counts drift.
TEST(MachineVisionCatalogue, TypeSplitFollowsTheMap)
{
    for (const ConfigRow& row : Configs()) {
        SCOPED_TRACE(row.name);
        const RegisterMapPtr& map = BuiltinMap(row.mapId);
        ASSERT_TRUE(map);
        std::map<OrvParamType, std::size_t> counts;
        for (const Placed& p : Flatten(row.catalogue())) {
            SCOPED_TRACE(p.path);
            ++counts[p.def.type];
            const CXmlNodeValue element = map->Select(p.path);
            const bool hasAddress = static_cast<bool>(element.Select("address"));
            const bool hasLimits = element.Select("min") && element.Select("max");
            switch (p.def.type) {
            case OrvParam_Float:
                EXPECT_FALSE(hasAddress) << "limits elements have no register";
                EXPECT_TRUE(element.Select("step"));
                break;
            case OrvParam_Bool:
                EXPECT_TRUE(hasAddress);
                EXPECT_FALSE(hasLimits) << "booleans carry no min/max";
                break;
            case OrvParam_String:
                EXPECT_EQ(element.Select("mask").AsInt64(), 0xFFFFFFFF) << "a text fills a whole word";
                EXPECT_EQ(p.path.rfind("CAMERA/CAMERAMFGINFO/Mfg", 0), 0u);
                break;
            case OrvParam_Int:
                EXPECT_TRUE(hasAddress);
                EXPECT_TRUE(hasLimits);
                break;
            default:
                ADD_FAILURE() << "type " << p.def.type;
            }
        }
        EXPECT_EQ(Flatten(row.catalogue()).size(), row.total);
        EXPECT_EQ(counts[OrvParam_Int], row.ints);
        EXPECT_EQ(counts[OrvParam_Bool], row.bools);
        EXPECT_EQ(counts[OrvParam_String], row.strings);
        EXPECT_EQ(counts[OrvParam_Float], row.floats);
    }
}

// Example failure: a panel misses the ping or frame-time notices, or the camera-information
// dialog misses a manufacturing text (or a float gets a listener).
TEST(MachineVisionCatalogue, ListenerRolesAreTheEighteenDocumentedOnes)
{
    std::map<std::string, std::string> expected = {
        {"Ping", "panel 4"},
        {"FrameTime", "panel 2"},
        {"Temperature", "camera information"},
    };
    for (const char* text : {"MfgAPN1", "MfgAPN2", "MfgAPN3", "MfgAPN4", "MfgASN1", "MfgASN2", "MfgCCD1", "MfgCCD2",
                             "MfgDate1", "MfgDate2", "MfgName1", "MfgName2", "MfgName3", "MfgName4", "MfgName5"})
        expected[text] = "camera information";

    for (const ConfigRow& row : Configs()) {
        SCOPED_TRACE(row.name);
        std::map<std::string, std::string> got;
        for (const Placed& p : Flatten(row.catalogue())) {
            if (p.def.listener.kind == ListenerRole::Panel)
                got[p.def.name] = "panel " + std::to_string(p.def.listener.slot);
            else if (p.def.listener.kind == ListenerRole::CameraInfo)
                got[p.def.name] = "camera information";
        }
        EXPECT_EQ(got, expected);
    }
}

// Example failure: a 47 catalogue is derived from a copy that went stale, so it differs from
// the catalogue it is derived from in more than the nine documented names (a type or listener
// changed).
TEST(MachineVisionCatalogue, The47CataloguesKeepEveryRemainingEntryAsIs)
{
    const struct {
        const char* name;
        const CatalogueTable& (*full)();
        const CatalogueTable& (*less)();
    } pairs[] = {{"machine vision", MachineVisionCatalogue, MachineVision47Catalogue},
                 {"ruggedized", RuggedizedCatalogue, Ruggedized47Catalogue}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.name);
        std::map<std::string, CatalogueParam> full;
        for (const Placed& p : Flatten(pair.full()))
            full.emplace(p.path, p.def);
        std::set<std::string> kept;
        for (const Placed& p : Flatten(pair.less())) {
            SCOPED_TRACE(p.path);
            auto it = full.find(p.path);
            ASSERT_NE(it, full.end());
            EXPECT_EQ(it->second.type, p.def.type);
            EXPECT_EQ(it->second.listener.kind, p.def.listener.kind);
            EXPECT_EQ(it->second.listener.slot, p.def.listener.slot);
            kept.insert(p.path);
        }
        std::set<std::string> dropped;
        for (const auto& [path, def] : full)
            if (!kept.count(path))
                dropped.insert(path);
        EXPECT_EQ(dropped, kNotDefinedIn47);
        for (const CatalogueSection& section : pair.less().sections)
            for (const CatalogueGroup& group : section.groups)
                EXPECT_STRNE(group.name, "WDRGROUP");
    }
}
