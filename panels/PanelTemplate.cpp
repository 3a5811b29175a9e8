#include "panels/PanelTemplate.h"

#include "controls/CEdit.h"
#include "controls/CTrackBar.h"
#include "controls/CUpDownCtrl.h"
#include "controls/Command.h"
#include "controls/DialogUnits.h"
#include "controls/DlgItem.h"
#include "controls/OVNumericControl.h"
#include "controls/WindowIds.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace panel_template {

namespace {

void SendToPanel(QWidget* panel, QWidget* control, unsigned code)
{
    wnd::SendCommand(wnd::FindCommandTarget(panel),
                     wnd::MakeWParam(static_cast<unsigned>(wnd::GetDlgCtrlID(control)), code),
                     wnd::WindowHandle(control));
}

QWidget* Create(QWidget* panel, const Item& item, QWidget* previous, QButtonGroup*& radios)
{
    const QString text = QString::fromUtf8(item.text ? item.text : "");
    switch (item.kind) {
    case Kind::Static:
    case Kind::StaticRight: {
        auto* label = new QLabel(text, panel);
        label->setAlignment((item.kind == Kind::Static ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop);
        return label;
    }
    case Kind::Group:
        return new QGroupBox(text, panel);
    case Kind::Button: {
        auto* button = new QPushButton(text, panel);
        QObject::connect(button, &QPushButton::clicked, panel,
                         [panel, button] { SendToPanel(panel, button, wnd::BN_CLICKED); });
        return button;
    }
    case Kind::Check: {
        auto* check = new QCheckBox(text, panel);
        QObject::connect(check, &QCheckBox::clicked, panel,
                         [panel, check] { SendToPanel(panel, check, wnd::BN_CLICKED); });
        return check;
    }
    case Kind::RadioFirst:
    case Kind::Radio: {
        auto* radio = new QRadioButton(text, panel);
        if (item.kind == Kind::RadioFirst || !radios)
            radios = new QButtonGroup(panel);
        radios->addButton(radio);
        QObject::connect(radio, &QRadioButton::clicked, panel,
                         [panel, radio] { SendToPanel(panel, radio, wnd::BN_CLICKED); });
        return radio;
    }
    case Kind::Combo: {
        auto* combo = new QComboBox(panel);
        // Only the operator's pick is a command; items set by code are not.
        QObject::connect(combo, &QComboBox::activated, panel,
                         [panel, combo] { SendToPanel(panel, combo, wnd::CBN_SELCHANGE); });
        return combo;
    }
    case Kind::Edit:
        return new CEdit(panel);
    case Kind::Spin: {
        auto* spin = new CUpDownCtrl(panel);
        spin->AttachToBuddy(previous);
        return spin;
    }
    case Kind::TrackBar:
        return new CTrackBar(Qt::Horizontal, panel);
    case Kind::Numeric:
        return new OVNumericControl(panel, item.id);
    case Kind::Icon: {
        auto* icon = new QLabel(panel);
        icon->setAlignment(Qt::AlignCenter);
        return icon;
    }
    }
    return nullptr;
}

}  // namespace

void Build(QWidget* panel, std::span<const Item> items, int widthDlu, int heightDlu)
{
    QWidget* previous = nullptr;
    QButtonGroup* radios = nullptr;
    for (const Item& item : items) {
        if (item.kind != Kind::Radio && item.kind != Kind::RadioFirst)
            radios = nullptr;
        QWidget* control = Create(panel, item, previous, radios);
        if (!control)
            continue;
        wnd::SetDlgCtrlID(control, item.id);
        if (item.kind == Kind::Icon) {
            const QRect r = wnd::MapDialogRect(item.x, item.y, item.width, item.height);
            control->setGeometry(r.x(), r.y(), 16, 16);
        } else if (item.kind != Kind::Spin) {
            control->setGeometry(wnd::MapDialogRect(item.x, item.y, item.width, item.height));
        }
        if (item.kind == Kind::Group) {
            control->lower();  // behind the controls it frames, so they take the mouse
            control->setFocusPolicy(Qt::NoFocus);
        }
        previous = control;
    }
    panel->resize(wnd::MapDialogRect(0, 0, widthDlu, heightDlu).size());
}

QRect RectOf(const QWidget* panel, int id)
{
    const QWidget* control = wnd::GetDlgItem(panel, id);
    return control ? control->geometry() : QRect();
}

void MoveBy(QWidget* panel, int id, int dx, int dy)
{
    if (QWidget* control = wnd::GetDlgItem(panel, id))
        control->move(control->pos() + QPoint(dx, dy));
}

void MoveUp(QWidget* panel, std::span<const int> ids, int shift)
{
    for (int id : ids)
        MoveBy(panel, id, 0, -shift);
}

int BottomOf(const QWidget* panel, int id)
{
    const QRect r = RectOf(panel, id);
    return r.y() + r.height();
}

void Hide(QWidget* panel, std::span<const int> ids)
{
    for (int id : ids)
        if (QWidget* control = wnd::GetDlgItem(panel, id))
            control->hide();
}

void FitHeightBelow(QWidget* panel, int id, int margin)
{
    const QRect r = RectOf(panel, id);
    if (r.isNull())
        return;
    panel->resize(panel->width(), r.bottom() + 1 + margin);
}

}  // namespace panel_template
