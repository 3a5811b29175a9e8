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

/// The bytes as two hex digits each, in the case `format` ("%02X" or "%02x") gives.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count, const char* format);

}  // namespace camera
