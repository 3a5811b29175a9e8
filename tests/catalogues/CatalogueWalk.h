// The two walks the catalogue tests hold against each other: a table's parameters with their
// register-map paths, and a map's register and limits elements in the order a builder meets them.
#pragma once

#include "camera/CXmlNodeValue.h"
#include "catalogues/CatalogueEngine.h"

#include <string>
#include <vector>

namespace corvel::test {

/// One defined parameter with where the table puts it.
struct Placed {
    std::string path;  ///< CAMERA/<section>[/<group>]/<name>
    CatalogueParam def;
};

inline std::vector<Placed> Flatten(const CatalogueTable& def)
{
    std::vector<Placed> out;
    for (const CatalogueSection& section : def.sections) {
        const std::string sectionPath = std::string("CAMERA/") + section.name + "/";
        for (const CatalogueParam& p : section.params)
            out.push_back({sectionPath + p.name, p});
        for (const CatalogueGroup& group : section.groups)
            for (const CatalogueParam& p : group.params)
                out.push_back({sectionPath + group.name + "/" + p.name, p});
    }
    return out;
}

/// Paths of the map's register and limits elements in document order, with groups walked in
/// the order `groups` gives (the order the builders select them in).
inline std::vector<std::string> MapPaths(const RegisterMap& map, const std::vector<std::string>& groups)
{
    std::vector<std::string> out;
    for (const CXmlNodeValue& section : map.Select("CAMERA").SelectAll("*")) {
        if (section.Name() == "CameraType")
            continue;
        const std::string sectionPath = "CAMERA/" + section.Name() + "/";
        for (const CXmlNodeValue& item : section.SelectAll("*")) {
            if (!item.Name().ends_with("GROUP"))
                out.push_back(sectionPath + item.Name());
        }
        for (const std::string& group : groups)
            for (const CXmlNodeValue& item : section.Select(group).SelectAll("*"))
                out.push_back(sectionPath + group + "/" + item.Name());
    }
    return out;
}

}  // namespace corvel::test
