// The plain edit of the panels' templates: a one-line edit that tells the nearest window
// taking commands when it loses the focus (EN_KILLFOCUS with its control id, lParam = the
// edit), which is where the panels commit a typed value. Enter is left to the panel, which
// moves the focus on and so commits too.
#pragma once

#include <QLineEdit>

class CEdit : public QLineEdit {
public:
    explicit CEdit(QWidget* parent = nullptr, int id = 0);

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
