#include "controls/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace wnd {
namespace {

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

struct ButtonDef {
    int id;
    QMessageBox::StandardButton button;
};

std::vector<ButtonDef> ButtonsOf(unsigned flags)
{
    using B = QMessageBox;
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {{IDOK, B::Ok}, {IDCANCEL, B::Cancel}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, B::Abort}, {IDRETRY, B::Retry}, {IDIGNORE, B::Ignore}};
    case MB_YESNOCANCEL: return {{IDYES, B::Yes}, {IDNO, B::No}, {IDCANCEL, B::Cancel}};
    case MB_YESNO: return {{IDYES, B::Yes}, {IDNO, B::No}};
    case MB_RETRYCANCEL: return {{IDRETRY, B::Retry}, {IDCANCEL, B::Cancel}};
    case MB_CANCELTRYCONTINUE:
        return {{IDCANCEL, B::Cancel}, {IDTRYAGAIN, B::Retry}, {IDCONTINUE, B::Ignore}};
    default: return {{IDOK, B::Ok}};
    }
}

QMessageBox::Icon IconOf(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

QString DefaultMessageBoxCaption()
{
    return QStringLiteral("Corvel");
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

int ShowMessageBox(const QString& text, const QString& caption, unsigned flags, QWidget* parent)
{
    if (Handler())
        return Handler()(MessageBoxRequest{text, caption, flags, parent});

    QMessageBox box(parent);
    box.setWindowTitle(caption.isEmpty() ? DefaultMessageBoxCaption() : caption);
    box.setText(text);
    box.setIcon(IconOf(flags));
    box.setWindowModality(parent && !(flags & (MB_TASKMODAL | MB_SYSTEMMODAL)) ? Qt::WindowModal
                                                                               : Qt::ApplicationModal);
    if (flags & MB_TOPMOST)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

    const std::vector<ButtonDef> defs = ButtonsOf(flags);
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const ButtonDef& def : defs)
        buttons.emplace_back(box.addButton(def.button), def.id);
    const std::size_t defaultIndex = (flags & 0xF00) >> 8;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(static_cast<QPushButton*>(buttons[defaultIndex].first));

    // A box left without a button (Esc, or the program ending on SIGTERM while it is open)
    // answers Cancel, else No, never Yes: no question is taken as agreed.
    int escapeAnswer = defs.front().id;
    for (const ButtonDef& def : defs)
        if (def.id == IDNO && escapeAnswer != IDCANCEL)
            escapeAnswer = IDNO;
    for (const ButtonDef& def : defs)
        if (def.id == IDCANCEL)
            escapeAnswer = IDCANCEL;

    box.exec();
    for (const auto& [button, id] : buttons)
        if (box.clickedButton() == button)
            return id;
    return escapeAnswer;
}

}  // namespace wnd
