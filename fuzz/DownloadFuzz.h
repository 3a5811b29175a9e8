// Checks shared by the download-file fuzz targets: a broken contract aborts, so libFuzzer
// keeps the input; and a file without "\r" must parse the same with CR LF line ends.
#pragma once

#include "fuzz/FuzzCheck.h"
#include "tools/DownloadFile.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace downloadfuzz {

using fuzzcheck::Check;

/// The text with every "\n" made "\r\n", or nullopt when the text already holds a "\r".
inline std::optional<std::string> AsCrLf(std::string_view text)
{
    if (text.find('\r') != std::string_view::npos)
        return std::nullopt;
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

/// Same outcome: both accepted with the same image, or both refused on the same line.
inline void CheckSameImage(const download::Parsed<download::FlashImage>& a,
                           const download::Parsed<download::FlashImage>& b)
{
    Check(a.ok() == b.ok());
    if (a.ok()) {
        Check(a.value().bytes == b.value().bytes);
        Check(a.value().fill == b.value().fill);
    } else {
        Check(a.error().line == b.error().line);
        Check(!a.error().reason.empty());
    }
}

/// An accepted image is the target's buffer length, its fill inside it and word-aligned.
inline void CheckImage(const download::Parsed<download::FlashImage>& parsed, std::size_t length)
{
    if (!parsed.ok())
        return;
    Check(parsed.value().bytes.size() == length);
    Check(parsed.value().fill <= length);
    Check(parsed.value().fill % 4 == 0);
}

}  // namespace downloadfuzz
