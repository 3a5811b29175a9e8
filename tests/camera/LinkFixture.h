// Test doubles around the camera link: a recording host, in-memory settings, and a "Ping"
// parameter whose read callback speaks the camera's read frame over the link's channel, so
// baud detection and channel tests run against the emulated camera.
#pragma once

#include "camera/CameraLink.h"
#include "camera/ISettings.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace corvel::test {

class FakeHost : public ILinkHost {
public:
    struct Message {
        std::string text, caption;
        unsigned flags;
    };
    int level = 0;
    std::vector<Message> messages;

    int LoggingLevel() const override { return level; }
    int ShowAppMessage(const std::string& text, const std::string& caption, unsigned flags) override
    {
        messages.push_back({text, caption, flags});
        return kIdOk;
    }
    ITerminalSink* Terminal() override { return nullptr; }
    int ShowErrorDialog(const std::string& text) override
    {
        messages.push_back({text, "CDlgErr", 0});
        return kIdOk;
    }
};

class MemorySettings : public ISettings {
public:
    std::map<std::string, int> values;  // "Section/Key"
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const override
    {
        auto it = values.find(section + "/" + key);
        return it == values.end() ? defaultValue : it->second;
    }
    bool WriteInt(const std::string& section, const std::string& key, int value) override
    {
        values[section + "/" + key] = value;
        return true;
    }
    void Set(const char* key, int value) { values[std::string(comm::kSection) + "/" + key] = value; }
};

/// A link whose protected store access the test callbacks may use.
class TestLink : public CCameraLink {
public:
    using CCameraLink::CCameraLink;
    using OrvParamStorage::SetParam;

    static TestLink* Find(std::uint32_t id) { return static_cast<TestLink*>(FindParamStorageById(id)); }
};

/// One register exchange over the link's channel: the frame, the status byte and, after an
/// accepted read, the data word. 0, 15 (refused) or the channel's result.
inline int ExchangeFrame(CCameraLink& link, const std::vector<std::uint8_t>& frame, std::uint32_t* word)
{
    std::uint32_t n = static_cast<std::uint32_t>(frame.size());
    int r = link.Write(frame.data(), &n, static_cast<std::uint32_t>(link.m_nTimeout));
    if (r != 0 || n != frame.size())
        return r != 0 ? r : -5;
    std::uint8_t answer[5] = {};
    n = 1;
    r = link.Read(answer, &n, static_cast<std::uint32_t>(link.m_nTimeout));
    if (r != 0 || n != 1)
        return r != 0 ? r : -5;
    if (answer[0] != 0x06)
        return 15;
    if (frame[0] != 0x52)
        return 0;
    n = 4;
    r = link.Read(answer + 1, &n, static_cast<std::uint32_t>(link.m_nTimeout));
    if (r != 0 || n != 4)
        return r != 0 ? r : -5;
    if (word)
        *word = (std::uint32_t{answer[1]} << 24) | (std::uint32_t{answer[2]} << 16) |
                (std::uint32_t{answer[3]} << 8) | answer[4];
    return 0;
}

inline int PingRead(std::uint32_t owner, _OrvStParam* param)
{
    TestLink* link = TestLink::Find(owner);
    if (!link)
        return -1;
    std::uint32_t word = 0;
    const int r = ExchangeFrame(*link, {0x52, 0x60, 0x0C}, &word);
    if (r != 0)
        return r;
    const std::uint8_t value = word == 0x76543210 ? 1 : 0;
    return link->SetParam(param, &value, 1);
}

/// Writes the value to the register whose address is the low 16 bits of the record's default.
inline int RegisterWrite(std::uint32_t owner, _OrvStParam* param)
{
    TestLink* link = TestLink::Find(owner);
    if (!link)
        return -1;
    const auto address = static_cast<std::uint16_t>(param->def.n);
    const auto v = static_cast<std::uint32_t>(param->value.n);
    return ExchangeFrame(*link,
                         {0x57, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                          static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)},
                         nullptr);
}

inline void AddPing(CCameraLink& link)
{
    _OrvStParam p{};
    p.type = OrvParam_Bool;
    p.access = OrvParam_Read;
    std::strcpy(p.name, "Ping");
    p.read = PingRead;
    link.AddParam(p);
}

inline void AddRegisterParam(CCameraLink& link, const char* name, std::uint16_t address)
{
    _OrvStParam p{};
    p.type = OrvParam_Int;
    p.access = OrvParam_ReadWrite;
    std::strncpy(p.name, name, sizeof p.name - 1);
    p.def.n = address;
    p.write = RegisterWrite;
    link.AddParam(p);
}

}  // namespace corvel::test
