// The one procedure that turns a configuration's register map into its parameter catalogue.
// A configuration is a table: its sections in map order, each with the parameters it defines
// directly and then its groups, each parameter named by its element tag with its type and the
// window that listens to it. Every configuration's builder is this engine and its table.
#pragma once

#include "camera/RegisterMap.h"
#include "orvmisc/OrvParam.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CCameraLink;
class OrvParamListener;

/// Which window listens to a parameter's changes.
struct ListenerRole {
    enum Kind : std::uint8_t { None, Panel, CameraInfo };
    Kind kind = None;
    int slot = 0;  ///< the main window's panel slot, for Panel

    static constexpr ListenerRole PanelOfSlot(int slot) { return {Panel, slot}; }
    static constexpr ListenerRole CameraInfoDialog() { return {CameraInfo, 0}; }
};

/// The windows that exist at build time, found anew for each parameter. The main window
/// implements it; each answer is borrowed and null when that window does not exist.
class ICatalogueListeners {
public:
    virtual ~ICatalogueListeners() = default;
    virtual OrvParamListener* PanelListener(int slot) = 0;
    virtual OrvParamListener* CameraInfoListener() = 0;
};

struct CatalogueParam {
    const char* name;  ///< the element tag, which is also the parameter's name
    OrvParamType type;
    ListenerRole listener = {};
};

struct CatalogueGroup {
    const char* name;  ///< selected as "CAMERA/<section>/<group>"
    std::span<const CatalogueParam> params;
};

struct CatalogueSection {
    const char* name;  ///< selected as "CAMERA/<section>"
    std::span<const CatalogueParam> params;  ///< the section's own elements, defined first
    std::span<const CatalogueGroup> groups = {};
};

/// How the allowed tap count is taken at the end of a build.
enum class AllowedTapsRule : std::uint8_t {
    FromTapsAllowed,  ///< the "TapsAllowed" value list (0 meaning "as many as TapsMax")
    RawTapsMax,       ///< the raw "TapsMax" value
};

struct CatalogueTable {
    const char* name;  ///< names the configuration in reports
    std::span<const CatalogueSection> sections;
    AllowedTapsRule allowedTaps = AllowedTapsRule::FromTapsAllowed;
};

struct CatalogueBuildResult {
    bool built = false;    ///< false: no document or no main window, the store is untouched
    int defined = 0;       ///< parameters added to the store
    int linked = 0;        ///< of those, parameters whose element was found and linked
    /// Table entries left out (bad name, unknown type, duplicate), one text each.
    std::vector<std::string> problems;
};

/// Builds the catalogue of `table` from `document` into `link`: clears the store, keeps the
/// document in the link, walks the sections and groups in table order (a missing one is
/// skipped whole), defines each parameter from its element (a missing element still defines
/// it, with zero limits and no link), then reads the tap counts and the frame-size limits from
/// the camera. In debug mode floating-point limits come from min_d/max_d and writable integers
/// are widened. Nothing happens without a document or without the link's main window.
/// Bad table entries are reported as register-map warnings naming the parameter and the map.
/// `listeners` may be null (no window listens).
CatalogueBuildResult BuildCatalogue(CCameraLink& link, const RegisterMapPtr& document, bool debugMode,
                                    const CatalogueTable& table, ICatalogueListeners* listeners);
