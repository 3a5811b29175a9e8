// A small file system of its own (tmpfs, mounted in a test folder) that a test can fill up, so
// writes meet a full disk. Mounting needs root: without it the fixture is not mounted and the
// test skips.
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace corvel::test {

class FullDisk {
public:
    /// Mounts a file system of `bytes` at `folder` (created).
    FullDisk(const std::filesystem::path& folder, std::size_t bytes) : folder_(folder)
    {
        std::error_code ec;
        std::filesystem::create_directories(folder_, ec);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    }
    ~FullDisk()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Mounted() const { return mounted_; }

    /// Fills every free block with a file of its own ("filler"), until a write meets ENOSPC.
    bool Fill() const
    {
        const int fd = ::open((folder_ / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const std::string block(4096, 'f');
        int error = 0;
        for (;;) {
            const ssize_t n = ::write(fd, block.data(), block.size());
            if (n < 0) {
                error = errno;
                break;
            }
        }
        // Leftover bytes of a part block.
        while (::write(fd, "f", 1) == 1) {
        }
        ::close(fd);
        return error == ENOSPC;
    }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

}  // namespace corvel::test
