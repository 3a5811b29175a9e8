#include "tools/UploadEngine.h"

#include "camera/CameraLink.h"
#include "tools/DownloadParsers.h"

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

bool IsLargeSensorConfig(int configIndex) { return configIndex == 5 || configIndex == 9 || configIndex == 11; }

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
    m_failures = 0;
    m_command = 0;
    m_byteIndex = 0;
    m_page = m_target.readBackFirst;
    m_lastPage = IsDefectType(type) ? m_target.readBackEnd : m_target.writePages;
    m_progressMax = m_lastPage;
    m_progressPos = 0;

    const std::optional<std::string> bytes = LoadFileBytes(path);
    if (!bytes) {
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
    case UploadState::Replaying: ReplayCommand(); break;
    }
}

void UploadEngine::Cancel()
{
    if (!Running())
        return;
    m_state = UploadState::Idle;
    m_periodMs = 0;
    m_progressPos = 0;
    Add("\nOperation was aborted");
}

void UploadEngine::Stop(bool leaveSupervisor)
{
    m_state = UploadState::Idle;
    m_periodMs = 0;
    m_phaseStarted = false;
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
                m_progressPos = 0;
                Stop(false);
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
            Add("Lost connection. Operation aborted.\r\n");
            Stop(true);
            return;
        }
        Add(Format("Data has been read from page #%d\r\n", p));
        m_page = p + 1;
        SetKb(m_kbTotal - (m_lastPage - p - 1) * 0.25);
        m_progressPos = m_page;
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
    Add(Format("Erasing %s before programming...\r\n\r\n", sector));
    if (!m_flash.SetSupervisorMode(true) || !m_flash.EraseFlashSector(m_target.sector)) {
        Stop(true);
        Trace("EraseSectors", "Kill EraseSectors. Erase Error");
        Add(Format("Error in %s Erase\r\n\r\n", sector));
        return;
    }
    m_page = 0;
    m_lastPage = PagesToWrite(m_type, m_target, m_image);
    m_kbTotal = m_lastPage * 0.25;
    m_progressMax = m_lastPage;
    m_progressPos = 0;
    Add(Format("%s is erased\r\n\r\n", sector));
    m_state = UploadState::Writing;
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
                m_progressPos = 0;
                Stop(false);
                return;
            }
            Add(Format("Writing of %d pages to %s...\r\n\r\n", m_lastPage, sector));
        }
        const int p = m_page;
        const std::uint8_t* data = m_image.bytes.data() + static_cast<std::size_t>(p) * kPageSize;
        if (!m_flash.WriteFlashPage(m_target.sector, p % 256, data)) {
            AppendWritePages(Format("sector=%i, page=%i - write failed\n", m_target.sector, p % 256));
            Trace("WritePages", "Kill WritePages. Write Error");
            Add("Lost connection. Operation aborted.\r\n");
            Stop(true);
            return;
        }
        std::string line = Format("sector=%i, page=%i, buffSize=%i, data: ", m_target.sector, p % 256,
                                  static_cast<int>(kPageSize));
        for (int i = 0; i < 16; ++i)
            line += Format("%02X ", data[i]);
        AppendWritePages(line + "...\n");
        Add(Format("Data has been written to page #%d\r\n", p));
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

void UploadEngine::ReplayCommand()
{
    if (m_failures >= 3) {
        Trace("LoadRegisters2Camera", "LoadData2Camera <- Aborted");
        Add("Operation aborted.\r\n");
        m_progressPos = 0;
        Stop(false);
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
        if (result == 0 && answer[0] == 0x06)
            m_failures = 0;
        else
            ++m_failures;
        if (result == 0) {
            m_byteIndex += c.length;
            ++m_command;
        } else if (result < 0) {
            // The channel is gone: the rest of the file would only fail the same way.
            Trace("LoadRegisters2Camera", "LoadData2Camera <- Aborted");
            Add("Operation aborted.\r\n");
            m_progressPos = 0;
            Stop(false);
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

}  // namespace download
