// Text helpers of the camera link's echo and log lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace camera {

/// printf-style formatting (this platform's conventions) into a string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Text from the camera or a file made safe for one line: control bytes and DEL become '?'.
/// With `maxLength` above 0, a longer text is cut there and "..." added.
std::string PrintableText(std::string_view text, std::size_t maxLength = 0);

/// The characters one identity register answers: its four bytes in the order they came, up
/// to the first zero byte.
std::string IdentityTextPiece(const std::uint8_t bytes[4]);

/// The GUI-settings key of a camera's serial number: the serial without blanks around it, or
/// empty (no settings files) when it holds no ASCII letter or digit, as a camera that answers
/// garbage gives.
std::string SettingsKeyOfSerial(std::string_view serial);

/// The bytes as two hex digits each, in the case `format` ("%02X" or "%02x") gives.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count, const char* format);

}  // namespace camera
