#include "controls/CNumericEdit.h"

#include "controls/DlgItem.h"

#include <QKeyEvent>

CNumericEdit::CNumericEdit(QWidget* parent, int id) : QLineEdit(parent)
{
    wnd::SetDlgCtrlID(this, id);
}

void CNumericEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        wnd::ICommandTarget* target = owner_ ? owner_ : wnd::FindCommandTarget(parentWidget());
        // Accepted here, so the dialog never sees Enter (no default button, no close).
        event->accept();
        wnd::SendCommand(target, wnd::MakeWParam(static_cast<unsigned>(wnd::GetDlgCtrlID(this)), 0),
                         wnd::WindowHandle(this));
        return;
    }
    QLineEdit::keyPressEvent(event);
}
