#include "panels/CDlgWhiteBalance.h"

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

namespace names = panel_names::white_balance;
using panel_template::Item;
using panel_template::Kind;
using C = CDlgWhiteBalance;

constexpr int kPopupWidth = 38;
constexpr int kPopupWidthDebug = 76;

// clang-format off
constexpr Item kTemplate[] = {
    {0, Kind::Static, "White Balance", 10, 8, 54, 8},
    {C::IDC_MODE, Kind::Combo, nullptr, 66, 6, 80, 12},
    {C::IDC_MANUAL_GROUP, Kind::Group, " Manual WB coef. ", 4, 24, 150, 64},
    {0, Kind::Static, "Red", 10, 38, 28, 8},
    {1323, Kind::Numeric, nullptr, 40, 36, 52, 12},
    {1324, Kind::Button, "Unity", 98, 35, 48, 14},
    {0, Kind::Static, "Green", 10, 54, 28, 8},
    {1325, Kind::Numeric, nullptr, 40, 52, 52, 12},
    {1326, Kind::Button, "Unity", 98, 51, 48, 14},
    {0, Kind::Static, "Blue", 10, 70, 28, 8},
    {1327, Kind::Numeric, nullptr, 40, 68, 52, 12},
    {1328, Kind::Button, "Unity", 98, 67, 48, 14},
    {C::IDC_STATISTICS_GROUP, Kind::Group, " Statistics ", 4, 92, 150, 50},
    {0, Kind::Static, "Red Coef.", 10, 104, 50, 8},
    {1303, Kind::Static, nullptr, 64, 104, 50, 8},
    {0, Kind::Static, "Green Coef.", 10, 116, 50, 8},
    {1304, Kind::Static, nullptr, 64, 116, 50, 8},
    {0, Kind::Static, "Blue Coef.", 10, 128, 50, 8},
    {1305, Kind::Static, nullptr, 64, 128, 50, 8},
};
// clang-format on
constexpr int kTemplateWidth = 158;
constexpr int kTemplateHeight = 146;

}  // namespace

const std::array<CDlgWhiteBalance::Channel, 3> CDlgWhiteBalance::kChannels = {{
    {1323, 1324, 1303, names::kWBRed, names::kWBCRed},
    {1325, 1326, 1304, names::kWBGreen, names::kWBCGreen},
    {1327, 1328, 1305, names::kWBBlue, names::kWBCBlue},
}};

CDlgWhiteBalance::CDlgWhiteBalance(QWidget* mainWnd, CCameraLink* link)
    : COptionDialog(IDD, mainWnd, link), m_mode(names::kWBMode, IDC_MODE)
{
}

void CDlgWhiteBalance::BuildTemplate()
{
    panel_template::Build(this, kTemplate, kTemplateWidth, kTemplateHeight);
    for (std::size_t i = 0; i < kChannels.size(); ++i)
        m_coef[i] = dynamic_cast<OVNumericControl*>(GetDlgItem(kChannels[i].numericId));
}

void CDlgWhiteBalance::DoDataExchange(bool save)
{
    m_mode.Exchange(save);
    if (save)
        return;
    for (std::size_t i = 0; i < kChannels.size(); ++i)
        if (auto* label = qobject_cast<QLabel*>(GetDlgItem(kChannels[i].currentId)))
            label->setText(m_strCurrent[i]);
}

void CDlgWhiteBalance::ReloadValues()
{
    if (!CanRefresh())
        return;
    // A mode the camera did not answer selects no item.
    if (std::int64_t mode = 0; m_pStorage->GetParamInt(names::kWBMode, &mode) == 0)
        m_mode.OnValueChanged(static_cast<int>(mode));
    else
        m_mode.SetRead(std::nullopt);
    ReloadCoefficients();
}

void CDlgWhiteBalance::ReloadCoefficients()
{
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        std::int64_t value = 0;
        m_coefRead[i] = m_pStorage->GetParamInt(kChannels[i].coefficient, &value) == 0;
        m_nCoef[i] = m_coefRead[i] ? static_cast<int>(value) : 0;
    }
}

void CDlgWhiteBalance::ShowCoefficient(std::size_t i)
{
    if (!m_coef[i])
        return;
    scaled_numeric::Show(m_coef[i], m_nCoef[i]);
    if (!m_coefRead[i])
        scaled_numeric::ShowNoReading(m_coef[i]);
}

bool CDlgWhiteBalance::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();
    m_bColor = m_pStorage->m_bWhiteBalanceSensor != 0;

    m_mode.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kWBMode);

    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        OVNumericControl* control = m_coef[i];
        if (!control)
            continue;
        // An absent coefficient gets the range 0..0, never the limits of the one read before.
        _OrvStParam record{};
        IsParamDefined(kChannels[i].coefficient, &record);
        const QRect popup = scaled_numeric::PopupRectFor(control, m_bDebugMode ? kPopupWidthDebug : kPopupWidth);
        scaled_numeric::SetupPlain(control, this, record, m_nCoef[i], popup);
        if (!m_coefRead[i])
            scaled_numeric::ShowNoReading(control);
        ListenTo(kChannels[i].coefficient);
    }
    ShowCurrentCoefficients();
    EnableCoefficientControls();
    UpdateData(false);
    return true;
}

void CDlgWhiteBalance::EnableCoefficientControls()
{
    const bool mode = m_bDebugMode || m_bColor;
    const bool coefficients = m_bDebugMode || (m_bColor && m_mode.m_bRead && m_mode.m_nValue == kManualMode);
    if (QWidget* combo = GetDlgItem(IDC_MODE))
        combo->setEnabled(mode);
    for (const Channel& channel : kChannels) {
        if (QWidget* w = GetDlgItem(channel.numericId))
            w->setEnabled(coefficients);
        if (QWidget* w = GetDlgItem(channel.unityId))
            w->setEnabled(coefficients);
    }
}

void CDlgWhiteBalance::ShowCurrentCoefficients()
{
    if (!CanRefresh())
        return;
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        // A read that fails shows no reading, never 0.
        std::int64_t value = 0;
        const bool read = m_pStorage->GetParamInt(kChannels[i].current, &value) == 0;
        ShowCurrent(i, read ? QString::number(value) : QString::fromLatin1(kNoReading));
    }
}

void CDlgWhiteBalance::ClearLiveValues()
{
    for (std::size_t i = 0; i < kChannels.size(); ++i)
        ShowCurrent(i, QString::fromLatin1(kNoReading));
}

void CDlgWhiteBalance::ShowCurrent(std::size_t channel, const QString& text)
{
    m_strCurrent[channel] = QStringLiteral("=") + text;
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(kChannels[channel].currentId)))
        label->setText(m_strCurrent[channel]);
}

void CDlgWhiteBalance::RefreshLiveValues()
{
    if (m_bColor)
        ShowCurrentCoefficients();
}

// ---- the operator's changes ----

bool CDlgWhiteBalance::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const int id = static_cast<int>(wnd::LoWord(wParam));
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::CBN_SELCHANGE && id == IDC_MODE) {
        OnModeChosen();
    } else {
        for (std::size_t i = 0; i < kChannels.size(); ++i) {
            if (code == wnd::OVN_CHANGED && id == kChannels[i].numericId && m_coef[i]) {
                const int v = static_cast<int>(std::trunc(m_coef[i]->value));
                // Without a reading any value entered is written, also the old placeholder.
                if (v != m_nCoef[i] || !m_coefRead[i]) {
                    m_nCoef[i] = v;
                    m_coefRead[i] = true;
                    scaled_numeric::Show(m_coef[i], v);
                    WriteParamInt(kChannels[i].coefficient, v);
                }
            } else if (code == wnd::BN_CLICKED && id == kChannels[i].unityId) {
                ResetCoefficient(static_cast<int>(i));
            }
        }
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgWhiteBalance::OnModeChosen()
{
    m_mode.Exchange(true);
    const std::optional<int> value = m_mode.SelectedValue();
    if (!value)
        return;
    m_mode.m_nValue = *value;
    WriteParamInt(names::kWBMode, m_mode.m_nValue);
    if (!m_bDebugMode) {
        // The camera may have set the coefficients of the new mode. A failed read of the mode
        // leaves the one the panel knows: the camera refused the change, so it holds that.
        if (std::int64_t mode = 0; m_pStorage->GetParamInt(names::kWBMode, &mode) == 0)
            m_mode.OnValueChanged(static_cast<int>(mode));
        ReloadCoefficients();
        for (std::size_t i = 0; i < kChannels.size(); ++i)
            ShowCoefficient(i);
        EnableCoefficientControls();
        ShowCurrentCoefficients();
        // The list shows the mode the camera holds, the refused one never.
        m_mode.Exchange(false);
    }
}

void CDlgWhiteBalance::ResetCoefficient(int index)
{
    m_nCoef[index] = kUnity;
    m_coefRead[static_cast<std::size_t>(index)] = true;
    ShowCoefficient(static_cast<std::size_t>(index));
    WriteParamInt(kChannels[index].coefficient, kUnity);
}

// ---- changes made elsewhere ----

void CDlgWhiteBalance::OnParamChanged(const _OrvStParam* param)
{
    const char* name = param->name;
    const int value = static_cast<int>(param->value.n);
    for (std::size_t i = 0; i < kChannels.size(); ++i) {
        if (std::strcmp(name, kChannels[i].coefficient) == 0 && (value != m_nCoef[i] || !m_coefRead[i])) {
            m_nCoef[i] = value;
            m_coefRead[i] = true;
            ShowCoefficient(i);
        }
    }
    if (std::strcmp(name, names::kWBMode) == 0 && m_mode.OnValueChanged(value)) {
        EnableCoefficientControls();
        ShowCurrentCoefficients();
    }
    UpdateData(false);
}
