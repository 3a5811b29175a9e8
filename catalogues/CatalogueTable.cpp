#include "catalogues/CatalogueTable.h"

#include <algorithm>
#include <string_view>

namespace catalogue {
namespace {

bool Listed(std::span<const char* const> names, std::string_view name)
{
    return std::any_of(names.begin(), names.end(), [name](const char* n) { return name == n; });
}

}  // namespace

DerivedCatalogue::DerivedCatalogue(const CatalogueDef& base, std::span<const char* const> leftOutParams,
                                   std::span<const char* const> leftOutGroups)
{
    sections_.reserve(base.sections.size());
    for (const SectionDef& section : base.sections) {
        std::vector<GroupDef>& groups = groups_.emplace_back();
        for (const GroupDef& group : section.groups) {
            if (!Listed(leftOutGroups, group.name))
                groups.push_back({group.name, Keep(group.params, leftOutParams)});
        }
        sections_.push_back({section.name, Keep(section.direct, leftOutParams), groups});
    }
    def_.sections = sections_;
}

std::span<const ParamDef> DerivedCatalogue::Keep(std::span<const ParamDef> params,
                                                 std::span<const char* const> leftOut)
{
    std::vector<ParamDef>& kept = params_.emplace_back();
    for (const ParamDef& p : params) {
        if (!Listed(leftOut, p.name))
            kept.push_back(p);
    }
    return kept;
}

}  // namespace catalogue
