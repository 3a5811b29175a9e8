// What every configuration's builder shares around the catalogue engine: a table derived from
// another (a configuration that is another one less a few parameters and groups keeps one table
// of names, not two copies), and the build of a table for the window that owns the link.
#pragma once

#include "catalogues/CatalogueEngine.h"

#include <deque>
#include <span>
#include <vector>

/// A table made from another by leaving out parameters and whole groups; everything left keeps
/// its section, group, place in the order, type and listener. It owns the storage its table
/// points into, so it is neither copied nor moved.
class DerivedCatalogueTable {
public:
    DerivedCatalogueTable(const char* name, const CatalogueTable& base, std::span<const char* const> leftOutParams,
                          std::span<const char* const> leftOutGroups);
    DerivedCatalogueTable(const DerivedCatalogueTable&) = delete;
    DerivedCatalogueTable& operator=(const DerivedCatalogueTable&) = delete;

    const CatalogueTable& Table() const { return table_; }

private:
    std::span<const CatalogueParam> Keep(std::span<const CatalogueParam> params,
                                         std::span<const char* const> leftOut);

    std::deque<std::vector<CatalogueParam>> params_;
    std::deque<std::vector<CatalogueGroup>> groups_;
    std::vector<CatalogueSection> sections_;
    CatalogueTable table_;
};

/// The windows that listen to a link's parameters: its main window, when that window offers
/// them (the application's main window does; a probe or a test host may not). Null otherwise.
ICatalogueListeners* CatalogueListenersOf(const CCameraLink& link);

/// Builds `table` into `link` with the listeners of the link's main window. The document
/// reference is the caller's and is released on return.
CatalogueBuildResult BuildCatalogueForLink(CCameraLink& link, RegisterMapPtr document, bool debugMode,
                                           const CatalogueTable& table);
