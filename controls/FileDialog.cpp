#include "controls/FileDialog.h"

#include <QFileDialog>

#include <utility>

namespace wnd {
namespace {

FileDialogHandler& Handler()
{
    static FileDialogHandler handler;
    return handler;
}

}  // namespace

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

QStringList NameFiltersOf(const QString& filter)
{
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (patterns.isEmpty())
            continue;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
            filters << description;
        else
            filters << (description.isEmpty() ? QString() : description + QLatin1Char(' ')) + QLatin1Char('(') +
                           patterns + QLatin1Char(')');
    }
    return filters;
}

std::optional<QString> ShowFileDialog(const FileDialogRequest& request)
{
    if (Handler())
        return Handler()(request);
    QFileDialog dialog(request.parent, request.title);
    dialog.setWindowModality(request.parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = NameFiltersOf(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace wnd
