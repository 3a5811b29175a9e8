// Byte-level and document-level shape of the built-in register maps.
#include "resources/MapRows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

class MapShape : public ::testing::TestWithParam<const char*> {
protected:
    const MapFile& map = LoadedMap(GetParam());
};

std::string MapTestName(const ::testing::TestParamInfo<const char*>& info)
{
    return std::string(info.param) == kMap174 ? "Map174" : "Map170";
}

// The node before `node`, skipping nothing: the comment that describes an element must stand
// right before it.
pugi::xml_node PreviousNode(const pugi::xml_node& node) { return node.previous_sibling(); }

}  // namespace

// Example failure: the generator writes bare LF line ends or drops the byte-order mark, and the
// file no longer matches the layout the camera tools expect.
TEST_P(MapShape, StartsWithBomAndDeclarationAndUsesCrLfEverywhere)
{
    CheckMapBytes(map);
}

// Example failure: a stray '&' or an unclosed element makes the map unreadable, or a document
// type declaration sneaks in (the loader refuses one).
TEST_P(MapShape, ParsesAsUtf8WithoutDocumentType)
{
    ASSERT_TRUE(map.ParseResult()) << map.ParseResult().description() << " at byte "
                                   << map.ParseResult().offset;
    for (const pugi::xml_node& node : map.Doc().children())
        EXPECT_NE(node.type(), pugi::node_doctype);
}

// Example failure: the access-level comment comes before the command list, or the root element
// loses the schema-location attribute that the layout prescribes.
TEST_P(MapShape, TopLevelNodesAndRootAttributes)
{
    ASSERT_TRUE(map.ParseResult());
    std::vector<pugi::xml_node> top;
    for (const pugi::xml_node& node : map.Doc().children())
        top.push_back(node);
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(top[0].type(), pugi::node_declaration);
    EXPECT_STREQ(top[0].attribute("version").value(), "1.0");
    EXPECT_FALSE(top[0].attribute("encoding"));

    ASSERT_EQ(top[1].type(), pugi::node_comment);
    const std::string commands = top[1].value();
    EXPECT_NE(commands.find("Commands:"), std::string::npos);
    for (const char* section : kSections) {
        const bool listed = commands.find(std::string("\t") + section + "\n") != std::string::npos;
        const bool unlisted = !std::strcmp(section, "LENSCONTROL") || !std::strcmp(section, "MFGAFE");
        EXPECT_EQ(listed, !unlisted) << section;
    }

    ASSERT_EQ(top[2].type(), pugi::node_comment);
    const std::string access = top[2].value();
    for (const char* text : {"Use following enumeration for access level", "OrvAccessType",
                             "OrvParam_Unk = 0", "OrvParam_Read = 1", "OrvParam_Write = 2",
                             "OrvParam_ReadWrite = 3", "OrvParam_ReadModfyWrite = 7"})
        EXPECT_NE(access.find(text), std::string::npos) << text;

    ASSERT_EQ(top[3].type(), pugi::node_element);
    const pugi::xml_node camera = top[3];
    EXPECT_STREQ(camera.name(), "CAMERA");
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const pugi::xml_attribute& a : camera.attributes())
        attributes.emplace_back(a.name(), a.value());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance"},
        {"xsi:noNamespaceSchemaLocation", "CameraDef.xsd"}};
    EXPECT_EQ(attributes, expected);
}

// Example failure: two sections swap places or the sensor text changes, so readers that walk the
// map in order meet the sections in the wrong order.
TEST_P(MapShape, CameraTypeThenSectionsInOrderEachAfterItsComment)
{
    ASSERT_TRUE(map.ParseResult());
    const pugi::xml_node camera = map.Doc().child("CAMERA");
    const std::vector<pugi::xml_node> elements = ChildElements(camera);
    ASSERT_EQ(elements.size(), 1 + std::size(kSections));
    EXPECT_STREQ(elements[0].name(), "CameraType");
    EXPECT_EQ(Text(elements[0]), "KAI-xxx50 CCD");
    EXPECT_EQ(camera.first_child(), elements[0]) << "CameraType must be the first child";
    for (size_t i = 0; i < std::size(kSections); ++i) {
        SCOPED_TRACE(kSections[i]);
        EXPECT_STREQ(elements[i + 1].name(), kSections[i]);
        const pugi::xml_node comment = PreviousNode(elements[i + 1]);
        ASSERT_EQ(comment.type(), pugi::node_comment);
        EXPECT_FALSE(std::string(comment.value()).empty());
    }
    const auto comment = [&](const char* section) {
        return std::string(PreviousNode(camera.child(section)).value());
    };
    EXPECT_EQ(comment("LENSCONTROL"), "The lens control registers.");
    EXPECT_EQ(comment("MFGAFE"), comment("CAMERAMFGINFO"));
    EXPECT_EQ(comment("EEPROMSPACE"), "Camera Boot registers");
    EXPECT_EQ(comment("AFEREGISTERS"), "Analog Front End Registers ( ADDI 7015 )");
    EXPECT_EQ(comment("DATAREGISTERS"), "DATA Registers");
    EXPECT_EQ(comment("CCDTIMINGREGISTERS"), "CCD Timing Registers");
    EXPECT_EQ(comment("MISCELLANEOUS"), "Miscellaneous Registers");
}

// Example failure: a group is nested under CAMERA instead of the timing section, or BinVertMode
// ends up inside a group, so the catalogue's group look-ups find nothing.
TEST_P(MapShape, TimingSectionHoldsBinVertModeThenTheGroupsInOrder)
{
    ASSERT_TRUE(map.ParseResult());
    const pugi::xml_node timing = map.Doc().child("CAMERA").child("CCDTIMINGREGISTERS");
    const std::vector<pugi::xml_node> elements = ChildElements(timing);
    ASSERT_EQ(elements.size(), 1 + std::size(kTimingGroups));
    EXPECT_STREQ(elements[0].name(), "BinVertMode");
    const char* const comments[] = {"Trigger group", "Pulse group",  "Exposure group", "Frame Time group",
                                    "Strobe group",  "WDR group",    "Output group"};
    for (size_t i = 0; i < std::size(kTimingGroups); ++i) {
        SCOPED_TRACE(kTimingGroups[i]);
        EXPECT_STREQ(elements[i + 1].name(), kTimingGroups[i]);
        EXPECT_EQ(PreviousNode(elements[i + 1]).type(), pugi::node_comment);
        EXPECT_STREQ(PreviousNode(elements[i + 1]).value(), comments[i]);
    }
}

// Example failure: a front-end heading comment is lost, so the analog front-end registers run
// together with nothing to show where each front end begins.
TEST_P(MapShape, AnalogFrontEndHeadingsAndLimitsComments)
{
    ASSERT_TRUE(map.ParseResult());
    const pugi::xml_node afe = map.Doc().child("CAMERA").child("AFEREGISTERS");
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const std::string first = "PreAmpGain" + std::to_string(n) + "A";
        const pugi::xml_node description = PreviousNode(afe.child(first.c_str()));
        ASSERT_EQ(description.type(), pugi::node_comment);
        EXPECT_EQ(std::string(PreviousNode(description).value()), "AFE" + std::to_string(n));
    }
    const struct {
        const char* path;
        const char* comment;
    } limits[] = {
        {"AFEREGISTERS/AnalogGainLimits", "Limits for conversion analog gain from integer to float value."},
        {"AFEREGISTERS/AnalogOffsetLimits",
         "Limits for conversion analog offset from integer to float value."},
        {"DATAREGISTERS/DigitalGainLimits",
         "Limits for conversion digital gain from integer to float value."},
        {"DATAREGISTERS/DigitalOffsetLimits", "Limits for convestion values"},
    };
    for (const auto& row : limits) {
        SCOPED_TRACE(row.path);
        const MapElement* e = map.Find(std::string("CAMERA/") + row.path);
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(PreviousNode(e->node).value(), row.comment);
    }
}

// Example failure: a register loses its description or its RO/WO/RW note, or the note does not
// match the access level written beside it.
TEST_P(MapShape, RegisterCommentsAndAccessNotes)
{
    ASSERT_TRUE(map.ParseResult());
    for (const MapElement& e : map.Elements()) {
        if (e.IsLimits())
            continue;
        SCOPED_TRACE(e.path);
        const bool described = e.section != "LENSCONTROL" && e.section != "MFGAFE";
        const pugi::xml_node before = PreviousNode(e.node);
        EXPECT_EQ(before.type() == pugi::node_comment, described);
        if (e.Name() == "VSubWrite" || e.Name() == "RgsCamInfo" || e.Name() == "CanonActiveMount") {
            EXPECT_STREQ(before.value(), "This register ...");
        }

        const pugi::xml_node note = e.node.child("access").next_sibling();
        ASSERT_EQ(note.type(), pugi::node_comment);
        const char* const notes[] = {"", "RO", "WO", "RW"};
        const auto access = e.Int("access");
        ASSERT_TRUE(access && *access >= 1 && *access <= 3);
        EXPECT_STREQ(note.value(), notes[*access]);
    }
}

INSTANTIATE_TEST_SUITE_P(BothMaps, MapShape, ::testing::ValuesIn(kMapFiles), MapTestName);
