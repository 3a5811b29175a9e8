// The camera's parameter flash, spoken to over the camera link: the supervisor step, erasing
// a sector, reading words and programming a page. Every status poll has a bound; a flash
// failure bit, a refusal, a lost exchange or a poll past its bound ends the operation with
// false and the reason in LastError(). A port that went away is opened again (at the rate the
// line ran at) before each step, so a step tried again after the port came back reaches the
// camera: while a flash operation holds the channel nobody else reopens it. Shared by the
// download terminal and the defect-map editor. No Qt.
#pragma once

#include "camera/RegisterProtocol.h"
#include "platform/Clock.h"

#include <cstdint>
#include <string>

class CCameraLink;

namespace flash {

/// The flash's geometry, as the camera's protocol gives it.
inline constexpr std::uint32_t kPageBytes = protocol::kFlashPageBytes;
inline constexpr std::uint32_t kSectorBytes = protocol::kFlashSectorBytes;
inline constexpr int kSectorCount = protocol::kFlashSectors;

/// Erase status polls come this far apart, at most kErasePollLimit of them (30 s).
inline constexpr int kErasePollIntervalMs = 100;
inline constexpr int kErasePollLimit = 300;
/// Busy answers tolerated after a read-word command or a page block or program command.
inline constexpr int kBusyPollLimit = 2000;

/// The operator's name of a sector ("Factory Sector" … "MNG Sector"); "" out of range.
const char* SectorName(int sector);

class FlashAccess {
public:
    /// The link must outlive this object; `clock` (null: the real one) paces the erase polls.
    explicit FlashAccess(CCameraLink& link, platform::IClock* clock = nullptr);

    /// Writes the password (true) or 0 (false) to the supervisor register. True when accepted.
    bool SetSupervisorMode(bool on);
    /// Erases a whole sector and waits until the flash is ready again.
    bool EraseFlashSector(int sector);

    /// The same erase in steps, for a caller that keeps its window responsive: StartErase sends
    /// the command; each PollErase then waits one poll interval and reads the status once.
    enum class EraseProgress { Busy, Done, Failed };
    bool StartErase(int sector);
    /// Failed also after kErasePollLimit busy answers, or when no erase was started.
    EraseProgress PollErase();
    /// Reads the words at byte offsets start, start + 4 … end − 4 of the sector into `dst`,
    /// each most significant byte first. Offsets must be multiples of 4 with
    /// 0 ≤ start < end ≤ 0x10000; otherwise false and nothing is sent.
    bool ReadFlashWords(int sector, std::uint8_t* dst, std::uint32_t start, std::uint32_t end);
    /// Sends the 256 bytes of `src` as the page block, then programs page `page` of the sector.
    bool WriteFlashPage(int sector, int page, const std::uint8_t* src);

    /// Why the last operation failed ("" after a success).
    const std::string& LastError() const { return m_error; }
    /// The last operation failed because the camera did not answer (not a refusal, not a
    /// flash failure): what it did with the command is unknown.
    bool NoAnswer() const { return m_noAnswer; }

    /// Opens a lost port again and gives the line its rate back; nothing while the port is there.
    void RecoverPort();

private:
    bool Command(std::uint8_t op, int sector, std::uint8_t b1, std::uint8_t b0, const char* what);
    /// Polls the status without a pause while it reads busy; false on failure bits, a
    /// refusal, a lost exchange or too many busy answers.
    bool WaitReady(const char* what);
    bool Fail(std::string text);
    /// Fails with the text of a link or flash status result.
    bool FailResult(const char* what, int result);

    CCameraLink& m_link;
    platform::IClock* m_clock;
    std::string m_error;
    bool m_noAnswer = false;
    int m_erasePolls = kErasePollLimit;  ///< polls of the running erase; the limit: none running
};

}  // namespace flash
