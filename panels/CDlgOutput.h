// The "Output Control" panel (template 218, panel slot 1): the camera's two digital outputs
// (polarity and the signal each carries), its two strobes (mode, position and duration, held
// within the current frame time) and its internal pulse generator (time base, period, width,
// number of pulses, start and stop). Every operator change is written to the camera at once;
// changes made elsewhere move the controls. The output rows and the second strobe close up
// when the camera lacks them.
#pragma once

#include "controls/COptionDialog.h"
#include "controls/CSliderEditSpin.h"
#include "controls/OVNumericControl.h"
#include "controls/OVScaleFunction.h"
#include "panels/ComboParam.h"

#include <QIcon>
#include <QPointer>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>


class CDlgOutput : public COptionDialog {
public:
    enum { IDD = 218 };
    enum : int {
        IDC_OUTPUT_BOX = 1539,
        IDC_STROBE1_BOX = 1540,
        IDC_STROBE2_BOX = 1541,
        IDC_PULSE_BOX = 1542,
        IDC_OUT1_POLARITY = 1432,
        IDC_OUT1_MAPPING = 1434,
        IDC_OUT2_POLARITY = 1433,
        IDC_OUT2_MAPPING = 1435,
        IDC_STROBE1_MODE = 1431,
        IDC_STROBE2_MODE = 1444,
        IDC_GRANULARITY = 1466,
        IDC_PERIOD = 1465,
        IDC_WIDTH = 1251,
        IDC_DELAY = 1467,
        IDC_FREQUENCY = 1468,
        IDC_COUNT_EDIT = 1027,
        IDC_COUNT_SPIN = 1011,
        IDC_CONTINUOUS = 1535,
        IDC_SEND = 1021,
        IDC_START = 1534,
        IDC_PULSE_STATE = 1037,
        IDC_PULSE_PICTURE = 1662,
    };
    static constexpr const char* kIconIdProperty = "iconId";

    CDlgOutput(QWidget* pMainWnd, CCameraLink* pStorage);
    ~CDlgOutput() override;

    bool RefreshFromStorage() override;
    /// Reads what the panel keeps of the camera (frame time, combo values, time base, period,
    /// width, pulse state and count); nothing while offline.
    void ReloadValues() override;
    /// Holds the strobes within the frame time the camera reports now.
    void RefreshLiveValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;
    bool OnPreInitDialog() override;

    /// The strobe groups: strobe 1 position and duration, strobe 2 position and duration.
    static constexpr int kGroupCount = 4;
    std::array<CSliderEditSpin, kGroupCount> m_groups;
    std::array<bool, kGroupCount> m_groupAbsent{};
    std::array<int, kGroupCount> m_groupMin{};  ///< each strobe register's minimum (its record's)

    /// The output combos (Out1 polarity, Out1 mapping, Out2 polarity, Out2 mapping), then the
    /// two strobe modes.
    static constexpr int kComboCount = 6;
    std::array<ComboParam, kComboCount> m_combos;
    ComboParam m_gran;       ///< the time base; its value is g, the step 10^g µs
    CEditSpin m_count;       ///< the pulse count, 1-65535

    std::int64_t m_period = 0;  ///< µs
    std::int64_t m_width = 0;   ///< µs
    std::int64_t m_delay = 0;   ///< µs
    int m_nCount = 0;
    std::int64_t m_continuous = 0;  ///< 0 or the continuous bit
    bool m_pulseEnable = false;
    bool m_pulseEnableRead = false;  ///< false: the camera did not answer the pulse state
    std::int64_t m_frameTime = 0;
    std::int64_t m_frameTimeMax = 0xFFFFFF;
    /// The camera answered the period, the width (each with the time base) and the pulse-count
    /// word at the last read.
    bool m_periodRead = true;
    bool m_widthRead = true;
    bool m_countRead = true;
    double m_periodMin = 0.0;  ///< the PulsePeriod record's bounds
    double m_periodMax = 0.0;

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;
    void OnHScroll(unsigned code, int pos, QWidget* scrollBar) override;
    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override;

private:
    std::int64_t ReadInt(const char* name);
    /// The camera's value of `name`; none when the read failed.
    std::optional<std::int64_t> Read(const char* name);
    /// The pulse-count word read afresh before the operator's change of one of its halves:
    /// false (nothing to write) when the camera still does not answer it.
    bool ReadPulseNumber();
    /// The delay read-out: period - width, or no reading while either is not known.
    void ShowDelay();
    /// The period, width, delay, frequency, count and count mode the camera did not answer
    /// show no reading.
    void ShowUnreadPulse();
    std::int64_t Step() const;
    /// The period control's bounds in µs: the PulsePeriod record's counts on the time base.
    std::pair<double, double> PeriodBounds() const;
    OVNumericControl* Period() const { return m_periodCtl; }
    OVNumericControl* Width() const { return m_widthCtl; }
    void SetText(int id, const std::string& text);

    void SetGroupFromRecord(int i);
    void InitPulseControls();
    void SetPulsePeriod(std::int64_t us, bool force, bool write);
    void SetPulseWidth(std::int64_t us, bool force, bool write);
    void SetGranularity(int index, bool write);
    void ApplyFrameTimeLimit();
    void ShowPulseState();
    /// Reads the pulse state; unread when the camera does not answer.
    void ReadPulseEnable();
    void ShowWidth();
    void EnableWidthByRange();
    void ShowCount();

    void OnComboChosen(int i);
    void OnGranularityChosen();
    void OnBnClickedStart();
    void OnCountModeClicked();
    /// Writes the pulse enable through the store's setter of its record's type.
    int WritePulseEnable(bool on);
    void WriteCount();
    /// Writes a strobe group without leaving the listener: the echo only shows the same value.
    void WriteGroupKeepingListener(int i);

    void CollapseOutput();
    void CollapseStrobe2();

    QPointer<OVNumericControl> m_periodCtl;
    QPointer<OVNumericControl> m_widthCtl;
    bool m_numericReady = false;
    /// Shared by the period and width controls; deleted after them (see the destructor).
    OVLog10Scale_ m_scale;
    QIcon m_iconOff;
    QIcon m_iconOn;
    bool m_iconsLoaded = false;
};
