#include "TextConv.h"

namespace platform {
namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// A wchar_t that is not a Unicode scalar value (a lone surrogate, above U+10FFFF, negative).
char32_t Scalar(wchar_t w)
{
    const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(w));
    return (c > 0x10FFFF || IsSurrogate(c)) ? kReplacementChar : c;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

template <typename Out>
void AppendUtf16(Out&& out, char32_t c)
{
    if (c < 0x10000) {
        out(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out(static_cast<char16_t>(0xD800 + (c >> 10)));
        out(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

// Decodes UTF-16 units from `next` (returns false at the end); unpaired surrogates give U+FFFD.
template <typename Next>
std::wstring DecodeUtf16(Next next)
{
    std::wstring out;
    char16_t unit = 0;
    bool pending = false;
    char16_t held = 0;
    while (pending || next(unit)) {
        if (pending) {
            unit = held;
            pending = false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            char16_t low = 0;
            if (next(low)) {
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    out += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                    continue;
                }
                held = low;
                pending = true;
            }
            out += static_cast<wchar_t>(kReplacementChar);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            out += static_cast<wchar_t>(kReplacementChar);
        } else {
            out += static_cast<wchar_t>(unit);
        }
    }
    return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view in)
{
    std::wstring out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        int length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (b0 < 0x80) { out += static_cast<wchar_t>(b0); ++i; continue; }
        if ((b0 & 0xE0) == 0xC0) { length = 2; c = b0 & 0x1F; minimum = 0x80; }
        else if ((b0 & 0xF0) == 0xE0) { length = 3; c = b0 & 0x0F; minimum = 0x800; }
        else if ((b0 & 0xF8) == 0xF0) { length = 4; c = b0 & 0x07; minimum = 0x10000; }
        else { out += static_cast<wchar_t>(kReplacementChar); ++i; continue; }

        int taken = 1;
        while (taken < length && i + taken < in.size()
               && (static_cast<unsigned char>(in[i + taken]) & 0xC0) == 0x80) {
            c = (c << 6) | (static_cast<unsigned char>(in[i + taken]) & 0x3F);
            ++taken;
        }
        // Truncated, overlong, surrogate or out-of-range sequences give one replacement for
        // the bytes consumed; the byte that broke the sequence is read again on its own.
        if (taken < length || c < minimum || c > 0x10FFFF || IsSurrogate(c))
            c = kReplacementChar;
        out += static_cast<wchar_t>(c);
        i += taken;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (wchar_t w : wide)
        AppendUtf8(out, Scalar(w));
    return out;
}

std::u16string WideToUtf16(std::wstring_view wide)
{
    std::u16string out;
    out.reserve(wide.size());
    for (wchar_t w : wide)
        AppendUtf16([&](char16_t u) { out += u; }, Scalar(w));
    return out;
}

std::wstring Utf16ToWide(std::u16string_view utf16)
{
    std::size_t i = 0;
    return DecodeUtf16([&](char16_t& unit) {
        if (i >= utf16.size())
            return false;
        unit = utf16[i++];
        return true;
    });
}

std::string WideToUtf16LeBytes(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size() * 2);
    for (wchar_t w : wide)
        AppendUtf16([&](char16_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        }, Scalar(w));
    return out;
}

std::wstring Utf16LeBytesToWide(const void* bytes, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(bytes);
    std::size_t i = 0;
    return DecodeUtf16([&](char16_t& unit) {
        if (!p || i + 2 > size)
            return false;
        unit = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
        i += 2;
        return true;
    });
}

std::size_t Utf16Length(std::wstring_view wide)
{
    std::size_t n = 0;
    for (wchar_t w : wide)
        n += Scalar(w) >= 0x10000 ? 2 : 1;
    return n;
}

}  // namespace platform
