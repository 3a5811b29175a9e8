// The camera's register protocol on the wire. The host sends a read frame "52 AH AL" or a
// write frame "57 AH AL D3 D2 D1 D0" (data most significant byte first); the camera answers
// with one status byte, 0x06 when it accepts the frame, followed after an accepted read by the
// register's data word, most significant byte first. After a refused write the camera sends an
// error code; a refused read carries its codes in the status byte (low four bits: the camera's
// error, high four bits: the UART's). Here: the frame layout and its builders, the registers
// every camera has at the same address (supervisor mode, error checking, line rate, the
// parameter flash), the result codes, the error tables and the decoding of the flash status
// registers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace protocol {

inline constexpr std::uint8_t kReadCommand = 0x52;
inline constexpr std::uint8_t kWriteCommand = 0x57;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint32_t kReadFrameSize = 3;
inline constexpr std::uint32_t kWriteFrameSize = 7;

/// A write frame: command, address high and low byte, data word most significant byte first.
using WriteFrameBytes = std::array<std::uint8_t, kWriteFrameSize>;
/// A read frame: command, address high and low byte.
using ReadFrameBytes = std::array<std::uint8_t, kReadFrameSize>;

/// The frame that writes `word` to the register at `address`.
constexpr WriteFrameBytes WriteFrame(std::uint16_t address, std::uint32_t word)
{
    return {kWriteCommand,
            static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address),
            static_cast<std::uint8_t>(word >> 24),
            static_cast<std::uint8_t>(word >> 16),
            static_cast<std::uint8_t>(word >> 8),
            static_cast<std::uint8_t>(word)};
}

/// The frame that reads the register at `address`.
constexpr ReadFrameBytes ReadFrame(std::uint16_t address)
{
    return {kReadCommand, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

/// Supervisor mode: writing the password here unlocks the flash commands and the debug
/// registers; writing 0 leaves the mode.
inline constexpr std::uint16_t kSupervisorRegister = 0x6014;
inline constexpr std::uint32_t kSupervisorPassword = 0x5E17C4B2;
/// 1 stops the camera checking commands on the line ("ErrorChecking").
inline constexpr std::uint16_t kErrorCheckingRegister = 0x6034;
/// The camera's line-rate register ("BaudRate") of the built-in maps.
inline constexpr std::uint16_t kBaudRateRegister = 0x0604;

/// The parameter flash: 16 sectors of 256 pages of 256 bytes. In supervisor mode the control
/// register takes "op sector b1 b0": erase a sector, program a page from the page buffer, or
/// put the word at an offset into the data register. A page block "59 00 00" + 256 bytes +
/// checksum fills the page buffer.
inline constexpr std::uint16_t kFlashControlRegister = 0x6040;
inline constexpr std::uint16_t kFlashDataRegister = 0x6044;
inline constexpr std::uint8_t kFlashErase = 0x01;
inline constexpr std::uint8_t kFlashProgram = 0x03;
inline constexpr std::uint8_t kFlashReadWord = 0x04;
inline constexpr std::uint8_t kPageBlockCommand = 0x59;
inline constexpr int kFlashSectors = 16;
inline constexpr std::uint32_t kFlashSectorBytes = 0x10000;
inline constexpr std::uint32_t kFlashPageBytes = 256;

/// The answer of one exchange: byte 0 the status, bytes 1-4 the data word or, after a
/// refusal, the bytes drained, in the order they came.
inline constexpr std::size_t kAnswerSize = 20;
using AnswerBuffer = std::array<std::uint8_t, kAnswerSize>;

/// A refused frame drains at most this many further bytes, so a camera that keeps sending
/// cannot hold the exchange.
inline constexpr int kDrainLimit = 16;
/// The same bound for flash exchanges, whose answers the tools read with long time-outs.
inline constexpr int kFlashDrainLimit = 256;
/// Fixed time-outs of flash exchanges, ms.
inline constexpr std::uint32_t kFlashWriteTimeoutMs = 2000;
inline constexpr std::uint32_t kFlashReadTimeoutMs = 1000;

/// Flash status registers, read raw by the maintenance tools.
inline constexpr std::uint16_t kParamFlashStatus = 0x6048;
inline constexpr std::uint16_t kEpcsFlashStatus = 0x6058;
inline constexpr std::uint16_t kFlashStatusExtended = 0xE058;  ///< flash tools only
/// Results decoded from a flash status word's least significant byte.
inline constexpr int kFlashBit0 = 7;
inline constexpr int kFlashBit2 = 4;
inline constexpr int kFlashBit1 = 2;

}  // namespace protocol

/// Results of the register protocol and the parameter callbacks besides 0 and the channel's.
namespace link_result {
/// The camera refused the frame.
inline constexpr int kRefused = 15;
/// A transfer inside an exchange moved fewer bytes than the frame or answer has, while the
/// channel itself reported success.
inline constexpr int kShortTransfer = -5;
/// The parameter has no register link.
inline constexpr int kNoRegisterLink = -7004;
/// The callback's owner id names no camera link.
inline constexpr int kNoCameraLink = -7005;
/// The value cannot be put into a frame (a string of 5 or more characters, an array); nothing
/// was sent.
inline constexpr int kNotSent = -7006;
/// A refused read was reported to the operator.
inline constexpr int kReadReported = -7777;
/// The camera's configuration could not be loaded: nothing that needs it was sent. (-7010 is
/// `kChannelBusy`, in CameraLink.h: each code means one thing.)
inline constexpr int kNotConfigured = -7011;
}  // namespace link_result

/// Camera error texts by code (the byte after a refused write, the low four bits of a refused
/// read's status).
inline constexpr std::array<const char*, 13> kCameraErrorTexts = {
    "no error",
    "Invalid command. An invalid command (not 52 or 57) has   been send to the camera",
    "Time-out.",
    "Checksum error",
    "Value less then minimum",
    "Value higher than maximum",
    "AGC error",
    "Supervisor mode error",
    "Mode not supported",
    "Undef. Error",
    "Undef. Error",
    "Undef. Error",
    "Undef. Error",
};

/// UART error texts by the high four bits of a refused read's status.
inline constexpr std::array<const char*, 16> kUartErrorTexts = {
    "no error", "Command Error", "Checksum Error", "RX Timeout", "TopLevel Timeout", "spare",
    "BL active", "spare", "spare", "spare", "spare", "spare", "spare", "spare", "spare", "reserved",
};

/// Parameter type names of the log lines, by type 0-4.
inline constexpr std::array<const char*, 5> kOrvParamTypeNames = {
    "OrvParam_Int", "OrvParam_Bool", "OrvParam_Float", "OrvParam_String", "OrvParam_Array",
};

namespace protocol {

/// The table's text for a camera error code; a code without a row gives "Undef. Error <code>".
std::string CameraErrorText(int code);
/// The UART text for the high four bits of a status byte.
const char* UartErrorText(int code);
/// The type's name; "OrvParam_Unknown" for a type outside the table.
const char* ParamTypeName(int type);

/// Decodes a flash status word's least significant byte: bit 0 → 7, else bit 2 → 4, else
/// bit 1 → 2, else 0.
int DecodeFlashStatus(std::uint8_t statusByte);

/// The 16-bit register address of a frame (bytes 1 and 2).
inline std::uint16_t FrameAddress(const std::uint8_t* frame)
{
    return static_cast<std::uint16_t>((frame[1] << 8) | frame[2]);
}

}  // namespace protocol
