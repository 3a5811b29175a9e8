#include "logging/LogLine.h"

#include "platform/TextConv.h"

namespace orvlog {
namespace {

char32_t Scalar(wchar_t w)
{
    const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(w));
    return (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) ? platform::kReplacementChar : c;
}

unsigned UnitsOf(char32_t c) { return c >= 0x10000 ? 2 : 1; }

void AppendScalar(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

void AppendLiteral(std::u16string& out, std::u16string_view text) { out.append(text); }

void AppendInt(std::u16string& out, std::int32_t value)
{
    char16_t digits[12];
    int n = 0;
    auto magnitude = static_cast<std::uint32_t>(value);
    if (value < 0)
        magnitude = 0u - magnitude;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        out += u'-';
    while (n)
        out += digits[--n];
}

std::size_t DecimalWidth(std::int32_t value)
{
    std::u16string scratch;
    AppendInt(scratch, value);
    return scratch.size();
}

void AppendHex64(std::u16string& out, std::uint64_t value)
{
    char16_t digits[16];
    int n = 0;
    do {
        digits[n++] = u"0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value);
    while (n)
        out += digits[--n];
}

// Appends at most `maxUnits` UTF-16 units of the text, never half a surrogate pair; returns
// the units written.
std::size_t AppendWideCapped(std::u16string& out, std::wstring_view text, std::size_t maxUnits)
{
    std::size_t written = 0;
    for (wchar_t w : text) {
        const char32_t c = Scalar(w);
        if (written + UnitsOf(c) > maxUnits)
            break;
        AppendScalar(out, c);
        written += UnitsOf(c);
    }
    return written;
}

// Cuts the line to the cap without splitting a surrogate pair.
void CapLine(std::u16string& out)
{
    if (out.size() <= kMaxLineUnits)
        return;
    std::size_t keep = kMaxLineUnits;
    if (out[keep - 1] >= 0xD800 && out[keep - 1] <= 0xDBFF)
        --keep;
    out.resize(keep);
}

// "F=<source>,<function>,<line>; SV=<name>; CD=<code>; MSG=" (formats 3-5 share it).
void AppendSourceAndSeverity(std::u16string& out, const NormalizedRecord& r)
{
    AppendLiteral(out, u"F=");
    AppendWide(out, r.sourceFile);
    out += u',';
    AppendNarrow(out, r.function);
    out += u',';
    AppendInt(out, r.record->line);
    AppendLiteral(out, u"; SV=");
    AppendWide(out, r.severityName);
    AppendLiteral(out, u"; CD=");
    AppendInt(out, r.record->code);
    AppendLiteral(out, u"; MSG=");
}

void FormatJobLine(int level, const NormalizedRecord& r, std::u16string& out)
{
    // Everything between "ML=<n>" and the message, built first so the message can be cut to
    // what fits while ML still tells its exact length.
    thread_local std::u16string middle;
    middle.clear();
    AppendLiteral(middle, u"; PT=");
    AppendInt(middle, r.record->processId);
    middle += u':';
    AppendInt(middle, r.record->threadId);
    if (level == 5) {
        AppendLiteral(middle, u"; NL=");
        AppendInt(middle, r.nestingLevel);
    }
    AppendLiteral(middle, u"; TM=");
    AppendNarrow(middle, r.timeText);
    if (level == 5) {
        AppendLiteral(middle, u"; MN=");
        AppendNarrow(middle, r.moduleName);
        middle += u',';
        AppendNarrow(middle, r.moduleTag);
    }
    middle += u';';
    middle += u' ';
    AppendSourceAndSeverity(middle, r);

    out += u'{';
    AppendHex64(out, r.jobId);
    AppendLiteral(out, u"}; ML=");
    const std::size_t messageUnits = platform::Utf16Length(r.message);
    const std::size_t fixed = out.size() + middle.size();
    std::size_t room = 0;
    const std::size_t widthGuess = DecimalWidth(static_cast<std::int32_t>(std::min<std::size_t>(messageUnits, kMaxLineUnits)));
    if (fixed + widthGuess < kMaxLineUnits)
        room = kMaxLineUnits - fixed - widthGuess;
    std::size_t units = std::min(messageUnits, room);
    // The exact units that fit without splitting a pair.
    if (units < messageUnits) {
        std::u16string probe;
        units = AppendWideCapped(probe, r.message, units);
    }
    AppendInt(out, static_cast<std::int32_t>(units));
    out += middle;
    AppendWideCapped(out, r.message, units);
    CapLine(out);
}

}  // namespace

void AppendWide(std::u16string& out, std::wstring_view text)
{
    for (wchar_t w : text)
        AppendScalar(out, Scalar(w));
}

void AppendNarrow(std::u16string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        out += static_cast<char16_t>(text[i++]);
    if (i < text.size())
        AppendWide(out, platform::Utf8ToWide(text.substr(i)));
}

void FormatLine(int level, const NormalizedRecord& r, std::u16string& out)
{
    out.clear();
    switch (level) {
    case 1:
        AppendWide(out, r.severityName);
        AppendLiteral(out, u": ");
        AppendInt(out, r.record->code);
        AppendLiteral(out, u"; ");
        break;
    case 2:
        AppendLiteral(out, u"SV=");
        AppendWide(out, r.severityName);
        AppendLiteral(out, u"; CD=");
        AppendInt(out, r.record->code);
        AppendLiteral(out, u"; MSG=");
        break;
    case 3:
        AppendSourceAndSeverity(out, r);
        break;
    case 4:
    case 5:
        FormatJobLine(level, r, out);
        return;
    default:
        return;
    }
    AppendWideCapped(out, r.message, out.size() < kMaxLineUnits ? kMaxLineUnits - out.size() : 0);
    CapLine(out);
}

}  // namespace orvlog
