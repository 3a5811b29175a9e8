// The emulated camera behind a pseudo-terminal: the link opens the terminal's slave side as
// its COM port, and a thread on the master side feeds the camera model and writes its answers.
// The camera hears only bytes sent while the line runs at its own rate (the rate the link set
// on the slave side). The peer keeps a slave descriptor of its own, so it can read the line
// settings and the terminal survives the link closing it. Tests list SlavePath() as an extra
// port (CORVEL_EXTRA_PORTS).
#pragma once

#include "emulator/CameraModel.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace emu {

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    /// Creates the terminal and starts answering. False with Error() set on failure.
    bool Start();
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& Error() const { return error_; }

    /// The terminal goes away: the answering thread stops and both sides of the peer close.
    void Vanish();

    /// Runs `fn` on the camera under the peer's lock.
    void WithCamera(const std::function<void(CameraModel&)>& fn);

    /// Answers the camera held back (FaultKind::Late) go out now; returns once the link's side
    /// of the terminal holds them, so the next exchange finds them waiting.
    bool ReleaseLateAnswers();

    /// The line as the link left it: its output rate (0 when unknown) and whether it is raw.
    int LineBaud() const;
    bool LineRaw() const;

private:
    void Run();
    void StopThread();

    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string slavePath_;
    std::string error_;
    std::thread thread_;
    std::mutex mutex_;
    CameraModel camera_;
};

}  // namespace emu
