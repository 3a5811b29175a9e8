#include "AppMessageBox.h"

#include <QMessageBox>

namespace {

AppMessageBoxHandler& Handler()
{
    static AppMessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon IconOf(unsigned flags)
{
    switch (flags & 0xF0) {
    case kMbIconError: return QMessageBox::Critical;
    case kMbIconWarning: return QMessageBox::Warning;
    case kMbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int AppMessageBox(const QString& text, const QString& caption, unsigned flags)
{
    if (Handler())
        return Handler()(text, caption, flags);
    QMessageBox box(IconOf(flags), caption, text, QMessageBox::Ok);
    box.exec();
    return kIdOk;
}

AppMessageBoxHandler SetAppMessageBoxHandler(AppMessageBoxHandler handler)
{
    AppMessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
