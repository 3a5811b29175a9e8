// The file channel: appends UTF-16LE lines (CR LF after each) to the log file, which starts
// with the byte-order mark FF FE. Every process of the user that logs shares one write lock,
// "OVLIB_WRITING_MUTEX", so lines of several writers never interleave. Each record is written
// with one call under the lock before Write returns, so it is in the file even if the program
// dies next; "ERROR" records, and every record while buffering is off, are also flushed to
// the disk. A record that cannot be written (a full disk, the file-size limit, the lock not had
// in time) is lost alone and counted; the next record that goes in is preceded by an "ERROR"
// line saying how many were lost.
#pragma once

#include "logging/LogOutput.h"
#include "logging/WriteLock.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace orvlog {

class FileOutput final : public LogOutput {
public:
    static constexpr const char* kLockName = "OVLIB_WRITING_MUTEX";
    static constexpr std::chrono::milliseconds kDefaultLockTimeout{25000};

    FileOutput();
    ~FileOutput() override;

    /// A null stem leaves it unset, which names the file "OLog".
    void SetFileName(const wchar_t* stem);
    /// An existing folder is kept as its full path; a missing or null one becomes the current
    /// directory. The folder always ends in a separator.
    void SetFolder(const wchar_t* folder);
    void SetRecreate(bool recreate) { recreate_ = recreate; }
    void SetDatedName(bool dated) { dated_ = dated; }
    /// 0 flushes every record to the disk.
    void SetBuffering(std::int32_t buffering) { buffering_ = buffering; }
    std::int32_t Buffering() const { return buffering_; }
    const std::wstring& Folder() const { return folder_; }

    /// The file name for the stored date: <folder><stem>_DD_MM_YYYY.txt or <folder><stem>.txt.
    std::wstring BuildFileName() const;
    /// Stores the date; true when it differs from the stored one (or none was stored).
    bool SetDate(int year, int month, int day);

    int Open() override;
    void Close() override;
    int Write(std::u16string_view line, const _OwnLogRecord& record) override;
    /// The file's size (0 when that fails).
    std::uint64_t GetCurrentPosition() override { return SizeUnderLock().value_or(0); }
    /// The file's size taken under the write lock, so it ends on a line boundary; none when
    /// the file is closed or the lock was not had in time.
    std::optional<std::uint64_t> SizeUnderLock();
    bool IsOpen() const { return fd_ >= 0; }
    /// Records lost since the last one that reached the file.
    std::uint64_t LostRecords() const { return lost_; }

    /// Test settings for every file channel: the folder of the write lock's shared file (empty:
    /// the runtime folder) and the longest wait for the lock.
    static void SetLockSettings(const std::filesystem::path& folder, std::chrono::milliseconds timeout);

private:
    int CreateLogFile(const std::wstring& name, bool truncate);
    int OpenFileLocked(const std::wstring& name, bool truncate);
    bool DateDiffers(const _OwnLogRecord& record) const;
    /// 0, or the error that lost the bytes.
    int WriteBytes(const char* data, std::size_t size);
    void Report(const std::wstring& text);
    /// Counts a lost record; lockTimedOut: another writer kept the write lock (error is then the
    /// code the note carries), otherwise error is the system's error number.
    void Lose(int error, bool lockTimedOut = false);
    /// Puts the line that tells of the lost records in front of the record's bytes.
    void PrependLossNote(const _OwnLogRecord& record);

    int fd_ = -1;
    std::unique_ptr<WriteLock> lock_;
    std::wstring folder_;
    std::wstring stem_;
    bool hasStem_ = false;
    std::int32_t buffering_ = 1;
    bool hasDate_ = false;
    int day_ = 0, year_ = 0, month_ = 0;
    bool recreate_ = true;
    bool dated_ = true;
    std::string bytes_;  // the line being written, reused from record to record
    std::uint64_t lost_ = 0;
    int lostError_ = 0;  // why the last one was lost
    bool lostToLock_ = false;  // the last one was lost to the write lock's time-out
    std::unique_ptr<LineBuffer> noteBuffer_;
};

}  // namespace orvlog
