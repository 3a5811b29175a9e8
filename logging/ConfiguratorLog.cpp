#include "ConfiguratorLog.h"

#include "platform/DynamicLibrary.h"
#include "platform/ProcessIds.h"

#include <cstring>

void* GetLogModuleHandle()
{
    static void* const handle = platform::ModuleHandleOf(reinterpret_cast<const void*>(&GetLogModuleHandle));
    return handle;
}

namespace corvel {

bool IsLogRecordNeeded(std::int32_t severity)
{
    return OLIsOwnLogRecordNeeded(kAppLogHandle, severity, GetLogModuleHandle());
}

int OutputLogRecord(const LogSite& site, std::int32_t severity, std::int32_t code, wchar_t* message)
{
    _OwnLogRecord record;
    std::memset(&record, 0, sizeof record);
    record.day = -1;  // OLGetTimeStr stamps the date
    record.processId = platform::CurrentProcessId();
    record.threadId = platform::CurrentThreadId();
    record.moduleName = "Corvel";
    record.moduleHandle = GetLogModuleHandle();
    record.moduleTag = "\"\"";
    record.sourceFile = site.sourceFile;
    record.function = site.function;
    record.line = site.line;
    record.severity = severity;
    record.code = code;
    record.message = message ? message : const_cast<wchar_t*>(L"");
    char* time = OLGetTimeStr(&record);
    record.timeText = time;
    const int result = OLOwnLogOutput(kAppLogHandle, &record);
    OLDestroyInternalStr(&time, message ? &message : nullptr);
    return result;
}

}  // namespace corvel
