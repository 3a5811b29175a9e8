// The register-map document of one camera configuration: an XML file that names every
// parameter, its register, bit field, limits, access and value texts. It is loaded once,
// never changed afterwards, and shared by counted reference between the main window, the
// camera link, the catalogue builders and the panels. Nodes are read through CXmlNodeValue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <pugixml.hpp>

class CXmlNodeValue;

class RegisterMap : public std::enable_shared_from_this<RegisterMap> {
public:
    /// Larger files are refused: no register map comes near this size.
    static constexpr std::size_t kMaxFileSize = 16u * 1024 * 1024;

    /// Loads a map file. Null on failure, with `error` saying why (for a parse error with
    /// "line:column").
    static std::shared_ptr<const RegisterMap> LoadFile(const std::filesystem::path& file,
                                                       std::string* error = nullptr);
    /// Loads a map from memory; `source` names it in messages ("res://corvel/#170").
    static std::shared_ptr<const RegisterMap> LoadBuffer(const void* data, std::size_t size,
                                                         std::string source, std::string* error = nullptr);

    /// The document node, from which "CAMERA/..." paths select.
    CXmlNodeValue Document() const;
    /// Shortcut for Document().Select(xpath).
    CXmlNodeValue Select(std::string_view xpath) const;

    const std::string& Source() const { return source_; }

    struct Private;  // construction goes through the loaders
    explicit RegisterMap(const Private&);

private:
    pugi::xml_document document_;
    std::string source_;
};

using RegisterMapPtr = std::shared_ptr<const RegisterMap>;

/// Where conversion warnings of register-map values go (a malformed override map). By default
/// they go to the debugger output; the application routes them to its log.
using RegisterMapWarningSink = std::function<void(const std::string& message)>;
RegisterMapWarningSink SetRegisterMapWarningSink(RegisterMapWarningSink sink);
void ReportRegisterMapWarning(const std::string& message);
