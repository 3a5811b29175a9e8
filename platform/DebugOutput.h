// The debugger-output sink. The program and the logging library send diagnostic text here;
// it is discarded unless ORV_DEBUG_OUTPUT=1 sends it to stderr (UTF-8). Tests install a
// capture hook that receives every piece of text exactly as it was sent.
#pragma once

#include <functional>
#include <string>

namespace platform {

using DebugOutputHook = std::function<void(const std::wstring& text)>;

/// Sends one piece of text to the debugger output. Thread-safe.
void OutputDebugStringW(const wchar_t* text);
/// Narrow text is taken as UTF-8.
void OutputDebugStringA(const char* text);

/// Whether text sent now goes anywhere (a hook, or stderr): callers that only format text for
/// the debugger output skip the work when it does not. Cheap; thread-safe.
bool DebugOutputEnabled();

/// Installs a hook that receives every piece of text (replacing stderr and discard).
/// An empty hook removes it. Returns the previous hook.
DebugOutputHook SetDebugOutputHook(DebugOutputHook hook);

}  // namespace platform
