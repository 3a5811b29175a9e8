// What the tool windows' tests do as an operator: wait for the window to get somewhere, find a
// control by its id, read a box's entries, pick an entry with the keyboard and replace an
// edit's text by typing.
#pragma once

#include "controls/DlgItem.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

namespace corvel::test {

/// Lets the event loop run until `done` holds, within a bound generous for a loaded CI machine.
/// (QTRY_VERIFY does not fail a GoogleTest case: on a time-out it only returns.)
template <class Done>
bool WaitFor(Done done, int timeoutMs = 60000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

template <class T>
T* DlgItemAs(const QWidget* dialog, int id)
{
    return qobject_cast<T*>(wnd::GetDlgItem(dialog, id));
}

inline QStringList ComboEntries(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

/// Picks the entry with that text by keyboard: Home, then Down until it shows.
inline void PickByKeyboard(QComboBox* box, const QString& text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < box->count() && box->currentText() != text; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    ASSERT_EQ(box->currentText(), text);
}

/// Selects the edit's text, deletes it and types `text`.
inline void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

}  // namespace corvel::test
