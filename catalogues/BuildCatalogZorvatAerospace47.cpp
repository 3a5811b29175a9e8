#include "catalogues/BuildCatalogZorvatAerospace47.h"

#include "catalogues/CatalogueTable.h"
#include "catalogues/ZorvatCatalogue.h"

CatalogueBuildResult BuildCatalogZorvatAerospace47(CCameraLink& link, RegisterMapPtr document, bool debugMode)
{
    return BuildCatalogueForLink(link, std::move(document), debugMode, Aerospace47Catalogue());
}
