// Programs and documents the main window hands to the desktop: the operator's external
// program (Run Application) and the help file. Tests install a handler that records the
// requests instead of starting anything.
#pragma once

#include <functional>
#include <string>

struct LaunchRequest {
    enum Kind { Program, Document } kind = Program;
    std::string path;
};

using LaunchHandler = std::function<bool(const LaunchRequest&)>;

/// Replaces the handler (empty: start for real). Returns the old one.
LaunchHandler SetLaunchHandler(LaunchHandler handler);

/// A regular file (after links) that this user may execute.
bool IsRunnableProgram(const std::string& path);
/// Starts the program detached, without arguments. False when it could not be started.
bool RunExternalProgram(const std::string& path);
/// Opens a document with the desktop's viewer for its type. False when none could.
bool OpenDocument(const std::string& path);
