// The catalogue builder of the Kelmir camera (configuration 7). It empties the link's store and
// defines the camera's parameters from its register map, with the main window's Kelmir image
// panel (slot 4), Acquisition Control panel (slot 2) and camera-information dialog as listeners
// where they exist, then reads the tap counts and frame-size limits from the camera. Nothing
// happens without a document or a main window.
#pragma once

#include "catalogues/CatalogueEngine.h"

CatalogueBuildResult BuildCatalogKelmir(CCameraLink& link, RegisterMapPtr document, bool debugMode);
