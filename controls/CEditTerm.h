// An edit whose context menu is replaced by an overridable operation that does nothing by
// default: the scripting console's output area (multi-line, read-only) and command line.
#pragma once

#include "controls/DlgItem.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

template <class EditBase>
class CEditTermT : public EditBase {
public:
    explicit CEditTermT(QWidget* parent = nullptr, int id = 0) : EditBase(parent) { wnd::SetDlgCtrlID(this, id); }

    /// A right click in the edit; point is in screen coordinates. Default: nothing, no menu.
    virtual void OnContextMenu(QWidget* window, QPoint point)
    {
        (void)window;
        (void)point;
    }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        event->accept();
        OnContextMenu(this, event->globalPos());
    }
};

/// The single-line form (command line).
using CEditTerm = CEditTermT<QLineEdit>;
/// The multi-line form (output area).
using CEditTermMultiLine = CEditTermT<QPlainTextEdit>;
