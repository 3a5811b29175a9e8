// The numeric control's small drop-down button: a press toggles it between normal and
// pressed, a release inside posts (10001, code 0) to its owner, which opens the pop-up slider
// while the button is pressed. A release outside puts it back to normal.
#pragma once

#include <QWidget>

class OVButton : public QWidget {
public:
    enum State { Normal = 0, Pressed = 1, Disabled = 2 };

    OVButton(QWidget* parent, QObject* owner, const QRect& rect, int id);

    QObject* owner;
    int id;
    int state = Normal;
    bool captured = false;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
