#include "panels/CDlgOutput.h"

#include "camera/CameraLink.h"
#include "controls/Command.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"
#include "controls/OVNumericControl.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "panels/AcquisitionLogic.h"
#include "panels/OutputLogic.h"
#include "panels/OutputTemplate.h"
#include "panels/PanelNames.h"
#include "panels/PanelTemplate.h"
#include "panels/SliderGroups.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace {

namespace names = panel_names::output;
using acq::ToControlInt;
using panel_names::SameName;
using panel_names::SameNameIgnoringCase;
using panel_template::BottomOf;

constexpr SliderGroupIds kGroupSpecs[CDlgOutput::kGroupCount] = {
    {names::kStrobe1Position, 1455, 1456, 1457, 1458, 1459},
    {names::kStrobe1Duration, 1460, 1461, 1462, 1463, 1464},
    {names::kStrobe2Position, 1445, 1446, 1447, 1448, 1449},
    {names::kStrobe2Duration, 1450, 1451, 1452, 1453, 1454},
};
constexpr int kGroupCaptions[CDlgOutput::kGroupCount] = {1658, 1659, 1660, 1661};

std::array<ComboParam, CDlgOutput::kComboCount> MakeCombos()
{
    return {ComboParam(names::kOut1Polarity, CDlgOutput::IDC_OUT1_POLARITY, 1672),
            ComboParam(names::kOut1Mapping, CDlgOutput::IDC_OUT1_MAPPING, 1672),
            ComboParam(names::kOut2Polarity, CDlgOutput::IDC_OUT2_POLARITY, 1673),
            ComboParam(names::kOut2Mapping, CDlgOutput::IDC_OUT2_MAPPING, 1673),
            ComboParam(names::kStrobe1Mode, CDlgOutput::IDC_STROBE1_MODE, 1656),
            ComboParam(names::kStrobe2Mode, CDlgOutput::IDC_STROBE2_MODE, 1657)};
}
constexpr int kOutputComboCount = 4;
constexpr int kOut2Row[] = {1673, 1433, 1435};
constexpr int kStrobe2First = 2;  ///< the first of strobe 2's slider groups

constexpr int kStrobe2List[] = {1541, 1657, 1444, 1660, 1448, 1449, 1445, 1447, 1446, 1661, 1453, 1454, 1450, 1452, 1451};
constexpr int kStrobe1List[] = {1540, 1656, 1431, 1658, 1458, 1459, 1455, 1457, 1456, 1659, 1463, 1464, 1460, 1462, 1461};
constexpr int kPulseList[] = {1542, 1662, 1663, 1534, 1664, 1037, 1665, 1666, 1667, 1668, 1669,
                              1466, 1465, 1251, 1467, 1468, 1670, 1535, 1021, 1011, 1027, 1671};

constexpr int kMargin = 8;
constexpr int kNumericStyle = OVNumericControl::kDropDown | OVNumericControl::kPopupAtRect;
constexpr int kPopupWidth = 158;

/// A bound of a time control in µs: the controls show whole numbers up to the largest int.
double TimeBound(double us)
{
    return std::min(us, static_cast<double>(std::numeric_limits<int>::max()));
}

/// Holds a time control's lower bound at one step of the time base: less cannot be written (one
/// count is the least), and the logarithmic pop-up has no place for 0.
void HoldLowerBoundAtStep(OVNumericControl* control)
{
    if (control && control->step > 0 && control->minValue < control->step && control->maxValue >= control->step)
        control->SetRange(control->step, control->maxValue);
}

/// The pulse train: width and period marked under two pulses.
QPixmap PulsePicture(QSize size)
{
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const double left = 6, right = size.width() - 6.0;
    const double high = 12, low = size.height() - 42.0;
    const double period = (right - left) / 2.2;
    const double width = period * 0.4;
    QPolygonF train;
    train << QPointF(left, low);
    for (int k = 0; k < 2; ++k) {
        const double x = left + 6 + k * period;
        train << QPointF(x, low) << QPointF(x, high) << QPointF(x + width, high) << QPointF(x + width, low);
    }
    train << QPointF(right, low);
    p.setPen(QPen(QColor(0, 70, 160), 2));
    p.drawPolyline(train);

    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(QPen(Qt::black, 1));
    const double x0 = left + 6;
    auto span = [&p](double from, double to, double y, const QString& text) {
        p.drawLine(QPointF(from, y), QPointF(to, y));
        p.drawLine(QPointF(from, y - 3), QPointF(from, y + 3));
        p.drawLine(QPointF(to, y - 3), QPointF(to, y + 3));
        p.drawText(QRectF(from, y + 2, to - from, 12), Qt::AlignHCenter | Qt::AlignTop, text);
    };
    span(x0, x0 + width, low + 8, QStringLiteral("Width"));
    span(x0 + width, x0 + period, low + 8, QStringLiteral("Delay"));
    span(x0, x0 + period, low + 24, QStringLiteral("Period"));
    return picture;
}

}  // namespace

CDlgOutput::CDlgOutput(QWidget* pMainWnd, CCameraLink* pStorage)
    : COptionDialog(IDD, pMainWnd, pStorage),
      m_combos(MakeCombos()),
      m_gran(names::kPulseGran, IDC_GRANULARITY)
{
}

CDlgOutput::~CDlgOutput()
{
    // The controls use the shared scale until they go; the scale goes with the panel after them.
    delete m_periodCtl.data();
    delete m_widthCtl.data();
}

// ---- template ----

void CDlgOutput::BuildTemplate()
{
    panel_template::Build(this, output::kTemplate, output::kTemplateWidth, output::kTemplateHeight);
    m_periodCtl = dynamic_cast<OVNumericControl*>(GetDlgItem(IDC_PERIOD));
    m_widthCtl = dynamic_cast<OVNumericControl*>(GetDlgItem(IDC_WIDTH));
    for (int id : {IDC_DELAY, IDC_FREQUENCY})
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id))) {
            edit->setReadOnly(true);
            edit->setFocusPolicy(Qt::NoFocus);
        }
    const output::Placeholder& pic = output::kPulsePicture;
    auto* picture = new QLabel(this);
    wnd::SetDlgCtrlID(picture, pic.id);
    picture->setFrameShape(QFrame::Box);
    picture->setGeometry(wnd::MapDialogRect(pic.x, pic.y, pic.width, pic.height));
    picture->setPixmap(PulsePicture(picture->contentsRect().size()));
}

bool CDlgOutput::OnPreInitDialog()
{
    AssignSliderGroupIds(m_groups, kGroupSpecs, this);
    m_count.m_nEditId = IDC_COUNT_EDIT;
    m_count.m_nSpinId = IDC_COUNT_SPIN;
    return true;
}

void CDlgOutput::DoDataExchange(bool save)
{
    for (ComboParam& combo : m_combos)
        combo.Exchange(save);
    m_gran.Exchange(save);
    for (CSliderEditSpin& g : m_groups)
        g.DataExchange(this, save);
    m_count.DataExchange(this);
    if (!save) {
        auto* continuous = qobject_cast<QRadioButton*>(GetDlgItem(IDC_CONTINUOUS));
        auto* send = qobject_cast<QRadioButton*>(GetDlgItem(IDC_SEND));
        if (continuous && send && m_countRead)
            (m_continuous != 0 ? continuous : send)->setChecked(true);
    }
}

// ---- reading the camera ----

std::int64_t CDlgOutput::ReadInt(const char* name)
{
    return Read(name).value_or(0);
}

std::optional<std::int64_t> CDlgOutput::Read(const char* name)
{
    std::int64_t value = 0;
    if (!m_pStorage || m_pStorage->GetParamInt(name, &value) != 0)
        return std::nullopt;
    return value;
}

std::int64_t CDlgOutput::Step() const
{
    return output::StepOf(m_gran.m_nValue);
}

std::pair<double, double> CDlgOutput::PeriodBounds() const
{
    // The record bounds counts; on a coarser time base each count is a step of microseconds.
    const double step = static_cast<double>(Step());
    return {TimeBound(m_periodMin * step), TimeBound(m_periodMax * step)};
}

void CDlgOutput::SetText(int id, const std::string& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        edit->setText(QString::fromStdString(text));
}

void CDlgOutput::ReloadValues()
{
    if (!CanRefresh())
        return;
    m_frameTime = ReadInt(names::kFrameTime);
    if (_OrvStParam record; IsParamDefined(names::kFrameTime, &record))
        m_frameTimeMax = record.max.n;
    auto control = [](std::optional<std::int64_t> v) {
        return v ? std::optional<std::int64_t>(ToControlInt(*v)) : std::nullopt;
    };
    for (ComboParam& combo : m_combos)
        combo.SetRead(control(Read(combo.m_pszName)));
    m_gran.SetRead(control(Read(names::kPulseGran)));
    const std::int64_t step = Step();
    // A count on an unknown time base is no time either.
    const std::optional<std::int64_t> period = Read(names::kPulsePeriod);
    const std::optional<std::int64_t> width = Read(names::kPulseWidth);
    m_periodRead = period && m_gran.m_bRead;
    m_widthRead = width && m_gran.m_bRead;
    m_period = output::ToMicroseconds(period.value_or(0), step);
    m_width = output::ToMicroseconds(width.value_or(0), step);
    m_delay = m_period - m_width;
    // The pulse enable is a boolean on some cameras and a one-bit integer on others; the
    // integer read takes both.
    ReadPulseEnable();
    const std::optional<std::int64_t> number = Read(names::kPulseNumber);
    m_countRead = number.has_value();
    if (number) {
        m_continuous = output::ContinuousOf(*number);
        m_nCount = output::PulseCountOf(*number);
    }
}

// ---- refresh ----

void CDlgOutput::SetGroupFromRecord(int i)
{
    CSliderEditSpin& g = m_groups[i];
    const SliderGroupIds& spec = kGroupSpecs[i];
    _OrvStParam record;
    if (!IsParamDefined(spec.name, &record)) {
        g.SetRange(0, 0, 0, true);
        g.Show(0);
        if (QWidget* caption = GetDlgItem(kGroupCaptions[i]))
            caption->hide();
        m_groupAbsent[i] = true;
        m_groupMin[i] = 0;
        return;
    }
    m_groupAbsent[i] = false;
    m_groupMin[i] = ToControlInt(record.min.n);
    const std::int64_t max = m_bDebugMode ? record.max.n : m_frameTime;
    const std::optional<std::int64_t> value = Read(spec.name);
    g.SetRangeRead(ToControlInt(record.min.n), ToControlInt(max),
                   value ? std::optional<int>(ToControlInt(*value)) : std::nullopt, true);
    ListenTo(spec.name);
}

bool CDlgOutput::RefreshFromStorage()
{
    if (!CanRefresh())
        return true;
    ReloadValues();

    bool outputEmpty = false;
    for (int i = 0; i < kOutputComboCount; ++i) {
        ComboParam& combo = m_combos[i];
        if (!combo.Fill(this, m_pStorage, m_pXmlDoc.get()) || combo.Combo()->count() == 0)
            outputEmpty = true;
        ListenTo(combo.m_pszName);
    }
    if (outputEmpty)
        CollapseOutput();

    for (int i = kOutputComboCount; i < kComboCount; ++i) {
        m_combos[i].Fill(this, m_pStorage, m_pXmlDoc.get());
        ListenTo(m_combos[i].m_pszName);
    }

    bool strobeAbsent = false;
    for (int i = 0; i < kGroupCount; ++i) {
        SetGroupFromRecord(i);
        strobeAbsent = strobeAbsent || m_groupAbsent[i];
    }
    if (strobeAbsent)
        CollapseStrobe2();

    m_gran.Fill(this, m_pStorage, m_pXmlDoc.get());
    ListenTo(names::kPulseGran);

    if (!m_iconsLoaded) {
        m_iconOff = wnd::LoadIconResource(wnd::IDI_STATE_HIGH);
        m_iconOn = wnd::LoadIconResource(wnd::IDI_STATE_NORMAL);
        m_iconsLoaded = true;
    }
    if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(IDC_PULSE_STATE))) {
        icon->setProperty(kIconIdProperty, wnd::IDI_STATE_HIGH);
        SetStaticIcon(icon, m_iconOff);
    }
    SetText(IDC_DELAY, {});
    SetText(IDC_FREQUENCY, {});

    InitPulseControls();

    m_count.DataExchange(this);
    m_count.SetRangeRead(1, output::kMaxPulseCount, m_countRead ? std::optional<int>(m_nCount) : std::nullopt);
    m_count.Enable(m_continuous == 0);
    ListenTo(names::kPulseNumber);
    ListenTo(names::kPulseEnable);

    // A period nobody read does not shut the pulse controls as a period of 0 would.
    if (m_periodRead)
        SetPulsePeriod(m_period, true, false);
    m_width = output::Snap(m_width, Step());
    EnableWidthByRange();
    m_delay = m_period - m_width;
    ShowWidth();

    SetGranularity(m_gran.Combo() ? m_gran.Combo()->currentIndex() : -1, false);

    ApplyFrameTimeLimit();
    ShowPulseState();
    UpdateData(false);
    ShowUnreadPulse();
    return true;
}

void CDlgOutput::ShowUnreadPulse()
{
    const QString none = QString::fromLatin1(kNoReading);
    if (!m_periodRead) {
        if (OVNumericControl* period = Period())
            period->ShowNoReading();
        SetText(IDC_FREQUENCY, none.toStdString());
    }
    if (!m_widthRead) {
        if (OVNumericControl* width = Width())
            width->ShowNoReading();
    }
    ShowDelay();
    if (!m_countRead) {
        m_count.ShowNoReading();
        const int modes[3] = {IDC_CONTINUOUS, IDC_SEND, 0};
        SetRadioGroup(this, 0, modes);
    }
}

void CDlgOutput::ShowDelay()
{
    SetText(IDC_DELAY, m_periodRead && m_widthRead ? std::to_string(m_delay) : std::string(kNoReading));
}

bool CDlgOutput::ReadPulseNumber()
{
    if (m_countRead)
        return true;
    const std::optional<std::int64_t> number = Read(names::kPulseNumber);
    if (!number) {
        ShowUnreadPulse();
        return false;
    }
    m_countRead = true;
    m_continuous = output::ContinuousOf(*number);
    if (!m_count.m_bNoReading)
        return true;  // the operator typed a count: it stands
    m_nCount = output::PulseCountOf(*number);
    ShowCount();
    return true;
}

void CDlgOutput::InitPulseControls()
{
    OVNumericControl* period = Period();
    OVNumericControl* width = Width();
    if (!period || !width)
        return;
    if (m_numericReady) {
        // The time base may have changed since: the period's bounds follow it before its value.
        const auto [periodMin, periodMax] = PeriodBounds();
        period->SetRange(periodMin, periodMax);
        period->SetValue(static_cast<double>(m_period));
        width->SetValue(static_cast<double>(m_width));
        return;
    }
    _OrvStParam record;
    IsParamDefined(names::kPulsePeriod, &record);
    m_periodMin = static_cast<double>(record.min.n);
    m_periodMax = static_cast<double>(record.max.n);
    auto popupOf = [](const OVNumericControl* control) {
        const QRect r = control->geometry();
        return QRect(r.x() + r.width(), r.y(), kPopupWidth, r.height());
    };
    const QRect periodPopup = popupOf(period);
    const QRect widthPopup = popupOf(width);
    const auto [periodMin, periodMax] = PeriodBounds();
    period->Init(kNumericStyle, this, periodMin, periodMax, static_cast<double>(m_period), 100, true, &m_scale,
                 &periodPopup);
    width->Init(kNumericStyle, this, m_periodMin, TimeBound(static_cast<double>(m_period)),
                static_cast<double>(m_width), 1, true, &m_scale, &widthPopup);
    // Only committed values are reported (1001).
    period->liveNotify = false;
    width->liveNotify = false;
    m_numericReady = true;
    ListenTo(names::kPulsePeriod);
    ListenTo(names::kPulseWidth);
}

// ---- the pulse generator ----

void CDlgOutput::ShowWidth()
{
    if (OVNumericControl* width = Width()) {
        width->SetValue(static_cast<double>(m_width));
        if (!m_widthRead)
            width->ShowNoReading();
    }
    ShowDelay();
}

void CDlgOutput::EnableWidthByRange()
{
    OVNumericControl* width = Width();
    if (!width)
        return;
    width->setEnabled(std::trunc(std::fabs(width->maxValue - width->minValue)) != 0);
}

void CDlgOutput::SetPulsePeriod(std::int64_t us, bool force, bool write)
{
    OVNumericControl* period = Period();
    OVNumericControl* width = Width();
    QWidget* granularity = GetDlgItem(IDC_GRANULARITY);
    if (us <= 0) {
        for (QWidget* w : {granularity, static_cast<QWidget*>(period), static_cast<QWidget*>(width)})
            if (w)
                w->setEnabled(false);
        return;
    }
    const std::int64_t step = Step();
    const std::int64_t p = output::Snap(us, step);
    if (!force && p == m_period)
        return;
    m_period = p;
    if (period)
        period->SetValue(static_cast<double>(p));
    bool capped = false;
    if (m_width > p) {
        m_width = p;
        capped = true;
    }
    if (width) {
        width->SetRange(1.0, TimeBound(static_cast<double>(p)));
        HoldLowerBoundAtStep(width);
        width->SetValue(static_cast<double>(m_width));
        if (!m_widthRead)
            width->ShowNoReading();
    }
    m_delay = m_period - m_width;
    ShowDelay();
    SetText(IDC_FREQUENCY, output::FrequencyText(m_period));
    if (granularity && !granularity->isEnabled()) {
        granularity->setEnabled(true);
        if (period)
            period->setEnabled(true);
        if (width)
            width->setEnabled(true);
    }
    EnableWidthByRange();
    if (!write || !m_pStorage)
        return;
    // The period's own echo is not heard while both registers change.
    m_pStorage->RemoveParamChangedListener(names::kPulsePeriod, this);
    SetCameraParamInt(names::kPulsePeriod, output::RegisterOf(m_period, step));
    if (capped)
        WriteParamInt(names::kPulseWidth, output::RegisterOf(m_width, step));
    m_pStorage->AddParamChangedListener(names::kPulsePeriod, this);
}

void CDlgOutput::SetPulseWidth(std::int64_t us, bool force, bool write)
{
    const std::int64_t step = Step();
    const std::int64_t w = output::Snap(us, step);
    EnableWidthByRange();
    if (!force && w == m_width)
        return;
    m_width = w;
    m_delay = m_period - w;
    ShowWidth();
    if (write)
        WriteParamInt(names::kPulseWidth, output::RegisterOf(w, step));
}

void CDlgOutput::SetGranularity(int index, bool write)
{
    QComboBox* combo = m_gran.Combo();
    const bool changed = combo && index >= 0 && index < combo->count() && index != m_gran.m_nIndex;
    std::int64_t period = m_period;
    std::int64_t width = m_width;
    if (changed) {
        // The registers keep their counts; the microseconds follow the new step.
        const std::int64_t oldStep = Step();
        m_gran.m_nIndex = index;
        {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(index);
        }
        m_gran.m_nValue = combo->itemData(index).toInt();
        period = output::Rescale(m_period, oldStep, Step());
        width = output::Rescale(m_width, oldStep, Step());
    }
    if (write && combo && m_gran.m_nIndex >= 0) {
        m_gran.m_nValue = combo->itemData(m_gran.m_nIndex).toInt();
        WriteParamInt(names::kPulseGran, m_gran.m_nValue);
    }
    const int step = static_cast<int>(std::min<std::int64_t>(Step(), INT32_MAX));
    if (OVNumericControl* periodCtl = Period()) {
        const auto [periodMin, periodMax] = PeriodBounds();
        periodCtl->SetRange(periodMin, periodMax);
        periodCtl->SetStep(step);
        HoldLowerBoundAtStep(periodCtl);
    }
    if (changed)
        SetPulsePeriod(period, false, false);
    if (OVNumericControl* widthCtl = Width()) {
        widthCtl->SetRange(m_periodMin, TimeBound(static_cast<double>(m_period)));
        widthCtl->SetStep(step);
        HoldLowerBoundAtStep(widthCtl);
    }
    if (changed) {
        const std::int64_t w = output::Snap(width, Step());
        if (w != m_width) {
            m_width = w;
            m_delay = m_period - w;
            ShowWidth();
        }
    }
    EnableWidthByRange();
}

void CDlgOutput::ReadPulseEnable()
{
    const std::optional<std::int64_t> enable = Read(names::kPulseEnable);
    m_pulseEnableRead = enable.has_value();
    m_pulseEnable = enable.value_or(0) != 0;
}

void CDlgOutput::ShowPulseState()
{
    if (!m_pulseEnableRead) {
        // Neither running nor stopped is known; the button starts it.
        if (auto* button = qobject_cast<QPushButton*>(GetDlgItem(IDC_START)))
            button->setText(QStringLiteral("Start"));
        if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(IDC_PULSE_STATE))) {
            icon->setProperty(kIconIdProperty, QVariant());
            icon->setPixmap(QPixmap());
            icon->setText(QString::fromLatin1(kNoReading));
        }
        return;
    }
    if (auto* button = qobject_cast<QPushButton*>(GetDlgItem(IDC_START)))
        button->setText(m_pulseEnable ? QStringLiteral("Stop") : QStringLiteral("Start"));
    if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(IDC_PULSE_STATE))) {
        icon->setText(QString());
        icon->setProperty(kIconIdProperty, m_pulseEnable ? wnd::IDI_STATE_NORMAL : wnd::IDI_STATE_HIGH);
        SetStaticIcon(icon, m_pulseEnable ? m_iconOn : m_iconOff);
    }
}

void CDlgOutput::ShowCount()
{
    m_count.SetValue(std::clamp(m_nCount, 1, output::kMaxPulseCount), false);
    m_count.Enable(m_continuous == 0);
    auto* continuous = qobject_cast<QRadioButton*>(GetDlgItem(IDC_CONTINUOUS));
    auto* send = qobject_cast<QRadioButton*>(GetDlgItem(IDC_SEND));
    if (continuous && send)
        (m_continuous != 0 ? continuous : send)->setChecked(true);
}

// ---- the strobes and the frame time ----

void CDlgOutput::ApplyFrameTimeLimit()
{
    if (m_bDebugMode || !m_pStorage)
        return;
    std::int64_t ft = ReadInt(names::kFrameTime);
    if (ft == 0)
        ft = m_frameTimeMax;
    if (ft == m_frameTime)
        return;
    m_frameTime = ft;
    for (int i = 0; i < kGroupCount; ++i) {
        if (m_groupAbsent[i])
            continue;
        CSliderEditSpin& g = m_groups[i];
        if (ft != 0 && g.m_bNoReading) {
            // A value nobody read is not held in the range, nor written.
            g.SetRangeRead(m_groupMin[i], ToControlInt(ft), std::nullopt, false);
        } else if (ft != 0) {
            const int before = g.m_nValue;
            g.SetRange(m_groupMin[i], ToControlInt(ft), before, false);
            // A value the new range held at an end reaches the camera.
            if (g.m_nValue != before)
                WriteGroupKeepingListener(i);
        }
        g.Enable(ft != 0);
    }
    for (int id : {IDC_STROBE1_MODE, IDC_STROBE2_MODE})
        if (QWidget* combo = GetDlgItem(id))
            combo->setEnabled(ft != 0);
}

void CDlgOutput::RefreshLiveValues()
{
    if (m_pStorage)
        ApplyFrameTimeLimit();
}

void CDlgOutput::WriteGroupKeepingListener(int i)
{
    if (m_pStorage)
        SetCameraParamInt(kGroupSpecs[i].name, m_groups[i].m_nValue);
}

// ---- collapses ----

void CDlgOutput::CollapseOutput()
{
    const int shift = std::max(0, BottomOf(this, IDC_OUTPUT_BOX) - kMargin - BottomOf(this, IDC_OUT1_POLARITY));
    if (QWidget* box = GetDlgItem(IDC_OUTPUT_BOX))
        box->resize(box->width(), box->height() - shift);
    // The box keeps only the first row: what is left of the second would lie over strobe 1.
    panel_template::Hide(this, kOut2Row);
    panel_template::MoveUp(this, kStrobe1List, shift);
    panel_template::MoveUp(this, kStrobe2List, shift);
    panel_template::MoveUp(this, kPulseList, shift);
    panel_template::FitHeightBelow(this, IDC_PULSE_BOX, kMargin);
}

void CDlgOutput::CollapseStrobe2()
{
    if (auto* box = qobject_cast<QGroupBox*>(GetDlgItem(IDC_STROBE1_BOX)))
        box->setTitle(QStringLiteral("Strobe"));
    // The pulse generator takes the second strobe's place: none of its controls stays over it.
    panel_template::Hide(this, kStrobe2List);
    for (int i = kStrobe2First; i < kGroupCount; ++i)
        m_groups[i].Show(0);
    const int shift = panel_template::RectOf(this, IDC_PULSE_BOX).y() - BottomOf(this, IDC_STROBE1_BOX);
    panel_template::MoveUp(this, kPulseList, shift);
    panel_template::FitHeightBelow(this, IDC_PULSE_BOX, kMargin);
}

// ---- the operator ----

bool CDlgOutput::OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam)
{
    const unsigned id = wnd::LoWord(wParam);
    const unsigned code = wnd::HiWord(wParam);
    if (code == wnd::EN_KILLFOCUS) {
        for (int i = 0; i < kGroupCount; ++i) {
            CSliderEditSpin& g = m_groups[i];
            if (static_cast<unsigned>(g.m_nEditId) != id || !g.m_edit)
                continue;
            if (g.OnEditCommit() == 1)
                WriteParamInt(kGroupSpecs[i].name, g.m_nValue);
            return false;
        }
        if (id == IDC_COUNT_EDIT) {
            const bool unread = !m_countRead;
            if (m_count.OnEditKillFocus() == 1 && (m_count.m_nValue != m_nCount || unread) && ReadPulseNumber()) {
                m_nCount = m_count.m_nValue;
                WriteParamInt(names::kPulseNumber, output::PulseNumberOf(m_nCount, m_continuous));
            }
            return false;
        }
    }
    if (id == IDC_CONTINUOUS || id == IDC_SEND) {
        OnCountModeClicked();
        return false;
    }
    if (code == wnd::OVN_CHANGED) {
        if (id == IDC_WIDTH && Width()) {
            m_widthRead = true;
            SetPulseWidth(static_cast<std::int64_t>(std::trunc(Width()->value)), true, true);
        } else if (id == IDC_PERIOD && Period()) {
            m_periodRead = true;
            SetPulsePeriod(static_cast<std::int64_t>(std::trunc(Period()->value)), true, true);
        } else {
            return false;
        }
    }
    if (code == wnd::BN_CLICKED && id == IDC_START) {
        OnBnClickedStart();
        return true;
    }
    if (code == wnd::CBN_SELCHANGE) {
        if (id == IDC_GRANULARITY) {
            OnGranularityChosen();
            return true;
        }
        for (int i = 0; i < kComboCount; ++i) {
            if (static_cast<unsigned>(m_combos[i].m_nComboId) == id) {
                OnComboChosen(i);
                return true;
            }
        }
    }
    return COptionDialog::OnCommand(wParam, lParam);
}

void CDlgOutput::OnComboChosen(int i)
{
    ComboParam& combo = m_combos[i];
    if (combo.TakeChoice())
        WriteParamInt(combo.m_pszName, combo.m_nValue);
}

void CDlgOutput::OnGranularityChosen()
{
    // The combo already shows the pick; the panel's own index still holds the old one, so the
    // period and width are converted from the old step.
    if (QComboBox* combo = m_gran.Combo())
        SetGranularity(combo->currentIndex(), true);
}

void CDlgOutput::OnCountModeClicked()
{
    if (m_bActivating)
        return;
    auto* continuous = qobject_cast<QRadioButton*>(GetDlgItem(IDC_CONTINUOUS));
    const std::int64_t flag = continuous && continuous->isChecked() ? output::kContinuous : 0;
    // The mode shares its word with the count: a word nobody read is read before either half
    // is written.
    const bool unread = !m_countRead;
    if (!ReadPulseNumber())
        return;
    if (flag == m_continuous && !unread)
        return;
    m_continuous = flag;
    m_count.Enable(m_continuous == 0);
    WriteCount();
    if (unread)
        ShowCount();
}

void CDlgOutput::WriteCount()
{
    WriteParamInt(names::kPulseNumber, output::PulseNumberOf(m_nCount, m_continuous));
}

int CDlgOutput::WritePulseEnable(bool on)
{
    _OrvStParam record;
    if (!IsParamDefined(names::kPulseEnable, &record))
        return -1;
    if (record.type == OrvParam_Bool)
        return m_pStorage->SetParamBool(names::kPulseEnable, on, true);
    return SetCameraParamInt(names::kPulseEnable, on ? 1 : 0);
}

void CDlgOutput::OnBnClickedStart()
{
    if (!m_pStorage)
        return;
    m_pStorage->RemoveParamChangedListener(names::kPulseEnable, this);
    m_pulseEnable = !m_pulseEnableRead || !m_pulseEnable;
    if (WritePulseEnable(m_pulseEnable) != 0)
        ReadPulseEnable();
    else
        m_pulseEnableRead = true;
    ShowPulseState();
    m_pStorage->AddParamChangedListener(names::kPulseEnable, this);
}

void CDlgOutput::OnHScroll(unsigned code, int pos, QWidget* scrollBar)
{
    // A nested scroll message (a handler that moved a control) does nothing.
    if (m_nHScrollBusy.exchange(1))
        return;
    if (const int i = ScrollSliderGroups(m_groups, &CSliderEditSpin::OnHScroll, code, pos, scrollBar); i >= 0)
        WriteGroupKeepingListener(i);
    m_nHScrollBusy = 0;
}

void CDlgOutput::OnVScroll(unsigned code, int pos, QWidget* scrollBar)
{
    if (m_nVScrollBusy.exchange(1))
        return;
    const int count = m_count.OnVScroll(code, pos, scrollBar);
    if (count == 1) {
        m_nCount = m_count.m_nValue;
        // Without leaving the listener: the echo only shows the same count.
        if (m_pStorage)
            SetCameraParamInt(names::kPulseNumber, output::PulseNumberOf(m_nCount, m_continuous));
    } else if (count == 0) {
        if (const int i = ScrollSliderGroups(m_groups, &CSliderEditSpin::OnVScroll, code, pos, scrollBar); i >= 0)
            WriteGroupKeepingListener(i);
    }
    m_nVScrollBusy = 0;
}

// ---- changes made elsewhere ----

void CDlgOutput::OnParamChanged(const _OrvStParam* param)
{
    if (!param)
        return;
    const char* name = param->name;
    const std::int64_t value = param->type == OrvParam_Bool ? (param->value.b.value != 0 ? 1 : 0) : param->value.n;

    for (ComboParam& combo : m_combos) {
        if (!SameName(name, combo.m_pszName))
            continue;
        combo.OnValueChanged(ToControlInt(value));
        UpdateData(false);
        return;
    }
    bool handled = false;
    for (int i = 0; i < kGroupCount && !handled; ++i) {
        if (SameNameIgnoringCase(name, kGroupSpecs[i].name)) {
            m_groups[i].SetValue(ToControlInt(value), false);
            handled = true;
        }
    }
    if (!handled && SameName(name, names::kPulseGran)) {
        const int g = ToControlInt(value);
        if (g != m_gran.m_nValue) {
            const auto item = m_gran.m_map.find(g);
            // The counts in the registers were made with the old step: the conversion takes
            // them from it before the new one applies.
            if (item != m_gran.m_map.end())
                SetGranularity(item->second, false);
            else
                m_gran.m_nValue = g;
        }
        UpdateData(false);
        return;
    }
    if (!handled && SameName(name, names::kPulseEnable)) {
        // A refused Start or Stop leaves a state nobody read unread.
        if (!ShowingCameraValues() || m_pulseEnableRead) {
            m_pulseEnableRead = true;
            m_pulseEnable = value != 0;
        }
        ShowPulseState();
    } else if (!handled && SameName(name, names::kPulseNumber)) {
        const int count = output::PulseCountOf(value);
        const std::int64_t flag = output::ContinuousOf(value);
        if (count != m_nCount || flag != m_continuous || !m_countRead) {
            m_countRead = true;
            m_nCount = count;
            m_continuous = flag;
            ShowCount();
        }
    }

    if (SameNameIgnoringCase(name, names::kPulsePeriod)) {
        // Kept even when it is 0 or less: the read-outs then follow the camera, not an old period.
        m_period = output::ToMicroseconds(value, Step());
        m_periodRead = true;
        const std::int64_t width = m_width;
        SetPulsePeriod(m_period, true, false);
        // A width the new period cuts is written as shown: the camera holds what the panel shows.
        if (m_width != width)
            WriteParamInt(names::kPulseWidth, output::RegisterOf(m_width, Step()));
    } else if (SameNameIgnoringCase(name, names::kPulseWidth)) {
        m_width = output::Snap(output::ToMicroseconds(value, Step()), Step());
        m_widthRead = true;
        EnableWidthByRange();
        m_delay = m_period - m_width;
        ShowWidth();
    }
    UpdateData(false);
}
