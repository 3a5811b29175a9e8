// The log parser: reads the format-4 and format-5 lines of one job back from a log file. A
// line starts with the job token "{<job id in hex>}" and carries the message length "ML", so
// a message is taken by its length even when it holds "; " or line breaks. The file may be
// damaged or written by another process while it is read: every length is checked against
// the bytes that remain, fields are bounded, and a record that is cut short is never returned.
#pragma once

#include "logging/OrvLog.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvlog {

/// Bytes of the log from the parse's start position on.
class ParserSource {
public:
    virtual ~ParserSource() = default;
    /// Reads up to `size` bytes; the count read, 0 at the end of the file, -1 on a failure.
    virtual long Read(void* buffer, std::size_t size) = 0;
};

/// A log held in memory.
class MemorySource final : public ParserSource {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    long Read(void* buffer, std::size_t size) override;

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

/// A log file read from a byte offset through a descriptor the caller keeps open.
class FileSource final : public ParserSource {
public:
    FileSource(int fd, std::uint64_t offset) : fd_(fd), offset_(offset) {}
    long Read(void* buffer, std::size_t size) override;

private:
    int fd_;
    std::uint64_t offset_;
};

/// What to take: the records of `jobId` whose severity lies from `minSeverity` (0-4) up to
/// "ERROR", reduced by `mode`: 0 the first only, 1 the first and the latest, 2 the latest
/// only, 3 all in file order. Any other minimum or mode takes nothing.
struct ParserQuery {
    std::uint64_t jobId = 0;
    std::int32_t minSeverity = 0;
    std::int32_t mode = 0;
};

/// The records of one parse. It owns the items and their messages; the item array stays
/// valid until the result is destroyed.
class ParserResult {
public:
    ParserResult() = default;
    ParserResult(const ParserResult&) = delete;
    ParserResult& operator=(const ParserResult&) = delete;

    _ParserDataItem** Items() { return pointers_.data(); }
    std::uint32_t Count() const { return static_cast<std::uint32_t>(pointers_.size()); }

    /// Adds a completely read record as the mode wants it: appended, put in place of the
    /// kept one, or dropped.
    void Commit(std::int32_t mode, std::int32_t code, const wchar_t* severityName, std::wstring message);

private:
    struct Entry {
        _ParserDataItem item{};
        std::wstring message;
    };
    void Set(Entry& entry, std::int32_t code, const wchar_t* severityName, std::wstring message);

    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<_ParserDataItem*> pointers_;
};

/// "{<job id in upper-case hex>}", the token that opens every format-4 and format-5 line.
std::u16string JobToken(std::uint64_t jobId);

/// Scans at most `budget` bytes of `source` (UTF-16LE; an odd last byte is ignored) and
/// returns the records that `query` takes. Stops at the end of the budget, at the end of the
/// file or at a read failure, with what it found so far.
std::unique_ptr<ParserResult> ScanJobRecords(ParserSource& source, std::uint64_t budget, const ParserQuery& query);

}  // namespace orvlog
