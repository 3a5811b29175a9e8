#include "tools/DownloadFile.h"

#include "camera/ValueCoder.h"
#include "platform/ProfileSettings.h"
#include "tools/DownloadParsers.h"

#include <cctype>

namespace download {

bool IsDefectType(int type) { return type == kDpmUser || type == kBpmUser || type == kDpmFactory || type == kBpmFactory; }

bool IsFlatFieldType(int type) { return type == kFfc1 || type == kFfc2; }

bool IsLookUpType(int type) { return type >= kLut1 && type <= kLut4; }

std::optional<DownloadTarget> TargetFor(int type, bool largeSensor)
{
    switch (type) {
    case kDpmUser:
        return DownloadTarget{9, 0x4000, 0x2000, 0, 32, 64};
    case kDpmFactory:
        return DownloadTarget{9, 0x4000, 0x0000, 32, 64, 64};
    case kBpmUser:
        return DownloadTarget{10, 0x10000, 0x8000, 0, 128, 256};
    case kBpmFactory:
        return DownloadTarget{10, 0x10000, 0x0000, 128, 256, 256};
    case kFfc1:
    case kFfc2:
        return DownloadTarget{type == kFfc1 ? 11 : 12, largeSensor ? 0xC000u : 0x8000u, 0, 0, 0, largeSensor ? 192 : 128};
    case kLut1:
    case kLut2:
    case kLut3:
    case kLut4:
        return DownloadTarget{5 + (type - kLut1), 0x4000, 0, 0, 0, 64};
    case kAfe:
        return DownloadTarget{13, 0x10000, 0, 0, 0, 0};
    case kRgs:
        return DownloadTarget{kNoSector, 0, 0, 0, 0, 0};
    default:
        return std::nullopt;
    }
}

std::string_view ExtensionOf(int type)
{
    static constexpr std::string_view kExtensions[kFileTypeCount] = {"dcm", "bcm", "ffc", "ffc", "lut", "lut",
                                                                     "lut", "lut", "txt", "rgs", "dcm", "bcm"};
    if (type < 0 || type >= kFileTypeCount)
        return {};
    return kExtensions[type];
}

bool PathFitsType(std::string_view path, int type)
{
    const std::string_view extension = ExtensionOf(type);
    if (extension.empty() || path.size() < extension.size())
        return false;
    const std::string_view tail = path.substr(path.size() - extension.size());
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != extension[i])
            return false;
    return true;
}

std::optional<std::string> LoadFileBytes(const std::string& path, bool* tooLarge)
{
    std::string bytes;
    const platform::ReadFileResult result = platform::ReadWholeFile(path, kMaxFileBytes, bytes);
    if (tooLarge)
        *tooLarge = result == platform::ReadFileResult::TooLarge;
    if (result != platform::ReadFileResult::Ok)
        return std::nullopt;
    return bytes;
}

std::string ParseError::Message() const
{
    if (line <= 0)
        return reason;
    return "line " + std::to_string(line) + ": " + reason;
}

void StoreFlashWord(std::vector<std::uint8_t>& bytes, std::uint32_t offset, std::uint32_t word)
{
    ValueCoder::WordToBytes(word, bytes.data() + offset);
}

std::uint32_t FlashWordAt(const std::vector<std::uint8_t>& bytes, std::uint32_t offset)
{
    return ValueCoder::BytesToWord(bytes.data() + offset);
}

int PagesToWrite(int type, const DownloadTarget& target, const FlashImage& image)
{
    if (type == kAfe)
        return static_cast<int>((image.fill + kPageSize - 1) / kPageSize);
    return target.writePages;
}

Parsed<FlashImage> ParseTableFile(int type, std::string_view text, bool largeSensor)
{
    if (IsDefectType(type))
        return ParseDefectTable(type, text, largeSensor);
    if (IsFlatFieldType(type))
        return ParseFlatField(text, largeSensor);
    if (IsLookUpType(type))
        return ParseLookUpTable(text);
    if (type == kAfe)
        return ParseAfeTable(text);
    return ParseError{0, "file type " + std::to_string(type) + " is not a table file"};
}

std::string ParserTraceRecord(int type, std::string_view path)
{
    const std::string name(path);
    if (IsFlatFieldType(type) || IsLookUpType(type))
        return "GetValuesFromFileSimple: FileName <" + name + ">";
    if (IsDefectType(type))
        return "GetValuesFromFileDPMHPM: FileName <" + name + ">";
    if (type == kAfe)
        return "GetValuesFromFileAFE: FileName <" + name + ">";
    return "ConvertRegs2ByteList: FileName<" + name + ">";
}

}  // namespace download
