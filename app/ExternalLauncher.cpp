#include "ExternalLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QUrl>

#include <utility>

namespace {

LaunchHandler& Handler()
{
    static LaunchHandler handler;
    return handler;
}

}  // namespace

LaunchHandler SetLaunchHandler(LaunchHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

bool RunExternalProgram(const std::string& path)
{
    if (Handler())
        return Handler()({LaunchRequest::Program, path});
    return QProcess::startDetached(QString::fromStdString(path), {});
}

bool OpenDocument(const std::string& path)
{
    if (Handler())
        return Handler()({LaunchRequest::Document, path});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
