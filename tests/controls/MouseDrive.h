// Mouse gestures for control tests: press, move with the left button held, release, at
// points in the widget's own coordinates, delivered like the operator's.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace corvel::test {

inline void Press(QWidget* w, QPoint at)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, at);
}

inline void MoveHeld(QWidget* w, QPoint to)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(w->mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

inline void Release(QWidget* w, QPoint at)
{
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, at);
}

/// Press at from, move in steps to to, release there.
inline void Drag(QWidget* w, QPoint from, QPoint to, int steps = 4)
{
    Press(w, from);
    for (int i = 1; i <= steps; ++i)
        MoveHeld(w, from + (to - from) * i / steps);
    Release(w, to);
}

}  // namespace corvel::test
