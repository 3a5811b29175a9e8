// The crash handler: when the program dies of a fatal signal it writes a text crash report
// (signal, fault address, back-trace, memory map) named "<program>_YYYYMMDDhhmmss.dmp" into the
// dumps folder, then lets the signal take its normal course. Reports of processes that crash
// at the same time are written one after another through a named lock, and never overwrite
// each other.
#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

namespace platform {

struct CrashHandlerConfig {
    std::filesystem::path dumpsFolder;  // created when the first report is written
    std::string programName;            // base name of the report files
    std::string lockName = "Global\\OrvaneAppIsInCrashingState";
    std::filesystem::path lockFolder;   // empty: the runtime folder
    std::chrono::milliseconds lockWait{5000};
    std::time_t fixedTime = 0;          // tests: the time to name reports by (0: the clock)
};

/// The dumps folder of the program: CommonAppDataPath()/Orvane/Kelmir CameraLink/Dumps/.
std::filesystem::path DefaultDumpsFolder();

/// Installs the handler for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT, on an alternate stack
/// so a stack overflow is reported too. Everything the handler needs is prepared here. A second
/// call replaces the configuration. False when a handler cannot be installed.
bool InstallCrashHandler(const CrashHandlerConfig& config);

/// "<program>_YYYYMMDDhhmmss.dmp" for a local time.
std::string CrashReportFileName(const std::string& programName, const std::tm& localTime);

}  // namespace platform
