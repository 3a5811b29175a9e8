// One log: its output channels in the order they were opened (at most one of each type), the
// engine-wide severity threshold that log sites ask before they build a record, the reference
// count of repeated initialisations, and per thread the job counter and function-id stack that
// format-4 and format-5 lines print. Every call runs under the library's process mutex.
#pragma once

#include "logging/FileOutput.h"
#include "logging/LogOutput.h"
#include "logging/LogParser.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orvlog {

class LogEngine {
public:
    LogEngine() = default;
    virtual ~LogEngine();
    LogEngine(const LogEngine&) = delete;
    LogEngine& operator=(const LogEngine&) = delete;

    /// Opens the channels whose level is not 0 and writes the open banner; false when no
    /// channel opened.
    bool Initialize(const wchar_t* stem, const wchar_t* folder, bool recreate, bool dated,
                    std::int32_t systemLevel, std::int32_t fileLevel, std::int32_t ideLevel);
    /// Writes the close banner and closes every channel; drops the per-thread data.
    void Close();

    /// Each answers true when the channel was opened or re-levelled.
    bool OpenSystemChannel(std::int32_t level);
    bool OpenFileChannel(std::int32_t level, const wchar_t* stem, const wchar_t* folder, bool recreate, bool dated);
    bool OpenIDEChannel(std::int32_t level);
    void CloseOutputChannel(std::int32_t type);
    LogOutput* FindOutputChannel(std::int32_t type) const;
    FileOutput* FileChannel() const;

    bool HasChannels() const { return !channels_.empty(); }
    bool IsInitialized() const;
    bool IsRecordNeeded(std::int32_t severity) const
    {
        return static_cast<std::uint32_t>(severity) >= static_cast<std::uint32_t>(threshold_);
    }
    void SetSeverityThreshold(std::int32_t threshold, std::int32_t type);
    /// The channel's threshold, 7 when there is no channel of that type.
    std::int32_t GetSeverityThreshold(std::int32_t type) const;
    std::int32_t EngineThreshold() const { return threshold_; }
    void SetFileBuffering(std::int32_t buffering);
    std::int32_t GetFileBuffering() const;
    std::uint64_t GetCurrentPosition() const;

    /// Normalises the record and hands it to every channel that takes it.
    void OutputRecord(const _OwnLogRecord& record);

    std::int32_t& ReferenceCount() { return references_; }

    /// Per-thread job data: element 0 the job counter, then the function-id stack.
    std::vector<std::uint32_t>* GetThreadIdVector(std::int32_t thread);
    std::uint64_t GetJobId(std::int32_t thread);
    std::uint64_t NewJobId(std::int32_t thread);
    std::int32_t GetNestingLevel(std::int32_t thread) const;
    void PushLibFuncId(std::int32_t thread, std::uint32_t id);
    std::uint32_t GetLibFuncId(std::int32_t thread);
    void PopLibFuncId(std::int32_t thread);

    /// Reads back from the file channel's log the records of the thread's current job, from
    /// byte `position` up to the file's size at the start, which replaces `position`. The
    /// result stays the engine's until the thread parses again or releases it, or the engine
    /// closes. 0 after a scan (also one that stopped early), -1 without a file channel or when
    /// the file cannot be opened.
    int ParseOwnLog(std::int32_t thread, std::uint32_t& position, std::int32_t minSeverity, std::int32_t mode,
                    _ParserDataItem**& items, std::uint32_t& count);
    void ReleaseParserData(std::int32_t thread) { parserResults_.erase(thread); }

    /// The channel names joined with ", " (at most 255 characters).
    std::wstring ChannelNames() const;

private:
    bool AddChannel(std::unique_ptr<LogOutput> channel, std::int32_t level, const wchar_t* what);
    void WriteBanner(const char* function, std::int32_t line, const std::wstring& message);

    std::unordered_map<std::int32_t, std::vector<std::uint32_t>> threadIds_;
    // The vector found last; map nodes stay put until the table is cleared.
    std::int32_t lastThread_ = 0;
    std::vector<std::uint32_t>* lastIds_ = nullptr;
    std::vector<std::unique_ptr<LogOutput>> channels_;
    std::unordered_map<std::int32_t, std::unique_ptr<ParserResult>> parserResults_;
    std::int32_t threshold_ = 5;
    std::int32_t references_ = 0;
    std::unique_ptr<LineBuffer> lineBuffer_ = std::make_unique<LineBuffer>();
};

/// Job id of a thread and its counter: the thread id's low 20 bits above the counter's low
/// 18 bits.
inline std::uint64_t MakeJobId(std::int32_t thread, std::uint32_t counter)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(thread)) << 44) | (counter & 0x3FFFFu);
}

/// A library record (module "LogEngine", tag "( )", severity 6, code 0) stamped now.
void WriteLibraryRecord(LogEngine& engine, const char* function, std::int32_t line, const std::wstring& message);

}  // namespace orvlog
