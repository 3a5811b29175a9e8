#include "panels/CDlgAcquisition.h"

#include "camera/CameraLink.h"
#include "controls/Command.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/OVNumericControl.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "panels/AcquisitionTemplate.h"
#include "panels/PanelNames.h"
#include "panels/PanelTemplate.h"
#include "panels/SliderGroups.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace {

namespace names = panel_names::acquisition;

using panel_names::SameName;
using panel_names::SameNameIgnoringCase;
using panel_template::BottomOf;

// Scan order of every handler: trigger, strobe, exposure, TDI.
constexpr SliderGroupIds kGroupSpecs[CDlgAcquisition::kGroupCount] = {
    {names::kTriggerDebounce, 1474, 1477, 1478, 1475, 1476},
    {names::kTriggerGlitch, 1479, 1480, 1481, 1482, 1483},
    {names::kTriggerFrames, 1484, 1485, 1486, 1487, 1488},
    {names::kTrStrobeDuration, 1489, 1490, 1491, 1492, 1493},
    {names::kTrStrobeDelay, 1494, 1495, 1496, 1497, 1498},
    {names::kExposureDur, 1500, 1501, 1502, 1503, 1504},
    {names::kTrExposureDelay, 1505, 1506, 1507, 1508, 1509},
    {names::kFrameTimeAbsolute, 1511, 1512, 1513, 1514, 1515},
    {names::kTDINumber, 1521, 1522, 1523, 1524, 1525},
    {names::kTDIDelay, 1527, 1528, 1529, 1530, 1531},
};
constexpr int kTriggerFramesGroup = 2;
constexpr int kStrobeDurationGroup = 3;
constexpr int kExposureGroup = 5;
constexpr int kFirstTdiGroup = 8;

std::array<ComboParam, CDlgAcquisition::kComboCount> MakeCombos()
{
    return {ComboParam(names::kTriggerType, 1469),    ComboParam(names::kTriggerMode, 1470),
            ComboParam(names::kTriggerEdge, 1471),    ComboParam(names::kTriggerOverlap, 1472),
            ComboParam(names::kTrStrobeEnable, 1543), ComboParam(names::kExposureMode, 1510),
            ComboParam(names::kWDRMode, 1517),        ComboParam(names::kKnee1Weight, 1518),
            ComboParam(names::kKnee2Weight, 1520),    ComboParam(names::kTDIMode, 1519)};
}
constexpr int kTriggerTypeCombo = 0;
constexpr int kStrobeEnableCombo = 4;
constexpr int kExposureModeCombo = 5;
constexpr int kWdrCombo = 6;
constexpr int kKneeWeightCombo = 7;  // and 8
constexpr int kTdiCombo = 9;

constexpr const char* kKneePositionNames[2] = {names::kKnee1Position, names::kKnee2Position};
constexpr int kKneePositionIds[2] = {1682, 1324};

constexpr int kRadioFreeRunning = 1021;
constexpr int kRadioTriggered = 1022;
constexpr int kSoftwareTrigger = 1473;
constexpr int kLongIntegration = 1516;
constexpr int kTriggerStrobeBox = 1537;
constexpr int kExposureBox = 1538;
constexpr int kStrobeEnable = 1543;
constexpr int kStrobeDivider = 1648;
constexpr int kStrobeDurationCaption = 1649;
constexpr int kExposureDivider = 1655;
constexpr int kWdrCaption = 1685;
constexpr int kTdiCaption = 1690;

constexpr int kStrobeDelayAndExposure[] = {1650, 1497, 1498, 1494, 1496, 1495, 1538, 1651,
                                           1510, 1655, 1652, 1503, 1504, 1500, 1502, 1501};
constexpr int kWdrSection[] = {1685, 1517, 1686, 1687, 1688, 1680, 1679, 1681,
                               1682, 1518, 1324, 1520, 1689, 1683, 1684};
constexpr int kTdiSection[] = {1690, 1519, 1656, 1521, 1524, 1525, 1522,
                               1523, 1657, 1527, 1530, 1531, 1528, 1529};
constexpr int kLongIntegrationRow[] = {1516, 1654, 1514, 1515, 1511, 1513, 1512};
constexpr int kKneeControls[] = {1682, 1518, 1324, 1520};
constexpr int kSecondKnee[] = {1680, 1679, 1681, 1683, 1324, 1520};

constexpr int kNumericStyle = OVNumericControl::kDropDown | OVNumericControl::kPopupAtRect;
constexpr int kKneePopupWidth = 158;

void Shorten(QWidget* panel, int id, int shift)
{
    if (QWidget* w = wnd::GetDlgItem(panel, id))
        w->resize(w->width(), w->height() - shift);
}

/// The WDR picture: the sensor's response, bent at two knees.
QPixmap WdrPicture(QSize size)
{
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plot(10, 6, size.width() - 18, size.height() - 16);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    auto at = [&plot](double x, double y) {
        return QPointF(plot.left() + x * plot.width(), plot.bottom() - y * plot.height());
    };
    // Output against light: steep up to the first knee, flatter to the second, flattest after.
    const QPointF curve[] = {at(0, 0), at(0.22, 0.55), at(0.5, 0.82), at(1, 0.97)};
    p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    for (int k = 1; k <= 2; ++k)
        p.drawLine(QPointF(curve[k].x(), plot.bottom()), curve[k]);
    p.setPen(QPen(QColor(0, 70, 160), 2));
    p.drawPolyline(curve, 4);
    p.setPen(Qt::black);
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    p.drawText(curve[1] + QPointF(3, 10), QStringLiteral("P1"));
    p.drawText(curve[2] + QPointF(3, 10), QStringLiteral("P2"));
    return picture;
}

}  // namespace

CDlgAcquisition::CDlgAcquisition(QWidget* pMainWnd, CCameraLink* pStorage)
    : COptionDialog(IDD, pMainWnd, pStorage), m_combos(MakeCombos())
{
}

// ---- template ----

void CDlgAcquisition::BuildTemplate()
{
    panel_template::Build(this, acq::kTemplate, acq::kTemplateWidth, acq::kTemplateHeight);
    for (const acq::Placeholder& d : acq::kDividers) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        wnd::SetDlgCtrlID(line, d.id);
        const QRect r = wnd::MapDialogRect(d.x, d.y, d.width, d.height);
        line->setGeometry(r.x(), r.y(), 2, r.height());
    }
    for (int knee = 0; knee < 2; ++knee)
        m_knees[knee] = dynamic_cast<OVNumericControl*>(GetDlgItem(kKneePositionIds[knee]));
    const acq::Placeholder& pic = acq::kWdrPicture;
    auto* picture = new QLabel(this);
    wnd::SetDlgCtrlID(picture, pic.id);
    picture->setFrameShape(QFrame::Box);
    picture->setGeometry(wnd::MapDialogRect(pic.x, pic.y, pic.width, pic.height));
    picture->setPixmap(WdrPicture(picture->contentsRect().size()));
}

bool CDlgAcquisition::OnPreInitDialog()
{
    AssignSliderGroupIds(m_groups, kGroupSpecs, this);
    return true;
}

void CDlgAcquisition::DoDataExchange(bool save)
{
    auto* freeRunning = qobject_cast<QRadioButton*>(GetDlgItem(kRadioFreeRunning));
    auto* triggered = qobject_cast<QRadioButton*>(GetDlgItem(kRadioTriggered));
    if (freeRunning && triggered) {
        if (save) {
            if (freeRunning->isChecked() || triggered->isChecked())
                m_nAcqModeRadio = triggered->isChecked() ? 1 : 0;
        } else if (!m_acqModeRead) {
            // A mode the camera did not answer checks neither.
            const int modes[3] = {kRadioFreeRunning, kRadioTriggered, 0};
            SetRadioGroup(this, 0, modes);
        } else {
            (m_nAcqModeRadio != 0 ? triggered : freeRunning)->setChecked(true);
        }
    }
    for (ComboParam& combo : m_combos)
        combo.Exchange(save);
    for (CSliderEditSpin& g : m_groups)
        g.DataExchange(this, save);
    if (auto* check = qobject_cast<QCheckBox*>(GetDlgItem(kLongIntegration))) {
        if (save)
            m_nFrameTimeEnable = CheckReading(check);
        else
            SetCheckReading(check, m_nFrameTimeEnable);
    }
}

// ---- reading the camera ----

std::int64_t CDlgAcquisition::ReadInt(const char* name)
{
    return Read(name).value_or(0);
}

std::optional<int> CDlgAcquisition::Read(const char* name)
{
    std::int64_t value = 0;
    if (m_pStorage->GetParamInt(name, &value) != 0)
        return std::nullopt;
    return acq::ToControlInt(value);
}

acq::ExposureLimits CDlgAcquisition::ExposureLimitsNow(bool readMax)
{
    acq::ExposureLimits limits;
    limits.linkMin = m_pStorage->m_ExposureParam.min.n;
    limits.linkMax = m_pStorage->m_ExposureParam.max.n;
    if (readMax)
        limits.exposureMax = ReadInt(names::kExposureMax);
    limits.exposureMin = ReadInt(names::kExposureMin);
    return limits;
}

void CDlgAcquisition::ReloadValues()
{
    if (!CanRefresh())
        return;
    LoadValues();
}

void CDlgAcquisition::LoadValues()
{
    auto wide = [](std::optional<int> v) { return v ? std::optional<std::int64_t>(*v) : std::nullopt; };
    for (int i = 0; i < 4; ++i)
        m_combos[i].SetRead(wide(Read(m_combos[i].m_pszName)));
    const std::optional<int> mode = Read(names::kAcquisitionMode);
    m_acqModeRead = mode.has_value();
    m_nAcquisitionMode = mode.value_or(0);
    m_combos[kStrobeEnableCombo].SetRead(wide(Read(names::kTrStrobeEnable)));
    m_combos[kExposureModeCombo].SetRead(wide(Read(names::kExposureMode)));
    m_combos[kWdrCombo].SetRead(wide(Read(names::kWDRMode)));
    for (int knee = 0; knee < 2; ++knee) {
        ComboParam& weight = m_combos[kKneeWeightCombo + knee];
        weight.SetRead(wide(Read(weight.m_pszName)));
        const std::optional<int> position = Read(kKneePositionNames[knee]);
        m_kneeRead[knee] = position.has_value();
        m_kneePosition[knee] = position.value_or(0);
    }
    m_combos[kTdiCombo].SetRead(wide(Read(names::kTDIMode)));
    m_exposure = acq::RefreshExposureRange(ExposureLimitsNow(true));
    const std::optional<int> longIntegration = Read(names::kFrameTimeEnable);
    m_nFrameTimeEnable = longIntegration ? (*longIntegration != 0 ? 1 : 0) : kCheckNoReading;
}

int CDlgAcquisition::FillCombo(int i)
{
    ComboParam& combo = m_combos[i];
    if (!combo.Fill(this, m_pStorage, m_pXmlDoc.get()))
        return 0;
    return combo.Combo()->count();
}

int CDlgAcquisition::SetGroupFromRecord(int i, bool* read)
{
    CSliderEditSpin& g = m_groups[i];
    const char* name = kGroupSpecs[i].name;
    _OrvStParam record;
    if (read)
        *read = false;
    if (!IsParamDefined(name, &record)) {
        // Nothing to show or change: an empty, disabled group.
        g.SetRange(0, 0, 0, false);
        g.Enable(0);
        return 0;
    }
    g.Enable(1);
    std::int64_t value = 0;
    const bool answered = m_pStorage->GetParamInt(name, &value) == 0;
    if (read)
        *read = answered;
    const int camera = answered ? acq::ToControlInt(value) : 0;
    g.SetRangeRead(acq::ToControlInt(record.min.n), acq::ToControlInt(record.max.n),
                   answered ? std::optional<int>(camera) : std::nullopt, false);
    ListenTo(name);
    return camera;
}

bool CDlgAcquisition::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    LoadValues();

    m_nAcqModeRadio = m_nAcquisitionMode != 0 ? 1 : 0;
    ListenTo(names::kAcquisitionMode);
    for (int i = 0; i < 4; ++i) {
        FillCombo(i);
        ListenTo(m_combos[i].m_pszName);
    }
    UpdateSoftwareTrigger();

    // The frame count's maximum means "continuous".
    CSliderEditSpin& frames = m_groups[kTriggerFramesGroup];
    frames.m_labels.clear();
    _OrvStParam framesRecord;
    if (IsParamDefined(names::kTriggerFrames, &framesRecord))
        frames.m_labels[acq::ToControlInt(framesRecord.max.n)] = QStringLiteral("CONT");
    for (int i = 0; i <= kTriggerFramesGroup; ++i)
        SetGroupFromRecord(i);

    FillCombo(kStrobeEnableCombo);
    ListenTo(names::kTrStrobeEnable);
    if (IsParamDefined(names::kTrStrobeDuration))
        SetGroupFromRecord(kStrobeDurationGroup);
    else
        CollapseStrobeDuration();
    SetGroupFromRecord(kStrobeDurationGroup + 1);

    FillCombo(kExposureModeCombo);
    ListenTo(names::kExposureMode);
    // The camera's exposure as read, before any range held it.
    const int cameraExposure = SetGroupFromRecord(kExposureGroup, &m_exposureKnown);
    for (int i = kExposureGroup + 1; i < kFirstTdiGroup; ++i)
        SetGroupFromRecord(i);
    if (!m_bDebugMode && m_exposure.max != 0 && m_exposureKnown && IsParamDefined(names::kExposureDur)) {
        CSliderEditSpin& exposure = m_groups[kExposureGroup];
        exposure.SetRange(acq::ToControlInt(m_exposure.min), acq::ToControlInt(m_exposure.max), cameraExposure,
                          false);
        // An exposure outside the camera's range is shown held at its end: the camera gets that.
        if (exposure.m_nValue != cameraExposure)
            WriteParamInt(names::kExposureDur, exposure.m_nValue);
    }
    ListenTo(names::kFrameTimeEnable);

    if (FillCombo(kWdrCombo) == 0) {
        CollapseWdr();
    } else {
        ListenTo(names::kWDRMode);
        for (int knee = 0; knee < 2; ++knee) {
            FillCombo(kKneeWeightCombo + knee);
            ListenTo(m_combos[kKneeWeightCombo + knee].m_pszName);
            UpdateKneePosition(knee);
        }
        UpdateKnees();
    }

    if (FillCombo(kTdiCombo) == 0) {
        CollapseTdi();
    } else {
        ListenTo(names::kTDIMode);
        for (int i = kFirstTdiGroup; i < kGroupCount; ++i)
            SetGroupFromRecord(i);
    }

    if (!m_bDebugMode)
        SetExposureRange(m_exposure.min, m_exposure.max);
    UpdateData(false);
    return true;
}

void CDlgAcquisition::UpdateKneePosition(int knee)
{
    OVNumericControl* numeric = m_knees[knee];
    if (!numeric)
        return;
    const char* name = kKneePositionNames[knee];
    if (!m_kneeReady[knee]) {
        _OrvStParam record;
        IsParamDefined(name, &record);
        const QRect placeholder = numeric->geometry();
        const QRect popup(placeholder.x() + placeholder.width() + 2, placeholder.y(), kKneePopupWidth,
                          placeholder.height());
        numeric->Init(kNumericStyle, this, static_cast<double>(record.min.n), static_cast<double>(record.max.n),
                      m_kneePosition[knee], acq::ToControlInt(record.max.n), true, nullptr, &popup);
        // Only committed values are reported (1001).
        numeric->liveNotify = false;
        m_kneeReady[knee] = true;
    } else {
        numeric->SetValue(m_kneePosition[knee]);
    }
    if (!m_kneeRead[knee])
        numeric->ShowNoReading();
    ListenTo(name);
}

void CDlgAcquisition::SetExposureRange(std::int64_t min, std::int64_t max)
{
    if (m_bDebugMode)
        return;
    m_exposure = {min, max};
    CSliderEditSpin& exposure = m_groups[kExposureGroup];
    const std::optional<int> writeBack = acq::ExposureWriteBack(exposure.m_nValue, m_exposure);
    // Without a maximum the range is not applied and the value stands; without the parameter
    // there is nothing to hold.
    if (max == 0 || !IsParamDefined(names::kExposureDur))
        return;
    exposure.SetRangeRead(acq::ToControlInt(min), acq::ToControlInt(max),
                          exposure.m_bNoReading ? std::nullopt : std::optional<int>(exposure.m_nValue), false);
    if (writeBack && m_exposureKnown)
        WriteParamInt(names::kExposureDur, exposure.m_nValue);
}

void CDlgAcquisition::RefreshLiveValues()
{
    if (!m_pStorage)
        return;
    const bool triggered = m_nAcquisitionMode == 1;
    const acq::ExposureRange range = acq::LiveExposureRange(ExposureLimitsNow(!triggered), triggered);
    if (range != m_exposure)
        SetExposureRange(range.min, range.max);
}

// ---- enabling ----

void CDlgAcquisition::UpdateSoftwareTrigger()
{
    if (QWidget* button = GetDlgItem(kSoftwareTrigger))
        button->setEnabled(
            acq::SoftwareTriggerEnabled(m_bDebugMode, m_combos[kTriggerTypeCombo].m_nValue, m_nAcquisitionMode));
}

void CDlgAcquisition::UpdateKnees()
{
    const acq::KneeState state = acq::KneeRules(m_bDebugMode, m_combos[kWdrCombo].m_nValue);
    for (int id : kKneeControls)
        if (QWidget* w = GetDlgItem(id))
            w->setEnabled(state.enabled);
    for (int id : kSecondKnee)
        if (QWidget* w = GetDlgItem(id))
            w->setVisible(state.secondShown);
}

// ---- collapses ----

void CDlgAcquisition::CloseUp(int aboveId, int belowId, int box, int divider,
                              std::initializer_list<std::span<const int>> moved)
{
    const int shift = std::max(0, acq::CollapseShift(BottomOf(this, belowId), BottomOf(this, aboveId)));
    Shorten(this, box, shift);
    Shorten(this, divider, shift);
    for (std::span<const int> ids : moved)
        panel_template::MoveUp(this, ids, shift);
    panel_template::FitHeightBelow(this, kExposureBox, acq::kCollapseMargin);
}

void CDlgAcquisition::CollapseStrobeDuration()
{
    CSliderEditSpin& duration = m_groups[kStrobeDurationGroup];
    duration.SetRange(0, 0, 0, true);
    if (QWidget* caption = GetDlgItem(kStrobeDurationCaption))
        caption->hide();
    duration.Show(0);
    CloseUp(kStrobeEnable, kTriggerStrobeBox, kTriggerStrobeBox, kStrobeDivider,
            {kStrobeDelayAndExposure, kWdrSection, kTdiSection, kLongIntegrationRow});
}

void CDlgAcquisition::CollapseWdr()
{
    panel_template::Hide(this, kWdrSection);
    CloseUp(kWdrCaption, kTdiCaption, kExposureBox, kExposureDivider, {kTdiSection, kLongIntegrationRow});
}

void CDlgAcquisition::CollapseTdi()
{
    panel_template::Hide(this, kTdiSection);
    CloseUp(kTdiCaption, kLongIntegration, kExposureBox, kExposureDivider, {kLongIntegrationRow});
}

// ---- the operator ----

void CDlgAcquisition::WriteGroup(int i)
{
    if (i == kExposureGroup)
        m_exposureKnown = true;
    WriteParamInt(kGroupSpecs[i].name, m_groups[i].m_nValue);
}

bool CDlgAcquisition::CommitGroupEdit(int first, int last, unsigned id)
{
    for (int i = first; i <= last; ++i) {
        CSliderEditSpin& g = m_groups[i];
        if (g.m_nEditId == 0 || static_cast<unsigned>(g.m_nEditId) != id || !g.m_edit)
            continue;
        if (g.OnEditCommit() == 1)
            WriteGroup(i);
        return true;
    }
    return false;
}

bool CDlgAcquisition::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const unsigned id = wnd::LoWord(wParam);
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::EN_KILLFOCUS && CommitGroupEdit(0, kFirstTdiGroup - 1, id))
        return true;
    if (code == wnd::OVN_CHANGED) {
        for (int knee = 0; knee < 2; ++knee) {
            if (!m_knees[knee] || static_cast<unsigned>(kKneePositionIds[knee]) != id)
                continue;
            const int value = static_cast<int>(std::trunc(m_knees[knee]->value));
            if (value != m_kneePosition[knee] || !m_kneeRead[knee]) {
                m_kneeRead[knee] = true;
                m_kneePosition[knee] = value;
                WriteParamInt(kKneePositionNames[knee], value);
            }
            return true;
        }
    }
    if (code == wnd::EN_KILLFOCUS && CommitGroupEdit(kFirstTdiGroup, kGroupCount - 1, id))
        return true;
    if (code == wnd::BN_CLICKED) {
        switch (id) {
        case kSoftwareTrigger:
            WriteParamInt(names::kTriggerSoft, 1);
            return true;
        case kLongIntegration:
            UpdateData(true);
            WriteParamInt(names::kFrameTimeEnable, m_nFrameTimeEnable);
            return true;
        case kRadioFreeRunning:
        case kRadioTriggered:
            OnAcquisitionModeClicked(id == kRadioTriggered ? 1 : 0);
            return true;
        default:
            break;
        }
    }
    if (code == wnd::CBN_SELCHANGE) {
        for (int i = 0; i < kComboCount; ++i) {
            if (static_cast<unsigned>(m_combos[i].m_nComboId) == id) {
                OnComboChosen(i);
                return true;
            }
        }
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgAcquisition::OnComboChosen(int i)
{
    UpdateData(true);
    ComboParam& combo = m_combos[i];
    const std::optional<int> value = combo.SelectedValue();
    if (!value)
        return;
    combo.m_nValue = *value;
    WriteParamInt(combo.m_pszName, combo.m_nValue);
    if (i == kTriggerTypeCombo)
        UpdateSoftwareTrigger();
    else if (i == kWdrCombo)
        UpdateKnees();
}

void CDlgAcquisition::OnAcquisitionModeClicked(int mode)
{
    if (m_bActivating)
        return;
    UpdateData(true);
    m_nAcquisitionMode = mode;
    m_acqModeRead = true;
    WriteParamInt(names::kAcquisitionMode, mode);
    UpdateSoftwareTrigger();
}

void CDlgAcquisition::ScrollGroups(std::atomic<int>& busy, SliderGroupScroll scroll, unsigned code, int pos,
                                   QWidget* scrollBar)
{
    // A nested scroll message (a handler that moved a control) does nothing.
    if (busy.exchange(1))
        return;
    if (const int i = ScrollSliderGroups(m_groups, scroll, code, pos, scrollBar); i >= 0)
        WriteGroup(i);
    busy = 0;
}

void CDlgAcquisition::OnHScroll(unsigned code, int pos, QWidget* scrollBar)
{
    ScrollGroups(m_nHScrollBusy, &CSliderEditSpin::OnHScroll, code, pos, scrollBar);
}

void CDlgAcquisition::OnVScroll(unsigned code, int pos, QWidget* scrollBar)
{
    ScrollGroups(m_nVScrollBusy, &CSliderEditSpin::OnVScroll, code, pos, scrollBar);
}

// ---- changes made elsewhere ----

void CDlgAcquisition::OnParamChanged(const _OrvStParam* param)
{
    if (!param)
        return;
    const char* name = param->name;
    const int value = static_cast<int>(param->value.n);
    auto groupIn = [name](int first, int last) {
        for (int i = first; i <= last; ++i)
            if (SameNameIgnoringCase(name, kGroupSpecs[i].name))
                return i;
        return -1;
    };

    int group = -1;
    int triggerCombo = -1;
    for (int i = 0; i < 4; ++i)
        if (SameName(name, m_combos[i].m_pszName))
            triggerCombo = i;

    if (triggerCombo >= 0) {
        if (m_combos[triggerCombo].OnValueChanged(value)) {
            if (triggerCombo == kTriggerTypeCombo) {
                // The map offers no item for 0: the list shows none, and the panel takes it
                // for the first source.
                if (m_combos[triggerCombo].m_nValue == 0)
                    m_combos[triggerCombo].m_nValue = 1;
                UpdateSoftwareTrigger();
            }
            UpdateData(false);
            return;
        }
    } else if (SameName(name, names::kAcquisitionMode)) {
        m_nAcquisitionMode = value;
        m_acqModeRead = true;
        m_nAcqModeRadio = value != 0 ? 1 : 0;
        UpdateSoftwareTrigger();
    } else if ((group = groupIn(0, kStrobeDurationGroup - 1)) >= 0) {
        m_groups[group].SetValue(value, false);
    } else if (SameName(name, names::kTrStrobeEnable)) {
        m_combos[kStrobeEnableCombo].OnValueChanged(value);
    } else if ((group = groupIn(kStrobeDurationGroup, kExposureGroup - 1)) >= 0) {
        m_groups[group].SetValue(value, false);
    } else if (SameName(name, names::kExposureMode)) {
        m_combos[kExposureModeCombo].OnValueChanged(value);
    } else if ((group = groupIn(kExposureGroup, kFirstTdiGroup - 1)) >= 0) {
        if (group == kExposureGroup)
            m_exposureKnown = true;
        m_groups[group].SetValue(value, false);
    } else if (SameName(name, names::kFrameTimeEnable)) {
        m_nFrameTimeEnable = value != 0 ? 1 : 0;
    } else if (SameName(name, names::kWDRMode)) {
        if (m_combos[kWdrCombo].OnValueChanged(value))
            UpdateKnees();
    } else if (SameName(name, names::kTDIMode)) {
        m_combos[kTdiCombo].OnValueChanged(value);
    } else if ((group = groupIn(kFirstTdiGroup, kGroupCount - 1)) >= 0) {
        m_groups[group].SetValue(value, false);
    }

    for (int knee = 0; knee < 2; ++knee) {
        if (SameName(name, m_combos[kKneeWeightCombo + knee].m_pszName))
            m_combos[kKneeWeightCombo + knee].OnValueChanged(value);
        if (SameName(name, kKneePositionNames[knee]) && (value != m_kneePosition[knee] || !m_kneeRead[knee])) {
            m_kneeRead[knee] = true;
            m_kneePosition[knee] = value;
            if (m_knees[knee])
                m_knees[knee]->SetValue(value);
        }
    }
    UpdateData(false);
}
