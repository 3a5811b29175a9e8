// "Temperature Control" (template 235, panel slot 6): how the camera's fan and its
// thermo-electric cooler switch, a mode and a switching temperature for each, and the two
// temperatures the main window's poll writes into it. A camera without a cooler setting
// (no TecMode) gets the fan group only, and the panel shrinks to it.
#pragma once

#include "controls/COptionDialog.h"
#include "panels/ComboParam.h"

#include <QString>

#include <optional>

class OVNumericControl;

class CDlgTempControl : public COptionDialog {
public:
    enum { IDD = 235 };
    enum : int {
        IDC_FAN_GROUP = 1674, IDC_TEC_GROUP = 1675, IDC_FAN_MODE = 1676, IDC_FAN_ON_LEVEL = 1677,
        IDC_CAMERA_TEMP = 1678, IDC_TEC_MODE = 1295, IDC_TEC_ON_LEVEL = 1324, IDC_CCD_TEMP = 1304,
        IDC_TEC_MODE_LABEL = 1698, IDC_TEC_LEVEL_LABEL = 1699, IDC_CCD_TEMP_LABEL = 1700,
        IDC_CCD_TEMP_UNIT = 1066, IDC_CAMERA_TEMP_UNIT = 1067, IDC_FAN_MODE_LABEL = 1701,
        IDC_FAN_LEVEL_LABEL = 1702,
    };

    CDlgTempControl(QWidget* mainWnd, CCameraLink* link);

    bool RefreshFromStorage() override;
    void ReloadValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;

    /// The poll's texts: the camera's temperature and the sensor's; shown at once.
    void SetTemperatures(const QString& camera, const QString& ccd);

    ComboParam m_fanMode;
    ComboParam m_tecMode;
    int m_nFanOnLevel = 0;
    int m_nTecOnLevel = 0;
    std::optional<int> m_fanOnLevel, m_tecOnLevel;  ///< the camera's answers at the last read
    QString m_strCameraTemp = QStringLiteral("-100.00");
    QString m_strCcdTemp = QStringLiteral("-100.00");
    bool m_bTecHidden = false;

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;

private:
    /// Sets up level control `control` for `name` from its record and listens to it.
    /// value: the camera's answer; none shows no reading.
    void SetupLevel(OVNumericControl* control, int labelId, const char* name, std::optional<int> value);
    void OnModeChosen(ComboParam& combo);
    /// A completed change of a level control: writes the level when its whole value changed.
    void OnLevelChanged(OVNumericControl* control, const char* name, int& stored);
    void HideTecGroup();

    OVNumericControl* m_pFanOnLevel = nullptr;
    OVNumericControl* m_pTecOnLevel = nullptr;
};
