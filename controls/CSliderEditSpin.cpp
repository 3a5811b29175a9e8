#include "controls/CSliderEditSpin.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/ParamBinding.h"
#include "controls/ValueText.h"
#include "controls/WindowIds.h"

#include <QAbstractButton>
#include <QLabel>

namespace {

template <class T>
void Bind(QPointer<T>& member, const QWidget* dialog, int id)
{
    if (!member && id != 0)
        member = qobject_cast<T*>(wnd::GetDlgItem(dialog, id));
}

void SetWindowText(QWidget* window, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(window))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(window))
        edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(window))
        button->setText(text);
}

void SetEnabled(QWidget* window, bool on)
{
    if (window)
        window->setEnabled(on);
}

void SetVisible(QWidget* window, bool on)
{
    if (window)
        window->setVisible(on);
}

bool NewState(int state, bool current)
{
    return state < 0 ? !current : state != 0;
}

}  // namespace

const std::vector<ctl::UDACCEL>& GroupSpinAccel()
{
    static const std::vector<ctl::UDACCEL> table{{2, 1}, {5, 10}, {10, 100}, {10, 1000}, {10, 10000}};
    return table;
}

// ---- CSliderEditSpin ----

void CSliderEditSpin::DataExchange(const QWidget* dialog, bool save)
{
    if (m_nSliderId != 0) {
        Bind(m_slider, dialog, m_nSliderId);
        if (m_slider) {
            if (save)
                m_nPos = m_slider->GetPos();
            else
                m_slider->SetPos(m_nPos);
        }
    }
    Bind(m_edit, dialog, m_nEditId);
    Bind(m_spin, dialog, m_nSpinId);
}

void CSliderEditSpin::SetRange(int min, int max, int value, bool linear)
{
    m_nMin = min;
    m_nMax = max;
    m_bLinear = linear;
    if (m_slider) {
        m_slider->SetRange(ValueToPos(min), ValueToPos(max));
        m_slider->update();
    }
    if (m_spin) {
        m_spin->SetRange32(min, max);
        m_spin->SetAccel(GroupSpinAccel());
    }
    if (m_hParent) {
        if (m_nMinLabelId != 0)
            m_hMinLabel = wnd::GetDlgItem(m_hParent, m_nMinLabelId);
        if (m_nMaxLabelId != 0)
            m_hMaxLabel = wnd::GetDlgItem(m_hParent, m_nMaxLabelId);
    }
    if (m_hMinLabel) {
        SetWindowText(m_hMinLabel, ValueToText(min));
        m_hMinLabel->lower();
    }
    if (m_hMaxLabel) {
        SetWindowText(m_hMaxLabel, ValueToText(max));
        m_hMaxLabel->raise();
    }
    SetValue(value, true);
    ApplyStates();
}

void CSliderEditSpin::SetRangeRead(int min, int max, std::optional<int> value, bool linear)
{
    SetRange(min, max, value.value_or(m_nValue), linear);
    if (!value)
        ShowNoReading();
}

int CSliderEditSpin::PosToValue(int pos) const
{
    const int posMin = m_slider ? m_slider->minimum() : ValueToPos(m_nMin);
    const int posMax = m_slider ? m_slider->maximum() : ValueToPos(m_nMax);
    return ctl::SliderPosToValue(pos, posMin, posMax, m_nMin, m_nMax, m_bLinear);
}

int CSliderEditSpin::ValueToPos(int value) const
{
    return ctl::SliderValueToPos(value, m_nMin, m_nMax, m_bLinear);
}

QString CSliderEditSpin::ValueToText(int value) const
{
    if (m_pConverter)
        return QString::fromStdString(m_pConverter->ValueToText(value));
    const auto label = m_labels.find(value);
    if (label != m_labels.end())
        return label->second;
    return QString::number(value);
}

bool CSliderEditSpin::Enable(int state)
{
    m_bEnabled = NewState(state, m_bEnabled);
    for (QWidget* w : Parts())
        SetEnabled(w, m_bEnabled);
    return m_bEnabled;
}

bool CSliderEditSpin::Show(int state)
{
    m_bVisible = NewState(state, m_bVisible);
    for (QWidget* w : Parts())
        SetVisible(w, m_bVisible);
    return m_bVisible;
}

std::array<QWidget*, 5> CSliderEditSpin::Parts() const
{
    return {m_slider.data(), m_edit.data(), m_spin.data(), m_hMinLabel.data(), m_hMaxLabel.data()};
}

void CSliderEditSpin::ApplyStates()
{
    Enable(m_bEnabled ? 1 : 0);
    Show(m_bVisible ? 1 : 0);
}

void CSliderEditSpin::SetValue(int value, bool force)
{
    value = ctl::ClampToRange(value, m_nMin, m_nMax);
    // A refused value typed over no reading hands back the value stored before the failed read.
    const bool refused = FieldGivenRefusedValue(m_edit);
    if (!force && value == m_nValue && !m_bNoReading && !refused)
        return;
    m_bNoReading = false;
    m_nValue = value;
    m_nPos = ValueToPos(value);
    if (m_slider)
        m_slider->SetPos(m_nPos);
    if (m_spin)
        m_spin->SetPos32(value);
    if (m_edit)
        m_edit->setText(ValueToText(value));
    if (refused)
        ShowNoReading();
}

void CSliderEditSpin::ShowNoReading()
{
    m_bNoReading = true;
    if (m_edit)
        m_edit->setText(QString::fromLatin1(ctl::kNoReading));
}

int CSliderEditSpin::OnHScroll(unsigned code, int, const QWidget* scrollBar)
{
    if (!m_slider || scrollBar != m_slider)
        return 0;
    m_nPos = m_slider->GetPos();
    SetValue(PosToValue(m_nPos), true);
    return code == wnd::TB_ENDTRACK ? 1 : -1;
}

int CSliderEditSpin::OnVScroll(unsigned code, int, const QWidget* scrollBar)
{
    if (!m_spin || scrollBar != m_spin)
        return 0;
    if (m_bNoReading) {
        // No step from a value nobody read: the spin goes back, the edit keeps its text.
        m_spin->SetPos32(m_nValue);
        return -1;
    }
    const int value = m_spin->GetPos32();
    m_nPos = ValueToPos(value);
    SetValue(value, true);
    return code == wnd::SB_ENDSCROLL ? 1 : -1;
}

int CSliderEditSpin::OnEditCommit()
{
    if (!m_edit)
        return 0;
    const std::string text = m_edit->text().left(255).toStdString();
    std::optional<int> typed = m_pConverter ? m_pConverter->TextToValue(text) : ctl::ParseLeadingInt(text);
    // A value label stands for its value ("CONT" for the largest frame count); other text
    // without a number (a typo) leaves the value as it was.
    if (!typed)
        typed = LabelledValue(m_edit->text());
    if (m_bNoReading) {
        if (!typed) {
            ShowNoReading();
            return -1;
        }
        SetValue(*typed, true);
        MarkCommittedWithoutReading(m_edit);
        return 1;
    }
    const int value = typed.value_or(m_nValue);
    if (value != m_nValue) {
        SetValue(value, true);
        return 1;
    }
    m_edit->setText(ValueToText(m_nValue));
    return -1;
}

std::optional<int> CSliderEditSpin::LabelledValue(const QString& text) const
{
    const QString typed = text.trimmed();
    for (const auto& [value, label] : m_labels)
        if (!typed.isEmpty() && typed.compare(label, Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

// ---- CEditSpin ----

void CEditSpin::DataExchange(const QWidget* dialog)
{
    Bind(m_edit, dialog, m_nEditId);
    Bind(m_spin, dialog, m_nSpinId);
}

void CEditSpin::SetRange(int min, int max, int value)
{
    m_nMin = min;
    m_nMax = max;
    value = ValueToPos(value);
    m_bNoReading = false;
    m_nValue = value;
    m_nPos = value;
    if (m_spin) {
        // An edit without a lower limit still spins the right way: the spin runs from INT_MIN.
        m_spin->SetRange32(min == ctl::kNoLimit ? INT_MIN : min, max);
        m_spin->SetAccel(GroupSpinAccel());
    }
    ShowValue(value);
    ApplyStates();
    if (FieldGivenRefusedValue(m_edit))
        ShowNoReading();
}

void CEditSpin::SetRangeRead(int min, int max, std::optional<int> value)
{
    SetRange(min, max, value.value_or(m_nValue));
    if (!value)
        ShowNoReading();
}

int CEditSpin::ValueToPos(int value) const
{
    return ctl::ClampToSetLimits(value, m_nMin, m_nMax);
}

bool CEditSpin::Enable(int state)
{
    m_bEnabled = NewState(state, m_bEnabled);
    SetEnabled(m_edit, m_bEnabled);
    SetEnabled(m_spin, m_bEnabled);
    return m_bEnabled;
}

bool CEditSpin::Show(int state)
{
    m_bVisible = NewState(state, m_bVisible);
    SetVisible(m_edit, m_bVisible);
    SetVisible(m_spin, m_bVisible);
    return m_bVisible;
}

void CEditSpin::ApplyStates()
{
    Enable(m_bEnabled ? 1 : 0);
    Show(m_bVisible ? 1 : 0);
}

void CEditSpin::ShowValue(int value)
{
    if (m_edit)
        m_edit->setText(QString::number(value));
    if (m_spin)
        m_spin->SetPos32(value);
}

void CEditSpin::SetValue(int value, bool force)
{
    if (!force) {
        value = ValueToPos(value);
        if (value == m_nValue && !m_bNoReading)
            return;
    }
    m_bNoReading = false;
    m_nValue = value;
    m_nPos = value;
    ShowValue(value);
    if (FieldGivenRefusedValue(m_edit))
        ShowNoReading();
}

void CEditSpin::ShowNoReading()
{
    m_bNoReading = true;
    if (m_edit)
        m_edit->setText(QString::fromLatin1(ctl::kNoReading));
}

int CEditSpin::OnVScroll(unsigned code, int, const QWidget* scrollBar)
{
    if (!m_spin || scrollBar != m_spin)
        return 0;
    if (m_bNoReading) {
        m_spin->SetPos32(m_nValue);
        return -1;
    }
    const int value = m_spin->GetPos32();
    MarkCommittedWithoutReading(m_edit, false);
    m_nValue = value;
    m_nPos = value;
    ShowValue(value);
    return code == wnd::SB_ENDSCROLL ? 1 : -1;
}

int CEditSpin::OnEditKillFocus()
{
    if (!m_edit)
        return 0;
    const std::optional<int> typed = ctl::ParseLeadingInt(m_edit->text().left(255).toStdString());
    if (!typed) {
        // Text without a number leaves the value as it was.
        if (m_bNoReading)
            ShowNoReading();
        else
            m_edit->setText(QString::number(m_nValue));
        return -1;
    }
    const int value = ValueToPos(*typed);
    if (value == m_nValue && !m_bNoReading) {
        if (ctl::IsOnSetLimit(m_nValue, m_nMin, m_nMax))
            m_edit->setText(QString::number(m_nValue));
        return -1;
    }
    MarkCommittedWithoutReading(m_edit, m_bNoReading);
    m_bNoReading = false;
    m_nValue = value;
    m_nPos = value;
    ShowValue(value);
    return 1;
}

int CEditSpin::OnCommand(unsigned wParam)
{
    if (m_nEditId != 0 && wnd::LoWord(wParam) == static_cast<unsigned>(m_nEditId) && m_edit &&
        wnd::HiWord(wParam) == wnd::EN_KILLFOCUS)
        return OnEditKillFocus();
    return 0;
}
