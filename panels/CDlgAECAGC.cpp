#include "panels/CDlgAECAGC.h"

#include "camera/CameraLink.h"
#include "controls/CUpDownCtrl.h"
#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "panels/PanelNames.h"
#include "panels/PanelTemplate.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cstring>
#include <span>

namespace names = panel_names::aec_agc;
using aec_agc::ExposurePosition;
using aec_agc::ExposureFromPosition;

bool CDlgAECAGC::s_bInSetAec = false;
bool CDlgAECAGC::s_bInSetAgc = false;
bool CDlgAECAGC::s_bInMarker = false;
bool CDlgAECAGC::s_bInWriteLimit = false;

namespace {

using panel_template::Item;
using K = panel_template::Kind;
using D = CDlgAECAGC;

constexpr int kWidth = 200;
constexpr int kHeight = 232;

constexpr Item kItems[] = {
    {D::IDC_AEC_ENABLE, K::Check, "AEC Enable", 10, 5, 70, 10},
    {D::IDC_AGC_ENABLE, K::Check, "AGC Enable", 104, 5, 70, 10},

    {D::IDC_EXPOSURE_BOX, K::Group, " Exposure Limits [\xC2\xB5s] ", 4, 19, 192, 62},
    {D::IDC_AEC_SLIDER, K::Static, "", 10, 30, 180, 16},
    {D::IDC_EXPOSURE_LOWER, K::Static, "1", 10, 48, 70, 8},
    {D::IDC_EXPOSURE_UPPER, K::StaticRight, "16777215", 116, 48, 74, 8},
    {D::IDC_AEC_MIN_LABEL, K::Static, "Min:", 10, 63, 18, 8},
    {D::IDC_AEC_MIN, K::Edit, nullptr, 30, 61, 58, 12},
    {D::IDC_AEC_MIN_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_AEC_MAX_LABEL, K::Static, "Max:", 106, 63, 20, 8},
    {D::IDC_AEC_MAX, K::Edit, nullptr, 128, 61, 58, 12},
    {D::IDC_AEC_MAX_SPIN, K::Spin, nullptr, 0, 0, 0, 0},

    {D::IDC_GAIN_BOX, K::Group, " Gain Limits [dB]", 4, 85, 192, 62},
    {D::IDC_AGC_SLIDER, K::Static, "", 10, 96, 180, 16},
    {D::IDC_GAIN_LO, K::Static, "Gain Lo", 10, 114, 70, 8},
    {D::IDC_GAIN_HI, K::StaticRight, "Gain Hi", 116, 114, 74, 8},
    {D::IDC_AGC_MIN_LABEL, K::Static, "Min:", 10, 129, 18, 8},
    {D::IDC_AGC_MIN, K::Edit, nullptr, 30, 127, 58, 12},
    {D::IDC_AGC_MIN_SPIN, K::Spin, nullptr, 0, 0, 0, 0},
    {D::IDC_AGC_MAX_LABEL, K::Static, "Max:", 106, 129, 20, 8},
    {D::IDC_AGC_MAX, K::Edit, nullptr, 128, 127, 58, 12},
    {D::IDC_AGC_MAX_SPIN, K::Spin, nullptr, 0, 0, 0, 0},

    {D::IDC_LUMA_BOX, K::Group, " Luminance ", 4, 151, 192, 30},
    {D::IDC_MODE_LABEL, K::Static, "Mode", 10, 165, 22, 8},
    {D::IDC_LUMA_MODE, K::Combo, nullptr, 34, 163, 62, 12},
    {D::IDC_LEVEL_LABEL, K::Static, "Level:", 104, 165, 24, 8},
    {D::IDC_LUMA_LEVEL, K::Edit, nullptr, 130, 163, 56, 12},
    {D::IDC_LUMA_LEVEL_SPIN, K::Spin, nullptr, 0, 0, 0, 0},

    {D::IDC_STATS_BOX, K::Group, " Statistics ", 4, 185, 192, 43},
    {D::IDC_EXPOSURE_CAPTION, K::Static, "Exposure [ms]:", 10, 196, 60, 8},
    {D::IDC_EXPOSURE_NOW, K::Static, "", 72, 196, 70, 8},
    {D::IDC_AEC_STATE, K::Icon, nullptr, 176, 194, 11, 11},
    {D::IDC_GAIN_CAPTION, K::Static, "Gain [dB]:", 10, 206, 60, 8},
    {D::IDC_GAIN_NOW, K::Static, "", 72, 206, 70, 8},
    {D::IDC_AGC_STATE, K::Icon, nullptr, 176, 204, 11, 11},
    {D::IDC_LUMA_CAPTION, K::Static, "Luminance:", 10, 216, 60, 8},
    {D::IDC_LUMA_NOW, K::Static, "", 72, 216, 70, 8},
};

constexpr int kAecGroup[] = {D::IDC_AEC_MIN_LABEL, D::IDC_AEC_MAX_LABEL, D::IDC_AEC_MIN, D::IDC_AEC_MAX,
                             D::IDC_AEC_MIN_SPIN,  D::IDC_AEC_MAX_SPIN,  D::IDC_AEC_SLIDER, D::IDC_EXPOSURE_LOWER,
                             D::IDC_EXPOSURE_UPPER};
constexpr int kAgcGroup[] = {D::IDC_AGC_MIN_LABEL, D::IDC_AGC_MAX_LABEL, D::IDC_AGC_MIN, D::IDC_AGC_MAX,
                             D::IDC_AGC_MIN_SPIN,  D::IDC_AGC_MAX_SPIN,  D::IDC_AGC_SLIDER, D::IDC_GAIN_LO,
                             D::IDC_GAIN_HI};
constexpr int kLumaGroup[] = {D::IDC_MODE_LABEL, D::IDC_LUMA_MODE, D::IDC_LEVEL_LABEL, D::IDC_LUMA_LEVEL,
                              D::IDC_LUMA_LEVEL_SPIN};

/// Sets a flag for the lifetime of the scope; false when it was set already (the caller returns).
class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
    ~Guard()
    {
        if (entered_)
            flag_ = false;
    }
    bool Entered() const { return entered_; }

private:
    bool& flag_;
    bool entered_;
};

/// A dual slider's range lo..hi as the panel writes it.
void SetSliderRange(CDualSlider* slider, int lo, int hi)
{
    slider->minValue = lo;
    slider->maxValue = hi;
    slider->valueCount = hi - lo + 1;
    const int travel = slider->geometry.pixelMax - slider->geometry.pixelMin;
    slider->unitsPerPixel = travel > 0 ? static_cast<double>(slider->valueCount) / travel : 0.0;
    slider->minGapPixels = slider->unitsPerPixel > 0.0 ? slider->minGapUnits / slider->unitsPerPixel : 0.0;
}

int ToInt(std::int64_t v)
{
    return acq::ToControlInt(v);
}

}  // namespace

CDlgAECAGC::CDlgAECAGC(QWidget* mainWnd, CCameraLink* link)
    : COptionDialog(IDD, mainWnd, link), m_lumaMode(names::kLumaMode, IDC_LUMA_MODE)
{
    m_lumaRecord.type = 0;
    m_lumaRecord.access = 3;
}

CDlgAECAGC::~CDlgAECAGC()
{
    // The sliders go with the panel's children; they must not report into a half-destroyed panel.
    if (m_pAecSlider)
        m_pAecSlider->listener = nullptr;
    if (m_pAgcSlider)
        m_pAgcSlider->listener = nullptr;
}

// ---- template 222 ----

void CDlgAECAGC::BuildTemplate()
{
    panel_template::Build(this, kItems, kWidth, kHeight);
}

void CDlgAECAGC::DoDataExchange(bool save)
{
    auto* aec = qobject_cast<QAbstractButton*>(GetDlgItem(IDC_AEC_ENABLE));
    auto* agc = qobject_cast<QAbstractButton*>(GetDlgItem(IDC_AGC_ENABLE));
    m_lumaMode.Exchange(save);
    if (save) {
        m_nAecEnable = CheckReading(aec);
        m_nAgcEnable = CheckReading(agc);
        long long level = 0;
        if (aec_agc::ParseInteger(Text(IDC_LUMA_LEVEL).toStdString(), &level))
            m_nLumaLevel = ToInt(level);
        return;
    }
    SetCheckReading(aec, m_nAecEnable);
    SetCheckReading(agc, m_nAgcEnable);
    SetText(IDC_LUMA_LEVEL, m_lumaKnown ? QString::number(m_nLumaLevel) : QString::fromLatin1(kNoReading));
}

// ---- refresh ----

bool CDlgAECAGC::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();
    if (!m_bIconsLoaded) {
        const int ids[] = {wnd::IDI_STATE_OFF, wnd::IDI_STATE_NORMAL, wnd::IDI_STATE_LOW, wnd::IDI_STATE_HIGH};
        for (std::size_t i = 0; i < m_icons.size(); ++i)
            m_icons[i] = wnd::LoadIconResource(ids[i]);
        m_bIconsLoaded = true;
    }
    ListenTo(names::kAECEnable);
    ListenTo(names::kAGCEnable);

    m_lumaMode.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kLumaMode);

    m_lumaRecord = _OrvStParam{};
    IsParamDefined(names::kLumaLevel, &m_lumaRecord);
    if (CUpDownCtrl* spin = Spin(IDC_LUMA_LEVEL_SPIN)) {
        spin->SetRange32(ToInt(m_lumaRecord.min.n), ToInt(m_lumaRecord.max.n));
        spin->SetPos32(m_nLumaLevel);
    }
    ListenTo(names::kLumaLevel);

    // Exposure limits on the logarithmic slider.
    EnsureSlider(m_pAecSlider, IDC_AEC_SLIDER);
    ApplyExposureRange();
    ListenTo(names::kAECLimitMin);
    ListenTo(names::kAECLimitMax);

    // Gain limits on the raw range.
    EnsureSlider(m_pAgcSlider, IDC_AGC_SLIDER);
    if (m_pAgcSlider) {
        SetSliderRange(m_pAgcSlider, m_gain.rawMin, m_gain.rawMax);
        PlaceMarker(m_pAgcSlider, 1, m_agcLimit[0]);
        PlaceMarker(m_pAgcSlider, 2, m_agcLimit[1]);
        m_pAgcSlider->update();
    }
    if (CUpDownCtrl* spin = Spin(IDC_AGC_MIN_SPIN)) {
        spin->SetRange32(m_gain.rawMin, m_agcLimit[1]);
        spin->SetPos32(m_agcLimit[0]);
    }
    if (CUpDownCtrl* spin = Spin(IDC_AGC_MAX_SPIN)) {
        spin->SetRange32(m_agcLimit[0], m_gain.rawMax);
        spin->SetPos32(m_agcLimit[1]);
    }
    SetText(IDC_GAIN_LO, QString::asprintf("%.2f", m_gain.low));
    SetText(IDC_GAIN_HI, QString::asprintf("%.2f", m_gain.high));
    SetText(IDC_AGC_MIN, AgcText(0));
    SetText(IDC_AGC_MAX, AgcText(1));
    ListenTo(names::kAGCLimitMin);
    ListenTo(names::kAGCLimitMax);

    UpdateEnables();
    UpdateData(false);
    return true;
}

void CDlgAECAGC::ReloadValues()
{
    if (!CanRefresh())
        return;
    // A switch the camera did not answer shows neither state (kCheckNoReading).
    const auto flag = [this](const char* name) {
        const std::optional<std::int64_t> value = ReadAnswer(name);
        return value ? (*value != 0 ? 1 : 0) : kCheckNoReading;
    };
    m_nAecEnable = flag(names::kAECEnable);
    m_nAgcEnable = flag(names::kAGCEnable);
    m_lumaMode.SetRead(ReadAnswer(names::kLumaMode));
    const std::optional<std::int64_t> level = ReadAnswer(names::kLumaLevel);
    m_lumaKnown = level.has_value();
    m_nLumaLevel = static_cast<int>(level.value_or(0));

    const acq::ExposureRange range = CameraExposureRange();
    m_exposureLower = range.min;
    m_exposureUpper = range.max;
    for (int i = 0; i < 2; ++i) {
        std::int64_t limit = 0;
        m_aecKnown[i] = m_pStorage->GetParamInt(i == 0 ? names::kAECLimitMin : names::kAECLimitMax, &limit) == 0;
        m_aecLimit[i] = m_aecCamera[i] = m_aecKnown[i] ? static_cast<int>(limit) : 0;
    }
    m_aecHoldRefused = {};

    _OrvStParam rawRange{};
    IsParamDefined(names::kAGCLimitMin, &rawRange);
    _OrvStParam gainLimits{};
    const double step = IsParamDefined(names::kAnalogGainLimits, &gainLimits) ? gainLimits.def.d
                                                                              : aec_agc::kDefaultGainStep;
    m_gain = aec_agc::MakeGainScale(ToInt(rawRange.min.n), ToInt(rawRange.max.n), step);
    for (int i = 0; i < 2; ++i) {
        const std::optional<std::int64_t> limit = ReadAnswer(i == 0 ? names::kAGCLimitMin : names::kAGCLimitMax);
        m_agcKnown[i] = limit.has_value();
        m_agcLimit[i] = m_agcCamera[i] = static_cast<int>(limit.value_or(0));
    }
}

CDualSlider* CDlgAECAGC::EnsureSlider(CDualSlider*& slider, int id)
{
    if (slider)
        return slider;
    QWidget* placeholder = GetDlgItem(id);
    if (!placeholder)
        return nullptr;
    const QRect rect = placeholder->geometry();
    delete placeholder;
    slider = new CDualSlider();
    slider->Create(id, this, rect);
    slider->listener = this;
    return slider;
}

void CDlgAECAGC::PlaceMarker(CDualSlider* slider, int marker, int value)
{
    if (!slider)
        return;
    // Heard back, the position would replace an exact limit by its rounding on the log scale.
    IDualSliderListener* listener = slider->listener;
    slider->listener = nullptr;
    slider->SetMarkerPos(marker, value);
    slider->listener = listener;
}

void CDlgAECAGC::ApplyExposureRange()
{
    if (m_pAecSlider) {
        SetSliderRange(m_pAecSlider, ExposurePosition(m_exposureLower), ExposurePosition(m_exposureUpper));
        PlaceMarker(m_pAecSlider, 1, ExposurePosition(m_aecLimit[0]));
        PlaceMarker(m_pAecSlider, 2, ExposurePosition(m_aecLimit[1]));
        m_pAecSlider->update();
    }
    if (CUpDownCtrl* spin = Spin(IDC_AEC_MIN_SPIN)) {
        spin->SetRange32(ToInt(m_exposureLower), m_aecLimit[1]);
        spin->SetPos32(m_aecLimit[0]);
    }
    if (CUpDownCtrl* spin = Spin(IDC_AEC_MAX_SPIN)) {
        spin->SetRange32(m_aecLimit[0], ToInt(m_exposureUpper));
        spin->SetPos32(m_aecLimit[1]);
    }
    SetText(IDC_EXPOSURE_LOWER, QString::number(m_exposureLower));
    SetText(IDC_EXPOSURE_UPPER, QString::number(m_exposureUpper));
    SetText(IDC_AEC_MIN, AecText(0));
    SetText(IDC_AEC_MAX, AecText(1));
}

QString CDlgAECAGC::AecText(int i) const
{
    return m_aecKnown[i] ? QString::number(m_aecLimit[i]) : QString::fromLatin1(kNoReading);
}

QString CDlgAECAGC::AgcText(int i) const
{
    return m_agcKnown[i] ? QString::fromStdString(aec_agc::GainText(m_gain, m_agcLimit[i]))
                         : QString::fromLatin1(kNoReading);
}

// ---- limits ----

bool CDlgAECAGC::WriteLimit(const char* name, int value)
{
    if (!m_pStorage)
        return false;
    Guard guard(s_bInWriteLimit);
    if (!guard.Entered())
        return false;
    const int result = WriteParamInt(name, value, true);
    return Written(result) || result == kOrvParamUnchanged;
}

void CDlgAECAGC::SetAecLimit(int which, int value, bool moveMarker, bool write)
{
    Guard guard(s_bInSetAec);
    if (!guard.Entered() || (which != 1 && which != 2))
        return;
    const int i = which - 1;
    value = aec_agc::ClampLimit(which, value, m_exposureLower, m_exposureUpper, m_aecLimit[1 - i]);
    // Only a limit that differs from the camera's reaches it (any one, when the camera's is
    // not known).
    if (write && (value != m_aecCamera[i] || !m_aecKnown[i])) {
        // A limit the camera did not take leaves its own on the panel.
        if (WriteLimit(which == 1 ? names::kAECLimitMin : names::kAECLimitMax, value)) {
            m_aecCamera[i] = value;
            m_aecKnown[i] = true;
        } else
            value = m_aecCamera[i];
    }
    m_aecLimit[i] = value;
    if (moveMarker)
        PlaceMarker(m_pAecSlider, which, ExposurePosition(value));
    if (which == 1) {
        if (CUpDownCtrl* spin = Spin(IDC_AEC_MIN_SPIN))
            spin->SetPos32(value);
        if (CUpDownCtrl* spin = Spin(IDC_AEC_MAX_SPIN))
            spin->SetRange32(value, ToInt(m_exposureUpper));
    } else {
        if (CUpDownCtrl* spin = Spin(IDC_AEC_MAX_SPIN))
            spin->SetPos32(value);
        if (CUpDownCtrl* spin = Spin(IDC_AEC_MIN_SPIN))
            spin->SetRange32(ToInt(m_exposureLower), value);
    }
    SetText(which == 1 ? IDC_AEC_MIN : IDC_AEC_MAX, AecText(i));
    UpdateData(false);
}

void CDlgAECAGC::SetAgcLimit(int which, int raw, bool moveMarker, bool write)
{
    Guard guard(s_bInSetAgc);
    if (!guard.Entered() || (which != 1 && which != 2))
        return;
    const int i = which - 1;
    raw = aec_agc::ClampLimit(which, raw, m_gain.rawMin, m_gain.rawMax, m_agcLimit[1 - i]);
    if (write && (raw != m_agcCamera[i] || !m_agcKnown[i])) {
        if (WriteLimit(which == 1 ? names::kAGCLimitMin : names::kAGCLimitMax, raw)) {
            m_agcCamera[i] = raw;
            m_agcKnown[i] = true;
        } else {
            raw = m_agcCamera[i];
        }
    }
    m_agcLimit[i] = raw;
    if (moveMarker)
        PlaceMarker(m_pAgcSlider, which, raw);
    if (which == 1) {
        if (CUpDownCtrl* spin = Spin(IDC_AGC_MIN_SPIN))
            spin->SetPos32(raw);
        if (CUpDownCtrl* spin = Spin(IDC_AGC_MAX_SPIN))
            spin->SetRange32(raw, m_gain.rawMax);
    } else {
        if (CUpDownCtrl* spin = Spin(IDC_AGC_MAX_SPIN))
            spin->SetPos32(raw);
        if (CUpDownCtrl* spin = Spin(IDC_AGC_MIN_SPIN))
            spin->SetRange32(m_gain.rawMin, raw);
    }
    SetText(which == 1 ? IDC_AGC_MIN : IDC_AGC_MAX, AgcText(i));
    UpdateData(false);
}

// ---- the dual sliders ----

void CDlgAECAGC::OnMarkerMoved(int id, int marker, int value)
{
    Guard guard(s_bInMarker);
    if (!guard.Entered() || (marker != 1 && marker != 2))
        return;
    const int i = marker - 1;
    if (id == IDC_AEC_SLIDER) {
        const int v = aec_agc::ClampLimit(marker, ExposureFromPosition(value), m_exposureLower, m_exposureUpper,
                                          m_aecLimit[1 - i]);
        m_aecLimit[i] = v;
        SetText(marker == 1 ? IDC_AEC_MIN : IDC_AEC_MAX, QString::number(v));
    } else if (id == IDC_AGC_SLIDER) {
        m_agcLimit[i] = value;
        SetText(marker == 1 ? IDC_AGC_MIN : IDC_AGC_MAX, QString::fromStdString(aec_agc::GainText(m_gain, value)));
    }
}

void CDlgAECAGC::OnMarkerMovedF(int, int, double) {}

void CDlgAECAGC::OnMarkerReleased(int id, int marker)
{
    if (marker != 1 && marker != 2)
        return;
    if (id == IDC_AEC_SLIDER)
        SetAecLimit(marker, m_aecLimit[marker - 1], false, true);
    else if (id == IDC_AGC_SLIDER)
        SetAgcLimit(marker, m_agcLimit[marker - 1], false, true);
}

bool CDlgAECAGC::OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    if (message == wnd::DSM_MARKER_RELEASED) {
        OnMarkerReleased(static_cast<int>(wParam), static_cast<int>(lParam));
        return true;
    }
    return COptionDialog::OnWindowMessage(message, wParam, lParam);
}

void CDlgAECAGC::OnVScroll(unsigned code, int, QWidget* scrollBar)
{
    if (m_nVScrollBusy.exchange(1))
        return;
    auto* spin = qobject_cast<CUpDownCtrl*>(scrollBar);
    const int id = spin ? wnd::GetDlgCtrlID(spin) : 0;
    // The position from the control: exposures exceed the 16 bits a scroll message carries.
    const int position = spin ? spin->GetPos32() : 0;
    const bool end = code == wnd::SB_ENDSCROLL;
    const auto detached = [](CDualSlider* slider, auto&& action) {
        IDualSliderListener* listener = slider ? slider->listener : nullptr;
        if (slider)
            slider->listener = nullptr;
        action();
        if (slider)
            slider->listener = listener;
    };
    // A spin steps from the value it stands on: without a reading there is none to step from,
    // so it goes back and nothing is written.
    const int limit = id == IDC_AEC_MIN_SPIN || id == IDC_AGC_MIN_SPIN ? 0 : 1;
    const bool aecSpin = id == IDC_AEC_MIN_SPIN || id == IDC_AEC_MAX_SPIN;
    const bool agcSpin = id == IDC_AGC_MIN_SPIN || id == IDC_AGC_MAX_SPIN;
    if (spin && ((id == IDC_LUMA_LEVEL_SPIN && !m_lumaKnown) || (aecSpin && !m_aecKnown[limit]) ||
                 (agcSpin && !m_agcKnown[limit]))) {
        spin->SetPos32(aecSpin ? m_aecLimit[limit] : agcSpin ? m_agcLimit[limit] : m_nLumaLevel);
        m_nVScrollBusy = 0;
        return;
    }
    switch (id) {
    case IDC_LUMA_LEVEL_SPIN:
        m_nLumaLevel = position;
        SetText(IDC_LUMA_LEVEL, QString::number(position));
        if (end)
            WriteParamInt(names::kLumaLevel, m_nLumaLevel);
        break;
    case IDC_AEC_MIN_SPIN:
    case IDC_AEC_MAX_SPIN:
        if (end)
            detached(m_pAecSlider, [&] { SetAecLimit(id == IDC_AEC_MIN_SPIN ? 1 : 2, position, true, true); });
        break;
    case IDC_AGC_MIN_SPIN:
    case IDC_AGC_MAX_SPIN: {
        const int which = id == IDC_AGC_MIN_SPIN ? 1 : 2;
        if (end)
            detached(m_pAgcSlider, [&] { SetAgcLimit(which, position, true, true); });
        else
            SetText(which == 1 ? IDC_AGC_MIN : IDC_AGC_MAX,
                    QString::fromStdString(aec_agc::GainText(m_gain, position)));
        break;
    }
    default:
        break;
    }
    m_nVScrollBusy = 0;
}

// ---- commands ----

bool CDlgAECAGC::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::EN_KILLFOCUS) {
        switch (id) {
        case IDC_AEC_MIN:
        case IDC_AEC_MAX:
            OnEnKillfocusAecLimit(id == IDC_AEC_MIN ? 1 : 2);
            return true;
        case IDC_AGC_MIN:
        case IDC_AGC_MAX:
            OnEnKillfocusAgcLimit(id == IDC_AGC_MIN ? 1 : 2);
            return true;
        case IDC_LUMA_LEVEL:
            OnEnKillfocusLumaLevel();
            return true;
        default:
            break;
        }
    }
    if (code == wnd::BN_CLICKED && (id == IDC_AEC_ENABLE || id == IDC_AGC_ENABLE)) {
        OnBnClickedEnable(id == IDC_AEC_ENABLE);
        return true;
    }
    if (code == wnd::CBN_SELCHANGE && id == IDC_LUMA_MODE) {
        OnCbnSelchangeLumaMode();
        return true;
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgAECAGC::OnEnKillfocusAecLimit(int which)
{
    const int i = which - 1;
    long long typed = 0;
    if (!aec_agc::ParseInteger(Text(which == 1 ? IDC_AEC_MIN : IDC_AEC_MAX).toStdString(), &typed)) {
        // Not a number: the limit stands and the edit shows it again.
        SetText(which == 1 ? IDC_AEC_MIN : IDC_AEC_MAX, AecText(i));
        return;
    }
    const int value = ToInt(typed);
    if (value != m_aecLimit[i] || !m_aecKnown[i])
        SetAecLimit(which, value, true, true);
}

void CDlgAECAGC::OnEnKillfocusAgcLimit(int which)
{
    const int i = which - 1;
    const int id = which == 1 ? IDC_AGC_MIN : IDC_AGC_MAX;
    const QString shown = AgcText(i);
    const QString text = Text(id).trimmed();
    double typed = 0.0;
    // The decibels shown are a rounding: leaving them as they stand changes nothing.
    if (text == shown || !aec_agc::ParseDecimal(text.toStdString(), &typed)) {
        SetText(id, shown);
        return;
    }
    const int raw = aec_agc::RawFromGain(m_gain, typed);
    if (raw != m_agcLimit[i] || !m_agcKnown[i])
        SetAgcLimit(which, raw, true, true);
    else
        SetText(id, shown);
}

void CDlgAECAGC::OnEnKillfocusLumaLevel()
{
    long long typed = 0;
    if (!aec_agc::ParseInteger(Text(IDC_LUMA_LEVEL).toStdString(), &typed)) {
        SetText(IDC_LUMA_LEVEL, m_lumaKnown ? QString::number(m_nLumaLevel) : QString::fromLatin1(kNoReading));
        return;
    }
    m_lumaKnown = true;
    const std::int64_t clamped = std::clamp<std::int64_t>(typed, m_lumaRecord.min.n,
                                                          std::max(m_lumaRecord.min.n, m_lumaRecord.max.n));
    m_nLumaLevel = ToInt(clamped);
    SetText(IDC_LUMA_LEVEL, QString::number(m_nLumaLevel));
    if (CUpDownCtrl* spin = Spin(IDC_LUMA_LEVEL_SPIN))
        spin->SetPos32(m_nLumaLevel);
    WriteParamInt(names::kLumaLevel, m_nLumaLevel);
}

void CDlgAECAGC::OnBnClickedEnable(bool aec)
{
    auto* check = qobject_cast<QAbstractButton*>(GetDlgItem(aec ? IDC_AEC_ENABLE : IDC_AGC_ENABLE));
    const int state = check && check->isChecked() ? 1 : 0;
    int& enabled = aec ? m_nAecEnable : m_nAgcEnable;
    const int held = enabled;
    enabled = state;
    // A switch the camera did not take leaves the regulator as it is (no limit is held for it);
    // the box follows the camera's value when it comes back.
    const int result = WriteParamInt(aec ? names::kAECEnable : names::kAGCEnable, state);
    if (!Written(result) && result != kOrvParamUnchanged)
        enabled = held;
    UpdateEnables();
}

void CDlgAECAGC::OnCbnSelchangeLumaMode()
{
    m_lumaMode.Exchange(true);
    const std::optional<int> value = m_lumaMode.SelectedValue();
    if (!value)
        return;
    m_lumaMode.m_nValue = *value;
    WriteParamInt(names::kLumaMode, *value);
}

// ---- changes made elsewhere ----

void CDlgAECAGC::OnParamChanged(const _OrvStParam* param)
{
    const char* name = param->name;
    const int value = static_cast<int>(param->value.n);
    if (std::strcmp(name, names::kAECEnable) == 0 || std::strcmp(name, names::kAGCEnable) == 0) {
        (std::strcmp(name, names::kAECEnable) == 0 ? m_nAecEnable : m_nAgcEnable) = value != 0 ? 1 : 0;
        UpdateData(false);
        UpdateEnables();
    } else if (std::strcmp(name, names::kLumaMode) == 0) {
        m_lumaMode.OnValueChanged(value);
    } else if (std::strcmp(name, names::kLumaLevel) == 0) {
        m_nLumaLevel = value;
        m_lumaKnown = true;
        if (CUpDownCtrl* spin = Spin(IDC_LUMA_LEVEL_SPIN))
            spin->SetPos32(value);
    } else if (std::strcmp(name, names::kAECLimitMin) == 0 || std::strcmp(name, names::kAECLimitMax) == 0) {
        const int which = std::strcmp(name, names::kAECLimitMin) == 0 ? 1 : 2;
        m_aecCamera[which - 1] = value;
        m_aecKnown[which - 1] = true;
        // A limit held within the range and the other limit is written as shown.
        SetAecLimit(which, value, true, true);
    } else if (std::strcmp(name, names::kAGCLimitMin) == 0 || std::strcmp(name, names::kAGCLimitMax) == 0) {
        const int which = std::strcmp(name, names::kAGCLimitMin) == 0 ? 1 : 2;
        m_agcCamera[which - 1] = value;
        m_agcKnown[which - 1] = true;
        SetAgcLimit(which, value, true, true);
    }
    UpdateData(false);
}

// ---- enabling and live values ----

void CDlgAECAGC::UpdateEnables()
{
    const bool aec = m_bDebugMode || m_nAecEnable != 0;
    const bool agc = m_bDebugMode || m_nAgcEnable != 0;
    const bool luma = m_bDebugMode || m_nAecEnable != 0 || m_nAgcEnable != 0;
    const auto enable = [this](std::span<const int> ids, bool on) {
        for (int id : ids)
            if (QWidget* w = GetDlgItem(id)) {
                w->setEnabled(on);
                w->update();
            }
    };
    enable(kAecGroup, aec);
    enable(kAgcGroup, agc);
    enable(kLumaGroup, luma);
    RefreshLiveValues();
}

void CDlgAECAGC::RefreshLiveValues()
{
    if (!m_pStorage)
        return;
    // A read that fails shows no reading, never 0.
    const auto readOut = [this](int id, const char* name, const auto& format) {
        std::int64_t value = 0;
        SetText(id, m_pStorage->GetParamInt(name, &value) == 0 ? format(value) : QString::fromLatin1(kNoReading));
    };
    readOut(IDC_EXPOSURE_NOW, names::kExposure,
            [](std::int64_t v) { return QString::asprintf("%.3f", static_cast<double>(v) * 0.001); });
    readOut(IDC_GAIN_NOW, names::kAGCCurrentA,
            [this](std::int64_t v) { return QString::fromStdString(aec_agc::GainText(m_gain, static_cast<int>(v))); });
    readOut(IDC_LUMA_NOW, names::kLumaCurrent, [](std::int64_t v) { return QString::number(static_cast<int>(v)); });

    const auto state = [this](bool enabled, const char* upper, const char* lower) {
        if (!enabled)
            return aec_agc::State::Off;
        const bool atUpper = static_cast<std::uint32_t>(Read(upper)) != 0;
        const bool atLower = !atUpper && static_cast<std::uint32_t>(Read(lower)) != 0;
        return aec_agc::StateOf(true, atUpper, atLower);
    };
    ShowStateIcon(IDC_AEC_STATE, state(m_nAecEnable != 0, names::kAECMax, names::kAECMin));
    ShowStateIcon(IDC_AGC_STATE, state(m_nAgcEnable != 0, names::kAGCMax, names::kAGCMin));

    if (m_nAecEnable != 0)
        ClampExposureRange();
}

void CDlgAECAGC::ClearLiveValues()
{
    for (int id : {IDC_EXPOSURE_NOW, IDC_GAIN_NOW, IDC_LUMA_NOW})
        SetText(id, QString::fromLatin1(kNoReading));
    // No lamp says the regulators work while nothing is read.
    ShowStateIcon(IDC_AEC_STATE, aec_agc::State::Off);
    ShowStateIcon(IDC_AGC_STATE, aec_agc::State::Off);
}

void CDlgAECAGC::ClampExposureRange()
{
    std::int64_t lower = 0;
    std::int64_t upper = 0;
    if (m_bDebugMode) {
        _OrvStParam exposure{};
        IsParamDefined(names::kExposure, &exposure);
        lower = exposure.min.n;
        upper = KnownExposureUpper(exposure.max.n);
    } else {
        const acq::ExposureRange range = CameraExposureRange();
        lower = range.min;
        upper = std::max(range.max, range.min);
    }
    const bool boundChanged = lower != m_exposureLower || upper != m_exposureUpper;
    m_exposureLower = lower;
    m_exposureUpper = upper;
    if (boundChanged)
        m_aecHoldRefused = {};
    const char* limitNames[2] = {names::kAECLimitMin, names::kAECLimitMax};
    bool limitHeld = false;
    for (int i = 0; i < 2; ++i) {
        const int held = ToInt(std::clamp<std::int64_t>(m_aecLimit[i], lower, upper));
        if (!m_aecKnown[i] || held == m_aecLimit[i] || m_aecHoldRefused[static_cast<std::size_t>(i)] == held)
            continue;
        // Shown only once the camera took it; a refused one is not tried at every tick.
        if (WriteLimit(limitNames[i], held)) {
            m_aecLimit[i] = m_aecCamera[i] = held;
            limitHeld = true;
        } else {
            m_aecHoldRefused[static_cast<std::size_t>(i)] = held;
        }
    }
    if (boundChanged || limitHeld)
        ApplyExposureRange();
}

acq::ExposureRange CDlgAECAGC::CameraExposureRange()
{
    acq::ExposureLimits limits;
    limits.linkMin = m_pStorage->m_ExposureParam.min.n;
    limits.linkMax = m_pStorage->m_ExposureParam.max.n;
    limits.exposureMin = Read(names::kExposureMin);
    limits.exposureMax = Read(names::kExposureMax);
    acq::ExposureRange range = acq::RefreshExposureRange(limits);
    range.max = KnownExposureUpper(range.max);
    return range;
}

std::int64_t CDlgAECAGC::KnownExposureUpper(std::int64_t upper)
{
    if (upper != 0)
        return upper;
    _OrvStParam limit{};
    IsParamDefined(names::kAECLimitMax, &limit);
    return limit.max.n;
}

void CDlgAECAGC::ShowStateIcon(int id, aec_agc::State state)
{
    static constexpr int kIds[] = {wnd::IDI_STATE_OFF, wnd::IDI_STATE_NORMAL, wnd::IDI_STATE_LOW, wnd::IDI_STATE_HIGH};
    const auto index = static_cast<std::size_t>(state);
    auto* icon = qobject_cast<QLabel*>(GetDlgItem(id));
    if (!icon || icon->property(kIconIdProperty).toInt() == kIds[index])
        return;
    icon->setProperty(kIconIdProperty, kIds[index]);
    SetStaticIcon(icon, m_icons[index]);
}

// ---- helpers ----

CUpDownCtrl* CDlgAECAGC::Spin(int id) const
{
    return qobject_cast<CUpDownCtrl*>(GetDlgItem(id));
}

std::int64_t CDlgAECAGC::Read(const char* name)
{
    return ReadAnswer(name).value_or(0);
}

std::optional<std::int64_t> CDlgAECAGC::ReadAnswer(const char* name)
{
    std::int64_t value = 0;
    if (!m_pStorage || m_pStorage->GetParamInt(name, &value) != 0)
        return std::nullopt;
    return value;
}

void CDlgAECAGC::SetText(int id, const QString& text)
{
    QWidget* w = GetDlgItem(id);
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
}

QString CDlgAECAGC::Text(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return {};
}
