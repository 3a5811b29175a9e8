#include "catalogues/BuildCatalogKelmir.h"

#include "catalogues/CatalogueTable.h"
#include "catalogues/KelmirCatalogue.h"

CatalogueBuildResult BuildCatalogKelmir(CCameraLink& link, RegisterMapPtr document, bool debugMode)
{
    return BuildCatalogueForLink(link, std::move(document), debugMode, KelmirCatalogue());
}
