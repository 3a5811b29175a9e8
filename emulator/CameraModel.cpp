#include "emulator/CameraModel.h"

#include <algorithm>
#include <iterator>

namespace emu {

CameraModel::CameraModel() { Reset(); }

void CameraModel::Reset()
{
    registers_.clear();
    addressFaults_.clear();
    scripted_.clear();
    delays_.clear();
    pending_.clear();
    lastByteAtMs_ = 0;
    receiveTimeoutMs_ = 0;
    late_.clear();
    frames_.clear();
    lostBytes_ = 0;
    baudRate_ = 9600;
    noiseOnMismatch_ = false;
    flash_.assign(static_cast<std::size_t>(kFlashSectors) * kFlashSectorBytes, 0xFF);
    pageBuffer_.assign(kFlashPageBytes, 0xFF);
    supervisor_ = false;
    flashBusyPolls_ = 0;
    busyLeft_ = 0;
    flashFailures_.clear();
    flashCommandCounts_.clear();

    SetRegister(kPingRegister, kPingValue);
    SetRegister(kCamCodeRegister, 4);
    SetRegister(kCcdTypeRegister, 0);
    SetRegister(kBootFromRegister, 0);
    SetTextRegisters(kModelTextRegister, 5, "EMU-2M192-C");
    SetTextRegisters(kSerialTextRegister, 2, " 0042  ");
}

void CameraModel::SetRegister(std::uint16_t address, std::uint32_t value) { registers_[address] = value; }

std::uint32_t CameraModel::Register(std::uint16_t address) const
{
    auto it = registers_.find(address);
    return it == registers_.end() ? 0 : it->second;
}

void CameraModel::SetTextRegisters(std::uint16_t first, int words, const std::string& text)
{
    for (int w = 0; w < words; ++w) {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            const std::size_t at = static_cast<std::size_t>(w) * 4 + static_cast<std::size_t>(i);
            const std::uint8_t c = at < text.size() ? static_cast<std::uint8_t>(text[at]) : 0;
            word = (word << 8) | c;
        }
        SetRegister(static_cast<std::uint16_t>(first + 4 * w), word);
    }
}

void CameraModel::SetAddressFault(std::uint16_t address, const Fault& fault) { addressFaults_[address] = fault; }
void CameraModel::ClearAddressFault(std::uint16_t address) { addressFaults_.erase(address); }
void CameraModel::ScriptFault(int address, const Fault& fault) { scripted_.emplace_back(address, fault); }
void CameraModel::SetDelay(std::uint16_t address, int delayMs) { delays_[address] = delayMs; }

Fault CameraModel::TakeFault(std::uint16_t address)
{
    for (auto it = scripted_.begin(); it != scripted_.end(); ++it) {
        if (it->first < 0 || it->first == address) {
            Fault fault = it->second;
            scripted_.erase(it);
            return fault;
        }
    }
    auto it = addressFaults_.find(address);
    return it == addressFaults_.end() ? Fault{} : it->second;
}

std::vector<Answer> CameraModel::TakeLateAnswers()
{
    std::vector<Answer> late;
    late.swap(late_);
    return late;
}

void CameraModel::Receive(const std::uint8_t* data, std::size_t size, int hostBaud, std::vector<Answer>& out,
                          std::uint64_t nowMs)
{
    if (size == 0)
        return;
    if (receiveTimeoutMs_ > 0 && !pending_.empty() && nowMs > lastByteAtMs_ + static_cast<std::uint64_t>(receiveTimeoutMs_))
        DropPendingFrame();
    lastByteAtMs_ = nowMs;
    if (hostBaud != baudRate_) {
        // The UART cannot frame bytes sent at another rate.
        lostBytes_ += size;
        pending_.clear();
        if (noiseOnMismatch_ && size)
            out.push_back(Answer{std::vector<std::uint8_t>(size, 0x00), 0});
        return;
    }
    for (std::size_t i = 0; i < size; ++i) {
        pending_.push_back(data[i]);
        const std::uint8_t command = pending_.front();
        if (command != kReadCommand && command != kWriteCommand && command != kPageBlockCommand) {
            pending_.clear();
            out.push_back(Answer{{kWriteRefusal, kInvalidCommandCode}, 0});
            continue;
        }
        const std::size_t length = command == kReadCommand ? 3 : command == kWriteCommand ? 7 : kPageBlockSize;
        if (pending_.size() < length)
            continue;
        std::vector<std::uint8_t> frame;
        frame.swap(pending_);
        Answer answer = HandleFrame(frame, hostBaud);
        if (!answer.bytes.empty())
            out.push_back(std::move(answer));
    }
}

void CameraModel::SetBaudRate(int rate)
{
    baudRate_ = rate;
    for (std::size_t i = 0; i < std::size(kBaudRates); ++i)
        if (kBaudRates[i] == rate)
            registers_[kBaudRateRegister] = (Register(kBaudRateRegister) & ~kBaudRateMask) | static_cast<std::uint32_t>(i);
}

Answer CameraModel::HandleFrame(const std::vector<std::uint8_t>& frame, int hostBaud)
{
    frames_.push_back(FrameRecord{frame, hostBaud});
    const auto address = static_cast<std::uint16_t>((frame[1] << 8) | frame[2]);
    const bool isRead = frame[0] == kReadCommand;
    Answer answer;
    if (auto it = delays_.find(address); it != delays_.end())
        answer.delayMs = it->second;

    const Fault fault = TakeFault(address);
    switch (fault.kind) {
    case FaultKind::Silence:
        return Answer{};
    case FaultKind::Refuse:
        answer.bytes.push_back(fault.status);
        if (!isRead)
            answer.bytes.push_back(fault.code);
        for (int i = 0; i < fault.extraBytes; ++i)
            answer.bytes.push_back(static_cast<std::uint8_t>(0xE0 + (i & 0x0F)));
        return answer;
    default:
        break;
    }

    if (frame[0] == kPageBlockCommand || (frame[0] == kWriteCommand && address == kFlashControlRegister)) {
        const bool taken = frame[0] == kPageBlockCommand
                               ? TakePageBlock(frame)
                               : RunFlashCommand((std::uint32_t{frame[3]} << 24) | (std::uint32_t{frame[4]} << 16) |
                                                 (std::uint32_t{frame[5]} << 8) | frame[6]);
        if (!taken) {
            answer.bytes = {kWriteRefusal, kFlashRefusedCode};
            return answer;
        }
    }

    answer.bytes.push_back(kAck);
    if (frame[0] == kPageBlockCommand) {
        // Taken above.
    } else if (isRead) {
        const std::uint32_t word = address == kFlashStatusRegister ? FlashStatusWord() : Register(address);
        for (int shift = 24; shift >= 0; shift -= 8)
            answer.bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    } else {
        const std::uint32_t word = (std::uint32_t{frame[3]} << 24) | (std::uint32_t{frame[4]} << 16) |
                                   (std::uint32_t{frame[5]} << 8) | frame[6];
        SetRegister(address, word);
        if (address == kSupervisorRegister)
            supervisor_ = word == kSupervisorPassword;
        // The answer still goes out at the old rate (it is already framed); the UART switches after.
        const std::uint32_t index = word & kBaudRateMask;
        if (address == kBaudRateRegister && index < std::size(kBaudRates))
            baudRate_ = kBaudRates[index];
    }
    if (fault.kind == FaultKind::Partial && fault.partialBytes >= 0 &&
        static_cast<std::size_t>(fault.partialBytes) < answer.bytes.size())
        answer.bytes.resize(static_cast<std::size_t>(fault.partialBytes));
    if (fault.kind == FaultKind::Doubled) {
        const std::size_t once = answer.bytes.size();
        for (std::size_t i = 0; i < once; ++i)
            answer.bytes.push_back(answer.bytes[i]);
    }
    if (fault.kind == FaultKind::Late) {
        late_.push_back(std::move(answer));
        return Answer{};
    }
    return answer;
}

// ---- parameter flash ----

std::vector<std::uint8_t> CameraModel::FlashBytes(int sector, std::uint32_t offset, std::uint32_t count) const
{
    if (sector < 0 || sector >= kFlashSectors || offset >= kFlashSectorBytes)
        return {};
    count = std::min(count, kFlashSectorBytes - offset);
    const auto from = flash_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::uint32_t>(sector) * kFlashSectorBytes + offset);
    return {from, from + static_cast<std::ptrdiff_t>(count)};
}

void CameraModel::SetFlashBytes(int sector, std::uint32_t offset, const std::vector<std::uint8_t>& bytes)
{
    if (sector < 0 || sector >= kFlashSectors)
        return;
    for (std::size_t i = 0; i < bytes.size() && offset + i < kFlashSectorBytes; ++i)
        flash_[static_cast<std::uint32_t>(sector) * kFlashSectorBytes + offset + i] = bytes[i];
}

int CameraModel::FlashCommandCount(std::uint8_t command) const
{
    auto it = flashCommandCounts_.find(command);
    return it == flashCommandCounts_.end() ? 0 : it->second;
}

bool CameraModel::TakePageBlock(const std::vector<std::uint8_t>& frame)
{
    if (!supervisor_ || frame.size() != kPageBlockSize)
        return false;
    std::uint8_t sum = 0;
    for (std::size_t i = 3; i < frame.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    if (sum != 0)
        return false;
    pageBuffer_.assign(frame.begin() + 3, frame.begin() + 3 + kFlashPageBytes);
    busyLeft_ = flashBusyPolls_;
    SetRegister(kFlashStatusRegister, 0);
    return true;
}

bool CameraModel::RunFlashCommand(std::uint32_t word)
{
    // Outside supervisor mode the control register is a plain register: the flash ignores it.
    if (!supervisor_)
        return true;
    const auto command = static_cast<std::uint8_t>(word >> 24);
    const std::uint32_t sector = (word >> 16) & 0xFF;
    if (sector >= static_cast<std::uint32_t>(kFlashSectors) ||
        (command != kFlashErase && command != kFlashProgram && command != kFlashReadWord))
        return false;
    busyLeft_ = flashBusyPolls_;
    SetRegister(kFlashStatusRegister, 0);
    if (auto it = flashFailures_.find(command); it != flashFailures_.end()) {
        SetRegister(kFlashStatusRegister, it->second);
        flashFailures_.erase(it);
        return true;
    }
    ++flashCommandCounts_[command];
    const auto base = static_cast<std::size_t>(sector) * kFlashSectorBytes;
    if (command == kFlashErase) {
        std::fill_n(flash_.begin() + static_cast<std::ptrdiff_t>(base), kFlashSectorBytes, std::uint8_t{0xFF});
    } else if (command == kFlashProgram) {
        // Programming only clears bits, as flash does: a page not erased keeps its zeros.
        const std::size_t page = base + ((word >> 8) & 0xFF) * kFlashPageBytes;
        for (std::size_t i = 0; i < kFlashPageBytes; ++i)
            flash_[page + i] &= pageBuffer_[i];
    } else {
        const std::size_t at = base + ((word & 0xFFFF) & ~std::uint32_t{3});
        SetRegister(kFlashDataRegister, (std::uint32_t{flash_[at]} << 24) | (std::uint32_t{flash_[at + 1]} << 16) |
                                            (std::uint32_t{flash_[at + 2]} << 8) | flash_[at + 3]);
    }
    return true;
}

std::uint32_t CameraModel::FlashStatusWord()
{
    // The busy bit while the last command runs; then the register as the camera left it (tests
    // may also set it themselves).
    if (busyLeft_ > 0) {
        --busyLeft_;
        return 0x01;
    }
    return Register(kFlashStatusRegister);
}

}  // namespace emu
