// The configurator's log sites, through liborvlog.so as the program uses it.
#include "logging/ConfiguratorLog.h"

#include "platform/DynamicLibrary.h"
#include "support/AppLogCapture.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

using AppLog = corvel::test::AppLogCapture;

int g_evaluated = 0;
int Evaluate()
{
    return ++g_evaluated;
}

}  // namespace

// Example failure: a record lacks the process or thread id, names another module or tag, loses
// the source, function or line of its site, or its message is formatted wrongly.
TEST(ConfiguratorLog, RecordCarriesTheSiteAndTheFormattedMessage)
{
    AppLog log(5, 0);
    ASSERT_TRUE(log.Ok());
    const int line = __LINE__ + 1;
    CORVEL_LOG(OL_ERROR, 1, L"Corvel_5Dlg", "CCorvel_5Dlg::LoadXML", L"XML Load failed: filename=<%ls> parse error 0x%X at %d:%d :%s", L"CamDef.x.xml", 0xC00CE556u, 3, 14, "bad tag");
    const auto records = log.Records();
    ASSERT_EQ(records.size(), 1u);
    const std::wstring& r = records[0];
    const std::wstring ids = L"; PT=" + std::to_wstring(::getpid()) + L":" + std::to_wstring(::syscall(SYS_gettid)) + L";";
    EXPECT_NE(r.find(ids), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"; MN=Corvel,\"\"; "), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"; F=Corvel_5Dlg,CCorvel_5Dlg::LoadXML," + std::to_wstring(line)
                     + L"; SV=ERROR; CD=1; MSG=XML Load failed: filename=<CamDef.x.xml> parse error 0xC00CE556 at 3:14 :bad tag"),
              std::wstring::npos)
        << r;
}

// Example failure: a site below the threshold still formats its message (cost on every poll)
// or writes a record; a site at the threshold is dropped.
TEST(ConfiguratorLog, SitesBelowTheThresholdFormatNothing)
{
    AppLog log(1, OL_TRACE);
    ASSERT_TRUE(log.Ok());
    g_evaluated = 0;
    CORVEL_LOG(OL_DEBUG, 0, L"Corvel_5", "CCorvel_5App::InitInstance", L"debug %d", Evaluate());
    EXPECT_EQ(g_evaluated, 0);
    CORVEL_LOG(OL_TRACE, 0, L"Corvel_5", "CCorvel_5App::InitInstance", L"trace %d", Evaluate());
    EXPECT_EQ(g_evaluated, 1);
    EXPECT_EQ(log.Records(), std::vector<std::wstring>{L"TRACE: 0; trace 1"});
}

// Example failure: a site called before the log is opened (or after it is closed) crashes or
// formats its message for nothing.
TEST(ConfiguratorLog, NoLogMeansNoWork)
{
    g_evaluated = 0;
    CORVEL_LOG(OL_MANDATORY, 0, L"Corvel_5", "CCorvel_5App::InitInstance", L"%d", Evaluate());
    EXPECT_EQ(g_evaluated, 0);
    EXPECT_FALSE(corvel::IsLogRecordNeeded(OL_MANDATORY));
}

// Example failure: records carry a null or a per-call module handle, so module links miss them.
TEST(ConfiguratorLog, ModuleHandleIsTheProgramsOwn)
{
    void* handle = GetLogModuleHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle, platform::ModuleHandleOf(reinterpret_cast<const void*>(&Evaluate)));
    EXPECT_EQ(handle, GetLogModuleHandle());
}
