// The emulated camera behind a Camera Link serial library: the nine cl… entries over one
// process-wide state (ports, the camera, a virtual clock), plus emu_… exports through which
// tests steer it (see ClserEmuControl.h). A program meets a real-time port: a read waits up to
// its time-out for the bytes, and a camera that needs time answers that much later. Tests run
// it on a virtual clock (after emu_reset) unless they ask for real time: there an answer that is
// late costs the reader its time-out in virtual milliseconds, never real time.
// Variants of the library leave entries out (CLSER_EMU_WITHOUT_…) to test the binding.
#include "camera/clser.h"
#include "emulator/CameraModel.h"
#ifdef CLSER_EMU_START_FROM_MAP
#include "emulator/BuiltinCamera.h"
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#define EMU_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kMaxPorts = 8;

struct Port {
    bool open = false;
    bool busy = false;
    bool unplugged = false;  ///< the grabber went away: calls on the open port fail
    bool absent = false;     ///< the grabber is not there: the port cannot be opened
    int hostBaud = 9600;
    struct Byte {
        std::uint8_t value;
        std::uint64_t readyAtMs;
    };
    std::deque<Byte> rx;
};

struct State {
    std::mutex mutex;
    emu::CameraModel camera;
    std::array<Port, kMaxPorts> ports;
    int portCount = 1;
    int cameraPort = 0;
    std::uint32_t rateMask = clser::kAllBaudRates;
    std::uint64_t nowMs = 0;
    bool shortReadsSucceed = false;
    /// Reads wait in real time (the clock follows the steady clock) instead of on the virtual one.
    bool realTime = RealTimeFromEnvironment();
    std::chrono::steady_clock::time_point realBase = std::chrono::steady_clock::now();
    /// Bytes were queued for a reader (a write, answers released).
    std::condition_variable_any arrived;
    std::map<std::string, std::uint32_t> calls;
    std::map<std::string, std::deque<int>> failures;
    /// The camera has its starting registers, or a test has taken control of it.
    bool started = false;

    void Reset()
    {
        started = true;
        camera.Reset();
        ports = {};
        portCount = 1;
        cameraPort = 0;
        rateMask = clser::kAllBaudRates;
        nowMs = 0;
        shortReadsSucceed = false;
        realTime = false;
        calls.clear();
        failures.clear();
    }

    /// A program that opens a port meets a camera of the configuration its environment names,
    /// unless a test reset the camera first.
    void StartCamera()
    {
        if (started)
            return;
        started = true;
#ifdef CLSER_EMU_START_FROM_MAP
        const emu::RegisterImage image = emu::BuiltinCameraRegisters(emu::ConfigurationFromEnvironment());
        if (!image.empty())
            camera.LoadRegisters(image);
#endif
    }

    static bool RealTimeFromEnvironment()
    {
        const char* value = std::getenv("CORVEL_EMU_REAL_TIME");
        return !value || std::strcmp(value, "0") != 0;
    }

    void SetRealTime(bool on)
    {
        realTime = on;
        realBase = std::chrono::steady_clock::now() - std::chrono::milliseconds(nowMs);
    }

    /// In real time the clock catches up with the steady clock.
    void Tick()
    {
        if (!realTime)
            return;
        const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - realBase);
        nowMs = std::max(nowMs, static_cast<std::uint64_t>(real.count()));
    }

    /// Waits (the state lock released meanwhile) until bytes arrive or the clock reaches `ms`.
    void WaitUntil(std::uint64_t ms)
    {
        arrived.wait_until(mutex, realBase + std::chrono::milliseconds(ms));
        Tick();
    }

    /// Counts the call; true with `result` set when a failure was scripted for it.
    bool Enter(const char* entry, int& result)
    {
        ++calls[entry];
        auto it = failures.find(entry);
        if (it == failures.end() || it->second.empty())
            return false;
        result = it->second.front();
        it->second.pop_front();
        return true;
    }

    Port* OpenPort(void* ref)
    {
        for (int i = 0; i < portCount; ++i)
            if (ref == &ports[static_cast<std::size_t>(i)] && ports[static_cast<std::size_t>(i)].open)
                return &ports[static_cast<std::size_t>(i)];
        return nullptr;
    }

    std::size_t IndexOf(const Port* port) const { return static_cast<std::size_t>(port - ports.data()); }
};

State& S()
{
    static State state;
    return state;
}

/// Runs one entry on an open port under the state lock: counts the call, answers a failure
/// scripted for it, and refuses a reference that is not an open port (or, with `needPresent`,
/// a port that was unplugged).
template <typename Fn>
std::int32_t OnPort(const char* entry, void* ref, bool needPresent, Fn fn)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.Tick();
    int result = 0;
    if (s.Enter(entry, result))
        return result;
    Port* port = s.OpenPort(ref);
    if (!port || (needPresent && port->unplugged))
        return clser::kErrInvalidReference;
    return fn(s, *port);
}

}  // namespace

#ifndef CLSER_EMU_WITHOUT_INIT
EMU_EXPORT std::int32_t clSerialInit(std::uint32_t serialIndex, ClSerialRef* serialRef)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    int result = 0;
    if (s.Enter(clser::kSerialInit, result))
        return result;
    s.StartCamera();
    if (!serialRef)
        return clser::kErrInvalidReference;
    if (serialIndex >= static_cast<std::uint32_t>(s.portCount))
        return clser::kErrInvalidIndex;
    Port& port = s.ports[serialIndex];
    if (port.absent)
        return clser::kErrInvalidIndex;
    if (port.busy || port.open)
        return clser::kErrPortInUse;
    port.open = true;
    port.unplugged = false;
    port.rx.clear();
    *serialRef = &port;
    return 0;
}
#endif

#ifndef CLSER_EMU_WITHOUT_READ
EMU_EXPORT std::int32_t clSerialRead(ClSerialRef serialRef, char* buffer, std::uint32_t* count,
                                     std::uint32_t timeoutMs)
{
    return OnPort(clser::kSerialRead, serialRef, true, [&](State& s, Port& port) -> std::int32_t {
        if (!count || (!buffer && *count))
            return clser::kErrInvalidReference;
        const std::uint32_t wanted = *count;
        const std::uint64_t deadline = s.nowMs + timeoutMs;
        std::uint32_t delivered = 0;
        if (s.realTime) {
            // As a real port: the bytes that are there, then wait for more up to the time-out.
            for (;;) {
                while (delivered < wanted && !port.rx.empty() && port.rx.front().readyAtMs <= s.nowMs) {
                    buffer[delivered++] = static_cast<char>(port.rx.front().value);
                    port.rx.pop_front();
                }
                if (delivered == wanted || s.nowMs >= deadline || port.unplugged || !port.open)
                    break;
                const std::uint64_t next = port.rx.empty() ? deadline : std::min(deadline, port.rx.front().readyAtMs);
                s.WaitUntil(next);
            }
            *count = delivered;
            if (delivered == wanted)
                return 0;
            if (port.unplugged || !port.open)
                return clser::kErrInvalidReference;
            return s.shortReadsSucceed ? 0 : clser::kErrTimeout;
        }
        std::uint64_t lastReady = s.nowMs;
        while (delivered < wanted && !port.rx.empty() && port.rx.front().readyAtMs <= deadline) {
            buffer[delivered++] = static_cast<char>(port.rx.front().value);
            lastReady = std::max(lastReady, port.rx.front().readyAtMs);
            port.rx.pop_front();
        }
        *count = delivered;
        if (delivered == wanted) {
            s.nowMs = std::max(s.nowMs, lastReady);
            return 0;
        }
        s.nowMs = deadline;
        return s.shortReadsSucceed ? 0 : clser::kErrTimeout;
    });
}
#endif

#ifndef CLSER_EMU_WITHOUT_WRITE
EMU_EXPORT std::int32_t clSerialWrite(ClSerialRef serialRef, char* buffer, std::uint32_t* count,
                                      std::uint32_t)
{
    return OnPort(clser::kSerialWrite, serialRef, true, [&](State& s, Port& port) -> std::int32_t {
        if (!count || (!buffer && *count))
            return clser::kErrInvalidReference;
        if (static_cast<int>(s.IndexOf(&port)) != s.cameraPort)
            return 0;  // nothing listens on this port
        std::vector<emu::Answer> answers;
        s.camera.Receive(reinterpret_cast<const std::uint8_t*>(buffer), *count, port.hostBaud, answers, s.nowMs);
        for (const emu::Answer& answer : answers)
            for (std::uint8_t byte : answer.bytes)
                port.rx.push_back({byte, s.nowMs + static_cast<std::uint64_t>(answer.delayMs)});
        s.arrived.notify_all();
        return 0;
    });
}
#endif

#ifndef CLSER_EMU_WITHOUT_CLOSE
EMU_EXPORT void clSerialClose(ClSerialRef serialRef)
{
    OnPort(clser::kSerialClose, serialRef, false, [](State& s, Port& port) -> std::int32_t {
        s.arrived.notify_all();
        port.open = false;
        port.unplugged = port.absent;
        port.rx.clear();
        port.hostBaud = 9600;
        return 0;
    });
}
#endif

#ifndef CLSER_EMU_WITHOUT_OPTIONAL
#ifndef CLSER_EMU_WITHOUT_RATE_QUERY
EMU_EXPORT std::int32_t clGetSupportedBaudRates(ClSerialRef serialRef, std::uint32_t* rateSet)
{
    return OnPort(clser::kGetSupportedBaudRates, serialRef, false, [&](State& s, Port&) -> std::int32_t {
        if (!rateSet)
            return clser::kErrInvalidReference;
        *rateSet = s.rateMask;
        return 0;
    });
}
#endif

EMU_EXPORT std::int32_t clSetBaudRate(ClSerialRef serialRef, std::uint32_t rateBit)
{
    return OnPort(clser::kSetBaudRate, serialRef, false, [&](State& s, Port& port) -> std::int32_t {
        const int rate = clser::BaudRateOfBit(rateBit);
        if (rate == 0 || (rateBit & s.rateMask) == 0)
            return clser::kErrBaudRateNotSupported;
        port.hostBaud = rate;
        return 0;
    });
}

EMU_EXPORT std::int32_t clGetNumBytesAvail(ClSerialRef serialRef, std::uint32_t* count)
{
    return OnPort(clser::kGetNumBytesAvail, serialRef, false, [&](State& s, Port& port) -> std::int32_t {
        if (!count)
            return clser::kErrInvalidReference;
        *count = static_cast<std::uint32_t>(std::count_if(port.rx.begin(), port.rx.end(), [&](const Port::Byte& b) {
            return b.readyAtMs <= s.nowMs;
        }));
        return 0;
    });
}

EMU_EXPORT std::int32_t clFlushPort(ClSerialRef serialRef)
{
    // Only what has arrived is discarded; bytes still on their way come in later.
    return OnPort(clser::kFlushPort, serialRef, false, [](State& s, Port& port) -> std::int32_t {
        std::erase_if(port.rx, [&](const Port::Byte& b) { return b.readyAtMs <= s.nowMs; });
        return 0;
    });
}

EMU_EXPORT std::int32_t clGetNumSerialPorts(std::uint32_t* count)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    int result = 0;
    if (s.Enter(clser::kGetNumSerialPorts, result))
        return result;
    if (!count)
        return clser::kErrInvalidReference;
    *count = static_cast<std::uint32_t>(s.portCount);
    return 0;
}
#endif

// ---- control of the emulation (tests) ----

EMU_EXPORT void emu_reset()
{
    std::lock_guard lock(S().mutex);
    S().Reset();
}

EMU_EXPORT void emu_set_register(std::uint32_t address, std::uint32_t value)
{
    std::lock_guard lock(S().mutex);
    S().camera.SetRegister(static_cast<std::uint16_t>(address), value);
}

EMU_EXPORT void emu_clear_registers()
{
    std::lock_guard lock(S().mutex);
    S().camera.LoadRegisters({});
}

EMU_EXPORT std::uint32_t emu_get_register(std::uint32_t address)
{
    std::lock_guard lock(S().mutex);
    return S().camera.Register(static_cast<std::uint16_t>(address));
}

EMU_EXPORT void emu_set_camera_baud(std::int32_t rate)
{
    std::lock_guard lock(S().mutex);
    S().camera.SetBaudRate(rate);
}

EMU_EXPORT std::uint32_t emu_camera_baud()
{
    std::lock_guard lock(S().mutex);
    return static_cast<std::uint32_t>(S().camera.BaudRate());
}

EMU_EXPORT void emu_set_noise_on_mismatch(std::int32_t noise)
{
    std::lock_guard lock(S().mutex);
    S().camera.SetNoiseOnMismatch(noise != 0);
}

EMU_EXPORT void emu_set_supported_rates(std::int32_t mask)
{
    std::lock_guard lock(S().mutex);
    S().rateMask = static_cast<std::uint32_t>(mask);
}

EMU_EXPORT void emu_set_port_count(std::int32_t count)
{
    std::lock_guard lock(S().mutex);
    S().portCount = std::clamp(count, 0, kMaxPorts);
}

EMU_EXPORT void emu_set_camera_port(std::int32_t port)
{
    std::lock_guard lock(S().mutex);
    S().cameraPort = port;
}

EMU_EXPORT void emu_set_short_reads_succeed(std::int32_t on)
{
    std::lock_guard lock(S().mutex);
    S().shortReadsSucceed = on != 0;
}

EMU_EXPORT void emu_set_port_busy(std::uint32_t port, std::int32_t busy)
{
    std::lock_guard lock(S().mutex);
    if (port < kMaxPorts)
        S().ports[port].busy = busy != 0;
}

EMU_EXPORT void emu_unplug_port(std::uint32_t port)
{
    std::lock_guard lock(S().mutex);
    if (port < kMaxPorts) {
        S().ports[port].unplugged = true;
        S().ports[port].absent = true;
    }
    S().arrived.notify_all();
}

EMU_EXPORT void emu_replug_port(std::uint32_t port)
{
    std::lock_guard lock(S().mutex);
    // A reference taken before the port went away stays dead; a new open works again.
    if (port < kMaxPorts)
        S().ports[port].absent = false;
}

EMU_EXPORT std::int32_t emu_port_open(std::uint32_t port)
{
    std::lock_guard lock(S().mutex);
    return port < kMaxPorts && S().ports[port].open ? 1 : 0;
}

EMU_EXPORT std::int32_t emu_host_baud(std::uint32_t port)
{
    std::lock_guard lock(S().mutex);
    return port < kMaxPorts ? S().ports[port].hostBaud : 0;
}

static emu::Fault MakeFault(std::int32_t kind, std::int32_t status, std::int32_t code, std::int32_t extra,
                            std::int32_t partial)
{
    emu::Fault fault;
    fault.kind = static_cast<emu::FaultKind>(kind);
    fault.status = static_cast<std::uint8_t>(status);
    fault.code = static_cast<std::uint8_t>(code);
    fault.extraBytes = extra;
    fault.partialBytes = partial;
    return fault;
}

EMU_EXPORT void emu_set_address_fault(std::int32_t address, std::int32_t kind, std::int32_t status,
                                      std::int32_t code, std::int32_t extra, std::int32_t partial)
{
    std::lock_guard lock(S().mutex);
    if (kind == static_cast<std::int32_t>(emu::FaultKind::None))
        S().camera.ClearAddressFault(static_cast<std::uint16_t>(address));
    else
        S().camera.SetAddressFault(static_cast<std::uint16_t>(address), MakeFault(kind, status, code, extra, partial));
}

EMU_EXPORT void emu_script_fault(std::int32_t address, std::int32_t kind, std::int32_t status,
                                 std::int32_t code, std::int32_t extra, std::int32_t partial)
{
    std::lock_guard lock(S().mutex);
    S().camera.ScriptFault(address, MakeFault(kind, status, code, extra, partial));
}

EMU_EXPORT void emu_set_delay(std::uint32_t address, std::int32_t delayMs)
{
    std::lock_guard lock(S().mutex);
    S().camera.SetDelay(static_cast<std::uint16_t>(address), delayMs);
}

EMU_EXPORT std::uint32_t emu_frame_count()
{
    std::lock_guard lock(S().mutex);
    return static_cast<std::uint32_t>(S().camera.Frames().size());
}

EMU_EXPORT std::int32_t emu_frame(std::uint32_t index, std::uint8_t* buffer, std::uint32_t capacity,
                                  std::int32_t* hostBaud)
{
    std::lock_guard lock(S().mutex);
    const auto& frames = S().camera.Frames();
    if (index >= frames.size())
        return -1;
    const auto& frame = frames[index];
    const std::size_t n = std::min<std::size_t>(capacity, frame.bytes.size());
    if (buffer && n)
        std::memcpy(buffer, frame.bytes.data(), n);
    if (hostBaud)
        *hostBaud = frame.hostBaud;
    return static_cast<std::int32_t>(n);
}

EMU_EXPORT void emu_clear_frames()
{
    std::lock_guard lock(S().mutex);
    S().camera.ClearFrames();
}

EMU_EXPORT std::uint32_t emu_call_count(const char* entry)
{
    std::lock_guard lock(S().mutex);
    auto it = S().calls.find(entry ? entry : "");
    return it == S().calls.end() ? 0 : it->second;
}

EMU_EXPORT void emu_fail_next(const char* entry, std::int32_t result)
{
    std::lock_guard lock(S().mutex);
    if (entry)
        S().failures[entry].push_back(result);
}

EMU_EXPORT void emu_set_receive_timeout(std::int32_t ms)
{
    std::lock_guard lock(S().mutex);
    S().camera.SetReceiveTimeoutMs(ms);
}

/// The answers the camera held back arrive now, on the camera's port.
EMU_EXPORT void emu_release_late_answers()
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Port& port = s.ports[static_cast<std::size_t>(std::clamp(s.cameraPort, 0, kMaxPorts - 1))];
    for (const emu::Answer& answer : s.camera.TakeLateAnswers())
        for (std::uint8_t byte : answer.bytes)
            port.rx.push_back({byte, s.nowMs});
    s.arrived.notify_all();
}

EMU_EXPORT void emu_set_real_time(std::int32_t on)
{
    std::lock_guard lock(S().mutex);
    S().SetRealTime(on != 0);
}

EMU_EXPORT void emu_advance_ms(std::uint32_t ms)
{
    std::lock_guard lock(S().mutex);
    S().nowMs += ms;
}

EMU_EXPORT std::uint32_t emu_now_ms()
{
    std::lock_guard lock(S().mutex);
    return static_cast<std::uint32_t>(S().nowMs);
}

// ---- the camera's parameter flash ----

EMU_EXPORT std::int32_t emu_flash_read(std::int32_t sector, std::uint32_t offset, std::uint8_t* buffer,
                                       std::uint32_t count)
{
    std::lock_guard lock(S().mutex);
    const std::vector<std::uint8_t> bytes = S().camera.FlashBytes(sector, offset, count);
    if (buffer && !bytes.empty())
        std::memcpy(buffer, bytes.data(), bytes.size());
    return static_cast<std::int32_t>(bytes.size());
}

EMU_EXPORT void emu_flash_write(std::int32_t sector, std::uint32_t offset, const std::uint8_t* data,
                                std::uint32_t count)
{
    std::lock_guard lock(S().mutex);
    if (data)
        S().camera.SetFlashBytes(sector, offset, std::vector<std::uint8_t>(data, data + count));
}

EMU_EXPORT void emu_set_flash_busy_polls(std::int32_t polls)
{
    std::lock_guard lock(S().mutex);
    S().camera.SetFlashBusyPolls(polls);
}

EMU_EXPORT void emu_flash_fail_next(std::int32_t command, std::int32_t statusBits)
{
    std::lock_guard lock(S().mutex);
    S().camera.FailNextFlashCommand(static_cast<std::uint8_t>(command), static_cast<std::uint8_t>(statusBits));
}

EMU_EXPORT std::int32_t emu_flash_command_count(std::int32_t command)
{
    std::lock_guard lock(S().mutex);
    return S().camera.FlashCommandCount(static_cast<std::uint8_t>(command));
}

EMU_EXPORT std::int32_t emu_supervisor_mode()
{
    std::lock_guard lock(S().mutex);
    return S().camera.SupervisorMode() ? 1 : 0;
}
