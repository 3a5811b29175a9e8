#include "controls/CEdit.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/WindowIds.h"

#include <QFocusEvent>

CEdit::CEdit(QWidget* parent, int id) : QLineEdit(parent)
{
    wnd::SetDlgCtrlID(this, id);
}

void CEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu keeps the edit's focus in the operator's eyes: no commit for it.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    wnd::SendCommand(wnd::FindCommandTarget(parentWidget()),
                     wnd::MakeWParam(static_cast<unsigned>(wnd::GetDlgCtrlID(this)), wnd::EN_KILLFOCUS),
                     wnd::WindowHandle(this));
}
