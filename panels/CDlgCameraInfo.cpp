#include "panels/CDlgCameraInfo.h"

#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/WindowTimers.h"
#include "panels/PanelTemplate.h"

#include <QLabel>

#include <cmath>

namespace {

using panel_template::Item;
using panel_template::Kind;
using C = CDlgCameraInfo;

// clang-format off
constexpr Item kTemplate[] = {
    {C::IDC_FRAME, Kind::Group, "Camera Info", 2, 0, 156, 68},
    {0, Kind::Static, "Size", 10, 12, 24, 8},
    {C::IDC_SIZE, Kind::StaticRight, nullptr, 36, 12, 70, 8},
    {1068, Kind::Static, "PxL", 110, 12, 20, 8},
    {0, Kind::Static, "FPS", 10, 22, 24, 8},
    {C::IDC_FPS, Kind::StaticRight, nullptr, 36, 22, 70, 8},
    {1064, Kind::Static, "fps", 110, 22, 20, 8},
    {0, Kind::Static, "FTM", 10, 32, 24, 8},
    {C::IDC_FRAME_TIME, Kind::StaticRight, nullptr, 36, 32, 70, 8},
    {1065, Kind::Static, "ms", 110, 32, 20, 8},
    {0, Kind::Static, "EXP", 10, 42, 24, 8},
    {C::IDC_EXPOSURE, Kind::StaticRight, nullptr, 36, 42, 70, 8},
    {1067, Kind::Static, "ms", 110, 42, 20, 8},
    {0, Kind::Static, "TMP", 10, 52, 24, 8},
    {C::IDC_TEMPERATURE, Kind::StaticRight, nullptr, 36, 52, 70, 8},
    {1066, Kind::Static, "°C", 110, 52, 20, 8},
    {C::IDC_ICON, Kind::Icon, nullptr, 134, 50, 10, 10},
};
// clang-format on
constexpr int kWidth = 160;
constexpr int kHeight = 70;

constexpr int kStateIcons[] = {wnd::IDI_STATE_NORMAL, wnd::IDI_STATE_LOW, wnd::IDI_STATE_HIGH, wnd::IDI_STATE_OFF};
constexpr int kIconSide = 16;

void SetLabel(QWidget* w, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
}

}  // namespace

bool CDlgCameraInfo::s_bBlink = false;

CDlgCameraInfo::CDlgCameraInfo(QWidget* parent)
    : QWidget(parent), m_pTimers(std::make_unique<wnd::CWndTimers>(this, [this](unsigned id) { OnTimer(id); }))
{
    wnd::SetDlgCtrlID(this, IDD);
    panel_template::Build(this, kTemplate, kWidth, kHeight);
    // The frame stands centred: the main window's column lines up with it on both sides.
    if (const QWidget* frame = wnd::GetDlgItem(this, IDC_FRAME))
        resize(2 * frame->x() + frame->width(), height());
    // The template's icon until LoadIcons takes the static over.
    if (auto* icon = qobject_cast<QLabel*>(wnd::GetDlgItem(this, IDC_ICON))) {
        icon->setPixmap(wnd::LoadIconResource(wnd::IDI_STATE_LOW).pixmap(kIconSide, kIconSide));
        m_nIconId = wnd::IDI_STATE_LOW;
    }
    UpdateData();
}

CDlgCameraInfo::~CDlgCameraInfo() = default;

void CDlgCameraInfo::UpdateData()
{
    SetLabel(wnd::GetDlgItem(this, IDC_SIZE), m_strSize);
    SetLabel(wnd::GetDlgItem(this, IDC_FPS), m_strFps);
    SetLabel(wnd::GetDlgItem(this, IDC_FRAME_TIME), m_strFrameTime);
    SetLabel(wnd::GetDlgItem(this, IDC_EXPOSURE), m_strExposure);
    SetLabel(wnd::GetDlgItem(this, IDC_TEMPERATURE), m_strTemperature);
}

void CDlgCameraInfo::LoadIcons()
{
    for (int id : kStateIcons)
        if (m_icons.find(id) == m_icons.end())
            m_icons[id] = wnd::LoadIconResource(id);
    if (!m_pIconStatic) {
        m_pIconStatic = qobject_cast<QLabel*>(wnd::GetDlgItem(this, IDC_ICON));
        if (m_pIconStatic) {
            ShowIcon(wnd::IDI_STATE_OFF);
            m_pIconStatic->resize(kIconSide, kIconSide);
        }
    }
}

int CDlgCameraInfo::StateFor(float t)
{
    if (t < kLowerThreshold)
        return 1;
    if (t < kUpperThreshold)
        return 2;
    return 3;  // also what compares as neither
}

void CDlgCameraInfo::SetTemperature(float t)
{
    const int state = StateFor(t);
    if (state == m_nTempState || !m_pIconStatic)
        return;
    m_nTempState = state;
    switch (state) {
    case 1:
        ShowIcon(wnd::IDI_STATE_NORMAL);
        m_pTimers->KillTimer(kBlinkTimer);
        break;
    case 2:
        ShowIcon(wnd::IDI_STATE_LOW);
        m_pTimers->KillTimer(kBlinkTimer);
        break;
    default:
        ShowIcon(wnd::IDI_STATE_HIGH);
        m_pTimers->SetTimer(kBlinkTimer, kBlinkPeriodMs);
        break;
    }
    m_pIconStatic->resize(kIconSide, kIconSide);
    m_pIconStatic->repaint();
    repaint();
}

void CDlgCameraInfo::ClearTemperature()
{
    m_pTimers->KillTimer(kBlinkTimer);
    m_nTempState = 0;
    // Also before the first rebuild loaded the lamps: the template's colour is no reading.
    LoadIcons();
    if (!m_pIconStatic)
        return;
    ShowIcon(wnd::IDI_STATE_OFF);
    m_pIconStatic->resize(kIconSide, kIconSide);
    m_pIconStatic->repaint();
}

void CDlgCameraInfo::OnTimer(unsigned id)
{
    if (id != kBlinkTimer || !m_pIconStatic)
        return;
    s_bBlink = !s_bBlink;
    const int side = s_bBlink ? kIconSide + 1 : kIconSide;
    m_pIconStatic->resize(side, side);
    m_pIconStatic->repaint();
}

bool CDlgCameraInfo::IsBlinking() const
{
    return m_pTimers->IsRunning(kBlinkTimer);
}

void CDlgCameraInfo::ShowIcon(int id)
{
    if (!m_pIconStatic)
        return;
    const auto it = m_icons.find(id);
    const QIcon icon = it != m_icons.end() ? it->second : wnd::LoadIconResource(id);
    m_pIconStatic->setPixmap(icon.pixmap(kIconSide, kIconSide));
    m_pIconStatic->setProperty("iconId", id);
    m_nIconId = id;
}

void CDlgCameraInfo::OnParamChanged(const _OrvStParam*)
{
    // The catalogues register this window; nothing here depends on those values.
}
