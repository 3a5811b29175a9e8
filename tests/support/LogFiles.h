// Reading log files in tests: the raw bytes, and the lines of a UTF-16LE log with its mark.
#pragma once

#include "platform/TextConv.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace corvel::test {

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The "\r\n"-terminated lines of a log file's bytes; empty without the byte-order mark, and
/// a last line without its end reads "<unterminated>".
inline std::vector<std::wstring> LogFileLines(const std::string& bytes)
{
    std::vector<std::wstring> lines;
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE")
        return lines;
    const std::wstring text = platform::Utf16LeBytesToWide(bytes.data() + 2, bytes.size() - 2);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size())
        lines.push_back(L"<unterminated>");
    return lines;
}

}  // namespace corvel::test
