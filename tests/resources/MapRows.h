// Hand-typed register rows checked against a map file, shared by the map tests.
#pragma once

#include "resources/MapFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace corvel::test {

using Values = std::vector<std::pair<int, std::string>>;

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

}  // namespace corvel::test
