#include "tools/FlashAccess.h"

#include "camera/CameraLink.h"
#include "camera/RegisterProtocol.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace flash {

namespace {

constexpr std::array<const char*, kSectorCount> kSectorNames = {
    "Factory Sector", "User1 Sector", "User2 Sector", "User3 Sector", "User4 Sector", "LUT1 Sector",
    "LUT2 Sector",    "LUT3 Sector",  "LUT4 Sector",  "DPM Sector",   "BPM Sector",   "FFC1 Sector",
    "FFC2 Sector",    "AFE Sector",   "E Sector",     "MNG Sector"};

/// Flash status polls and data reads.
constexpr protocol::ReadFrameBytes kStatusRead = protocol::ReadFrame(protocol::kParamFlashStatus);
constexpr protocol::ReadFrameBytes kDataRead = protocol::ReadFrame(protocol::kFlashDataRegister);

std::string Describe(const char* what, int result)
{
    char text[96];
    switch (result) {
    case protocol::kFlashBit2:
    case protocol::kFlashBit1:
        std::snprintf(text, sizeof text, "%s: flash failure (status %d)", what, result);
        break;
    case link_result::kRefused:
        std::snprintf(text, sizeof text, "%s: refused by the camera", what);
        break;
    default:
        std::snprintf(text, sizeof text, "%s: no answer (%d)", what, result);
        break;
    }
    return text;
}

}  // namespace

const char* SectorName(int sector)
{
    return sector >= 0 && sector < kSectorCount ? kSectorNames[static_cast<std::size_t>(sector)] : "";
}

FlashAccess::FlashAccess(CCameraLink& link, platform::IClock* clock)
    : m_link(link), m_clock(clock ? clock : &platform::DefaultClock())
{
}

bool FlashAccess::Fail(std::string text)
{
    m_error = std::move(text);
    m_noAnswer = false;
    return false;
}

bool FlashAccess::FailResult(const char* what, int result)
{
    Fail(Describe(what, result));
    m_noAnswer = result != protocol::kFlashBit2 && result != protocol::kFlashBit1 && result != link_result::kRefused;
    return false;
}

void FlashAccess::RecoverPort() { m_link.ReopenAtRate(); }

bool FlashAccess::SetSupervisorMode(bool on)
{
    m_error.clear();
    RecoverPort();
    const int result = m_link.SetSupervisorMode(on);
    return result == 0 || FailResult("supervisor mode", result);
}

bool FlashAccess::Command(std::uint8_t op, int sector, std::uint8_t b1, std::uint8_t b0, const char* what)
{
    const std::uint32_t word = (static_cast<std::uint32_t>(op) << 24) | (static_cast<std::uint32_t>(sector & 0xFF) << 16) |
                               (static_cast<std::uint32_t>(b1) << 8) | b0;
    const protocol::WriteFrameBytes frame = protocol::WriteFrame(protocol::kFlashControlRegister, word);
    const int result = m_link.SendFlashCommand(frame.data(), static_cast<std::uint32_t>(frame.size()));
    return result == 0 || FailResult(what, result);
}

bool FlashAccess::WaitReady(const char* what)
{
    for (int i = 0; i < kBusyPollLimit; ++i) {
        const int result = m_link.SendFlashCommand(kStatusRead.data(), static_cast<std::uint32_t>(kStatusRead.size()));
        if (result == 0)
            return true;
        if (result != protocol::kFlashBit0)
            return FailResult(what, result);
    }
    return Fail(std::string(what) + ": the flash stays busy (time-out)");
}

bool FlashAccess::EraseFlashSector(int sector)
{
    if (!StartErase(sector))
        return false;
    EraseProgress progress = EraseProgress::Busy;
    while (progress == EraseProgress::Busy)
        progress = PollErase();
    return progress == EraseProgress::Done;
}

bool FlashAccess::StartErase(int sector)
{
    m_error.clear();
    RecoverPort();
    m_erasePolls = kErasePollLimit;
    if (sector < 0 || sector >= kSectorCount)
        return Fail("erase: no such sector");
    if (!Command(protocol::kFlashErase, sector, 0, 0, "erase"))
        return false;
    m_erasePolls = 0;
    return true;
}

FlashAccess::EraseProgress FlashAccess::PollErase()
{
    if (m_erasePolls >= kErasePollLimit) {
        Fail("erase: the flash stays busy (time-out)");
        return EraseProgress::Failed;
    }
    ++m_erasePolls;
    m_clock->SleepFor(std::chrono::milliseconds(kErasePollIntervalMs));
    RecoverPort();
    CCameraLink::AnswerBuffer answer{};
    std::uint32_t length = kStatusRead.size();
    const int result = m_link.TransactFixedTimeout(kStatusRead.data(), &length, answer);
    if (result != 0 || answer[0] != protocol::kAck) {
        FailResult("erase", result != 0 ? result : link_result::kRefused);
        m_erasePolls = kErasePollLimit;
        return EraseProgress::Failed;
    }
    const std::uint8_t status = answer[4];
    if (status & 0x01) {
        if (m_erasePolls < kErasePollLimit)
            return EraseProgress::Busy;
        Fail("erase: the flash stays busy (time-out)");
        return EraseProgress::Failed;
    }
    m_erasePolls = kErasePollLimit;
    if (status & 0x06) {
        FailResult("erase", protocol::DecodeFlashStatus(status));
        return EraseProgress::Failed;
    }
    return EraseProgress::Done;
}

bool FlashAccess::ReadFlashWords(int sector, std::uint8_t* dst, std::uint32_t start, std::uint32_t end)
{
    m_error.clear();
    if (!dst || sector < 0 || sector >= kSectorCount || start % 4 != 0 || end % 4 != 0 || start >= end ||
        end > kSectorBytes)
        return Fail("read: offsets out of range");
    RecoverPort();
    for (std::uint32_t offset = start; offset < end; offset += 4) {
        if (!Command(protocol::kFlashReadWord, sector, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                     "read") ||
            !WaitReady("read"))
            return false;
        CCameraLink::AnswerBuffer answer{};
        std::uint32_t length = kDataRead.size();
        const int result = m_link.TransactFixedTimeout(kDataRead.data(), &length, answer);
        if (result != 0 || answer[0] != protocol::kAck)
            return FailResult("read", result != 0 ? result : link_result::kRefused);
        for (int i = 0; i < 4; ++i)
            dst[offset - start + static_cast<std::uint32_t>(i)] = answer[static_cast<std::size_t>(1 + i)];
    }
    return true;
}

bool FlashAccess::WriteFlashPage(int sector, int page, const std::uint8_t* src)
{
    m_error.clear();
    if (!src || sector < 0 || sector >= kSectorCount || page < 0 || page >= static_cast<int>(kSectorBytes / kPageBytes))
        return Fail("write: no such page");
    RecoverPort();
    std::array<std::uint8_t, 3 + kPageBytes + 1> block{};
    block[0] = protocol::kPageBlockCommand;
    std::uint8_t sum = 0;
    for (std::uint32_t i = 0; i < kPageBytes; ++i) {
        block[3 + i] = src[i];
        sum = static_cast<std::uint8_t>(sum + src[i]);
    }
    block[3 + kPageBytes] = static_cast<std::uint8_t>(-sum);
    const int result = m_link.SendFlashCommand(block.data(), static_cast<std::uint32_t>(block.size()));
    if (result != 0)
        return FailResult("write", result);
    return WaitReady("write") && Command(protocol::kFlashProgram, sector, static_cast<std::uint8_t>(page), 0, "write") &&
           WaitReady("write");
}

}  // namespace flash
