// "AEC/AGC Control": switches the camera's automatic exposure (AEC) and gain (AGC) control on
// and off, sets the luminance they regulate to and the limits within which each may move: the
// exposure limits in microseconds on a logarithmic dual slider, the gain limits in decibels on
// a linear one. Shows the live exposure, gain and luminance and a state lamp per regulator.
// A limit reaches the camera only when the operator changed it, or when the camera's exposure
// range no longer holds it.
#pragma once

#include "controls/CDualSlider.h"
#include "controls/COptionDialog.h"
#include "panels/AcquisitionLogic.h"
#include "panels/AecAgcLogic.h"
#include "panels/ComboParam.h"

#include "orvmisc/OrvParam.h"

#include <QIcon>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class CUpDownCtrl;

class CDlgAECAGC : public COptionDialog, public IDualSliderListener {
public:
    enum { IDD = 222 };
    enum : int {
        IDC_AEC_ENABLE = 1143, IDC_AGC_ENABLE = 1544, IDC_LUMA_MODE = 1545,
        IDC_AEC_MIN = 1381, IDC_AEC_MAX = 1382, IDC_AGC_MIN = 1386, IDC_AGC_MAX = 1387, IDC_LUMA_LEVEL = 1175,
        IDC_AEC_MIN_SPIN = 1114, IDC_AEC_MAX_SPIN = 1115, IDC_AGC_MIN_SPIN = 1116, IDC_AGC_MAX_SPIN = 1144,
        IDC_LUMA_LEVEL_SPIN = 1176, IDC_AEC_SLIDER = 1380, IDC_AGC_SLIDER = 1385,
        IDC_EXPOSURE_BOX = 1547, IDC_GAIN_BOX = 1548, IDC_LUMA_BOX = 1555, IDC_STATS_BOX = 1556,
        IDC_AEC_MIN_LABEL = 1549, IDC_AEC_MAX_LABEL = 1550, IDC_AGC_MIN_LABEL = 1557, IDC_AGC_MAX_LABEL = 1558,
        IDC_EXPOSURE_LOWER = 1551, IDC_EXPOSURE_UPPER = 1552, IDC_GAIN_LO = 1553, IDC_GAIN_HI = 1554,
        IDC_MODE_LABEL = 1559, IDC_LEVEL_LABEL = 1560, IDC_EXPOSURE_CAPTION = 1561, IDC_GAIN_CAPTION = 1562,
        IDC_LUMA_CAPTION = 1563, IDC_EXPOSURE_NOW = 1258, IDC_GAIN_NOW = 1259, IDC_LUMA_NOW = 1260,
        IDC_AEC_STATE = 1231, IDC_AGC_STATE = 1269,
    };
    /// The state lamp's icon id, kept on the icon static.
    static constexpr const char* kIconIdProperty = "iconId";

    CDlgAECAGC(QWidget* mainWnd, CCameraLink* link);
    ~CDlgAECAGC() override;

    bool RefreshFromStorage() override;
    void ReloadValues() override;
    void RefreshLiveValues() override;
    void ClearLiveValues() override;
    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    bool OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam) override;
    void OnParamChanged(const _OrvStParam* param) override;

    void OnMarkerMoved(int id, int marker, int value) override;
    void OnMarkerMovedF(int id, int marker, double value) override;

    // What the panel holds, for the window tests.
    int AecLimit(int which) const { return m_aecLimit[which == 2 ? 1 : 0]; }
    int AgcLimit(int which) const { return m_agcLimit[which == 2 ? 1 : 0]; }
    std::int64_t ExposureLower() const { return m_exposureLower; }
    std::int64_t ExposureUpper() const { return m_exposureUpper; }
    const aec_agc::GainScale& GainScale() const { return m_gain; }
    CDualSlider* AecSlider() const { return m_pAecSlider; }
    CDualSlider* AgcSlider() const { return m_pAgcSlider; }

protected:
    void BuildTemplate() override;
    void DoDataExchange(bool save) override;
    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override;

private:
    void SetAecLimit(int which, int value, bool moveMarker, bool write);
    void SetAgcLimit(int which, int raw, bool moveMarker, bool write);
    /// True when the camera holds the value afterwards.
    bool WriteLimit(const char* name, int value);
    void OnMarkerReleased(int id, int marker);
    void OnEnKillfocusAecLimit(int which);
    void OnEnKillfocusAgcLimit(int which);
    void OnEnKillfocusLumaLevel();
    void OnBnClickedEnable(bool aec);
    void OnCbnSelchangeLumaMode();
    void UpdateEnables();
    void ClampExposureRange();
    /// The camera's exposure range as the AEC limits may span it: the link's exposure record
    /// narrowed by the ExposureMin / ExposureMax readings.
    acq::ExposureRange CameraExposureRange();
    /// `upper`, or where no exposure maximum is known (0: the map gives the "Exposure" record no
    /// bounds) the AEC upper limit's own maximum, so that no limit is held to nothing.
    std::int64_t KnownExposureUpper(std::int64_t upper);
    /// The exposure slider's range, both markers and the spins' ranges from the members.
    void ApplyExposureRange();
    /// The slider over the placeholder of `id`, made on first use.
    CDualSlider* EnsureSlider(CDualSlider*& slider, int id);
    /// Places a marker without hearing it back: the limit keeps the camera's exact value.
    void PlaceMarker(CDualSlider* slider, int marker, int value);
    void ShowStateIcon(int id, aec_agc::State state);
    CUpDownCtrl* Spin(int id) const;
    void SetText(int id, const QString& text);
    QString Text(int id) const;
    std::int64_t Read(const char* name);
    /// The camera's value of `name`; none when the read failed.
    std::optional<std::int64_t> ReadAnswer(const char* name);
    /// What an AEC (exposure) or AGC (decibel) limit edit shows: the limit, or no reading.
    QString AecText(int i) const;
    QString AgcText(int i) const;

    int m_nAecEnable = 0;
    int m_nAgcEnable = 0;
    ComboParam m_lumaMode;
    int m_nLumaLevel = 0;
    _OrvStParam m_lumaRecord{};
    CDualSlider* m_pAecSlider = nullptr;  ///< children of the panel
    CDualSlider* m_pAgcSlider = nullptr;
    std::int64_t m_exposureLower = 0;
    std::int64_t m_exposureUpper = 0;
    std::array<int, 2> m_aecLimit{};
    std::array<int, 2> m_agcLimit{};
    /// The limits as the camera holds them (read, notified or written last).
    std::array<int, 2> m_aecCamera{};
    std::array<int, 2> m_agcCamera{};
    /// The camera's AEC limit is known (read, notified or written); one it did not answer is
    /// never held in the exposure range and written.
    std::array<bool, 2> m_aecKnown{};
    std::array<bool, 2> m_agcKnown{};  ///< the camera answered the gain limit
    bool m_lumaKnown = true;           ///< the camera answered the luminance level
    /// An AEC limit the camera refused when the exposure range held it; not tried again until
    /// the range changes.
    std::array<std::optional<int>, 2> m_aecHoldRefused{};
    aec_agc::GainScale m_gain;
    std::array<QIcon, 4> m_icons;  ///< off, regulating, at a lower limit, at an upper limit
    bool m_bIconsLoaded = false;

    // Re-entry guards, shared by every AEC/AGC panel.
    static bool s_bInSetAec;
    static bool s_bInSetAgc;
    static bool s_bInMarker;
    static bool s_bInWriteLimit;
};
