#include "camera/CPerfCounter.h"

#include "platform/DebugOutput.h"
#include "platform/ProcessIds.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<int> g_depth{0};
}

CPerfCounter::CPerfCounter(const char* text, int line) : text_(text ? text : ""), line_(line) { Start(); }

CPerfCounter::~CPerfCounter()
{
    if (!active_)
        return;
    if (running_)
        Stop();
    if (!reported_)
        Report();
}

void CPerfCounter::Start()
{
    active_ = platform::DebugOutputEnabled();
    if (!active_)
        return;
    if (name_.empty()) {
        threadId_ = platform::CurrentThreadId();
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, "%s:%d %s", text_, line_, "");
        name_ = buffer;
    }
    stop_ = {};
    running_ = true;
    reported_ = false;
    indentation_ = g_depth.load();
    g_depth.fetch_add(1);
    Write('+', false);
    start_ = std::chrono::steady_clock::now();
}

void CPerfCounter::Stop()
{
    if (!active_ || !running_)
        return;
    stop_ = std::chrono::steady_clock::now();
    g_depth.fetch_sub(1);
    running_ = false;
    Write('-', false);
    Report();
}

void CPerfCounter::Report()
{
    if (!active_)
        return;
    reported_ = true;
    Write('=', true);
}

void CPerfCounter::Write(char mark, bool withTime)
{
    std::string line(static_cast<std::size_t>(indentation_ > 0 ? indentation_ : 0), '\t');
    char buffer[640];
    if (withTime) {
        const double ms = std::chrono::duration<double, std::milli>(stop_ - start_).count();
        std::snprintf(buffer, sizeof buffer, "%cPerfCounter[%d] \"%s\": %fms\n", mark, threadId_, name_.c_str(), ms);
    } else {
        std::snprintf(buffer, sizeof buffer, "%cPerfCounter[%d] \"%s\"\n", mark, threadId_, name_.c_str());
    }
    line += buffer;
    platform::OutputDebugStringA(line.c_str());
}
