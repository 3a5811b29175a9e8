// The About box's texts for the camera's identity registers.
#include "app/CAboutDlg.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Example failure: a field is formatted with the wrong width, byte order or nibble order, or an
// unknown code shows a text of its own.
TEST(AboutFormat, RegisterValuesTable)
{
    using Fn = std::function<QString(std::int64_t)>;
    const struct {
        const char* what;
        Fn format;
        std::int64_t value;
        const char* text;
    } cases[] = {
        {"build", about::FirmwareBuildText, 0x12, "0012"},
        {"build", about::FirmwareBuildText, 0xABCDE, "ABCDE"},
        {"revision", about::FirmwareRevisionText, 0x010203, "01.02.03"},
        {"revision", about::FirmwareRevisionText, 0xFF0A0B0C, "0A.0B.0C"},
        {"custom", about::CustomIdText, 0x0A0B, "0A.0B"},
        {"custom", about::CustomIdText, 0x120A0B, "0A.0B"},
        {"rgs", about::RgsVersionText, 0x1234, "1.2.3.4"},
        {"rgs", about::RgsVersionText, 0xF00FA, "0.0.F.A"},
        {"image", about::FirmwareImageText, 10, "Application"},
        {"image", about::FirmwareImageText, 15, "Factory"},
        {"image", about::FirmwareImageText, 12, "Custom"},
        {"image", about::FirmwareImageText, 11, ""},
        {"color", about::ColorVersionText, 12, "Color"},
        {"color", about::ColorVersionText, 10, "TrueSense"},
        {"color", about::ColorVersionText, 11, "Mono"},
        {"color", about::ColorVersionText, 0, "Mono"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + std::to_string(c.value));
        EXPECT_EQ(c.format(c.value).toStdString(), c.text);
    }
}

// Example failure: an index outside the table (18, or -1 before identification) reads past it.
TEST(AboutFormat, CameraFamilyAndDate)
{
    EXPECT_EQ(about::CameraFamilyText(18).toStdString(), "Unknown");
    EXPECT_EQ(about::CameraFamilyText(-1).toStdString(), "Unknown");
    EXPECT_FALSE(about::CameraFamilyText(4).isEmpty());
    EXPECT_EQ(about::DateText("1203", "2024").toStdString(), "12/03/2024");
    // Short or empty parts give short fields, never a read past the text.
    EXPECT_EQ(about::DateText("1", "").toStdString(), "1//");
    EXPECT_EQ(about::DateText("", "").toStdString(), "//");
}

}  // namespace
