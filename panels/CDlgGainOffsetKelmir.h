// The "Gain & Offset" panel of the Kelmir camera (slot 0, configuration 7): four channels A to
// D with a day and a night group of analog gain and offset (each group with its Link boxes),
// an electron-multiplying gain per channel (a coarse preset choice and the fine value held in
// that preset's register, "Sync" giving channel A's choice to the others), the day/night mode
// and threshold, digital gain and offset, tap balance and the cooler (temperature mode, the
// user set-point in °C, TEC on/off). With debug info shown it adds the preset registers and,
// in supervisor mode, the sensor's twelve ADC read-outs, refreshed on the status timer. It also
// converts the cooler's raw reading for the main window.
//
// The numeric controls and their scales are set up on the first refresh only; later refreshes
// set their values. Every committed edit writes the camera at once; a change made elsewhere
// moves the control and writes nothing, except a linked tap, which takes its group along.
#pragma once

#include "controls/COptionDialog.h"
#include "controls/OVScaleFunction.h"
#include "panels/ComboParam.h"
#include "panels/KelmirGainLogic.h"
#include "panels/LimitsScaleLogic.h"
#include "panels/PanelNames.h"

#include <array>
#include <cstdint>
#include <string>

class OVNumericControl;

class CDlgGainOffsetKelmir : public COptionDialog {
public:
    enum { IDD = 226 };
    static constexpr int kChannels = kelmir_gain::kChannels;
    static constexpr int kPresets = kelmir_gain::kCoarseChoices;

    // Control ids of template 226.
    enum : int {
        IDC_DIGITAL_GAIN = 1570,
        IDC_DIGITAL_OFFSET = 1571,
        IDC_TB_MODE = 1572,
        IDC_DAY_LINK_GAIN = 1581,
        IDC_DAY_LINK_OFFSET = 1582,
        IDC_NIGHT_LINK_GAIN = 1585,
        IDC_NIGHT_LINK_OFFSET = 1586,
        IDC_FINE_LINK_GAIN = 1595,
        IDC_DAY_NIGHT_MODE = 1599,
        IDC_DAY_NIGHT_THRESHOLD = 1602,
        IDC_TEC_MODE = 1622,
        IDC_TEMPERATURE_MODE = 1624,
        IDC_USER_TEC = 1626,
        IDC_SYNC = 1633,
        IDC_REG_VALUES = 1429,
        IDC_EM_GAIN_BOX = 1441,
    };
    /// The controls of one channel.
    struct ChannelIds {
        int dayGain, dayOffset, nightGain, nightOffset, coarse, fine;
    };
    static const ChannelIds kChannelIds[kChannels];
    /// The preset read-outs: per row (1X .. User) its box, then per channel label and text.
    struct PresetRowIds {
        int box;
        int labels[kChannels];
        int texts[kChannels];
    };
    static const PresetRowIds kPresetIds[kPresets];
    static const int kAdcTextIds[kelmir_gain::kAdcChannels];

    CDlgGainOffsetKelmir(QWidget* pMainWnd, CCameraLink* pStorage);
    ~CDlgGainOffsetKelmir() override;

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    bool RefreshFromStorage() override;
    void ReloadValues() override;
    void OnParamChanged(const _OrvStParam* param) override;
    void SetShowDebugInfo(bool show) override;
    void RefreshLiveValues() override;
    std::optional<float> TecRawToCelsius(std::int64_t raw) const override;

    /// The user set-point snapped to the table (see kelmir_gain::SnapUserTec); with write, a
    /// row value other than the one held is kept and written. The row's °C.
    int SnapUserTecValue(std::int64_t raw, bool write);
    /// Which controls the operator may edit (debug mode, day/night mode, tap balance, active
    /// taps, Sync).
    void UpdateEnabling();
    void OnBnClickedSync();

    bool ShowsDebugInfo() const { return m_bShowDebugInfo; }

protected:
    void BuildTemplate() override;
    bool OnPreInitDialog() override;
    void DoDataExchange(bool save) override;

private:
    /// Four channels' controls of one kind (day gain, day offset, night gain, night offset).
    struct TapRow {
        std::array<OVNumericControl*, kChannels> controls{};
        std::array<std::int64_t, kChannels> raw{};
        const limits_scale::LimitsScale* scale = nullptr;
        OVLinearScale* line = nullptr;
        int* link = nullptr;  ///< the group's Link check state
        bool gain = true;
        bool day = true;
        std::array<bool, kChannels> read{};  ///< the camera answered raw at the last refresh
        const char* Name(int channel) const;
    };

    _OrvStParam Record(const char* name) const;
    /// True when the row's channels move together: its Link box is ticked and enabled.
    bool Linked(const TapRow& row) const;
    /// The camera's value of `name`; `read` (when given) tells whether the camera answered.
    std::int64_t ReadInt(const char* name, bool* read = nullptr);
    QRect PopupRect(const OVNumericControl* control) const;
    void SetupControls();
    void ShowValues();
    /// Every numeric control whose value the camera did not answer shows no reading.
    void ShowUnread();
    /// The fine value of channel c from its coarse choice's preset register (0 without one);
    /// notes whether the camera answered it.
    int ReadFine(int channel);
    /// Writes channel c's fine value into its coarse choice's preset register, if it has one.
    void WriteFine(int channel);
    /// Raises fine values the camera answered below the EM gain minimum to it and writes them.
    void RaiseFineToMinimum();
    void OnTapCommitted(TapRow& row, int channel);
    void OnFineCommitted(int channel);
    void OnUserTecCommitted();
    /// The operator's pick of a list: its value written with the own listener removed.
    /// Writes the combo's choice; true when the camera holds it afterwards.
    bool WriteChoice(ComboParam& combo);
    void OnCbnSelchangeTBMode();
    void OnCoarseChoice(int channel);
    /// Channels B to D take channel A's coarse choice (written where it changed).
    void SyncCoarse();
    void SetCoarse(int channel, int choice);
    QWidget* Control(int id) const { return GetDlgItem(id); }

    bool m_bSetUp = false;
    OVNumericControl* m_digitalGain = nullptr;
    OVNumericControl* m_digitalOffset = nullptr;
    OVNumericControl* m_threshold = nullptr;
    OVNumericControl* m_userTec = nullptr;
    std::array<OVNumericControl*, kChannels> m_fineControls{};
    TapRow m_dayGain, m_dayOffset, m_nightGain, m_nightOffset;

    limits_scale::LimitsScale m_digitalGainScale, m_digitalOffsetScale, m_gainScale, m_offsetScale;
    limits_scale::LimitsScale m_thresholdScale, m_fineScale, m_userTecScale;
    // The lines live as long as the panel, so no control ever points at one that is gone.
    OVLinearScale m_digitalGainLine, m_digitalOffsetLine, m_gainLine, m_offsetLine;
    OVLinearScale m_thresholdLine, m_fineLine, m_userTecLine;

    ComboParam m_dayNightMode{panel_names::kelmir::kDayNightMode, IDC_DAY_NIGHT_MODE};
    ComboParam m_tbMode{panel_names::gain_offset::kTBMode, IDC_TB_MODE};
    ComboParam m_powerControl{panel_names::kelmir::kPowerControlEnable, IDC_TEC_MODE};
    ComboParam m_ccdTemperatureMode{panel_names::kelmir::kCCDTemperatureMode, IDC_TEMPERATURE_MODE};
    std::array<ComboParam, kChannels> m_coarse;

    std::int64_t m_digitalGainRaw = 0;
    std::int64_t m_digitalOffsetRaw = 0;
    std::int64_t m_dayNightThreshold = 0;
    std::array<std::int64_t, kChannels> m_fine{};
    std::int64_t m_userTecRaw = 0;
    /// The camera answered (or was given) these values: only such a value is raised or
    /// snapped and written by a refresh.
    std::array<bool, kChannels> m_fineKnown{};
    bool m_userTecKnown = false;
    bool m_digitalGainRead = false;
    bool m_digitalOffsetRead = false;
    bool m_thresholdRead = false;
    int m_activeTaps = 0;

    // Check boxes, all checked at first.
    int m_dayLinkGain = 1, m_dayLinkOffset = 1, m_nightLinkGain = 1, m_nightLinkOffset = 1;
    int m_sync = 1, m_fineLinkGain = 1;

    bool m_bShowDebugInfo = false;
    std::array<std::string, kPresets * kChannels> m_presetTexts;
    std::array<std::string, kelmir_gain::kAdcChannels> m_adcTexts;
};
