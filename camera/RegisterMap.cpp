#include "RegisterMap.h"

#include "CXmlNodeValue.h"
#include "MapWellFormed.h"
#include "logging/ConfiguratorLog.h"
#include "platform/ProfileSettings.h"
#include "platform/TextConv.h"

#include <fstream>
#include <mutex>
#include <system_error>

struct RegisterMap::Private {};

namespace {

std::mutex& SinkMutex() { static auto* m = new std::mutex; return *m; }
RegisterMapWarningSink& Sink() { static auto* s = new RegisterMapWarningSink; return *s; }

void SetError(RegisterMapError* error, std::int32_t code, std::string reason, int line = 0, int column = 0)
{
    if (error)
        *error = RegisterMapError{code, line, column, std::move(reason)};
}

// 1-based line and column of a byte offset, for parse errors an operator can find in an editor.
void Position(const char* data, std::size_t size, std::ptrdiff_t offset, int& line, int& column)
{
    line = 1;
    column = 1;
    const std::size_t end = offset < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(offset), size);
    for (std::size_t i = 0; i < end; ++i) {
        if (data[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

bool HasDoctype(const pugi::xml_document& document)
{
    for (pugi::xml_node child : document.children())
        if (child.type() == pugi::node_doctype)
            return true;
    return false;
}

}  // namespace

std::string RegisterMapError::Text(const std::string& source) const
{
    if (line > 0)
        return source + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + reason;
    return source + ": " + reason;
}

RegisterMap::RegisterMap(const Private&) {}

RegisterMapPtr RegisterMap::LoadBuffer(const void* data, std::size_t size, std::string source, RegisterMapError* error)
{
    if (!data || size == 0) {
        SetError(error, RegisterMapError::kParseError, "the register map is empty");
        return nullptr;
    }
    if (size > kMaxFileSize) {
        SetError(error, RegisterMapError::kTooLarge,
                 "the register map is larger than " + std::to_string(kMaxFileSize) + " bytes");
        return nullptr;
    }
    const auto parseFailed = [&](const pugi::xml_parse_result& result) {
        int line = 0, column = 0;
        Position(static_cast<const char*>(data), size, result.offset, line, column);
        SetError(error, RegisterMapError::kParseError + static_cast<std::int32_t>(result.status),
                 result.description(), line, column);
        return nullptr;
    };
    // First as written, references undecoded, for what the parser itself lets through.
    {
        pugi::xml_document raw;
        const pugi::xml_parse_result result = raw.load_buffer(data, size, kWellFormedParseOptions, pugi::encoding_auto);
        if (!result)
            return parseFailed(result);
        // Entity declarations would let a map expand or fetch content; maps never need them.
        if (HasDoctype(raw)) {
            SetError(error, RegisterMapError::kForbidden, "a document type declaration is not allowed in a register map");
            return nullptr;
        }
        if (!raw.document_element()) {
            pugi::xml_parse_result noRoot;
            noRoot.status = pugi::status_no_document_element;
            noRoot.offset = static_cast<std::ptrdiff_t>(size);
            return parseFailed(noRoot);
        }
        WellFormedError fault;
        if (!CheckMapWellFormed(raw, fault)) {
            int line = 0, column = 0;
            if (fault.offset >= 0) {
                // A text fault points at its first character that is not white space.
                const char* bytes = static_cast<const char*>(data);
                std::size_t at = static_cast<std::size_t>(fault.offset);
                while (at < size && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
                    ++at;
                Position(bytes, size, static_cast<std::ptrdiff_t>(at), line, column);
            }
            SetError(error, RegisterMapError::kNotWellFormed, fault.reason, line, column);
            return nullptr;
        }
        if (std::string_view(raw.document_element().name()) != kRootElement) {
            SetError(error, RegisterMapError::kNotWellFormed,
                     std::string("the root element is <") + raw.document_element().name() + ">, not <" + kRootElement + ">");
            return nullptr;
        }
    }
    auto map = std::make_shared<RegisterMap>(Private{});
    map->source_ = std::move(source);
    const pugi::xml_parse_result result =
        map->document_.load_buffer(data, size, pugi::parse_default | pugi::parse_doctype, pugi::encoding_auto);
    if (!result)
        return parseFailed(result);
    return map;
}

RegisterMapPtr RegisterMap::LoadFile(const std::filesystem::path& file, RegisterMapError* error)
{
    std::string bytes;
    std::string why;
    switch (platform::ReadWholeFile(file, kMaxFileSize, bytes, &why)) {
    case platform::ReadFileResult::Ok:
        break;
    case platform::ReadFileResult::TooLarge:
        SetError(error, RegisterMapError::kTooLarge, "the register map is too large");
        return nullptr;
    case platform::ReadFileResult::NotAFile:
        SetError(error, RegisterMapError::kNotFound, "not a readable file");
        return nullptr;
    case platform::ReadFileResult::ReadFailed:
        SetError(error, RegisterMapError::kNotFound, "cannot read the file: " + why);
        return nullptr;
    }
    return LoadBuffer(bytes.data(), bytes.size(), file.string(), error);
}

CXmlNodeValue RegisterMap::Document() const
{
    return CXmlNodeValue(shared_from_this(), pugi::xpath_node(document_));
}

CXmlNodeValue RegisterMap::Select(std::string_view xpath) const { return Document().Select(xpath); }

RegisterMapWarningSink SetRegisterMapWarningSink(RegisterMapWarningSink sink)
{
    std::lock_guard lock(SinkMutex());
    RegisterMapWarningSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

void ReportRegisterMapWarning(const std::string& message)
{
    std::lock_guard lock(SinkMutex());
    if (Sink()) {
        Sink()(message);
        return;
    }
    const std::wstring wide = platform::Utf8ToWide(message);
    CORVEL_LOG(OL_ERROR, -1, L"RegisterMap", "CXmlNodeValue", L"%ls", wide.c_str());
}
