// The serial channel of the camera link: a Camera Link serial library or a COM port.
// One process-wide lock is held by every Read and every Write of every link, each call on its
// own (a frame and its answer are not held together). Opening and closing take the same lock
// around the steps that change the channel, so a reader on another thread finishes its call
// before the port or library goes away; baud detection runs outside it.
#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

std::mutex& ChannelMutex()
{
    static std::mutex mutex;
    return mutex;
}

/// The low 32 bits of a pointer, as the log lines show references and entries.
template <typename Fn>
unsigned Low32(Fn fn)
{
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(fn));
}

using camera::HexBytes;

constexpr const char* kInit = "CCameraLink::Init";
constexpr const char* kClose = "CCameraLink::Close";
constexpr const char* kCheckPort = "CCameraLink::CheckPort";
constexpr const char* kRead = "CCameraLink::Read";
constexpr const char* kWrite = "CCameraLink::Write";
constexpr const char* kSetBaudRate = "CCameraLink::SetBaudRate";

void LogTimeouts(const ComPort::Timeouts& t)
{
    camera::LinkLog(kInit, "RIT = %d; RTTC = %d; RTTM= %d; WTTC = %d; WTTM= %d ", t.readInterval,
                    t.readTotalConstant, t.readTotalMultiplier, t.writeTotalConstant, t.writeTotalMultiplier);
}

void LogLine(const ComPort::LineSettings& s)
{
    camera::LinkLog(kInit, "BaudRate = %d; ByteSize = %d; Parity= %d; StopBits = %d; fOutxCtsFlow= %d, fOutxDsrFlow = %d ",
                    s.baudRate, s.byteSize, s.parity, s.stopBits, s.ctsFlow ? 1 : 0, s.dsrFlow ? 1 : 0);
}

/// Puts the line to 8N1 without flow control at `rate`, as the camera needs it.
void ApplyCameraLine(ComPort::LineSettings& s, int rate)
{
    s.baudRate = rate;
    s.byteSize = 8;
    s.parity = 0;
    s.stopBits = 0;
    s.ctsFlow = false;
    s.dsrFlow = false;
    s.xonXoffOut = false;
    s.xonXoffIn = false;
}

bool LineDiffers(const ComPort::LineSettings& s, int rate)
{
    return s.baudRate != rate || s.byteSize != 8 || s.parity != 0 || s.ctsFlow || s.dsrFlow ||
           s.xonXoffOut || s.xonXoffIn || !s.raw;
}

}  // namespace

void CCameraLink::ReleaseChannelLocked()
{
    std::lock_guard lock(ChannelMutex());
    if (m_hLibrary.IsLoaded()) {
        // A port left open would stay taken in the grabber and its code would be unmapped
        // under a live reference.
        if (m_bPortOpen && m_cl.clSerialClose)
            m_cl.clSerialClose(m_pInstance);
        m_pInstance = nullptr;
        m_bPortOpen = 0;
        m_cl = ClserEntries{};
        m_hLibrary.Close();
    }
    m_bPortOpen = 0;
    m_hComPort.reset();
}

int CCameraLink::Init(const std::string& name)
{
    ReleaseChannelLocked();
    m_bPortLost = 0;
    m_OpenFailureLog = camera::RepeatFilter{};
    m_strPortName = name;
    m_strModelName.clear();
    return IsClserLibraryName(name) ? InitLibrary(name) : InitComPort(name);
}

int CCameraLink::InitComPort(const std::string& name)
{
    camera::LinkLog(kInit, "---%s---", name.c_str());
    ComPort::LineSettings line;
    {
        std::lock_guard lock(ChannelMutex());
        if (const int result = OpenComPortLocked(name, line); result != 0)
            return result;
    }
    const int result = DetectBaudRate() ? 0 : link_result::kNoCamera;
    if (LoggingLevel() > 0) {
        std::lock_guard lock(ChannelMutex());
        if (m_hComPort && m_hComPort->IsOpen()) {
            LogTimeouts(m_hComPort->GetTimeouts());
            if (m_hComPort->GetLineSettings(line))
                LogLine(line);
        }
    }
    return result;
}

int CCameraLink::OpenComPortLocked(const std::string& name, ComPort::LineSettings& line)
{
    {
        m_hComPort = std::make_unique<ComPort>();
        const int error = m_hComPort->Open(name);
        if (error != 0) {
            m_OpenFailureLog.Failed(kInit, camera::FormatText("open <%s> failed: %s", name.c_str(), std::strerror(error)));
            return link_result::kComOpenFailed;
        }
        m_OpenFailureLog.Succeeded(kInit, camera::FormatText("<%s> opened", name.c_str()));
        ComPort& port = *m_hComPort;
        if (LoggingLevel() > 0)
            LogTimeouts(port.GetTimeouts());
        ComPort::Timeouts t;
        t.readInterval = Settings().GetInt(comm::kSection, comm::kRit, comm::kRitDefault);
        t.readTotalMultiplier = Settings().GetInt(comm::kSection, comm::kRttm, comm::kRttmDefault);
        t.readTotalConstant = Settings().GetInt(comm::kSection, comm::kRttc, comm::kRttcDefault);
        t.writeTotalMultiplier = Settings().GetInt(comm::kSection, comm::kWttm, comm::kWttmDefault);
        t.writeTotalConstant = Settings().GetInt(comm::kSection, comm::kWttc, comm::kWttcDefault);
        port.SetTimeouts(t);
        if (!port.GetLineSettings(line)) {
            camera::LinkLog(kInit, "GetCommState returns: %s", std::strerror(errno));
            m_hComPort.reset();
            return link_result::kComGetStateFailed;
        }
        if (LoggingLevel() > 0)
            LogLine(line);
        const int rate = Settings().GetInt(comm::kSection, comm::kBaudRate, comm::kBaudRateDefault);
        if (LineDiffers(line, rate))
            ApplyCameraLine(line, rate);
        port.SetLineSettings(line);  // a failure shows as a camera that does not answer
    }
    return 0;
}

void CCameraLink::DropLostPortLocked(const char* method, int error)
{
    if (m_hComPort) {
        camera::LinkLog(method, "port <%s> lost: %s; closed until it can be opened again", m_strPortName.c_str(),
                        std::strerror(error));
        m_hComPort.reset();
    } else if (m_bPortOpen) {
        camera::LinkLog(method, "port <%s:%d> lost (%d); closed until it can be opened again", m_strPortName.c_str(),
                        m_nPortIndex, error);
        if (m_cl.clSerialClose)
            m_cl.clSerialClose(m_pInstance);
        m_pInstance = nullptr;
        m_bPortOpen = 0;
    }
    m_bPortLost = 1;
}

int CCameraLink::Reopen()
{
    if (!m_bPortLost)
        return 0;
    std::lock_guard lock(ChannelMutex());
    if (m_hLibrary.IsLoaded()) {
        if (!m_cl.clSerialInit || m_nPortIndex < 0)
            return kClserNoInit;
        const int result = m_cl.clSerialInit(static_cast<std::uint32_t>(m_nPortIndex), &m_pInstance);
        if (result < 0) {
            m_pInstance = nullptr;
            m_OpenFailureLog.Failed(kInit, camera::FormatText("init port <%s:%d> failed: %d", m_strPortName.c_str(),
                                                              m_nPortIndex, result));
            return result;
        }
        m_OpenFailureLog.Succeeded(kInit, camera::FormatText("port <%s:%d> opened", m_strPortName.c_str(), m_nPortIndex));
        m_bPortOpen = 1;
        m_bPortLost = 0;
        return 0;
    }
    ComPort::LineSettings line;
    const int result = OpenComPortLocked(m_strPortName, line);
    if (result != 0) {
        m_hComPort.reset();
        return result;
    }
    m_bPortLost = 0;
    return 0;
}

int CCameraLink::ReopenAtRate()
{
    if (!m_bPortLost)
        return 0;
    const int rate = m_nBaudRate;
    const int result = Reopen();
    if (result == 0 && rate > 0)
        SetBaudRate(rate);
    return result;
}

int CCameraLink::InitLibrary(const std::string& name)
{
    int result = 0;
    {
        std::lock_guard lock(ChannelMutex());
        if (!m_hLibrary.Load(name)) {
            if (m_pMainWindow)
                m_pMainWindow->ShowAppMessage(m_hLibrary.Error(), "Error", kMbOk | kMbIconInformation);
            return kClserLoadFailed;
        }
        result = BindClserEntries(m_hLibrary, m_cl);
        if (result != 0)
            return result;
        if (LoggingLevel() > 0)
            camera::LinkLog(kInit, "m_pfGetBaudRates = %X m_pSetBaudRate = %X", Low32(m_cl.clGetSupportedBaudRates),
                            Low32(m_cl.clSetBaudRate));
        if (m_nPortIndex == -1)
            return 0;
        result = m_cl.clSerialInit(static_cast<std::uint32_t>(m_nPortIndex), &m_pInstance);
        if (LoggingLevel() > 0)
            camera::LinkLog(kInit, "nRet = %d PortNum = %d m_pInstance = 0x%08X", result, m_nPortIndex,
                            Low32(m_pInstance));
        if (result < 0) {
            m_pInstance = nullptr;
            return result;
        }
        // Open before detection: detection talks through this port.
        m_bPortOpen = 1;
    }
    if (m_cl.clSetBaudRate)
        result = DetectBaudRate() ? 0 : link_result::kNoCamera;
    return result;
}

int CCameraLink::Close()
{
    GoOffline();
    if (LoggingLevel() > 1)
        camera::LinkLog(kClose, "Close CameraLink Port");
    m_strModelName.clear();
    m_bLinkAlive = 0;
    // A port that went away was closed then: closing it now succeeds.
    const bool lost = m_bPortLost != 0;
    m_bPortLost = 0;

    std::lock_guard lock(ChannelMutex());
    if (lost && !m_hComPort && !m_bPortOpen) {
        if (m_hLibrary.IsLoaded()) {
            SetPortIndex(-1);
            SetIdentified(false);
        }
        return 0;
    }
    if (m_hComPort) {
        m_hComPort.reset();
        if (LoggingLevel() > 1)
            camera::LinkLog(kClose, "CameraLink Port: <%s> closed", m_strPortName.c_str());
        return 0;
    }
    if (!m_hLibrary.IsLoaded())
        return link_result::kNoChannel;
    if (!m_cl.clSerialClose)
        return link_result::kNoCloseEntry;
    if (!m_bPortOpen)
        return link_result::kPortNotOpen;
    if (LoggingLevel() > 1)
        camera::LinkLog(kClose, "before m_pfClose: m_pInstance = 0x%x", Low32(m_pInstance));
    m_cl.clSerialClose(m_pInstance);
    if (LoggingLevel() > 1)
        camera::LinkLog(kClose, "after m_pfClose: m_pInstance = 0x%x -> will be NULL", Low32(m_pInstance));
    m_pInstance = nullptr;
    m_bPortOpen = 0;
    if (LoggingLevel() > 1)
        camera::LinkLog(kClose, "CameraLink Port: <%s:%d> closed", m_strPortName.c_str(), m_nPortIndex);
    SetPortIndex(-1);
    SetIdentified(false);
    return 0;
}

int CCameraLink::CheckPort(std::uint32_t port)
{
    Close();
    if (LoggingLevel() > 0)
        camera::LinkLog(kCheckPort, "file = %s ;portN= %d", m_strPortName.c_str(), static_cast<int>(port));
    int result = 0;
    {
        std::lock_guard lock(ChannelMutex());
        if (!m_cl.clSerialInit)
            return kClserNoInit;
        SetPortIndex(static_cast<std::int32_t>(port));
        result = m_cl.clSerialInit(port, &m_pInstance);
        if (LoggingLevel() > 0)
            camera::LinkLog(kCheckPort, "init port %d with ret = %d", static_cast<int>(port), result);
        if (result >= 0)
            m_bPortOpen = 1;
        else
            m_pInstance = nullptr;
    }
    if (result == 0) {
        DetectBaudRate();
        return static_cast<int>(port);
    }
    return result;
}

namespace {

/// Moves `wanted` bytes in calls of at most `chunkLimit` bytes until all moved, a call moved
/// none, or a call answered non-zero; answers the last call's result.
template <typename Step>
int MoveInChunks(std::uint32_t wanted, std::uint32_t chunkLimit, std::uint32_t& moved, Step step)
{
    int result = 0;
    while (moved < wanted) {
        std::uint32_t got = 0;
        result = step(moved, std::min(chunkLimit, wanted - moved), got);
        moved += got;
        if (result != 0 || got == 0)
            break;
    }
    return result;
}

}  // namespace

int CCameraLink::LibraryPortState(bool entryBound, int noEntryResult) const
{
    if (!m_hLibrary.IsLoaded())
        return link_result::kNoChannel;
    if (!entryBound)
        return noEntryResult;
    return m_bPortOpen ? 0 : link_result::kPortNotOpen;
}

int CCameraLink::Read(void* buffer, std::uint32_t* count, std::uint32_t timeoutMs)
{
    if (!count || (!buffer && *count))
        return link_result::kComFailed;
    std::lock_guard lock(ChannelMutex());
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const std::uint32_t wanted = *count;
    std::uint32_t moved = 0;
    int result = 0;
    if (m_hComPort) {
        int error = 0;
        // Up to the caller's time-out for the first byte, as a library port waits.
        std::size_t done = 0;
        result = m_hComPort->ReadWithin(bytes, wanted, static_cast<int>(std::min<std::uint32_t>(timeoutMs, 0x7FFFFFFF)),
                                        done, error)
                     ? 0
                     : link_result::kComFailed;
        moved = static_cast<std::uint32_t>(done);
        if (result == 0 && wanted == 1 && moved == 0)
            result = link_result::kComNothingRead;
        if (result != 0 && error != 0 && LoggingLevel() > 1)
            camera::LinkLog(kRead, "read nErr = %d\n%s\n", error, std::strerror(error));
        // A device that hung up or failed stays dead: it is opened again by name.
        if (result != 0 && error != 0 && m_hComPort->IsOpen())
            DropLostPortLocked(kRead, error);
    } else if ((result = LibraryPortState(m_cl.clSerialRead != nullptr, link_result::kNoReadEntry)) == 0) {
        const std::uint32_t chunk = m_nWriteReadByByte ? 1 : wanted;
        result = MoveInChunks(wanted, chunk, moved, [&](std::uint32_t at, std::uint32_t n, std::uint32_t& got) {
            got = n;
            return m_cl.clSerialRead(m_pInstance, reinterpret_cast<char*>(bytes + at), &got, timeoutMs);
        });
        if (result == clser::kErrInvalidReference)
            DropLostPortLocked(kRead, result);
    }
    *count = moved;
    if (LoggingLevel() > 1)
        camera::LinkLog(kRead, "read: %u byte(s) 0x%s nErr = 0x%x", moved, HexBytes(bytes, moved, "%02X").c_str(),
                        static_cast<unsigned>(result));
    return result;
}

int CCameraLink::Write(const void* buffer, std::uint32_t* count, std::uint32_t timeoutMs)
{
    if (!count || (!buffer && *count))
        return link_result::kComFailed;
    std::lock_guard lock(ChannelMutex());
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    const std::uint32_t wanted = *count;
    std::uint32_t moved = 0;
    int result = 0;
    if (LoggingLevel() > 1)
        camera::LinkLog(kWrite, "to write: %u byte(s) 0x%s", wanted, HexBytes(bytes, wanted, "%02x").c_str());
    if (m_hComPort) {
        int error = 0;
        result = MoveInChunks(wanted, wanted, moved, [&](std::uint32_t at, std::uint32_t n, std::uint32_t& got) {
            std::size_t done = 0;
            const bool ok = m_hComPort->WriteFile(bytes + at, n, done, error);
            got = static_cast<std::uint32_t>(done);
            return ok ? 0 : link_result::kComFailed;
        });
        if (result != 0 && error != 0 && LoggingLevel() > 1)
            camera::LinkLog(kWrite, "write nErr = %d\n%s\n", error, std::strerror(error));
        if (result != 0 && error != 0 && m_hComPort->IsOpen())
            DropLostPortLocked(kWrite, error);
    } else if ((result = LibraryPortState(m_cl.clSerialWrite != nullptr, link_result::kNoWriteEntry)) == 0) {
        // The library's buffer argument is not const; it gets a copy.
        std::vector<char> out(bytes, bytes + wanted);
        const std::uint32_t chunk = m_nWriteReadByByte ? 1 : wanted;
        result = MoveInChunks(wanted, chunk, moved, [&](std::uint32_t at, std::uint32_t n, std::uint32_t& got) {
            got = n;
            return m_cl.clSerialWrite(m_pInstance, out.data() + at, &got, timeoutMs);
        });
        if (result == clser::kErrInvalidReference)
            DropLostPortLocked(kWrite, result);
    }
    *count = moved;
    m_nBytesWritten += moved;
    if (LoggingLevel() > 1)
        camera::LinkLog(kWrite, "written: %u byte(s) 0x%s nErr = 0x%x", moved, HexBytes(bytes, moved, "%02x").c_str(),
                        static_cast<unsigned>(result));
    return result;
}

namespace {

/// A line that keeps sending is not drained for ever.
constexpr std::uint32_t kDiscardLimit = 4096;

}  // namespace

int CCameraLink::DiscardPendingInput()
{
    std::lock_guard lock(ChannelMutex());
    if (m_hComPort) {
        if (m_hComPort->DiscardInput())
            return 0;
        const int error = errno;
        if (LoggingLevel() > 1)
            camera::LinkLog(kRead, "discard input nErr = %d\n%s\n", error, std::strerror(error));
        return link_result::kComFailed;
    }
    if (const int state = LibraryPortState(m_cl.clSerialRead != nullptr, link_result::kNoReadEntry); state != 0)
        return state;
    if (m_cl.clFlushPort)
        return m_cl.clFlushPort(m_pInstance);
    // Without the flush entry: read what is waiting, without waiting for more.
    std::uint32_t discarded = 0;
    char byte = 0;
    while (discarded < kDiscardLimit) {
        std::uint32_t n = 1;
        if (m_cl.clSerialRead(m_pInstance, &byte, &n, 0) != 0 || n == 0)
            break;
        ++discarded;
    }
    if (discarded && LoggingLevel() > 1)
        camera::LinkLog(kRead, "discarded: %u byte(s)", discarded);
    return 0;
}

int CCameraLink::SetBaudRate(int rate)
{
    std::lock_guard lock(ChannelMutex());
    if (m_hComPort) {
        if (LoggingLevel() > 2)
            camera::LinkLog(kSetBaudRate, "COM port handle = 0x%08X", static_cast<unsigned>(m_hComPort->Handle()));
        ComPort::LineSettings line;
        if (!m_hComPort->GetLineSettings(line)) {
            const int error = errno;
            camera::LinkLog(kSetBaudRate, "SetBaudRate:GetCommState with error ->GetLastError = %d <0x%08X>", error,
                            static_cast<unsigned>(error));
            return link_result::kComFailed;
        }
        if (LineDiffers(line, rate))
            ApplyCameraLine(line, rate);
        if (m_hComPort->SetLineSettings(line)) {
            if (LoggingLevel() > 2)
                camera::LinkLog(kSetBaudRate, "SetBaudRate:SetCommState BaudRate=%d,ByteSize=%d,Parity=%d,StopBits = %d",
                                line.baudRate, line.byteSize, line.parity, line.stopBits);
            m_nBaudRate = rate;
            return 0;
        }
        const int error = errno;
        if (LoggingLevel() > 2)
            camera::LinkLog(kSetBaudRate, "SetBaudRate:SetCommState with error ->GetLastError = %d <0x%08X>,\r\n %s",
                            error, static_cast<unsigned>(error), std::strerror(error));
        return link_result::kComFailed;
    }
    if (!m_hLibrary.IsLoaded() || !m_cl.clSetBaudRate)
        return link_result::kComFailed;

    std::uint32_t supported = 0;
    if (m_cl.clGetSupportedBaudRates) {
        const int e = m_cl.clGetSupportedBaudRates(m_pInstance, &supported);
        if (LoggingLevel() > 0)
            camera::LinkLog(kSetBaudRate,
                            "GetSupportedBaudRates(m_pInstance=<0x%08x>, &nBdRates)nBdRates = %d <%08x> with errCode=%d",
                            Low32(m_pInstance), static_cast<int>(supported), supported, e);
    } else {
        // A library without the rate query is taken to offer all five rates.
        supported = clser::kAllBaudRates;
    }
    const std::uint32_t bit = clser::BaudRateBit(rate);
    if (bit == 0) {
        camera::LinkLog(kSetBaudRate, "BaudRate=%d does not supported by camera", rate);
        return link_result::kComFailed;
    }
    int e = clser::kErrBaudRateNotSupported;
    if (supported & bit) {
        e = m_cl.clSetBaudRate(m_pInstance, bit);
        if (e == 0) {
            if (LoggingLevel() > 0)
                camera::LinkLog(kSetBaudRate, "SetBaudRate:m_pSetBaudRate BaudRate=%d, %d", rate, static_cast<int>(bit));
            m_nBaudRate = rate;
            return 0;
        }
    }
    camera::LinkLog(kSetBaudRate, "SetBaudRate:m_pSetBaudRate err = %d, <0x%08X>", e, static_cast<unsigned>(e));
    return link_result::kComFailed;
}
