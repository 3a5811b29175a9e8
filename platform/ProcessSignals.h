// Signals that should end the program the way its Exit command does, or not end it at all.
// SIGTERM and SIGHUP (a logout, a kill, a closed terminal) are turned into a request that the
// event loop reads from a pipe; SIGXFSZ is ignored, so a write past the file-size limit fails
// with EFBIG instead of killing the program.
#pragma once

namespace platform {

/// Ignores SIGXFSZ for the process.
void IgnoreFileSizeSignal();

/// Catches SIGTERM and SIGHUP: each makes TerminationRequested() true and puts a byte into
/// the pipe whose read end TerminationSignalFd() gives (non-blocking), so an event loop can
/// watch it. Safe to call again. False when the pipe or a handler cannot be set up.
bool InstallTerminationSignals();

/// The pipe's read end, -1 before InstallTerminationSignals.
int TerminationSignalFd();

/// Whether SIGTERM or SIGHUP arrived since the handlers were installed.
bool TerminationRequested();

/// Empties the pipe (the request stays).
void DrainTerminationSignals();

}  // namespace platform
