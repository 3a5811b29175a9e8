// Identification of the camera on an open channel: finding the rate it answers at, and
// identifying it again after a refusal the operator acknowledged.
#include "camera/CameraLink.h"

namespace {

constexpr int kDetectionRates[] = {115200, 57600, 38400, 19200, 9600};

/// Echo is off while the camera is identified, unless the operator logs; it comes back on
/// every way out.
struct EchoScope {
    CCameraLink& link;
    explicit EchoScope(CCameraLink& l) : link(l) { link.m_bEchoToTerminal = link.LoggingLevel() > 0 ? 1 : 0; }
    ~EchoScope() { link.m_bEchoToTerminal = 1; }
};

/// Also marks the detection, so refused reads at a wrong rate are not reported.
struct DetectionScope {
    EchoScope echo;
    explicit DetectionScope(CCameraLink& l) : echo(l) { echo.link.m_bDetectingBaudRate = 1; }
    ~DetectionScope() { echo.link.m_bDetectingBaudRate = 0; }
};

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
    return result == 0;
}

int CCameraLink::ReadCameraInfo()
{
    EchoScope echo(*this);
    bool ping = false;
    GetParamBool("Ping", &ping);
    const int result = GetParamBool("Ping", &ping);
    if (result == link_result::kReadReported) {
        if (!m_bLinkAlive)
            m_bOnline = 0;
        return result;
    }
    m_bNotIdentified = 0;
    if (!m_bLinkAlive)
        m_bOnline = 0;
    return 0;
}
