#include "catalogues/BuildCatalogZorvatRuggedized.h"

#include "catalogues/CatalogueTable.h"
#include "catalogues/ZorvatCatalogue.h"

CatalogueBuildResult BuildCatalogZorvatRuggedized(CCameraLink& link, RegisterMapPtr document, bool debugMode)
{
    return BuildCatalogueForLink(link, std::move(document), debugMode, RuggedizedCatalogue());
}

CatalogueBuildResult BuildCatalogZorvatRuggedized47(CCameraLink& link, RegisterMapPtr document, bool debugMode)
{
    return BuildCatalogueForLink(link, std::move(document), debugMode, Ruggedized47Catalogue());
}
