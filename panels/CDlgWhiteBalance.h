// "Color" (template 224, panel slot 5): the camera's white-balance mode, the three manual colour
// coefficients with a "Unity" button each, and the coefficients the camera applies now,
// refreshed by the main window's poll. Only a camera with a colour sensor (or debug mode) gets
// active controls; the coefficients are editable in the manual mode only.
#pragma once

#include "controls/COptionDialog.h"
#include "panels/ComboParam.h"

#include <QString>

#include <array>

class OVNumericControl;

class CDlgWhiteBalance : public COptionDialog {
public:
    enum { IDD = 224 };
    enum : int { IDC_MODE = 1294, IDC_MANUAL_GROUP = 1731, IDC_STATISTICS_GROUP = 1732 };
    static constexpr int kManualMode = 3;
    static constexpr int kUnity = 255;

    /// Per colour (red, green, blue): numeric control, Unity button, read-out text.
    struct Channel {
        int numericId;
        int unityId;
        int currentId;
        const char* coefficient;  ///< the coefficient the operator sets
        const char* current;      ///< the coefficient the camera applies
    };
    static const std::array<Channel, 3> kChannels;

    CDlgWhiteBalance(QWidget* mainWnd, CCameraLink* link);

    bool RefreshFromStorage() override;
    void ReloadValues() override;
    void RefreshLiveValues() override;
    void ClearLiveValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;

    void EnableCoefficientControls();
    void ShowCurrentCoefficients();
    void ResetCoefficient(int index);

    ComboParam m_mode;
    std::array<int, 3> m_nCoef{};
    std::array<bool, 3> m_coefRead{};  ///< the camera answered the coefficient at the last read
    std::array<QString, 3> m_strCurrent;
    bool m_bColor = false;

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;

private:
    void OnModeChosen();
    /// The coefficients from the camera; one it did not answer shows no reading.
    void ReloadCoefficients();
    /// Shows coefficient i as the panel holds it (no reading when it was not answered).
    void ShowCoefficient(std::size_t i);
    /// The read-out of the coefficient the camera applies to one colour.
    void ShowCurrent(std::size_t channel, const QString& text);

    std::array<OVNumericControl*, 3> m_coef{};
};
