#include "ExternalLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QUrl>

#include <filesystem>
#include <system_error>
#include <unistd.h>
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

bool IsRunnableProgram(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
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
