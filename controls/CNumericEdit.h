// A one-line edit that reports Enter to its owner as a command (control id, code 0,
// lParam = the edit) instead of letting the dialog act on it: the command terminal's
// polling-time field commits this way.
#pragma once

#include "controls/Command.h"

#include <QLineEdit>

class CNumericEdit : public QLineEdit {
public:
    explicit CNumericEdit(QWidget* parent = nullptr, int id = 0);

    /// The window that hears Enter. Null (the default): the nearest ancestor taking commands.
    /// The owner must outlive the edit or be reset.
    void SetOwner(wnd::ICommandTarget* owner) { owner_ = owner; }
    wnd::ICommandTarget* Owner() const { return owner_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    wnd::ICommandTarget* owner_ = nullptr;
};
