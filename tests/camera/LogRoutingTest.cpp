#include "camera/CXmlNodeValue.h"
#include "camera/LinkLog.h"
#include "support/AppLogCapture.h"

#include <gtest/gtest.h>

using corvel::test::AppLogCapture;

// Example failure: the camera link's trace lines and a malformed map's warnings are dropped
// unless somebody installs a sink, so the application log never shows them.
TEST(LogRouting, LinkTracesAndMapWarningsReachTheApplicationLog)
{
    AppLogCapture log(1, OL_TRACE);
    ASSERT_TRUE(log.Ok());
    camera::LinkLog("CCameraLink::Read", "read: %u byte(s) 0x%s", 3u, "520601");
    const char map[] = "<CAMERA><LOCALSPACE><Gain><step>1,5</step></Gain></LOCALSPACE></CAMERA>";
    auto document = RegisterMap::LoadBuffer(map, sizeof map - 1, "broken-map");
    ASSERT_TRUE(document);
    EXPECT_DOUBLE_EQ(document->Select("CAMERA/LOCALSPACE/Gain/step").AsDouble(), 0.0);

    const auto records = log.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], L"TRACE: 0; read: 3 byte(s) 0x520601");
    EXPECT_EQ(records[1].rfind(L"ERROR: -1; Register map broken-map: CAMERA/LOCALSPACE/Gain/step = '1,5'", 0), 0u)
        << platform::WideToUtf8(records[1]);
}
