// CPU cost of one integer parameter write (SetParamInt through SetParamIntIfOnline) and one
// read (GetParamInt) through the camera link's callbacks, against the emulated camera with no
// line delay, and the bytes each operation puts on the wire in each direction. The channel-only
// run moves the same bytes without the link's coding, so the difference is the link's own cost.
#include "camera/CPerfCounter.h"
#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "emulator/ClserEmuControl.h"
#include "tests/camera/LinkedParams.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>

namespace {

class NoSettings : public ISettings {
public:
    int GetInt(const std::string&, const std::string&, int defaultValue) const override { return defaultValue; }
    bool WriteInt(const std::string&, const std::string&, int) override { return true; }
};

/// Logging level 2 makes the channel log every transfer with its byte count.
class CountingHost : public ILinkHost {
public:
    int LoggingLevel() const override { return 2; }
    int ShowAppMessage(const std::string&, const std::string&, unsigned) override { return kIdOk; }
    ITerminalSink* Terminal() override { return nullptr; }
    int ShowErrorDialog(const std::string&) override { return kIdOk; }
};

struct Bench {
    emu::ClserEmuControl emu{CLSER_EMU_PATH};
    NoSettings settings;
    CCameraLink link{&settings};
    bool ready = false;

    Bench()
    {
        if (!emu.Loaded())
            return;
        emu.Reset();
        emu.SetCameraBaud(115200);
        corvel::test::DefineLinkedParam(link, "Ping", OrvParam_Bool,
                                        corvel::test::MakeLink(0x600C, 0xFFFFFFFF, 0, "ping", "CAMERA/LOCALSPACE/Ping"));
        corvel::test::DefineLinkedParam(link, "Gain", OrvParam_Int,
                                        corvel::test::MakeLink(0x0200, 0xFFF, 4, "gain", "CAMERA/LOCALSPACE/Gain"));
        link.SetPortIndex(0);
        ready = link.Init(CLSER_EMU_PATH) == 0;
        link.GoOnline();
        link.SetIdentified(true);
    }

    /// Bytes written and read by one call of `op`, from the channel's own transfer lines.
    template <typename Op>
    std::pair<unsigned, unsigned> WireBytes(Op op)
    {
        unsigned out = 0, in = 0;
        auto previous = camera::SetLinkLogSink([&](const char* method, const std::string& text) {
            unsigned n = 0;
            if (std::strcmp(method, "CCameraLink::Write") == 0 && std::sscanf(text.c_str(), "written: %u", &n) == 1)
                out += n;
            if (std::strcmp(method, "CCameraLink::Read") == 0 && std::sscanf(text.c_str(), "read: %u", &n) == 1)
                in += n;
        });
        CountingHost host;
        link.SetMainWindow(&host);
        op();
        link.SetMainWindow(nullptr);
        camera::SetLinkLogSink(previous);
        return {out, in};
    }
};

/// The shared bench, or null (the run marked as failed) when the emulated camera is missing.
Bench* TheBench(benchmark::State& state)
{
    static Bench bench;
    if (!bench.ready) {
        state.SkipWithError("emulated camera not available");
        return nullptr;
    }
    return &bench;
}

void BM_SetGetRoundTrip(benchmark::State& state)
{
    Bench* bench = TheBench(state);
    if (!bench)
        return;
    Bench& b = *bench;
    std::int64_t value = 0, i = 0;
    const auto writeBytes = b.WireBytes([&] { b.link.SetParamIntIfOnline("Gain", 0x155, true, false); });
    const auto readBytes = b.WireBytes([&] { b.link.GetParamInt("Gain", &value); });
    for (auto _ : state) {
        if (b.link.SetParamIntIfOnline("Gain", i & 0xFFF, true, false) != 0 || b.link.GetParamInt("Gain", &value) != 0 ||
            value != (i & 0xFFF)) {
            state.SkipWithError("round trip failed");
            break;
        }
        benchmark::DoNotOptimize(value);
        if ((++i & 0xFFF) == 0)
            b.emu.ClearFrames();  // the camera's frame log would otherwise grow without end
    }
    state.counters["write_bytes_out"] = writeBytes.first;
    state.counters["write_bytes_in"] = writeBytes.second;
    state.counters["read_bytes_out"] = readBytes.first;
    state.counters["read_bytes_in"] = readBytes.second;
}
BENCHMARK(BM_SetGetRoundTrip);

void BM_SetParamInt(benchmark::State& state)
{
    Bench* bench = TheBench(state);
    if (!bench)
        return;
    Bench& b = *bench;
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.link.SetParamIntIfOnline("Gain", i & 0xFFF, true, false));
        if ((++i & 0xFFF) == 0)
            b.emu.ClearFrames();
    }
}
BENCHMARK(BM_SetParamInt);

void BM_GetParamInt(benchmark::State& state)
{
    Bench* bench = TheBench(state);
    if (!bench)
        return;
    Bench& b = *bench;
    std::int64_t value = 0, i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.link.GetParamInt("Gain", &value));
        if ((++i & 0xFFF) == 0)
            b.emu.ClearFrames();
    }
}
BENCHMARK(BM_GetParamInt);

/// The same bytes through the channel alone: what the emulated camera and the channel cost.
void BM_ChannelOnlyRoundTrip(benchmark::State& state)
{
    Bench* bench = TheBench(state);
    if (!bench)
        return;
    Bench& b = *bench;
    const std::uint8_t write[7] = {0x57, 0x02, 0x00, 0x00, 0x00, 0x15, 0x50};
    const std::uint8_t read[3] = {0x52, 0x02, 0x00};
    std::uint8_t answer[5];
    std::int64_t i = 0;
    for (auto _ : state) {
        std::uint32_t n = 7;
        b.link.Write(write, &n, 50);
        n = 1;
        b.link.Read(answer, &n, 50);
        n = 3;
        b.link.Write(read, &n, 50);
        n = 5;
        b.link.Read(answer, &n, 50);
        benchmark::DoNotOptimize(answer);
        if ((++i & 0xFFF) == 0)
            b.emu.ClearFrames();
    }
}
BENCHMARK(BM_ChannelOnlyRoundTrip);

/// One timed scope as every register write opens, with the debugger output off (its lines
/// are discarded): what the timer itself costs each write.
void BM_PerfCounterScope(benchmark::State& state)
{
    for (auto _ : state) {
        CPerfCounter perf("CCameraLink::SetParamToCamera", __LINE__);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PerfCounterScope);

}  // namespace

BENCHMARK_MAIN();
