#include "platform/DebugOutput.h"

#include <gtest/gtest.h>
#include <vector>

using namespace platform;

// Example failure: text sent while a capture hook is installed is lost or merged, so tests of
// the debugger channel cannot see the line and its separate line end.
TEST(DebugOutput, HookReceivesEachPieceAsSent)
{
    std::vector<std::wstring> seen;
    SetDebugOutputHook([&](const std::wstring& text) { seen.push_back(text); });
    OutputDebugStringW(L"line \u00E9");
    OutputDebugStringW(L"\n");
    OutputDebugStringA("caf\xC3\xA9");
    OutputDebugStringW(nullptr);
    OutputDebugStringA(nullptr);
    SetDebugOutputHook({});
    OutputDebugStringW(L"after");

    EXPECT_EQ(seen, (std::vector<std::wstring>{L"line \u00E9", L"\n", L"caf\u00E9"}));
}
