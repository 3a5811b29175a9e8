#include "logging/LogLine.h"

#include "platform/TextConv.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace orvlog {
namespace {

char32_t Scalar(wchar_t w)
{
    const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(w));
    return (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) ? platform::kReplacementChar : c;
}

unsigned UnitsOf(char32_t c) { return c >= 0x10000 ? 2 : 1; }

// Text is converted a block at a time while every character of the block is below a power of
// two (0x80 for narrow text, 0x8000 for wide text) and so is one UTF-16 unit of the same value:
// the common case of every field, written so that the compiler turns it into vector code.
constexpr std::size_t kBlock = 16;

template <typename Char>
std::uint32_t Code(Char c)
{
    return static_cast<std::make_unsigned_t<Char>>(c);
}

// Copies kBlock characters as one unit each; false when one of them is kQuickBound or above
// (the units copied are then garbage that the caller overwrites).
template <std::uint32_t kQuickBound, typename Char>
bool CopyPlainBlock(const Char* text, char16_t* out)
{
    static_assert(std::has_single_bit(kQuickBound));
    const Char* block = text;
    Char copy[kBlock];
    if constexpr (sizeof(Char) == 1) {
        // Narrow text may alias the units; a local copy tells the compiler it does not.
        std::memcpy(copy, text, sizeof copy);
        block = copy;
    }
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
        const std::uint32_t c = Code(block[k]);
        bits |= c;
        out[k] = static_cast<char16_t>(c);
    }
    return bits < kQuickBound;
}

// Writes into a fixed array; whatever does not fit is dropped, never half a surrogate pair.
class Builder {
public:
    Builder(char16_t* data, std::size_t capacity) : data_(data), capacity_(capacity) {}

    std::size_t Size() const { return size_; }
    std::u16string_view View() const { return {data_, size_}; }

    void Char(char16_t c)
    {
        if (size_ < capacity_)
            data_[size_++] = c;
    }

    template <std::size_t N>
    void Literal(const char16_t (&text)[N])
    {
        constexpr std::size_t n = N - 1;
        if (capacity_ - size_ < n) {
            Units({text, n});
            return;
        }
        // A copy of constant length, which the compiler writes out in place.
        std::copy_n(text, n, data_ + size_);
        size_ += n;
    }

    void Units(std::u16string_view units)
    {
        const std::size_t n = std::min(units.size(), capacity_ - size_);
        std::char_traits<char16_t>::copy(data_ + size_, units.data(), n);
        size_ += n;
    }

    /// Appends at most `maxUnits` units of the text; returns the units written.
    std::size_t Wide(std::wstring_view text, std::size_t maxUnits = SIZE_MAX)
    {
        const std::size_t limit = std::min(maxUnits, capacity_ - size_);
        const std::size_t start = size_;
        std::size_t i = CopyPlain<0xD800>(text.data(), std::min(text.size(), limit));
        for (; i < text.size(); ++i) {
            const char32_t c = Scalar(text[i]);
            if (size_ - start + UnitsOf(c) > limit)
                break;
            if (c < 0x10000) {
                data_[size_++] = static_cast<char16_t>(c);
            } else {
                data_[size_++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                data_[size_++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
        }
        return size_ - start;
    }

    void Narrow(std::string_view text)
    {
        const std::size_t i = CopyPlain<0x80>(text.data(), std::min(text.size(), capacity_ - size_));
        if (i < text.size() && size_ < capacity_)
            Wide(platform::Utf8ToWide(text.substr(i)));
    }

    void Int(std::int32_t value)
    {
        // Filled from the end: a sign and up to ten digits.
        char16_t digits[11];
        std::size_t first = std::size(digits);
        auto magnitude = static_cast<std::uint32_t>(value);
        if (value < 0)
            magnitude = 0u - magnitude;
        do {
            digits[--first] = static_cast<char16_t>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (value < 0)
            digits[--first] = u'-';
        Units({digits + first, std::size(digits) - first});
    }

    void Hex64(std::uint64_t value)
    {
        char16_t digits[16];
        Units({digits, HexDigits(value, digits)});
    }

private:
    // Copies the leading characters below kBound, at most `count`, as one unit each; returns
    // how many. `count` must fit in the room left.
    template <std::uint32_t kBound, typename Char>
    std::size_t CopyPlain(const Char* text, std::size_t count)
    {
        char16_t* out = data_ + size_;
        std::size_t i = 0;
        if (count >= kBlock) {
            // The last block overlaps the one before when the count is no multiple of kBlock.
            while (i < count) {
                const std::size_t at = std::min(i, count - kBlock);
                if (!CopyPlainBlock<std::bit_floor(kBound)>(text + at, out + at))
                    break;
                i = at + kBlock;
            }
        }
        // Short text, and the rest after a block with other characters.
        for (; i < count && Code(text[i]) < kBound; ++i)
            out[i] = static_cast<char16_t>(Code(text[i]));
        size_ += i;
        return i;
    }

    char16_t* data_;
    std::size_t capacity_;
    std::size_t size_ = 0;
};

// UTF-16 units of the text: characters outside the basic plane take two.
std::size_t Utf16Units(std::wstring_view text)
{
    const auto pair = [](wchar_t w) { return Code(w) - 0x10000u < 0x100000u ? 1u : 0u; };
    std::size_t units = text.size();
    std::size_t i = 0;
    // Counted in blocks of fixed length, which the compiler turns into vector code.
    for (; i + kBlock <= text.size(); i += kBlock) {
        std::uint32_t pairs = 0;
        for (std::size_t k = 0; k < kBlock; ++k)
            pairs += pair(text[i + k]);
        units += pairs;
    }
    for (; i < text.size(); ++i)
        units += pair(text[i]);
    return units;
}

std::size_t DecimalWidth(std::size_t value)
{
    std::size_t width = 1;
    while (value >= 10) {
        value /= 10;
        ++width;
    }
    return width;
}

// "F=<source>,<function>,<line>; SV=<name>; CD=<code>; MSG=" (formats 3-5 share it).
void SourceAndSeverity(Builder& out, const NormalizedRecord& r)
{
    out.Literal(u"F=");
    out.Wide(r.sourceFile);
    out.Char(u',');
    out.Narrow(r.function);
    out.Char(u',');
    out.Int(r.record->line);
    out.Literal(u"; SV=");
    out.Wide(r.severityName);
    out.Literal(u"; CD=");
    out.Int(r.record->code);
    out.Literal(u"; MSG=");
}

std::u16string_view JobLine(int level, const NormalizedRecord& r, LineBuffer& buffer)
{
    // Everything between "ML=<n>" and the message, built first so the message can be cut to
    // what fits while ML still tells its exact length.
    Builder middle(buffer.scratch, kMaxLineUnits);
    middle.Literal(u"; PT=");
    middle.Int(r.record->processId);
    middle.Char(u':');
    middle.Int(r.record->threadId);
    if (level == 5) {
        middle.Literal(u"; NL=");
        middle.Int(r.nestingLevel);
    }
    middle.Literal(u"; TM=");
    middle.Narrow(r.timeText);
    if (level == 5) {
        middle.Literal(u"; MN=");
        middle.Narrow(r.moduleName);
        middle.Char(u',');
        middle.Narrow(r.moduleTag);
    }
    middle.Literal(u"; ");
    SourceAndSeverity(middle, r);

    Builder out(buffer.line, kMaxLineUnits);
    out.Char(u'{');
    out.Hex64(r.jobId);
    out.Literal(u"}; ML=");
    const std::size_t messageUnits = Utf16Units(r.message);
    const std::size_t fixed = out.Size() + middle.Size() + DecimalWidth(messageUnits);
    const std::size_t room = fixed < kMaxLineUnits ? kMaxLineUnits - fixed : 0;
    std::size_t units = std::min(messageUnits, room);
    if (units < messageUnits) {
        // The units that fit without splitting a pair.
        Builder probe(buffer.scratch + middle.Size(), kMaxLineUnits - middle.Size());
        units = probe.Wide(r.message, units);
    }
    out.Int(static_cast<std::int32_t>(units));
    out.Units(middle.View());
    out.Wide(r.message, units);
    return out.View();
}

}  // namespace

std::size_t HexDigits(std::uint64_t value, char16_t (&digits)[16])
{
    std::size_t n = 1;
    for (std::uint64_t rest = value >> 4; rest; rest >>= 4)
        ++n;
    for (std::size_t i = n; i-- > 0; value >>= 4)
        digits[i] = u"0123456789ABCDEF"[value & 0xF];
    return n;
}

std::u16string_view FormatLine(int level, const NormalizedRecord& r, LineBuffer& buffer)
{
    Builder out(buffer.line, kMaxLineUnits);
    switch (level) {
    case 1:
        out.Wide(r.severityName);
        out.Literal(u": ");
        out.Int(r.record->code);
        out.Literal(u"; ");
        break;
    case 2:
        out.Literal(u"SV=");
        out.Wide(r.severityName);
        out.Literal(u"; CD=");
        out.Int(r.record->code);
        out.Literal(u"; MSG=");
        break;
    case 3:
        SourceAndSeverity(out, r);
        break;
    case 4:
    case 5:
        return JobLine(level, r, buffer);
    default:
        return {};
    }
    out.Wide(r.message);
    return out.View();
}

}  // namespace orvlog
