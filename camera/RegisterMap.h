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

/// Why a register map did not load. `code` is negative like a parse error of the document
/// classes the maps were written for: kNotFound, kTooLarge, kForbidden, or kParseError plus the
/// parser's status. `line` and `column` are 1-based (0 when the error has no position).
struct RegisterMapError {
    static constexpr std::int32_t kNotFound = static_cast<std::int32_t>(0x800C0006);
    static constexpr std::int32_t kTooLarge = static_cast<std::int32_t>(0x8007000E);
    static constexpr std::int32_t kForbidden = static_cast<std::int32_t>(0xC00CE5FF);
    static constexpr std::int32_t kParseError = static_cast<std::int32_t>(0xC00CE500);
    /// Parsed, but not a well-formed map: text or a second element beside the root, an
    /// attribute twice, an undeclared prefix, an unknown entity, or a root other than CAMERA.
    static constexpr std::int32_t kNotWellFormed = static_cast<std::int32_t>(0xC00CE5A0);

    std::int32_t code = 0;
    int line = 0;
    int column = 0;
    std::string reason;

    /// "source:line:column: reason" (or "source: reason" without a position).
    std::string Text(const std::string& source) const;
};

class RegisterMap : public std::enable_shared_from_this<RegisterMap> {
public:
    /// Every register map's root element.
    static constexpr char kRootElement[] = "CAMERA";
    /// Larger files are refused: no register map comes near this size.
    static constexpr std::size_t kMaxFileSize = 16u * 1024 * 1024;

    /// Loads a map file. Null on failure, with `error` saying why.
    static std::shared_ptr<const RegisterMap> LoadFile(const std::filesystem::path& file,
                                                       RegisterMapError* error = nullptr);
    /// Loads a map from memory; `source` names it in messages ("res://corvel/#170").
    static std::shared_ptr<const RegisterMap> LoadBuffer(const void* data, std::size_t size,
                                                         std::string source, RegisterMapError* error = nullptr);

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
/// they are records of severity 4 in the application log; tests install a sink instead.
using RegisterMapWarningSink = std::function<void(const std::string& message)>;
RegisterMapWarningSink SetRegisterMapWarningSink(RegisterMapWarningSink sink);
void ReportRegisterMapWarning(const std::string& message);
