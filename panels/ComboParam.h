// A drop-down list bound to one integer parameter whose choices the register map lists (its
// `val` entries): the selected item, the parameter's current value and the map from each value
// to its item. The panel fills it on every refresh, may cut items the camera cannot take (the
// map is then rebuilt from the items that remain, so every later selection still finds the
// right item), selects the item of a value notified from elsewhere, and reads the value of
// the operator's pick. It never writes the store.
#pragma once

#include "camera/RegisterMap.h"

#include <QComboBox>
#include <QPointer>

#include <cstdint>
#include <map>
#include <optional>

class OrvParamStorage;
class QWidget;

class ComboParam {
public:
    /// labelId 0: the combo has no label that hides with it.
    ComboParam(const char* name, int comboId, int labelId = 0) : m_pszName(name), m_nComboId(comboId), m_nLabelId(labelId) {}

    const char* m_pszName;
    int m_nComboId;
    int m_nLabelId;
    int m_nIndex = -1;          ///< the selected item, exchanged with the combo
    int m_nValue = 0;           ///< the parameter's value (no reading unless m_bRead)
    bool m_bRead = true;        ///< the camera answered m_nValue; otherwise no item is selected
    std::map<int, int> m_map;   ///< value → item

    /// The camera's answer to a read: its value, or none (the read failed: no item is selected
    /// until a value is read, notified or picked).
    void SetRead(std::optional<std::int64_t> value);
    /// Fills the combo of `panel` with the parameter's choices and selects the item of m_nValue
    /// (no item for a value without one). Without a register link for the parameter the combo
    /// and its label are hidden and false is answered; otherwise they are shown.
    bool Fill(QWidget* panel, const OrvParamStorage* store, const RegisterMap* document);
    /// Deletes item `index` (nothing for an index out of range) and rebuilds the map; when the
    /// current value's item went, no item is selected.
    void RemoveItem(int index);
    /// Deletes the items from `count` on, so that items 0 to count-1 remain.
    void KeepFirst(int count);
    /// A value notified from elsewhere: when it differs from m_nValue it is kept and its item
    /// selected in m_nIndex (a value without an item selects none). True when kept.
    bool OnValueChanged(int value);
    /// The panel's data exchange: save takes the combo's selection into m_nIndex, otherwise
    /// m_nIndex is shown.
    void Exchange(bool save);
    /// The operator's pick: the combo's selection is taken into m_nIndex and its value into
    /// m_nValue, and answered; none when nothing is selected (m_nValue then stays).
    std::optional<int> TakeChoice();
    /// The value of the item in m_nIndex; none when nothing is selected.
    std::optional<int> SelectedValue() const;
    QComboBox* Combo() const { return m_combo; }

private:
    void Bind(QWidget* panel);
    /// m_map from the items that remain; the item of m_nValue selected again.
    void RebuildMap();

    QPointer<QComboBox> m_combo;
};
