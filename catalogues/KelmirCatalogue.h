// The parameter catalogue of the Kelmir camera (configuration 7): its own walk of eleven
// sections, the cooler registers of the timing section defined before the groups, ActiveTaps
// before TapsMode, twelve channel gains the camera has no register for, and the allowed tap
// count read raw from "TapsMax".
#pragma once

#include "catalogues/CatalogueTable.h"

/// Configuration 7, "Kelmir": 251 parameters (225 integers, 7 booleans, 4 floats, 15 texts).
const CatalogueTable& KelmirCatalogue();
