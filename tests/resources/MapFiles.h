// Access to the built-in register-map files for the map tests: raw bytes, the parsed document and
// a flat list of the register and limits elements with their section and group.
#pragma once

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvel::test {

inline constexpr const char* kMap170 = "Zorvat.MachineVision.xml";
inline constexpr const char* kMap174 = "Zorvat.MachineVision47.xml";
inline constexpr const char* kMap173 = "Kelmir.xml";
/// The two machine-vision maps, which share one layout.
inline constexpr const char* kMapFiles[] = {kMap170, kMap174};

inline const char* const kSections[] = {
    "LOCALSPACE",    "PARAMFLASH",    "EPCSFLASH",          "BOOTLOADER",   "CCDTIMINGSTATUS",
    "LENSCONTROL",   "CAMERAMFGINFO", "MFGAFE",             "EEPROMSPACE",  "AFEREGISTERS",
    "DATAREGISTERS", "CCDTIMINGREGISTERS", "MISCELLANEOUS"};

inline const char* const kTimingGroups[] = {"TRIGGERGROUP",   "PULSEGROUP",  "EXPOSUREGROUP",
                                            "FRAMETIMEGROUP", "STROBEGROUP", "WDRGROUP",
                                            "OUTPUTGROUP"};

inline std::string MapPath(const std::string& file) { return std::string(CORVEL_MAPS_DIR) + "/" + file; }

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Element text: the concatenated character data directly inside the element.
inline std::string Text(const pugi::xml_node& node)
{
    std::string text;
    for (const pugi::xml_node& child : node.children())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
    return text;
}

inline std::vector<pugi::xml_node> ChildElements(const pugi::xml_node& node)
{
    std::vector<pugi::xml_node> elements;
    for (const pugi::xml_node& child : node.children())
        if (child.type() == pugi::node_element)
            elements.push_back(child);
    return elements;
}

inline std::vector<std::string> ChildElementNames(const pugi::xml_node& node)
{
    std::vector<std::string> names;
    for (const pugi::xml_node& child : ChildElements(node))
        names.push_back(child.name());
    return names;
}

// Integer text in any base ("0x0FFF", "-512", "12"); nothing when the text is not wholly a number.
inline std::optional<int64_t> ParseInt(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

struct MapElement {
    std::string section;
    std::string group;  // empty for elements directly in the section
    std::string path;   // CAMERA/<section>[/<group>]/<name>
    pugi::xml_node node;

    std::string Name() const { return node.name(); }
    bool Has(const char* child) const { return static_cast<bool>(node.child(child)); }
    std::string Child(const char* child) const { return Text(node.child(child)); }
    std::optional<int64_t> Int(const char* child) const { return ParseInt(Child(child)); }
    bool IsLimits() const { return !Has("address"); }
};

class MapFile {
public:
    explicit MapFile(const std::string& file) : name_(file), bytes_(ReadBytes(MapPath(file)))
    {
        result_ = doc_.load_buffer(bytes_.data(), bytes_.size(),
                                   pugi::parse_default | pugi::parse_comments | pugi::parse_declaration |
                                       pugi::parse_doctype,
                                   pugi::encoding_utf8);
        if (!result_)
            return;
        const pugi::xml_node camera = doc_.child("CAMERA");
        for (const pugi::xml_node& section : ChildElements(camera)) {
            if (std::string(section.name()) == "CameraType")
                continue;
            for (const pugi::xml_node& item : ChildElements(section)) {
                if (std::string(item.name()).ends_with("GROUP")) {
                    for (const pugi::xml_node& reg : ChildElements(item))
                        Add(section.name(), item.name(), reg);
                } else {
                    Add(section.name(), "", item);
                }
            }
        }
    }

    const std::string& Name() const { return name_; }
    const std::string& Bytes() const { return bytes_; }
    const pugi::xml_document& Doc() const { return doc_; }
    const pugi::xml_parse_result& ParseResult() const { return result_; }
    const std::vector<MapElement>& Elements() const { return elements_; }

    const MapElement* Find(const std::string& path) const
    {
        for (const MapElement& e : elements_)
            if (e.path == path)
                return &e;
        return nullptr;
    }

private:
    void Add(const std::string& section, const std::string& group, const pugi::xml_node& node)
    {
        std::string path = "CAMERA/" + section + "/";
        if (!group.empty())
            path += group + "/";
        elements_.push_back({section, group, path + node.name(), node});
    }

    std::string name_;
    std::string bytes_;
    pugi::xml_document doc_;
    pugi::xml_parse_result result_;
    std::vector<MapElement> elements_;
};

// Each map is parsed once for the whole test program.
inline const MapFile& LoadedMap(const std::string& file)
{
    static std::map<std::string, std::unique_ptr<MapFile>> maps;
    std::unique_ptr<MapFile>& map = maps[file];
    if (!map)
        map = std::make_unique<MapFile>(file);
    return *map;
}

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

inline Values ValList(const pugi::xml_node& node)
{
    Values values;
    for (const pugi::xml_node& v : node.children("val"))
        values.emplace_back(static_cast<int>(ParseInt(v.attribute("id").value()).value_or(-9999)), Text(v));
    return values;
}

/// The camera families by configuration index, as every map's "CamCode" lists them.
inline const Values kCamCodeValues = {
    {0, "Wispen"}, {1, "Fandro 6-12M"}, {2, "Fandro 16-25M"}, {3, "Fandro 6-12M PIV"},
    {4, "Zorvat Industrial"}, {5, "Zorvat Industrial 47M"}, {6, "Fandro Sony"}, {7, "Kelmir"},
    {8, "Zorvat Aerospace"}, {9, "Zorvat Aerospace 47M"}, {10, "Zorvat Ruggedized"},
    {11, "Zorvat Ruggedized 47M"}};

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
