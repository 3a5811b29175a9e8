// Access to the built-in register-map files for the map tests: raw bytes, the parsed document and
// a flat list of the register and limits elements with their section and group.
#pragma once

#include <pugixml.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace corvel::test {

inline constexpr const char* kMap170 = "Zorvat.MachineVision.xml";
inline constexpr const char* kMap174 = "Zorvat.MachineVision47.xml";
inline constexpr const char* kMap171 = "Zorvat.Aerospace.xml";
inline constexpr const char* kMap173 = "Kelmir.xml";
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

// The head comment's command lines (two tabs, then mnemonic, name and description), by name.
inline std::map<std::string, std::vector<std::string>> CommandLines(const std::string& comment)
{
    std::map<std::string, std::vector<std::string>> lines;
    std::stringstream in(comment);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.starts_with("\t\t"))
            continue;
        std::vector<std::string> fields;
        std::stringstream f(line.substr(2));
        for (std::string field; std::getline(f, field, '\t');)
            fields.push_back(field);
        if (fields.size() >= 2)
            lines[fields[1]] = fields;
    }
    return lines;
}

// Each map is parsed once for the whole test program.
inline const MapFile& LoadedMap(const std::string& file)
{
    static std::map<std::string, std::unique_ptr<MapFile>> loaded;
    std::unique_ptr<MapFile>& map = loaded[file];
    if (!map)
        map = std::make_unique<MapFile>(file);
    return *map;
}

}  // namespace corvel::test
