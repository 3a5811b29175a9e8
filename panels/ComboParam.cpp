#include "panels/ComboParam.h"

#include "controls/DlgItem.h"
#include "controls/ParamBinding.h"

#include <QComboBox>
#include <QSignalBlocker>

void ComboParam::Bind(QWidget* panel)
{
    if (!m_combo && panel)
        m_combo = qobject_cast<QComboBox*>(wnd::GetDlgItem(panel, m_nComboId));
}

void ComboParam::SetRead(std::optional<std::int64_t> value)
{
    m_bRead = value.has_value();
    if (value)
        m_nValue = static_cast<int>(*value);
}

bool ComboParam::Fill(QWidget* panel, const OrvParamStorage* store, const RegisterMap* document)
{
    Bind(panel);
    QWidget* label = m_nLabelId != 0 && panel ? wnd::GetDlgItem(panel, m_nLabelId) : nullptr;
    if (!m_combo)
        return false;
    // A rebuild for a map that has the parameter shows what an earlier one hid.
    m_combo->show();
    if (label)
        label->show();
    FillComboFromXml(m_combo, m_nValue, m_map, store, document, m_pszName, label);
    if (!m_bRead)
        m_combo->setCurrentIndex(-1);  // never the item of a value nobody read
    m_nIndex = m_combo->currentIndex();
    return !m_combo->isHidden();
}

void ComboParam::RemoveItem(int index)
{
    if (!m_combo || index < 0 || index >= m_combo->count())
        return;
    const QSignalBlocker quiet(m_combo);
    m_combo->removeItem(index);
    RebuildMap();
}

void ComboParam::KeepFirst(int count)
{
    if (!m_combo || count < 0 || m_combo->count() <= count)
        return;
    const QSignalBlocker quiet(m_combo);
    while (m_combo->count() > count)
        m_combo->removeItem(m_combo->count() - 1);
    RebuildMap();
}

void ComboParam::RebuildMap()
{
    // As when the combo was filled: a later item of an equal value wins.
    m_map.clear();
    for (int i = 0; i < m_combo->count(); ++i)
        m_map[m_combo->itemData(i).toInt()] = i;
    const auto it = m_map.find(m_nValue);
    // A value whose item was cut shows no item, never a neighbour's.
    m_nIndex = it != m_map.end() && m_bRead ? it->second : -1;
    m_combo->setCurrentIndex(m_nIndex);
}

bool ComboParam::OnValueChanged(int value)
{
    if (value == m_nValue && m_bRead)
        return false;
    m_nValue = value;
    m_bRead = true;
    const auto it = m_map.find(value);
    m_nIndex = it != m_map.end() ? it->second : -1;
    return true;
}

void ComboParam::Exchange(bool save)
{
    if (!m_combo)
        return;
    if (save) {
        m_nIndex = m_combo->currentIndex();
    } else {
        const QSignalBlocker quiet(m_combo);
        m_combo->setCurrentIndex(m_nIndex < m_combo->count() ? m_nIndex : -1);
    }
}

std::optional<int> ComboParam::TakeChoice()
{
    Exchange(true);
    const std::optional<int> value = SelectedValue();
    if (value) {
        m_nValue = *value;
        m_bRead = true;
    }
    return value;
}

std::optional<int> ComboParam::SelectedValue() const
{
    if (!m_combo || m_nIndex < 0 || m_nIndex >= m_combo->count())
        return std::nullopt;
    return m_combo->itemData(m_nIndex).toInt();
}
