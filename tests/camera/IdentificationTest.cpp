// Identification of the emulated camera over both transports: baud detection, the forced
// connection check, the configuration index and the identity texts, with the catalogue of the
// default configuration in the store as the port selector's probing link has it.
#include "camera/CameraLink.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "catalogues/ConfigurationTable.h"
#include "emulator/BuiltinCamera.h"
#include "support/BuiltinMaps.h"

#include "Transports.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace corvel::test;
using namespace std::chrono_literals;

namespace {

constexpr std::uint16_t kPing = 0x600C;
constexpr std::uint16_t kCamCode = 0x603C;
constexpr std::uint16_t kCcdType = 0x6004;
constexpr std::uint16_t kBootFrom = 0x5000;
constexpr std::uint16_t kModelText = 0x7028;
constexpr std::uint16_t kSerialText = 0x7010;

constexpr int kRates[] = {115200, 57600, 38400, 19200, 9600};
/// A rate the link never tries: a camera there is never heard.
constexpr int kUntriedRate = 4800;

std::string VariantTag(const CCameraLink& link) { return std::string(link.m_nVariantTag, sizeof link.m_nVariantTag); }

/// The frames an identification of a camera of `configIndex` sends: "CamCode" (once for a
/// machine configuration, else eleven times), two "Ping" reads, the five model and two serial
/// registers (one register later for configuration 6), "CCD_Type", and "BootFrom" for a camera
/// with a serial number.
std::vector<Bytes> IdentificationFrames(int configIndex, bool withSerial = true)
{
    std::vector<Bytes> frames;
    const int camCodeReads = configIndex >= 4 && configIndex <= 11 ? 1 : 11;
    for (int i = 0; i < camCodeReads; ++i)
        frames.push_back(ReadFrame(kCamCode));
    frames.push_back(ReadFrame(kPing));
    frames.push_back(ReadFrame(kPing));
    const std::uint16_t offset = configIndex == 6 ? 4 : 0;
    for (int i = 0; i < 5; ++i)
        frames.push_back(ReadFrame(static_cast<std::uint16_t>(kModelText + offset + 4 * i)));
    for (int i = 0; i < 2; ++i)
        frames.push_back(ReadFrame(static_cast<std::uint16_t>(kSerialText + offset + 4 * i)));
    frames.push_back(ReadFrame(kCcdType));
    if (withSerial)
        frames.push_back(ReadFrame(kBootFrom));
    return frames;
}

/// A link of the port selector's kind on one transport: the default configuration's catalogue
/// in its store, error checking on (so a report that should not happen shows), waits on a
/// clock that costs no time.
class IdentificationFixture {
protected:
    /// False with `why` set when the transport cannot run here.
    bool Start(const std::string& transportName, std::string& why)
    {
        transport = MakeTransport(transportName);
        if (!transport->Ready(why))
            return false;
        UseShortComTimeouts(settings);
        settings.Set(comm::kCheckErrorDisabled, 0);
        link = std::make_unique<CCameraLink>(&settings);
        link->SetClock(&transport->Clock());
        link->SetDataFolder(dataFolder.Path());
        link->SetMainWindow(&host);
        // Built before the port opens, as the probing link does; its closing reads find no channel.
        if (!BuildCatalogZorvatMachineVision(*link, BuiltinMap(kMap170), false).built) {
            why = "the default catalogue did not build";
            return false;
        }
        host.lines.clear();
        return true;
    }

    /// The camera of `configIndex` fresh from its built-in map, answering at `rate`.
    void StartCamera(int configIndex, int rate)
    {
        transport->LoadRegisters(emu::BuiltinCameraRegisters(configIndex));
        transport->SetCameraBaud(rate);
    }

    std::vector<Bytes> Frames()
    {
        std::vector<Bytes> frames;
        for (const auto& f : transport->Frames())
            frames.push_back(f.bytes);
        return frames;
    }

    bool NothingShown() const { return host.dialogs.empty() && host.appBoxes.empty(); }

    MemorySettings settings;
    RecordingHost host;
    /// The GUI-settings files of the identified cameras.
    TempDir dataFolder;
    std::unique_ptr<Transport> transport;
    std::unique_ptr<CCameraLink> link;
};

// ---- every configuration index at every rate ----

using GridCase = std::tuple<const char*, int, int>;  // transport, configuration index, rate

class IdentificationGridTest : public IdentificationFixture, public ::testing::TestWithParam<GridCase> {
protected:
    void SetUp() override
    {
        std::string why;
        if (!Start(std::get<0>(GetParam()), why))
            GTEST_SKIP() << "transport not available: " << why;
    }
};

// Example failure: a camera is found at the wrong rate or not at all, reports another
// configuration, or its texts are read from the wrong registers (configuration 6 keeps them one
// register later) or assembled in the wrong order.
TEST_P(IdentificationGridTest, IdentifiesTheCamera)
{
    const auto [name, configIndex, rate] = GetParam();
    StartCamera(configIndex, rate);
    ASSERT_EQ(transport->Open(*link), 0);
    EXPECT_EQ(link->m_nBaudRate, rate) << "the host side stays at the camera's rate";
    transport->ClearFrames();

    EXPECT_EQ(link->ReadCameraInfo(), 0);
    const emu::CameraIdentity identity =
        emu::IdentityForConfiguration(*emu::BuiltinMapForConfiguration(configIndex), configIndex);
    EXPECT_EQ(link->m_nConfigIndex, configIndex);
    EXPECT_EQ(ConfigurationRowIndex(link->m_nConfigIndex), configIndex) << "the row the main window builds";
    EXPECT_EQ(link->m_strModelName, identity.modelText);
    EXPECT_EQ(link->m_strSerialNumber, identity.serialText);
    EXPECT_EQ(link->m_strSettingsKey, identity.serialText);
    EXPECT_EQ(link->m_bLinkAlive, 1);
    EXPECT_EQ(link->m_bNotIdentified, 0);
    EXPECT_EQ(link->m_bWhiteBalanceSensor, 0);
    EXPECT_EQ(link->m_bEchoToTerminal, 1);
    EXPECT_EQ(VariantTag(*link), "_JS_");
    EXPECT_EQ(link->m_nImageWidthMax, 1024);
    EXPECT_EQ(link->m_nImageHeightMax, 768);

    EXPECT_EQ(Frames(), IdentificationFrames(configIndex));
    for (const auto& frame : transport->Frames())
        EXPECT_EQ(frame.hostBaud, rate);
    EXPECT_TRUE(transport->Sleeps().empty()) << "an answering camera needs no retry";
    EXPECT_TRUE(NothingShown());
}

/// Every configuration index at every rate on the library, whose waits are virtual. On the pty
/// a rate below the first costs real time-outs at the rates before it, so there every index
/// runs at the first rate and the machine configurations 4 and 5 and the text-shifted 6 at all.
std::vector<GridCase> GridCases()
{
    std::vector<GridCase> cases;
    for (int configIndex = 0; configIndex < kConfigurationCount; ++configIndex)
        for (int rate : kRates)
            cases.emplace_back(kLibraryTransport, configIndex, rate);
    for (int configIndex = 0; configIndex < kConfigurationCount; ++configIndex)
        for (int rate : kRates)
            if (rate == kRates[0] || (configIndex >= 4 && configIndex <= 6))
                cases.emplace_back(kPtyTransport, configIndex, rate);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Configurations, IdentificationGridTest, ::testing::ValuesIn(GridCases()),
                         [](const ::testing::TestParamInfo<GridCase>& info) {
                             return std::string(std::get<0>(info.param)) + "_config" +
                                    std::to_string(std::get<1>(info.param)) + "_" +
                                    std::to_string(std::get<2>(info.param));
                         });

// ---- cameras that do not identify, or not at once ----

class IdentificationTest : public IdentificationFixture, public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        std::string why;
        if (!Start(GetParam(), why))
            GTEST_SKIP() << "transport not available: " << why;
    }
};

// Example failure: a port with nothing on it is taken for a camera, the connection check
// sleeps for real or not at all, or the link is left online.
TEST_P(IdentificationTest, SilentPortIdentifiesNothing)
{
    StartCamera(4, kUntriedRate);
    EXPECT_EQ(transport->Open(*link), link_result::kNoCamera);
    EXPECT_EQ(link->m_nBaudRate, -1);
    EXPECT_TRUE(transport->Sleeps().empty()) << "detection waits only on the channel";
    link->GoOnline();

    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_EQ(link->m_nConfigIndex, -1);
    EXPECT_EQ(ConfigurationRowIndex(link->m_nConfigIndex), kDefaultConfigurationRow);
    EXPECT_EQ(link->m_strModelName, "");
    EXPECT_EQ(link->m_strSerialNumber, "");
    EXPECT_EQ(link->m_strSettingsKey, "");
    EXPECT_EQ(link->m_bLinkAlive, 0);
    EXPECT_EQ(link->m_bOnline, 0);
    EXPECT_EQ(link->m_bEchoToTerminal, 1);
    EXPECT_EQ(transport->Sleeps(), std::vector<std::chrono::milliseconds>{1000ms})
        << "one second before the connection check's second Ping";
    EXPECT_TRUE(transport->Frames().empty()) << "the camera heard nothing";
    EXPECT_TRUE(NothingShown());
}

// Example failure: bytes that are not the protocol pass for an answer, so a rate or a
// configuration is claimed, or refusal dialogs pop up while the rate is searched.
TEST_P(IdentificationTest, GarbageAnswersIdentifyNothingAndShowNothing)
{
    struct Row {
        const char* name;
        bool noise;  ///< 0x00 noise for every frame at the rates the link tries
        int cameraRate;
        bool refuseEverything;  ///< at its own rate every frame gets a refusal with trailing junk
    } rows[] = {
        {"noise at every rate", true, kUntriedRate, false},
        {"refusals with junk", false, 115200, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host = RecordingHost{};
        StartCamera(4, row.cameraRate);
        transport->SetNoiseOnMismatch(row.noise);
        const emu::Fault junk{row.refuseEverything ? emu::FaultKind::Refuse : emu::FaultKind::None, 0xA5, 0, 20, 0};
        for (std::uint16_t address : {kPing, kCamCode, kCcdType, kBootFrom})
            transport->SetAddressFault(address, junk);
        link->SetIdentified(false);
        link->m_nLastStatus = 6;

        EXPECT_EQ(transport->Open(*link), link_result::kNoCamera);
        EXPECT_EQ(link->m_nBaudRate, -1);
        EXPECT_TRUE(NothingShown()) << "no refusal is reported while the rate is searched";

        EXPECT_EQ(link->ReadCameraInfo(), 0);
        EXPECT_EQ(link->m_nConfigIndex, -1);
        EXPECT_EQ(link->m_strModelName, "");
        EXPECT_EQ(link->m_strSerialNumber, "");
        EXPECT_EQ(link->m_strSettingsKey, "");
        EXPECT_EQ(VariantTag(*link), "_JS_");
        EXPECT_EQ(link->m_bWhiteBalanceSensor, 0);
        EXPECT_TRUE(NothingShown());
        link->Close();
    }
}

// Example failure: a camera that is slow to answer its first "Ping" is given up at once, the
// retry happens without the one-second wait, or the wait blocks the test for real.
TEST_P(IdentificationTest, CameraThatAnswersOnlyAfterTheRetryIsIdentified)
{
    // The camera comes up after the port was opened; the line stays at the last rate tried.
    StartCamera(4, kUntriedRate);
    ASSERT_EQ(transport->Open(*link), link_result::kNoCamera);
    ASSERT_EQ(link->m_bLinkAlive, 0);
    transport->SetCameraBaud(kRates[4]);
    transport->ScriptFault(kPing, emu::Fault{emu::FaultKind::Silence, 0, 0, 0, 0});
    transport->ClearFrames();

    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_EQ(transport->Sleeps(), std::vector<std::chrono::milliseconds>{1000ms});
    EXPECT_EQ(link->m_nConfigIndex, 4);
    EXPECT_EQ(link->m_strModelName, "Zorvat Industrial");
    EXPECT_EQ(link->m_bLinkAlive, 1);
    std::vector<Bytes> expected = {ReadFrame(kPing), ReadFrame(kPing)};
    for (const Bytes& frame : IdentificationFrames(4))
        expected.push_back(frame);
    EXPECT_EQ(Frames(), expected) << "the unanswered Ping, the retry, then the identification";
    EXPECT_TRUE(NothingShown());

    // Once answering, a forced check needs no retry; without force the last state is answered.
    transport->ClearFrames();
    EXPECT_TRUE(link->IsConnected(true));
    EXPECT_EQ(Frames(), std::vector<Bytes>{ReadFrame(kPing)});
    transport->SetCameraBaud(kUntriedRate);
    EXPECT_TRUE(link->IsConnected(false));
    EXPECT_FALSE(link->IsConnected(true));
    EXPECT_FALSE(link->IsConnected(false));
    EXPECT_EQ(transport->Sleeps().size(), 2u);
}

// Example failure: a "CamCode" outside the machine configurations is taken after one read or
// replaced by -1, so the main window builds a configuration the camera does not report; or a
// failed read ends the search.
TEST_P(IdentificationTest, CamCodeNamingNoBuiltinConfiguration)
{
    struct Row {
        const char* name;
        std::uint32_t camCode;
        std::int32_t configIndex;
        int row;
        int camCodeReads;
    } rows[] = {
        {"past the table", 18, 18, kDefaultConfigurationRow, 11},
        {"far past the table", 1000, 1000, kDefaultConfigurationRow, 11},
        {"row without a map", 3, 3, 3, 11},
        {"all bits set", 0xFFFFFFFF, -1, kDefaultConfigurationRow, 11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host = RecordingHost{};
        StartCamera(4, 57600);
        transport->SetRegister(kCamCode, row.camCode);
        ASSERT_EQ(transport->Open(*link), 0);
        transport->ClearFrames();
        EXPECT_EQ(link->ReadCameraInfo(), 0);
        EXPECT_EQ(link->m_nConfigIndex, row.configIndex);
        EXPECT_EQ(ConfigurationRowIndex(link->m_nConfigIndex), row.row);
        EXPECT_EQ(link->m_strModelName, "Zorvat Industrial") << "the texts are read from their usual registers";
        int camCodeReads = 0;
        for (const Bytes& frame : Frames())
            camCodeReads += frame == ReadFrame(kCamCode);
        EXPECT_EQ(camCodeReads, row.camCodeReads);
        EXPECT_TRUE(NothingShown());
        link->Close();
    }

    // A read that gets no answer is tried again.
    StartCamera(5, 57600);
    ASSERT_EQ(transport->Open(*link), 0);
    transport->ScriptFault(kCamCode, emu::Fault{emu::FaultKind::Silence, 0, 0, 0, 0});
    transport->ClearFrames();
    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_EQ(link->m_nConfigIndex, 5);
    EXPECT_EQ(Frames().at(1), ReadFrame(kCamCode));
}

// Example failure: the variant tag ignores "SDI"/"ISD" or the sensor-code rule, the white-balance
// flag follows the wrong "CCD_Type" bits, a text piece keeps the bytes after its zero byte, or
// the settings key keeps the serial number's blanks.
TEST_P(IdentificationTest, IdentityTextsVariantTagAndSensor)
{
    struct Row {
        const char* name;
        const char* model;
        const char* serial;
        std::uint32_t ccdType;
        const char* tag;
        std::uint8_t whiteBalance;
        const char* key;
    } rows[] = {
        {"plain", "Zorvat 2M Mono", "SN123456", 0, "_JS_", 0, "SN123456"},
        {"SDI anywhere", "Fandro SDI", "A1", 12, "_IDS", 1, "A1"},
        {"ISD anywhere", "xISD", " 77 ", 10, "_IDS", 1, "77"},
        {"colour type 11 is not white balance", "Zorvat", "77", 11, "_JS_", 0, "77"},
        {"S192 after the first character", "AS192192", "K", 0, "_IDS", 0, "K"},
        {"S192 only at the start", "S192x192", "K", 0, "_JS_", 0, "K"},
        {"sensor code not 192", "AS192x93", "K", 0, "_JS_", 0, "K"},
        {"short model", "Zorv", "K", 0, "_JS_", 0, "K"},
        {"blank serial", "Zorvat", "  ", 0, "_JS_", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu::RegisterImage image = emu::BuiltinCameraRegisters(4);
        emu::ApplyIdentity(image, emu::CameraIdentity{4, row.model, row.serial});
        image[kCcdType] = (image[kCcdType] & ~0x0F000000u) | (row.ccdType << 24) | 0x00F00000u;
        transport->LoadRegisters(image);
        transport->SetCameraBaud(115200);
        ASSERT_EQ(transport->Open(*link), 0);
        transport->ClearFrames();
        EXPECT_EQ(link->ReadCameraInfo(), 0);
        EXPECT_EQ(link->m_strModelName, row.model);
        EXPECT_EQ(link->m_strSerialNumber, row.serial);
        EXPECT_EQ(link->m_strSettingsKey, row.key);
        EXPECT_EQ(VariantTag(*link), row.tag);
        EXPECT_EQ(link->m_bWhiteBalanceSensor, row.whiteBalance);
        EXPECT_EQ(Frames(), IdentificationFrames(4, *row.key != '\0'))
            << "the boot space is read only for a camera with a settings key";
        link->Close();
    }

    // Each register gives its characters up to its first zero byte.
    transport->SetRegister(kSerialText, 0x41420058);      // "AB", 0, "X"
    transport->SetRegister(kSerialText + 4, 0x43442020);  // "CD  "
    ASSERT_EQ(transport->Open(*link), 0);
    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_EQ(link->m_strSerialNumber, "ABCD  ");
    EXPECT_EQ(link->m_strSettingsKey, "ABCD");
}

// Example failure: a camera that answers garbage leaves a settings file whose name holds
// non-UTF-8 bytes or path separators, or a camera that was never identified writes one.
TEST_P(IdentificationTest, SettingsFilesAreNamedInPrintableAsciiOnlyForAnIdentifiedCamera)
{
    struct Row {
        const char* name;
        const char* model;
        const char* serial;
        const char* file;  // the file the link leaves behind, or null
    } rows[] = {
        {"plain", "Zorvat", "SN1", "SN1.gui"},
        {"garbage bytes", "Zorvat", "S\x01\xFF\xC3\xA9/..", "S_____...gui"},
        {"nothing but garbage", "Zorvat", "\xFF\xFE\x80\x7F", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir folder;
        std::string why;
        ASSERT_TRUE(Start(GetParam(), why)) << why;
        link->SetDataFolder(folder.Path());
        emu::RegisterImage image = emu::BuiltinCameraRegisters(4);
        emu::ApplyIdentity(image, emu::CameraIdentity{4, row.model, row.serial});
        transport->LoadRegisters(image);
        transport->SetCameraBaud(115200);
        ASSERT_EQ(transport->Open(*link), 0);
        EXPECT_EQ(link->ReadCameraInfo(), 0);
        link->Close();
        link.reset();
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            files.push_back(entry.path().filename().string());
        EXPECT_EQ(files, row.file ? std::vector<std::string>{row.file} : std::vector<std::string>{});
    }
}

// Example failure: identification loads the GUI settings of another space than the one the
// camera boots from, or empties the settings of the camera before when the new one has no
// serial number.
TEST_P(IdentificationTest, LoadsTheGuiSettingsOfTheBootSpace)
{
    dataFolder.Write("EMU00004.user2.gui", "color.mode=7\r\n");
    dataFolder.Write("EMU00004.gui", "last.run=1\r\n");
    CParamsMap::Entries defaults;
    for (const auto& [key, value] : CParamsMap::Defaults())
        defaults[key] = value;
    const CParamsMap::Entries kept = {{"kept", "1"}};
    struct Row {
        const char* name;
        std::uint32_t bootFrom;
        const char* serial;
        CParamsMap::Entries expected;
    } rows[] = {
        {"user space 2", 2, "EMU00004", {{"color.mode", "7"}}},
        {"factory space", 0, "EMU00004", defaults},
        {"user space without a file", 3, "EMU00004", {}},
        {"no serial number", 2, "", kept},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        emu::RegisterImage image = emu::BuiltinCameraRegisters(4);
        emu::ApplyIdentity(image, emu::CameraIdentity{4, "Zorvat Industrial", row.serial});
        image[kBootFrom] = (image[kBootFrom] & ~0x07u) | row.bootFrom;
        transport->LoadRegisters(image);
        transport->SetCameraBaud(115200);
        ASSERT_EQ(transport->Open(*link), 0);
        link->m_GuiSettings.Clear();
        link->m_GuiSettings.Set("kept", "1");
        EXPECT_EQ(link->ReadCameraInfo(), 0);
        EXPECT_EQ(link->m_GuiSettings.Items(), row.expected);
        link->Close();
    }
}

// Example failure: a folder where the boot space's settings file should be throws out of the
// settings loader and ends the program while the camera is identified.
TEST_P(IdentificationTest, AFolderInPlaceOfTheSettingsFileIsNoSettings)
{
    std::filesystem::create_directory(dataFolder.Path() / "EMU00004.user2.gui");
    emu::RegisterImage image = emu::BuiltinCameraRegisters(4);
    emu::ApplyIdentity(image, emu::CameraIdentity{4, "Zorvat Industrial", "EMU00004"});
    image[kBootFrom] = (image[kBootFrom] & ~0x07u) | 2u;
    transport->LoadRegisters(image);
    transport->SetCameraBaud(115200);
    ASSERT_EQ(transport->Open(*link), 0);
    link->m_GuiSettings.Set("kept", "1");
    int result = -1;
    EXPECT_NO_THROW(result = link->ReadCameraInfo());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(link->m_strSettingsKey, "EMU00004");
    EXPECT_TRUE(link->m_GuiSettings.Items().empty());
}

// Example failure: a camera whose "Ping" register holds another word is taken for absent,
// although it answers every read.
TEST_P(IdentificationTest, AnyAnswerToPingCountsAsConnected)
{
    StartCamera(4, 38400);
    transport->SetRegister(kPing, 0x12345678);
    ASSERT_EQ(transport->Open(*link), 0);
    EXPECT_EQ(link->m_nBaudRate, 38400);
    EXPECT_TRUE(link->IsConnected(true));
    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_EQ(link->m_nConfigIndex, 4);
    EXPECT_TRUE(transport->Sleeps().empty());
}

// Example failure: the terminal is flooded with the identification's frames although the
// operator does not log, or echo stays off after identification ends (also on the -7777 way
// out), so later changes never reach the terminal.
TEST_P(IdentificationTest, EchoIsOffWhileIdentifyingUnlessLogging)
{
    StartCamera(4, 115200);
    ASSERT_EQ(transport->Open(*link), 0);
    EXPECT_TRUE(host.lines.empty()) << "detection echoes nothing either";
    EXPECT_EQ(link->ReadCameraInfo(), 0);
    // Only "CamCode" is read before echo is switched off.
    int frameLines = 0;
    for (const std::string& line : host.lines)
        frameLines += line.rfind("CMD=", 0) == 0;
    EXPECT_EQ(frameLines, 1);
    ASSERT_FALSE(host.lines.empty());
    EXPECT_EQ(host.lines.front(), "CMD=<52603C>");
    EXPECT_EQ(link->m_bEchoToTerminal, 1);

    host.lines.clear();
    host.level = 1;
    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_GT(host.lines.size(), 8u) << "with logging every read is echoed";

    // A refused "Ping" that is reported ends identification with -7777.
    host = RecordingHost{};
    link->SetIdentified(false);
    link->m_nLastStatus = 6;
    transport->ScriptFault(kPing, emu::Fault{});
    transport->ScriptFault(kPing, emu::Fault{emu::FaultKind::Refuse, 0x04, 0, 0, 0});
    EXPECT_EQ(link->ReadCameraInfo(), link_result::kReadReported);
    EXPECT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(link->m_bEchoToTerminal, 1);
}

// Example failure: a camera that stops answering keeps the serial number of the camera before,
// so that camera's GUI settings are loaded for it and saved under its name.
TEST_P(IdentificationTest, SilenceForgetsTheSerialNumber)
{
    StartCamera(7, 115200);
    ASSERT_EQ(transport->Open(*link), 0);
    ASSERT_EQ(link->ReadCameraInfo(), 0);
    ASSERT_EQ(link->m_strSettingsKey, "EMU00007");
    transport->SetCameraBaud(kUntriedRate);
    EXPECT_EQ(link->ReadCameraInfo(), 0);
    EXPECT_EQ(link->m_strSerialNumber, "");
    EXPECT_EQ(link->m_strSettingsKey, "");
    EXPECT_EQ(link->m_bLinkAlive, 0);
}

// Example failure: a camera that refuses "Ping" at every rate makes detection note the
// refusal's status, so the same refusal met during identification is taken as already shown:
// identification answers 0 and the operator sees nothing.
TEST_P(IdentificationTest, RefusalSeenDuringDetectionIsStillReported)
{
    // At the last rate tried, so the line stays where the camera hears it.
    StartCamera(4, 9600);
    transport->SetAddressFault(kPing, emu::Fault{emu::FaultKind::Refuse, 0x04, 0, 0, 0});
    link->SetIdentified(false);
    link->m_nLastStatus = 6;
    EXPECT_EQ(transport->Open(*link), link_result::kNoCamera);
    EXPECT_TRUE(NothingShown()) << "detection reports nothing";

    EXPECT_EQ(link->ReadCameraInfo(), link_result::kReadReported);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_NE(host.dialogs[0].find("Read <Ping>"), std::string::npos) << host.dialogs[0];
}

// ---- answers that come late or twice ----

constexpr std::uint16_t kDigitalGain = 0x0180;
constexpr std::uint16_t kDigitalOffset = 0x0184;

// Example failure: an answer that comes after its time-out, or a second copy of one, waits in
// the input queue; every later exchange then reads the answer of the one before it: "CamCode"
// reads the gain, "DigitalOffset" reads the configuration index, and a refused write passes for
// acknowledged on a stale 0x06.
TEST_P(IdentificationTest, EachExchangeAfterALateOrDoubledAnswerReadsItsOwnRegister)
{
    struct Row {
        const char* name;
        emu::FaultKind fault;
        bool gainReadSucceeds;
    } rows[] = {
        {"late answer", emu::FaultKind::Late, false},
        {"doubled answer", emu::FaultKind::Doubled, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StartCamera(4, 115200);
        transport->SetRegister(kDigitalGain, 0x0555);
        transport->SetRegister(kDigitalOffset, 0x0022);
        ASSERT_EQ(transport->Open(*link), 0);
        link->SetCheckErrorDisabled(true);

        transport->ScriptFault(kDigitalGain, emu::Fault{row.fault, 0, 0, 0, 0});
        std::int64_t gain = -1;
        EXPECT_EQ(link->GetParamInt("DigitalGain", &gain) == 0, row.gainReadSucceeds);
        if (row.gainReadSucceeds) {
            EXPECT_EQ(gain, 0x0555);
        }
        transport->ReleaseLateAnswers();

        std::int64_t camCode = -1, offset = -1;
        EXPECT_EQ(link->GetParamInt("CamCode", &camCode), 0);
        EXPECT_EQ(camCode, 4);
        EXPECT_EQ(link->GetParamInt("DigitalOffset", &offset), 0);
        EXPECT_EQ(offset, 0x0022);

        // Another one comes between a write and its refusal.
        transport->ScriptFault(kDigitalGain, emu::Fault{row.fault, 0, 0, 0, 0});
        link->GetParamInt("DigitalGain", &gain);
        transport->ReleaseLateAnswers();
        transport->ScriptFault(kDigitalOffset, emu::Fault{emu::FaultKind::Refuse, 0x15, 0x02, 0, 0});
        EXPECT_NE(link->SetParamInt("DigitalOffset", 0x0033, false), 0) << "the camera refused the write";
        EXPECT_EQ(transport->Register(kDigitalOffset), 0x0022u);
        EXPECT_EQ(link->GetParamInt("DigitalOffset", &offset), 0);
        EXPECT_EQ(offset, 0x0022);
        link->Close();
    }
}

// Example failure: the camera joins the first bytes of a frame the host cut short with the
// next frame, so that frame is misread and every answer after it is shifted.
TEST_P(IdentificationTest, AFrameCutShortIsForgottenAfterTheCameraReceiveTimeOut)
{
    StartCamera(4, 115200);
    transport->SetReceiveTimeoutMs(20);
    ASSERT_EQ(transport->Open(*link), 0);
    const std::uint8_t cut[] = {0x52, 0x60};
    std::uint32_t n = sizeof cut;
    ASSERT_EQ(link->Write(cut, &n, 50), 0);
    transport->LetTimePass(200ms);
    transport->ClearFrames();

    std::int64_t camCode = -1;
    EXPECT_EQ(link->GetParamInt("CamCode", &camCode), 0);
    EXPECT_EQ(camCode, 4);
    EXPECT_EQ(Frames(), std::vector<Bytes>{ReadFrame(kCamCode)});
}

INSTANTIATE_TEST_SUITE_P(Transports, IdentificationTest, ::testing::Values(kLibraryTransport, kPtyTransport),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
