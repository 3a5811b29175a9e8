// Binding functions of the panels: a combo box filled with the value texts that the register
// map lists for a parameter, a group of three radio buttons, and a 16 x 16 status icon. Only
// FillComboFromXml reads the store (the parameter's register link); none of them writes it.
#pragma once

#include "camera/RegisterMap.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>

class OrvParamStorage;
class QAbstractButton;
class QComboBox;
class QIcon;
class QLabel;
class QWidget;

/// The register-map path of a parameter's element, from its register link. False
/// when the parameter has no record (it is not in the configuration's map).
bool GetRegisterMapPath(const OrvParamStorage& store, const char* name, std::string& path);

/// Fills combo with the `val` entries of the parameter's map element, in document order: each
/// entry's text as an item whose data is the low 32 bits of its "id" (decimal, "0x" hex or
/// leading-0 octal); idToIndex maps each id to its item (a later equal id wins). Selects the
/// (last) item whose id is `current`, else none (a value without an item is never shown as
/// another one's), and answers the number of items. The combo
/// sends no change while it is filled. Without a register link for the name the combo and
/// the label (when given) are hidden and 0 is answered; a missing element or one without
/// entries gives an empty combo.
int FillComboFromXml(QComboBox* combo, int current, std::map<int, int>& idToIndex, const OrvParamStorage* store,
                     const RegisterMap* document, const char* name, QWidget* label);

/// Checks the button of ids[0..2] whose id is checkedId and unchecks the others (all three
/// when none matches); buttons are found by id in dialog. Nothing without ids.
void SetRadioGroup(const QWidget* dialog, int checkedId, const int* ids);

/// A check box's state for a camera flag the camera did not answer.
inline constexpr int kCheckNoReading = -1;

/// Shows a camera flag in a check box: 1 ticked, 0 clear, kCheckNoReading neither (the box's
/// partly-checked mark; the operator's click ticks it and the box has two states again).
/// Another button shows only ticked or clear. Nothing without a button.
void SetCheckReading(QAbstractButton* button, int state);
/// What the box shows: 1 ticked, 0 clear, kCheckNoReading the partly-checked mark; 0 without
/// a button.
int CheckReading(const QAbstractButton* button);
/// Runs `showCameraValues` (the values stored for refused writes) and then shows no reading
/// again on each box of `panel` just clicked from its no-reading mark that was given its stored
/// value (its write was refused): that value is older than the read that failed.
void ShowNoReadingWhereClickRefused(QWidget* panel, const std::function<void()>& showCameraValues);
/// A numeric field (its control or edit) the operator committed from its no-reading mark:
/// until its write is answered, a value handed back for a refused write is older than the read
/// that failed (FieldGivenRefusedValue). False: committed from a reading (no mark).
void MarkCommittedWithoutReading(QWidget* field, bool withoutReading = true);
/// Called as the field is given a value: true when ShowNoReadingWhereClickRefused hands it the
/// stored value of its refused write (the field then shows no reading again). Any other value
/// given ends the mark.
bool FieldGivenRefusedValue(QWidget* field);

/// Shows icon in the static control at 16 x 16 pixels, where it stands, and repaints it at
/// once. Nothing when either is missing.
void SetStaticIcon(QLabel* staticControl, const QIcon& icon);
