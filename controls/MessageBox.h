// Message boxes with the classic flags and answers: the caller passes MB_ flags (button set,
// icon, default button, modality) and gets back the id of the button pressed (IDOK, IDYES ...).
// Tests install a handler that answers instead of showing a window.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace wnd {

// Button sets (low 4 bits).
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_CANCELTRYCONTINUE = 0x6;
// Icons.
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
// Default button.
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
// Modality and placement.
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
constexpr unsigned MB_TASKMODAL = 0x2000;
constexpr unsigned MB_SETFOREGROUND = 0x10000;
constexpr unsigned MB_TOPMOST = 0x40000;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

/// The caption used when a box is given none.
QString DefaultMessageBoxCaption();

struct MessageBoxRequest {
    QString text;
    QString caption;  ///< as given (may be empty)
    unsigned flags = 0;
    QWidget* parent = nullptr;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

/// Replaces the handler that answers every box (empty: show real boxes). Returns the old one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

/// Shows a modal box and returns the id of the pressed button; closing the box without a
/// button answers IDCANCEL when the set has Cancel, else the set's only or first button.
int ShowMessageBox(const QString& text, const QString& caption, unsigned flags, QWidget* parent = nullptr);

/// Installs a handler for one scope and puts the previous one back at its end.
class ScopedMessageBoxHandler {
public:
    explicit ScopedMessageBoxHandler(MessageBoxHandler handler) : previous_(SetMessageBoxHandler(std::move(handler))) {}
    ~ScopedMessageBoxHandler() { SetMessageBoxHandler(std::move(previous_)); }
    ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
    ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;

private:
    MessageBoxHandler previous_;
};

}  // namespace wnd
