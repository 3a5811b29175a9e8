#include "DebugOutput.h"

#include "TextConv.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

// Leaked on purpose: the logging library writes here from static destructors at exit.
std::mutex& SinkMutex() { static auto* m = new std::mutex; return *m; }
DebugOutputHook& Hook() { static auto* h = new DebugOutputHook; return *h; }
/// Set while a hook is installed; read without the lock.
std::atomic<bool> g_hookInstalled{false};

bool StderrEnabled()
{
    static const bool enabled = [] {
        const char* value = std::getenv("ORV_DEBUG_OUTPUT");
        return value && (std::strcmp(value, "1") == 0 || std::strcmp(value, "stderr") == 0);
    }();
    return enabled;
}

}  // namespace

void OutputDebugStringW(const wchar_t* text)
{
    if (!text)
        return;
    std::lock_guard lock(SinkMutex());
    if (Hook()) {
        Hook()(std::wstring(text));
        return;
    }
    if (StderrEnabled()) {
        const std::string utf8 = WideToUtf8(text);
        std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    }
}

void OutputDebugStringA(const char* text)
{
    if (!text)
        return;
    const std::wstring wide = Utf8ToWide(text);
    OutputDebugStringW(wide.c_str());
}

bool DebugOutputEnabled() { return g_hookInstalled.load(std::memory_order_acquire) || StderrEnabled(); }

DebugOutputHook SetDebugOutputHook(DebugOutputHook hook)
{
    std::lock_guard lock(SinkMutex());
    DebugOutputHook previous = std::move(Hook());
    Hook() = std::move(hook);
    g_hookInstalled.store(static_cast<bool>(Hook()), std::memory_order_release);
    return previous;
}

}  // namespace platform
