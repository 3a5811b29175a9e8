// The parameter catalogues of the Zorvat cameras. All are walked over the same register-map
// layout and drawn from one table of every Zorvat parameter in map order; each configuration
// leaves out the parameters and timing groups its camera does not have.
#pragma once

#include "catalogues/CatalogueTable.h"

/// Configuration 4, "Zorvat.MachineVision": 297 parameters (the catalogue the ports are probed with).
const CatalogueTable& MachineVisionCatalogue();

/// Configuration 5, "Zorvat.MachineVision47": configuration 4's catalogue without OutputFormat,
/// TecMode, TecOnLevel, MirrorEnable and the WDR group, 288 parameters.
const CatalogueTable& MachineVision47Catalogue();

/// Configuration 8, "Zorvat.Aerospace": 305 parameters with the TDI group and no WDR group;
/// TapsMode is defined right after ActiveTaps.
const CatalogueTable& AerospaceCatalogue();

/// Configuration 9, "Zorvat.Aerospace47": configuration 8's catalogue without TapsMode,
/// OutputFormat, TecMode, TecOnLevel and MirrorEnable, 300 parameters.
const CatalogueTable& Aerospace47Catalogue();

/// Configuration 10, "Zorvat.Ruggedized": 305 parameters with the WDR group and no TDI group,
/// without TapsMode and TrStrobeDuration.
const CatalogueTable& RuggedizedCatalogue();

/// Configuration 11, "Zorvat.Ruggedized47": configuration 10's catalogue without OutputFormat,
/// TecMode, TecOnLevel, MirrorEnable and the WDR group, 296 parameters.
const CatalogueTable& Ruggedized47Catalogue();
