// A configuration's parameter catalogue as data: the register-map sections in the order they are
// walked, each with the parameters that stand directly in it and its groups, each parameter with
// its name (the element's tag), its type and the window object that listens to it. The builder
// of a configuration hands its table to the catalogue engine, which defines the parameters from
// the register map in exactly this order.
#pragma once

#include <deque>
#include <span>
#include <vector>

namespace catalogue {

enum class ParamType { Int, Bool, Float, String };

/// Who is told about changes of a parameter, looked up anew at build time through the main window.
enum class ListenerRole {
    None,
    ImagePanel,        ///< the panel of slot 4
    AcquisitionPanel,  ///< the panel of slot 2
    CameraInfo,        ///< the camera-information dialog
};

struct ParamDef {
    const char* name;
    ParamType type = ParamType::Int;
    ListenerRole listener = ListenerRole::None;
};

/// A group inside a section ("CAMERA/<section>/<group>"), selected from the document.
struct GroupDef {
    const char* name;
    std::span<const ParamDef> params;
};

/// A section ("CAMERA/<section>"): its direct parameters first, then its groups in order.
struct SectionDef {
    const char* name;
    std::span<const ParamDef> direct;
    std::span<const GroupDef> groups = {};
};

struct CatalogueDef {
    std::span<const SectionDef> sections;
};

/// A catalogue made from another by leaving out parameters and whole groups; everything left
/// keeps its section, group, place in the order, type and listener. It owns the storage its
/// definition points into, so it is neither copied nor moved.
class DerivedCatalogue {
public:
    DerivedCatalogue(const CatalogueDef& base, std::span<const char* const> leftOutParams,
                     std::span<const char* const> leftOutGroups);
    DerivedCatalogue(const DerivedCatalogue&) = delete;
    DerivedCatalogue& operator=(const DerivedCatalogue&) = delete;

    const CatalogueDef& Def() const { return def_; }

private:
    std::span<const ParamDef> Keep(std::span<const ParamDef> params, std::span<const char* const> leftOut);

    std::deque<std::vector<ParamDef>> params_;
    std::deque<std::vector<GroupDef>> groups_;
    std::vector<SectionDef> sections_;
    CatalogueDef def_;
};

}  // namespace catalogue
