// What the lenient XML parser lets through but a well-formed register map never has: text or a
// second element beside the root, an attribute given twice, a namespace prefix that no element
// declared, and a reference to an entity XML does not define (or a bare '&'). The check walks
// the document without recursion, so any depth of nesting is safe.
#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <string>

/// Parse options for the document that CheckMapWellFormed reads: references left as written
/// and text beside the root kept.
inline constexpr unsigned kWellFormedParseOptions =
    (pugi::parse_default | pugi::parse_doctype | pugi::parse_fragment) & ~pugi::parse_escapes;

struct WellFormedError {
    std::ptrdiff_t offset = -1;  ///< byte offset of the offending node in the parsed buffer
    std::string reason;
};

/// Checks `raw`, parsed from the map's bytes with kWellFormedParseOptions. False with the first
/// fault in document order.
bool CheckMapWellFormed(const pugi::xml_document& raw, WellFormedError& error);
