// A scoped timer that writes its start, stop and elapsed time to the debugger output, each line
// indented by one tab per timer already running (in any thread), e.g.
//   +PerfCounter[1234] "CCameraLink::SetParamToCamera:512 "
//   -PerfCounter[1234] "CCameraLink::SetParamToCamera:512 "
//   =PerfCounter[1234] "CCameraLink::SetParamToCamera:512 ": 3.141000ms
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class CPerfCounter {
public:
    CPerfCounter(const char* text, int line);
    ~CPerfCounter();
    CPerfCounter(const CPerfCounter&) = delete;
    CPerfCounter& operator=(const CPerfCounter&) = delete;

    void Start();
    void Stop();
    /// Writes the elapsed-time line again.
    void Report();

private:
    void Write(char mark, bool withTime);

    std::string name_;
    std::chrono::steady_clock::time_point start_{}, stop_{};
    std::int32_t threadId_ = 0;
    bool running_ = false;
    bool reported_ = true;
    int indentation_ = 0;
};
