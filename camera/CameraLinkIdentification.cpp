// Identification of the camera on an open channel: the rate it answers at, whether it still
// answers, its configuration index ("CamCode") and its identity: model and serial-number texts
// read raw from the manufacturing registers, the sensor's colour type, the variant tag panels
// read and the key that names the camera's GUI-settings files.
#include "camera/CameraLink.h"
#include "camera/LinkLog.h"
#include "camera/LinkText.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr int kDetectionRates[] = {115200, 57600, 38400, 19200, 9600};

/// A camera that does not answer "Ping" gets one more chance after this wait.
constexpr std::chrono::milliseconds kConnectRetryWait{1000};
/// "CamCode" is read at most this many times until it names a machine configuration.
constexpr int kCamCodeReads = 11;
constexpr std::int64_t kFirstCamCode = 4;
constexpr std::int64_t kLastCamCode = 11;

/// Manufacturing registers of the identity texts, four characters each: `MfgName1` to
/// `MfgName5` and `MfgASN1`, `MfgASN2`.
constexpr std::uint16_t kModelTextRegister = 0x7028;
constexpr int kModelTextWords = 5;
constexpr std::uint16_t kSerialTextRegister = 0x7010;
constexpr int kSerialTextWords = 2;
/// A configuration-6 camera keeps both texts one register further on.
constexpr int kShiftedTextConfiguration = 6;
constexpr std::uint16_t kShiftedTextOffset = 4;

/// "CCD_Type" values of colour sensors, whose white balance the operator can choose.
constexpr std::int64_t kColourSensorTypes[] = {12, 10};

constexpr char kVariantStandard[4] = {'_', 'J', 'S', '_'};
constexpr char kVariantIds[4] = {'_', 'I', 'D', 'S'};

/// Echo is off while the camera is identified, unless the operator logs; it comes back on
/// every way out.
struct EchoScope {
    CCameraLink& link;
    explicit EchoScope(CCameraLink& l) : link(l) { link.SetEchoToTerminal(link.LoggingLevel() > 0); }
    ~EchoScope() { link.SetEchoToTerminal(true); }
};

/// Also marks the detection, so refused reads at a wrong rate are not reported.
struct DetectionScope {
    EchoScope echo;
    explicit DetectionScope(CCameraLink& l) : echo(l) { echo.link.m_bDetectingBaudRate = 1; }
    ~DetectionScope() { echo.link.m_bDetectingBaudRate = 0; }
};

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

/// The characters of `words` consecutive registers from `first`, read raw, each register's up
/// to its first zero byte; a register that cannot be read adds nothing.
std::string ReadIdentityText(CCameraLink& link, std::uint16_t first, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i) {
        std::uint8_t bytes[4] = {};
        if (link.ReadRegisterBytes(static_cast<std::uint16_t>(first + 4 * i), bytes) != 0)
            continue;
        text += camera::IdentityTextPiece(bytes);
    }
    return text;
}

}  // namespace

bool CCameraLink::DetectBaudRate()
{
    DetectionScope scope(*this);
    int result = -1;
    for (int rate : kDetectionRates) {
        bool ping = false;
        if (SetBaudRate(rate) != 0) {
            // The switch failed: whatever rate the line runs at, see whether the camera answers.
            m_nBaudRate = -1;
            result = GetParamBool("Ping", &ping);
        } else if (GetParamBool("Ping", &ping) == 0 && ping) {
            result = 0;
        } else {
            // A camera whose "Ping" register holds another value still answers reads.
            result = GetParamBool("Ping", &ping);
        }
        if (result == 0)
            break;
    }
    if (result != 0)
        m_nBaudRate = -1;
    else
        m_nAnsweredRate = m_nBaudRate;
    return result == 0;
}

bool CCameraLink::ProbeNextRate()
{
    if (m_bPortLost && Reopen() != 0)
        return false;
    DetectionScope scope(*this);
    constexpr int kRates = static_cast<int>(std::size(kDetectionRates));
    // Even steps try the rate that answered last (a camera that comes back mostly runs at it),
    // odd steps the other rates in turn.
    const int first = m_nAnsweredRate > 0 ? m_nAnsweredRate : kDetectionRates[0];
    int others[kRates] = {};
    int count = 0;
    for (int candidate : kDetectionRates)
        if (candidate != first)
            others[count++] = candidate;
    const int steps = 2 * std::max(count, 1);
    m_nProbeStep %= steps;
    const int rate = m_nProbeStep % 2 == 0 || count == 0 ? first : others[(m_nProbeStep / 2) % count];
    bool ping = false;
    if (SetBaudRate(rate) != 0)
        m_nBaudRate = -1;  // whatever rate the line runs at, see whether the camera answers
    if (GetParamBool("Ping", &ping) == 0) {
        if (m_nBaudRate > 0)
            m_nAnsweredRate = m_nBaudRate;
        m_nProbeStep = 0;
        return true;
    }
    m_nProbeStep = (m_nProbeStep + 1) % steps;
    return false;
}

bool CCameraLink::IsConnected(bool force)
{
    if (!force)
        return m_bLinkAlive != 0;
    if (AnswersPing())
        return true;
    // A camera busy with its flash or just powered up answers a moment later.
    m_pClock->SleepFor(kConnectRetryWait);
    return AnswersPing();
}

bool CCameraLink::AnswersPing()
{
    // Any answer counts, whatever the register holds.
    bool ping = false;
    m_bLinkAlive = GetParamBool("Ping", &ping) == 0 ? 1 : 0;
    return m_bLinkAlive != 0;
}

std::int32_t ReadCamCode(CCameraLink* link)
{
    if (!link)
        return -1;
    if (!link->m_bLinkAlive && !link->IsConnected(true))
        return -1;
    std::int64_t code = -1;
    int result = -1;
    for (int i = 0; i < kCamCodeReads; ++i) {
        result = link->GetParamInt("CamCode", &code);
        if (result == 0 && code >= kFirstCamCode && code <= kLastCamCode)
            break;
    }
    return result == 0 ? static_cast<std::int32_t>(code) : -1;
}

int CCameraLink::ReadCameraInfo()
{
    m_nConfigIndex = ReadCamCode(this);
    EchoScope echo(*this);

    bool ping = false;
    const int first = GetParamBool("Ping", &ping);
    int result = GetParamBool("Ping", &ping);
    // A refusal the operator was shown on the first read is not undone by a quiet second one.
    if (first == link_result::kReadReported)
        result = first;
    if (result == link_result::kReadReported) {
        GoOfflineIfLost();
        return result;
    }

    if (result == 0) {
        const std::uint16_t offset = m_nConfigIndex == kShiftedTextConfiguration ? kShiftedTextOffset : 0;
        m_strModelName = ReadIdentityText(*this, kModelTextRegister + offset, kModelTextWords);
        m_strSerialNumber = ReadIdentityText(*this, kSerialTextRegister + offset, kSerialTextWords);
        if (!m_strModelName.empty())
            m_bLinkAlive = 1;
    } else {
        // Without an answer the serial number may be an earlier camera's; its GUI settings
        // must not be loaded for this one, nor saved under its name.
        m_strSerialNumber.clear();
    }
    SetIdentified(true);

    const std::string_view modelName = m_strModelName;
    const std::string_view sensorCode = modelName.size() > 5 ? modelName.substr(5, 3) : std::string_view();

    std::int64_t ccdType = 0;
    if (GetParamInt("CCD_Type", &ccdType) != 0)
        ccdType = 0;
    m_bWhiteBalanceSensor = 0;
    for (std::int64_t colour : kColourSensorTypes)
        if (ccdType == colour)
            m_bWhiteBalanceSensor = 1;

    m_nImageWidthMax = 1024;
    m_nImageHeightMax = 768;

    const bool idsModel = Contains(modelName, "ISD") || Contains(modelName, "SDI");
    std::memcpy(m_nVariantTag, idsModel ? kVariantIds : kVariantStandard, sizeof m_nVariantTag);

    // Only an identified camera has GUI-settings files.
    m_strSettingsKey = m_bLinkAlive ? camera::SettingsKeyOfSerial(m_strSerialNumber) : std::string();
    if (!m_strSettingsKey.empty() && m_bLinkAlive) {
        // The GUI settings that go with the space the camera boots from (factory when unknown).
        std::int64_t space = 0;
        if (GetParamInt("BootFrom", &space) != 0)
            space = 0;
        LoadGuiSettings(static_cast<long>(space));
    }
    if (sensorCode == "192" && modelName.size() > 1 && Contains(modelName.substr(1), "S192"))
        std::memcpy(m_nVariantTag, kVariantIds, sizeof m_nVariantTag);

    GoOfflineIfLost();
    return 0;
}

void CCameraLink::ForgetConfiguration()
{
    struct Kept {
        _OrvStParam param;
        RegisterLink reg;
    };
    std::vector<Kept> kept;
    for (const char* name : kIdentificationParams) {
        Kept k;
        if (GetParamData(name, &k.param) == 0 && GetRegisterLink(*this, name, k.reg) == 0)
            kept.push_back(std::move(k));
    }
    ClearStorage();
    m_ExposureParam = _OrvStParam{};
    for (const Kept& k : kept)
        if (AddParam(k.param) == 0)
            LinkRegister(*this, k.param.name, k.reg);
    // The enumeration texts of the echo belong to the map that is gone.
    m_pRegisterMap.reset();
    m_bConfigurationLost = 1;
    camera::LinkLog("CCameraLink::ForgetConfiguration", "configuration %d has no register map: %zu parameters kept",
                    m_nConfigIndex, kept.size());
}

void CCameraLink::KeepExposureRecord()
{
    // The panels take the bounds of the exposure range from this copy.
    m_ExposureParam = _OrvStParam{};
    GetParamData("Exposure", &m_ExposureParam);  // left empty without the record
}

bool CCameraLink::RefuseWithoutConfiguration(const char* what)
{
    if (!m_bConfigurationLost)
        return false;
    camera::LinkLog("CCameraLink::RefuseWithoutConfiguration", "%s refused: no configuration", what);
    ShowLinkMessage(camera::FormatText("The camera could not be configured: its register map did not load.\n"
                                       "%s is not available; only raw commands can be sent.",
                                       what));
    return true;
}
