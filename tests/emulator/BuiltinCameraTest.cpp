#include "emulator/BuiltinCamera.h"

#include "camera/clser.h"
#include "camera/CXmlNodeValue.h"
#include "catalogues/ConfigurationTable.h"
#include "emulator/ClserEmuControl.h"
#include "platform/DynamicLibrary.h"
#include "resources/BuiltinResources.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

using namespace emu;

namespace {

constexpr std::uint16_t kCamCode = 0x603C;
constexpr std::uint16_t kModelText = 0x7028;

std::uint32_t At(const RegisterImage& image, std::uint16_t address)
{
    auto it = image.find(address);
    return it == image.end() ? 0xDEADBEEF : it->second;
}

// Example failure: a configuration without a built-in map gives an empty camera (no identity),
// or a configuration with one is started from another configuration's map.
TEST(BuiltinCamera, EveryConfigurationIndexGetsAMapAndItsIdentity)
{
    for (int index : {0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18, 42, -3}) {
        SCOPED_TRACE(index);
        const RegisterMapPtr map = BuiltinMapForConfiguration(index);
        ASSERT_TRUE(map);
        // The row's own map where the program carries it, else the default row's.
        const int own = ConfigurationRowFor(index).builtinMapId;
        const int expected = own != 0 && FindBuiltinResource(own) ? own : 170;
        EXPECT_EQ(map->Source(), "res://corvel/#" + std::to_string(expected));
        // These configurations' maps are compiled in.
        const std::map<int, int> builtIn = {{5, 174}, {7, 173}, {8, 171}, {9, 175}, {10, 172}, {11, 176}};
        if (auto it = builtIn.find(index); it != builtIn.end()) {
            EXPECT_EQ(expected, it->second);
        }
        const RegisterImage image = BuiltinCameraRegisters(index);
        EXPECT_EQ(At(image, kCamCode), static_cast<std::uint32_t>(index));
        EXPECT_EQ(At(image, 0x600C), 0x76543210u);
        // The map's defaults and identity, with the family's running state on top.
        RegisterImage expectedImage = CameraRegistersFor(*map, index);
        ApplyLiveState(expectedImage, *map, LiveStateForConfiguration(index));
        EXPECT_EQ(image, expectedImage);
        if (index != 6) {
            EXPECT_NE(At(image, kModelText), 0u) << "a model text for every index";
        }
    }
}

// Example failure: every emulated camera starts at frame time 1 and size 0, so the first window
// a new user sees reads "0x0 PxL, 1000000.000 fps".
TEST(BuiltinCamera, EveryConfigurationStartsFromAPlausibleRunningState)
{
    for (int index : {4, 5, 7, 8, 9, 10, 11, 0, 12}) {
        SCOPED_TRACE(index);
        const RegisterMapPtr map = BuiltinMapForConfiguration(index);
        ASSERT_TRUE(map);
        const RegisterImage image = BuiltinCameraRegisters(index);
        // Each value as the link decodes it from its field.
        auto field = [&](const char* name) -> std::int64_t {
            const CXmlNodeValue element = map->Select(std::string("CAMERA//") + name + "[address]");
            EXPECT_TRUE(element) << name;
            if (!element)
                return -1;
            const auto address = static_cast<std::uint16_t>(element.Select("address").AsInt64());
            const auto mask = static_cast<std::uint32_t>(element.Select("mask").AsInt64());
            const auto shift = static_cast<int>(element.Select("shift").AsInt64());
            return (At(image, address) >> shift) & mask;
        };
        const std::int64_t width = field("ImageWidth");
        const std::int64_t height = field("ImageHeight");
        const std::int64_t frameTime = field("FrameTime");
        const std::int64_t exposure = field("Exposure");
        std::int64_t raw = field("Temperature");
        if (raw > 511)
            raw -= 1024;
        const double fps = 1e6 / static_cast<double>(frameTime);
        EXPECT_GE(width, 320);
        EXPECT_GE(height, 240);
        EXPECT_LE(width, field("HorFrameSizeMax"));
        EXPECT_LE(height, field("VerFrameSizeMax"));
        EXPECT_GE(fps, 1.0);
        EXPECT_LE(fps, 500.0);
        EXPECT_GT(exposure, 0);
        EXPECT_LT(exposure, frameTime) << "the exposure fits in the frame";
        EXPECT_GE(raw * 0.25, 15.0);
        EXPECT_LE(raw * 0.25, 50.0);
    }
}

// Example failure: the library opened by a program starts with the factory camera whatever the
// environment asks for, or a test that reset the emulator meets the environment's camera.
TEST(BuiltinCameraDeathTest, LibraryStartsFromTheConfigurationTheEnvironmentNames)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Row {
        const char* name;
        std::optional<std::string> value;
        std::int32_t configIndex;
    } rows[] = {
        {"unset", std::nullopt, 4},
        {"47M camera", "5", 5},
        {"no built-in map", "9", 9},
        {"unknown index", "42", 42},
        {"not a number", "four", 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RegisterImage expected = BuiltinCameraRegisters(row.configIndex);
        // Each row needs a process whose emulation has not been touched yet.
        EXPECT_EXIT(
            {
                if (row.value)
                    ::setenv("CORVEL_EMU_CONFIG", row.value->c_str(), 1);
                else
                    ::unsetenv("CORVEL_EMU_CONFIG");
                ClserEmuControl control(CLSER_EMU_PATH);
                platform::DynamicLibrary library;
                if (!control.Loaded() || !library.Load(CLSER_EMU_PATH))
                    std::exit(2);
                auto init = library.Function<PfnClSerialInit>(clser::kSerialInit);
                ClSerialRef ref = nullptr;
                if (!init || init(0, &ref) != 0)
                    std::exit(3);
                for (const auto& [address, word] : expected)
                    if (control.Register(address) != word)
                        std::exit(4);
                // A reset gives the factory camera, whatever the environment says.
                control.Reset();
                std::exit(control.Register(kCamCode) == 4 && control.Register(kModelText) != expected.at(kModelText) ? 0 : 5);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

}  // namespace
