// A feature panel of one class, shown in its slot and driven as the operator drives it: typing
// into edits, picking combo items with the keyboard, clicking, pressing spin arrows; with the
// checks the image panels' tests share (one write of a coded value, layout snapshots).
#pragma once

#include "PanelFixture.h"

#include "camera/RegisterLink.h"
#include "catalogues/CatalogueTable.h"
#include "controls/DlgItem.h"
#include "controls/MouseDrive.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <map>
#include <utility>
#include <vector>

namespace corvel::test {

template <class Panel>
class PanelDriveTest : public PanelTest {
protected:
    /// The panel of `slot` on a camera of configuration `config`, shown and active.
    Panel* Open(int config, int slot = 4)
    {
        OpenOnCamera(config);
        return Show(slot);
    }

    Panel* Show(int slot = 4)
    {
        panel = dynamic_cast<Panel*>(ShownPanel(slot));
        if (!panel) {
            ADD_FAILURE() << "slot " << slot << " holds no panel of the expected class";
            return nullptr;
        }
        panel->activateWindow();
        QApplication::setActiveWindow(panel);
        if (!QTest::qWaitFor([this] { return panel->isActiveWindow(); }, 5000))
            ADD_FAILURE() << "the panel did not become active";
        emu.ClearFrames();
        return panel;
    }

    template <class T = QWidget>
    T* Item(int id)
    {
        T* item = qobject_cast<T*>(panel->GetDlgItem(id));
        EXPECT_NE(item, nullptr) << "control " << id;
        return item;
    }

    /// The camera received exactly one write since the log was cleared: `name` set to `value`.
    void ExpectOneWrite(const char* name, int value)
    {
        const auto writes = WriteFrames();
        ASSERT_EQ(writes.size(), 1u) << name;
        ExpectWrite(writes[0], name, value);
    }

    /// `frame` writes `value` into the field of `name`.
    void ExpectWrite(const std::vector<std::uint8_t>& frame, const char* name, int value)
    {
        const RegisterLink reg = Reg(name);
        EXPECT_EQ((frame[1] << 8) | frame[2], reg.address) << name;
        const std::uint32_t word = (std::uint32_t{frame[3]} << 24) | (std::uint32_t{frame[4]} << 16) |
                                   (std::uint32_t{frame[5]} << 8) | frame[6];
        EXPECT_EQ((word >> reg.shift) & reg.mask, static_cast<std::uint32_t>(value) & reg.mask) << name;
    }

    /// Rebuilds the catalogue of the open camera from `base` without the parameters `absent`, as
    /// for a camera that lacks them, and refreshes the panel.
    void RebuildWithout(std::vector<const char*> absent, const CatalogueTable& base)
    {
        RebuildCatalogueWithout(std::move(absent), base);
        panel->RefreshFromStorage();
        QApplication::processEvents();
        emu.ClearFrames();
    }

    /// The geometry and visibility of every control, to compare two refreshes.
    std::map<int, std::pair<QRect, bool>> Layout() { return LayoutOf(panel); }

    void TypeInto(int editId, const QString& text)
    {
        auto* edit = Item<QLineEdit>(editId);
        ASSERT_TRUE(edit);
        edit->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 5000));
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !edit->hasFocus(); }, 5000));
    }

    void PickNextItem(int comboId) { PickWithKey(comboId, Qt::Key_Down); }
    void PickWithKey(int comboId, Qt::Key key)
    {
        auto* combo = Item<QComboBox>(comboId);
        ASSERT_TRUE(combo);
        combo->setFocus();
        QTest::keyClick(combo, key);
    }

    void Click(int id)
    {
        QWidget* w = Item(id);
        ASSERT_TRUE(w);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
    }

    /// One press and release on the spin's upper (up = true) or lower arrow.
    void SpinOnce(int spinId, bool up)
    {
        QWidget* spin = Item(spinId);
        ASSERT_TRUE(spin);
        const QPoint at(spin->width() / 2, up ? spin->height() / 4 : spin->height() * 3 / 4);
        Press(spin, at);
        Release(spin, at);
    }

    int ComboValue(int comboId)
    {
        auto* combo = Item<QComboBox>(comboId);
        return combo && combo->currentIndex() >= 0 ? combo->currentData().toInt() : -1;
    }

    /// No visible label, button or group caption of the panel is cut off at the platform's
    /// font, and every visible control lies inside the panel.
    void ExpectNothingCutOff()
    {
        for (QWidget* w : panel->template findChildren<QWidget*>()) {
            if (!w->isVisibleTo(panel))
                continue;
            const QFontMetrics fm(w->font());
            if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
                const QRect needed = fm.boundingRect(QRect(0, 0, 10000, 10000), int(label->alignment()), label->text());
                EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
                EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
            } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
                EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
            } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
                EXPECT_LE(fm.horizontalAdvance(box->title()) + 16, box->width()) << box->title().toStdString();
            }
            EXPECT_TRUE(panel->rect().contains(w->geometry())) << wnd::GetDlgCtrlID(w);
        }
    }

    Panel* panel = nullptr;
};

}  // namespace corvel::test
