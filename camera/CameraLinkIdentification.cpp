// Identification of the camera on an open channel: finding the rate it answers at.
#include "camera/CameraLink.h"

namespace {

constexpr int kDetectionRates[] = {115200, 57600, 38400, 19200, 9600};

/// Restores the link's echo and detection flags on every way out.
struct DetectionScope {
    CCameraLink& link;
    explicit DetectionScope(CCameraLink& l) : link(l)
    {
        link.m_bEchoToTerminal = link.LoggingLevel() > 0 ? 1 : 0;
        link.m_bDetectingBaudRate = 1;
    }
    ~DetectionScope()
    {
        link.m_bEchoToTerminal = 1;
        link.m_bDetectingBaudRate = 0;
    }
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
