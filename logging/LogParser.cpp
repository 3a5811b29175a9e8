#include "logging/LogParser.h"

#include "logging/LogLine.h"
#include "platform/DebugOutput.h"
#include "platform/TextConv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace orvlog {
namespace {

// A field between the scanner's delimiters (token, "ML" text, severity name, code) longer
// than this is no field this library writes.
constexpr std::size_t kMaxField = 511;
constexpr std::size_t kChunkBytes = 64 * 1024;

bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SameUnit(char16_t a, char16_t b, bool ignoreCase) { return ignoreCase ? Upper(a) == Upper(b) : a == b; }

template <typename Char>
bool EqualNoCase(std::u16string_view a, std::basic_string_view<Char> b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (static_cast<std::uint32_t>(b[i]) > 0xFFFF || Upper(a[i]) != Upper(static_cast<char16_t>(b[i])))
            return false;
    return true;
}

// A decimal number as the formats print it: an optional '-' when `allowSign`, then 1-10
// digits, within the 32-bit signed range.
bool ParseInt(std::u16string_view text, bool allowSign, std::int32_t& value)
{
    bool negative = false;
    if (allowSign && !text.empty() && text[0] == u'-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10)
        return false;
    std::int64_t magnitude = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

// UTF-16LE units from a source, within a byte budget. Up to two units can be put back.
class UnitReader {
public:
    UnitReader(ParserSource& source, std::uint64_t budget) : source_(source), unrequested_(budget), buffer_(kChunkBytes) {}

    /// The next unit; false at the end of the budget, at the end of the file or after a read
    /// failure (and from then on).
    bool Next(char16_t& c)
    {
        if (pushed_ > 0) {
            c = pushback_[--pushed_];
            return true;
        }
        if (length_ - at_ < 2 && !Fill())
            return false;
        c = static_cast<char16_t>(buffer_[at_] | (buffer_[at_ + 1] << 8));
        at_ += 2;
        return true;
    }

    void Unread(char16_t c) { pushback_[pushed_++] = c; }

    /// Units that the budget still allows (the file may hold fewer).
    std::uint64_t RemainingUnits() const { return (unrequested_ + (length_ - at_)) / 2 + pushed_; }

private:
    bool Fill()
    {
        while (length_ - at_ < 2) {
            if (ended_ || unrequested_ == 0) {
                ended_ = true;
                return false;
            }
            // An odd byte left over is the first half of the next unit.
            const std::size_t keep = length_ - at_;
            if (keep > 0)
                buffer_[0] = buffer_[at_];
            at_ = 0;
            length_ = keep;
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size() - length_, unrequested_));
            const long got = source_.Read(buffer_.data() + length_, want);
            if (got <= 0) {
                ended_ = true;
                return false;
            }
            const std::size_t taken = std::min(static_cast<std::size_t>(got), want);
            length_ += taken;
            unrequested_ -= taken;
        }
        return true;
    }

    ParserSource& source_;
    std::uint64_t unrequested_;
    std::vector<unsigned char> buffer_;
    std::size_t at_ = 0;
    std::size_t length_ = 0;
    char16_t pushback_[2] = {};
    int pushed_ = 0;
    bool ended_ = false;
};

// Walks the log: finds each line of the job, checks its head ("{token}; ML=<n>; … SV=<name>;
// CD=<code>; MSG="), then takes the message by its length. A head never spans a line end or
// more than the longest line, so a damaged record costs only itself.
class Scanner {
public:
    Scanner(UnitReader& in, const ParserQuery& query, ParserResult& out)
        : in_(in), query_(query), out_(out), token_(JobToken(query.jobId))
    {
    }

    void Run()
    {
        if (query_.minSeverity < OL_DEBUG || query_.minSeverity > OL_ERROR || query_.mode < 0 || query_.mode > 3)
            return;
        char16_t c = 0;
        for (;;) {
            do {
                if (!in_.Next(c))
                    return;
            } while (c != u'{');
            if (Record() == Outcome::End)
                return;
            // The first record is all that mode 0 keeps.
            if (query_.mode == 0 && out_.Count() > 0)
                return;
        }
    }

private:
    enum class Outcome { Record, NotRecord, End };

    // One record after its '{'. NotRecord leaves the scan just after what was read.
    Outcome Record()
    {
        headUnits_ = 1;
        std::u16string field;
        if (!Token(field))
            return stop_;
        if (!EqualNoCase(field, std::u16string_view(token_)))
            return Outcome::NotRecord;

        std::int32_t length = 0;
        if (!Field(field))
            return stop_;
        if (field.size() < 5 || std::u16string_view(field).substr(0, 4) != u" ML="
            || !ParseInt(std::u16string_view(field).substr(4), false, length)
            || static_cast<std::size_t>(length) > kMaxLineUnits || static_cast<std::uint64_t>(length) > in_.RemainingUnits())
            return Outcome::NotRecord;

        if (!SeekLabel(u"SV=", true, true) || !Field(field))
            return stop_;
        const wchar_t* severityName = TakenSeverity(field);

        // Records that are not taken are still passed over by their length, so that text in
        // their messages is never mistaken for a record.
        std::int32_t code = 0;
        if (!SeekLabel(u"CD=", false, false) || !Field(field))
            return stop_;
        if (!ParseInt(field, true, code))
            return Outcome::NotRecord;
        // "MSG=": the next "M" and the three units after it, taken as they come.
        char16_t c = 0;
        if (!SeekLabel(u"M", false, false) || !HeadUnit(c) || !HeadUnit(c) || !HeadUnit(c))
            return stop_;

        std::u16string message;
        message.reserve(static_cast<std::size_t>(length));
        for (std::int32_t i = 0; i < length; ++i) {
            if (!in_.Next(c))
                return Outcome::End;  // cut short: nothing of it is kept
            message += c;
        }
        if (severityName)
            out_.Commit(query_.mode, code, severityName, platform::Utf16ToWide(message));
        return Outcome::Record;
    }

    // The next unit of a record's head; false at the end of the input (stop_ End) or at a
    // line end or beyond the longest line (stop_ NotRecord).
    bool HeadUnit(char16_t& c)
    {
        if (!in_.Next(c)) {
            stop_ = Outcome::End;
            return false;
        }
        if (IsLineEnd(c) || ++headUnits_ > kMaxLineUnits) {
            stop_ = Outcome::NotRecord;
            return false;
        }
        return true;
    }

    void Unread(char16_t c)
    {
        in_.Unread(c);
        --headUnits_;
    }

    // The token from its '{' up to the next ';'. A further '{' starts the token anew: tokens
    // hold none, so the earlier one was text of some message.
    bool Token(std::u16string& token)
    {
        token.assign(1, u'{');
        char16_t c = 0;
        while (HeadUnit(c)) {
            if (c == u';')
                return true;
            if (c == u'{') {
                token.assign(1, u'{');
                headUnits_ = 1;
                continue;
            }
            if (token.size() >= kMaxField) {
                stop_ = Outcome::NotRecord;
                return false;
            }
            token += c;
        }
        return false;
    }

    // The units up to the next ';', which is consumed.
    bool Field(std::u16string& field)
    {
        field.clear();
        char16_t c = 0;
        while (HeadUnit(c)) {
            if (c == u';')
                return true;
            if (field.size() >= kMaxField) {
                stop_ = Outcome::NotRecord;
                return false;
            }
            field += c;
        }
        return false;
    }

    // Reads on to just after the label (at most three units). A first unit that matches
    // with a wrong continuation is reported as "new Offset" when `reportMisses`, and the
    // scan goes on with the unit after it.
    bool SeekLabel(std::u16string_view label, bool ignoreCase, bool reportMisses)
    {
        char16_t c = 0;
        while (HeadUnit(c)) {
            if (!SameUnit(c, label[0], ignoreCase))
                continue;
            char16_t next[2] = {};
            std::size_t read = 0;
            bool matched = true;
            for (std::size_t i = 1; i < label.size(); ++i) {
                if (!HeadUnit(next[read]))
                    return false;
                if (!SameUnit(next[read++], label[i], ignoreCase)) {
                    matched = false;
                    break;
                }
            }
            if (matched)
                return true;
            while (read > 0)
                Unread(next[--read]);
            if (reportMisses)
                platform::OutputDebugStringW(L"new Offset");
        }
        return false;
    }

    // The table's name when the severity is one the query takes, else null.
    const wchar_t* TakenSeverity(std::u16string_view name) const
    {
        for (std::int32_t severity = query_.minSeverity; severity <= OL_ERROR; ++severity)
            if (EqualNoCase(name, std::wstring_view(kSeverityNames[severity])))
                return kSeverityNames[severity];
        return nullptr;
    }

    UnitReader& in_;
    const ParserQuery& query_;
    ParserResult& out_;
    const std::u16string token_;
    std::size_t headUnits_ = 0;
    Outcome stop_ = Outcome::End;
};

}  // namespace

long MemorySource::Read(void* buffer, std::size_t size)
{
    const std::size_t n = std::min(size, size_ - at_);
    if (n > 0)
        std::memcpy(buffer, data_ + at_, n);
    at_ += n;
    return static_cast<long>(n);
}

long FileSource::Read(void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::pread(fd_, buffer, size, static_cast<off_t>(offset_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0)
            offset_ += static_cast<std::uint64_t>(n);
        return n < 0 ? -1 : static_cast<long>(n);
    }
}

void ParserResult::Set(Entry& entry, std::int32_t code, const wchar_t* severityName, std::wstring message)
{
    entry.message = std::move(message);
    entry.item.code = code;
    entry.item.severityName = severityName;
    entry.item.message = entry.message.data();
}

void ParserResult::Commit(std::int32_t mode, std::int32_t code, const wchar_t* severityName, std::wstring message)
{
    switch (mode) {
    case 0:
        if (!entries_.empty())
            return;
        break;
    case 1:
        if (entries_.size() >= 2) {
            Set(*entries_[1], code, severityName, std::move(message));
            return;
        }
        break;
    case 2:
        if (!entries_.empty()) {
            Set(*entries_[0], code, severityName, std::move(message));
            return;
        }
        break;
    case 3:
        break;
    default:
        return;
    }
    auto entry = std::make_unique<Entry>();
    Set(*entry, code, severityName, std::move(message));
    pointers_.reserve(pointers_.size() + 1);
    entries_.push_back(std::move(entry));
    pointers_.push_back(&entries_.back()->item);
}

std::u16string JobToken(std::uint64_t jobId)
{
    char16_t digits[16];
    std::u16string token(1, u'{');
    token.append(digits, HexDigits(jobId, digits));
    token += u'}';
    return token;
}

std::unique_ptr<ParserResult> ScanJobRecords(ParserSource& source, std::uint64_t budget, const ParserQuery& query)
{
    auto result = std::make_unique<ParserResult>();
    UnitReader reader(source, budget);
    Scanner(reader, query, *result).Run();
    return result;
}

}  // namespace orvlog
