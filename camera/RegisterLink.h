// The register link of a parameter: where its value lives in the camera (16-bit register
// address, bit mask and shift), the camera's short command text for it, the path of its
// element in the register map and whether it belongs to the camera workspace. The store keeps
// it beside the parameter's record as a linked-data block; LinkRegister and GetRegisterLink
// put it there and take it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class OrvParamStorage;

struct RegisterLink {
    /// The camera's command texts are at most this long; longer ones are cut when linked.
    static constexpr std::size_t kCmdMax = 19;

    std::uint16_t address = 0;
    std::uint32_t mask = 0;    ///< 0: the parameter has no bits in any register
    std::int32_t shift = 0;    ///< position of the field's lowest bit
    std::int32_t poll = 0;     ///< the map's poll period minus 1
    std::int32_t page = 0;
    std::int32_t seq = 0;
    std::string cmd;           ///< command mnemonic of the camera's command syntax
    std::string path;          ///< "CAMERA/<section>/<element>" in the register map
    bool ws = false;           ///< part of the camera workspace

    bool operator==(const RegisterLink&) const = default;
};

/// Links `link` to the parameter `name` of `store` (replacing an earlier link). 0, or the
/// store's result for an unknown name.
int LinkRegister(OrvParamStorage& store, const char* name, const RegisterLink& link);

/// The register link of parameter `name`. 0, or non-zero (`link` untouched) when the parameter
/// is unknown or has no register link.
int GetRegisterLink(const OrvParamStorage& store, const char* name, RegisterLink& link);
