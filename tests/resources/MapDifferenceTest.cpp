// The two machine-vision maps describe the same camera: they must be the same text except for
// three value lists (TapsMode, OutputFormat, FanMode).
#include "resources/MapCompare.h"
#include "resources/MapFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

const std::set<std::string> kDocumentedDifferences = {
    "CAMERA/DATAREGISTERS/TapsMode", "CAMERA/DATAREGISTERS/OutputFormat", "CAMERA/DATAREGISTERS/FanMode"};

}  // namespace

// Example failure: an edit reaches one map and not the other (a mask, a comment, a default), or one
// of the three documented value lists is the same in both maps.
TEST(MapDifference, ElementByElementOnlyTheThreeValueListsDiffer)
{
    const MapFile& m170 = LoadedMap(kMap170);
    const MapFile& m174 = LoadedMap(kMap174);
    ASSERT_TRUE(m170.ParseResult());
    ASSERT_TRUE(m174.ParseResult());
    EXPECT_EQ(Differences(m170.Doc(), m174.Doc()), kDocumentedDifferences);
}

// Example failure: besides the value list, another child of TapsMode, OutputFormat or FanMode
// (its mask, limits or mnemonic) differs between the maps.
TEST(MapDifference, DifferingRegistersAgreeOutsideTheirValueLists)
{
    const MapFile& m170 = LoadedMap(kMap170);
    const MapFile& m174 = LoadedMap(kMap174);
    for (const std::string& path : kDocumentedDifferences) {
        SCOPED_TRACE(path);
        const MapElement* a = m170.Find(path);
        const MapElement* b = m174.Find(path);
        ASSERT_TRUE(a && b);
        EXPECT_TRUE(SameAttributes(a->node, b->node));
        const auto rest = [](const pugi::xml_node& node) {
            std::vector<std::string> items;
            for (const pugi::xml_node& c : node.children()) {
                const bool hiddenValue =
                    c.type() == pugi::node_comment && std::string(c.value()).starts_with("<val ");
                if (std::string(c.name()) == "val" || hiddenValue)
                    continue;
                const std::string text = c.type() == pugi::node_element ? Text(c) : c.value();
                items.push_back(std::string(c.name()) + "=" + text);
            }
            return items;
        };
        EXPECT_EQ(rest(a->node), rest(b->node));
    }
    // The hidden "Off" entry exists only in map 174.
    const auto hidden = [](const MapFile& map) {
        for (const pugi::xml_node& c : map.Find("CAMERA/DATAREGISTERS/FanMode")->node.children())
            if (c.type() == pugi::node_comment && std::string(c.value()) == "<val id=\"0\">Off</val>")
                return true;
        return false;
    };
    EXPECT_FALSE(hidden(m170));
    EXPECT_TRUE(hidden(m174));
}

// Example failure: the two files differ in indentation, line ends or comment wording outside the
// three registers, which the element comparison cannot see.
TEST(MapDifference, BytesAgreeOutsideTheThreeRegisters)
{
    const std::vector<std::string> names = {"TapsMode", "OutputFormat", "FanMode"};
    const std::string a = WithoutElements(LoadedMap(kMap170).Bytes(), names);
    const std::string b = WithoutElements(LoadedMap(kMap174).Bytes(), names);
    ASSERT_LT(a.size(), LoadedMap(kMap170).Bytes().size());
    ASSERT_LT(b.size(), LoadedMap(kMap174).Bytes().size());
    EXPECT_TRUE(a == b) << "the maps differ outside TapsMode, OutputFormat and FanMode";
}

// Example failure: the comparison itself is blind (say it skips groups or comments), so the test
// above passes whatever the maps hold.
TEST(MapDifference, ComparisonFindsPlantedChanges)
{
    const MapFile& m170 = LoadedMap(kMap170);
    ASSERT_TRUE(m170.ParseResult());
    pugi::xml_document copy;
    copy.reset(m170.Doc());
    const pugi::xml_node camera = copy.child("CAMERA");
    camera.child("LOCALSPACE").child("CCD_VSUB").child("shift").text().set("13");
    camera.child("CCDTIMINGREGISTERS").child("OUTPUTGROUP").child("Out2Mapping").child("val").text().set("x");
    camera.child("CAMERAMFGINFO").child("MfgName3").attribute("default").set_value("abcd");
    camera.child("EEPROMSPACE").previous_sibling().set_value("Another comment");
    const pugi::xml_node gain = camera.child("AFEREGISTERS").child("Gain1A");
    camera.child("AFEREGISTERS").insert_child_after(pugi::node_comment, gain).set_value("extra");
    copy.first_child().next_sibling().set_value("Commands: changed");

    EXPECT_EQ(Differences(m170.Doc(), copy), (std::set<std::string>{
                                                 "CAMERA/LOCALSPACE/CCD_VSUB",
                                                 "CAMERA/CCDTIMINGREGISTERS/OUTPUTGROUP/Out2Mapping",
                                                 "CAMERA/CAMERAMFGINFO/MfgName3",
                                                 "CAMERA",
                                                 "CAMERA/AFEREGISTERS",
                                                 "(document)",
                                             }));
    EXPECT_TRUE(Differences(m170.Doc(), m170.Doc()).empty());
}
