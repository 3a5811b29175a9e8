// Defining camera parameters from their register-map elements: each operation fills a record
// of one type with the camera link's four callbacks, adds it to the store, registers the
// listener it is given and links the parameter to the register its element describes. The tap
// counts and the frame-size limits that a catalogue build reads last are here too.
#pragma once

#include "camera/CXmlNodeValue.h"

#include <cstdint>
#include <string_view>

class CCameraLink;
class OrvParamListener;
class OrvParamStorage;

/// Limits and mask an integer parameter gets in debug mode when it can be written.
inline constexpr std::int64_t kDebugWideLimit = 0xFFFFFF;

/// The (min, max, mask) an integer parameter is defined with. In debug mode a writable one
/// (access above 1) gets min 0 when its min is positive, and max and mask at least 0xFFFFFF.
struct IntLimits {
    std::int64_t min = 0, max = 0, mask = 0;
    bool operator==(const IntLimits&) const = default;
};
IntLimits WidenIntLimits(IntLimits limits, std::int32_t access, bool debugMode);

// The four definition operations. `node` is the section or group element in which the
// parameter's element lies; `path` is the element's path in the map ("CAMERA/<section>/<name>").
// Each answers 0, or the store's refusal (a name already defined, a name the record cannot
// hold); a refused parameter is neither listened to nor linked. Listeners are borrowed.

int AddIntParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                std::int32_t access, std::int64_t min, std::int64_t max, std::int64_t mask, std::int64_t defaultValue,
                bool debugMode, OrvParamListener* listener);
int AddBoolParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                 std::int32_t access, bool defaultValue, OrvParamListener* listener);
/// A floating-point parameter keeps its step in the record's default slot. No listener.
int AddFloatParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                  std::int32_t access, double min, double max, double step);
/// The store keeps its own copy of `defaultText`.
int AddStringParam(OrvParamStorage& store, const CXmlNodeValue& node, std::string_view name, std::string_view path,
                   std::int32_t access, std::string_view defaultText, OrvParamListener* listener);

/// Reads the register link of the element `elementName` below `node` (`node` itself when the
/// name is empty) and links it to `paramName`: address (low 16 bits), mask (`maskOverride` when
/// not 0), shift, cmd (19 characters at most), `path`, poll - 1, page, seq and ws, then the page
/// rule (page 0 with seq 0 becomes -1, except at 0xA018). Nothing is linked when the element is
/// missing. A link the camera could not code (shift outside 0..31) gets mask 0, so it never
/// reaches the wire; that and an address beyond 16 bits are reported as map warnings.
/// 0 when linked, else non-zero.
int LinkRegisterData(OrvParamStorage& store, std::string_view paramName, const CXmlNodeValue& node,
                     std::string_view elementName, std::string_view path, std::uint32_t maskOverride);

/// The parameter's value through the store's integer get (a camera read), cut to 32 bits; 0
/// for a null or empty name and for a failed read.
std::int32_t GetParamIntValue(OrvParamStorage& store, const char* name);

// Tap counts: the raw value of "TapsMax", "TapsAllowed" or "ActiveTaps" looked up in the
// register map's value list of that register (the entry's text starts with the count). 1 when
// the parameter, its link, the map or the entry is missing, and when the entry's count is below
// 1. An allowed-taps entry of 0 means "as many as TapsMax".
std::int32_t GetTapsMax(CCameraLink& link);
std::int32_t GetTapsAllowed(CCameraLink& link);
std::int32_t GetActiveTaps(CCameraLink& link);
