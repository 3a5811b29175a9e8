#include "RecordingTarget.h"

#include "camera/LinkFixture.h"
#include "controls/CDrawButton.h"
#include "controls/CEdit.h"
#include "controls/COptionDialog.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "controls/WindowIds.h"

#include <QApplication>
#include <QMoveEvent>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using corvel::test::MemorySettings;
using corvel::test::RecordingTarget;

namespace {

enum : int { kEdit1 = 1001, kEdit2 = 1002, kButton = 1003, kSlotButton = 1423 };

class TestPanel : public COptionDialog {
public:
    using COptionDialog::COptionDialog;
    using COptionDialog::CanRefresh;
    using COptionDialog::ListenTo;
    using COptionDialog::WriteParamInt;

    std::vector<wnd::WPARAM> commands;
    std::vector<std::string> heard;
    std::vector<bool> activatingSeen;  ///< m_bActivating as the controls saw their activation
    int clicks = 0;
    bool preInitBeforeExchange = false;
    bool preInitDone = false;

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override
    {
        commands.push_back(wParam);
        return COptionDialog::OnCommand(wParam, lParam);
    }
    void OnParamChanged(const _OrvStParam* param) override { heard.push_back(param->name); }
    bool OnPreInitDialog() override
    {
        preInitDone = true;
        return true;
    }

protected:
    void BuildTemplate() override
    {
        auto* e1 = new CEdit(this, kEdit1);
        e1->setGeometry(10, 10, 80, 22);
        auto* e2 = new CEdit(this, kEdit2);
        e2->setGeometry(10, 40, 80, 22);
        auto* button = new QPushButton("Apply", this);
        wnd::SetDlgCtrlID(button, kButton);
        button->setGeometry(10, 70, 80, 24);
        connect(button, &QPushButton::clicked, this, [this] { ++clicks; });
        new ActivationProbe(this);
        resize(200, 120);
    }

    // The window base hands activation on to the panel's controls; one of them notes the flag.
    class ActivationProbe : public QWidget {
    public:
        explicit ActivationProbe(TestPanel* panel) : QWidget(panel), panel_(panel) { setGeometry(0, 0, 1, 1); }
        bool event(QEvent* e) override
        {
            if (e->type() == QEvent::WindowActivate)
                panel_->activatingSeen.push_back(panel_->m_bActivating);
            return QWidget::event(e);
        }

    private:
        TestPanel* panel_;
    };
    void DoDataExchange(bool) override { preInitBeforeExchange = preInitDone; }
};

struct PanelFixture : testing::Test {
    RecordingTarget mainWindow;
    CDrawButton* slotButton = new CDrawButton(&mainWindow, kSlotButton);
    MemorySettings settings;
    CCameraLink link{&settings};
    std::unique_ptr<TestPanel> panel;

    void SetUp() override
    {
        mainWindow.setGeometry(100, 100, 300, 400);
        slotButton->setGeometry(10, 60, 160, 40);
        mainWindow.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
        panel = MakePanel();
        panel->SetOwnerButton(slotButton);
    }
    std::unique_ptr<TestPanel> MakePanel()
    {
        auto p = std::make_unique<TestPanel>(221, &mainWindow, &link);
        p->Create(221, nullptr);
        return p;
    }
    void ShowActive(QWidget* w)
    {
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    std::vector<corvel::test::RecordedMessage> PanelClosedToMain() const
    {
        std::vector<corvel::test::RecordedMessage> out;
        for (const auto& m : mainWindow.Of(wnd::WM_COMMAND))
            if (m.wParam == wnd::ID_PANEL_CLOSED)
                out.push_back(m);
        return out;
    }
    int MainRight() const { return mainWindow.frameGeometry().x() + mainWindow.frameGeometry().width(); }
    int ButtonTop() const { return wnd::GetWindowRect(slotButton).y(); }
};

// Example failure: the panel is created with the main window as parent (it can never lie
// below the main window), OnPreInitDialog runs after the data exchange, or a panel's push
// button stays a default button that Enter would click.
TEST_F(PanelFixture, CreateBuildsATopLevelPanelInOrder)
{
    EXPECT_TRUE(panel->isWindow());
    EXPECT_EQ(panel->parentWidget(), nullptr);
    EXPECT_TRUE(panel->preInitBeforeExchange);
    auto* button = qobject_cast<QPushButton*>(panel->GetDlgItem(kButton));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->autoDefault());
    EXPECT_FALSE(panel->testAttribute(Qt::WA_QuitOnClose)) << "closing a panel must not end the program";
    EXPECT_EQ(panel->GetDlgItem(4242), nullptr);
    EXPECT_EQ(panel->m_nIndex, -1);
    EXPECT_TRUE(panel->m_bDocked);
}

// Example failure: Enter closes the panel or clicks its button, or the edit's value is not
// committed because the focus stays.
TEST_F(PanelFixture, EnterMovesTheFocusAndCommitsTheEdit)
{
    ShowActive(panel.get());
    QWidget* e1 = panel->GetDlgItem(kEdit1);
    QWidget* e2 = panel->GetDlgItem(kEdit2);
    e1->setFocus();
    QTest::keyClicks(e1, "12");
    QTest::keyClick(e1, Qt::Key_Return);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), e2);
    EXPECT_EQ(panel->commands, (std::vector<wnd::WPARAM>{wnd::MakeWParam(kEdit1, wnd::EN_KILLFOCUS)}));

    QWidget* button = panel->GetDlgItem(kButton);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->clicks, 0);
    EXPECT_NE(QApplication::focusWidget(), button);
}

// Example failure: Esc tells the main window too (it closes the slot), or leaves the button
// latched, or destroys the panel.
TEST_F(PanelFixture, EscHidesAndReleasesOnlyTheButton)
{
    QTest::mouseClick(slotButton, Qt::LeftButton);
    ASSERT_TRUE(slotButton->m_bLatched);
    mainWindow.log.clear();
    ShowActive(panel.get());
    QTest::keyClick(panel->GetDlgItem(kEdit1), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(slotButton->m_bLatched);
    EXPECT_TRUE(PanelClosedToMain().empty());
    ShowActive(panel.get());
    EXPECT_EQ(panel->GetDlgItem(kEdit1)->parentWidget(), panel.get()) << "hiding keeps the panel and its controls";
}

// Example failure: the close box releases the button but the main window never hears which
// slot closed, or hears the panel's id instead of the button's.
TEST_F(PanelFixture, CloseBoxTellsButtonAndMainWindow)
{
    QTest::mouseClick(slotButton, Qt::LeftButton);
    mainWindow.log.clear();
    ShowActive(panel.get());
    panel->close();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(slotButton->m_bLatched);
    auto closed = PanelClosedToMain();
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].lParam, kSlotButton);

    auto loose = MakePanel();
    mainWindow.log.clear();
    ShowActive(loose.get());
    loose->close();
    closed = PanelClosedToMain();
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].lParam, 0) << "without a button: the panel's own id";
}

// Example failure: an empty message opens an empty box, the default caption is missing, the
// flags are lost, or wide texts lose characters on the way.
TEST_F(PanelFixture, ShowMessageRules)
{
    std::vector<wnd::MessageBoxRequest> shown;
    wnd::ScopedMessageBoxHandler hook([&](const wnd::MessageBoxRequest& r) {
        shown.push_back(r);
        return wnd::IDYES;
    });
    EXPECT_EQ(panel->ShowMessageA("", "Caption", 0), -1);
    EXPECT_EQ(panel->ShowMessageA(nullptr, nullptr, 0), -1);
    EXPECT_EQ(panel->ShowMessageW(L"", nullptr, 0), -1);
    EXPECT_TRUE(shown.empty());

    EXPECT_EQ(panel->ShowMessageA("Write refused", "", 0x42030), wnd::IDYES);
    EXPECT_EQ(panel->ShowMessageW(L"Temp\u00e9rature \u2103", nullptr, 0x42000), wnd::IDYES);
    EXPECT_EQ(panel->ShowMessageA("Text", "Lens", wnd::MB_YESNO), wnd::IDYES);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "Write refused");
    EXPECT_EQ(shown[0].caption, "Corvel");
    EXPECT_EQ(shown[0].flags, 0x42030u);
    EXPECT_EQ(shown[0].parent, nullptr) << "no owner window";
    EXPECT_EQ(shown[1].text, QString::fromUtf8("Temp\u00e9rature \u2103"));
    EXPECT_EQ(shown[1].caption, "Corvel");
    EXPECT_EQ(shown[2].caption, "Lens");
}

// Example failure: the activation list grows with every activation, or the index is not moved
// at all, or the activation handling runs without the activating flag set.
TEST_F(PanelFixture, ActivationMovesTheSlotToTheBackOnce)
{
    ctl::ActivationList list{2, 7};
    auto other = MakePanel();
    panel->SetActivationList(&list, 2);
    other->SetActivationList(&list, 5);
    EXPECT_EQ(list, (ctl::ActivationList{7, 2, 5}));
    ShowActive(panel.get());
    ShowActive(other.get());
    ShowActive(panel.get());
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(std::vector<int>(list.end() - 2, list.end()), (std::vector<int>{5, 2}));
    EXPECT_EQ(std::count(list.begin(), list.end(), 2), 1);
    ASSERT_FALSE(panel->activatingSeen.empty());
    for (bool seen : panel->activatingSeen)
        EXPECT_TRUE(seen);
    EXPECT_FALSE(panel->m_bActivating);
}

// Example failure: the panel docks 16 pixels away, or not at 15, or snaps to the main
// window's top instead of its slot button's.
TEST_F(PanelFixture, DockingSnapsAtFifteenPixelsNotSixteen)
{
    const unsigned flags = wnd::SWP_NOSIZE | wnd::SWP_NOZORDER | wnd::SWP_NOACTIVATE;
    panel->show();
    wnd::SetWindowPos(panel.get(), MainRight() + 15, ButtonTop() + slotButton->height(), flags);
    EXPECT_EQ(panel->pos(), QPoint(MainRight(), ButtonTop()));
    EXPECT_TRUE(panel->m_bDocked);

    wnd::SetWindowPos(panel.get(), MainRight() + 16, ButtonTop(), flags);
    EXPECT_EQ(panel->pos(), QPoint(MainRight() + 16, ButtonTop()));
    EXPECT_FALSE(panel->m_bDocked);

    wnd::SetWindowPos(panel.get(), MainRight() - 15, ButtonTop() + slotButton->height() + 1, flags);
    EXPECT_FALSE(panel->m_bDocked);

    // Without a button the main window's own rectangle is the reference.
    auto loose = MakePanel();
    loose->show();
    wnd::SetWindowPos(loose.get(), MainRight() + 3, mainWindow.frameGeometry().y() + 350, flags);
    EXPECT_EQ(loose->pos(), QPoint(MainRight(), mainWindow.frameGeometry().y()));
    EXPECT_TRUE(loose->m_bDocked);
}

// Example failure: a panel dragged by the operator near the edge neither snaps nor docks,
// because only moves made by the program run the rule.
TEST_F(PanelFixture, WindowSystemMovesRunTheRuleToo)
{
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    struct Row {
        int dx, dy;
        bool docked;
    };
    for (const Row r : {Row{10, 5, true}, Row{16, 0, false}, Row{-14, -30, true}}) {
        SCOPED_TRACE(r.dx);
        const QPoint old = panel->pos();
        const QPoint to(MainRight() + r.dx, ButtonTop() + r.dy);
        panel->move(to);
        QMoveEvent drag(to, old);
        QSpontaneKeyEvent::setSpontaneous(&drag);
        qApp->notify(panel.get(), &drag);
        // The window system reports the moves back one by one; the snap lands once they are in.
        const QPoint expected = r.docked ? QPoint(MainRight(), ButtonTop()) : to;
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->pos() == expected; }, 2000));
        QApplication::processEvents();
        EXPECT_EQ(panel->pos(), expected);
        EXPECT_EQ(panel->m_bDocked, r.docked);
    }
}

// Example failure: MoveDocked with a batch moves at once or leaves the frame allowance in the
// final position; without a batch it does not move; CheckDocked undocks a floating panel's
// flag or fails to dock one at the docking place.
TEST_F(PanelFixture, MoveDockedAndCheckDocked)
{
    panel->show();
    const unsigned flags = wnd::SWP_NOSIZE | wnd::SWP_NOZORDER | wnd::SWP_NOACTIVATE;
    wnd::SetWindowPos(panel.get(), 700, 700, flags);
    ASSERT_FALSE(panel->m_bDocked);

    wnd::CDeferWindowPos batch;
    EXPECT_EQ(panel->MoveDocked(&batch), &batch);
    EXPECT_EQ(batch.Count(), 1u);
    EXPECT_EQ(panel->pos(), QPoint(700, 700)) << "nothing moves before the batch ends";
    batch.End();
    EXPECT_EQ(panel->pos(), QPoint(MainRight(), ButtonTop()));
    EXPECT_TRUE(panel->m_bDocked);

    mainWindow.move(mainWindow.pos() + QPoint(40, 25));
    EXPECT_EQ(panel->MoveDocked(nullptr), nullptr);
    EXPECT_EQ(panel->pos(), QPoint(MainRight(), ButtonTop()));

    panel->m_bDocked = true;
    panel->move(10, 10);
    panel->CheckDocked();
    EXPECT_TRUE(panel->m_bDocked) << "CheckDocked never undocks";
    panel->m_bDocked = false;
    panel->move(MainRight() + 15, ButtonTop() - 20);
    panel->CheckDocked();
    EXPECT_TRUE(panel->m_bDocked);
}

// Records what a listener hears, standing in for another panel or the camera-information
// dialog.
struct Listener : OrvParamListener {
    std::vector<std::pair<std::string, std::int64_t>> heard;
    void OnParamChanged(const _OrvStParam* p) override { heard.emplace_back(p->name, p->value.n); }
};

std::vector<std::pair<std::string, std::int64_t>> g_writes;
int PingOk = 0;

int RecordWrite(std::uint32_t, _OrvStParam* p)
{
    g_writes.emplace_back(p->name, p->value.n);
    return 0;
}

int PingRead(std::uint32_t, _OrvStParam*)
{
    ++PingOk;
    return 0;
}

void AddParam(CCameraLink& link, const char* name, int type = OrvParam_Int)
{
    _OrvStParam p{};
    p.type = type;
    p.access = OrvParam_ReadWrite;
    std::strcpy(p.name, name);
    p.write = RecordWrite;
    if (std::strcmp(name, "Ping") == 0)
        p.read = PingRead;
    link.AddParam(p);
}

// Example failure: the panel hears its own write (and writes it back), other listeners do not
// hear it, the panel is left unregistered after the write, or an offline camera is written.
TEST_F(PanelFixture, WritePatternSkipsOnlyThePanelItself)
{
    g_writes.clear();
    AddParam(link, "Gain");
    Listener other;
    link.AddParamChangedListener("Gain", &other);
    panel->ListenTo("Gain");
    panel->ListenTo("Gain");

    EXPECT_EQ(panel->WriteParamInt("Gain", 5), link_result::kOffline);
    EXPECT_TRUE(g_writes.empty());
    EXPECT_TRUE(other.heard.empty());

    link.GoOnline();
    EXPECT_EQ(panel->WriteParamInt("Gain", 5, true), 0);
    EXPECT_EQ(g_writes, (std::vector<std::pair<std::string, std::int64_t>>{{"Gain", 5}}));
    EXPECT_EQ(other.heard, (std::vector<std::pair<std::string, std::int64_t>>{{"Gain", 5}}));
    EXPECT_TRUE(panel->heard.empty());

    link.SetParamIntIfOnline("Gain", 9, true, false);
    EXPECT_EQ(panel->heard, (std::vector<std::string>{"Gain"})) << "registered again, once";
    EXPECT_EQ(panel->WriteParamInt(nullptr, 1), -1);
}

// Example failure: a panel refreshes from an absent camera (every read fails and shows 0), or
// checks the camera again although the link is known to be alive.
TEST_F(PanelFixture, RefreshGuard)
{
    TestPanel noStore(221, &mainWindow, nullptr);
    EXPECT_FALSE(noStore.CanRefresh());

    EXPECT_FALSE(panel->CanRefresh()) << "not alive, and no Ping to check with";
    PingOk = 0;
    AddParam(link, "Ping", OrvParam_Bool);
    EXPECT_TRUE(panel->CanRefresh());
    EXPECT_EQ(PingOk, 1);
    EXPECT_EQ(link.m_bLinkAlive, 1);
    EXPECT_TRUE(panel->CanRefresh());
    EXPECT_EQ(PingOk, 1) << "a live link is not checked again";
}

// Example failure: a deleted panel stays registered and the next notice calls a dead object
// (caught by the sanitizer build).
TEST_F(PanelFixture, DeletedPanelLeavesTheStore)
{
    link.GoOnline();
    AddParam(link, "Gain");
    Listener other;
    link.AddParamChangedListener("Gain", &other);
    panel->ListenTo("Gain");
    panel.reset();
    link.SetParamIntIfOnline("Gain", 3, true, false);
    EXPECT_EQ(other.heard.size(), 1u);
}

// Example failure: the panel keeps the first document after a configuration change, or does
// not take the camera's variant tag with it.
TEST_F(PanelFixture, SetXmlNodeKeepsTheDocumentAndTheVariantTag)
{
    constexpr char kMap[] = "<CAMERA><A/></CAMERA>";
    RegisterMapPtr first = RegisterMap::LoadBuffer(kMap, sizeof kMap - 1, "first");
    RegisterMapPtr second = RegisterMap::LoadBuffer(kMap, sizeof kMap - 1, "second");
    std::memcpy(link.m_nVariantTag, "K47A", 4);
    panel->SetXmlNode(first);
    EXPECT_EQ(panel->m_pXmlDoc, first);
    EXPECT_EQ(std::string(panel->m_nVariantTag, 4), "K47A");
    panel->SetXmlNode(second);
    EXPECT_EQ(panel->m_pXmlDoc, second);
    EXPECT_EQ(first.use_count(), 1) << "the old document is released";
}

}  // namespace
