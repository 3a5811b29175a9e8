#include "logging/LogEngine.h"

#include "logging/MessageBoxShim.h"
#include "logging/ProcessInfo.h"
#include "platform/ProcessIds.h"
#include "platform/TextConv.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvlog {
namespace {

constexpr const wchar_t* kInitCaption = L"The initialization of Log Engine";
constexpr std::int32_t kNoChannelThreshold = 7;
// Parse positions are 32-bit and even: a larger file is read up to here.
constexpr std::uint64_t kLastParsePosition = 0xFFFFFFFEu;

// Closes a descriptor when the scope ends.
struct ScopedFd {
    int fd;
    ~ScopedFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

void WriteLibraryRecord(LogEngine& engine, const char* function, std::int32_t line, const std::wstring& message)
{
    _OwnLogRecord record{};
    InitOwnLogRecord(record);
    record.processId = platform::CurrentProcessId();
    record.threadId = platform::CurrentThreadId();
    char* time = MakeTimeString(&record);
    record.timeText = time;
    record.moduleName = "LogEngine";
    record.moduleTag = "( )";
    record.sourceFile = L"..\\LogEngine.cpp";
    record.function = function;
    record.line = line;
    record.severity = OL_BANNER;
    record.code = 0;
    record.message = message.c_str();
    engine.OutputRecord(record);
    ReleaseString(time);
}

LogEngine::~LogEngine() { Close(); }

std::wstring LogEngine::ChannelNames() const
{
    std::wstring names;
    for (const auto& channel : channels_) {
        if (!names.empty())
            names += L", ";
        names += channel->Name();
    }
    if (names.size() > 255)
        names.resize(255);
    return names;
}

void LogEngine::WriteBanner(const char* function, std::int32_t line, const std::wstring& message)
{
    if (IsRecordNeeded(OL_BANNER))
        WriteLibraryRecord(*this, function, line, message);
}

bool LogEngine::Initialize(const wchar_t* stem, const wchar_t* folder, bool recreate, bool dated,
                           std::int32_t systemLevel, std::int32_t fileLevel, std::int32_t ideLevel)
{
    if (systemLevel != 0)
        OpenSystemChannel(systemLevel);
    if (fileLevel != 0)
        OpenFileChannel(fileLevel, stem, folder, recreate, dated);
    if (ideLevel != 0)
        OpenIDEChannel(ideLevel);
    if (channels_.empty()) {
        ReportStub(L"The Log Engine isn't initialized", L"Output Channels are not opened", 1, 1);
        return false;
    }
    WriteBanner("LogEngine::Initialize", 107,
                FormatWide(kMessageChars, L"   >>>>>>>>>>>>>>>>> Open the log channels: %ls for: %ls",
                           ChannelNames().c_str(), CommandLine().c_str()));
    return true;
}

void LogEngine::Close()
{
    if (!channels_.empty()) {
        WriteBanner("LogEngine::Close", 47,
                    FormatWide(kMessageChars, L"   <<<<<<<<<<<<<<<<< Close the log channels: %ls for: %ls",
                               ChannelNames().c_str(), CommandLine().c_str()));
    }
    for (auto& channel : channels_)
        channel->Close();
    channels_.clear();
    threadIds_.clear();
    lastIds_ = nullptr;
    parserResults_.clear();
}

bool LogEngine::AddChannel(std::unique_ptr<LogOutput> channel, std::int32_t level, const wchar_t* what)
{
    if (channel->Open() != 0) {
        if (what)
            ReportStub(kInitCaption, (std::wstring(L"Can't open ") + what + L" output channel").c_str(), 1, 1);
        return false;
    }
    channel->SetFormatLevel(level);
    channels_.push_back(std::move(channel));
    return true;
}

bool LogEngine::OpenSystemChannel(std::int32_t level)
{
    if (LogOutput* existing = FindOutputChannel(OL_CHANNEL_SYSTEM)) {
        existing->SetFormatLevel(level);
        return true;
    }
    return AddChannel(std::make_unique<EventOutput>(), level, L"system");
}

bool LogEngine::OpenFileChannel(std::int32_t level, const wchar_t* stem, const wchar_t* folder, bool recreate, bool dated)
{
    if (LogOutput* existing = FindOutputChannel(OL_CHANNEL_FILE)) {
        existing->SetFormatLevel(level);
        return true;
    }
    auto channel = std::make_unique<FileOutput>();
    channel->SetFileName(stem);
    channel->SetFolder(folder);
    channel->SetRecreate(recreate);
    channel->SetDatedName(dated);
    // The file channel reports its own failures.
    return AddChannel(std::move(channel), level, nullptr);
}

bool LogEngine::OpenIDEChannel(std::int32_t level)
{
    if (LogOutput* existing = FindOutputChannel(OL_CHANNEL_IDE)) {
        existing->SetFormatLevel(level);
        return true;
    }
    return AddChannel(std::make_unique<IDEOutput>(), level, L"IDE");
}

void LogEngine::CloseOutputChannel(std::int32_t type)
{
    auto it = std::find_if(channels_.begin(), channels_.end(),
                           [&](const auto& channel) { return channel->Type() == type; });
    if (it == channels_.end())
        return;
    if (type == OL_CHANNEL_FILE) {
        LogOutput& file = **it;
        const std::int32_t level = file.FormatLevel();
        file.SetFormatLevel(4);
        WriteBanner("LogEngine::CloseOutputChannel", 170,
                    FormatWide(kMessageChars, L"   <<<<<<<<<<<<<<<<< Close the log for: %ls", CommandLine().c_str()));
        file.SetFormatLevel(level);
    }
    (*it)->Close();
    channels_.erase(it);
}

LogOutput* LogEngine::FindOutputChannel(std::int32_t type) const
{
    for (const auto& channel : channels_)
        if (channel->Type() == type)
            return channel.get();
    return nullptr;
}

FileOutput* LogEngine::FileChannel() const
{
    return static_cast<FileOutput*>(FindOutputChannel(OL_CHANNEL_FILE));
}

bool LogEngine::IsInitialized() const
{
    return std::any_of(channels_.begin(), channels_.end(), [](const auto& c) { return c->IsActive(); });
}

void LogEngine::SetSeverityThreshold(std::int32_t threshold, std::int32_t type)
{
    threshold_ = 5;
    for (auto& channel : channels_)
        if (channel->Type() == type)
            channel->SetThreshold(threshold >= 5 ? 4 : threshold);
    for (auto& channel : channels_)
        if (channel->IsActive()
            && static_cast<std::uint32_t>(channel->Threshold()) < static_cast<std::uint32_t>(threshold_))
            threshold_ = channel->Threshold();
}

std::int32_t LogEngine::GetSeverityThreshold(std::int32_t type) const
{
    const LogOutput* channel = FindOutputChannel(type);
    return channel ? channel->Threshold() : kNoChannelThreshold;
}

void LogEngine::SetFileBuffering(std::int32_t buffering)
{
    if (FileOutput* file = FileChannel())
        file->SetBuffering(buffering);
}

std::int32_t LogEngine::GetFileBuffering() const
{
    const FileOutput* file = FileChannel();
    return file ? file->Buffering() : 0;
}

std::uint64_t LogEngine::GetCurrentPosition() const
{
    FileOutput* file = FileChannel();
    return file && file->IsActive() ? file->GetCurrentPosition() : 0;
}

void LogEngine::OutputRecord(const _OwnLogRecord& record)
{
    // Only the fields that the taking channels print are prepared; a level outside 1-5 prints
    // an empty line.
    int detail = 0;
    bool taken = false;
    for (const auto& channel : channels_) {
        if (!channel->Takes(record.severity))
            continue;
        taken = true;
        if (channel->FormatLevel() <= 5)
            detail = std::max(detail, channel->FormatLevel());
    }
    // Taken even when no channel takes the record: the thread's ids start with its first record.
    const std::int32_t nestingLevel = GetNestingLevel(record.threadId);
    const std::uint64_t jobId = GetJobId(record.threadId);
    if (!taken)
        return;
    NormalizedRecord normalized = Normalize(record, detail);
    normalized.nestingLevel = nestingLevel;
    normalized.jobId = jobId;
    for (auto& channel : channels_)
        if (channel->Takes(record.severity))
            channel->FormatRecord(normalized, *lineBuffer_);
}

std::vector<std::uint32_t>* LogEngine::GetThreadIdVector(std::int32_t thread)
{
    if (lastIds_ && lastThread_ == thread)
        return lastIds_;
    auto it = threadIds_.find(thread);
    if (it != threadIds_.end()) {
        lastThread_ = thread;
        lastIds_ = &it->second;
        return lastIds_;
    }
    std::chrono::system_clock::time_point now;
    std::uint32_t seed = 0;
    if (ReadWallClock(now))
        seed = static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count());
    lastThread_ = thread;
    lastIds_ = &threadIds_.emplace(thread, std::vector<std::uint32_t>{seed}).first->second;
    return lastIds_;
}

std::uint64_t LogEngine::GetJobId(std::int32_t thread)
{
    const auto* ids = GetThreadIdVector(thread);
    return ids ? MakeJobId(thread, (*ids)[0]) : ~std::uint64_t{0};
}

std::uint64_t LogEngine::NewJobId(std::int32_t thread)
{
    auto* ids = GetThreadIdVector(thread);
    if (!ids)
        return ~std::uint64_t{0};
    (*ids)[0] += 3;
    return MakeJobId(thread, (*ids)[0]);
}

std::int32_t LogEngine::GetNestingLevel(std::int32_t thread) const
{
    if (lastIds_ && lastThread_ == thread)
        return static_cast<std::int32_t>(lastIds_->size()) - 2;
    auto it = threadIds_.find(thread);
    if (it == threadIds_.end())
        return 0;
    return static_cast<std::int32_t>(it->second.size()) - 2;
}

void LogEngine::PushLibFuncId(std::int32_t thread, std::uint32_t id)
{
    if (auto* ids = GetThreadIdVector(thread))
        ids->push_back(id);
}

std::uint32_t LogEngine::GetLibFuncId(std::int32_t thread)
{
    const auto* ids = GetThreadIdVector(thread);
    return ids && ids->size() >= 2 ? ids->back() : ~std::uint32_t{0};
}

void LogEngine::PopLibFuncId(std::int32_t thread)
{
    auto it = threadIds_.find(thread);
    if (it != threadIds_.end() && it->second.size() >= 2)
        it->second.pop_back();
}

int LogEngine::ParseOwnLog(std::int32_t thread, std::uint32_t& position, std::int32_t minSeverity,
                           std::int32_t mode, _ParserDataItem**& items, std::uint32_t& count)
{
    FileOutput* file = FileChannel();
    if (!file)
        return -1;
    const ParserQuery query{GetJobId(thread), minSeverity, mode};
    ReleaseParserData(thread);

    // The size is taken under the write lock, so the scan ends on a record boundary even while
    // other processes append.
    const std::optional<std::uint64_t> lockedSize = file->SizeUnderLock();
    const std::string name = platform::WideToUtf8(file->BuildFileName());
    const ScopedFd fd{::open(name.c_str(), O_RDONLY | O_CLOEXEC)};
    std::uint64_t size = 0;
    if (fd.fd < 0) {
        // A log that does not exist yet holds no records; nothing is created for the parse.
        if (errno != ENOENT)
            return -1;
    } else {
        struct stat st {};
        if (::fstat(fd.fd, &st) != 0)
            return -1;
        size = static_cast<std::uint64_t>(st.st_size);
        if (lockedSize)
            size = std::min(size, *lockedSize);
    }
    size = std::min(size, kLastParsePosition);
    const std::uint64_t start = std::min<std::uint64_t>(position & ~1u, size);

    std::unique_ptr<ParserResult> result;
    if (fd.fd >= 0) {
        FileSource source(fd.fd, start);
        result = ScanJobRecords(source, size - start, query);
    } else {
        result = std::make_unique<ParserResult>();
    }
    position = static_cast<std::uint32_t>(size);
    items = result->Items();
    count = result->Count();
    parserResults_[thread] = std::move(result);
    return 0;
}

}  // namespace orvlog
