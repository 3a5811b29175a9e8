#include "panels/PanelTemplate.h"

#include "controls/COptionDialog.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/OVNumericControl.h"
#include "controls/WindowIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace panel_template {

namespace {

QWidget* Make(COptionDialog* dialog, const Item& item)
{
    const QString text = QString::fromUtf8(item.text ? item.text : "");
    const int id = item.id;
    switch (item.kind) {
    case Kind::Label: {
        auto* label = new QLabel(text, dialog);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }
    case Kind::GroupBox: {
        auto* box = new QGroupBox(text, dialog);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    }
    case Kind::CheckBox: {
        auto* check = new QCheckBox(text, dialog);
        QObject::connect(check, &QCheckBox::clicked, dialog, [dialog, id] {
            wnd::SendCommand(dialog, wnd::MakeWParam(static_cast<unsigned>(id), wnd::BN_CLICKED), 0);
        });
        return check;
    }
    case Kind::DropList: {
        auto* combo = new QComboBox(dialog);
        // activated comes from the operator only; a selection set by code is silent.
        QObject::connect(combo, &QComboBox::activated, dialog, [dialog, id, combo] {
            wnd::SendCommand(dialog, wnd::MakeWParam(static_cast<unsigned>(id), wnd::CBN_SELCHANGE),
                             wnd::WindowHandle(combo));
        });
        return combo;
    }
    case Kind::Numeric:
        return new OVNumericControl(dialog, id);
    }
    return nullptr;
}

}  // namespace

void Build(COptionDialog* dialog, std::span<const Item> items, int widthDlu, int heightDlu)
{
    for (const Item& item : items) {
        QWidget* widget = Make(dialog, item);
        if (!widget)
            continue;
        if (item.id != 0)
            wnd::SetDlgCtrlID(widget, item.id);
        widget->setGeometry(wnd::MapDialogRect(item.x, item.y, item.width, item.height));
    }
    const QRect client = wnd::MapDialogRect(0, 0, widthDlu, heightDlu);
    dialog->resize(client.size());
}

}  // namespace panel_template
