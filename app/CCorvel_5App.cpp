#include "CCorvel_5App.h"

#include "CorvelVersion.h"
#include "logging/ConfiguratorLog.h"
#include "platform/Paths.h"
#include "platform/ProcessSignals.h"
#include "platform/ProfileSettings.h"
#include "platform/TextConv.h"

#include <cwchar>

#ifndef CORVEL_VERSION_TWEAK
#define CORVEL_VERSION_TWEAK 0
#endif

namespace {

constexpr wchar_t kSource[] = L"Corvel_5";
constexpr char kInitInstance[] = "CCorvel_5App::InitInstance";

}  // namespace

FileVersion ProgramFileVersion()
{
    return {CORVEL_VERSION_MAJOR, CORVEL_VERSION_MINOR, CORVEL_VERSION_PATCH, CORVEL_VERSION_TWEAK};
}

std::wstring VersionText(const FileVersion& v)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"Version %d.%d.%d.%d", v.major, v.minor, v.build, v.revision);
    return text;
}

platform::CrashHandlerConfig ProgramCrashHandlerConfig()
{
    platform::CrashHandlerConfig config;
    config.dumpsFolder = platform::DefaultDumpsFolder();
    std::error_code ec;
    config.programName = std::filesystem::read_symlink("/proc/self/exe", ec).stem().string();
    if (config.programName.empty())
        config.programName = "corvel";
    return config;
}

CCorvel_5App::CCorvel_5App() : CCorvel_5App(Services{}) {}

CCorvel_5App::CCorvel_5App(Services services) : services_(std::move(services)) {}

CCorvel_5App::~CCorvel_5App()
{
    OLCloseOwnLog(kAppLogHandle);
}

bool CCorvel_5App::InitInstance()
{
    // A write past the file-size limit fails (and loses that record or setting) instead of
    // killing the program.
    platform::IgnoreFileSizeSignal();

    if (services_.initOle && !services_.initOle()) {
        if (services_.showMessage)
            services_.showMessage(kOleInitFailedText);
        return false;
    }

    // Data folder and the settings file in it; failures are ignored, the program runs on.
    const std::filesystem::path folder = platform::GetAppDataFolder();
    platform::ProfileSettings::Application().SetFile(folder / "Corvel.ini");

    // The log file is emptied at each start and not dated; the file and the debugger output
    // take TRACE and above, the system channel stays shut.
    OLInitOwnLogW(kAppLogHandle, L"Corvel", platform::Utf8ToWide(folder.string()).c_str(), true, false, 0, 1, 1);
    OLSetOwnLogSeverityThreshold(kAppLogHandle, 7, OL_CHANNEL_SYSTEM);
    OLSetOwnLogSeverityThreshold(kAppLogHandle, 1, OL_CHANNEL_FILE);
    OLSetOwnLogSeverityThreshold(kAppLogHandle, 1, OL_CHANNEL_IDE);

    // A settings file that cannot be read or written is said once in the log.
    platform::ProfileSettings::SetProblemReporter([](const std::string& text) {
        CORVEL_LOG(OL_WARNING, 1, kSource, "ProfileSettings", L"%ls", platform::Utf8ToWide(text).c_str());
    });

    LogVersionBanner();

    // The crash lock needs no creation: the handler takes its lock file when it reports.
    if (services_.installCrashHandler)
        services_.installCrashHandler(ProgramCrashHandlerConfig());

    if (services_.runMainWindow)
        services_.runMainWindow();
    return false;
}

void CCorvel_5App::LogVersionBanner()
{
    if (!services_.version)
        return;
    const std::wstring text = VersionText(*services_.version);
    CORVEL_LOG(OL_TRACE, -1, kSource, kInitInstance, L"============  %ls  ===========", text.c_str());
}
