#include "logging/FileOutput.h"

#include "logging/LogMutex.h"
#include "logging/MessageBoxShim.h"
#include "platform/Paths.h"
#include "platform/TextConv.h"

#include <bit>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <pthread.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <unistd.h>

namespace orvlog {
namespace {

constexpr const wchar_t* kOpenCaption = L"The initialization of file output channel";
constexpr char kByteOrderMark[2] = {'\xFF', '\xFE'};
constexpr char16_t kLineEnd[2] = {u'\r', u'\n'};

struct LockSettings {
    std::filesystem::path folder;
    std::chrono::milliseconds timeout = FileOutput::kDefaultLockTimeout;
};
LockSettings& Settings() { static auto* s = new LockSettings; return *s; }

// Writes the collected lines of every live file channel at most kFlushInterval after the first
// of them was collected, so a quiet program's lines still reach the file. Runs only while
// something waits.
class BackgroundFlush {
public:
    static BackgroundFlush& Instance()
    {
        static auto* instance = [] {
            auto* flush = new BackgroundFlush;
            ::pthread_atfork(&BackgroundFlush::BeforeFork, &BackgroundFlush::AfterForkParent,
                             &BackgroundFlush::AfterForkChild);
            return flush;
        }();
        return *instance;
    }

    // Live channels; the caller holds the process mutex.
    std::set<FileOutput*>& Live() { return live_; }

    void Request()
    {
        std::lock_guard lock(*mutex_);
        if (!thread_)
            thread_ = new std::thread([this] { Loop(); });
        // While a request waits out its interval, a further one needs no wake-up.
        if (!requested_) {
            requested_ = true;
            wake_.notify_all();
        }
    }

    void Stop()
    {
        std::thread* thread = nullptr;
        {
            std::lock_guard lock(*mutex_);
            stopping_ = true;
            thread = std::exchange(thread_, nullptr);
            wake_.notify_all();
        }
        if (thread) {
            thread->join();
            delete thread;
        }
        std::lock_guard lock(*mutex_);
        stopping_ = false;
        requested_ = false;
    }

    unsigned ForkGeneration() const { return forkGeneration_; }

private:
    void Loop()
    {
        std::unique_lock lock(*mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return requested_ || stopping_; });
            if (stopping_)
                return;
            if (wake_.wait_for(lock, FileOutput::kFlushInterval, [&] { return stopping_; }))
                return;
            requested_ = false;
            lock.unlock();
            {
                std::lock_guard processLock(ProcessMutex());
                for (FileOutput* output : live_)
                    output->WritePending();
            }
            lock.lock();
        }
    }

    // A fork keeps the process mutex and this object's mutex locked until both halves resume,
    // so the child never inherits a half-changed channel.
    static void BeforeFork()
    {
        ProcessMutex().lock();
        Instance().mutex_->lock();
    }
    static void AfterForkParent()
    {
        Instance().mutex_->unlock();
        ProcessMutex().unlock();
    }
    static void AfterForkChild()
    {
        BackgroundFlush& self = Instance();
        // The flushing thread does not exist in the child; its object is left alone.
        self.thread_ = nullptr;
        self.requested_ = false;
        self.mutex_ = new std::mutex;
        ++self.forkGeneration_;
        ResetProcessMutexInChild();
    }

    std::mutex* mutex_ = new std::mutex;
    std::condition_variable_any wake_;
    std::thread* thread_ = nullptr;
    bool requested_ = false;
    bool stopping_ = false;
    unsigned forkGeneration_ = 0;
    std::set<FileOutput*> live_;
};

std::string Utf8(const std::wstring& text) { return platform::WideToUtf8(text); }

}  // namespace

void StopBackgroundFlush() { BackgroundFlush::Instance().Stop(); }

void FileOutput::SetLockSettings(const std::filesystem::path& folder, std::chrono::milliseconds timeout)
{
    std::lock_guard lock(ProcessMutex());
    Settings().folder = folder;
    Settings().timeout = timeout;
}

FileOutput::FileOutput() : LogOutput(L"File_Output", OL_CHANNEL_FILE)
{
    std::lock_guard lock(ProcessMutex());
    forkGeneration_ = BackgroundFlush::Instance().ForkGeneration();
    BackgroundFlush::Instance().Live().insert(this);
}

FileOutput::~FileOutput()
{
    std::lock_guard lock(ProcessMutex());
    BackgroundFlush::Instance().Live().erase(this);
    Close();
}

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

void FileOutput::SetBuffering(std::int32_t buffering)
{
    buffering_ = buffering;
    if (buffering == 0)
        WritePending();
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

    lock_ = std::make_unique<platform::ProcessLock>(kLockName, Settings().folder);
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
        platform::ProcessLockGuard guard(*lock_, Settings().timeout);
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
    const int flags = O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0);
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0)
        return errno ? errno : -1;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return errno ? errno : -1;
    // The mark goes only into an empty file (where appending writes it at the start): an
    // existing file keeps its first bytes.
    if (st.st_size == 0 && ::write(fd_, kByteOrderMark, 2) != 2)
        return errno ? errno : -1;
    return 0;
}

void FileOutput::WriteBytes(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void FileOutput::RenewAfterFork()
{
    // The parent writes what it had collected; the child's copy of the lock shares the
    // parent's file description, which would not exclude the parent.
    forkGeneration_ = BackgroundFlush::Instance().ForkGeneration();
    pending_.clear();
    if (lock_)
        lock_ = std::make_unique<platform::ProcessLock>(kLockName, Settings().folder);
}

int FileOutput::Write(std::u16string_view line, const _OwnLogRecord& record)
{
    if (forkGeneration_ != BackgroundFlush::Instance().ForkGeneration())
        RenewAfterFork();
    if (fd_ < 0 || !lock_)
        return -1;

    const bool dateChange = DateDiffers(record);
    const std::size_t before = pending_.size();
    const std::size_t lineBytes = (line.size() + 2) * 2;
    pending_.reserve(before + lineBytes);
    if constexpr (std::endian::native == std::endian::little) {
        pending_.append(reinterpret_cast<const char*>(line.data()), line.size() * 2);
        pending_.append(reinterpret_cast<const char*>(kLineEnd), 4);
    } else {
        for (char16_t unit : line) {
            pending_ += static_cast<char>(unit & 0xFF);
            pending_ += static_cast<char>(unit >> 8);
        }
        pending_.append("\r\0\n\0", 4);
    }

    const bool writeNow = buffering_ == 0 || record.severity == OL_ERROR || dateChange
                          || pending_.size() >= kBufferBytes;
    if (!writeNow) {
        if (before == 0)
            BackgroundFlush::Instance().Request();
        return 0;
    }

    platform::ProcessLockGuard guard(*lock_, Settings().timeout);
    if (!guard.Locked()) {
        // Lost, as a record is when another writer keeps the lock beyond the time-out.
        pending_.clear();
        return 0;
    }
    if (dateChange) {
        WriteBytes(pending_.data(), before);
        pending_.erase(0, before);
        ::close(fd_);
        fd_ = -1;
        SetDate(record.year, record.month, record.day);
        // A change of date never empties a file: only Open does, with the recreate flag.
        if (OpenFileLocked(BuildFileName(), false) != 0) {
            pending_.clear();
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = -1;
            return 0;
        }
    }
    WriteBytes(pending_.data(), pending_.size());
    pending_.clear();
    return 0;
}

void FileOutput::WritePending()
{
    if (forkGeneration_ != BackgroundFlush::Instance().ForkGeneration())
        RenewAfterFork();
    if (pending_.empty() || fd_ < 0 || !lock_)
        return;
    platform::ProcessLockGuard guard(*lock_, Settings().timeout);
    if (guard.Locked())
        WriteBytes(pending_.data(), pending_.size());
    pending_.clear();
}

std::optional<std::uint64_t> FileOutput::SizeUnderLock()
{
    if (forkGeneration_ != BackgroundFlush::Instance().ForkGeneration())
        RenewAfterFork();
    if (fd_ < 0 || !lock_)
        return std::nullopt;
    platform::ProcessLockGuard guard(*lock_, Settings().timeout);
    if (!guard.Locked())
        return std::nullopt;
    WriteBytes(pending_.data(), pending_.size());
    pending_.clear();
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(end);
}

void FileOutput::Close()
{
    if (fd_ >= 0) {
        if (lock_) {
            platform::ProcessLockGuard guard(*lock_, Settings().timeout);
            if (guard.Locked()) {
                WriteBytes(pending_.data(), pending_.size());
                ::fdatasync(fd_);
            }
        }
        ::close(fd_);
        fd_ = -1;
    }
    pending_.clear();
    lock_.reset();
}

}  // namespace orvlog
