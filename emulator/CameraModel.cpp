#include "emulator/CameraModel.h"

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
        if (command != kReadCommand && command != kWriteCommand) {
            pending_.clear();
            out.push_back(Answer{{kWriteRefusal, kInvalidCommandCode}, 0});
            continue;
        }
        const std::size_t length = command == kReadCommand ? 3 : 7;
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

    answer.bytes.push_back(kAck);
    if (isRead) {
        const std::uint32_t word = Register(address);
        for (int shift = 24; shift >= 0; shift -= 8)
            answer.bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    } else {
        const std::uint32_t word = (std::uint32_t{frame[3]} << 24) | (std::uint32_t{frame[4]} << 16) |
                                   (std::uint32_t{frame[5]} << 8) | frame[6];
        SetRegister(address, word);
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

}  // namespace emu
