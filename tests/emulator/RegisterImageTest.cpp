#include "emulator/RegisterImage.h"

#include "camera/CXmlNodeValue.h"
#include "camera/ValueCoder.h"
#include "emulator/CameraModel.h"
#include "emulator/ClserEmuControl.h"
#include "support/BuiltinMaps.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

using namespace emu;
using corvel::test::BuiltinMap;

namespace {

RegisterMapPtr Map(const std::string& body)
{
    const std::string text = "<?xml version=\"1.0\"?>\r\n<CAMERA><CameraType>T</CameraType>" + body + "</CAMERA>";
    return RegisterMap::LoadBuffer(text.data(), text.size(), "test");
}

std::uint32_t At(const RegisterImage& image, std::uint16_t address)
{
    auto it = image.find(address);
    return it == image.end() ? 0xDEADBEEF : it->second;
}

}  // namespace

// Example failure: fields that share a register overwrite each other instead of combining, a
// default lands unshifted, or a boolean / four-character default is coded as a number.
TEST(RegisterImage, DefaultsArePlacedByMaskAndShiftAndCombine)
{
    const RegisterMapPtr map = Map(
        "<S>"
        "<Low default=\"0x123\"><address>0x6000</address><mask>0x0FFF</mask></Low>"
        "<High default=\"0xABC\"><address>0x6000</address><mask>0x0FFF</mask><shift>12</shift></High>"
        "<Flag default=\"true\"><address>0x6000</address><mask>0x01</mask><shift>31</shift></Flag>"
        "<Off default=\"FALSE\"><address>0x6004</address><mask>0x01</mask><shift>3</shift></Off>"
        "<Text default=\"ra. \"><address>0x7038</address><mask>0xFFFFFFFF</mask></Text>"
        "<Wide default=\"0x1FF\"><address>0x0010</address><mask>0x0F</mask><shift>4</shift></Wide>"
        "<Neg default=\"-1\"><address>0x0014</address><mask>0xFF</mask></Neg>"
        "<Typo deault=\"7\"><address>0x0018</address><mask>0xFF</mask></Typo>"
        "<TooLong default=\"abcde\"><address>0x001C</address><mask>0xFFFFFFFF</mask></TooLong>"
        "<G><InGroup default=\"5\"><address>0x0500</address><mask>0x07</mask><shift>8</shift></InGroup></G>"
        "<Limits default=\"1.0\"><min>0</min><max>4.0</max><step>0.5</step></Limits>"
        "</S>");
    ASSERT_TRUE(map);
    const RegisterImage image = RegisterImageFromMap(*map);
    EXPECT_EQ(At(image, 0x6000), 0x80ABC123u);
    EXPECT_EQ(At(image, 0x6004), 0u);
    EXPECT_EQ(At(image, 0x7038), 0x72612E20u) << "first character in the most significant byte";
    EXPECT_EQ(At(image, 0x0010), 0xF0u) << "a default wider than its mask is cut to the mask";
    EXPECT_EQ(At(image, 0x0014), 0xFFu);
    EXPECT_EQ(At(image, 0x0018), 0u) << "an element without a default holds 0";
    EXPECT_EQ(At(image, 0x001C), 0u) << "a text too long for one register is not placed";
    EXPECT_EQ(At(image, 0x0500), 0x500u);
    EXPECT_EQ(image.size(), 8u) << "limits elements have no register";
}

// Example failure: of two elements naming the same bits, the earlier default wins, or the later
// one clears bits outside its own field.
TEST(RegisterImage, LaterElementOnTheSameBitsWinsWithoutTouchingOthers)
{
    const RegisterMapPtr map = Map(
        "<S>"
        "<Whole default=\"0x12345678\"><address>0x7040</address><mask>0xFFFFFFFF</mask></Whole>"
        "<Nibble default=\"3\"><address>0x7040</address><mask>0x0F</mask><shift>4</shift></Nibble>"
        "</S>");
    ASSERT_TRUE(map);
    EXPECT_EQ(At(RegisterImageFromMap(*map), 0x7040), 0x12345638u);
}

// Example failure: the emulated camera of a configuration fails identification: "Ping" holds
// the map's default instead of the test word, "CamCode" reports another configuration, or the
// model and serial texts are missing or byte-swapped.
TEST(RegisterImage, IdentityOfEachZorvatConfiguration)
{
    struct Row {
        const char* name;
        int mapId;
        int configIndex;
        const char* model;
        const char* serial;
    } rows[] = {
        {"configuration 4", corvel::test::kMap170, 4, "Zorvat Industrial", "EMU00004"},
        {"configuration 5", corvel::test::kMap174, 5, "Zorvat Industrial 47", "EMU00005"},
        {"configuration 8", corvel::test::kMap171, 8, "Zorvat Aerospace", "EMU00008"},
        {"configuration 9", corvel::test::kMap175, 9, "Zorvat Aerospace 47M", "EMU00009"},
        {"configuration 10", corvel::test::kMap172, 10, "Zorvat Ruggedized", "EMU00010"},
        {"configuration 11", corvel::test::kMap176, 11, "Zorvat Ruggedized 47", "EMU00011"},  // 20 characters fit
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RegisterMapPtr& map = BuiltinMap(row.mapId);
        ASSERT_TRUE(map);
        const CameraIdentity identity = IdentityForConfiguration(*map, row.configIndex);
        EXPECT_EQ(identity.modelText, row.model);
        EXPECT_EQ(identity.serialText, row.serial);

        const RegisterImage image = CameraRegistersFor(*map, row.configIndex);
        EXPECT_EQ(At(image, 0x600C), 0x76543210u);
        EXPECT_EQ(At(image, 0x603C), static_cast<std::uint32_t>(row.configIndex));
        EXPECT_EQ(At(image, 0x7028), 0x5A6F7276u);  // "Zorv"
        EXPECT_EQ(At(image, 0x7010), 0x454D5530u);  // "EMU0"
        // The serial text's second word, first character in the high byte.
        const std::uint32_t serialEnd = static_cast<std::uint32_t>(row.serial[4]) << 24 |
                                        static_cast<std::uint32_t>(row.serial[5]) << 16 |
                                        static_cast<std::uint32_t>(row.serial[6]) << 8 |
                                        static_cast<std::uint32_t>(row.serial[7]);
        EXPECT_EQ(At(image, 0x7014), serialEnd);
    }
}

// Example failure: the texts of a configuration-6 camera are written where the link does not
// look for them (it reads them one register later), or the remaining registers keep stale text.
TEST(RegisterImage, ConfigurationSixKeepsItsTextsOneRegisterLater)
{
    RegisterImage image;
    ApplyIdentity(image, CameraIdentity{6, "ABCDEFGH", "12345"});
    EXPECT_EQ(At(image, 0x702C), 0x41424344u);
    EXPECT_EQ(At(image, 0x7030), 0x45464748u);
    EXPECT_EQ(At(image, 0x7034), 0u);
    EXPECT_EQ(At(image, 0x703C), 0u);
    EXPECT_EQ(At(image, 0x7028), 0xDEADBEEF) << "not written";
    EXPECT_EQ(At(image, 0x7014), 0x31323334u);
    EXPECT_EQ(At(image, 0x7018), 0x35000000u);
}

// Example failure: the map's shared words come out wrong (a field lost where three share a
// register), so a fresh emulated camera reports other defaults than the map describes.
TEST(RegisterImage, BuiltinMapDefaultsReadBackThroughEveryField)
{
    // The aerospace map has the three TDI registers where the others have five WDR registers.
    const struct {
        int mapId;
        std::size_t words;
    } maps[] = {{corvel::test::kMap170, 274}, {corvel::test::kMap174, 274}, {corvel::test::kMap171, 272},
                {corvel::test::kMap175, 272}, {corvel::test::kMap172, 274}, {corvel::test::kMap176, 274}};
    for (const auto& [mapId, words] : maps) {
        SCOPED_TRACE(mapId);
        const RegisterMapPtr& map = BuiltinMap(mapId);
        ASSERT_TRUE(map);
        const RegisterImage image = RegisterImageFromMap(*map);
        EXPECT_EQ(image.size(), words) << "one word per distinct address of the map";
        int checked = 0;
        for (const CXmlNodeValue& element : map->Select("CAMERA").SelectAll(".//*[address]")) {
            const std::string text = element.Select("@default").AsString();
            if (text.empty() || text == "false" || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-'))
                continue;
            SCOPED_TRACE(element.Name());
            const auto mask = static_cast<std::uint32_t>(element.Select("mask").AsInt64());
            const auto shift = static_cast<int>(element.Select("shift").AsInt64());
            const auto address = static_cast<std::uint16_t>(element.Select("address").AsInt64());
            EXPECT_EQ(ValueCoder::DecodeField(At(image, address), mask, shift),
                      static_cast<std::uint32_t>(element.Select("@default").AsInt64()) & mask);
            ++checked;
        }
        EXPECT_GT(checked, 250);
        // Spot values from the map: BaudRate 4 (115200), DigitalGain 0x03FF, Strobe1Duration 20.
        EXPECT_EQ(At(image, 0x0604) & 0x07, 4u);
        EXPECT_EQ(At(image, 0x0180) & 0x0FFF, 0x03FFu);
        EXPECT_EQ(At(image, 0x0564) & 0xFFFFFF, 20u);
        EXPECT_EQ(At(image, 0x7028), 0x4E6F7420u) << "the map's placeholder model text, \"Not \"";
    }
}

// Example failure: the camera keeps registers from before (its factory identity), or the library
// transport never receives the image, so a test talks to a camera that is not the map's.
TEST(RegisterImage, CameraModelAndLibraryStartFromTheImage)
{
    const RegisterImage image = CameraRegistersFor(*BuiltinMap(corvel::test::kMap170), 4);
    CameraModel model;
    model.SetRegister(0x4242, 7);
    model.LoadRegisters(image);
    EXPECT_EQ(model.Register(0x4242), 0u);
    EXPECT_EQ(model.Register(0x603C), 4u);

    ClserEmuControl emu(CLSER_EMU_PATH);
    if (!emu.Loaded())
        GTEST_SKIP() << "emulated library not available: " << emu.Error();
    emu.Reset();
    emu.SetRegister(0x4242, 7);
    emu.LoadRegisters(image);
    EXPECT_EQ(emu.Register(0x4242), 0u);
    for (const auto& [address, word] : image)
        ASSERT_EQ(emu.Register(address), word) << std::hex << address;
}
