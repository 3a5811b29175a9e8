// Fuzz target: arbitrary bytes as what a camera answers. The first 16 bytes are four identity
// registers: the text they give and the settings key made of it must name a settings file in
// printable ASCII inside the data folder, or none at all. The rest are read-back words with
// a field's mask, shift and scale: decoding stays inside the field, a field written and read
// again is the same, and the status and error decoders answer every byte and code.
#include "fuzz/FuzzCheck.h"
#include "camera/CParamsMap.h"
#include "camera/LinkText.h"
#include "camera/RegisterProtocol.h"
#include "camera/ValueCoder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using fuzzcheck::Check;

std::uint32_t Word(const std::uint8_t* bytes) { return ValueCoder::BytesToWord(bytes); }

void CheckIdentity(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    for (std::size_t at = 0; at + 4 <= size && at < 16; at += 4)
        text += camera::IdentityTextPiece(data + at);
    Check(text.size() <= 16 && text.find('\0') == std::string::npos);
    for (char c : camera::PrintableText(text))
        Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);

    const std::string key = camera::SettingsKeyOfSerial(text);
    if (key.empty())
        return;
    for (long space = -1; space <= 4; ++space) {
        const std::string name = GuiSettingsFileName(key, space);
        Check(name.size() > 4 && name.compare(name.size() - 4, 4, ".gui") == 0);
        for (char c : name)
            Check(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) <= 0x7E && c != '/'
                  && c != '\\');
    }
    const std::string safe = SafeSettingsKey(key);
    Check(safe != "." && safe != "..");
}

// One read-back: word, mask, shift, then a minimum and a step as small signed numbers.
void CheckReadBack(const std::uint8_t* r)
{
    const std::uint32_t word = Word(r);
    const std::uint32_t mask = Word(r + 4);
    const int shift = static_cast<std::int8_t>(r[8]);
    const double minimum = static_cast<std::int8_t>(r[9]);
    const double step = static_cast<std::int8_t>(r[10]) / 16.0;
    const double maximum = static_cast<std::int16_t>((r[11] << 8) | r[9]);

    unsigned char bytes[4];
    ValueCoder::WordToBytes(word, bytes);
    Check(ValueCoder::BytesToWord(bytes) == word);

    const std::uint32_t field = ValueCoder::DecodeField(word, mask, shift);
    Check((field & ~mask) == 0);
    Check(ValueCoder::DecodeBoolean(word, mask, shift) == (field != 0));
    Check(ValueCoder::DecodePing(word, mask, shift) == (field == ValueCoder::kPingAnswer));
    if (shift < 0 || shift >= 32)
        Check(field == 0);
    const double value = ValueCoder::DecodeFloat(word, mask, shift, minimum, step, maximum);
    Check(!std::isnan(value));

    // A field the register can hold whole comes back as it was written.
    if (mask != 0 && shift >= 0 && shift < 32 && ((mask << shift) >> shift) == mask) {
        const auto encoded = ValueCoder::EncodeInteger(field, mask, shift);
        Check(encoded.has_value());
        Check(ValueCoder::DecodeField(*encoded, mask, shift) == field);
    }

    const int flash = protocol::DecodeFlashStatus(r[0]);
    Check(flash == 0 || flash == protocol::kFlashBit0 || flash == protocol::kFlashBit1 || flash == protocol::kFlashBit2);
    Check(!protocol::CameraErrorText(static_cast<std::int8_t>(r[1])).empty());
    Check(protocol::UartErrorText(r[2] >> 4) != nullptr);
    Check(protocol::UartErrorText(static_cast<std::int8_t>(r[2])) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckIdentity(data, size);
    for (std::size_t at = 16; at + 12 <= size; at += 12)
        CheckReadBack(data + at);
    return 0;
}
