// The exported C interface. Each function takes the process mutex, resolves handle 0 to the
// application log where it works on an engine, and forwards.
#include "logging/OrvLog.h"

#include "logging/LoadedModules.h"
#include "logging/LogMutex.h"
#include "logging/LogRegistry.h"
#include "logging/MessageBoxShim.h"
#include "logging/ProcessInfo.h"
#include "platform/ProcessIds.h"
#include "platform/TextConv.h"

#include <cstdarg>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <new>

using namespace orvlog;

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// An engine that passes the export's test, or null.
LogEngine* EngineWithChannels(OLHandle handle)
{
    LogEngine* engine = FindOwnLogEngine(handle);
    return engine && engine->HasChannels() ? engine : nullptr;
}

LogEngine* InitializedEngine(OLHandle handle)
{
    LogEngine* engine = FindOwnLogEngine(handle);
    return engine && engine->IsInitialized() ? engine : nullptr;
}

std::wstring Wide(const char* text) { return platform::Utf8ToWide(text ? text : ""); }

// A narrow argument that may be null, widened for the wide twin.
struct WideArg {
    explicit WideArg(const char* text) : null(text == nullptr), value(Wide(text)) {}
    const wchar_t* get() const { return null ? nullptr : value.c_str(); }
    bool null;
    std::wstring value;
};

// The four bytes of a handle as text, most significant first.
std::wstring HandleBytes(OLHandle handle)
{
    std::wstring text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto byte = static_cast<wchar_t>((handle >> shift) & 0xFF);
        text += byte ? byte : L' ';
    }
    return text;
}

int ChannelResult(LogEngine* engine, bool opened)
{
    return engine ? (opened ? 1 : 0) : -1;
}

}  // namespace

extern "C" {

int OLInitOwnLogW(OLHandle handle, const wchar_t* stem, const wchar_t* folder, bool recreate, bool dated,
                  int32_t systemLevel, int32_t fileLevel, int32_t ideLevel)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = FindOwnLogEngine(handle);
    // An engine whose channels are all off is initialised again rather than counted.
    if (engine && engine->IsInitialized()) {
        ++engine->ReferenceCount();
        return 0;
    }
    OTSetMessageBoxTitleW(FormatWide(259 + 13, L"Log Engine - %ls", ExecutablePath().substr(0, 259).c_str()).c_str());
    if (!engine && handle == 0) {
        auto created = std::make_unique<LogEngine>();
        engine = created.get();
        GetOwnLogRegistry().engines.Insert(ResolveHandle(0), std::move(created));
    }
    if (!engine) {
        const std::wstring text = FormatWide(127, L"Can't find Log Engine for log handle: %d (%ls)",
                                             static_cast<int>(handle), HandleBytes(handle).c_str());
        ReportStub(L"The Log Engine isn't defined", text.c_str(), 3, 2);
        return -1;
    }
    if (!engine->Initialize(stem, folder, recreate, dated, systemLevel, fileLevel, ideLevel)) {
        engine->ReferenceCount() = 0;
        OLCloseOwnLog(handle);
        return -1;
    }
    return 0;
}

int OLInitOwnLogA(OLHandle handle, const char* stem, const char* folder, bool recreate, bool dated,
                  int32_t systemLevel, int32_t fileLevel, int32_t ideLevel)
{
    const WideArg wideStem(stem), wideFolder(folder);
    return OLInitOwnLogW(handle, wideStem.get(), wideFolder.get(), recreate, dated, systemLevel, fileLevel, ideLevel);
}

int OLCloseOwnLog(OLHandle handle)
{
    Lock lock(ProcessMutex());
    if (LogEngine* engine = FindOwnLogEngine(handle)) {
        if (engine->ReferenceCount() > 0) {
            --engine->ReferenceCount();
        } else {
            GetOwnLogRegistry().engines.Extract(ResolveHandle(handle))->Close();
        }
    }
    OTisMessageBoxReaded();
    return 0;
}

int OLCreateOwnLog(OLHandle handle)
{
    if (handle == 0 || handle >= kFirstDynamicHandle)
        return -1;
    Lock lock(ProcessMutex());
    EngineTable& engines = GetOwnLogRegistry().engines;
    if (!engines.Find(handle))
        engines.Insert(handle, std::make_unique<LogEngine>());
    return 0;
}

OLHandle OLGetOwnLogHandle(void)
{
    Lock lock(ProcessMutex());
    OwnLogRegistry& registry = GetOwnLogRegistry();
    if (registry.nextDynamic == 0)
        registry.nextDynamic = kFirstDynamicHandle;
    // Handles are never reused; once the counter reaches the reserved top there are no more.
    if (registry.nextDynamic == kNoHandle)
        return kNoHandle;
    const OLHandle handle = registry.nextDynamic++;
    registry.engines.Insert(handle, std::make_unique<LogEngine>());
    return handle;
}

bool OLisOwnLog(OLHandle handle)
{
    Lock lock(ProcessMutex());
    return handle != 0 && GetOwnLogRegistry().engines.Contains(handle);
}

int OLSetApplicationLog(OLHandle handle)
{
    if (handle == 0)
        return -1;
    Lock lock(ProcessMutex());
    GetOwnLogRegistry().applicationLog = handle;
    return 0;
}

int OLOpenOwnSystemChannel(OLHandle handle, int32_t level)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = FindOwnLogEngine(handle);
    return ChannelResult(engine, engine && engine->OpenSystemChannel(level));
}

int OLOpenOwnFileChannelW(OLHandle handle, int32_t level, const wchar_t* stem, const wchar_t* folder, bool recreate,
                          bool dated)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = FindOwnLogEngine(handle);
    return ChannelResult(engine, engine && engine->OpenFileChannel(level, stem, folder, recreate, dated));
}

int OLOpenOwnFileChannelA(OLHandle handle, int32_t level, const char* stem, const char* folder, bool recreate,
                          bool dated)
{
    const WideArg wideStem(stem), wideFolder(folder);
    return OLOpenOwnFileChannelW(handle, level, wideStem.get(), wideFolder.get(), recreate, dated);
}

int OLOpenOwnIDEChannel(OLHandle handle, int32_t level)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = FindOwnLogEngine(handle);
    return ChannelResult(engine, engine && engine->OpenIDEChannel(level));
}

int OLCloseOwnLogChannel(OLHandle handle, int32_t type)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = FindOwnLogEngine(handle);
    if (!engine)
        return -1;
    engine->CloseOutputChannel(type);
    return 0;
}

int OLSetOwnLogSeverityThreshold(OLHandle handle, int32_t threshold, int32_t type)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine)
        return -1;
    engine->SetSeverityThreshold(threshold, type);
    return 0;
}

int OLGetOwnLogSeverityThreshold(OLHandle handle, int32_t* threshold, int32_t type)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine || !threshold)
        return -1;
    *threshold = engine->GetSeverityThreshold(type);
    return 0;
}

int OLSetOwnLogFileBuffering(OLHandle handle, int32_t buffering)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine)
        return -1;
    engine->SetFileBuffering(buffering);
    return 0;
}

int OLGetOwnLogFileBuffering(OLHandle handle, int32_t* buffering)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine || !buffering)
        return -1;
    *buffering = engine->GetFileBuffering();
    return 0;
}

const wchar_t* OLGetOwnLogFileFolderW(OLHandle handle)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    const FileOutput* file = engine ? engine->FileChannel() : nullptr;
    return file ? file->Folder().c_str() : nullptr;
}

char* OLGetOwnLogFileFolderA(OLHandle handle)
{
    Lock lock(ProcessMutex());
    const wchar_t* folder = OLGetOwnLogFileFolderW(handle);
    if (!folder)
        return nullptr;
    const std::string narrow = platform::WideToUtf8(folder);
    char* copy = static_cast<char*>(std::malloc(narrow.size() + 1));
    if (copy)
        std::memcpy(copy, narrow.c_str(), narrow.size() + 1);
    return copy;
}

bool OLIsOwnLogRecordNeeded(OLHandle handle, int32_t severity, void* moduleHandle)
{
    Lock lock(ProcessMutex());
    if (LogEngine* engine = EngineWithChannels(handle); engine && engine->IsRecordNeeded(severity))
        return true;
    const auto& links = GetOwnLogRegistry().links;
    auto it = links.find(reinterpret_cast<std::uintptr_t>(moduleHandle));
    if (it == links.end())
        return false;
    for (OLHandle linked : it->second)
        if (LogEngine* engine = EngineWithChannels(linked); engine && engine->IsRecordNeeded(severity))
            return true;
    return false;
}

int OLOwnLogOutput(OLHandle handle, const _OwnLogRecord* record)
{
    if (!record)
        return -1;
    Lock lock(ProcessMutex());
    const auto& links = GetOwnLogRegistry().links;
    if (!links.empty()) {
        auto it = links.find(reinterpret_cast<std::uintptr_t>(record->moduleHandle));
        if (it != links.end())
            for (OLHandle linked : it->second)
                if (LogEngine* engine = InitializedEngine(linked))
                    engine->OutputRecord(*record);
    }
    LogEngine* engine = InitializedEngine(handle);
    if (!engine)
        return -1;
    engine->OutputRecord(*record);
    return 0;
}

int OLSetOwnLinksW(OLHandle handle, const wchar_t* modules)
{
    if (!modules)
        return -1;
    Lock lock(ProcessMutex());
    const std::wstring_view list(modules);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(L'?', start);
        if (end == std::wstring_view::npos)
            end = list.size();
        const std::wstring_view piece = list.substr(start, end - start);
        start = end + 1;
        if (piece.empty())
            continue;
        void* module = FindLoadedModule(piece);
        if (!module)
            continue;
        auto& linked = GetOwnLogRegistry().links[reinterpret_cast<std::uintptr_t>(module)];
        if (std::find(linked.begin(), linked.end(), handle) == linked.end())
            linked.push_back(handle);
    }
    return 0;
}

int OLSetOwnLinksA(OLHandle handle, const char* modules)
{
    if (!modules)
        return -1;
    return OLSetOwnLinksW(handle, Wide(modules).c_str());
}

char* OLGetTimeStr(_OwnLogRecord* record) { return MakeTimeString(record); }

wchar_t* OLGetErrorStrW(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    wchar_t* text = FormatMessageV(format, args);
    va_end(args);
    return text;
}

wchar_t* OLGetErrorStrA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    wchar_t* text = FormatMessageAV(format, args);
    va_end(args);
    return text;
}

int OLDestroyInternalStr(char** timeText, wchar_t** message)
{
    if (timeText && *timeText) {
        ReleaseString(*timeText);
        *timeText = nullptr;
    }
    if (message && *message) {
        ReleaseString(*message);
        *message = nullptr;
    }
    return 0;
}

int OLGetOwnLogJobId(OLHandle handle, uint64_t* jobId)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine || !jobId)
        return -1;
    *jobId = engine->GetJobId(platform::CurrentThreadId());
    return 0;
}

int OLSetOwnLogJobId(OLHandle handle, uint64_t* jobId)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine || !jobId)
        return -1;
    *jobId = engine->NewJobId(platform::CurrentThreadId());
    return 0;
}

int OLSetOwnLogLibFuncId(OLHandle handle, uint32_t id)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine)
        return -1;
    engine->PushLibFuncId(platform::CurrentThreadId(), id);
    return 0;
}

int OLGetOwnLogLibFuncId(OLHandle handle, uint32_t* id)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine || !id)
        return -1;
    *id = engine->GetLibFuncId(platform::CurrentThreadId());
    return 0;
}

int OLReleaseOwnLogLibFuncId(OLHandle handle, uint32_t)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = EngineWithChannels(handle);
    if (!engine)
        return -1;
    engine->PopLibFuncId(platform::CurrentThreadId());
    return 0;
}

int OLGetCurrentOwnLogPosition(OLHandle handle, uint64_t* position)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = InitializedEngine(handle);
    if (!engine || !position)
        return -1;
    *position = engine->GetCurrentPosition();
    return 0;
}

int OLParseOwnLog(OLHandle handle, uint32_t* position, int32_t minSeverity, int32_t mode, _ParserDataItem*** items,
                  uint32_t* count)
{
    if (!position || !items || !count)
        return -1;
    *items = nullptr;
    *count = 0;
    Lock lock(ProcessMutex());
    LogEngine* engine = InitializedEngine(handle);
    if (!engine)
        return -1;
    try {
        return engine->ParseOwnLog(platform::CurrentThreadId(), *position, minSeverity, mode, *items, *count);
    } catch (const std::bad_alloc&) {
        *items = nullptr;
        *count = 0;
        return -1;
    }
}

int OLReleaseOwnParserData(OLHandle handle)
{
    Lock lock(ProcessMutex());
    LogEngine* engine = InitializedEngine(handle);
    if (!engine)
        return -1;
    engine->ReleaseParserData(platform::CurrentThreadId());
    return 0;
}

int OLMessageBoxW(const wchar_t* caption, const wchar_t* text, int32_t value1, int32_t value2)
{
    return OTMessageBoxW(caption, text, value1, value2);
}

int OLMessageBoxA(const char* caption, const char* text, int32_t value1, int32_t value2)
{
    return OTMessageBoxA(caption, text, value1, value2);
}

int OLMessageBoxStubW(const wchar_t* caption, const wchar_t* text, int32_t value1, int32_t value2)
{
    return ReportStub(caption, text, value1, value2);
}

int OLMessageBoxStubA(const char* caption, const char* text, int32_t value1, int32_t value2)
{
    const WideArg wideCaption(caption), wideText(text);
    return ReportStub(wideCaption.get(), wideText.get(), value1, value2);
}

}  // extern "C"
