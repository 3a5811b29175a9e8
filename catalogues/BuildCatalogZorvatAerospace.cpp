#include "catalogues/BuildCatalogZorvatAerospace.h"

#include "catalogues/CatalogueTable.h"
#include "catalogues/ZorvatCatalogue.h"

CatalogueBuildResult BuildCatalogZorvatAerospace(CCameraLink& link, RegisterMapPtr document, bool debugMode)
{
    return BuildCatalogueForLink(link, std::move(document), debugMode, AerospaceCatalogue());
}
