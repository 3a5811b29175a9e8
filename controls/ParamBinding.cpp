#include "controls/ParamBinding.h"

#include "camera/CXmlNodeValue.h"
#include "camera/RegisterLink.h"
#include "controls/DlgItem.h"
#include "orvmisc/OrvParamStorage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QSignalBlocker>

#include <cstring>
#include <vector>

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
        // An auto-exclusive radio button refuses to be unchecked; the group is set as a whole.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(ids[i] == checkedId);
        button->setAutoExclusive(exclusive);
    }
}

void SetStaticIcon(QLabel* staticControl, const QIcon& icon)
{
    if (!staticControl || icon.isNull())
        return;
    staticControl->setPixmap(icon.pixmap(16, 16));
    staticControl->resize(16, 16);
    staticControl->repaint();
}
