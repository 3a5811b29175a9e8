// Control of the emulated Camera Link serial library (libclser_emu.so) from tests. The library
// keeps one emulated camera and its ports in process-wide state; a test that loads the same
// path gets the same state the camera link drives, and steers it through these C exports.
// `ClserEmuControl` loads the library and binds them.
#pragma once

#include "emulator/CameraModel.h"
#include "platform/DynamicLibrary.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern "C" {
typedef void (*PfnEmuReset)();
typedef void (*PfnEmuSetRegister)(std::uint32_t address, std::uint32_t value);
typedef std::uint32_t (*PfnEmuGetRegister)(std::uint32_t address);
typedef void (*PfnEmuSetInt)(std::int32_t value);
typedef std::int32_t (*PfnEmuGetPortInt)(std::uint32_t port);
typedef void (*PfnEmuPort)(std::uint32_t port);
typedef void (*PfnEmuSetPortInt)(std::uint32_t port, std::int32_t value);
typedef void (*PfnEmuSetFault)(std::int32_t address, std::int32_t kind, std::int32_t status,
                               std::int32_t code, std::int32_t extraBytes, std::int32_t partialBytes);
typedef void (*PfnEmuSetDelay)(std::uint32_t address, std::int32_t delayMs);
typedef std::uint32_t (*PfnEmuCount)();
typedef std::int32_t (*PfnEmuFrame)(std::uint32_t index, std::uint8_t* buffer, std::uint32_t capacity,
                                    std::int32_t* hostBaud);
typedef std::uint32_t (*PfnEmuCallCount)(const char* entry);
typedef void (*PfnEmuFailNext)(const char* entry, std::int32_t result);
typedef std::int32_t (*PfnEmuFlashRead)(std::int32_t sector, std::uint32_t offset, std::uint8_t* buffer,
                                        std::uint32_t count);
typedef void (*PfnEmuFlashWrite)(std::int32_t sector, std::uint32_t offset, const std::uint8_t* data,
                                 std::uint32_t count);
typedef void (*PfnEmuSetIntPair)(std::int32_t a, std::int32_t b);
typedef std::int32_t (*PfnEmuIntQuery)(std::int32_t value);
typedef std::int32_t (*PfnEmuQuery)();
}

namespace emu {

class ClserEmuControl {
public:
    explicit ClserEmuControl(const std::filesystem::path& library);

    bool Loaded() const { return ok_; }
    const std::string& Error() const { return library_.Error(); }

    /// Factory camera, one free port, all five rates, host side at 9600, no faults, no log. A
    /// library reset before any port opens keeps the factory camera: only a program that opens a
    /// port untouched meets the camera of CORVEL_EMU_CONFIG.
    void Reset() { reset_(); }
    void SetRegister(std::uint16_t address, std::uint32_t value) { setRegister_(address, value); }
    /// Replaces every register of the camera by the words of `image` (others read 0).
    void LoadRegisters(const std::map<std::uint16_t, std::uint32_t>& image)
    {
        clearRegisters_();
        for (const auto& [address, word] : image)
            setRegister_(address, word);
    }
    std::uint32_t Register(std::uint16_t address) { return getRegister_(address); }
    void SetCameraBaud(int rate) { setCameraBaud_(rate); }
    /// The rate the camera's UART runs at now (it changes when its rate register is written).
    int CameraBaud() { return static_cast<int>(cameraBaud_()); }
    void SetNoiseOnMismatch(bool noise) { setNoise_(noise ? 1 : 0); }
    /// The rate set clGetSupportedBaudRates answers.
    void SetSupportedRates(std::uint32_t mask) { setRates_(static_cast<std::int32_t>(mask)); }
    /// Number of ports (up to 8); the camera sits on port `cameraPort`.
    void SetPortCount(int count) { setPortCount_(count); }
    void SetCameraPort(int port) { setCameraPort_(port); }
    void SetPortBusy(std::uint32_t port, bool busy) { setPortBusy_(port, busy ? 1 : 0); }
    bool PortOpen(std::uint32_t port) { return portOpen_(port) != 0; }
    /// The port goes away: reads and writes on it answer an invalid reference from now on.
    void UnplugPort(std::uint32_t port) { unplug_(port); }
    /// The port is back: it opens again, while a reference taken before it went away stays dead.
    void ReplugPort(std::uint32_t port) { replug_(port); }
    int HostBaud(std::uint32_t port) { return hostBaud_(port); }
    /// A fault for every frame to the address (FaultKind::None clears it).
    void SetAddressFault(std::uint16_t address, const Fault& f)
    {
        setFault_(address, static_cast<std::int32_t>(f.kind), f.status, f.code, f.extraBytes, f.partialBytes);
    }
    /// A fault for the next frame to the address (any address when negative).
    void ScriptFault(int address, const Fault& f)
    {
        scriptFault_(address, static_cast<std::int32_t>(f.kind), f.status, f.code, f.extraBytes, f.partialBytes);
    }
    void SetDelay(std::uint16_t address, int delayMs) { setDelay_(address, delayMs); }
    /// The camera forgets a frame whose bytes are more than `ms` virtual milliseconds apart.
    void SetReceiveTimeoutMs(int ms) { setReceiveTimeout_(ms); }
    /// Answers held back by FaultKind::Late arrive now.
    void ReleaseLateAnswers() { releaseLate_(); }
    /// A read that gets fewer bytes than wanted answers 0 instead of a time-out.
    void SetShortReadsSucceed(bool on) { setShortReads_(on ? 1 : 0); }
    /// The next call of that entry answers `result` and does nothing else.
    void FailNext(const char* entry, int result) { failNext_(entry, result); }

    // ---- the parameter flash (see CameraModel.h) ----
    /// Bytes [offset, offset + count) of a flash sector.
    std::vector<std::uint8_t> FlashBytes(int sector, std::uint32_t offset, std::uint32_t count)
    {
        std::vector<std::uint8_t> bytes(count);
        const std::int32_t n = flashRead_(sector, offset, bytes.data(), count);
        bytes.resize(static_cast<std::size_t>(n > 0 ? n : 0));
        return bytes;
    }
    void SetFlashBytes(int sector, std::uint32_t offset, const std::vector<std::uint8_t>& bytes)
    {
        flashWrite_(sector, offset, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    /// Every flash command and page block reads busy for this many status polls.
    void SetFlashBusyPolls(int polls) { setFlashBusy_(polls); }
    /// The next flash command of that kind (1 erase, 3 program, 4 read word) does nothing and
    /// ends with these status bits.
    void FailNextFlashCommand(int command, int statusBits) { flashFailNext_(command, statusBits); }
    /// Flash commands of that kind the camera carried out.
    int FlashCommandCount(int command) { return flashCount_(command); }
    bool SupervisorMode() { return supervisor_() != 0; }

    std::vector<FrameRecord> Frames();
    void ClearFrames() { clearFrames_(); }
    std::uint32_t Calls(const char* entry) { return callCount_(entry); }
    /// Virtual milliseconds the library has waited in reads so far.
    std::uint32_t NowMs() { return nowMs_(); }
    /// Reads wait in real time for their bytes, up to their time-out, and camera delays are real
    /// milliseconds (a program's default; emu_reset turns it off).
    void SetRealTime(bool on) { setRealTime_(on ? 1 : 0); }
    /// Lets virtual time pass, as a host that waits before it reads.
    void AdvanceMs(std::uint32_t ms) { advance_(ms); }

private:
    template <typename Fn>
    Fn Bind(const char* name);

    platform::DynamicLibrary library_;
    bool ok_ = true;
    PfnEmuReset reset_ = nullptr, clearFrames_ = nullptr, clearRegisters_ = nullptr, releaseLate_ = nullptr;
    PfnEmuSetRegister setRegister_ = nullptr;
    PfnEmuGetRegister getRegister_ = nullptr;
    PfnEmuPort unplug_ = nullptr, replug_ = nullptr;
    PfnEmuSetInt setCameraBaud_ = nullptr, setNoise_ = nullptr, setRates_ = nullptr, setPortCount_ = nullptr,
                 setCameraPort_ = nullptr, setShortReads_ = nullptr, setReceiveTimeout_ = nullptr,
                 setRealTime_ = nullptr;
    PfnEmuSetPortInt setPortBusy_ = nullptr;
    PfnEmuGetPortInt portOpen_ = nullptr, hostBaud_ = nullptr;
    PfnEmuSetFault setFault_ = nullptr, scriptFault_ = nullptr;
    PfnEmuSetDelay setDelay_ = nullptr;
    PfnEmuCount frameCount_ = nullptr, nowMs_ = nullptr, cameraBaud_ = nullptr;
    PfnEmuFrame frame_ = nullptr;
    PfnEmuCallCount callCount_ = nullptr;
    PfnEmuFailNext failNext_ = nullptr;
    PfnEmuPort advance_ = nullptr;
    PfnEmuFlashRead flashRead_ = nullptr;
    PfnEmuFlashWrite flashWrite_ = nullptr;
    PfnEmuSetInt setFlashBusy_ = nullptr;
    PfnEmuSetIntPair flashFailNext_ = nullptr;
    PfnEmuIntQuery flashCount_ = nullptr;
    PfnEmuQuery supervisor_ = nullptr;
};

template <typename Fn>
Fn ClserEmuControl::Bind(const char* name)
{
    Fn fn = library_.Function<Fn>(name);
    if (!fn)
        ok_ = false;
    return fn;
}

inline ClserEmuControl::ClserEmuControl(const std::filesystem::path& library)
{
    if (!library_.Load(library)) {
        ok_ = false;
        return;
    }
    reset_ = Bind<PfnEmuReset>("emu_reset");
    clearFrames_ = Bind<PfnEmuReset>("emu_clear_frames");
    clearRegisters_ = Bind<PfnEmuReset>("emu_clear_registers");
    setRegister_ = Bind<PfnEmuSetRegister>("emu_set_register");
    getRegister_ = Bind<PfnEmuGetRegister>("emu_get_register");
    unplug_ = Bind<PfnEmuPort>("emu_unplug_port");
    replug_ = Bind<PfnEmuPort>("emu_replug_port");
    setCameraBaud_ = Bind<PfnEmuSetInt>("emu_set_camera_baud");
    setNoise_ = Bind<PfnEmuSetInt>("emu_set_noise_on_mismatch");
    setRates_ = Bind<PfnEmuSetInt>("emu_set_supported_rates");
    setPortCount_ = Bind<PfnEmuSetInt>("emu_set_port_count");
    setCameraPort_ = Bind<PfnEmuSetInt>("emu_set_camera_port");
    setShortReads_ = Bind<PfnEmuSetInt>("emu_set_short_reads_succeed");
    setPortBusy_ = Bind<PfnEmuSetPortInt>("emu_set_port_busy");
    portOpen_ = Bind<PfnEmuGetPortInt>("emu_port_open");
    hostBaud_ = Bind<PfnEmuGetPortInt>("emu_host_baud");
    cameraBaud_ = Bind<PfnEmuCount>("emu_camera_baud");
    setFault_ = Bind<PfnEmuSetFault>("emu_set_address_fault");
    scriptFault_ = Bind<PfnEmuSetFault>("emu_script_fault");
    setDelay_ = Bind<PfnEmuSetDelay>("emu_set_delay");
    frameCount_ = Bind<PfnEmuCount>("emu_frame_count");
    nowMs_ = Bind<PfnEmuCount>("emu_now_ms");
    frame_ = Bind<PfnEmuFrame>("emu_frame");
    callCount_ = Bind<PfnEmuCallCount>("emu_call_count");
    failNext_ = Bind<PfnEmuFailNext>("emu_fail_next");
    advance_ = Bind<PfnEmuPort>("emu_advance_ms");
    setReceiveTimeout_ = Bind<PfnEmuSetInt>("emu_set_receive_timeout");
    setRealTime_ = Bind<PfnEmuSetInt>("emu_set_real_time");
    releaseLate_ = Bind<PfnEmuReset>("emu_release_late_answers");
    flashRead_ = Bind<PfnEmuFlashRead>("emu_flash_read");
    flashWrite_ = Bind<PfnEmuFlashWrite>("emu_flash_write");
    setFlashBusy_ = Bind<PfnEmuSetInt>("emu_set_flash_busy_polls");
    flashFailNext_ = Bind<PfnEmuSetIntPair>("emu_flash_fail_next");
    flashCount_ = Bind<PfnEmuIntQuery>("emu_flash_command_count");
    supervisor_ = Bind<PfnEmuQuery>("emu_supervisor_mode");
}

inline std::vector<FrameRecord> ClserEmuControl::Frames()
{
    std::vector<FrameRecord> frames;
    const std::uint32_t count = frameCount_();
    for (std::uint32_t i = 0; i < count; ++i) {
        FrameRecord record;
        record.bytes.resize(kPageBlockSize);
        std::int32_t baud = 0;
        const std::int32_t length = frame_(i, record.bytes.data(), static_cast<std::uint32_t>(kPageBlockSize), &baud);
        record.bytes.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        record.hostBaud = baud;
        frames.push_back(std::move(record));
    }
    return frames;
}

}  // namespace emu
