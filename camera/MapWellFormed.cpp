#include "MapWellFormed.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

bool IsXmlChar(std::uint32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

/// The number of a character reference body ("#65", "#x41"); false when it is not one or names
/// no XML character.
bool CharacterReference(std::string_view body, std::uint32_t& code)
{
    body.remove_prefix(1);  // '#'
    int base = 10;
    if (!body.empty() && body[0] == 'x') {
        base = 16;
        body.remove_prefix(1);
    }
    if (body.empty())
        return false;
    code = 0;
    for (char c : body) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        code = code * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
        if (code > 0x10FFFF)
            return false;
    }
    return IsXmlChar(code);
}

/// Every '&' of `text` starts one of the five predefined entities or a character reference.
bool CheckReferences(std::string_view text, std::string& reason)
{
    static constexpr std::string_view kPredefined[] = {"lt", "gt", "amp", "apos", "quot"};
    for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1)) {
        const std::size_t end = text.find(';', at + 1);
        const std::string_view body = end == std::string_view::npos ? std::string_view() : text.substr(at + 1, end - at - 1);
        if (body.empty() || body.find_first_of(" \t\r\n&<") != std::string_view::npos) {
            reason = "'&' that starts no entity reference";
            return false;
        }
        std::uint32_t code = 0;
        if (body[0] == '#' ? !CharacterReference(body, code)
                           : std::find(std::begin(kPredefined), std::end(kPredefined), body) == std::end(kPredefined)) {
            reason = "unknown entity '&" + std::string(body.substr(0, 40)) + ";'";
            return false;
        }
    }
    return true;
}

/// Splits a qualified name; false when it has more than one colon or an empty part.
bool SplitName(std::string_view name, std::string_view& prefix, std::string_view& local)
{
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        prefix = {};
        local = name;
        return !name.empty();
    }
    prefix = name.substr(0, colon);
    local = name.substr(colon + 1);
    return !prefix.empty() && !local.empty() && local.find(':') == std::string_view::npos;
}

/// Namespace prefixes in force at the element being checked.
class PrefixScopes {
public:
    /// Drops the declarations of elements at `depth` or deeper (the walk has left them).
    void Leave(int depth)
    {
        while (!stack_.empty() && stack_.back().second >= depth) {
            if (--counts_[stack_.back().first] == 0)
                counts_.erase(stack_.back().first);
            stack_.pop_back();
        }
    }
    void Declare(std::string_view prefix, int depth)
    {
        stack_.emplace_back(prefix, depth);
        ++counts_[prefix];
    }
    bool Declared(std::string_view prefix) const
    {
        return prefix.empty() || prefix == "xml" || counts_.count(prefix) != 0;
    }

private:
    std::vector<std::pair<std::string_view, int>> stack_;
    std::unordered_map<std::string_view, int> counts_;
};

class Checker {
public:
    bool Element(const pugi::xml_node& element, int depth, std::string& reason)
    {
        names_.clear();
        for (const pugi::xml_attribute& attribute : element.attributes()) {
            const std::string_view name = attribute.name();
            names_.push_back(name);
            std::string_view prefix, local;
            if (!SplitName(name, prefix, local)) {
                reason = "attribute name '" + std::string(name) + "' is not a proper qualified name";
                return false;
            }
            if (prefix == "xmlns") {
                if (*attribute.value() == '\0') {
                    reason = "namespace prefix '" + std::string(local) + "' declared with an empty name";
                    return false;
                }
                scopes_.Declare(local, depth);
            }
            const std::string_view value = attribute.value();
            if (value.find('<') != std::string_view::npos) {
                reason = "'<' in the value of attribute '" + std::string(name) + "'";
                return false;
            }
            if (!CheckReferences(value, reason)) {
                reason += " in attribute '" + std::string(name) + "'";
                return false;
            }
        }
        std::sort(names_.begin(), names_.end());
        if (const auto twice = std::adjacent_find(names_.begin(), names_.end()); twice != names_.end()) {
            reason = "attribute '" + std::string(*twice) + "' given twice on <" + element.name() + ">";
            return false;
        }
        std::string_view prefix, local;
        if (!SplitName(element.name(), prefix, local)) {
            reason = "element name '" + std::string(element.name()) + "' is not a proper qualified name";
            return false;
        }
        if (!scopes_.Declared(prefix)) {
            reason = "undeclared namespace prefix '" + std::string(prefix) + "' on <" + element.name() + ">";
            return false;
        }
        for (std::string_view name : names_) {
            if (SplitName(name, prefix, local) && prefix != "xmlns" && !scopes_.Declared(prefix)) {
                reason = "undeclared namespace prefix '" + std::string(prefix) + "' on attribute '" + std::string(name) + "'";
                return false;
            }
        }
        return true;
    }

    void Leave(int depth) { scopes_.Leave(depth); }

private:
    PrefixScopes scopes_;
    std::vector<std::string_view> names_;
};

}  // namespace

bool CheckMapWellFormed(const pugi::xml_document& raw, WellFormedError& error)
{
    const auto fail = [&error](const pugi::xml_node& node, std::string reason) {
        error.offset = node.offset_debug();
        error.reason = std::move(reason);
        return false;
    };

    bool rootSeen = false;
    for (const pugi::xml_node& child : raw.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            return fail(child, "text outside the root element");
        if (child.type() == pugi::node_element) {
            if (rootSeen)
                return fail(child, std::string("a second top-level element <") + child.name() + ">");
            rootSeen = true;
        }
    }

    // Depth-first in document order, by the nodes' own links: no recursion.
    Checker checker;
    std::string reason;
    int depth = 0;
    pugi::xml_node node = raw.first_child();
    while (node) {
        checker.Leave(depth);
        if (node.type() == pugi::node_element && !checker.Element(node, depth, reason))
            return fail(node, reason);
        if (node.type() == pugi::node_pcdata && !CheckReferences(node.value(), reason))
            return fail(node, reason);
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node)
            node = node.next_sibling();
    }
    return true;
}
