#include "camera/LinkLog.h"

#include "logging/ConfiguratorLog.h"
#include "platform/TextConv.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace camera {
namespace {

std::mutex& SinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

LinkLogSink& Sink()
{
    static LinkLogSink sink;
    return sink;
}

}  // namespace

LinkLogSink SetLinkLogSink(LinkLogSink sink)
{
    std::lock_guard lock(SinkMutex());
    LinkLogSink old = std::move(Sink());
    Sink() = std::move(sink);
    return old;
}

void LinkLog(const char* method, const char* format, ...)
{
    LinkLogSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    if (!sink && !corvel::IsLogRecordNeeded(OL_TRACE))
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(args);
    if (sink) {
        sink(method, text);
        return;
    }
    const std::wstring wide = platform::Utf8ToWide(text);
    corvel::OutputLogRecord(corvel::LogSite{L"CameraLink", method, 0}, OL_TRACE, 0,
                            OLGetErrorStrW(L"%ls", wide.c_str()));
}

void RepeatFilter::Failed(const char* method, const std::string& text)
{
    if (text == last_)
        return;
    last_ = text;
    LinkLog(method, "%s", text.c_str());
}

void RepeatFilter::Succeeded(const char* method, const std::string& text)
{
    if (last_.empty())
        return;
    last_.clear();
    LinkLog(method, "%s", text.c_str());
}

}  // namespace camera
