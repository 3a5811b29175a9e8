// A scoped timer that writes its start, stop and elapsed time to the debugger output, each line
// indented by one tab per timer already running (in any thread), e.g.
//   +PerfCounter[1234] "CCameraLink::SetParamToCamera:512 "
//   -PerfCounter[1234] "CCameraLink::SetParamToCamera:512 "
//   =PerfCounter[1234] "CCameraLink::SetParamToCamera:512 ": 3.141000ms
// While the debugger output goes nowhere a timer does nothing at all: it costs a register
// write no formatting, clock reads or shared counters.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class CPerfCounter {
public:
    /// `text` must outlive the timer (a literal, as every caller passes).
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

    const char* text_;
    int line_;
    std::string name_;  ///< formatted when the first line is written
    std::chrono::steady_clock::time_point start_{}, stop_{};
    std::int32_t threadId_ = 0;
    bool running_ = false;
    bool reported_ = true;
    bool active_ = false;  ///< started while the debugger output went somewhere
    int indentation_ = 0;
};
