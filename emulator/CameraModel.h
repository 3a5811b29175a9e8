// The emulated camera: 32-bit registers by 16-bit address, spoken to with the camera's frames
// (read "52 AH AL", write "57 AH AL D3 D2 D1 D0") and answering with a status byte (0x06
// accepts; an accepted read is followed by the data word, most significant byte first).
// Faults are scripted: refusals (per address, or once), silence, partial answers, answers held
// back until the host has given up on them, answers sent twice, per-register delays, and a line
// rate the camera answers at. A frame begun and not finished within the receive time-out is
// forgotten. Every complete frame is logged.
// The model is plain, single-threaded code; each transport guards it with its own lock.
#pragma once

#include "camera/RegisterProtocol.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace emu {

using protocol::kAck;
using protocol::kReadCommand;
using protocol::kWriteCommand;
/// Status byte of a refused write (the error code follows it).
inline constexpr std::uint8_t kWriteRefusal = 0x15;
/// Camera error code "Invalid command", sent after an unknown command byte.
inline constexpr std::uint8_t kInvalidCommandCode = 0x01;

/// Registers of the identity, as the camera keeps them.
inline constexpr std::uint16_t kPingRegister = 0x600C;
inline constexpr std::uint32_t kPingValue = 0x76543210;
inline constexpr std::uint16_t kCamCodeRegister = 0x603C;
inline constexpr std::uint16_t kCcdTypeRegister = 0x6004;
inline constexpr std::uint16_t kBootFromRegister = 0x5000;
inline constexpr std::uint16_t kModelTextRegister = 0x7028;  ///< five words
inline constexpr std::uint16_t kSerialTextRegister = 0x7010; ///< two words
/// The UART's rate: an index into kBaudRates in the low three bits. A write the camera accepts
/// is answered at the old rate; the camera listens at the new one from then on.
using protocol::kBaudRateRegister;
inline constexpr std::uint32_t kBaudRateMask = 0x07;
inline constexpr int kBaudRates[] = {9600, 19200, 38400, 57600, 115200};

/// The parameter flash: 16 sectors of 256 pages of 256 bytes, erased to 0xFF. Flash commands
/// are taken only in supervisor mode (the password written to the supervisor register).
/// Outside it the control register is a plain register. A page block "59 00 00" + 256 bytes +
/// checksum (all 259 data bytes sum to 0) fills the page buffer; the control register then takes "01 ss 00 00" (erase sector ss), "03 ss pp 00"
/// (program page pp of sector ss from the page buffer) or "04 ss oH oL" (put the word at
/// that offset into the data register). Status bit 0 is busy; bits 1 and 2 report failure.
using protocol::kFlashControlRegister;
using protocol::kFlashDataRegister;
using protocol::kFlashErase;
using protocol::kFlashPageBytes;
using protocol::kFlashProgram;
using protocol::kFlashReadWord;
using protocol::kFlashSectorBytes;
using protocol::kFlashSectors;
using protocol::kPageBlockCommand;
using protocol::kSupervisorPassword;
using protocol::kSupervisorRegister;
inline constexpr std::uint16_t kFlashStatusRegister = protocol::kParamFlashStatus;
inline constexpr std::size_t kPageBlockSize = 3 + kFlashPageBytes + 1;
/// Error code of a flash command or page block the camera refuses (a page block outside
/// supervisor mode or with a wrong checksum, an unknown command or a sector out of range).
inline constexpr std::uint8_t kFlashRefusedCode = 0x0B;

enum class FaultKind : int {
    None = 0,
    Refuse = 1,   ///< a read answers `status`; a write answers `status`, `code`
    Silence = 2,  ///< the frame is heard and dropped; nothing answers
    Partial = 3,  ///< only the first `partialBytes` bytes of the proper answer
    Late = 4,     ///< the proper answer is held back until the transport lets it out (TakeLateAnswers)
    Doubled = 5,  ///< the proper answer, sent twice in a row
};

struct Fault {
    FaultKind kind = FaultKind::None;
    std::uint8_t status = kWriteRefusal;
    std::uint8_t code = 0;
    int extraBytes = 0;     ///< bytes sent after a refusal (0xE0, 0xE1 …)
    int partialBytes = 0;
};

/// One answer to one frame; the transport delivers it `delayMs` after the frame arrived.
struct Answer {
    std::vector<std::uint8_t> bytes;
    int delayMs = 0;
};

struct FrameRecord {
    std::vector<std::uint8_t> bytes;
    int hostBaud = 0;   ///< the rate the host's side of the line ran at
};

class CameraModel {
public:
    CameraModel();

    /// Factory state: identity registers, 9600 baud, no faults, empty log.
    void Reset();

    void SetRegister(std::uint16_t address, std::uint32_t value);
    /// Replaces every register by the words of `image` (a register not in it reads 0), for a
    /// camera that starts from its register map (see RegisterImage.h).
    void LoadRegisters(const std::map<std::uint16_t, std::uint32_t>& image) { registers_ = image; }
    std::uint32_t Register(std::uint16_t address) const;
    /// Puts text into `words` consecutive registers from `first`, four characters each, the
    /// first character in the most significant byte, zero-padded.
    void SetTextRegisters(std::uint16_t first, int words, const std::string& text);

    /// The rate the camera's UART runs at; bytes sent at another rate are lost. One of the
    /// listed rates is also put into the rate register.
    void SetBaudRate(int rate);
    int BaudRate() const { return baudRate_; }
    /// At a wrong rate the camera hears noise and answers each lost byte with 0x00 noise
    /// instead of staying silent.
    void SetNoiseOnMismatch(bool noise) { noiseOnMismatch_ = noise; }

    /// Every frame to `address` gets this fault until cleared.
    void SetAddressFault(std::uint16_t address, const Fault& fault);
    void ClearAddressFault(std::uint16_t address);
    /// The next frame (to `address`, or to any address when it is negative) gets this fault.
    void ScriptFault(int address, const Fault& fault);
    /// Answers to frames for `address` come this many milliseconds late.
    void SetDelay(std::uint16_t address, int delayMs);

    /// Bytes the host sent with its side at `hostBaud`, arriving at `nowMs` on the transport's
    /// clock. Complete frames are answered into `out`.
    void Receive(const std::uint8_t* data, std::size_t size, int hostBaud, std::vector<Answer>& out,
                 std::uint64_t nowMs = 0);
    /// Forgets a frame begun but not finished (the camera's receive time-out).
    void DropPendingFrame() { pending_.clear(); }
    /// A frame whose next byte comes more than `ms` after the one before is forgotten; 0 never
    /// forgets (the factory state).
    void SetReceiveTimeoutMs(int ms) { receiveTimeoutMs_ = ms; }
    /// The answers held back by FaultKind::Late, oldest first; the camera no longer holds them.
    std::vector<Answer> TakeLateAnswers();

    /// The flash bytes [offset, offset + count) of a sector (clipped to the sector).
    std::vector<std::uint8_t> FlashBytes(int sector, std::uint32_t offset, std::uint32_t count) const;
    /// Puts bytes into the flash as they stand (a camera that left the factory programmed).
    void SetFlashBytes(int sector, std::uint32_t offset, const std::vector<std::uint8_t>& bytes);
    /// Every flash command and page block reads busy for this many status polls before it ends.
    void SetFlashBusyPolls(int polls) { flashBusyPolls_ = polls < 0 ? 0 : polls; }
    /// The next flash command of kind `command` (erase, program, read word) does nothing and
    /// ends with these status bits (1 and 2 are the failure bits).
    void FailNextFlashCommand(std::uint8_t command, std::uint8_t statusBits) { flashFailures_[command] = statusBits; }
    bool SupervisorMode() const { return supervisor_; }
    /// Flash commands of that kind the camera carried out.
    int FlashCommandCount(std::uint8_t command) const;

    const std::vector<FrameRecord>& Frames() const { return frames_; }
    void ClearFrames() { frames_.clear(); }
    std::size_t LostBytes() const { return lostBytes_; }

private:
    Answer HandleFrame(const std::vector<std::uint8_t>& frame, int hostBaud);
    Fault TakeFault(std::uint16_t address);
    /// A page block or control word: true when the camera takes it.
    bool TakePageBlock(const std::vector<std::uint8_t>& frame);
    bool RunFlashCommand(std::uint32_t word);
    std::uint32_t FlashStatusWord();

    std::map<std::uint16_t, std::uint32_t> registers_;
    std::map<std::uint16_t, Fault> addressFaults_;
    std::deque<std::pair<int, Fault>> scripted_;
    std::map<std::uint16_t, int> delays_;
    std::vector<std::uint8_t> pending_;
    std::uint64_t lastByteAtMs_ = 0;
    int receiveTimeoutMs_ = 0;
    std::vector<Answer> late_;
    std::vector<FrameRecord> frames_;
    std::size_t lostBytes_ = 0;
    int baudRate_ = 9600;
    bool noiseOnMismatch_ = false;

    std::vector<std::uint8_t> flash_;
    std::vector<std::uint8_t> pageBuffer_;
    bool supervisor_ = false;
    int flashBusyPolls_ = 0;
    int busyLeft_ = 0;
    std::map<std::uint8_t, std::uint8_t> flashFailures_;
    std::map<std::uint8_t, int> flashCommandCounts_;
};

}  // namespace emu
