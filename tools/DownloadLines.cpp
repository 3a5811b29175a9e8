#include "tools/DownloadLines.h"

#include "camera/RgsFile.h"

namespace download {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n'; }

void SkipBlanks(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
}

enum class Number { Read, Missing, Overflow };

Number ReadDecimal(std::string_view text, std::size_t& pos, std::int64_t& value)
{
    SkipBlanks(text, pos);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return Number::Missing;
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (!overflow)
            magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > 0x80000000LL)
            overflow = true;
    }
    value = negative ? -magnitude : magnitude;
    if (overflow || value > 0x7FFFFFFFLL)
        return Number::Overflow;
    return Number::Read;
}

Number ReadHex(std::string_view text, std::size_t& pos, std::int64_t& value)
{
    SkipBlanks(text, pos);
    if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        rgs::HexDigit(text[pos + 2]) >= 0)
        pos += 2;
    if (pos >= text.size() || rgs::HexDigit(text[pos]) < 0)
        return Number::Missing;
    std::int64_t result = 0;
    bool overflow = false;
    for (int digit; pos < text.size() && (digit = rgs::HexDigit(text[pos])) >= 0; ++pos) {
        if (!overflow)
            result = result * 16 + digit;
        if (result > 0xFFFFFFFFLL)
            overflow = true;
    }
    value = result;
    return overflow ? Number::Overflow : Number::Read;
}

/// Up to `maxCount` numbers, each read by `read`; with `commas`, a comma must follow each
/// number but the last directly.
ScannedNumbers Scan(std::string_view line, int maxCount, bool commas,
                    Number (*read)(std::string_view, std::size_t&, std::int64_t&))
{
    ScannedNumbers scanned;
    std::size_t pos = 0;
    for (int i = 0; i < maxCount && i < 3; ++i) {
        if (i > 0 && commas) {
            if (pos >= line.size() || line[pos] != ',')
                break;
            ++pos;
        }
        const Number result = read(line, pos, scanned.values[i]);
        if (result == Number::Overflow)
            scanned.overflow = true;
        if (result != Number::Read)
            break;
        ++scanned.count;
    }
    return scanned;
}

}  // namespace

std::vector<TextLine> SplitTextLines(std::string_view text)
{
    std::vector<TextLine> lines;
    int number = 0;
    for (const std::string_view line : rgs::SplitLines(text))
        lines.push_back({line, ++number});
    return lines;
}

bool IsBlankLine(std::string_view line)
{
    for (const char c : line)
        if (!IsBlank(c))
            return false;
    return true;
}

bool IsCommentLine(std::string_view line) { return line.substr(0, 2) == "--"; }

bool IsTagLine(std::string_view line) { return !line.empty() && line[0] == ':'; }

bool IsTag(std::string_view line, std::string_view tag)
{
    if (line.substr(0, tag.size()) != tag)
        return false;
    return line.size() == tag.size() || IsBlank(line[tag.size()]);
}

std::string_view TagName(std::string_view line)
{
    std::size_t end = 0;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    return line.substr(0, end);
}

ScannedNumbers ScanDecimals(std::string_view line, int maxCount)
{
    return Scan(line, maxCount, true, ReadDecimal);
}

ScannedNumbers ScanHexPair(std::string_view line) { return Scan(line, 2, false, ReadHex); }

std::string QuoteLine(std::string_view line)
{
    constexpr std::size_t kMax = 40;
    std::string quoted = "\"";
    for (std::size_t i = 0; i < line.size() && i < kMax; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        quoted += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    }
    if (line.size() > kMax)
        quoted += "...";
    return quoted + "\"";
}

}  // namespace download
