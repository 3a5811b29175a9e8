#include "camera/RegisterLink.h"

#include "orvmisc/OrvParamStorage.h"

#include <algorithm>
#include <cstring>
#include <vector>

// The block starts with a fixed header (a tag, the numeric fields and the two text lengths),
// followed by the command text and the path without terminating zeros.

namespace {

constexpr std::uint32_t kTag = 0x4B4E4C52;  // "RLNK"

struct Header {
    std::uint32_t tag;
    std::uint32_t mask;
    std::int32_t shift, poll, page, seq;
    std::uint32_t cmdLength, pathLength;
    std::uint16_t address;
    std::uint8_t ws;
    std::uint8_t reserved;
};

/// Most blocks fit here, so a fetch needs no second look-up.
constexpr std::size_t kInlineBlock = 512;

}  // namespace

int LinkRegister(OrvParamStorage& store, const char* name, const RegisterLink& link)
{
    const std::size_t cmdLength = std::min(link.cmd.size(), RegisterLink::kCmdMax);
    Header header{};
    header.tag = kTag;
    header.mask = link.mask;
    header.shift = link.shift;
    header.poll = link.poll;
    header.page = link.page;
    header.seq = link.seq;
    header.cmdLength = static_cast<std::uint32_t>(cmdLength);
    header.pathLength = static_cast<std::uint32_t>(link.path.size());
    header.address = link.address;
    header.ws = link.ws ? 1 : 0;

    std::vector<std::uint8_t> block(sizeof header + cmdLength + link.path.size());
    std::memcpy(block.data(), &header, sizeof header);
    std::memcpy(block.data() + sizeof header, link.cmd.data(), cmdLength);
    if (!link.path.empty())
        std::memcpy(block.data() + sizeof header + cmdLength, link.path.data(), link.path.size());
    return store.LinkParamData(name, block.data(), block.size());
}

int GetRegisterLink(const OrvParamStorage& store, const char* name, RegisterLink& link)
{
    std::uint8_t inlineBlock[kInlineBlock];
    int result = store.GetLinkedData(name, inlineBlock, sizeof inlineBlock);
    if (result != 0)
        return result;
    Header header;
    std::memcpy(&header, inlineBlock, sizeof header);
    if (header.tag != kTag || header.cmdLength > RegisterLink::kCmdMax)
        return kOrvParamNoLink;  // a block of another kind
    const std::size_t total = sizeof header + header.cmdLength + header.pathLength;
    const std::uint8_t* bytes = inlineBlock;
    std::vector<std::uint8_t> large;
    if (total > sizeof inlineBlock) {
        large.resize(total);
        result = store.GetLinkedData(name, large.data(), large.size());
        if (result != 0)
            return result;
        bytes = large.data();
    }
    link.address = header.address;
    link.mask = header.mask;
    link.shift = header.shift;
    link.poll = header.poll;
    link.page = header.page;
    link.seq = header.seq;
    link.ws = header.ws != 0;
    link.cmd.assign(reinterpret_cast<const char*>(bytes + sizeof header), header.cmdLength);
    link.path.assign(reinterpret_cast<const char*>(bytes + sizeof header + header.cmdLength), header.pathLength);
    return 0;
}
