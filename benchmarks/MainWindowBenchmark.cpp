// How long the main window's event loop stalls while the camera is away: each reconnect tick of
// the frame-time timer, on the real clock, with the camera on a serial port (a pseudo-terminal)
// that either vanished (the device is gone) or stays but nothing answers on it. For comparison,
// the full rate search and identification a tick used to run. Counters: the longest and the
// mean tick in milliseconds.
#include "app/CCorvel_5Dlg.h"

#include "camera/ISettings.h"
#include "emulator/BuiltinCamera.h"
#include "emulator/CameraModel.h"
#include "emulator/PtyPeer.h"
#include "platform/ProfileSettings.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class NoSettings : public ISettings {
public:
    int GetInt(const std::string&, const std::string&, int defaultValue) const override { return defaultValue; }
    bool WriteInt(const std::string&, const std::string&, int) override { return true; }
};

class OnePort : public IPortSelector {
public:
    explicit OnePort(std::string path) : path_(std::move(path)) {}
    bool Run(PortChoice& choice) override
    {
        if (used_)
            return false;
        used_ = true;
        choice = PortChoice{path_, 0, 115200, false};
        return true;
    }

private:
    std::string path_;
    bool used_ = false;
};

/// A window connected to an emulated camera on a pseudo-terminal reached through a fixed path.
struct Rig {
    std::filesystem::path folder;
    std::filesystem::path port;
    emu::PtyPeer peer;
    NoSettings settings;
    std::unique_ptr<CCorvel_5Dlg> window;
    bool ready = false;

    Rig()
    {
        char pattern[] = "/tmp/corvel-bench-XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        folder = pattern;
        port = folder / "ttyCamera";
        platform::ProfileSettings::Application().SetFile(folder / "Corvel.ini");
        if (!peer.Start())
            return;
        peer.WithCamera([](emu::CameraModel& c) {
            c.LoadRegisters(emu::BuiltinCameraRegisters(4));
            c.SetBaudRate(115200);
        });
        std::filesystem::create_symlink(peer.SlavePath(), port);
        window = std::make_unique<CCorvel_5Dlg>(nullptr, &settings);
        OnePort selector(port.string());
        ready = window->OnInitDialog(&selector) == 0 && window->m_bConnected;
    }

    ~Rig()
    {
        window.reset();
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    /// Nothing answers any more; the port stays.
    void Silence()
    {
        peer.WithCamera([](emu::CameraModel& c) { c.SetAddressFault(emu::kPingRegister, {emu::FaultKind::Silence}); });
        for (const char* name : {"FrameTime", "ImageWidth", "ImageHeight", "Exposure", "Temperature"}) {
            RegisterLink reg;
            if (GetRegisterLink(window->m_Link, name, reg) == 0)
                peer.WithCamera([&](emu::CameraModel& c) { c.SetAddressFault(reg.address, {emu::FaultKind::Silence}); });
        }
    }

    /// The device is gone.
    void Vanish()
    {
        peer.Vanish();
        std::error_code error;
        std::filesystem::remove(port, error);
    }
};

using Clock = std::chrono::steady_clock;

template <typename Step>
void TimeSteps(benchmark::State& state, Step step)
{
    double longest = 0;
    double total = 0;
    std::int64_t count = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        step();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        longest = std::max(longest, seconds);
        total += seconds;
        ++count;
    }
    state.counters["max_ms"] = longest * 1000.0;
    state.counters["mean_ms"] = count ? total * 1000.0 / static_cast<double>(count) : 0.0;
}

void Lose(Rig& rig, benchmark::State& state, bool vanish)
{
    if (!rig.ready) {
        state.SkipWithError("the emulated camera could not be connected");
        return;
    }
    vanish ? rig.Vanish() : rig.Silence();
    // The first tick finds the camera gone.
    rig.window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    if (rig.window->m_bConnected)
        state.SkipWithError("the camera was not taken for lost");
}

void BM_ReconnectTick_PortVanished(benchmark::State& state)
{
    Rig rig;
    Lose(rig, state, true);
    TimeSteps(state, [&] { rig.window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME); });
}
BENCHMARK(BM_ReconnectTick_PortVanished)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_ReconnectTick_NothingAnswers(benchmark::State& state)
{
    Rig rig;
    Lose(rig, state, false);
    // Every other timer tick too: they must not touch the line while the camera is away.
    TimeSteps(state, [&] {
        for (unsigned id : {CCorvel_5Dlg::TIMER_TEMPERATURE, CCorvel_5Dlg::TIMER_EXPOSURE, CCorvel_5Dlg::TIMER_FRAME_TIME})
            rig.window->OnTimer(id);
    });
}
BENCHMARK(BM_ReconnectTick_NothingAnswers)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// The work one tick did before: the whole rate search, then identification with its retry.
void BM_FullSearch_NothingAnswers(benchmark::State& state)
{
    Rig rig;
    Lose(rig, state, false);
    TimeSteps(state, [&] {
        rig.window->m_Link.DetectBaudRate();
        rig.window->m_Link.ReadCameraInfo();
    });
}
BENCHMARK(BM_FullSearch_NothingAnswers)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
