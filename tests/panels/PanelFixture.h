// A feature panel as the operator meets it: the main window on the offscreen platform, connected
// to an emulated camera of a chosen configuration, identified and rebuilt, with the panel shown
// in its slot. The camera's frame log tells what reached the registers.
#pragma once

#include "app/MainWindowFixture.h"

#include "camera/RegisterLink.h"
#include "catalogues/CatalogueTable.h"
#include "catalogues/ConfigurationTable.h"
#include "catalogues/KelmirCatalogue.h"
#include "catalogues/RegisterMapLoader.h"
#include "catalogues/ZorvatCatalogue.h"
#include "controls/COptionDialog.h"
#include "controls/DlgItem.h"

#include "controls/OVEdit.h"
#include "controls/OVNumericControl.h"
#include "controls/OVSlider.h"
#include "panels/LimitsScaleLogic.h"
#include "support/WireFrames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QTest>
#include <QWidget>
#include <QLineEdit>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace corvel::test {

class PanelTest : public MainWindowTest {
protected:
    /// The main window, connected to an emulated camera of configuration `config` (its built-in
    /// register map's defaults and identity), identified and rebuilt for it. The frame log is
    /// cleared afterwards, so it holds only what the test causes.
    CCorvel_5Dlg& OpenOnCamera(int config = 4)
    {
        const int mapId = ConfigurationRowFor(config).builtinMapId;
        map = LoadBuiltinRegisterMap(mapId);
        if (!map) {
            ADD_FAILURE() << "configuration " << config << " has no built-in map";
            return MakeWindow();
        }
        emu.LoadRegisters(emu::CameraRegistersFor(*map, config));
        CCorvel_5Dlg& w = MakeWindow();
        ScriptedSelector selector;
        selector.choices = {PortChoice{CLSER_EMU_PATH, 0, 115200, true}};
        EXPECT_EQ(w.OnInitDialog(&selector), 0);
        EXPECT_TRUE(w.m_bConnected);
        EXPECT_EQ(w.m_Link.m_nConfigIndex, config);
        emu.ClearFrames();
        return w;
    }

    /// The panel of `slot`, shown and laid out, or null when the slot is empty.
    COptionDialog* ShownPanel(int slot)
    {
        COptionDialog* panel = window ? window->GetPanel(slot) : nullptr;
        if (!panel)
            return nullptr;
        panel->show();
        QApplication::processEvents();
        return panel;
    }

    /// The catalogue table the configuration's built-in map is read with.
    static const CatalogueTable& CatalogueOf(int config)
    {
        switch (config) {
        case 4: return MachineVisionCatalogue();
        case 5: return MachineVision47Catalogue();
        case 7: return KelmirCatalogue();
        case 9: return Aerospace47Catalogue();
        case 10: return RuggedizedCatalogue();
        case 11: return Ruggedized47Catalogue();
        default: return AerospaceCatalogue();
        }
    }

    /// Rebuilds the catalogue of the open camera from `base` without the parameters `absent`, as
    /// for a camera that lacks them; the panels are not refreshed.
    void RebuildCatalogueWithout(std::vector<const char*> absent, const CatalogueTable& base)
    {
        const DerivedCatalogueTable table("test", base, absent, {});
        BuildCatalogueForLink(window->m_Link, window->m_pXmlDoc, false, table.Table());
    }

    /// The geometry and visibility of every control of `panel` that has an id, and the panel's
    /// own rectangle under 0, to compare two refreshes.
    static std::map<int, std::pair<QRect, bool>> LayoutOf(const QWidget* panel)
    {
        std::map<int, std::pair<QRect, bool>> layout;
        for (QWidget* w : panel->findChildren<QWidget*>())
            if (const int id = wnd::GetDlgCtrlID(w))
                layout[id] = {w->geometry(), w->isVisibleTo(panel)};
        layout[0] = {panel->rect(), true};
        return layout;
    }

    /// A control as a failure message names it: its id, class and text.
    static std::string Describe(const QWidget* w)
    {
        QString text;
        if (auto* l = qobject_cast<const QLabel*>(w))
            text = l->text();
        else if (auto* b = qobject_cast<const QAbstractButton*>(w))
            text = b->text();
        else if (auto* g = qobject_cast<const QGroupBox*>(w))
            text = g->title();
        return std::to_string(wnd::GetDlgCtrlID(w)) + " " + w->metaObject()->className() + " \"" +
               text.left(24).toStdString() + "\"";
    }

    /// The rectangle the panel's template gave `control`, before any collapse.
    static QRect TemplateRect(const QWidget* control)
    {
        const QVariant r = control->property(COptionDialog::kTemplateRectProperty);
        return r.isValid() ? r.toRect() : control->geometry();
    }

    /// The group box of `panel` that frames `control` in the template: the smallest box whose
    /// template rectangle holds the control's; null for none.
    static const QGroupBox* FrameOf(const QWidget* panel, const QWidget* control)
    {
        const QRect home = TemplateRect(control);
        const QGroupBox* frame = nullptr;
        const auto area = [](const QRect& r) { return r.width() * r.height(); };
        for (const QGroupBox* box : panel->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
            if (box != control && TemplateRect(box).contains(home) &&
                (!frame || area(TemplateRect(box)) < area(TemplateRect(frame))))
                frame = box;
        return frame;
    }

    /// Every shown control of `panel` lies inside the panel; inside the group box that frames it
    /// (FrameOf), and off every other shown box but those around that one; and off every other
    /// shown control. No two controls are meant to overlap: a spin narrows its buddy edit and
    /// stands beside it, and a numeric control's edit, spin and pop-up button are its own children.
    static void ExpectNoControlOverAnother(const QWidget* panel)
    {
        std::vector<const QWidget*> shown, boxes;
        for (const QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<const QGroupBox*>(w))
                boxes.push_back(w);
            if (w->isVisibleTo(panel) && !w->geometry().isEmpty())
                shown.push_back(w);
        }
        for (const QWidget* w : shown) {
            EXPECT_TRUE(panel->rect().contains(w->geometry())) << Describe(w) << " outside the panel";
            const QRect home = TemplateRect(w);
            if (const QGroupBox* frame = FrameOf(panel, w)) {
                EXPECT_TRUE(frame->isVisibleTo(panel)) << Describe(w) << " shown in hidden box " << Describe(frame);
                if (frame->isVisibleTo(panel)) {
                    EXPECT_TRUE(frame->geometry().contains(w->geometry())) << Describe(w) << " outside its box " << Describe(frame);
                }
            }
            for (const QWidget* box : boxes) {
                if (box != w && box->isVisibleTo(panel) && !TemplateRect(box).contains(home) &&
                    !(qobject_cast<const QGroupBox*>(w) && home.contains(TemplateRect(box)))) {
                    EXPECT_FALSE(box->geometry().intersects(w->geometry())) << Describe(w) << " over " << Describe(box);
                }
            }
        }
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                if (!qobject_cast<const QGroupBox*>(shown[i]) && !qobject_cast<const QGroupBox*>(shown[j])) {
                    EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                        << Describe(shown[i]) << " over " << Describe(shown[j]);
                }
    }

    /// The write frames (0x57 …) the camera received since the log was last cleared.
    std::vector<std::vector<std::uint8_t>> WriteFrames()
    {
        std::vector<std::vector<std::uint8_t>> writes;
        for (const auto& frame : emu.Frames())
            if (frame.bytes.size() == 7 && frame.bytes[0] == 0x57)
                writes.push_back(frame.bytes);
        return writes;
    }

    /// A write frame for `address` holding `word` (the camera's big-endian order).
    static std::vector<std::uint8_t> WriteFrame(std::uint16_t address, std::uint32_t word)
    {
        return corvel::test::WriteFrame(address, word);
    }

    /// Saves a picture of `widget` under the build folder's panel-shots/ for a reviewer; the
    /// path of the file.
    static std::string SaveShot(QWidget* widget, const std::string& name)
    {
        QDir().mkpath(PANEL_SHOT_DIR);
        const std::string path = std::string(PANEL_SHOT_DIR) + "/" + name + ".png";
        widget->grab().save(QString::fromStdString(path));
        return path;
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    /// Types text into a numeric control's edit and presses Enter, as the operator does.
    static void TypeInto(OVNumericControl* control, const QString& text)
    {
        control->edit->setFocus();
        control->edit->clear();
        QTest::keyClicks(control->edit, text);
        QTest::keyClick(control->edit, Qt::Key_Return);
        Settle();
    }

    /// Opens the combo's list with the mouse and picks the item with that text by keys.
    static void PickItem(QComboBox* combo, const QString& text)
    {
        const int target = combo->findText(text);
        ASSERT_GE(target, 0) << text.toStdString();
        QTest::mouseClick(combo, Qt::LeftButton, Qt::NoModifier, QPoint(combo->width() / 2, combo->height() / 2));
        Settle();
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(list->isVisible());
        for (int i = combo->currentIndex(); i < target; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        for (int i = combo->currentIndex(); i > target; --i)
            QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);
        Settle();
    }

    /// Where parameter `name` lies in the camera's registers.
    RegisterLink Reg(const char* name) const
    {
        RegisterLink reg;
        EXPECT_EQ(GetRegisterLink(window->m_Link, name, reg), 0) << name;
        return reg;
    }

    /// The field of parameter `name` in the camera's register.
    std::int64_t Field(const char* name)
    {
        const RegisterLink reg = Reg(name);
        return (emu.Register(reg.address) >> reg.shift) & reg.mask;
    }

    /// The shown scale of a gain or level whose limits parameter is `limitsName` and whose raw
    /// range is that of `rawName`.
    limits_scale::LimitsScale ScaleOf(const char* limitsName, const char* rawName) const
    {
        _OrvStParam limits{}, raw{};
        window->m_Link.GetParamData(limitsName, &limits);
        window->m_Link.GetParamData(rawName, &raw);
        return limits_scale::MakeLimitsScale(limits_scale::DisplayLimitsOf(limits), limits_scale::RawRangeOf(raw));
    }

    /// Another writer (a panel, the terminal) sets the parameter.
    void SetElsewhere(const char* name, std::int64_t value)
    {
        window->m_Link.SetParamIntIfOnline(name, value, true, false);
        Settle();
    }

    /// The write frame that sets parameter `name` to `value` in the camera's current word.
    std::vector<std::uint8_t> WriteOf(const char* name, std::uint32_t value)
    {
        return WriteIn(name, value, emu.Register(Reg(name).address));
    }

    /// The write frame that sets parameter `name` to `value` within `word`.
    std::vector<std::uint8_t> WriteIn(const char* name, std::uint32_t value, std::uint32_t word = 0)
    {
        const RegisterLink reg = Reg(name);
        const std::uint32_t field = reg.mask << reg.shift;
        return WriteFrame(reg.address, (word & ~field) | ((value & reg.mask) << reg.shift));
    }

    /// Every shown text of the panel has the room it needs: labels and check boxes their size
    /// hint, group titles and every edit's text their advance, a combo its widest item with its
    /// frame and arrow, a numeric control's pop-up both limit labels inside it; and a label's
    /// text stops clear of the control beside it.
    static void ExpectNothingCut(QWidget* panel)
    {
        const auto shown = [panel](const QWidget* w) { return w->isVisibleTo(panel); };
        for (QLabel* label : panel->findChildren<QLabel*>()) {
            if (shown(label)) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        }
        for (QCheckBox* check : panel->findChildren<QCheckBox*>()) {
            if (shown(check)) {
                EXPECT_GE(check->width(), check->sizeHint().width()) << check->text().toStdString();
            }
        }
        for (QGroupBox* box : panel->findChildren<QGroupBox*>()) {
            if (shown(box)) {
                EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->title()) + 16)
                    << box->title().toStdString();
            }
        }
        for (QComboBox* combo : panel->findChildren<QComboBox*>()) {
            if (!shown(combo) || combo->count() == 0)
                continue;
            QString widest;
            for (int i = 0; i < combo->count(); ++i)
                if (combo->fontMetrics().horizontalAdvance(combo->itemText(i)) > combo->fontMetrics().horizontalAdvance(widest))
                    widest = combo->itemText(i);
            // The width the style gives a closed combo showing that text.
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.currentText = widest;
            const QSize content(combo->fontMetrics().horizontalAdvance(widest), combo->fontMetrics().height());
            const int needed = combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, combo).width();
            EXPECT_GE(combo->width(), needed) << Describe(combo) << " cuts \"" << widest.toStdString() << "\"";
        }
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            auto* edit = dynamic_cast<OVEdit*>(w);
            if (edit && shown(edit)) {
                EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(edit->text()) + 4)
                    << edit->text().toStdString();
            }
        }
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            auto* numeric = dynamic_cast<OVNumericControl*>(w);
            if (!numeric || !shown(numeric) || !numeric->slider || !numeric->slider->popup ||
                !numeric->slider->showLabels)
                continue;
            const OVSlider* popup = numeric->slider;
            const QFontMetrics metrics(popup->font());
            const auto inside = [&](const ctl::SPoint& at, const QString& text) {
                return at.x >= 0 && at.x + metrics.horizontalAdvance(text) <= popup->width();
            };
            const ctl::SliderLayout& layout = popup->Layout();
            EXPECT_TRUE(inside(layout.minLabelPos, popup->minLabel))
                << Describe(numeric) << ": \"" << popup->minLabel.toStdString() << "\" in a pop-up "
                << popup->width() << " wide";
            EXPECT_TRUE(inside(layout.maxLabelPos, popup->maxLabel))
                << Describe(numeric) << ": \"" << popup->maxLabel.toStdString() << "\" in a pop-up "
                << popup->width() << " wide";
        }
        // A left-aligned caption's text ends at least 3 pixels before the next control on its row.
        for (QLabel* label : panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (!shown(label) || label->text().isEmpty() || !(label->alignment() & Qt::AlignLeft) ||
                label->wordWrap())
                continue;
            const int textRight =
                label->x() + label->contentsRect().left() +
                label->fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), int(label->alignment()), label->text()).width();
            for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w == label || !shown(w) || qobject_cast<QGroupBox*>(w) || w->x() <= label->x())
                    continue;
                const QRect g = w->geometry();
                if (g.top() > label->geometry().bottom() || g.bottom() < label->geometry().top())
                    continue;
                EXPECT_GE(g.left() - textRight, 3) << "\"" << label->text().toStdString() << "\" touches " << Describe(w);
            }
        }
    }

    /// The panel's control of that id as a W, or a failure.
    template <class W>
    static W* Item(const COptionDialog* panel, int id)
    {
        auto* w = dynamic_cast<W*>(panel->GetDlgItem(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }

    /// The text a label or edit of the panel shows; "<none>" for another control.
    static QString Text(const COptionDialog* panel, int id)
    {
        QWidget* w = panel->GetDlgItem(id);
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text();
        if (auto* e = qobject_cast<QLineEdit*>(w))
            return e->text();
        return QStringLiteral("<none>");
    }

    RegisterMapPtr map;
};

}  // namespace corvel::test
