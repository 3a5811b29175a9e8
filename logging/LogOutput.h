// An output channel of a log: the common part formats a record into one line by the channel's
// format level and hands it to the channel's Write. The system channel is a stub that discards
// records; the debugger channel sends each line to the debugger output.
#pragma once

#include "logging/LogLine.h"

#include <cstdint>
#include <string>

namespace orvlog {

class LogOutput {
public:
    LogOutput(const wchar_t* name, std::int32_t type) : name_(name), type_(type) {}
    virtual ~LogOutput() = default;
    LogOutput(const LogOutput&) = delete;
    LogOutput& operator=(const LogOutput&) = delete;

    /// Byte offset of the end of the channel's file; 0 for channels without one.
    virtual std::uint64_t GetCurrentPosition() { return 0; }
    /// 0 on success, else an error code.
    virtual int Open() = 0;
    virtual void Close() = 0;
    /// Writes one formatted line (UTF-16 units, no line end) of `record`.
    virtual int Write(std::u16string_view line, const _OwnLogRecord& record) = 0;

    /// Formats the record by the channel's level into `buffer` and writes it.
    int FormatRecord(const NormalizedRecord& record, LineBuffer& buffer);

    /// The record-to-channel rule: the channel is active and the severity, compared unsigned,
    /// is at least the threshold.
    bool Takes(std::int32_t severity) const
    {
        return IsActive() && static_cast<std::uint32_t>(severity) >= static_cast<std::uint32_t>(threshold_);
    }

    const wchar_t* Name() const { return name_; }
    std::int32_t Type() const { return type_; }
    std::int32_t FormatLevel() const { return level_; }
    void SetFormatLevel(std::int32_t level) { level_ = level; }
    std::int32_t Threshold() const { return threshold_; }
    void SetThreshold(std::int32_t threshold) { threshold_ = threshold; }
    bool IsActive() const { return level_ != 0; }

private:
    const wchar_t* name_;
    std::int32_t type_;
    std::int32_t level_ = 0;
    std::int32_t threshold_ = 0;
};

/// The system channel: accepts records and discards them.
class EventOutput final : public LogOutput {
public:
    EventOutput() : LogOutput(L"System_Output_Stub", OL_CHANNEL_SYSTEM) {}
    int Open() override { return 0; }
    void Close() override {}
    int Write(std::u16string_view, const _OwnLogRecord&) override { return 0; }
};

/// The debugger channel: each line, then a line feed alone, to the debugger output.
class IDEOutput final : public LogOutput {
public:
    IDEOutput() : LogOutput(L"IDE_Output", OL_CHANNEL_IDE) { SetThreshold(OL_ERROR); }
    int Open() override { return 0; }
    void Close() override {}
    int Write(std::u16string_view line, const _OwnLogRecord& record) override;
};

}  // namespace orvlog
