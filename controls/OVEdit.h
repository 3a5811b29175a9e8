// The numeric control's edit: takes digits, one leading '-', one '.' (not in integer mode)
// and Backspace; drops every other typed character (shortcuts and cursor keys work as usual).
// It posts to its owner code 1 for each accepted key and code 0 for Enter or focus loss. The
// typed number counts only after Enter; otherwise the last value set stays.
#pragma once

#include "controls/WindowIds.h"

#include <QLineEdit>
#include <QString>

#include <optional>

class OVEdit : public QLineEdit {
public:
    /// owner takes the posted commands (the numeric control; a QObject that takes commands).
    OVEdit(QWidget* parent, QObject* owner, const QRect& rect, int id, bool integerMode);

    /// Shows x ("%d" of its whole part in integer mode, else format or "%.2f").
    void SetValue(double x);
    /// The typed number once after Enter; otherwise the last value set. Nothing after Enter on a
    /// text that holds no number (a typo or a paste): the caller keeps its value.
    std::optional<double> GetValue();

    QObject* owner;
    int id;
    bool hasPoint = false;
    bool hasMinus = false;
    bool integerMode;
    double lastValue = 0.0;
    bool enterPressed = false;
    QString format;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Post(unsigned code);
};
