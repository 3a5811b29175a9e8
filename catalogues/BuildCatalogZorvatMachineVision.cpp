#include "catalogues/BuildCatalogZorvatMachineVision.h"

#include "catalogues/CatalogueTable.h"
#include "catalogues/ZorvatCatalogue.h"

CatalogueBuildResult BuildCatalogZorvatMachineVision(CCameraLink& link, RegisterMapPtr document, bool debugMode)
{
    return BuildCatalogueForLink(link, std::move(document), debugMode, MachineVisionCatalogue());
}
