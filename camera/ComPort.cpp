#include "camera/ComPort.h"

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct SpeedRow {
    int rate;
    speed_t speed;
};
constexpr SpeedRow kSpeeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

unsigned ComSpeedOfRate(int rate)
{
    for (const SpeedRow& row : kSpeeds)
        if (row.rate == rate)
            return row.speed;
    return 0;
}

int ComRateOfSpeed(unsigned speed)
{
    for (const SpeedRow& row : kSpeeds)
        if (row.speed == speed)
            return row.rate;
    return 0;
}

int ComPort::Open(const std::string& name)
{
    Close();
    const std::string path = name.find('/') == std::string::npos ? "/dev/" + name : name;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // No sharing: a second opener (this process or another) is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return error;
    }
    fd_ = fd;
    return 0;
}

void ComPort::Close()
{
    if (fd_ < 0)
        return;
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool ComPort::GetLineSettings(LineSettings& settings) const
{
    termios tio{};
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (::tcgetattr(fd_, &tio) != 0)
        return false;
    settings.baudRate = ComRateOfSpeed(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
    case CS5: settings.byteSize = 5; break;
    case CS6: settings.byteSize = 6; break;
    case CS7: settings.byteSize = 7; break;
    default: settings.byteSize = 8; break;
    }
    settings.parity = (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? 1 : 2) : 0;
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 0;
    settings.ctsFlow = (tio.c_cflag & CRTSCTS) != 0;
    settings.dsrFlow = false;
    settings.xonXoffOut = (tio.c_iflag & IXON) != 0;
    settings.xonXoffIn = (tio.c_iflag & IXOFF) != 0;
    settings.raw = !(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(tio.c_oflag & OPOST) &&
                   !(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | BRKINT | PARMRK));
    return true;
}

bool ComPort::SetLineSettings(const LineSettings& settings)
{
    termios tio{};
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    const speed_t speed = ComSpeedOfRate(settings.baudRate);
    if (speed == 0) {
        errno = EINVAL;
        return false;
    }
    if (::tcgetattr(fd_, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
        return false;
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

bool ComPort::Transfer(bool writing, std::uint8_t* buffer, std::size_t size, std::size_t& moved, int& error,
                       int firstByteMs)
{
    constexpr int kQuietGapMs = 20;
    moved = 0;
    error = 0;
    if (fd_ < 0) {
        error = EBADF;
        return false;
    }
    const int constant = writing ? timeouts_.writeTotalConstant : timeouts_.readTotalConstant;
    const int multiplier = writing ? timeouts_.writeTotalMultiplier : timeouts_.readTotalMultiplier;
    // A read with a first-byte time-out waits that long for the first byte, then ends once the
    // line stays quiet for the read interval.
    const bool firstByteWait = !writing && firstByteMs >= 0;
    const long total = firstByteWait ? firstByteMs : constant + multiplier * static_cast<long>(size);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total);
    const int gap = timeouts_.readInterval > 0 ? timeouts_.readInterval : kQuietGapMs;
    while (moved < size) {
        int wait = RemainingMs(deadline);
        if (firstByteWait && moved > 0)
            wait = gap;
        else if (!writing && moved > 0 && timeouts_.readInterval > 0 && timeouts_.readInterval < wait)
            wait = timeouts_.readInterval;
        pollfd pfd{fd_, static_cast<short>(writing ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (ready == 0)
            break;  // time-out: what moved so far is the result
        if (pfd.revents & POLLNVAL) {
            error = EBADF;
            return false;
        }
        if (writing && (pfd.revents & (POLLERR | POLLHUP))) {
            error = EIO;
            return false;
        }
        const ssize_t done = writing ? ::write(fd_, buffer + moved, size - moved)
                                     : ::read(fd_, buffer + moved, size - moved);
        if (done > 0) {
            moved += static_cast<std::size_t>(done);
            continue;
        }
        if (done < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        // End of file or an error: the device went away (a hang-up without data).
        error = done < 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool ComPort::ReadFile(std::uint8_t* buffer, std::size_t size, std::size_t& moved, int& error)
{
    return Transfer(false, buffer, size, moved, error);
}

bool ComPort::ReadWithin(std::uint8_t* buffer, std::size_t size, int firstByteMs, std::size_t& moved, int& error)
{
    return Transfer(false, buffer, size, moved, error, std::max(firstByteMs, 0));
}

bool ComPort::DiscardInput() { return fd_ >= 0 && ::tcflush(fd_, TCIFLUSH) == 0; }

bool ComPort::WriteFile(const std::uint8_t* buffer, std::size_t size, std::size_t& moved, int& error)
{
    // Transfer only reads from the buffer when writing.
    return Transfer(true, const_cast<std::uint8_t*>(buffer), size, moved, error);
}
