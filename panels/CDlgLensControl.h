// "Lens Control": the motorised lens on the camera's active lens mount. Initialises the lens,
// sets its clock polarity, drives focus and iris in full or stepped moves, reads and resets
// the focus encoder, reads the iris range and shows and sets the iris position as an f-number.
// Every action writes one of the camera's lens command registers.
#pragma once

#include "controls/COptionDialog.h"
#include "controls/CSliderEditSpin.h"
#include "panels/LensControlLogic.h"

#include <QString>

#include <map>

class OVNumericControl;
class QComboBox;

class CDlgLensControl : public COptionDialog, public OVGHSliderConvertor {
public:
    enum { IDD = 238 };
    enum : int {
        IDC_LENS_STATUS = 1701, IDC_LENS_INIT = 1702, IDC_FOCUS_GROUP = 1703, IDC_IRIS_GROUP = 1704,
        IDC_LENS_POLARITY = 1705, IDC_FOCUS_NEAR_FULL = 1706, IDC_FOCUS_STEP = 1707, IDC_IRIS_SPIN = 1711,
        IDC_IRIS_EDIT = 1712, IDC_FOCUS_NEAR_STEP = 1713, IDC_FOCUS_STOP = 1714, IDC_FOCUS_FAR_STEP = 1715,
        IDC_FOCUS_FAR_FULL = 1716, IDC_IRIS_OPEN_FULL = 1717, IDC_IRIS_OPEN_STEP = 1718, IDC_IRIS_STOP = 1719,
        IDC_IRIS_CLOSE_STEP = 1720, IDC_IRIS_CLOSE_FULL = 1721, IDC_IRIS_STEP = 1722, IDC_ENCODER_GROUP = 1723,
        IDC_ENCODER_GET = 1724, IDC_ENCODER_RESET = 1725, IDC_RANGE_GROUP = 1726, IDC_RANGE_GET = 1727,
        IDC_IRIS_SLIDER = 1728, IDC_ENCODER = 1241, IDC_RANGE_MIN1 = 1242, IDC_RANGE_MIN2 = 1243,
        IDC_RANGE_MAX = 1244, IDC_IRIS_POSITION = 1245,
    };
    /// The command code of a combo box choice.
    static constexpr unsigned CBN_SELCHANGE = 1;

    CDlgLensControl(QWidget* mainWnd, CCameraLink* link);

    bool OnPreInitDialog() override;
    bool RefreshFromStorage() override;
    void ReloadValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;

    // The iris group's texts: f-numbers without "f/", which stands beside the edit.
    std::string ValueToText(int index) override;
    std::optional<int> TextToValue(const std::string& text) override;

    // What the panel holds, for the window tests.
    const lens::ApertureTable& Apertures() const { return m_apertures; }
    int IrisLower() const { return m_nIrisLower; }
    int IrisUpper() const { return m_nIrisUpper; }
    const CSliderEditSpin& IrisGroup() const { return m_iris; }

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;
    void OnHScroll(unsigned code, int pos, QWidget* scrollBar) override;
    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override;

private:
    void OnBnClickedInit();
    void OnBnClickedGetIrisRange();
    void OnBnClickedGetEncoder();
    void OnBnClickedResetEncoder();
    void OnCbnSelchangePolarity();
    void FocusCommand(const char* name);
    void SendIrisCommand(const char* name);
    void ShowIrisPosition();
    void SetIrisStepLimit(const _OrvStParam& record);
    void MoveIrisToSlider();
    /// Reads an integer from the camera; 0 when the read fails.
    std::int64_t Read(const char* name);
    /// The camera's value of `name`; none when the read failed.
    std::optional<std::int64_t> ReadAnswer(const char* name);
    /// Where a step control's pop-up slider opens: right of the control, five times its height.
    QRect StepPopupRect(int controlId) const;
    void SetText(int id, const QString& text);

    OVNumericControl* m_pFocusStep = nullptr;
    OVNumericControl* m_pIrisStep = nullptr;
    QComboBox* m_pPolarity = nullptr;
    QString m_strStatus = QStringLiteral("Done");
    int m_nPolarity = 0;
    int m_nPolarityIndex = 0;
    std::map<int, int> m_polarityIndex;
    int m_nFocusStep = 0;
    int m_nIrisStep = 0;
    /// The camera answered the polarity, focus step and iris step at the last read.
    bool m_polarityRead = true;
    bool m_focusStepRead = true;
    bool m_irisStepRead = true;
    bool m_bIrisStepReady = false;
    CSliderEditSpin m_iris;
    int m_nIrisLower = 0;
    int m_nIrisUpper = 0;
    lens::ApertureTable m_apertures;
};
