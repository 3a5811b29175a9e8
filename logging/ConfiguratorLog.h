// Log sites of the configurator. Every record goes to the application log (handle 0) the same
// way: ask the library whether the severity is needed, and only then fill the record (process
// and thread id, module "Corvel", source, "Class::Method", line), format the message, stamp the
// time, write it and hand both strings back to the library. CORVEL_LOG does all of that, so a
// site that is not needed costs one call and formats nothing.
//
//   CORVEL_LOG(OL_ERROR, 1, L"Corvel_5Dlg", "CCorvel_5Dlg::LoadXML", L"XML Load failed: %ls", path);
//
// Formats follow this platform's conventions (%ls for wide text, %s for narrow text).
#pragma once

#include "logging/OrvLog.h"

#include <cstdint>

/// The configurator's log handle.
inline constexpr OLHandle kAppLogHandle = 0;

/// The module handle every log record of the program carries: the load base of the module this
/// code is linked into (the program itself), taken once and cached.
void* GetLogModuleHandle();

namespace corvel {

/// Where a record comes from: the source name ("Corvel_5") and "Class::Method".
struct LogSite {
    const wchar_t* sourceFile;
    const char* function;
    std::int32_t line;
};

/// True when a record of this severity would reach a channel of the application log.
bool IsLogRecordNeeded(std::int32_t severity);

/// Fills the record, stamps the time, writes it and releases `message` (made by OLGetErrorStrW;
/// null writes an empty message). Returns OLOwnLogOutput's result.
int OutputLogRecord(const LogSite& site, std::int32_t severity, std::int32_t code, wchar_t* message);

}  // namespace corvel

/// One log record of the configurator; the format arguments are evaluated only when needed.
#define CORVEL_LOG(severity, code, sourceFile, function, ...)                                     \
    do {                                                                                          \
        if (::corvel::IsLogRecordNeeded(severity))                                                \
            ::corvel::OutputLogRecord(::corvel::LogSite{sourceFile, function, __LINE__}, severity, \
                                      code, ::OLGetErrorStrW(__VA_ARGS__));                       \
    } while (0)
