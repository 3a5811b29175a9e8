#include "camera/ValueCoder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace ValueCoder;

namespace {

struct IntRow {
    const char* name;
    std::int64_t value;
    std::uint32_t mask;
    int shift;
    std::optional<std::uint32_t> word;
};

const IntRow kIntegers[] = {
    {"worked_example", 0x123, 0x3FF, 2, 0x48C},
    {"full_word", 0xDEADBEEF, 0xFFFFFFFF, 0, 0xDEADBEEF},
    {"shift_31", 1, 0x1, 31, 0x80000000},
    {"value_above_mask_is_cut", 0x1FFF, 0x0FFF, 12, 0x00FFF000},
    {"negative_stays_in_field", -1, 0xFF, 8, 0x0000FF00},
    {"shift_32_contributes_nothing", 1, 0x1, 32, 0},
    {"negative_shift_contributes_nothing", 1, 0x1, -1, 0},
    {"mask_0_sends_no_frame", 5, 0, 0, std::nullopt},
};

}  // namespace

// Example failure: a value above its mask spills into the neighbouring field of the same
// register, or a shift of 32 is undefined behaviour and writes garbage.
TEST(ValueCoder, IntegersAreMaskedThenShifted)
{
    for (const IntRow& row : kIntegers) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EncodeInteger(row.value, row.mask, row.shift), row.word);
        if (row.word && row.shift >= 0 && row.shift < 32) {
            EXPECT_EQ(DecodeField(*row.word, row.mask, row.shift),
                      static_cast<std::uint32_t>(static_cast<std::uint64_t>(row.value) & row.mask));
        }
    }
    EXPECT_EQ(DecodeField(0xFFFFFFFF, 0xFF, 32), 0u);
    EXPECT_EQ(EncodeBaudRate(4, 0x7), 4u) << "the baud-rate code is not shifted";
    EXPECT_EQ(EncodeBaudRate(4, 0), std::nullopt);
}

// Example failure: a negative offset is sent as two's complement, which the camera reads as a
// large positive shift.
TEST(ValueCoder, SignMagnitudeUsesTheMasksTopBit)
{
    struct Row {
        std::int32_t value;
        std::uint32_t mask;
        int shift;
        std::uint32_t word;
    } rows[] = {
        {-1, 0x0F, 0, 0x9}, {3, 0x0F, 0, 0x3}, {-7, 0x0F, 0, 0xF}, {0, 0x0F, 0, 0x0},
        {-1, 0x0F, 4, 0x90}, {-5, 0xFFFFFFFF, 0, 0x80000005},
        {std::numeric_limits<std::int32_t>::min(), 0xFF, 0, 0x80},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(EncodeSignMagnitude(row.value, row.mask, row.shift), row.word);
    }
    EXPECT_EQ(DecodeField(0xF, 0x0F, 0), 15u) << "read back as stored, not converted";
}

// Example failure: a gain in dB is coded with the wrong rounding, or a raw value above the
// maximum is shown as a huge positive number instead of a negative one.
TEST(ValueCoder, FloatsScaleByStepFromTheMinimum)
{
    EXPECT_EQ(EncodeFloat(10.0, 0.0, 0.5, 0xFF, 0), 20u);
    EXPECT_EQ(EncodeFloat(10.0, 0.0, 0.5, 0xFF, 8), 20u << 8);
    EXPECT_EQ(EncodeFloat(1.26, 0.0, 0.5, 0xFF, 0), 2u) << "truncated toward zero";
    EXPECT_EQ(EncodeFloat(-1.26, 0.0, 0.5, 0xFF, 0), static_cast<std::uint32_t>(-2) & 0xFF);
    EXPECT_EQ(EncodeFloat(1.0, 0.0, 0.0, 0xFF, 0), 0u) << "zero step";
    EXPECT_EQ(EncodeFloat(1e300, 0.0, 1e-300, 0xFFFFFFFF, 0), 0x7FFFFFFFu) << "saturates";
    EXPECT_EQ(EncodeFloat(std::nan(""), 0.0, 1.0, 0xFF, 0), 0u);
    EXPECT_EQ(EncodeFloat(1.0, 0.0, 1.0, 0, 0), std::nullopt) << "limits entries have no bits";

    // Whether a value's field fits the mask, so that it is not written wrapped.
    EXPECT_TRUE(FloatFieldHolds(127.5, 0.0, 0.5, 0xFF)) << "the last step";
    EXPECT_TRUE(FloatFieldHolds(127.9, 0.0, 0.5, 0xFF)) << "truncated onto the last step";
    EXPECT_FALSE(FloatFieldHolds(128.0, 0.0, 0.5, 0xFF)) << "would be written as 0";
    EXPECT_FALSE(FloatFieldHolds(-0.5, 0.0, 0.5, 0xFF)) << "below the minimum";
    EXPECT_DOUBLE_EQ(LargestFloat(-12.0, 0.1, 0xFF), 13.5);

    EXPECT_DOUBLE_EQ(DecodeFloat(20, 0xFF, 0, 0.0, 0.5, 100.0), 10.0);
    EXPECT_DOUBLE_EQ(DecodeFloat(0xFF, 0xFF, 0, 0.0, 0.5, 100.0), -0.5) << "above max reads as negative";
    EXPECT_DOUBLE_EQ(DecodeFloat(0xFF00, 0xFF, 8, -12.0, 0.1, 12.0), (255 - 256) * 0.1 - 12.0);

    // Round trip over a representative field.
    for (int raw = 0; raw <= 0x3FF; raw += 31) {
        SCOPED_TRACE(raw);
        const double value = DecodeFloat(static_cast<std::uint32_t>(raw) << 2, 0x3FF, 2, 0.0, 0.25, 300.0);
        EXPECT_EQ(EncodeFloat(value, 0.0, 0.25, 0x3FF, 2), static_cast<std::uint32_t>(raw) << 2);
    }
}

// Example failure: "Ping" accepts any non-zero answer, so a camera that echoes garbage is taken
// as connected; or a boolean is written as the value byte itself.
TEST(ValueCoder, BooleansAndPing)
{
    EXPECT_EQ(EncodeBoolean(true, 0x1, 5), 0x20u);
    EXPECT_EQ(EncodeBoolean(false, 0x1, 5), 0x0u);
    EXPECT_EQ(EncodeBoolean(true, 0, 0), std::nullopt);
    EXPECT_TRUE(DecodeBoolean(0x20, 0x1, 5));
    EXPECT_FALSE(DecodeBoolean(0x10, 0x1, 5));
    EXPECT_TRUE(DecodePing(0x76543210, 0xFFFFFFFF, 0));
    EXPECT_FALSE(DecodePing(0x76543211, 0xFFFFFFFF, 0));
    EXPECT_FALSE(DecodePing(0x06543210, 0xFFFFFFFF, 0));
}

// Example failure: strings go out least significant byte first, so "ABCD" is stored as "DCBA",
// or a 5-character string is cut and sent.
TEST(ValueCoder, StringsTravelMostSignificantByteFirst)
{
    EXPECT_EQ(EncodeString("AB"), 0x41420000u);
    EXPECT_EQ(EncodeString("ABCD"), 0x41424344u);
    EXPECT_EQ(EncodeString(""), 0u);
    EXPECT_EQ(EncodeString("ABCDE"), std::nullopt);
    unsigned char bytes[4];
    WordToBytes(0x41424344u, bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), "ABCD");
    EXPECT_EQ(BytesToWord(bytes), 0x41424344u);
}
