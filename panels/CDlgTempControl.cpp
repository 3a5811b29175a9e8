#include "panels/CDlgTempControl.h"

#include "camera/CameraLink.h"
#include "controls/OVNumericControl.h"
#include "controls/WindowIds.h"
#include "panels/PanelNames.h"
#include "panels/PanelTemplate.h"
#include "panels/ScaledNumeric.h"

#include <QLabel>

#include <cmath>
#include <cstring>

namespace {

namespace names = panel_names::temperature;
using panel_template::Item;
using panel_template::Kind;
using C = CDlgTempControl;

constexpr int kPopupWidth = 38;
constexpr int kPopupWidthDebug = 76;
constexpr int kCollapseMargin = 8;

// clang-format off
constexpr Item kTemplate[] = {
    {C::IDC_FAN_GROUP, Kind::Group, "FAN Control", 4, 2, 156, 62},
    {0, Kind::Static, "Camera Temperature:", 10, 15, 76, 8},
    {C::IDC_CAMERA_TEMP, Kind::StaticRight, "-100.00", 88, 15, 40, 8},
    {C::IDC_CAMERA_TEMP_UNIT, Kind::Static, "°C", 132, 15, 14, 8},
    {C::IDC_FAN_MODE_LABEL, Kind::Static, "FAN Mode", 10, 30, 76, 8},
    {C::IDC_FAN_MODE, Kind::Combo, nullptr, 88, 28, 64, 12},
    {C::IDC_FAN_LEVEL_LABEL, Kind::Static, "FAN On Temp", 10, 46, 76, 8},
    {C::IDC_FAN_ON_LEVEL, Kind::Numeric, nullptr, 88, 44, 40, 12},
    {C::IDC_TEC_GROUP, Kind::Group, "TEC Control", 4, 68, 156, 62},
    {C::IDC_CCD_TEMP_LABEL, Kind::Static, "CCD Temperature:", 10, 81, 76, 8},
    {C::IDC_CCD_TEMP, Kind::StaticRight, "-100.00", 88, 81, 40, 8},
    {C::IDC_CCD_TEMP_UNIT, Kind::Static, "°C", 132, 81, 14, 8},
    {C::IDC_TEC_MODE_LABEL, Kind::Static, "TEC Mode", 10, 96, 76, 8},
    {C::IDC_TEC_MODE, Kind::Combo, nullptr, 88, 94, 64, 12},
    {C::IDC_TEC_LEVEL_LABEL, Kind::Static, "CCD Target Temp", 10, 112, 76, 8},
    {C::IDC_TEC_ON_LEVEL, Kind::Numeric, nullptr, 88, 110, 40, 12},
};
// clang-format on
constexpr int kTemplateWidth = 164;
constexpr int kTemplateHeight = 134;

constexpr int kTecGroup[] = {C::IDC_TEC_GROUP,    C::IDC_TEC_MODE_LABEL, C::IDC_TEC_LEVEL_LABEL, C::IDC_TEC_MODE,
                             C::IDC_TEC_ON_LEVEL, C::IDC_CCD_TEMP_LABEL, C::IDC_CCD_TEMP,        C::IDC_CCD_TEMP_UNIT};

void SetLabel(QWidget* w, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
}

}  // namespace

CDlgTempControl::CDlgTempControl(QWidget* mainWnd, CCameraLink* link)
    : COptionDialog(IDD, mainWnd, link),
      m_fanMode(names::kFanMode, IDC_FAN_MODE, IDC_FAN_MODE_LABEL),
      m_tecMode(names::kTecMode, IDC_TEC_MODE, IDC_TEC_MODE_LABEL)
{
}

void CDlgTempControl::BuildTemplate()
{
    panel_template::Build(this, kTemplate, kTemplateWidth, kTemplateHeight);
    m_pFanOnLevel = dynamic_cast<OVNumericControl*>(GetDlgItem(IDC_FAN_ON_LEVEL));
    m_pTecOnLevel = dynamic_cast<OVNumericControl*>(GetDlgItem(IDC_TEC_ON_LEVEL));
}

void CDlgTempControl::DoDataExchange(bool save)
{
    m_fanMode.Exchange(save);
    m_tecMode.Exchange(save);
    if (!save) {
        SetLabel(GetDlgItem(IDC_CAMERA_TEMP), m_strCameraTemp);
        SetLabel(GetDlgItem(IDC_CCD_TEMP), m_strCcdTemp);
    }
}

void CDlgTempControl::ReloadValues()
{
    if (!CanRefresh())
        return;
    const auto read = [this](const char* name) -> std::optional<int> {
        std::int64_t value = 0;
        if (m_pStorage->GetParamInt(name, &value) != 0)
            return std::nullopt;
        return static_cast<int>(value);
    };
    m_fanMode.SetRead(read(names::kFanMode));
    m_tecMode.SetRead(read(names::kTecMode));
    m_fanOnLevel = read(names::kFanOnLevel);
    m_tecOnLevel = read(names::kTecOnLevel);
    m_nFanOnLevel = m_fanOnLevel.value_or(0);
    m_nTecOnLevel = m_tecOnLevel.value_or(0);
}

bool CDlgTempControl::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();

    m_fanMode.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kFanMode);
    SetupLevel(m_pFanOnLevel, IDC_FAN_LEVEL_LABEL, names::kFanOnLevel, m_fanOnLevel);

    if (!IsParamDefined(names::kTecMode)) {
        HideTecGroup();
    } else {
        m_tecMode.Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(names::kTecMode);
        SetupLevel(m_pTecOnLevel, IDC_TEC_LEVEL_LABEL, names::kTecOnLevel, m_tecOnLevel);
    }
    UpdateData(false);
    return true;
}

void CDlgTempControl::SetupLevel(OVNumericControl* control, int labelId, const char* name, std::optional<int> value)
{
    if (!control)
        return;
    // An absent parameter has no control: the edit and its caption hide (and show again on a
    // rebuild for a map that has it). It keeps the range 0..0, never the limits read before.
    _OrvStParam record{};
    const bool defined = IsParamDefined(name, &record);
    control->setVisible(defined);
    if (QWidget* label = GetDlgItem(labelId))
        label->setVisible(defined);
    const QRect popup = scaled_numeric::PopupRectFor(control, m_bDebugMode ? kPopupWidthDebug : kPopupWidth);
    scaled_numeric::SetupPlain(control, this, record, value.value_or(0), popup);
    if (!value)
        scaled_numeric::ShowNoReading(control);
    ListenTo(name);
}

void CDlgTempControl::HideTecGroup()
{
    panel_template::Hide(this, kTecGroup);
    panel_template::FitHeightBelow(this, IDC_FAN_GROUP, kCollapseMargin);
    m_bTecHidden = true;
}

void CDlgTempControl::SetTemperatures(const QString& camera, const QString& ccd)
{
    m_strCameraTemp = camera;
    m_strCcdTemp = ccd;
    UpdateData(false);
}

// ---- the operator's changes ----

bool CDlgTempControl::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::CBN_SELCHANGE && id == IDC_FAN_MODE)
        OnModeChosen(m_fanMode);
    else if (code == wnd::CBN_SELCHANGE && id == IDC_TEC_MODE)
        OnModeChosen(m_tecMode);
    else if (code == wnd::OVN_CHANGED && id == IDC_FAN_ON_LEVEL)
        OnLevelChanged(m_pFanOnLevel, names::kFanOnLevel, m_nFanOnLevel);
    else if (code == wnd::OVN_CHANGED && id == IDC_TEC_ON_LEVEL)
        OnLevelChanged(m_pTecOnLevel, names::kTecOnLevel, m_nTecOnLevel);
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgTempControl::OnModeChosen(ComboParam& combo)
{
    if (combo.TakeChoice())
        WriteParamInt(combo.m_pszName, combo.m_nValue);
}

void CDlgTempControl::OnLevelChanged(OVNumericControl* control, const char* name, int& stored)
{
    if (!control)
        return;
    const int level = static_cast<int>(std::trunc(control->value));
    // Without a reading any number the operator enters is written, also the old placeholder.
    if (level == stored && scaled_numeric::Known(control))
        return;
    stored = level;
    scaled_numeric::Show(control, level);
    WriteParamInt(name, level);
}

// ---- changes made elsewhere ----

void CDlgTempControl::OnParamChanged(const _OrvStParam* param)
{
    const char* name = param->name;
    const int value = static_cast<int>(param->value.n);
    if (std::strcmp(name, names::kFanMode) == 0) {
        m_fanMode.OnValueChanged(value);
    } else if (std::strcmp(name, names::kTecMode) == 0) {
        m_tecMode.OnValueChanged(value);
    } else if (std::strcmp(name, names::kFanOnLevel) == 0) {
        if (m_pFanOnLevel && (value != m_nFanOnLevel || !scaled_numeric::Known(m_pFanOnLevel))) {
            m_nFanOnLevel = value;
            scaled_numeric::Show(m_pFanOnLevel, value);
        }
    } else if (std::strcmp(name, names::kTecOnLevel) == 0) {
        if (m_pTecOnLevel && (value != m_nTecOnLevel || !scaled_numeric::Known(m_pTecOnLevel))) {
            m_nTecOnLevel = value;
            scaled_numeric::Show(m_pTecOnLevel, value);
        }
    }
    UpdateData(false);
}
