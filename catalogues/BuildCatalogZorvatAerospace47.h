// The catalogue builder of the aerospace 47 configuration. It empties the link's store and defines
// the configuration's 300 parameters from its register map, with the main window's Image
// Parameters panel (slot 4), Acquisition Control panel (slot 2) and camera-information dialog as
// listeners where they exist, then reads the tap counts and frame-size limits from the camera.
// Nothing happens without a document or a main window.
#pragma once

#include "catalogues/CatalogueEngine.h"

/// Configuration 9, "Zorvat.Aerospace47".
CatalogueBuildResult BuildCatalogZorvatAerospace47(CCameraLink& link, RegisterMapPtr document, bool debugMode);
