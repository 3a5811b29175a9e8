// Every writable integer parameter of the Zorvat catalogues, written and read back
// through the emulated camera: catches a link record that does not match its map element, a
// field coded to the wrong bits, and traffic beyond the one frame each operation needs.
#include "MachineVisionFixture.h"

#include "camera/CXmlNodeValue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace corvel::test;

class MachineVisionSweepTest : public ZorvatLinkTest {};

// Example failure: a field lands in the wrong register or at the wrong bits (a link record built
// from another element, a mask or shift lost on the way), so the camera receives another value
// than the panel set, or the read back decodes another field.
TEST_F(MachineVisionSweepTest, EveryWritableIntegerReachesItsRegisterAndReadsBack)
{
    for (const ZorvatConfig& config : kZorvatConfigs) {
        SCOPED_TRACE(config.name);
        StartCamera(config);
        ASSERT_FALSE(HasFatalFailure());
        const RegisterMap& map = *BuiltinMap(config.mapId);
        Build(config, false);
        int swept = 0;
        std::set<std::uint16_t> addresses;
        for (const _OrvStParam& record : Records()) {
            if (record.type != OrvParam_Int || record.access < OrvParam_Write)
                continue;
            SCOPED_TRACE(record.name);
            RegisterLink reg;
            ASSERT_EQ(GetRegisterLink(*link, record.name, reg), 0);
            ASSERT_NE(reg.mask, 0u);
            ASSERT_GE(reg.shift, 0);
            ASSERT_LT(reg.shift, 32);
            const CXmlNodeValue element = map.Select(reg.path);
            ASSERT_TRUE(element) << reg.path;
            EXPECT_EQ(element.Name(), record.name);
            EXPECT_EQ(reg.address, element.Select("address").AsInt64());
            EXPECT_EQ(reg.mask, element.Select("mask").AsInt64());
            EXPECT_EQ(reg.shift, element.Select("shift").AsInt64());
            addresses.insert(reg.address);

            // The ends of the range and a value in between with mixed bits. All are non-negative
            // in these maps, so the sign-magnitude "BitShift" codes them plainly as well.
            const std::int64_t lo = record.min.n, hi = record.max.n;
            ASSERT_GE(lo, 0);
            for (std::int64_t value : {lo, hi, lo + (hi - lo) / 3}) {
                SCOPED_TRACE(value);
                const std::uint32_t field = static_cast<std::uint32_t>(value) & reg.mask;
                const std::uint32_t word = static_cast<std::uint32_t>(static_cast<std::uint64_t>(field) << reg.shift);
                emu.ClearFrames();
                ASSERT_EQ(link->SetParamIntIfOnline(record.name, value, false, false), 0);
                EXPECT_EQ(emu.Register(reg.address), word);
                // A listed rate switches the camera's line after the answer: the host follows.
                constexpr int kRates[] = {9600, 19200, 38400, 57600, 115200};
                if (std::string_view(record.name) == "BaudRate" && field < std::size(kRates))
                    ASSERT_EQ(link->SetBaudRate(kRates[field]), 0);
                std::int64_t back = -1;
                ASSERT_EQ(link->GetParamInt(record.name, &back), 0);
                EXPECT_EQ(back, static_cast<std::int64_t>(field));
                EXPECT_EQ(Frames(), (std::vector<Bytes>{WriteFrame(reg.address, word), ReadFrame(reg.address)}));
            }
            ++swept;
        }
        // Every writable integer of the catalogue, each in a register of its own.
        EXPECT_EQ(swept, config.writableInts);
        EXPECT_EQ(addresses.size(), static_cast<std::size_t>(swept));
    }
}
