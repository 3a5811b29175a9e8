// Element-by-element comparison of two register-map documents, for the tests that hold one map
// against another.
#pragma once

#include <pugixml.hpp>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace corvel::test {

// Cuts a node path down to the register element that holds it:
// CAMERA/<section>/<register> or CAMERA/CCDTIMINGREGISTERS/<group>/<register>.
inline std::string RegisterLevel(const std::string& path)
{
    std::vector<std::string> parts;
    std::stringstream in(path);
    for (std::string part; std::getline(in, part, '/');)
        parts.push_back(part);
    size_t keep = 3;
    if (parts.size() > 2 && parts[2].ends_with("GROUP"))
        keep = 4;
    std::string out;
    for (size_t i = 0; i < parts.size() && i < keep; ++i)
        out += (i ? "/" : "") + parts[i];
    return out;
}

inline std::vector<pugi::xml_node> Children(const pugi::xml_node& node, bool withComments = true)
{
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& c : node.children())
        if (withComments || c.type() != pugi::node_comment)
            children.push_back(c);
    return children;
}

inline bool SameAttributes(const pugi::xml_node& a, const pugi::xml_node& b)
{
    pugi::xml_attribute x = a.first_attribute();
    pugi::xml_attribute y = b.first_attribute();
    for (; x && y; x = x.next_attribute(), y = y.next_attribute())
        if (std::string(x.name()) != y.name() || std::string(x.value()) != y.value())
            return false;
    return !x && !y;
}

// Compares two nodes child by child (elements, attributes, text and, unless told not to, comments)
// and collects the register-level paths where they differ.
inline void CompareChildren(const pugi::xml_node& a, const pugi::xml_node& b, const std::string& path,
                            std::set<std::string>& differences, bool withComments = true)
{
    const std::vector<pugi::xml_node> x = Children(a, withComments);
    const std::vector<pugi::xml_node> y = Children(b, withComments);
    if (x.size() != y.size()) {
        differences.insert(RegisterLevel(path));
        return;
    }
    for (size_t i = 0; i < x.size(); ++i) {
        const std::string childPath = path.empty() ? x[i].name() : path + "/" + x[i].name();
        if (x[i].type() != y[i].type() || std::string(x[i].name()) != y[i].name() ||
            std::string(x[i].value()) != y[i].value()) {
            differences.insert(RegisterLevel(path.empty() ? "(document)" : path));
            continue;
        }
        if (!SameAttributes(x[i], y[i]))
            differences.insert(RegisterLevel(childPath));
        if (x[i].type() == pugi::node_element)
            CompareChildren(x[i], y[i], childPath, differences, withComments);
    }
}

inline std::set<std::string> Differences(const pugi::xml_node& a, const pugi::xml_node& b, bool withComments = true)
{
    std::set<std::string> differences;
    CompareChildren(a, b, "", differences, withComments);
    return differences;
}
// The file without the lines of the named elements (from the opening tag's line to the closing
// tag's line), a register or a whole group; a name not found is passed over.
inline std::string WithoutElements(const std::string& bytes, const std::vector<std::string>& names)
{
    std::string out = bytes;
    for (const std::string& name : names) {
        size_t open = out.find("<" + name + " ");
        if (open == std::string::npos)
            open = out.find("<" + name + ">");
        const std::string closeTag = "</" + name + ">\r\n";
        const size_t close = open == std::string::npos ? open : out.find(closeTag, open);
        if (open == std::string::npos || close == std::string::npos)
            continue;
        const size_t lineStart = out.rfind('\n', open) + 1;
        out.erase(lineStart, close + closeTag.size() - lineStart);
    }
    return out;
}

}  // namespace corvel::test
