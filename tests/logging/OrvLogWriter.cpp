// A program that logs through liborvlog.so, for the tests that need a process of their own:
//   writer golden                      the configurator's start-up, records and close
//   writer unclosed                    opens the log, writes a record, exits without closing
//   writer write <tag> <count> <flush> appends <count> records to shared.txt
//   writer crash <abort|exit|segv>     logs one record of each severity, then dies that way
//   writer hold <count> [tag]          logs <count> records, creates "ready<tag>" and keeps the
//                                      log open until "release" exists
// The folder comes from ORVLOG_TEST_FOLDER.
#include "logging/OrvLog.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::wstring Folder()
{
    const char* folder = std::getenv("ORVLOG_TEST_FOLDER");
    std::wstring wide;
    for (const char* p = folder ? folder : "."; *p; ++p)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return wide + L"/";
}

// One log site as the configurator writes it; the message comes from OLGetErrorStrW.
void LogSite(int severity, int code, wchar_t* message)
{
    if (!OLIsOwnLogRecordNeeded(0, severity, nullptr)) {
        OLDestroyInternalStr(nullptr, &message);
        return;
    }
    _OwnLogRecord record;
    std::memset(&record, 0, sizeof record);
    record.severity = 5;
    record.code = -1;
    record.day = -1;
    char* time = OLGetTimeStr(&record);
    record.processId = static_cast<int32_t>(::getpid());
    record.threadId = static_cast<int32_t>(::gettid());
    record.moduleName = "Corvel";
    record.moduleTag = "\"\"";
    record.sourceFile = L"Corvel_5.cpp";
    record.function = "CCorvel_5App::InitInstance";
    record.line = 210;
    record.severity = severity;
    record.code = code;
    record.timeText = time;
    record.message = message;
    OLOwnLogOutput(0, &record);
    OLDestroyInternalStr(&time, &message);
}

int Golden()
{
    if (OLInitOwnLogW(0, L"Corvel", Folder().c_str(), true, false, 0, 1, 1) != 0)
        return 2;
    OLSetOwnLogSeverityThreshold(0, 7, 1);
    OLSetOwnLogSeverityThreshold(0, 1, 2);
    OLSetOwnLogSeverityThreshold(0, 1, 3);
    LogSite(1, -1, OLGetErrorStrW(L"============  Version %d.%d.%d  ===========", 5, 0, 0));
    LogSite(0, 0, OLGetErrorStrW(L"not needed: below the threshold"));
    LogSite(4, 1, OLGetErrorStrW(L"Can't load register map \"CamDef.%ls.xml\"", L"Zorvat"));
    LogSite(1, 0, OLGetErrorStrW(L"Temperature %.1f \u00b0C, sensor \U0001F321", 45.5));
    OLCloseOwnLog(0);
    return 0;
}

int Unclosed()
{
    if (OLInitOwnLogW(0, L"unclosed", Folder().c_str(), true, false, 0, 2, 0) != 0)
        return 2;
    LogSite(5, 0, OLGetErrorStrW(L"buffered at exit"));
    return 0;
}

int WriteShared(const char* tag, int count, bool flush)
{
    if (OLInitOwnLogW(0, L"shared", Folder().c_str(), false, false, 0, 4, 0) != 0)
        return 2;
    OLSetOwnLogSeverityThreshold(0, 0, 2);
    OLSetOwnLogFileBuffering(0, flush ? 0 : 1);
    const std::wstring padding(150, L'x');
    for (int i = 0; i < count; ++i)
        LogSite(2, i, OLGetErrorStrW(L"writer %s record %d %ls", tag, i, padding.c_str()));
    OLCloseOwnLog(0);
    return 0;
}

int Crash(const std::string& how)
{
    if (OLInitOwnLogW(0, L"crash", Folder().c_str(), true, false, 0, 2, 0) != 0)
        return 2;
    OLSetOwnLogSeverityThreshold(0, 0, 2);
    for (int severity = 0; severity <= 6; ++severity)
        LogSite(severity, severity, OLGetErrorStrW(L"severity %d before %hs", severity, how.c_str()));
    if (how == "abort")
        std::abort();
    if (how == "exit")
        ::_exit(3);
    if (how == "segv")
        ::raise(SIGSEGV);
    return 1;
}

int Hold(int count, const std::string& tag)
{
    if (OLInitOwnLogW(0, L"held", Folder().c_str(), true, false, 0, 2, 0) != 0)
        return 2;
    OLSetOwnLogSeverityThreshold(0, 0, 2);
    for (int i = 0; i < count; ++i)
        LogSite(i % 4, i, OLGetErrorStrW(tag.empty() ? L"held record %d" : L"held record %d of %hs", i, tag.c_str()));
    const std::filesystem::path folder = std::getenv("ORVLOG_TEST_FOLDER");
    std::ofstream(folder / ("ready" + tag + ".tmp")).close();
    std::filesystem::rename(folder / ("ready" + tag + ".tmp"), folder / ("ready" + tag));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!std::filesystem::exists(folder / "release")) {
        if (std::chrono::steady_clock::now() > deadline)
            return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    OLCloseOwnLog(0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "golden")
        return Golden();
    if (mode == "unclosed")
        return Unclosed();
    if (mode == "crash" && argc == 3)
        return Crash(argv[2]);
    if (mode == "hold" && (argc == 3 || argc == 4))
        return Hold(std::atoi(argv[2]), argc == 4 ? argv[3] : "");
    if (mode == "write" && argc == 5)
        return WriteShared(argv[2], std::atoi(argv[3]), std::atoi(argv[4]) != 0);
    return 1;
}
