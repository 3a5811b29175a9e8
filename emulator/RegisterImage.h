// The register contents of an emulated camera taken from a register map: every register the
// map describes holds its default, each field placed by its mask and shift the way the camera
// link codes a write, and fields that share a word combine into it. On top come the registers
// by which the link identifies a camera of a configuration: "Ping", "CamCode" and the model and
// serial-number texts.
#pragma once

#include "camera/RegisterMap.h"

#include <cstdint>
#include <map>
#include <string>

namespace emu {

/// Register words by 16-bit address.
using RegisterImage = std::map<std::uint16_t, std::uint32_t>;

/// Every element with an `address` holding its `default`: a whole integer text is coded as an
/// integer, "true"/"false" as a boolean, anything else as up to four characters (a longer
/// text, or a missing default, leaves the field 0). Elements are placed in document order, so of
/// two elements naming the same bits the later one's default stands.
RegisterImage RegisterImageFromMap(const RegisterMap& map);

/// Puts `value` into the field `mask << shift` of the register at `address` as the camera holds
/// a written value: the low 32 bits of (value AND mask), shifted up; the word's other bits stay.
/// A shift outside 0..31 places nothing.
void PutField(RegisterImage& image, std::uint16_t address, std::uint32_t mask, int shift, std::int64_t value);

/// Puts `value` as PutField does into the field of the first element `name` of `map` that has an
/// address. False when the map has none, or its field has no bits in this camera.
bool PutNamedField(RegisterImage& image, const RegisterMap& map, const std::string& name, std::int64_t value);

/// What a camera answers to the identification reads.
struct CameraIdentity {
    std::int32_t configIndex = 4;  ///< the "CamCode" value
    std::string modelText;         ///< up to 20 characters, five registers
    std::string serialText;        ///< up to 8 characters, two registers
};

/// A believable identity for a camera of configuration `configIndex`: the family text that the
/// map's "CamCode" list gives for the index, else the display name of its configuration (or
/// "Camera <index>" for an index without one), cut to the 20 characters the model registers
/// hold; and the serial "EMU" followed by the index in five digits.
CameraIdentity IdentityForConfiguration(const RegisterMap& map, std::int32_t configIndex);

/// Puts the identity into the image: "Ping" holds the test word the link expects, "CamCode"
/// the configuration index, the texts their registers (one register later for index 6).
void ApplyIdentity(RegisterImage& image, const CameraIdentity& identity);

/// The registers of a freshly powered camera of configuration `configIndex` described by `map`.
RegisterImage CameraRegistersFor(const RegisterMap& map, std::int32_t configIndex);

}  // namespace emu
