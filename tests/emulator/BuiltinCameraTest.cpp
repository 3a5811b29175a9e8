#include "emulator/BuiltinCamera.h"

#include "camera/clser.h"
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
        EXPECT_EQ(image, CameraRegistersFor(*map, index));
        if (index != 6) {
            EXPECT_NE(At(image, kModelText), 0u) << "a model text for every index";
        }
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
