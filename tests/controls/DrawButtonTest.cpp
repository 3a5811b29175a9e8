#include "RecordingTarget.h"

#include "controls/CDrawButton.h"
#include "controls/WindowIds.h"

#include <QTest>
#include <gtest/gtest.h>

#include <vector>

using corvel::test::RecordingTarget;

namespace {

struct SlotButton : testing::Test {
    RecordingTarget mainWindow;
    CDrawButton* button = nullptr;

    void Make(int id)
    {
        button = new CDrawButton(&mainWindow, id);
        button->setText("Gain / Offset");
        button->setGeometry(0, 0, 160, 40);
        mainWindow.resize(200, 60);
        mainWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    }
};

// Example failure: the main window hears the click before the latch changes and opens the
// panel on the old state, or the click is not forwarded at all.
TEST_F(SlotButton, ClicksLatchAndReleaseBeforeTheMainWindowHears)
{
    Make(1423);
    std::vector<bool> latchSeen;
    mainWindow.onCommand = [&](wnd::WPARAM, wnd::LPARAM) { latchSeen.push_back(button->m_bLatched); };
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(button->m_bLatched);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->m_bLatched);
    EXPECT_EQ(latchSeen, (std::vector<bool>{true, false}));
    ASSERT_EQ(mainWindow.log.size(), 2u);
    EXPECT_EQ(mainWindow.log[0].Id(), 1423u);
    EXPECT_EQ(mainWindow.log[0].Code(), wnd::BN_CLICKED);
    EXPECT_EQ(wnd::WindowFromHandle(mainWindow.log[0].lParam), button);
    EXPECT_EQ(button->m_strTitle, "Gain / Offset");
}

// Example failure: a panel hidden with Esc sends 0x7000 but the button stays latched, or a
// release of an unlatched button latches it.
TEST_F(SlotButton, PanelClosedCommandReleases)
{
    Make(1424);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(button->m_bLatched);
    EXPECT_FALSE(wnd::SendCommand(button, wnd::ID_PANEL_CLOSED, 0));
    EXPECT_FALSE(button->m_bLatched);
    wnd::SendCommand(button, wnd::ID_PANEL_CLOSED, 0);
    EXPECT_FALSE(button->m_bLatched);
    wnd::SendCommand(button, wnd::MakeWParam(1500, 0), 0);
    EXPECT_FALSE(button->m_bLatched);
}

// Example failure: the workspace button latches like a slot button.
TEST_F(SlotButton, WorkspaceButtonNeverLatches)
{
    Make(wnd::IDC_WORKSPACE_BUTTON);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->m_bLatched);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->m_bLatched);
    EXPECT_EQ(mainWindow.log.size(), 2u);
}

}  // namespace
