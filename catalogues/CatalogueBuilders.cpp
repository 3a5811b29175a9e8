#include "catalogues/CatalogueBuilders.h"

#include "catalogues/BuildCatalogKelmir.h"
#include "catalogues/BuildCatalogZorvatAerospace.h"
#include "catalogues/BuildCatalogZorvatAerospace47.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "catalogues/BuildCatalogZorvatRuggedized.h"

#include <utility>

namespace {

struct BuilderRow {
    int row;
    CatalogueBuilder builder;
};

constexpr BuilderRow kBuilders[] = {
    {4, BuildCatalogZorvatMachineVision},  {5, BuildCatalogZorvatMachineVision47},
    {7, BuildCatalogKelmir},               {8, BuildCatalogZorvatAerospace},
    {9, BuildCatalogZorvatAerospace47},    {10, BuildCatalogZorvatRuggedized},
    {11, BuildCatalogZorvatRuggedized47},
};

}  // namespace

CatalogueBuilder CatalogueBuilderFor(int row)
{
    for (const BuilderRow& entry : kBuilders)
        if (entry.row == row)
            return entry.builder;
    return nullptr;
}

std::optional<CatalogueBuildResult> BuildCatalogueForRow(int row, CCameraLink& link, RegisterMapPtr document,
                                                         bool debugMode)
{
    if (const CatalogueBuilder builder = CatalogueBuilderFor(row))
        return builder(link, std::move(document), debugMode);
    return std::nullopt;
}
