#include "CXmlNodeValue.h"

#include "MapNumbers.h"

#include <cinttypes>
#include <cstdio>

namespace {

/// The text pieces below `node` in document order, walked by the nodes' own links: a map
/// nested deeper than any stack would hold is read like any other.
void AppendText(const pugi::xml_node& node, std::string& out)
{
    pugi::xml_node child = node.first_child();
    while (child) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += child.value();
        if (child.type() == pugi::node_element && child.first_child()) {
            child = child.first_child();
            continue;
        }
        while (child != node && !child.next_sibling())
            child = child.parent();
        child = child == node ? pugi::xml_node() : child.next_sibling();
    }
}

std::string PathOf(pugi::xml_node node)
{
    std::vector<std::string_view> names;
    for (; node && node.type() == pugi::node_element; node = node.parent())
        names.emplace_back(node.name());
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty())
            path += '/';
        path += *name;
    }
    return path;
}

/// A path of element names ending in an element or an attribute ("a/b", "a/@b"), the form
/// almost every read of a map takes; false for anything that needs the XPath engine.
bool IsPlainPath(std::string_view path)
{
    while (true) {
        const std::size_t slash = path.find('/');
        const std::string_view step = path.substr(0, slash);
        if (slash == std::string_view::npos)
            return IsMapElementName(step) || (step.size() > 1 && step[0] == '@' && IsMapElementName(step.substr(1)));
        if (!IsMapElementName(step))
            return false;
        path.remove_prefix(slash + 1);
    }
}

/// The first node a plain path selects below `context`, in document order: the children of an
/// earlier namesake come before those of a later one, so the first match of a depth-first walk
/// is the one the XPath engine would give.
pugi::xpath_node WalkPlainPath(const pugi::xml_node& context, std::string_view path)
{
    const std::size_t slash = path.find('/');
    const std::string step(path.substr(0, slash));
    if (step[0] == '@') {
        const pugi::xml_attribute attribute = context.attribute(step.c_str() + 1);
        return attribute ? pugi::xpath_node(attribute, context) : pugi::xpath_node();
    }
    for (pugi::xml_node child = context.child(step.c_str()); child; child = child.next_sibling(step.c_str())) {
        if (slash == std::string_view::npos)
            return pugi::xpath_node(child);
        if (pugi::xpath_node found = WalkPlainPath(child, path.substr(slash + 1)))
            return found;
    }
    return {};
}

}  // namespace

bool IsMapElementName(std::string_view name)
{
    const auto start = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (name.empty() || !start(name[0]))
        return false;
    for (char c : name)
        if (!start(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.')
            return false;
    return true;
}

CXmlNodeValue::CXmlNodeValue(RegisterMapPtr document, pugi::xpath_node node)
    : document_(std::move(document)), node_(node)
{
}

CXmlNodeValue CXmlNodeValue::Select(std::string_view xpath) const
{
    if (IsNull() || !node_.node())
        return {};
    if (IsPlainPath(xpath))
        return CXmlNodeValue(document_, WalkPlainPath(node_.node(), xpath));
    try {
        const pugi::xpath_query query(std::string(xpath).c_str());
        if (!query)
            return {};
        return CXmlNodeValue(document_, query.evaluate_node(node_.node()));
    } catch (const std::exception& e) {
        ReportRegisterMapWarning("Register map " + (document_ ? document_->Source() : std::string())
                                 + ": bad selection '" + std::string(xpath) + "': " + e.what());
        return {};
    }
}

std::vector<CXmlNodeValue> CXmlNodeValue::SelectAll(std::string_view xpath) const
{
    std::vector<CXmlNodeValue> out;
    if (IsNull() || !node_.node())
        return out;
    try {
        const pugi::xpath_query query(std::string(xpath).c_str());
        if (!query)
            return out;
        const pugi::xpath_node_set set = query.evaluate_node_set(node_.node());
        out.reserve(set.size());
        for (const pugi::xpath_node& node : set)
            out.emplace_back(document_, node);
    } catch (const std::exception& e) {
        ReportRegisterMapWarning("Register map " + (document_ ? document_->Source() : std::string())
                                 + ": bad selection '" + std::string(xpath) + "': " + e.what());
        out.clear();
    }
    return out;
}

std::string CXmlNodeValue::AsString() const
{
    if (IsNull())
        return {};
    if (node_.attribute())
        return node_.attribute().value();
    std::string text;
    AppendText(node_.node(), text);
    return std::string(TrimXmlSpace(text));
}

std::int64_t CXmlNodeValue::AsInt64() const
{
    if (IsNull())
        return 0;
    const std::string text = AsString();
    bool digits = false;
    const std::int64_t value = ParseInt64Auto(text, &digits);
    if (!digits && !TrimXmlSpace(text).empty())
        Warn("an integer", text);
    return value;
}

double CXmlNodeValue::AsDouble() const
{
    if (IsNull())
        return 0.0;
    const std::string text = AsString();
    double value = 0.0;
    if (!ParseMapDouble(text, value))
        Warn("a floating-point number", text);
    return value;
}

bool CXmlNodeValue::AsBool() const
{
    if (IsNull())
        return false;
    const std::string text = AsString();
    bool value = false;
    if (!ParseMapBool(text, value))
        Warn("a boolean", text);
    return value;
}

std::string CXmlNodeValue::Name() const
{
    if (node_.attribute())
        return node_.attribute().name();
    return node_.node() ? node_.node().name() : "";
}

std::string CXmlNodeValue::Path() const
{
    if (node_.attribute())
        return PathOf(node_.parent()) + "/@" + node_.attribute().name();
    return PathOf(node_.node());
}

void CXmlNodeValue::Warn(const char* what, const std::string& text) const
{
    ReportRegisterMapWarning("Register map " + (document_ ? document_->Source() : std::string()) + ": "
                             + Path() + " = '" + text + "' is not " + what + "; using the default");
}

bool GetEnumValueById(const RegisterMap& document, std::int64_t rawValue, std::int32_t& value, std::string_view path)
{
    char predicate[64];
    std::snprintf(predicate, sizeof predicate, "/val[@id='%" PRId64 "']", rawValue);
    const CXmlNodeValue entry = document.Select(std::string(path) + predicate);
    if (!entry)
        return false;
    value = static_cast<std::int32_t>(entry.AsInt64());
    return true;
}

std::string GetValTextById(const RegisterMap& document, std::string_view path, std::int64_t rawValue)
{
    char predicate[64];
    std::snprintf(predicate, sizeof predicate, "/val[@id=%" PRId64 "]", rawValue);
    return document.Select(std::string(path) + predicate).AsString();
}

bool GetValByPosition(const RegisterMap& document, std::string_view path, int position, std::int64_t& value)
{
    char predicate[32];
    std::snprintf(predicate, sizeof predicate, "/val[%d]", position);
    const CXmlNodeValue entry = document.Select(std::string(path) + predicate);
    if (!entry)
        return false;
    value = entry.AsInt64();
    return true;
}
