// The register protocol of the camera link: one exchange is a frame, a wait the camera may
// need before it answers, the status byte and, after an accepted read, the data word. The
// channel lock is taken by each read and write on its own, not across the exchange. Refusals
// are shown here: through the panel that owns the operation, an application message box, or
// the error dialog when the session cannot go on.
#include "camera/CameraLink.h"
#include "camera/LinkText.h"

#include <algorithm>
#include <chrono>

struct CCameraLink::ExchangeTiming {
    std::uint32_t writeTimeoutMs;
    std::uint32_t readTimeoutMs;
    int drainLimit;
    /// A status byte that does not come leaves the link alive (flash exchanges: the flash may
    /// be busy).
    bool statusFailureKeepsAlive;
};

namespace protocol {

std::string CameraErrorText(int code)
{
    if (code >= 0 && static_cast<std::size_t>(code) < kCameraErrorTexts.size())
        return kCameraErrorTexts[static_cast<std::size_t>(code)];
    return camera::FormatText("Undef. Error %d", code);
}

const char* UartErrorText(int code)
{
    if (code >= 0 && static_cast<std::size_t>(code) < kUartErrorTexts.size())
        return kUartErrorTexts[static_cast<std::size_t>(code)];
    return "reserved";
}

const char* ParamTypeName(int type)
{
    if (type >= 0 && static_cast<std::size_t>(type) < kOrvParamTypeNames.size())
        return kOrvParamTypeNames[static_cast<std::size_t>(type)];
    return "OrvParam_Unknown";
}

int DecodeFlashStatus(std::uint8_t statusByte)
{
    if (statusByte & 0x01)
        return kFlashBit0;
    if (statusByte & 0x04)
        return kFlashBit2;
    if (statusByte & 0x02)
        return kFlashBit1;
    return 0;
}

}  // namespace protocol

namespace {

constexpr const char* kClosingAdvice = "\n Application should be closed\n Camera should be reloaded";

/// Registers that need the camera's time before it answers, and how long (ms).
struct DelayRow {
    bool writeOnly;
    std::uint16_t address;
    int delayMs;
};
constexpr DelayRow kPostWriteDelays[] = {
    {true, 0x606C, 1000},  // MfgSave
    {true, 0x6064, 1000},  // BootLoad
    {true, 0x6068, 1000},  // BootSave
    {true, 0x6060, 448},   // BootSelector
    {true, 0x5000, 448},   // BootFrom
    {true, 0x010C, 500},   // OutputFormat
    {false, 0x0608, 500},
};

}  // namespace

int CCameraLink::GetPostWriteDelay(const std::uint8_t* frame, std::uint32_t length) const
{
    if (!frame || length < protocol::kReadFrameSize)
        return 0;
    const std::uint16_t address = protocol::FrameAddress(frame);
    const bool write = frame[0] == protocol::kWriteCommand;
    for (const DelayRow& row : kPostWriteDelays)
        if (row.address == address && (write || !row.writeOnly))
            return row.delayMs;
    return 0;
}

int CCameraLink::Exchange(const std::uint8_t* frame, std::uint32_t* length, AnswerBuffer& answer,
                          const ExchangeTiming& timing)
{
    // A script run owns the camera's answers: a frame of ours would take one of them.
    if (m_ChannelOwner.Holder() == ChannelUser::Script) {
        *length = 0;
        return link_result::kChannelBusy;
    }
    std::uint32_t received = 0;
    int result = 0;
    m_bLinkAlive = 0;
    const std::uint32_t frameLength = *length;
    std::uint32_t n = frameLength;
    // An answer that came after its time-out, or twice, would be read as this frame's.
    DiscardPendingInput();
    result = Write(frame, &n, timing.writeTimeoutMs);
    if (result == 0 && n != frameLength)
        result = link_result::kShortTransfer;
    if (result == 0) {
        m_bLinkAlive = 1;
        if (const int delay = GetPostWriteDelay(frame, frameLength); delay > 0)
            m_pClock->SleepFor(std::chrono::milliseconds(delay));

        n = 1;
        result = Read(answer.data(), &n, timing.readTimeoutMs);
        received += n;
        if (result == 0 && n != 1)
            result = link_result::kShortTransfer;
        if (result != 0) {
            if (!timing.statusFailureKeepsAlive)
                m_bLinkAlive = 0;
        } else if (answer[0] == protocol::kAck) {
            if (frameLength >= 1 && frame[0] == protocol::kReadCommand) {
                n = 4;
                result = Read(answer.data() + 1, &n, timing.readTimeoutMs);
                received += n;
                if (result == 0 && n != 4)
                    result = link_result::kShortTransfer;
                // Data that did not come in full is no answer: the camera is off the line.
                if (result != 0)
                    m_bLinkAlive = 0;
            }
        } else {
            // A refusal: whatever the camera sends after its status byte is kept in order, so
            // byte 1 stays the error code of a refused write.
            for (int i = 0; i < timing.drainLimit; ++i) {
                std::uint8_t byte = 0;
                n = 1;
                if (Read(&byte, &n, timing.readTimeoutMs) != 0 || n == 0)
                    break;
                if (received < answer.size())
                    answer[received] = byte;
                ++received;
            }
            result = link_result::kRefused;
        }
    }
    *length = received;
    GoOfflineIfLost();
    return result;
}

int CCameraLink::Transact(const std::uint8_t* frame, std::uint32_t* length, AnswerBuffer& answer)
{
    if (!frame || !length || *length == 0)
        return link_result::kComFailed;
    const auto timeout = static_cast<std::uint32_t>(m_nTimeout);
    return Exchange(frame, length, answer, ExchangeTiming{timeout, timeout, protocol::kDrainLimit, false});
}

int CCameraLink::TransactFixedTimeout(const std::uint8_t* frame, std::uint32_t* length, AnswerBuffer& answer)
{
    if (!frame || !length || *length == 0)
        return link_result::kComFailed;
    return Exchange(frame, length, answer,
                    ExchangeTiming{protocol::kFlashWriteTimeoutMs, protocol::kFlashReadTimeoutMs,
                                   protocol::kFlashDrainLimit, true});
}

int CCameraLink::ReadRegisterBytes(std::uint16_t address, std::uint8_t bytes[4])
{
    const protocol::ReadFrameBytes frame = protocol::ReadFrame(address);
    AnswerBuffer answer{};
    std::uint32_t length = frame.size();
    if (Transact(frame.data(), &length, answer) != 0 || answer[0] != protocol::kAck)
        return 1;
    std::copy_n(answer.begin() + 1, 4, bytes);
    return 0;
}

namespace {

bool IsFlashStatusRead(const std::uint8_t* frame, bool withExtended)
{
    if (frame[0] != protocol::kReadCommand)
        return false;
    const std::uint16_t address = protocol::FrameAddress(frame);
    return address == protocol::kParamFlashStatus || address == protocol::kEpcsFlashStatus ||
           (withExtended && address == protocol::kFlashStatusExtended);
}

}  // namespace

int CCameraLink::SendRawCommand(const std::uint8_t frame[7])
{
    if (!frame)
        return link_result::kComFailed;
    // A read frame is three bytes; four more would reach the camera as a frame of their own.
    std::uint32_t length = frame[0] == protocol::kReadCommand ? protocol::kReadFrameSize : protocol::kWriteFrameSize;
    AnswerBuffer answer{};
    const int result = Transact(frame, &length, answer);
    if (result == 0 && IsFlashStatusRead(frame, false))
        return protocol::DecodeFlashStatus(answer[4]);
    return result;
}

int CCameraLink::SetSupervisorMode(bool on)
{
    return SendRawCommand(protocol::WriteFrame(protocol::kSupervisorRegister, on ? protocol::kSupervisorPassword : 0).data());
}

int CCameraLink::SendFlashCommand(const std::uint8_t* frame, std::uint32_t length)
{
    if (!frame || length < protocol::kReadFrameSize)
        return link_result::kComFailed;
    AnswerBuffer answer{};
    const int result = TransactFixedTimeout(frame, &length, answer);
    if (result == 0 && IsFlashStatusRead(frame, true))
        return protocol::DecodeFlashStatus(answer[4]);
    return result;
}

bool CCameraLink::RunErrorDialog(const std::string& text, std::uint8_t status, bool refreshTerminal)
{
    int button = kIdOk;
    if (m_pMainWindow)
        button = m_pMainWindow->ShowErrorDialog(text);
    const bool disabled = button == kIdCancel;
    if (disabled) {
        if (ITerminalSink* terminal = m_pMainWindow ? m_pMainWindow->Terminal() : nullptr)
            terminal->SetErrorCheckingDisabled(refreshTerminal);
        SetCheckErrorDisabled(true);
    }
    m_nLastStatus = status;
    {
        // Refusals met while the camera is identified again are not reported once more: an
        // operator answering "OK" to a camera that keeps refusing would never get out.
        const std::uint8_t saved = m_bReportingError;
        m_bReportingError = 1;
        ReadCameraInfo();
        m_bReportingError = saved;
    }
    GoOnlineIfAlive();
    m_nLastStatus = status;
    return !disabled;
}

bool CCameraLink::ReportWriteError(const AnswerBuffer& answer, const char* name, std::uint8_t status)
{
    const int code = answer[1];
    std::string text = camera::FormatText("Write <%s> param to camera\n %s [ID=%d]", name ? name : "",
                                          protocol::CameraErrorText(code).c_str(), code);
    if (code == 0 || m_bNotIdentified) {
        text += kClosingAdvice;
        return RunErrorDialog(text, status, true);
    }
    if (m_pErrorOwner) {
        m_pErrorOwner->ShowMessageW(text, nullptr, kMbIconExclamation | kMbTaskModal | kMbTopmost);
        m_pErrorOwner->BringToTop();
    } else if (m_pMainWindow) {
        m_pMainWindow->ShowAppMessage(text, kAppCaption, kMbOk);
    }
    m_nLastStatus = status;
    return true;
}

bool CCameraLink::ReportReadError(std::uint8_t status, const char* name)
{
    m_nLastStatus = status;
    const int code = status & 0x0F;
    const int uart = status >> 4;
    if (code != 0) {
        std::string text = camera::FormatText("Read <%s> param to camera\n %s [ID=%d]", name ? name : "",
                                              protocol::CameraErrorText(code).c_str(), code);
        if (m_bNotIdentified) {
            text += kClosingAdvice;
            return RunErrorDialog(text, status, false);
        }
        if (m_pErrorOwner)
            m_pErrorOwner->ShowMessageW(text, nullptr, kMbTaskModal | kMbTopmost);
        else if (m_pMainWindow)
            m_pMainWindow->ShowAppMessage(text, kAppCaption, kMbOk);
        return true;
    }
    if (uart != 0) {
        const std::string text = camera::FormatText("UART Error [%d] on read <%s> param to camera\n %s", uart,
                                                    name ? name : "", protocol::UartErrorText(uart));
        if (m_pMainWindow)
            m_pMainWindow->ShowAppMessage(text, kAppCaption, kMbOk);
        return true;
    }
    return false;
}
