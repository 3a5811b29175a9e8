#include "tools/UploadEngine.h"

#include "camera/CameraLink.h"
#include "camera/RegisterProtocol.h"
#include "camera/ValueCoder.h"
#include "tools/DownloadParsers.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace download {

namespace {

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace

UploadEngine::UploadEngine(CCameraLink& link, platform::IClock* clock) : m_link(link), m_flash(link, clock) {}

int UploadEngine::TimerId() const
{
    switch (m_state) {
    case UploadState::Idle: return 0;
    case UploadState::Reading: return kReadTimerId;
    default: return kWriteTimerId;
    }
}

bool UploadEngine::TakeResetNote()
{
    const bool note = m_resetNote;
    m_resetNote = false;
    return note;
}

void UploadEngine::Trace(const char* op, const std::string& text)
{
    if (m_trace)
        m_trace(op, text);
}

void UploadEngine::SetKb(double done) { m_kbText = Format("%.2fKB / %.2fKB", done, m_kbTotal); }

StartResult UploadEngine::Start(int type, const std::string& path, bool largeSensor)
{
    if (Running())
        return StartResult::Started;
    const auto target = TargetFor(type, largeSensor);
    if (!target)
        return StartResult::TypeUndefined;
    if (!PathFitsType(path, type))
        return StartResult::BadExtension;
    m_type = type;
    m_path = path;
    m_target = *target;
    m_log.clear();
    m_kbText.clear();
    m_image = FlashImage{};
    m_commands.clear();
    m_phaseStarted = false;
    m_eraseSent = m_erased = m_stopping = false;
    m_stopClosing.clear();
    m_stopLeavesSupervisor = false;
    m_programmed.clear();
    m_writeBack.clear();
    m_writeBackNext = 0;
    m_retrying = false;
    m_sectorState.clear();
    m_failures = 0;
    m_modes = {};
    m_closeAttempts = 0;
    m_command = 0;
    m_byteIndex = 0;
    m_page = m_target.readBackFirst;
    m_lastPage = IsDefectType(type) ? m_target.readBackEnd : m_target.writePages;
    // The bar counts the pages of the running phase: a read-back that starts at page 128 starts empty.
    m_progressMax = m_lastPage - m_page;
    m_progressPos = 0;

    bool tooLarge = false;
    const std::optional<std::string> bytes = LoadFileBytes(path, &tooLarge);
    if (!bytes) {
        if (tooLarge) {
            Add(Format("The file is too large: an upload file holds at most %u MB.\r\n",
                       static_cast<unsigned>(kMaxFileBytes / (1024 * 1024))));
            return StartResult::TooLarge;
        }
        Add(kParseErrorText);
        return type == kRgs ? StartResult::DoesNotExist : StartResult::CannotOpen;
    }
    if (type == kRgs) {
        auto parsed = ParseRegisterFile(*bytes);
        if (!parsed.ok()) {
            Add(kParseErrorText);
            Add("\n" + parsed.error().Message());
            return StartResult::ParseFailed;
        }
        m_commands = std::move(parsed.value());
        m_byteCount = 0;
        for (const RegisterCommand& c : m_commands)
            m_byteCount += c.length;
        m_kbTotal = m_byteCount / 1024.0;
    } else {
        auto parsed = ParseTableFile(type, *bytes, largeSensor);
        if (!parsed.ok()) {
            Add(kParseErrorText);
            Add("\n" + parsed.error().Message());
            return StartResult::ParseFailed;
        }
        m_image = std::move(parsed.value());
        if (type == kAfe)
            m_lastPage = PagesToWrite(type, m_target, m_image);
        m_kbTotal = (m_lastPage - m_page) * 0.25;
    }
    SetKb(0);
    m_periodMs = kTickMs;
    if (IsDefectType(type)) {
        m_state = UploadState::Reading;
    } else {
        Trace("OnBnClickedBtLoad", "Set Timer m_bLoad = 1");
        m_state = type == kRgs ? UploadState::Replaying : UploadState::Erasing;
    }
    return StartResult::Started;
}

void UploadEngine::Tick()
{
    switch (m_state) {
    case UploadState::Idle: break;
    case UploadState::Reading: ReadPage(); break;
    case UploadState::Erasing: EraseSector(); break;
    case UploadState::Writing: WritePage(); break;
    case UploadState::WritingBack: WriteBackPage(); break;
    case UploadState::Replaying: ReplayCommand(); break;
    case UploadState::Closing: CloseModes(); break;
    }
}

bool UploadEngine::IsKeptPage(int page) const
{
    return IsDefectType(m_type) && page >= m_target.readBackFirst && page < m_target.readBackEnd;
}

std::string UploadEngine::KeptPagesText() const
{
    return Format("pages %d-%d", m_target.readBackFirst, m_target.readBackEnd - 1);
}

namespace {

/// "5-9, 12, 40-63": the pages of a list of ascending numbers, runs joined.
std::string PageRanges(const std::vector<int>& pages)
{
    std::string text;
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1)
            ++j;
        if (!text.empty())
            text += ", ";
        text += j == i ? Format("%d", pages[i]) : Format("%d-%d", pages[i], pages[j]);
        i = j + 1;
    }
    return text;
}

}  // namespace

std::string UploadEngine::DescribeSector() const
{
    const char* sector = flash::SectorName(m_target.sector);
    if (!m_eraseSent)
        return Format("%s is unchanged: nothing was erased.", sector);
    if (!m_erased)
        return Format("%s may be partly erased: the erase did not finish, its content is undefined.", sector);
    std::vector<int> erased, keptLost;
    for (int p = 0; p < static_cast<int>(m_programmed.size()); ++p) {
        if (m_programmed[static_cast<std::size_t>(p)])
            continue;
        erased.push_back(p);
        if (IsKeptPage(p))
            keptLost.push_back(p);
    }
    if (erased.empty())
        return Format("%s is programmed in full.", sector);
    std::string text = erased.size() == m_programmed.size()
                           ? Format("%s is left erased: no page was programmed.", sector)
                           : Format("%s is left partly programmed: pages %s are erased.", sector, PageRanges(erased).c_str());
    if (IsDefectType(m_type)) {
        text += keptLost.empty()
                    ? Format(" The half read back to keep (%s) is programmed again as it was.", KeptPagesText().c_str())
                    : Format(" Of the half read back to keep (%s), pages %s are lost.", KeptPagesText().c_str(),
                             PageRanges(keptLost).c_str());
    }
    return text;
}

std::string UploadEngine::StopConsequence() const
{
    if (!Running())
        return {};
    const char* sector = flash::SectorName(m_target.sector);
    if (m_state == UploadState::Replaying)
        return "The register commands not yet sent are left out.";
    if (m_state == UploadState::Closing)
        return Format("The camera does not take the lines that take it back to normal mode. Stopping now may leave "
                      "it %s.",
                      rgs::OpenModesText(m_modes));
    if (Retrying() && m_state == UploadState::Erasing) {
        std::string text = Format("%s may be partly erased: the camera does not answer the erase (%s).", sector,
                                  m_flash.LastError().c_str());
        if (IsDefectType(m_type))
            text += Format(" Stopping now loses the half read back to keep (%s), held only here.", KeptPagesText().c_str());
        return text;
    }
    if (Retrying()) {
        const std::vector<int> left(m_writeBack.begin() + static_cast<std::ptrdiff_t>(m_writeBackNext), m_writeBack.end());
        return Format("%s is erased, and the camera does not take the half read back to keep (%s) back: pages %s are "
                      "not written yet (%s). Stopping now loses them.",
                      sector, KeptPagesText().c_str(), PageRanges(left).c_str(), m_flash.LastError().c_str());
    }
    if (!m_eraseSent)
        return Format("Nothing is erased yet: %s stays as it is.", sector);
    if (IsDefectType(m_type))
        return Format("%s is erased. Stopping now programs again the half read back to keep (%s) and leaves the "
                      "pages of the file not yet written erased.",
                      sector, KeptPagesText().c_str());
    return Format("%s is erased. Stopping now leaves the pages not yet written erased.", sector);
}

void UploadEngine::EndWithState(const std::string& closing, bool leaveSupervisor)
{
    Add(closing);
    m_sectorState = DescribeSector();
    Add(m_sectorState + "\r\n");
    Trace("LoadData2Camera", m_sectorState);
    m_progressPos = 0;
    Stop(leaveSupervisor);
}

void UploadEngine::WriteBackOrStop(const std::string& closing, bool leaveSupervisor)
{
    m_writeBack.clear();
    m_writeBackNext = 0;
    SetRetrying(false);
    for (int p = 0; p < static_cast<int>(m_programmed.size()); ++p)
        if (!m_programmed[static_cast<std::size_t>(p)] && IsKeptPage(p))
            m_writeBack.push_back(p);
    if (m_writeBack.empty()) {
        EndWithState(closing, leaveSupervisor);
        return;
    }
    Add(Format("Writing back %d pages read to keep (%s) to %s...\r\n", static_cast<int>(m_writeBack.size()),
               PageRanges(m_writeBack).c_str(), flash::SectorName(m_target.sector)));
    m_stopping = true;
    m_stopClosing = closing;
    m_stopLeavesSupervisor = leaveSupervisor;
    m_state = UploadState::WritingBack;
    m_periodMs = kTickMs;
    m_progressMax = static_cast<int>(m_writeBack.size());
    m_progressPos = 0;
}

void UploadEngine::Cancel()
{
    if (!Running())
        return;
    if (m_stopping) {
        // A second stop gives up only an erase, a write-back or closing lines the camera does not take.
        if (Retrying() && m_state == UploadState::Closing) {
            Add(rgs::ClosingRefusedText(m_modes) + "\r\n");
            Stop(false);
        } else if (Retrying()) {
            const bool erasing = m_state == UploadState::Erasing;
            Add(erasing ? "The erase is given up.\r\n" : "Writing back is given up.\r\n");
            EndWithState(erasing ? "\nOperation was aborted\r\n" : m_stopClosing, true);
        }
        return;
    }
    if (m_type == kRgs) {
        m_progressPos = 0;
        EndReplay("\nOperation was aborted", false);
        return;
    }
    if (!m_eraseSent) {
        // Nothing erased yet: the sector keeps what it holds.
        m_state = UploadState::Idle;
        m_periodMs = 0;
        m_progressPos = 0;
        m_phaseStarted = false;
        Add("\nOperation was aborted");
        m_sectorState = DescribeSector();
        Add("\r\n" + m_sectorState + "\r\n");
        return;
    }
    if (m_state == UploadState::Erasing) {
        // The erase runs to its end; the kept half is written back after it.
        Add("\nStopping once the erase is done...\r\n");
        m_stopping = true;
        return;
    }
    WriteBackOrStop("\nOperation was aborted\r\n", false);
}

void UploadEngine::SetRetrying(bool retrying)
{
    m_retrying = retrying;
    m_periodMs = retrying ? kRetryMs : kTickMs;
}

void UploadEngine::Stop(bool leaveSupervisor)
{
    m_state = UploadState::Idle;
    m_periodMs = 0;
    m_phaseStarted = false;
    m_stopping = false;
    if (leaveSupervisor)
        m_flash.SetSupervisorMode(false);
}

void UploadEngine::ReadPage()
{
    const char* sector = flash::SectorName(m_target.sector);
    if (m_page < m_lastPage) {
        if (!m_phaseStarted) {
            if (!m_flash.SetSupervisorMode(true)) {
                Add("Error on SetSupervisorMode\r\n\r\n");
                EndWithState(m_flash.LastError() + ".\r\n", false);
                return;
            }
            Add(Format("Reading of %d pages from %s...\r\n\r\n", m_lastPage - m_page, sector));
            m_phaseStarted = true;
        }
        const int p = m_page;
        const std::uint32_t offset = static_cast<std::uint32_t>(p % 256) * kPageSize;
        if (!m_flash.ReadFlashWords(m_target.sector, m_image.bytes.data() + static_cast<std::size_t>(p) * kPageSize,
                                    offset, offset + kPageSize)) {
            Trace("ReadPages", "Kill ReadPages. Read Error");
            EndWithState(Format("Reading page #%d failed: %s. Operation aborted.\r\n", p, m_flash.LastError().c_str()),
                         true);
            return;
        }
        Add(Format("Data has been read from page #%d\r\n", p));
        m_page = p + 1;
        SetKb(m_kbTotal - (m_lastPage - p - 1) * 0.25);
        m_progressPos = m_page - m_target.readBackFirst;
    }
    if (m_page >= m_lastPage) {
        Trace("ReadPages", "Set Timer m_bLoad = 1");
        m_phaseStarted = false;
        Add("Reading is done\r\n\r\n");
        m_state = UploadState::Erasing;
        m_periodMs = kTickAfterReadMs;
    }
}

void UploadEngine::EraseSector()
{
    const char* sector = flash::SectorName(m_target.sector);
    bool failed = false;
    // After a lost answer the erase is sent again: the camera may have restarted meanwhile.
    if (!m_eraseSent || m_retrying) {
        if (!m_eraseSent)
            Add(Format("Erasing %s before programming...\r\n\r\n", sector));
        if (!m_flash.SetSupervisorMode(true)) {
            failed = true;
        } else {
            const bool first = !m_eraseSent;
            // From here on the sector may have lost its content, even when the command fails.
            m_eraseSent = true;
            failed = !m_flash.StartErase(m_target.sector);
            // A first erase the camera answered with a refusal was not carried out.
            if (failed && first && !m_flash.NoAnswer())
                m_eraseSent = false;
        }
    }
    if (!failed) {
        // One status poll per tick, so the window keeps repainting through a long erase.
        const flash::FlashAccess::EraseProgress progress = m_flash.PollErase();
        failed = progress == flash::FlashAccess::EraseProgress::Failed;
        if (!failed && m_retrying) {
            SetRetrying(false);
            Add("The camera answers again.\r\n");
        }
        if (progress == flash::FlashAccess::EraseProgress::Busy)
            return;
    }
    if (failed && m_eraseSent && m_flash.NoAnswer()) {
        // What the camera did with the erase is unknown, and the half read back to keep is held
        // only here: the erase is tried again until the camera answers, or a stop gives it up.
        if (!m_retrying) {
            Add(Format("Erasing %s: %s. Trying again every %d s until it answers, or the operator gives up.\r\n", sector,
                       m_flash.LastError().c_str(), kRetryMs / 1000));
            SetRetrying(true);
        }
        return;
    }
    if (failed) {
        const std::string cause = m_flash.LastError();
        Trace("EraseSectors", "Kill EraseSectors. Erase Error");
        Add(Format("Error in %s Erase\r\n\r\n", sector));
        EndWithState(cause + ".\r\n", true);
        return;
    }
    m_erased = true;
    m_page = 0;
    m_lastPage = PagesToWrite(m_type, m_target, m_image);
    m_programmed.assign(static_cast<std::size_t>(m_lastPage), false);
    m_kbTotal = m_lastPage * 0.25;
    m_progressMax = m_lastPage;
    m_progressPos = 0;
    Add(Format("%s is erased\r\n\r\n", sector));
    m_state = UploadState::Writing;
    if (m_stopping) {
        m_stopping = false;
        WriteBackOrStop("\nOperation was aborted\r\n", false);
    }
}

void UploadEngine::AppendWritePages(const std::string& line)
{
    std::ofstream out(m_writePagesFile, std::ios::app | std::ios::binary);
    if (out)
        out << line;
}

void UploadEngine::WritePage()
{
    const char* sector = flash::SectorName(m_target.sector);
    if (m_page < m_lastPage) {
        if (m_page == 0) {
            if (!m_flash.SetSupervisorMode(true)) {
                Add("Error on SetSupervisorMode\r\n\r\n");
                EndWithState(m_flash.LastError() + ".\r\n", false);
                return;
            }
            Add(Format("Writing of %d pages to %s...\r\n\r\n", m_lastPage, sector));
        }
        const int p = m_page;
        const std::uint8_t* data = m_image.bytes.data() + static_cast<std::size_t>(p) * kPageSize;
        if (!m_flash.WriteFlashPage(m_target.sector, p % 256, data)) {
            AppendWritePages(Format("sector=%i, page=%i - write failed\n", m_target.sector, p % 256));
            Trace("WritePages", "Kill WritePages. Write Error");
            Add(Format("Writing page #%d failed: %s.\r\n", p, m_flash.LastError().c_str()));
            // The pages read back to keep are tried all the same: one failed page need not lose them.
            WriteBackOrStop("Operation aborted.\r\n", true);
            return;
        }
        std::string line = Format("sector=%i, page=%i, buffSize=%i, data: ", m_target.sector, p % 256,
                                  static_cast<int>(kPageSize));
        for (int i = 0; i < 16; ++i)
            line += Format("%02X ", data[i]);
        AppendWritePages(line + "...\n");
        Add(Format("Data has been written to page #%d\r\n", p));
        m_programmed[static_cast<std::size_t>(p)] = true;
        m_page = p + 1;
        SetKb((p + 1) * 0.25);
        m_progressPos = m_page;
    }
    if (m_page >= m_lastPage) {
        Trace("WritePages", "Set Timer m_bLoad = 0");
        Add("Writing is done\r\n\r\n");
        Stop(false);
    }
}

void UploadEngine::WriteBackPage()
{
    if (m_writeBackNext < m_writeBack.size()) {
        const int p = m_writeBack[m_writeBackNext];
        const std::uint8_t* data = m_image.bytes.data() + static_cast<std::size_t>(p) * kPageSize;
        // Supervisor mode again after a failure: the camera may have restarted meanwhile.
        const bool enter = m_writeBackNext == 0 || m_retrying;
        if ((enter && !m_flash.SetSupervisorMode(true)) || !m_flash.WriteFlashPage(m_target.sector, p % 256, data)) {
            // These pages are held nowhere else: they are tried again until the camera takes
            // them, or the operator gives them up.
            if (!m_retrying) {
                AppendWritePages(Format("sector=%i, page=%i - write failed\n", m_target.sector, p % 256));
                Trace("WritePages", "Kill WritePages. Write Error");
                Add(Format("Writing back page #%d failed: %s. Trying again every %d s; Cancel gives up the pages "
                           "not written back.\r\n",
                           p, m_flash.LastError().c_str(), kRetryMs / 1000));
                SetRetrying(true);
            }
            return;
        }
        if (m_retrying) {
            SetRetrying(false);
            Add("The camera takes the pages again.\r\n");
        }
        m_programmed[static_cast<std::size_t>(p)] = true;
        Add(Format("Data has been written back to page #%d\r\n", p));
        m_progressPos = static_cast<int>(++m_writeBackNext);
    }
    if (m_writeBackNext >= m_writeBack.size())
        EndWithState(m_stopClosing, m_stopLeavesSupervisor);
}

void UploadEngine::ReplayCommand()
{
    if (m_failures >= 3) {
        Trace("LoadRegisters2Camera", "LoadData2Camera <- Aborted");
        m_progressPos = 0;
        EndReplay("Operation aborted.\r\n", false);
        return;
    }
    if (m_command < m_commands.size()) {
        m_progressMax = static_cast<int>(m_byteCount);
        const RegisterCommand& c = m_commands[m_command];
        CCameraLink::AnswerBuffer answer{};
        std::uint32_t length = c.length;
        const int result = m_link.Transact(c.bytes, &length, answer);
        const std::string frame =
            c.length == 3 ? Format("CMD <%02X %02X%02X>", c.bytes[0], c.bytes[1], c.bytes[2])
                          : Format("CMD <%02X %02X%02X %02X%02X%02X%02X>", c.bytes[0], c.bytes[1], c.bytes[2],
                                   c.bytes[3], c.bytes[4], c.bytes[5], c.bytes[6]);
        Add(result == 0 ? frame + " \r\n"
                        : frame + Format(" written:errCode <%d> <0x%08x>\r\n", result, static_cast<unsigned>(result)));
        std::string reply = "rsp=<";
        for (std::uint32_t i = 0; i < length && i < answer.size(); ++i)
            reply += Format("%02x", answer[i]);
        Add(reply + ">\r\n");
        Trace("LoadRegisters2Camera", frame + reply + ">");
        rgs::CommandLine line;
        line.kind = rgs::LineKind::Command;
        line.length = c.length;
        std::copy(c.bytes, c.bytes + c.length, line.frame);
        if (result == 0 && answer[0] == 0x06) {
            m_failures = 0;
            m_modes.Apply(line);
        } else {
            ++m_failures;
            if (result < 0)
                m_modes.ApplyUnsure(line);
        }
        if (result == 0) {
            m_byteIndex += c.length;
            ++m_command;
        } else if (result < 0) {
            // The channel is gone: the rest of the file would only fail the same way.
            Trace("LoadRegisters2Camera", "LoadData2Camera <- Aborted");
            m_progressPos = 0;
            EndReplay("Operation aborted.\r\n", true);
            return;
        }
        m_progressPos = static_cast<int>(m_byteIndex);
        m_kbText = Format("%.2fKB/%.2fKB", m_byteIndex / 1024.0, m_byteCount / 1024.0);
    }
    if (m_command >= m_commands.size()) {
        Add("Uploading is finished successfully.\r\n");
        m_progressPos = 0;
        m_resetNote = true;
        Trace("LoadRegisters2Camera", "LoadData2Camera <- end");
        Stop(false);
    }
}

void UploadEngine::EndReplay(const std::string& closing, bool afterFailure)
{
    Add(closing);
    if (!m_modes.Open()) {
        Stop(false);
        return;
    }
    if (closing.back() != '\n')
        Add("\r\n");
    // An answer that comes late is let in before the closing lines go.
    m_state = UploadState::Closing;
    m_stopping = true;
    m_closeAttempts = 0;
    m_retrying = false;
    m_periodMs = afterFailure ? kRetryMs : kTickMs;
}

void UploadEngine::CloseModes()
{
    m_flash.RecoverPort();
    for (const rgs::CommandLine& close : rgs::ClosingCommands(m_modes)) {
        CCameraLink::AnswerBuffer answer{};
        std::uint32_t length = close.length;
        const int result = m_link.Transact(close.frame, &length, answer);
        Trace("LoadRegisters2Camera", Format("closing line <%s>: nRet = %d",
                                             rgs::FormatWriteLine(protocol::FrameAddress(close.frame),
                                                                  ValueCoder::BytesToWord(close.frame + 3)).c_str(),
                                             result));
        if (result != 0 || answer[0] != protocol::kAck)
            break;
        m_modes.Apply(close);
    }
    if (!m_modes.Open()) {
        Add(std::string(rgs::kClosingTakenText) + "\r\n");
        Stop(false);
        return;
    }
    if (++m_closeAttempts >= kCloseAttempts) {
        Add(rgs::ClosingRefusedText(m_modes) + "\r\n");
        Stop(false);
        return;
    }
    SetRetrying(true);
}

}  // namespace download
