// The download terminal's engine: one table file programmed into one flash sector page by
// page, or a register-command file replayed command by command, each step on a tick of the
// window's timer. Defect tables first read back the half of the sector they do not replace,
// then the sector is erased and every page programmed again. The type, sector and page range
// are fixed at Start. Cancel stops between steps; once the sector is erased, a stop first
// programs again the half that was read back to be kept, so no stop loses it. An erase the
// camera does not answer, and a kept page it does not take, are tried again until it does or
// the operator gives them up. Every stop and failure ends the log with the state the sector
// was left in. A register file stopped half-way (Cancel, refusals, a lost answer) that had
// switched the camera to supervisor mode or its error checking off is followed by the lines
// that switch them back, tried again a few times while the camera does not take them. No Qt:
// the dialog drives Tick()
// from its timers and shows the log, KB text and progress.
#pragma once

#include "camera/RgsFile.h"
#include "tools/DownloadFile.h"
#include "tools/FlashAccess.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CCameraLink;

namespace download {

/// Timers of the dialog: 9998 drives the read-back, 9999 the erase, writes and the replay.
inline constexpr int kReadTimerId = 9998;
inline constexpr int kWriteTimerId = 9999;
inline constexpr int kTickMs = 30;
inline constexpr int kTickAfterReadMs = 50;
/// An erase the camera did not answer, or a page of the kept half it did not take, is tried
/// again this often.
inline constexpr int kRetryMs = 1000;
/// The lines that take the camera back to normal mode after a stopped register file are tried
/// this often before the run ends without them.
inline constexpr int kCloseAttempts = 4;

/// WritingBack: a stop after the erase programs the half read back to be kept, then ends.
/// Closing: a register file stopped half-way takes the camera back to normal mode, then ends.
enum class UploadState { Idle, Reading, Erasing, Writing, WritingBack, Replaying, Closing };

/// Why Start refused; the texts are the dialog's message boxes (empty: none).
enum class StartResult { Started, TypeUndefined, BadExtension, CannotOpen, TooLarge, DoesNotExist, ParseFailed };

class UploadEngine {
public:
    /// The link must outlive the engine; `clock` (null: the real one) paces the erase polls.
    explicit UploadEngine(CCameraLink& link, platform::IClock* clock = nullptr);

    /// Prepares an upload of `path` as file type `type` and starts its first phase. The log
    /// is emptied first. Refused while a run goes.
    StartResult Start(int type, const std::string& path, bool largeSensor);
    /// One step of the running phase (one page, the erase, or one register command).
    void Tick();
    /// Stops the run between steps: "\nOperation was aborted" and the sector's state. Before the
    /// erase the run ends at once; during the erase or the writes, the half of a defect sector
    /// read back to be kept is programmed first (WritingBack: the run goes on until it is). An
    /// erase the camera does not answer, and a kept page it does not take, are tried again
    /// until it does; a Cancel while a stop waits on them gives them up.
    void Cancel();

    bool Running() const { return m_state != UploadState::Idle; }
    /// A stop was asked for and the kept half is still being written back.
    bool Stopping() const { return m_stopping && Running(); }
    /// The camera does not answer the erase, or does not take a page of the kept half back: the
    /// step is tried again until it does, or until a Cancel gives it up.
    bool Retrying() const
    {
        return m_retrying && (m_state == UploadState::WritingBack || m_state == UploadState::Erasing ||
                              m_state == UploadState::Closing);
    }
    /// The erase command of this run went to the camera: the sector no longer holds what it did.
    bool SectorTouched() const { return m_eraseSent; }
    /// What a stop now would cost, for the question before it ("" while idle).
    std::string StopConsequence() const;
    /// The state the last run left the sector in (the line at the end of the log after a stop
    /// or a failure); "" when the run programmed the sector in full or was a register replay.
    const std::string& SectorState() const { return m_sectorState; }
    /// After a register file whose closing lines the camera did not take: the state the camera
    /// may be left in and what to do ("" otherwise).
    std::string ModesLeftOpenText() const
    {
        return !Running() && m_type == kRgs && m_modes.Open() ? rgs::ClosingRefusedText(m_modes) : std::string();
    }
    UploadState State() const { return m_state; }
    /// The timer the run needs now (kReadTimerId or kWriteTimerId) and its period; 0 when idle.
    int TimerId() const;
    int TimerPeriodMs() const { return m_periodMs; }

    const std::string& Log() const { return m_log; }
    const std::string& KbText() const { return m_kbText; }
    int ProgressMax() const { return m_progressMax; }
    int ProgressPos() const { return m_progressPos; }
    /// True once after a replay finished: the dialog shows the soft-reset note.
    bool TakeResetNote();
    /// The file of the message boxes (CannotOpen, DoesNotExist).
    const std::string& Path() const { return m_path; }

    /// Trace records: the operation ("ReadPages" …) and the text.
    void SetTraceSink(std::function<void(const char*, const std::string&)> sink) { m_trace = std::move(sink); }
    /// Where "write_pages.txt" is appended (default: the current folder).
    void SetWritePagesFile(std::filesystem::path file) { m_writePagesFile = std::move(file); }

    static constexpr const char* kParseErrorText =
        "Error while parsing the file.\nMake sure the file contains correct data.\ne.g. :Table is mutual exclusive with other tags";
    static constexpr const char* kResetNote =
        "Note: After uploading RGS file, a soft reset or power cycle is necessary for the changes to take effect.";

private:
    void ReadPage();
    void EraseSector();
    void WritePage();
    void WriteBackPage();
    void ReplayCommand();
    /// Ends a register file with `closing`; first, when its lines left supervisor mode or the
    /// error checking off, the closing phase (after a pause when the channel just failed).
    void EndReplay(const std::string& closing, bool afterFailure);
    /// One try of the lines that take the camera back to normal mode.
    void CloseModes();
    /// Ends the run; `leaveSupervisor` after a failed flash step.
    void Stop(bool leaveSupervisor);
    /// The step failed without an answer (`retrying`) or is taken again: the tick period follows.
    void SetRetrying(bool retrying);
    /// After the erase, on a stop or a failed write: programs the pages of the kept half not
    /// yet written, then ends the run with `closing` and the sector's state.
    void WriteBackOrStop(const std::string& closing, bool leaveSupervisor);
    /// Ends a table run with `closing`, then the sector's state as a log line.
    void EndWithState(const std::string& closing, bool leaveSupervisor);
    std::string DescribeSector() const;
    /// A page a defect table read back to keep (never for other types).
    bool IsKeptPage(int page) const;
    std::string KeptPagesText() const;
    void Add(const std::string& text) { m_log += text; }
    void Trace(const char* op, const std::string& text);
    void AppendWritePages(const std::string& line);
    void SetKb(double done);

    CCameraLink& m_link;
    flash::FlashAccess m_flash;
    UploadState m_state = UploadState::Idle;
    int m_periodMs = 0;
    int m_type = -1;
    std::string m_path;
    DownloadTarget m_target;
    FlashImage m_image;
    std::vector<RegisterCommand> m_commands;
    std::size_t m_command = 0;   ///< next command of the replay
    std::uint32_t m_byteIndex = 0, m_byteCount = 0;
    int m_failures = 0;          ///< consecutive refused commands
    rgs::ModeState m_modes;      ///< what the replayed commands switched on the camera
    int m_closeAttempts = 0;
    int m_page = 0, m_lastPage = 0;
    bool m_phaseStarted = false;
    bool m_eraseSent = false;             ///< the erase command reached the camera
    bool m_erased = false;                ///< the erase finished: m_programmed counts
    bool m_stopping = false;              ///< a stop waits for the erase or the write-back
    std::string m_stopClosing;            ///< the log line that ends the run after the write-back
    bool m_stopLeavesSupervisor = false;
    std::vector<bool> m_programmed;       ///< pages of the write phase programmed so far
    std::vector<int> m_writeBack;         ///< kept pages still to program on a stop
    std::size_t m_writeBackNext = 0;
    bool m_retrying = false;              ///< the last try of the erase or a kept page failed
    std::string m_sectorState;
    double m_kbTotal = 0;
    std::string m_log, m_kbText;
    int m_progressMax = 0, m_progressPos = 0;
    bool m_resetNote = false;
    std::function<void(const char*, const std::string&)> m_trace;
    std::filesystem::path m_writePagesFile = "write_pages.txt";
};

}  // namespace download
