// Open and save file dialogs with the classic filter strings ("Registry Files(*.rgs)|*.rgs||"):
// the caller gets the chosen path, or nothing when the operator cancelled. Tests install a
// handler that answers instead of showing a window.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace wnd {

struct FileDialogRequest {
    bool save = false;        ///< a save dialog asks before it overwrites; an open dialog does not
    QString title;
    QString filter;           ///< "Description|pattern|...|" as the classic dialogs take it
    QString defaultSuffix;    ///< added to a typed name without one ("rgs"); empty: none
    QString initialName;
    QWidget* parent = nullptr;
};

using FileDialogHandler = std::function<std::optional<QString>(const FileDialogRequest&)>;

/// Replaces the handler that answers every file dialog (empty: show real dialogs). Returns the
/// old one.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

/// Runs the dialog, modal to its parent's window. The chosen path, or nothing on Cancel.
std::optional<QString> ShowFileDialog(const FileDialogRequest& request);

/// The name filters of a classic filter string: "Registry Files(*.rgs)|*.rgs||" gives
/// "Registry Files(*.rgs)"; a description that does not show its patterns gets them appended
/// in parentheses. Pairs without a pattern are dropped.
QStringList NameFiltersOf(const QString& filter);

class ScopedFileDialogHandler {
public:
    explicit ScopedFileDialogHandler(FileDialogHandler handler) : previous_(SetFileDialogHandler(std::move(handler))) {}
    ~ScopedFileDialogHandler() { SetFileDialogHandler(std::move(previous_)); }
    ScopedFileDialogHandler(const ScopedFileDialogHandler&) = delete;
    ScopedFileDialogHandler& operator=(const ScopedFileDialogHandler&) = delete;

private:
    FileDialogHandler previous_;
};

}  // namespace wnd
