// Which catalogue builder serves which configuration row: one table, so a configuration with a
// built-in map is added as one row here beside its catalogue.
#pragma once

#include "catalogues/CatalogueEngine.h"

#include <optional>

/// A configuration's catalogue builder.
using CatalogueBuilder = CatalogueBuildResult (*)(CCameraLink& link, RegisterMapPtr document, bool debugMode);

/// The builder of configuration row `row`; null for a row without one (the store then keeps
/// what it holds).
CatalogueBuilder CatalogueBuilderFor(int row);

/// Runs the builder of `row`; nothing for a row without one.
std::optional<CatalogueBuildResult> BuildCatalogueForRow(int row, CCameraLink& link, RegisterMapPtr document,
                                                         bool debugMode);
