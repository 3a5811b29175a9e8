#include "logging/FileOutput.h"

#include "logging/LogMutex.h"
#include "logging/MessageBoxShim.h"
#include "platform/Paths.h"
#include "platform/TextConv.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>

namespace orvlog {
namespace {

constexpr const wchar_t* kOpenCaption = L"The initialization of file output channel";
constexpr char kByteOrderMark[2] = {'\xFF', '\xFE'};
constexpr char16_t kLineEnd[2] = {u'\r', u'\n'};
/// The code the loss note carries when another writer kept the write lock beyond the time-out.
constexpr int kLockTimedOut = -1;

struct LockSettings {
    std::filesystem::path folder;
    std::chrono::milliseconds timeout = FileOutput::kDefaultLockTimeout;
};
LockSettings& Settings() { static auto* s = new LockSettings; return *s; }

std::string Utf8(const std::wstring& text) { return platform::WideToUtf8(text); }

void AppendUtf16Le(std::string& bytes, std::u16string_view line)
{
    if constexpr (std::endian::native == std::endian::little) {
        bytes.append(reinterpret_cast<const char*>(line.data()), line.size() * 2);
        bytes.append(reinterpret_cast<const char*>(kLineEnd), 4);
    } else {
        for (char16_t unit : line) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        bytes.append("\r\0\n\0", 4);
    }
}

}  // namespace

void FileOutput::SetLockSettings(const std::filesystem::path& folder, std::chrono::milliseconds timeout)
{
    std::lock_guard lock(ProcessMutex());
    Settings().folder = folder;
    Settings().timeout = timeout;
}

FileOutput::FileOutput() : LogOutput(L"File_Output", OL_CHANNEL_FILE) {}

FileOutput::~FileOutput() { Close(); }

void FileOutput::SetFileName(const wchar_t* stem)
{
    if (!stem)
        return;
    stem_ = stem;
    hasStem_ = true;
}

void FileOutput::SetFolder(const wchar_t* folder)
{
    std::error_code ec;
    std::filesystem::path resolved;
    if (folder && *folder) {
        const std::filesystem::path given(Utf8(folder));
        if (std::filesystem::is_directory(given, ec))
            resolved = std::filesystem::canonical(given, ec);
        if (ec)
            resolved.clear();
    }
    if (resolved.empty())
        resolved = std::filesystem::current_path(ec);
    std::wstring text = platform::Utf8ToWide(resolved.string());
    if (text.empty() || text.back() != L'/')
        text += L'/';
    folder_ = std::move(text);
}

std::wstring FileOutput::BuildFileName() const
{
    const std::wstring stem = hasStem_ ? stem_ : std::wstring(L"OLog");
    if (!dated_)
        return folder_ + stem + L".txt";
    wchar_t date[64];
    std::swprintf(date, 64, L"_%02d_%02d_%04d.txt", day_, month_, year_);
    return folder_ + stem + date;
}

bool FileOutput::SetDate(int year, int month, int day)
{
    const bool differs = !hasDate_ || year != year_ || month != month_ || day != day_;
    year_ = year;
    month_ = month;
    day_ = day;
    hasDate_ = true;
    return differs;
}

bool FileOutput::DateDiffers(const _OwnLogRecord& record) const
{
    return !hasDate_ || record.year != year_ || record.month != month_ || record.day != day_;
}

void FileOutput::Report(const std::wstring& text) { ReportStub(kOpenCaption, text.c_str(), 1, 1); }

int FileOutput::Open()
{
    LocalTime now;
    bool converted = false;
    if (!ReadLocalTime(now, &converted)) {
        Report(FormatWide(kMessageChars, L"Failed _ftime64_s, error: %d", -1));
        return -1;
    }
    if (!converted)
        now.year = now.month = now.day = -1;
    if (!SetDate(now.year, now.month, now.day) && fd_ >= 0)
        return 0;

    if (folder_.size() > 1) {
        std::string why;
        if (!platform::CreateFolderPath(Utf8(folder_), &why)) {
            const int code = errno ? errno : -1;
            Report(FormatWide(kMessageChars, L"Can't create directory: %ls; error: %d", folder_.c_str(), code));
            return code;
        }
    }
    const std::wstring name = BuildFileName();

    lock_ = std::make_unique<WriteLock>(kLockName, Settings().folder);
    if (!lock_->IsOpen()) {
        const int code = errno ? errno : -1;
        lock_.reset();
        Report(FormatWide(kMessageChars, L"Can't open mutex: %s; error: %d", kLockName, code));
        return code;
    }
    if (const int code = CreateLogFile(name, recreate_)) {
        Report(FormatWide(kMessageChars, L"Can't create log file: %ls; error: %d", name.c_str(), code));
        return code;
    }
    return 0;
}

int FileOutput::CreateLogFile(const std::wstring& name, bool truncate)
{
    int code = 0;
    {
        // Held so that of two processes creating the file only one writes the mark.
        WriteLockGuard guard(*lock_, Settings().timeout);
        code = OpenFileLocked(name, truncate);
    }
    if (code)
        Close();
    return code;
}

int FileOutput::OpenFileLocked(const std::wstring& name, bool truncate)
{
    const std::string path = Utf8(name);
    // Appending writes land at the end even when another process has just made the file longer.
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return errno ? errno : -1;
    // Every process that has the file open holds a shared lock on it for as long as it does.
    // Emptying it needs the exclusive lock, so a start never empties a file that another
    // process is writing: it appends to it instead. The caller holds the write lock, so no
    // other channel opens the file between the two locks.
    if (truncate) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            if (::ftruncate(fd_, 0) != 0)
                return errno ? errno : -1;
        } else if (errno != EWOULDBLOCK) {
            // A file system without locks: emptied as it always was.
            if (::ftruncate(fd_, 0) != 0)
                return errno ? errno : -1;
        }
    }
    ::flock(fd_, LOCK_SH | LOCK_NB);
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return errno ? errno : -1;
    // The mark goes only into an empty file (where appending writes it at the start): an
    // existing file keeps its first bytes.
    if (st.st_size == 0 && ::write(fd_, kByteOrderMark, 2) != 2)
        return errno ? errno : -1;
    return 0;
}

int FileOutput::WriteBytes(const char* data, std::size_t size)
{
    // Called under the write lock: the end of the file is where this record starts.
    const off_t start = ::lseek(fd_, 0, SEEK_END);
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 && errno ? errno : ENOSPC;
            // A full disk or the file-size limit: the part that went in is taken back, so the
            // file still ends on a whole line and only this record is lost.
            if (start >= 0)
                (void)::ftruncate(fd_, start);
            return error;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

void FileOutput::Lose(int error, bool lockTimedOut)
{
    ++lost_;
    lostError_ = error;
    lostToLock_ = lockTimedOut;
}

void FileOutput::PrependLossNote(const _OwnLogRecord& record)
{
    const std::wstring why = lostToLock_
                                 ? std::wstring(L"another writer kept the write lock past the time-out")
                                 : platform::Utf8ToWide(std::strerror(lostError_));
    const std::wstring message = std::to_wstring(lost_) + (lost_ == 1 ? L" log record was" : L" log records were")
                                 + L" lost before this line: " + why;
    _OwnLogRecord note = record;
    note.moduleName = "LogEngine";
    note.moduleTag = "( )";
    note.sourceFile = L"..\\FileOutput.cpp";
    note.function = "FileOutput::Write";
    note.line = __LINE__;
    note.severity = OL_ERROR;
    note.code = lostError_;
    note.message = message.c_str();
    if (!noteBuffer_)
        noteBuffer_ = std::make_unique<LineBuffer>();
    const std::string recordBytes = bytes_;
    bytes_.clear();
    AppendUtf16Le(bytes_, FormatLine(FormatLevel(), Normalize(note, FormatLevel()), *noteBuffer_));
    bytes_ += recordBytes;
}

int FileOutput::Write(std::u16string_view line, const _OwnLogRecord& record)
{
    if (!lock_)
        return -1;

    // The text and its line end go to the file in one call, so a reader never sees half a line.
    bytes_.clear();
    bytes_.reserve((line.size() + 2) * 2);
    AppendUtf16Le(bytes_, line);

    WriteLockGuard guard(*lock_, Settings().timeout);
    if (!guard.Locked()) {
        Lose(kLockTimedOut, true);
        return 0;
    }
    // A file that could not be opened again at the last change of date is tried again.
    if (fd_ < 0 || DateDiffers(record)) {
        if (fd_ >= 0) {
            ::fdatasync(fd_);
            ::close(fd_);
        }
        fd_ = -1;
        SetDate(record.year, record.month, record.day);
        // A change of date never empties a file: only Open does, with the recreate flag.
        if (const int code = OpenFileLocked(BuildFileName(), false); code != 0) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = -1;
            Lose(code);
            return 0;
        }
    }
    // The note and the record go in together or not at all.
    const bool noted = lost_ > 0;
    if (noted)
        PrependLossNote(record);
    if (const int error = WriteBytes(bytes_.data(), bytes_.size())) {
        Lose(error);
        return 0;
    }
    if (noted)
        lost_ = 0;
    if (noted || record.severity == OL_ERROR || buffering_ == 0)
        ::fdatasync(fd_);
    return 0;
}

std::optional<std::uint64_t> FileOutput::SizeUnderLock()
{
    if (fd_ < 0 || !lock_)
        return std::nullopt;
    WriteLockGuard guard(*lock_, Settings().timeout);
    if (!guard.Locked())
        return std::nullopt;
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(end);
}

void FileOutput::Close()
{
    if (fd_ >= 0) {
        if (lock_) {
            WriteLockGuard guard(*lock_, Settings().timeout);
            if (guard.Locked())
                ::fdatasync(fd_);
        }
        ::close(fd_);
        fd_ = -1;
    }
    lock_.reset();
}

}  // namespace orvlog
