// The application's side of a register map that cannot be loaded: one ERROR record in the log
// and one message box, captioned "Corvel".
#include "app/MapLoadReporter.h"

#include "controls/MessageBox.h"
#include "support/AppLogCapture.h"

#include <gtest/gtest.h>
#include <optional>

using corvel::test::AppLogCapture;
using corvel::test::TempDir;

// Example failure: a broken map beside the program is loaded silently, logged at another
// severity or code, shown without the "Corvel" caption, or its non-ASCII reason garbled.
TEST(MapLoadReporter, BrokenOverrideIsLoggedAndShown)
{
    TempDir exeFolder;
    exeFolder.Write("CamDef.Zorvat.MachineVision.xml", "<Camera><Räte></Camera>");
    struct Box {
        QString text, caption;
    };
    std::vector<Box> boxes;
    std::optional<wnd::ScopedMessageBoxHandler> handler;
    handler.emplace([&boxes](const wnd::MessageBoxRequest& box) {
        boxes.push_back({box.text, box.caption.isEmpty() ? wnd::DefaultMessageBoxCaption() : box.caption});
        return wnd::IDOK;
    });
    AppLogCapture log(1, OL_TRACE);
    ASSERT_TRUE(log.Ok());

    CMapLoadReporter reporter;
    EXPECT_EQ(LoadRegisterMapForRow(4, exeFolder.Path(), &reporter), nullptr);
    reporter.LogMapLoadError("XML Load failed: filename=<x> parse error 0x1 at 1:1 :Rätsel");
    handler.reset();

    const std::string path = (exeFolder / "CamDef.Zorvat.MachineVision.xml").string();
    const auto records = log.Records();
    ASSERT_EQ(records.size(), 2u);
    const std::wstring head = L"ERROR: 1; XML Load failed: filename=<" + platform::Utf8ToWide(path) + L"> parse error 0x";
    EXPECT_EQ(records[0].substr(0, head.size()), head) << records[0];
    EXPECT_EQ(records[1], L"ERROR: 1; XML Load failed: filename=<x> parse error 0x1 at 1:1 :R\u00e4tsel");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromStdString("Cannot open|parse XML file \"" + path + "\""));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Corvel"));
}

// Example failure: a map beside the program that parses but is not a well-formed map (another
// root, an attribute twice, an unknown entity, a second root) loads into an empty camera with
// no word to the operator.
TEST(MapLoadReporter, MapsThatAreNotWellFormedAreLoggedAndShown)
{
    const char* const maps[] = {
        "<?xml version=\"1.0\"?>\r\n<Camera><LOCALSPACE/></Camera>\r\n",
        "<CAMERA><LOCALSPACE a=\"1\" a=\"2\"/></CAMERA>",
        "<CAMERA><CameraType>&unknown;</CameraType></CAMERA>",
        "<CAMERA/><CAMERA/>",
    };
    for (const char* text : maps) {
        SCOPED_TRACE(text);
        TempDir exeFolder;
        exeFolder.Write("CamDef.Zorvat.MachineVision.xml", text);
        std::vector<QString> boxes;
        wnd::ScopedMessageBoxHandler handler([&boxes](const wnd::MessageBoxRequest& box) {
            boxes.push_back(box.text);
            return wnd::IDOK;
        });
        AppLogCapture log(1, OL_TRACE);
        ASSERT_TRUE(log.Ok());
        CMapLoadReporter reporter;
        EXPECT_EQ(LoadRegisterMapForRow(4, exeFolder.Path(), &reporter), nullptr);
        const std::string path = (exeFolder / "CamDef.Zorvat.MachineVision.xml").string();
        const auto records = log.Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].rfind(L"ERROR: 1; XML Load failed: filename=<" + platform::Utf8ToWide(path) + L"> parse error 0x", 0), 0u)
            << records[0];
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], QString::fromStdString("Cannot open|parse XML file \"" + path + "\""));
    }
}
