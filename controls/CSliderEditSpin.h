// A slider group of a panel: a trackbar, an edit and a spin button showing one integer
// parameter, with two labels for the range, on a linear or a logarithmic scale. The panel
// fills the control ids, binds the windows in its data exchange, gives the range and value
// from the store and forwards its scroll and edit messages here; the group keeps the three
// controls in step and answers whether the operator committed a change (1), only moved a
// control (-1) or the message was not the group's (0). The group never touches the store.
#pragma once

#include "controls/BindingLogic.h"
#include "controls/CTrackBar.h"
#include "controls/CUpDownCtrl.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

/// Converts between a group's values and the texts it shows (the lens panel's f-numbers).
class OVGHSliderConvertor {
public:
    virtual ~OVGHSliderConvertor() = default;
    virtual std::string ValueToText(int value) = 0;
    /// The value a typed text stands for; nothing when the text holds none (the group then
    /// keeps its value).
    virtual std::optional<int> TextToValue(const std::string& text) = 0;
};

/// The spin acceleration of the panels' groups: 1 for 2 s, 10 for 5 s, then 100, 1000, 10000.
const std::vector<ctl::UDACCEL>& GroupSpinAccel();

class CSliderEditSpin {
public:
    int m_nId = 0;             ///< the group's id (panels use the trackbar's id)
    bool m_bLinear = true;
    bool m_bEnabled = true;
    bool m_bVisible = true;
    int m_nValue = 0;
    int m_nPos = 0;            ///< trackbar position, exchanged with the trackbar
    QPointer<CTrackBar> m_slider;
    QPointer<QLineEdit> m_edit;
    QPointer<CUpDownCtrl> m_spin;
    QPointer<QWidget> m_hMinLabel;
    QPointer<QWidget> m_hMaxLabel;
    QPointer<QWidget> m_hParent;  ///< the panel, where the labels are looked up
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nSliderId = 0, m_nEditId = 0, m_nSpinId = 0, m_nMinLabelId = 0, m_nMaxLabelId = 0;  ///< 0: absent
    std::map<int, QString> m_labels;          ///< texts shown instead of particular values
    OVGHSliderConvertor* m_pConverter = nullptr;  ///< borrowed; outlives the group

    /// The panel's data exchange: binds the trackbar, edit and spin by id in dialog (once a
    /// window is bound it stays) and exchanges m_nPos with the trackbar position (save: from
    /// the trackbar).
    void DataExchange(const QWidget* dialog, bool save);

    void SetRange(int min, int max, int value, bool linear);
    /// SetRange with the camera's answer to a read; none (the read failed): the value shows no
    /// reading (ShowNoReading), the trackbar and spin stay at the old value held in the range.
    void SetRangeRead(int min, int max, std::optional<int> value, bool linear);
    int PosToValue(int pos) const;
    int ValueToPos(int value) const;
    QString ValueToText(int value) const;
    bool Enable(int state);
    bool Show(int state);
    /// Sets the value (held in the range); a reading again after ShowNoReading.
    void SetValue(int value, bool force);
    /// The camera did not answer the value: the edit shows ctl::kNoReading, the trackbar and
    /// spin stay where they are and m_nValue is no reading. A spin arrow then does nothing; a
    /// trackbar move or a typed number is the operator's value (written even when it equals
    /// the old m_nValue) and ends the state, as does SetValue or SetRange.
    void ShowNoReading();
    bool m_bNoReading = false;

    int OnHScroll(unsigned code, int pos, const QWidget* scrollBar);
    int OnVScroll(unsigned code, int pos, const QWidget* scrollBar);
    int OnEditCommit();

private:
    /// Trackbar, edit, spin and the two labels; null for a part that is absent.
    std::array<QWidget*, 5> Parts() const;
    void ApplyStates();
    /// The value whose label the text is (ignoring case and outer blanks); nothing for other text.
    std::optional<int> LabelledValue(const QString& text) const;
};

/// An edit group: an edit and a spin button for one integer, with optional limits
/// (ctl::kNoLimit on a side means none there).
class CEditSpin {
public:
    bool m_bEnabled = true;
    bool m_bVisible = true;
    int m_nValue = 0;
    int m_nPos = 0;
    QPointer<QLineEdit> m_edit;
    QPointer<CUpDownCtrl> m_spin;
    int m_nMin = ctl::kNoLimit;
    int m_nMax = ctl::kNoLimit;
    int m_nEditId = 0;
    int m_nSpinId = 0;

    /// Binds the edit and the spin by id in dialog (once bound they stay).
    void DataExchange(const QWidget* dialog);

    void SetRange(int min, int max, int value);
    /// As CSliderEditSpin::SetRangeRead.
    void SetRangeRead(int min, int max, std::optional<int> value);
    int ValueToPos(int value) const;
    bool Enable(int state);
    bool Show(int state);
    /// Sets the value; a reading again after ShowNoReading.
    void SetValue(int value, bool force);
    /// As CSliderEditSpin::ShowNoReading, for the edit and its spin.
    void ShowNoReading();
    bool m_bNoReading = false;

    int OnVScroll(unsigned code, int pos, const QWidget* scrollBar);
    int OnEditKillFocus();
    /// EN_KILLFOCUS from this group's edit: OnEditKillFocus; anything else 0.
    int OnCommand(unsigned wParam);

private:
    void ShowValue(int value);
    void ApplyStates();
};
