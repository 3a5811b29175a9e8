// The parameter catalogues of the two machine-vision configurations: configuration 4 (the
// default one, also used to probe ports) and configuration 5, its 47 edition. Both are walked
// over the same register-map layout; configuration 5 leaves out a few parameters and the WDR group.
#pragma once

#include "catalogues/CatalogueTable.h"

/// Configuration 4, "Zorvat.MachineVision": 297 parameters in register-map order.
const CatalogueTable& MachineVisionCatalogue();

/// Configuration 5, "Zorvat.MachineVision47": configuration 4's catalogue without OutputFormat,
/// TecMode, TecOnLevel, MirrorEnable and the WDR group, 288 parameters.
const CatalogueTable& MachineVision47Catalogue();
