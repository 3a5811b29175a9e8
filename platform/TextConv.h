// Text conversion between UTF-8 (narrow text everywhere in the program), wchar_t (UTF-32 here,
// the wide API of the logging library) and UTF-16LE (files the camera tools and the log write).
// None of them fails: a malformed sequence becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

inline constexpr char32_t kReplacementChar = 0xFFFD;

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

std::u16string WideToUtf16(std::wstring_view wide);
std::wstring Utf16ToWide(std::u16string_view utf16);

/// UTF-16 code units as little-endian bytes, without a byte-order mark.
std::string WideToUtf16LeBytes(std::wstring_view wide);
/// Reads little-endian UTF-16 bytes; an odd trailing byte is dropped.
std::wstring Utf16LeBytesToWide(const void* bytes, std::size_t size);

/// Number of UTF-16 code units the text takes (characters outside the basic plane count 2).
std::size_t Utf16Length(std::wstring_view wide);

}  // namespace platform
