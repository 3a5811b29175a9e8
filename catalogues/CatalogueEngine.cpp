#include "catalogues/CatalogueEngine.h"

#include "camera/CXmlNodeValue.h"
#include "camera/CameraLink.h"
#include "camera/ParamDefinition.h"

#include <cstring>
#include <set>
#include <string_view>

namespace {

/// The types a register's field can be defined as (an array has no register).
bool IsRegisterType(OrvParamType type)
{
    return type == OrvParam_Int || type == OrvParam_Bool || type == OrvParam_Float || type == OrvParam_String;
}

/// An element tag a path can hold (no separators, predicates or axes) and a record can name.
bool IsElementName(const char* name)
{
    return name && std::strlen(name) <= kOrvParamNameMax && IsMapElementName(name);
}

class Builder {
public:
    Builder(CCameraLink& link, const RegisterMapPtr& document, bool debugMode, const CatalogueTable& table,
            ICatalogueListeners* listeners, CatalogueBuildResult& result)
        : link_(link), document_(document), debug_(debugMode), table_(table), listeners_(listeners), result_(result)
    {
    }

    void Run()
    {
        for (const CatalogueSection& section : table_.sections) {
            if (!IsElementName(section.name)) {
                Problem("section", section.name, "is not an element name; the section is left out");
                continue;
            }
            std::string path = std::string("CAMERA/") + section.name;
            const CXmlNodeValue sectionNode = document_->Select(path);
            if (!sectionNode)
                continue;
            path += '/';
            DefineAll(sectionNode, path, section.params);
            for (const CatalogueGroup& group : section.groups) {
                if (!IsElementName(group.name)) {
                    Problem("group", group.name, "is not an element name; the group is left out");
                    continue;
                }
                std::string groupPath = path + group.name;
                const CXmlNodeValue groupNode = document_->Select(groupPath);
                if (!groupNode)
                    continue;
                groupPath += '/';
                DefineAll(groupNode, groupPath, group.params);
            }
        }
    }

private:
    void DefineAll(const CXmlNodeValue& node, const std::string& prefix, std::span<const CatalogueParam> params)
    {
        for (const CatalogueParam& param : params)
            if (Valid(param))
                Define(node, prefix, param);
    }

    /// Checks a table entry before anything of it is read.
    bool Valid(const CatalogueParam& param)
    {
        if (!IsElementName(param.name)) {
            Problem("parameter", param.name, "is not an element name; the parameter is left out");
            return false;
        }
        if (!IsRegisterType(param.type)) {
            Problem("parameter", param.name, "has a type no register can hold (" + std::to_string(param.type)
                                    + "); the parameter is left out");
            return false;
        }
        if (!names_.insert(param.name).second) {
            Problem("parameter", param.name, "is listed twice; the later entry is left out");
            return false;
        }
        return true;
    }

    OrvParamListener* Listener(ListenerRole role) const
    {
        if (!listeners_)
            return nullptr;
        switch (role.kind) {
        case ListenerRole::Panel: return listeners_->PanelListener(role.slot);
        case ListenerRole::CameraInfo: return listeners_->CameraInfoListener();
        default: return nullptr;
        }
    }

    void Define(const CXmlNodeValue& node, const std::string& prefix, const CatalogueParam& entry)
    {
        const std::string name = entry.name;
        const std::string path = prefix + name;
        // Every node of one parameter is read from the same element: the first of that name.
        const CXmlNodeValue element = node.Select(name);
        const auto read = [&](const char* child) { return element.Select(child); };
        const auto access = [&] { return static_cast<std::int32_t>(read("access").AsInt64()); };
        int added = -1;
        switch (entry.type) {
        case OrvParam_Int: {
            const std::int64_t defaultValue = read("@default").AsInt64();
            const std::int64_t mask = read("mask").AsInt64();
            const std::int64_t max = read("max").AsInt64();
            const std::int64_t min = read("min").AsInt64();
            added = AddIntParam(link_, node, name, path, access(), min, max, mask, defaultValue, debug_,
                                Listener(entry.listener));
            break;
        }
        case OrvParam_Bool: {
            const bool defaultValue = read("@default").AsBool();
            added = AddBoolParam(link_, node, name, path, access(), defaultValue, Listener(entry.listener));
            break;
        }
        case OrvParam_String: {
            const std::string defaultText = read("@default").AsString();
            added = AddStringParam(link_, node, name, path, access(), defaultText, Listener(entry.listener));
            break;
        }
        case OrvParam_Float: {
            const double step = read("step").AsDouble();
            const double max = read(debug_ ? "max_d" : "max").AsDouble();
            const double min = read(debug_ ? "min_d" : "min").AsDouble();
            added = AddFloatParam(link_, node, name, path, access(), min, max, step);
            break;
        }
        default: break;
        }
        if (added != 0)
            return;
        ++result_.defined;
        RegisterLink reg;
        if (GetRegisterLink(link_, name.c_str(), reg) == 0)
            ++result_.linked;
    }

    /// "Catalogue <table>, register map <source>: <kind> '<name>' <what>"
    void Problem(const char* kind, const char* name, const std::string& what)
    {
        std::string text = std::string("Catalogue ") + (table_.name ? table_.name : "") + ", register map "
                           + document_->Source() + ": " + kind + " "
                           + (name ? std::string("'") + name + "'" : std::string("(no name)")) + " " + what;
        ReportRegisterMapWarning(text);
        result_.problems.push_back(std::move(text));
    }

    CCameraLink& link_;
    const RegisterMapPtr& document_;
    const bool debug_;
    const CatalogueTable& table_;
    ICatalogueListeners* listeners_;
    CatalogueBuildResult& result_;
    std::set<std::string_view> names_;
};

}  // namespace

CatalogueBuildResult BuildCatalogue(CCameraLink& link, const RegisterMapPtr& document, bool debugMode,
                                    const CatalogueTable& table, ICatalogueListeners* listeners)
{
    CatalogueBuildResult result;
    if (!document || !link.m_pMainWindow)
        return result;
    result.built = true;
    link.ClearStorage();
    link.m_pRegisterMap = document;
    link.ConfigurationBuilt();

    Builder(link, document, debugMode, table, listeners, result).Run();
    link.KeepExposureRecord();

    link.m_nTapsAllowed = table.allowedTaps == AllowedTapsRule::RawTapsMax ? GetParamIntValue(link, "TapsMax")
                                                                            : GetTapsAllowed(link);
    link.m_nActiveTaps = GetActiveTaps(link);
    link.UpdateFrameSizeLimits();
    return result;
}
