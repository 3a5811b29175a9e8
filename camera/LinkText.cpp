#include "camera/LinkText.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace camera {

std::string FormatText(const char* format, ...)
{
    char small[256];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (length > 0 && static_cast<std::size_t>(length) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(length));
    } else if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, copy);
    }
    va_end(copy);
    return text;
}

std::string PrintableText(std::string_view text, std::size_t maxLength)
{
    const bool cut = maxLength > 0 && text.size() > maxLength;
    std::string shown(cut ? text.substr(0, maxLength) : text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    if (cut)
        shown += "...";
    return shown;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count, const char* format)
{
    std::string text;
    text.reserve(count * 2);
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, format, bytes[i]);
        text += digits;
    }
    return text;
}

std::string IdentityTextPiece(const std::uint8_t bytes[4])
{
    const auto* chars = reinterpret_cast<const char*>(bytes);
    return std::string(chars, strnlen(chars, 4));
}

std::string SettingsKeyOfSerial(std::string_view serial)
{
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const std::size_t first = serial.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    serial = serial.substr(first, serial.find_last_not_of(kSpace) - first + 1);
    const bool named = std::any_of(serial.begin(), serial.end(),
                                   [](unsigned char c) { return c < 0x80 && std::isalnum(c); });
    return named ? std::string(serial) : std::string();
}

}  // namespace camera
