#include "RecordingTarget.h"

#include "controls/CEditTerm.h"
#include "controls/CNumericEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using corvel::test::RecordingTarget;

namespace {

// A dialog that takes commands, with a default push button that Enter would click.
struct CommandDialog : QDialog, wnd::ICommandTarget {
    std::vector<corvel::test::RecordedMessage> log;
    bool OnCommand(wnd::WPARAM w, wnd::LPARAM l) override
    {
        log.push_back({wnd::WM_COMMAND, w, l});
        return true;
    }
};

struct NumericEditFixture : testing::Test {
    CommandDialog dialog;
    CNumericEdit* edit = new CNumericEdit(&dialog, 1241);
    QPushButton* okButton = new QPushButton("OK", &dialog);

    void SetUp() override
    {
        okButton->setDefault(true);
        okButton->move(0, 40);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        edit->setFocus();
    }
};

// Example failure: Enter in the polling-time field clicks the dialog's default button (or
// closes it) instead of reaching the owner as command (id, 0).
TEST_F(NumericEditFixture, EnterGoesToTheParentAndNotToTheDialog)
{
    QSignalSpy clicked(okButton, &QPushButton::clicked);
    QTest::keyClicks(edit, "250");
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(dialog.log.size(), 1u);
    EXPECT_EQ(dialog.log[0].wParam, 1241u);
    EXPECT_EQ(wnd::WindowFromHandle(dialog.log[0].lParam), edit);
    EXPECT_EQ(edit->text(), "250");
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(dialog.isVisible());
}

// Example failure: with an owner set, Enter still goes to the dialog the edit sits in.
TEST_F(NumericEditFixture, EnterGoesToTheOwnerWhenOneIsSet)
{
    RecordingTarget owner;
    edit->SetOwner(&owner);
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_TRUE(dialog.log.empty());
    ASSERT_EQ(owner.log.size(), 1u);
    EXPECT_EQ(owner.log[0].Id(), 1241u);
    EXPECT_EQ(owner.log[0].Code(), 0u);
}

template <class Edit>
struct CountingTerm : Edit {
    int calls = 0;
    QPoint where;
    void OnContextMenu(QWidget*, QPoint point) override
    {
        ++calls;
        where = point;
    }
};

// Example failure: a right click in the console shows the standard edit menu (Paste into a
// read-only output) instead of calling the overridable operation.
TEST(EditTerm, RightClickCallsTheOperationAndShowsNoMenu)
{
    QWidget window;
    auto* line = new CountingTerm<CEditTerm>();
    line->setParent(&window);
    auto* area = new CountingTerm<CEditTermMultiLine>();
    area->setParent(&window);
    area->move(0, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QContextMenuEvent onLine(QContextMenuEvent::Mouse, QPoint(5, 5), line->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(line, &onLine);
    QContextMenuEvent onArea(QContextMenuEvent::Mouse, QPoint(5, 5), area->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(area->viewport(), &onArea);
    QCoreApplication::processEvents();

    EXPECT_EQ(line->calls, 1);
    EXPECT_EQ(line->where, line->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(area->calls, 1);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // The default operation does nothing either.
    CEditTerm plain(&window, 1242);
    QContextMenuEvent onPlain(QContextMenuEvent::Mouse, QPoint(2, 2), plain.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&plain, &onPlain);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
