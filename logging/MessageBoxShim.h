// The message boxes of the logging library. There is no window toolkit here: a message box
// writes "title: caption: text" as one line to stderr and answers IDOK. The library reports
// its own problems through the silent stub; tests observe both through hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvlog {

inline constexpr int kStubAnswer = 1956;
inline constexpr int kIdOk = 1;

/// Receives caption, text and the two values of every report or message box.
using MessageHook = std::function<void(const std::wstring& caption, const std::wstring& text, int value1, int value2)>;

int OTMessageBoxW(const wchar_t* caption, const wchar_t* text, int value1, int value2);
int OTMessageBoxA(const char* caption, const char* text, int value1, int value2);
void OTSetMessageBoxTitleW(const wchar_t* title);
std::wstring OTMessageBoxTitle();
/// Called at every close of a log; nothing is pending here.
bool OTisMessageBoxReaded();

/// A report through the silent stub: shows nothing, answers 1956.
int ReportStub(const wchar_t* caption, const wchar_t* text, int value1, int value2);

/// Hooks for tests; an empty hook removes one. Each returns the previous hook.
MessageHook SetMessageBoxHook(MessageHook hook);
MessageHook SetReportHook(MessageHook hook);

}  // namespace orvlog
