// Tables of configurations derived from other tables: a configuration that is another one less
// a few parameters and groups keeps one table of names, not two copies of it.
#pragma once

// BEGIN engine table types (stand-in until the catalogue engine lands; same shape)
#include "orvmisc/OrvParam.h"

#include <cstdint>
#include <span>

struct ListenerRole {
    enum Kind : std::uint8_t { None, Panel, CameraInfo };
    Kind kind = None;
    int slot = 0;

    static constexpr ListenerRole PanelOfSlot(int slot) { return {Panel, slot}; }
    static constexpr ListenerRole CameraInfoDialog() { return {CameraInfo, 0}; }
};

struct CatalogueParam {
    const char* name;
    OrvParamType type;
    ListenerRole listener = {};
};

struct CatalogueGroup {
    const char* name;
    std::span<const CatalogueParam> params;
};

struct CatalogueSection {
    const char* name;
    std::span<const CatalogueParam> params;
    std::span<const CatalogueGroup> groups = {};
};

enum class AllowedTapsRule : std::uint8_t { FromTapsAllowed, RawTapsMax };

struct CatalogueTable {
    const char* name;
    std::span<const CatalogueSection> sections;
    AllowedTapsRule allowedTaps = AllowedTapsRule::FromTapsAllowed;
};
// END engine table types

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
