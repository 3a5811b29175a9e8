// Shared pieces of the logging tests: a fixture that gives each test a private lock folder,
// a fixed clock in UTC, captured reports and debugger output, and an empty registry afterwards;
// plus readers for the UTF-16LE log files.
#pragma once

#include "logging/FileOutput.h"
#include "logging/LogRecord.h"
#include "logging/LogRegistry.h"
#include "logging/MessageBoxShim.h"
#include "logging/OrvLog.h"
#include "platform/DebugOutput.h"
#include "platform/TextConv.h"
#include "support/TempDir.h"

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace orvlog::test {

struct Report {
    std::wstring caption, text;
    int value1, value2;
};

/// Seconds since 1970 of a UTC calendar time.
inline std::chrono::system_clock::time_point UtcTime(int year, int month, int day, int hour, int minute, int second,
                                                     int millisecond = 0)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return std::chrono::system_clock::from_time_t(::timegm(&fields)) + std::chrono::milliseconds(millisecond);
}

/// Bytes of a file as UTF-16LE text lines: checks the mark and splits at CR LF.
inline std::vector<std::wstring> ReadLogLines(const std::string& bytes, bool* hasMark = nullptr)
{
    const bool mark = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    if (hasMark)
        *hasMark = mark;
    const std::wstring text = platform::Utf16LeBytesToWide(bytes.data() + (mark ? 2 : 0), bytes.size() - (mark ? 2 : 0));
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            if (start < text.size())
                lines.push_back(text.substr(start) + L"<no line end>");
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

class LogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        tz_ = std::make_unique<corvel::test::ScopedEnv>("TZ", "UTC0");
        ::tzset();
        SetClock(UtcTime(2026, 12, 9, 10, 30, 15, 7));
        FileOutput::SetLockSettings(dir_.Path(), std::chrono::milliseconds(300));
        SetReportHook([this](const std::wstring& caption, const std::wstring& text, int v1, int v2) {
            std::lock_guard lock(mutex_);
            reports_.push_back({caption, text, v1, v2});
        });
        platform::SetDebugOutputHook([this](const std::wstring& text) {
            std::lock_guard lock(mutex_);
            debug_.push_back(text);
        });
    }

    void TearDown() override
    {
        OnLibraryDetach();
        GetOwnLogRegistry().applicationLog = kNoHandle;
        SetReportHook({});
        platform::SetDebugOutputHook({});
        SetWallClock({});
        FileOutput::SetLockSettings({}, FileOutput::kDefaultLockTimeout);
        tz_.reset();
        ::tzset();
    }

    void SetClock(std::chrono::system_clock::time_point now)
    {
        SetWallClock([now](std::chrono::system_clock::time_point& out) {
            out = now;
            return true;
        });
    }

    /// A record as a log site fills it, stamped by OLGetTimeStr; the strings stay alive in
    /// the fixture until the test ends.
    _OwnLogRecord Record(int severity, const wchar_t* message, int code = -1)
    {
        _OwnLogRecord record{};
        InitOwnLogRecord(record);
        times_.emplace_back(OLGetTimeStr(&record), &ReleaseString);
        record.timeText = times_.back().get();
        record.processId = 4242;
        record.threadId = 77;
        record.moduleName = "Corvel";
        record.moduleTag = "\"\"";
        record.sourceFile = L"C:\\src\\app\\Corvel_5.cpp";
        record.function = "CCorvel_5App::InitInstance";
        record.line = 120;
        record.severity = severity;
        record.code = code;
        record.message = message;
        return record;
    }

    std::vector<Report> Reports()
    {
        std::lock_guard lock(mutex_);
        return reports_;
    }
    std::vector<std::wstring> Debug()
    {
        std::lock_guard lock(mutex_);
        return debug_;
    }
    /// The debugger-output lines (every text except the lone line feeds).
    std::vector<std::wstring> DebugLines()
    {
        std::vector<std::wstring> lines;
        for (const auto& text : Debug())
            if (text != L"\n")
                lines.push_back(text);
        return lines;
    }

    std::wstring Folder() const { return platform::Utf8ToWide(dir_.Path().string()) + L"/"; }
    std::vector<std::wstring> FileLines(const std::string& name, bool* hasMark = nullptr)
    {
        return ReadLogLines(dir_.Read(name), hasMark);
    }

    corvel::test::TempDir dir_;

private:
    std::unique_ptr<corvel::test::ScopedEnv> tz_;
    std::mutex mutex_;
    std::vector<Report> reports_;
    std::vector<std::wstring> debug_;
    std::vector<std::unique_ptr<char, void (*)(void*)>> times_;
};

}  // namespace orvlog::test
