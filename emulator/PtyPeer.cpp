#include "emulator/PtyPeer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace emu {
namespace {

int RateOfSpeed(speed_t speed)
{
    switch (speed) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}

/// Writes to the non-blocking master until done, the terminal fails, or `wake` says stop
/// (a line that is not raw can echo answers back for ever and fill the terminal).
void WriteAll(int fd, int wake, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put > 0) {
            data += put;
            size -= static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd fds[2] = {{fd, POLLOUT, 0}, {wake, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                return;
            if (fds[1].revents)
                return;
            continue;
        }
        return;
    }
}

std::uint64_t NowMs()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

}  // namespace

PtyPeer::PtyPeer() = default;

PtyPeer::~PtyPeer() { Vanish(); }

bool PtyPeer::Start()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error_ = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error_ = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        error_ = std::string("open slave: ") + std::strerror(errno);
        return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyPeer::StopThread()
{
    if (thread_.joinable()) {
        const char byte = 0;
        [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
}

void PtyPeer::Vanish()
{
    StopThread();
    for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void PtyPeer::WithCamera(const std::function<void(CameraModel&)>& fn)
{
    std::lock_guard lock(mutex_);
    fn(camera_);
}

bool PtyPeer::ReleaseLateAnswers()
{
    std::vector<std::uint8_t> bytes;
    {
        std::lock_guard lock(mutex_);
        for (const Answer& answer : camera_.TakeLateAnswers())
            bytes.insert(bytes.end(), answer.bytes.begin(), answer.bytes.end());
    }
    if (bytes.empty() || master_ < 0)
        return true;
    int waiting = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &waiting) != 0)
        return false;
    const int expected = waiting + static_cast<int>(bytes.size());
    WriteAll(master_, wake_[0], bytes.data(), bytes.size());
    // The terminal passes bytes on from a work queue; wait until they reached the input queue.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::ioctl(slave_, FIONREAD, &waiting) == 0 && waiting < expected) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int PtyPeer::LineBaud() const
{
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0)
        return 0;
    return RateOfSpeed(::cfgetospeed(&tio));
}

bool PtyPeer::LineRaw() const
{
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0)
        return false;
    return !(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(tio.c_oflag & OPOST) &&
           !(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF)) && (tio.c_cflag & CSIZE) == CS8 &&
           !(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS));
}

void PtyPeer::Run()
{
    std::vector<std::uint8_t> buffer(256);
    for (;;) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const ssize_t got = ::read(master_, buffer.data(), buffer.size());
        if (got <= 0)
            continue;
        std::vector<Answer> answers;
        {
            std::lock_guard lock(mutex_);
            camera_.Receive(buffer.data(), static_cast<std::size_t>(got), LineBaud(), answers, NowMs());
        }
        for (const Answer& answer : answers) {
            if (answer.delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(answer.delayMs));
            WriteAll(master_, wake_[0], answer.bytes.data(), answer.bytes.size());
        }
    }
}

}  // namespace emu
