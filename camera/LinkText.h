// Text helpers of the camera link's echo and log lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace camera {

/// printf-style formatting (this platform's conventions) into a string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The bytes as two hex digits each, in the case `format` ("%02X" or "%02x") gives.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count, const char* format);

}  // namespace camera
