#include "logging/MessageBoxShim.h"

#include "platform/TextConv.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace orvlog {
namespace {

struct Shim {
    std::mutex mutex;
    std::wstring title;
    MessageHook boxHook;
    MessageHook reportHook;
};

Shim& State() { static auto* s = new Shim; return *s; }

std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace

int OTMessageBoxW(const wchar_t* caption, const wchar_t* text, int value1, int value2)
{
    Shim& s = State();
    std::unique_lock lock(s.mutex);
    if (MessageHook hook = s.boxHook) {
        lock.unlock();
        hook(Text(caption), Text(text), value1, value2);
        return kIdOk;
    }
    const std::string line = platform::WideToUtf8(s.title + L": " + Text(caption) + L": " + Text(text)) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return kIdOk;
}

int OTMessageBoxA(const char* caption, const char* text, int value1, int value2)
{
    const std::wstring wideCaption = platform::Utf8ToWide(caption ? caption : "");
    const std::wstring wideText = platform::Utf8ToWide(text ? text : "");
    return OTMessageBoxW(wideCaption.c_str(), wideText.c_str(), value1, value2);
}

void OTSetMessageBoxTitleW(const wchar_t* title)
{
    std::lock_guard lock(State().mutex);
    State().title = Text(title);
}

std::wstring OTMessageBoxTitle()
{
    std::lock_guard lock(State().mutex);
    return State().title;
}

bool OTisMessageBoxReaded() { return true; }

int ReportStub(const wchar_t* caption, const wchar_t* text, int value1, int value2)
{
    MessageHook hook;
    {
        std::lock_guard lock(State().mutex);
        hook = State().reportHook;
    }
    if (hook)
        hook(Text(caption), Text(text), value1, value2);
    return kStubAnswer;
}

MessageHook SetMessageBoxHook(MessageHook hook)
{
    std::lock_guard lock(State().mutex);
    return std::exchange(State().boxHook, std::move(hook));
}

MessageHook SetReportHook(MessageHook hook)
{
    std::lock_guard lock(State().mutex);
    return std::exchange(State().reportHook, std::move(hook));
}

}  // namespace orvlog
