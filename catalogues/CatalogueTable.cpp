#include "catalogues/CatalogueTable.h"

#include "camera/CameraLink.h"

#include <algorithm>
#include <string_view>

namespace {

bool Listed(std::span<const char* const> names, std::string_view name)
{
    return std::any_of(names.begin(), names.end(), [name](const char* n) { return name == n; });
}

}  // namespace

DerivedCatalogueTable::DerivedCatalogueTable(const char* name, const CatalogueTable& base,
                                             std::span<const char* const> leftOutParams,
                                             std::span<const char* const> leftOutGroups)
    : table_{base}
{
    sections_.reserve(base.sections.size());
    for (const CatalogueSection& section : base.sections) {
        std::vector<CatalogueGroup>& groups = groups_.emplace_back();
        for (const CatalogueGroup& group : section.groups) {
            if (!Listed(leftOutGroups, group.name))
                groups.push_back({group.name, Keep(group.params, leftOutParams)});
        }
        sections_.push_back({section.name, Keep(section.params, leftOutParams), groups});
    }
    table_.name = name;
    table_.sections = sections_;
}

std::span<const CatalogueParam> DerivedCatalogueTable::Keep(std::span<const CatalogueParam> params,
                                                            std::span<const char* const> leftOut)
{
    std::vector<CatalogueParam>& kept = params_.emplace_back();
    for (const CatalogueParam& p : params) {
        if (!Listed(leftOut, p.name))
            kept.push_back(p);
    }
    return kept;
}

ICatalogueListeners* CatalogueListenersOf(const CCameraLink& link)
{
    return dynamic_cast<ICatalogueListeners*>(link.m_pMainWindow);
}

CatalogueBuildResult BuildCatalogueForLink(CCameraLink& link, RegisterMapPtr document, bool debugMode,
                                           const CatalogueTable& table)
{
    return BuildCatalogue(link, document, debugMode, table, CatalogueListenersOf(link));
}
