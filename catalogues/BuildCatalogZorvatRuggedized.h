// The catalogue builders of the two ruggedized configurations. Each empties the link's store and
// defines the configuration's parameters from its register map, with the main window's Image
// Parameters panel (slot 4), Acquisition Control panel (slot 2) and camera-information dialog as
// listeners where they exist, then reads the tap counts and frame-size limits from the camera.
// Nothing happens without a document or a main window.
#pragma once

#include "catalogues/CatalogueEngine.h"

/// Configuration 10, "Zorvat.Ruggedized".
CatalogueBuildResult BuildCatalogZorvatRuggedized(CCameraLink& link, RegisterMapPtr document, bool debugMode);

/// Configuration 11, "Zorvat.Ruggedized47".
CatalogueBuildResult BuildCatalogZorvatRuggedized47(CCameraLink& link, RegisterMapPtr document, bool debugMode);
