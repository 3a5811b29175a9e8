// The icons the windows of the shell ask for: the main window with a camera on the emulated
// library shows each slot's icon, the status icon of the link's state and the program's icon;
// the About box and the warning show theirs. Every id asked for along the way is carried.
#include "app/CAboutDlg.h"
#include "app/CCorvel_5Dlg.h"

#include "controls/CDrawButton.h"
#include "controls/DlgItem.h"
#include "controls/IconResource.h"

#include "MainWindowFixture.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace corvel::test;

/// The icon drawn at side x side; fails the test when it draws nothing.
QImage Picture(const QIcon& icon, int side)
{
    const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) > 0;
    EXPECT_GT(drawn, side * side / 8) << "an empty picture";
    return image;
}

QImage Picture(int id, int side)
{
    return Picture(wnd::LoadIconResource(id), side);
}

/// The picture a label shows, or a null image.
QImage LabelPicture(const QWidget& window)
{
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            return label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    return QImage();
}

class ProgramIconsTest : public MainWindowTest {};

// Example failure: a slot button, the status button or the window shows no icon, the wrong
// one, or one whose id the program does not carry.
TEST_F(ProgramIconsTest, ConnectedWindowShowsTheSlotStatusAndProgramIcons)
{
    emu.SetPortCount(2);
    CCorvel_5Dlg& w = MakeWindow();
    ScriptedSelector selector;
    selector.choices = {PortChoice{CLSER_EMU_PATH, 0, 115200, true}};
    ASSERT_EQ(w.OnInitDialog(&selector), 0);
    ASSERT_TRUE(w.m_bConnected);

    int shown = 0;
    for (int i = 0; i < kPanelSlots; ++i) {
        SCOPED_TRACE(i);
        const CDrawButton* button = w.SlotButton(i);
        if (!w.GetPanel(i))
            continue;
        ASSERT_FALSE(button->m_hIcon.isNull());
        EXPECT_EQ(Picture(button->m_hIcon, button->m_nIconWidth), Picture(kPanelSlotSpecs[i].iconId, 32));
        shown += !button->isHidden();
    }
    EXPECT_GE(shown, 5);

    // The emulated camera acknowledges every frame.
    EXPECT_EQ(w.StatusIconId(), wnd::IDI_STATUS_ACK);
    QPushButton* status = nullptr;
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (wnd::GetDlgCtrlID(b) == CCorvel_5Dlg::IDC_STATUS_BUTTON)
            status = b;
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->size(), QSize(24, 24));
    EXPECT_EQ(Picture(status->icon(), 24), Picture(wnd::IDI_STATUS_ACK, 24));

    // A status other than the acknowledge, then the camera gone.
    w.m_Link.m_nLastStatus = 0x15;
    w.UpdateConnectionIcon();
    EXPECT_EQ(Picture(status->icon(), 24), Picture(wnd::IDI_STATUS_OTHER, 24));
    emu.SetCameraPort(1);  // nothing answers on port 0 any more
    w.OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
    EXPECT_FALSE(w.m_bConnected);
    EXPECT_EQ(Picture(status->icon(), 24), Picture(wnd::IDI_STATUS_NO_CAMERA, 24));

    EXPECT_EQ(Picture(w.windowIcon(), 32), Picture(wnd::IDI_MAIN, 32));
    EXPECT_EQ(Picture(w.GetPanel(0)->windowIcon(), 16), Picture(wnd::IDI_MAIN, 16));

    CAboutDlg about;
    EXPECT_EQ(LabelPicture(about), Picture(wnd::IDI_MAIN, 32));
    ASSERT_NE(w.WarningDialog(), nullptr);
    EXPECT_EQ(LabelPicture(*w.WarningDialog()), Picture(wnd::IDI_WARNING, 32));

    const std::vector<int> missing = wnd::MissingIconRequests();
    EXPECT_TRUE(missing.empty()) << "first id not carried: " << missing.front();
}

// Example failure: an icon the slot table or the status names is not among the resources, so
// its button stays blank on a configuration the other tests do not reach.
TEST(ProgramIconIds, EveryIdTheShellNamesIsCarried)
{
    const std::vector<int> carried = wnd::IconResourceIds();
    std::vector<int> named = {wnd::IDI_MAIN, wnd::IDI_STATUS_ACK, wnd::IDI_STATUS_NO_CAMERA, wnd::IDI_STATUS_OTHER,
                              wnd::IDI_STATE_OFF, wnd::IDI_STATE_NORMAL, wnd::IDI_STATE_LOW, wnd::IDI_STATE_HIGH,
                              wnd::IDI_STOP, wnd::IDI_WARNING};
    for (const PanelSlotSpec& spec : kPanelSlotSpecs)
        named.push_back(spec.iconId);
    for (int id : named) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(std::binary_search(carried.begin(), carried.end(), id));
        Picture(id, 16);
        Picture(id, 32);
    }
}

}  // namespace
