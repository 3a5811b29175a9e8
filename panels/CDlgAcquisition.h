// The "Acquisition Control" panel (template 220, panel slot 2): free-running or triggered
// acquisition, the trigger input and its filters, the trigger strobe, the exposure time kept
// inside the range the camera currently allows, the wide-dynamic-range knees, TDI and the long
// integration time. Every operator change is written to the camera at once; changes made
// elsewhere move the controls and write nothing. Sections the camera lacks (trigger strobe
// duration, WDR, TDI) are hidden and the panel closes up around them.
#pragma once

#include "controls/COptionDialog.h"
#include "controls/CSliderEditSpin.h"
#include "panels/AcquisitionLogic.h"
#include "panels/ComboParam.h"

#include <QPointer>

#include <array>
#include <atomic>
#include <initializer_list>
#include <optional>
#include <span>

class OVNumericControl;

class CDlgAcquisition : public COptionDialog {
public:
    enum { IDD = 220 };

    CDlgAcquisition(QWidget* pMainWnd, CCameraLink* pStorage);

    bool RefreshFromStorage() override;
    void ReloadValues() override;
    void RefreshLiveValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;
    bool OnPreInitDialog() override;

    /// The slider groups, in the order the handlers scan them: trigger (0-2), strobe (3-4),
    /// exposure (5-7), TDI (8-9).
    static constexpr int kGroupCount = 10;
    std::array<CSliderEditSpin, kGroupCount> m_groups;

    /// The combos: the four trigger combos, strobe enable, exposure mode, WDR mode, the two
    /// knee weights, TDI mode.
    static constexpr int kComboCount = 10;
    std::array<ComboParam, kComboCount> m_combos;

    std::array<int, 2> m_kneePosition{};
    std::array<bool, 2> m_kneeRead{};  ///< the camera answered the knee position
    bool m_acqModeRead = true;         ///< the camera answered the acquisition mode
    int m_nAcqModeRadio = 0;      ///< 0 free running, 1 triggered
    int m_nAcquisitionMode = 1;   ///< the camera's AcquisitionMode as the panel knows it
    int m_nFrameTimeEnable = 0;   ///< the long-integration check box
    acq::ExposureRange m_exposure;  ///< the range the exposure group is held in
    /// The camera's exposure is known (read, notified, or set by the operator): one it did not
    /// answer is not held in the range and written.
    bool m_exposureKnown = false;

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;
    void OnHScroll(unsigned code, int pos, QWidget* scrollBar) override;
    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override;

private:
    void LoadValues();
    std::int64_t ReadInt(const char* name);
    /// The camera's value of `name` as a control's integer; none when the read failed.
    std::optional<int> Read(const char* name);
    /// Fills combo `i` from the register map for its parameter's value; the number of items
    /// (0 for a parameter the catalogue lacks).
    int FillCombo(int i);
    /// Range and value of group `i` from its parameter's record and reading; answers the value
    /// read, before the range held it (0 when unread; `read` tells which).
    int SetGroupFromRecord(int i, bool* read = nullptr);
    void SetExposureRange(std::int64_t min, std::int64_t max);
    acq::ExposureLimits ExposureLimitsNow(bool readMax);
    void UpdateSoftwareTrigger();
    void UpdateKnees();
    void UpdateKneePosition(int knee);

    void OnComboChosen(int i);
    void OnAcquisitionModeClicked(int mode);
    bool CommitGroupEdit(int first, int last, unsigned id);
    void WriteGroup(int i);

    /// Hands a scroll message to the group it belongs to; writes at the end of the gesture.
    void ScrollGroups(std::atomic<int>& busy, int (CSliderEditSpin::*scroll)(unsigned, int, const QWidget*), unsigned code, int pos, QWidget* scrollBar);

    /// Closes the gap between control aboveId and the bottom of belowId down to the margin:
    /// box and divider shrink by it, the controls of `moved` move up by it, and the panel ends
    /// under the exposure box.
    void CloseUp(int aboveId, int belowId, int box, int divider, std::initializer_list<std::span<const int>> moved);
    void CollapseStrobeDuration();
    void CollapseWdr();
    void CollapseTdi();

    std::array<QPointer<OVNumericControl>, 2> m_knees;
    std::array<bool, 2> m_kneeReady{};
};
