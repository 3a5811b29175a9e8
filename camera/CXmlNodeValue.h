// A holder for one node of a register map (an element or an attribute, possibly none), used
// for one selection or conversion at a time. It keeps the document alive. Nothing here throws:
// selecting below a missing node gives a missing node, a missing node reads as 0, 0.0, false
// or empty text, and a text that does not convert gives the same and a warning.
#pragma once

#include "RegisterMap.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CXmlNodeValue {
public:
    CXmlNodeValue() = default;
    CXmlNodeValue(RegisterMapPtr document, pugi::xpath_node node);

    bool IsNull() const { return !node_; }
    explicit operator bool() const { return !IsNull(); }

    /// First node the XPath selects relative to this one, in document order; null when nothing
    /// matches, when this holder is null or when the expression is malformed.
    CXmlNodeValue Select(std::string_view xpath) const;
    /// Every node the XPath selects, in document order.
    std::vector<CXmlNodeValue> SelectAll(std::string_view xpath) const;

    /// An element's text (its text pieces joined, comments left out, trimmed); an attribute's
    /// value exactly as written.
    std::string AsString() const;
    /// Integer in any base ("0x0FFF", "010", "-20"); 0 for a missing node.
    std::int64_t AsInt64() const;
    /// Locale-free floating-point value; 0.0 for a missing node.
    double AsDouble() const;
    /// "true"/"false" or a number; false for a missing node.
    bool AsBool() const;

    /// Tag of an element, name of an attribute; empty for a missing node.
    std::string Name() const;
    /// Path from the document, for messages ("CAMERA/LOCALSPACE/Ping/address").
    std::string Path() const;

    const RegisterMapPtr& Document() const { return document_; }
    const pugi::xpath_node& Node() const { return node_; }

private:
    void Warn(const char* what, const std::string& text) const;

    RegisterMapPtr document_;
    pugi::xpath_node node_;
};

/// An element or attribute name as the maps write them (ASCII letters, digits, '_', '-', '.',
/// not starting with a digit, '-' or '.'). Paths made only of such names are walked directly;
/// anything else goes through the XPath engine.
bool IsMapElementName(std::string_view name);

/// Text of the entry whose id equals `rawValue` as text (XPath "<path>/val[@id='<raw>']"),
/// read as an integer into `value`. False, leaving `value` alone, when there is no such entry.
bool GetEnumValueById(const RegisterMap& document, std::int64_t rawValue, std::int32_t& value,
                      std::string_view path);

/// Display text of the entry whose id equals `rawValue` as a number ("<path>/val[@id=<raw>]");
/// empty when there is none.
std::string GetValTextById(const RegisterMap& document, std::string_view path, std::int64_t rawValue);

/// Entry at 1-based `position` ("<path>/val[<position>]") read as an integer. False when there
/// is none.
bool GetValByPosition(const RegisterMap& document, std::string_view path, int position, std::int64_t& value);
