#include "controls/OVEdit.h"

#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/NumericLogic.h"
#include "controls/ValueText.h"

#include <QKeyEvent>

OVEdit::OVEdit(QWidget* parent, QObject* owner_, const QRect& rect, int id_, bool integerMode_)
    : QLineEdit(parent), owner(owner_), id(id_), integerMode(integerMode_)
{
    wnd::SetDlgCtrlID(this, id);
    setGeometry(rect);
    show();
}

void OVEdit::SetValue(double x)
{
    lastValue = x;
    const std::string text = integerMode ? ctl::FormatWhole(x) : ctl::FormatValue(format.toStdString(), x);
    setText(QString::fromStdString(text));
}

std::optional<double> OVEdit::GetValue()
{
    if (enterPressed) {
        enterPressed = false;
        return ctl::ParseNumber(text().toStdString());
    }
    return lastValue;
}

void OVEdit::Post(unsigned code)
{
    wnd::PostCommand(owner, wnd::MakeWParam(static_cast<unsigned>(id), code), wnd::WindowHandle(this));
}

void OVEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    char32_t c = 0;
    // Some platforms give a shortcut (Ctrl+V) the letter as its text: a shortcut is no character.
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        c = 13;
    else if (event->key() == Qt::Key_Backspace)
        c = 8;
    else if (!shortcut && typed.size() == 1 && typed.at(0).isPrint())
        c = typed.at(0).unicode();
    else {
        // Cursor keys, Delete and shortcuts (copy, paste, select all) keep their meaning.
        QLineEdit::keyPressEvent(event);
        return;
    }

    // A typed character replaces the selection: judge it on the text that remains around it.
    QString current = text();
    int caret = cursorPosition();
    if (hasSelectedText() && c != 8) {
        caret = selectionStart();
        current.remove(caret, selectedText().size());
    }
    hasPoint = current.contains('.');
    hasMinus = current.startsWith('-');
    ctl::EditState state;
    state.hasMinus = hasMinus;
    state.hasPoint = hasPoint;
    state.caretAtStart = caret == 0;
    state.integerMode = integerMode;
    switch (ctl::FilterEditChar(c, state)) {
    case ctl::EditKey::Enter:
        enterPressed = true;
        event->accept();
        Post(0);
        return;
    case ctl::EditKey::Accept:
        QLineEdit::keyPressEvent(event);
        Post(1);
        return;
    case ctl::EditKey::Drop:
        event->accept();
        return;
    }
}

void OVEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    Post(0);
}

void OVEdit::mouseDoubleClickEvent(QMouseEvent*)
{
    selectAll();
}
