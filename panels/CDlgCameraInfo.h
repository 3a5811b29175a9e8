// The camera-information dialog (template 228) at the top of the main window: the image size,
// frame rate, frame time, exposure and temperature that the main window's polls write into it,
// and a temperature lamp with three bands (below 30 °C, below 50 °C, hot) that blinks while hot.
// It reads nothing from the store; the catalogues register it as listener of the temperature
// and the manufacturing strings, and it ignores those calls.
#pragma once

#include "orvmisc/OrvParamListener.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>

class QLabel;

namespace wnd {
class CWndTimers;
}

class CDlgCameraInfo : public QWidget, public OrvParamListener {
public:
    enum { IDD = 228 };
    enum : int {
        IDC_FRAME = 1731, IDC_SIZE = 1074, IDC_FPS = 1070, IDC_FRAME_TIME = 1073, IDC_EXPOSURE = 1071,
        IDC_TEMPERATURE = 1072, IDC_ICON = 1234,
    };
    static constexpr unsigned kBlinkTimer = 9999;
    static constexpr int kBlinkPeriodMs = 200;
    static constexpr float kLowerThreshold = 30.0f;
    static constexpr float kUpperThreshold = 50.0f;

    /// A child of parent (the main window's client area), at its top left.
    explicit CDlgCameraInfo(QWidget* parent);
    ~CDlgCameraInfo() override;

    /// Loads the state icons once; the first call takes over the icon static, showing "off".
    void LoadIcons();
    /// The lamp's band for t: 1 below 30, 2 below 50, else 3 (also for a NaN). Nothing before
    /// LoadIcons or within the current band; the hot band blinks.
    void SetTemperature(float t);
    /// No temperature is known (the camera was lost): the lamp shows no colour and stops blinking.
    void ClearTemperature();
    void OnTimer(unsigned id);
    /// Shows the five texts (the main window writes them first).
    void UpdateData();
    void OnParamChanged(const _OrvStParam* param) override;

    /// The band for a temperature (see SetTemperature).
    static int StateFor(float t);

    // Dashes until the main window's polls have read a value.
    QString m_strSize = QStringLiteral("----x----");
    QString m_strFps = QStringLiteral("---------");
    QString m_strFrameTime = QStringLiteral("---------");
    QString m_strExposure = QStringLiteral("---------");
    QString m_strTemperature = QStringLiteral("---------");

    int TemperatureState() const { return m_nTempState; }
    /// The icon id the lamp shows (165 from the template until LoadIcons).
    int IconId() const { return m_nIconId; }
    QLabel* IconStatic() const { return m_pIconStatic; }
    bool IsBlinking() const;
    static bool BlinkPhase() { return s_bBlink; }

private:
    void ShowIcon(int id);

    QLabel* m_pIconStatic = nullptr;  ///< set by the first LoadIcons
    int m_nTempState = 0;
    int m_nIconId = 0;
    std::map<int, QIcon> m_icons;
    std::unique_ptr<wnd::CWndTimers> m_pTimers;
    static bool s_bBlink;
};
