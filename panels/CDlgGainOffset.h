// The "Gain & Offset" panel (slot 0, every configuration but Kelmir): digital gain and offset,
// the analog gain and offset of up to 16 taps in display units, tap balance, and "Link Gain" /
// "Link Offset", which move all taps in use by the same raw amount. The store holds raw register
// words; each control shows its register through a limits scale. Every committed edit is one
// camera write (per tap when linked); a change made elsewhere moves the control and writes
// nothing, except that a linked tap changed elsewhere moves (and writes) the other taps with it.
#pragma once

#include "controls/COptionDialog.h"
#include "controls/OVScaleFunction.h"
#include "panels/ComboParam.h"
#include "panels/LimitsScaleLogic.h"
#include "panels/PanelNames.h"

#include <array>
#include <cstdint>

class OVNumericControl;

class CDlgGainOffset : public COptionDialog {
public:
    enum { IDD = 221 };
    static constexpr int kTaps = panel_names::gain_offset::kTapCount;

    // Control ids of template 221.
    enum : int {
        IDC_DIGITAL_GAIN = 1251,
        IDC_DIGITAL_OFFSET = 1252,
        IDC_TB_MODE = 1294,
        IDC_LINK_GAIN = 1424,
        IDC_LINK_OFFSET = 1425,
        IDC_ANALOG_BOX = 1426,
        IDC_GAIN_BOX = 1427,
        IDC_OFFSET_BOX = 1428,
    };
    /// The controls and labels of one tap.
    struct TapIds {
        int gain;
        int gainLabel;
        int offset;
        int offsetLabel;
    };
    static const TapIds kTapIds[kTaps];

    CDlgGainOffset(QWidget* pMainWnd, CCameraLink* pStorage);
    ~CDlgGainOffset() override;

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    bool RefreshFromStorage() override;
    void ReloadValues() override;
    void OnParamChanged(const _OrvStParam* param) override;

    void OnCbnSelchangeTBMode();
    /// Shows the taps below the allowed count, puts the Link boxes under the last row in use
    /// and shrinks the group boxes and the panel to them.
    void LayoutTaps();
    /// Which tap controls the operator may edit (debug mode, AGC, tap balance, active taps).
    void UpdateEnabling(bool agcOn);

protected:
    void BuildTemplate() override;
    bool OnPreInitDialog() override;
    void DoDataExchange(bool save) override;

private:
    /// One row of 16 tap controls (gain or offset) and what belongs to it.
    struct TapRow {
        std::array<OVNumericControl*, kTaps> controls{};
        std::array<std::int64_t, kTaps> raw{};
        std::array<bool, kTaps> read{};  ///< the camera answered raw at the last refresh
        limits_scale::LimitsScale scale;
        OVLinearScale line;
        int link = 1;  ///< the Link check box's state
        bool gain = true;
        const char* Name(int tap) const;
    };

    /// Reads a parameter's record; a name the catalogue lacks gives an empty record (0..0).
    _OrvStParam Record(const char* name) const;
    /// True when the row's taps move together: its Link box is ticked and enabled.
    bool Linked(const TapRow& row) const;
    /// The camera's value of `name`, 0 when it did not answer; `read` tells which.
    std::int64_t ReadInt(const char* name, bool* read = nullptr);
    void SetupDigital(OVNumericControl* control, const char* name, const char* limitsName,
                      limits_scale::LimitsScale& scale, OVLinearScale& line, std::int64_t raw, bool read, bool gain);
    void SetupTapRow(TapRow& row, const char* limitsName, bool integerMode);
    QRect PopupRect(const OVNumericControl* control) const;
    /// The operator committed tap `tap` of row.
    void OnTapCommitted(TapRow& row, int tap);
    void OnDigitalCommitted(OVNumericControl* control, const char* name, const limits_scale::LimitsScale& scale,
                            std::int64_t& raw);
    /// Another writer changed tap `tap` of row to value.
    void OnTapChanged(TapRow& row, int tap, std::int64_t value);
    void WriteTap(TapRow& row, int tap);
    QWidget* Control(int id) const { return GetDlgItem(id); }

    OVNumericControl* m_digitalGain = nullptr;
    OVNumericControl* m_digitalOffset = nullptr;
    TapRow m_gain;
    TapRow m_offset;
    limits_scale::LimitsScale m_digitalGainScale;
    limits_scale::LimitsScale m_digitalOffsetScale;
    // The scales live as long as the panel; a refresh redraws their lines in place, so no
    // control (a hidden tap's included) ever points at a scale that is gone.
    OVLinearScale m_digitalGainLine;
    OVLinearScale m_digitalOffsetLine;

    int m_allowedTaps = 0;
    int m_activeTaps = 0;
    /// TBMode: its value, the selected item and the value-to-item map.
    ComboParam m_tbMode{panel_names::gain_offset::kTBMode, IDC_TB_MODE};
    std::int64_t m_digitalGainRaw = 0;
    std::int64_t m_digitalOffsetRaw = 0;
    bool m_digitalGainRead = false;
    bool m_digitalOffsetRead = false;
    int m_tapCount = 0;
    /// AGCEnable as last read or heard: tap balance and tap-count changes keep the taps locked
    /// while the camera's gain control runs.
    bool m_agcOn = false;
};
