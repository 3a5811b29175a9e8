// A serial (COM) port on termios, with the behaviour the link expects of a Windows COM port:
// exclusive open, raw 8N1 lines (frames carry bytes such as 0x0A, 0x0D, 0x11, 0x13 and 0x03
// that a cooked line would change or swallow), and per-call read and write time-outs of the
// COMMTIMEOUTS kind, emulated with poll(). A port that disappears fails its calls; it never
// blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ComPort {
public:
    /// Times in ms, meant as for COMMTIMEOUTS: a read ends after constant + multiplier × bytes,
    /// or when the gap after a received byte exceeds the interval; a write ends after its total.
    struct Timeouts {
        int readInterval = 0;
        int readTotalMultiplier = 0;
        int readTotalConstant = 0;
        int writeTotalMultiplier = 0;
        int writeTotalConstant = 0;
    };

    /// The line as a DCB describes it (parity 0 none, stop bits 0 = one).
    struct LineSettings {
        int baudRate = 0;
        int byteSize = 8;
        int parity = 0;
        int stopBits = 0;
        bool ctsFlow = false;
        bool dsrFlow = false;
        bool xonXoffOut = false;
        bool xonXoffIn = false;
        bool raw = false;  ///< no line discipline processing at all
    };

    ComPort() = default;
    ~ComPort() { Close(); }
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    /// Opens the device exclusively; a name without '/' is taken from /dev. 0, or the errno.
    int Open(const std::string& name);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }

    Timeouts GetTimeouts() const { return timeouts_; }
    void SetTimeouts(const Timeouts& timeouts) { timeouts_ = timeouts; }

    /// The line as the device has it. False with errno when it cannot be read.
    bool GetLineSettings(LineSettings& settings) const;
    /// Sets 8N1 raw at the rate (a rate without a termios speed fails), no flow control.
    bool SetLineSettings(const LineSettings& settings);

    /// Reads up to `size` bytes within the read time-outs; `moved` gets the bytes read. False
    /// (with `error` an errno) when the device failed or went away; a time-out is not a failure.
    bool ReadFile(std::uint8_t* buffer, std::size_t size, std::size_t& moved, int& error);
    /// Reads up to `size` bytes: waits up to `firstByteMs` for the first byte, then takes what
    /// follows until the line stays quiet for the read interval (or 20 ms without one). A
    /// time-out is not a failure; `moved` says what came.
    bool ReadWithin(std::uint8_t* buffer, std::size_t size, int firstByteMs, std::size_t& moved, int& error);
    bool WriteFile(const std::uint8_t* buffer, std::size_t size, std::size_t& moved, int& error);
    /// Throws away what was received and not yet read. False with errno on failure.
    bool DiscardInput();

private:
    /// firstByteMs < 0: the COMMTIMEOUTS totals; else a read's wait for its first byte.
    bool Transfer(bool writing, std::uint8_t* buffer, std::size_t size, std::size_t& moved, int& error,
                  int firstByteMs = -1);

    int fd_ = -1;
    Timeouts timeouts_{};
};

/// The termios speed of a rate, or 0 when it has none.
unsigned ComSpeedOfRate(int rate);
/// The rate of a termios speed, or 0.
int ComRateOfSpeed(unsigned speed);
