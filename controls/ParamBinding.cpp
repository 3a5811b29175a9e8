#include "controls/ParamBinding.h"

#include "camera/CXmlNodeValue.h"
#include "camera/RegisterLink.h"
#include "controls/DlgItem.h"
#include "orvmisc/OrvParamStorage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>
#include <QVariant>

#include <cstring>
#include <functional>
#include <vector>

namespace {
/// A box clicked from its no-reading mark whose write is not yet answered.
constexpr const char* kClickedWithoutReading = "corvelClickedWithoutReading";
/// Such a box was given the value stored for it (its write was not taken).
constexpr const char* kGivenStoredValue = "corvelGivenStoredValue";
/// A numeric field committed from its no-reading mark whose write is not yet answered.
constexpr const char* kCommittedWithoutReading = "corvelCommittedWithoutReading";
/// ShowNoReadingWhereClickRefused is handing back the values stored for refused writes.
int handingBackRefused = 0;
}  // namespace

bool GetRegisterMapPath(const OrvParamStorage& store, const char* name, std::string& path)
{
    RegisterLink link;
    if (!name || GetRegisterLink(store, name, link) != 0)
        return false;
    path = link.path;
    return true;
}

int FillComboFromXml(QComboBox* combo, int current, std::map<int, int>& idToIndex, const OrvParamStorage* store,
                     const RegisterMap* document, const char* name, QWidget* label)
{
    if (!combo)
        return 0;
    const QSignalBlocker quiet(combo);
    combo->clear();
    idToIndex.clear();
    if (!store || !document || !name)
        return 0;
    std::string path;
    if (!GetRegisterMapPath(*store, name, path)) {
        combo->hide();
        if (label)
            label->hide();
        return 0;
    }
    int selected = -1;
    for (const CXmlNodeValue& entry : document->Select(path).SelectAll("val")) {
        // The item's data is the low 32 bits of the id: the value a choice writes.
        const auto id = static_cast<int>(static_cast<std::uint32_t>(entry.Select("@id").AsInt64()));
        const int index = combo->count();
        combo->addItem(QString::fromStdString(entry.AsString()), id);
        idToIndex[id] = index;
        if (id == current)
            selected = index;
    }
    combo->setCurrentIndex(selected);
    return combo->count();
}

void SetRadioGroup(const QWidget* dialog, int checkedId, const int* ids)
{
    if (!ids)
        return;
    for (int i = 0; i < 3; ++i) {
        auto* button = qobject_cast<QAbstractButton*>(wnd::GetDlgItem(dialog, ids[i]));
        if (!button)
            continue;
        // An auto-exclusive radio button, or one of an exclusive button group, refuses to be
        // unchecked; the group is set as a whole.
        QButtonGroup* group = button->group();
        const bool groupExclusive = group && group->exclusive();
        if (group)
            group->setExclusive(false);
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(ids[i] == checkedId);
        button->setAutoExclusive(exclusive);
        if (group)
            group->setExclusive(groupExclusive);
    }
}

void SetCheckReading(QAbstractButton* button, int state)
{
    if (!button)
        return;
    auto* box = qobject_cast<QCheckBox*>(button);
    if (!box) {
        button->setChecked(state > 0);
        return;
    }
    if (state != kCheckNoReading) {
        if (box->property(kClickedWithoutReading).toBool())
            box->setProperty(kGivenStoredValue, true);
        box->setTristate(false);
        box->setChecked(state != 0);
        return;
    }
    if (!box->isTristate()) {
        // The operator's click leaves the mark for a tick (after the panel heard the click).
        QObject::connect(box, &QCheckBox::clicked, box, [box] {
            box->setTristate(false);
            // Until the click's write is answered, a refusal shows no reading again: the
            // value stored for the box is older than the read that failed.
            box->setProperty(kClickedWithoutReading, true);
            QTimer::singleShot(0, box, [box] {
                box->setProperty(kClickedWithoutReading, QVariant());
                box->setProperty(kGivenStoredValue, QVariant());
            });
        }, Qt::SingleShotConnection);
    }
    box->setCheckState(Qt::PartiallyChecked);
}

void ShowNoReadingWhereClickRefused(QWidget* panel, const std::function<void()>& showCameraValues)
{
    QList<QCheckBox*> clicked;
    for (QCheckBox* box : panel->findChildren<QCheckBox*>())
        if (box->property(kClickedWithoutReading).toBool())
            clicked.append(box);
    ++handingBackRefused;
    showCameraValues();
    --handingBackRefused;
    // Every numeric write committed before is answered by now.
    for (QWidget* field : panel->findChildren<QWidget*>())
        if (field->property(kCommittedWithoutReading).isValid())
            field->setProperty(kCommittedWithoutReading, QVariant());
    for (QCheckBox* box : clicked) {
        box->setProperty(kClickedWithoutReading, QVariant());
        if (box->property(kGivenStoredValue).toBool())
            SetCheckReading(box, kCheckNoReading);
        box->setProperty(kGivenStoredValue, QVariant());
    }
}

void MarkCommittedWithoutReading(QWidget* field, bool withoutReading)
{
    if (field)
        field->setProperty(kCommittedWithoutReading, withoutReading ? QVariant(true) : QVariant());
}

bool FieldGivenRefusedValue(QWidget* field)
{
    if (!field || !field->property(kCommittedWithoutReading).toBool())
        return false;
    if (handingBackRefused > 0)
        return true;
    field->setProperty(kCommittedWithoutReading, QVariant());
    return false;
}

int CheckReading(const QAbstractButton* button)
{
    if (const auto* box = qobject_cast<const QCheckBox*>(button)) {
        if (box->checkState() == Qt::PartiallyChecked)
            return kCheckNoReading;
    }
    return button && button->isChecked() ? 1 : 0;
}

void SetStaticIcon(QLabel* staticControl, const QIcon& icon)
{
    if (!staticControl || icon.isNull())
        return;
    staticControl->setPixmap(icon.pixmap(16, 16));
    staticControl->resize(16, 16);
    staticControl->repaint();
}
