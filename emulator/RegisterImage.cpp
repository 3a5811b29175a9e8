#include "emulator/RegisterImage.h"

#include "camera/CXmlNodeValue.h"
#include "camera/MapNumbers.h"
#include "catalogues/ConfigurationTable.h"
#include "emulator/CameraModel.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace emu {
namespace {

/// "0x" hexadecimal digits or decimal digits, with an optional sign, and nothing else.
bool IsWholeInteger(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    bool hex = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        hex = true;
    }
    if (text.empty())
        return false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!(hex ? std::isxdigit(u) : std::isdigit(u)))
            return false;
    }
    return true;
}

bool IsBooleanText(std::string_view text, bool& value)
{
    auto equals = [text](std::string_view word) {
        if (text.size() != word.size())
            return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
                return false;
        return true;
    };
    value = equals("true");
    return value || equals("false");
}

// The camera's own word layout, coded here rather than taken from the program's coder so that a
// fault in the program's coding shows up against the emulated camera instead of hiding on both
// sides.

/// `value << shift` in 32 bits; a shift outside 0..31 places nothing.
std::uint32_t ShiftedUp(std::uint32_t value, int shift)
{
    return (shift >= 0 && shift < 32) ? value << shift : 0u;
}

/// A field's bits in its word: the low 32 bits of (value AND mask), shifted up.
std::uint32_t FieldWord(std::uint64_t value, std::uint32_t mask, int shift)
{
    return ShiftedUp(static_cast<std::uint32_t>(value & mask), shift);
}

/// Up to four characters, the first in the most significant byte, the rest zero; a longer
/// text does not fit a register and gives 0.
std::uint32_t TextWord(std::string_view text)
{
    if (text.size() > 4)
        return 0;
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t byte = i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
        word |= byte << (24 - 8 * i);
    }
    return word;
}

/// The default of one element coded into its field, as a camera write would code it.
std::uint32_t EncodeDefault(const std::string& text, std::uint32_t mask, int shift)
{
    const std::string_view trimmed = TrimXmlSpace(text);
    bool flag = false;
    if (trimmed.empty())
        return 0;
    if (IsWholeInteger(trimmed))
        return FieldWord(static_cast<std::uint64_t>(ParseInt64Auto(trimmed)), mask, shift);
    if (IsBooleanText(trimmed, flag))
        return FieldWord(flag ? 1u : 0u, mask, shift);
    // Text registers hold four characters from the most significant byte; their mask covers
    // the whole word.
    return TextWord(text);
}

void PutText(RegisterImage& image, std::uint16_t first, int words, const std::string& text)
{
    for (int w = 0; w < words; ++w) {
        const std::size_t at = static_cast<std::size_t>(w) * 4;
        const std::string piece = at < text.size() ? text.substr(at, 4) : std::string();
        image[static_cast<std::uint16_t>(first + 4 * w)] = TextWord(piece);
    }
}

}  // namespace

void PutField(RegisterImage& image, std::uint16_t address, std::uint32_t mask, int shift, std::int64_t value)
{
    std::uint32_t& word = image[address];
    word = (word & ~ShiftedUp(mask, shift)) | FieldWord(static_cast<std::uint64_t>(value), mask, shift);
}

bool PutNamedField(RegisterImage& image, const RegisterMap& map, const std::string& name, std::int64_t value)
{
    const CXmlNodeValue element = map.Select("CAMERA//" + name + "[address]");
    if (!element)
        return false;
    const auto address = static_cast<std::uint16_t>(element.Select("address").AsInt64());
    const auto mask = static_cast<std::uint32_t>(element.Select("mask").AsInt64());
    const auto shift = static_cast<int>(element.Select("shift").AsInt64());
    if (mask == 0)
        return false;
    PutField(image, address, mask, shift, value);
    return true;
}

RegisterImage RegisterImageFromMap(const RegisterMap& map)
{
    RegisterImage image;
    for (const CXmlNodeValue& element : map.Select("CAMERA").SelectAll(".//*[address]")) {
        const auto address = static_cast<std::uint16_t>(element.Select("address").AsInt64());
        const auto mask = static_cast<std::uint32_t>(element.Select("mask").AsInt64());
        const auto shift = static_cast<int>(element.Select("shift").AsInt64());
        std::uint32_t& word = image[address];
        const std::uint32_t field = EncodeDefault(element.Select("@default").AsString(), mask, shift);
        word = (word & ~ShiftedUp(mask, shift)) | field;
    }
    return image;
}

CameraIdentity IdentityForConfiguration(const RegisterMap& map, std::int32_t configIndex)
{
    CameraIdentity identity;
    identity.configIndex = configIndex;
    std::string family = GetValTextById(map, "CAMERA/LOCALSPACE/CamCode", configIndex);
    if (family.empty()) {
        // The map names only the older families; the others go by their configuration's name.
        const bool hasRow = configIndex >= 0 && configIndex < kConfigurationCount;
        family = hasRow ? ConfigurationRowFor(configIndex).displayName : "Camera " + std::to_string(configIndex);
    }
    identity.modelText = family.substr(0, 20);
    char serial[16];
    std::snprintf(serial, sizeof serial, "EMU%05d", static_cast<int>(configIndex % 100000));
    identity.serialText = serial;
    return identity;
}

void ApplyIdentity(RegisterImage& image, const CameraIdentity& identity)
{
    // Configuration 6 keeps its texts one register further on.
    const std::uint16_t offset = identity.configIndex == 6 ? 4 : 0;
    image[kPingRegister] = kPingValue;
    image[kCamCodeRegister] = static_cast<std::uint32_t>(identity.configIndex);
    PutText(image, static_cast<std::uint16_t>(kModelTextRegister + offset), 5, identity.modelText);
    PutText(image, static_cast<std::uint16_t>(kSerialTextRegister + offset), 2, identity.serialText);
}

RegisterImage CameraRegistersFor(const RegisterMap& map, std::int32_t configIndex)
{
    RegisterImage image = RegisterImageFromMap(map);
    ApplyIdentity(image, IdentityForConfiguration(map, configIndex));
    return image;
}

}  // namespace emu
