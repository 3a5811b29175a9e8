// The catalogue builders of the two machine-vision configurations. Each empties the link's
// store and defines the configuration's parameters from its register map, with the main
// window's Image Parameters panel (slot 4), Acquisition Control panel (slot 2) and
// camera-information dialog as listeners where they exist, then reads the tap counts and
// frame-size limits from the camera. Nothing happens without a document or a main window.
#pragma once

#include "catalogues/CatalogueEngine.h"

/// Configuration 4, "Zorvat.MachineVision" (the default row: also the catalogue the port selector
/// probes with).
CatalogueBuildResult BuildCatalogZorvatMachineVision(CCameraLink& link, RegisterMapPtr document, bool debugMode);

/// Configuration 5, "Zorvat.MachineVision47".
CatalogueBuildResult BuildCatalogZorvatMachineVision47(CCameraLink& link, RegisterMapPtr document, bool debugMode);
