#include "MouseDrive.h"
#include "LinkedParam.h"

#include "camera/RegisterMap.h"
#include "controls/CEdit.h"
#include "controls/CSliderEditSpin.h"
#include "controls/Command.h"
#include "controls/DlgItem.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

using namespace corvel::test;

namespace {

/// A panel stand-in that hands its scroll messages and commands to the group under test and
/// keeps the group's answers.
class GroupHost : public QWidget, public wnd::ICommandTarget {
public:
    std::function<int(unsigned code, QWidget* from)> onHScroll, onVScroll;
    std::function<int(wnd::WPARAM)> onCommand;
    std::vector<int> results;

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM) override
    {
        if (onCommand)
            results.push_back(onCommand(wParam));
        return true;
    }
    bool OnWindowMessage(unsigned message, wnd::WPARAM wParam, wnd::LPARAM lParam) override
    {
        auto& handler = message == wnd::WM_HSCROLL ? onHScroll : onVScroll;
        if (handler)
            results.push_back(handler(wnd::LoWord(wParam), wnd::WindowFromHandle(lParam)));
        return true;
    }
};

enum : int { kSlider = 101, kEdit = 102, kSpin = 103, kMinLabel = 104, kMaxLabel = 105, kOther = 106 };

struct SliderGroupTest : testing::Test {
    GroupHost host;
    CTrackBar* slider = new CTrackBar(Qt::Horizontal, &host, kSlider);
    CEdit* edit = new CEdit(&host, kEdit);
    CUpDownCtrl* spin = new CUpDownCtrl(&host, kSpin);
    QLabel* maxLabel = new QLabel(&host);
    QLabel* minLabel = new QLabel(&host);
    QLineEdit* other = new QLineEdit(&host);
    CSliderEditSpin group;

    void SetUp() override
    {
        wnd::SetDlgCtrlID(minLabel, kMinLabel);
        wnd::SetDlgCtrlID(maxLabel, kMaxLabel);
        slider->setGeometry(10, 10, 200, 24);
        edit->setGeometry(10, 40, 60, 22);
        spin->setGeometry(70, 40, 16, 22);
        other->setGeometry(100, 40, 60, 22);
        group.m_nId = kSlider;
        group.m_nSliderId = kSlider;
        group.m_nEditId = kEdit;
        group.m_nSpinId = kSpin;
        group.m_nMinLabelId = kMinLabel;
        group.m_nMaxLabelId = kMaxLabel;
        group.m_hParent = &host;
        group.DataExchange(&host, false);
        host.onHScroll = [this](unsigned code, QWidget* from) { return group.OnHScroll(code, 0, from); };
        host.onVScroll = [this](unsigned code, QWidget* from) { return group.OnVScroll(code, 0, from); };
        host.onCommand = [this](wnd::WPARAM w) {
            return wnd::HiWord(w) == wnd::EN_KILLFOCUS && wnd::LoWord(w) == kEdit ? group.OnEditCommit() : 0;
        };
        host.resize(240, 80);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }
};

// Example failure: SetRange leaves the trackbar on the old scale, the labels empty or swapped,
// or the spin without the acceleration table.
TEST_F(SliderGroupTest, SetRangeShowsRangeValueAndLabels)
{
    group.SetRange(0, 255, 10, true);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->GetPos(), 10);
    EXPECT_EQ(edit->text(), "10");
    EXPECT_EQ(spin->GetPos32(), 10);
    EXPECT_EQ(spin->Low(), 0);
    EXPECT_EQ(spin->High(), 255);
    EXPECT_EQ(minLabel->text(), "0");
    EXPECT_EQ(maxLabel->text(), "255");
    const auto siblings = host.children();
    EXPECT_EQ(siblings.indexOf(minLabel), 0) << "minimum label at the bottom";
    EXPECT_EQ(siblings.indexOf(maxLabel), siblings.size() - 1) << "maximum label at the top";

    group.SetRange(1, 100000, 1000, false);
    EXPECT_EQ(slider->minimum(), 15);
    EXPECT_EQ(slider->maximum(), 500);
    EXPECT_EQ(slider->GetPos(), 300);
    EXPECT_EQ(group.m_nPos, 300);
    EXPECT_EQ(edit->text(), "1000");
}

// Example failure: a drag step is reported as a commit (one camera write per pixel), or the
// end of the gesture is not, or edit and spin do not follow the thumb.
TEST_F(SliderGroupTest, TrackbarCommitsOnlyAtTheEndOfTheGesture)
{
    group.SetRange(0, 100, 50, true);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(host.results, (std::vector<int>{-1, 1}));
    EXPECT_EQ(group.m_nValue, 51);
    EXPECT_EQ(edit->text(), "51");
    EXPECT_EQ(spin->GetPos32(), 51);

    host.results.clear();
    const int y = slider->height() / 2;
    Drag(slider, QPoint(slider->width() / 2, y), QPoint(slider->width() - 2, y), 5);
    ASSERT_GE(host.results.size(), 3u);
    EXPECT_EQ(std::count(host.results.begin(), host.results.end(), 1), 1);
    EXPECT_EQ(host.results.back(), 1);
    EXPECT_GT(group.m_nValue, 51);
    EXPECT_EQ(edit->text(), QString::number(group.m_nValue));
    EXPECT_EQ(spin->GetPos32(), group.m_nValue);
}

// Example failure: a spin step on a logarithmic group moves the trackbar linearly, or the
// spin's release is not a commit.
TEST_F(SliderGroupTest, SpinCommitsAtReleaseAndMovesTheLogTrackbar)
{
    group.SetRange(1, 100000, 1000, false);
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
    EXPECT_EQ(host.results, (std::vector<int>{-1, 1}));
    EXPECT_EQ(group.m_nValue, 1001);
    EXPECT_EQ(slider->GetPos(), 300);
    EXPECT_EQ(edit->text(), "1001");
}

// Example failure: SetValue without force rewrites the controls on every poll (the operator's
// half-typed text is lost), or with force leaves a stale text.
TEST_F(SliderGroupTest, SetValueWithoutForceLeavesAnUnchangedGroupAlone)
{
    group.SetRange(0, 100, 40, true);
    edit->setText("4");
    group.SetValue(40, false);
    EXPECT_EQ(edit->text(), "4");
    group.SetValue(400, false);
    EXPECT_EQ(edit->text(), "100") << "clamped first, then applied";
    edit->setText("junk");
    slider->SetPos(3);
    group.SetValue(100, true);
    EXPECT_EQ(edit->text(), "100");
    EXPECT_EQ(slider->GetPos(), 100);
}

// Example failure: a typed value equal to the current one is written again, an unchanged edit
// keeps the operator's junk, a number is read past its first non-digit, or text without a
// number commits the minimum.
TEST_F(SliderGroupTest, EditCommitTable)
{
    struct Row {
        const char* typed;
        int result;
        int value;
        const char* shown;
    };
    const Row rows[] = {
        {"20", 1, 20, "20"}, {"20abc", -1, 20, "20"}, {"999", 1, 100, "100"}, {"abc", -1, 100, "100"}, {"", -1, 100, "100"},
        {"99999999999", 1, 100, "100"},
    };
    group.SetRange(0, 100, 10, true);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed);
        edit->setText(r.typed);
        EXPECT_EQ(group.OnEditCommit(), r.result);
        EXPECT_EQ(group.m_nValue, r.value);
        EXPECT_EQ(edit->text(), r.shown);
        EXPECT_EQ(slider->GetPos(), r.value);
    }
}

// Example failure: the edit commits only on Enter, or a focus change reaches the panel
// without the edit's id, so the typed value is never written.
TEST_F(SliderGroupTest, LosingTheFocusCommitsTheTypedValue)
{
    group.SetRange(0, 100, 10, true);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "64");
    EXPECT_TRUE(host.results.empty());
    other->setFocus();
    EXPECT_EQ(host.results, (std::vector<int>{1}));
    EXPECT_EQ(group.m_nValue, 64);
    EXPECT_EQ(slider->GetPos(), 64);
}

class TimesTen : public OVGHSliderConvertor {
public:
    std::string ValueToText(int value) override { return std::to_string(value * 10) + " mm"; }
    std::optional<int> TextToValue(const std::string& text) override { return std::atoi(text.c_str()) / 10; }
};

// Example failure: the converter or the value labels are used for the edit but not for the
// range labels, or a committed text bypasses the converter.
TEST_F(SliderGroupTest, TextsComeFromConverterOrLabels)
{
    group.m_labels = {{0, "Off"}, {7, "Auto"}};
    group.SetRange(0, 50, 0, true);
    EXPECT_EQ(minLabel->text(), "Off");
    EXPECT_EQ(maxLabel->text(), "50");
    EXPECT_EQ(edit->text(), "Off");
    group.SetValue(7, false);
    EXPECT_EQ(edit->text(), "Auto");

    TimesTen converter;
    group.m_pConverter = &converter;
    group.SetRange(0, 50, 3, true);
    EXPECT_EQ(minLabel->text(), "0 mm");
    EXPECT_EQ(edit->text(), "30 mm");
    edit->setText("250 mm");
    EXPECT_EQ(group.OnEditCommit(), 1);
    EXPECT_EQ(group.m_nValue, 25);
}

// Example failure: an edit showing a value label ("CONT") commits a value of 0 or the minimum
// when it loses the focus, or the label typed by the operator is refused.
TEST_F(SliderGroupTest, AValueLabelCommitsItsValue)
{
    group.m_labels = {{50, "CONT"}};
    group.SetRange(1, 50, 50, true);
    EXPECT_EQ(edit->text(), "CONT");
    EXPECT_EQ(group.OnEditCommit(), -1);
    EXPECT_EQ(group.m_nValue, 50);
    edit->setText("7");
    EXPECT_EQ(group.OnEditCommit(), 1);
    edit->setText(" cont");
    EXPECT_EQ(group.OnEditCommit(), 1);
    EXPECT_EQ(group.m_nValue, 50);
    EXPECT_EQ(edit->text(), "CONT");
    edit->setText("CONTX");
    EXPECT_EQ(group.OnEditCommit(), -1);
    EXPECT_EQ(group.m_nValue, 50);
}

// Example failure: Enable/Show forget a part (a label stays enabled), toggling does not
// toggle, or a later SetRange shows a hidden group again.
TEST_F(SliderGroupTest, EnableAndShowReachEveryPart)
{
    group.SetRange(0, 10, 1, true);
    EXPECT_FALSE(group.Enable(-1));
    for (QWidget* w : {static_cast<QWidget*>(slider), static_cast<QWidget*>(edit), static_cast<QWidget*>(spin),
                       static_cast<QWidget*>(minLabel), static_cast<QWidget*>(maxLabel)})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(group.Enable(-1));
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_FALSE(group.Show(0));
    group.SetRange(0, 20, 5, true);
    for (QWidget* w : {static_cast<QWidget*>(slider), static_cast<QWidget*>(edit), static_cast<QWidget*>(spin),
                       static_cast<QWidget*>(minLabel), static_cast<QWidget*>(maxLabel)})
        EXPECT_TRUE(w->isHidden());
}

// Example failure: a group whose windows are missing (id 0, or never built) crashes or
// answers a foreign trackbar's messages.
TEST(SliderGroup, MissingWindowsAreSkipped)
{
    GroupHost host;
    CTrackBar foreign(Qt::Horizontal, &host, 300);
    CSliderEditSpin group;
    group.m_nSliderId = 0;
    group.m_nEditId = 555;
    group.DataExchange(&host, false);
    group.SetRange(0, 10, 4, true);
    group.Enable(0);
    group.Show(1);
    EXPECT_EQ(group.m_nValue, 4);
    EXPECT_EQ(group.OnHScroll(wnd::TB_ENDTRACK, 0, &foreign), 0);
    EXPECT_EQ(group.OnVScroll(wnd::SB_ENDSCROLL, 0, &foreign), 0);
    EXPECT_EQ(group.OnEditCommit(), 0);
}

struct EditGroupTest : testing::Test {
    GroupHost host;
    CEdit* edit = new CEdit(&host, kEdit);
    CUpDownCtrl* spin = new CUpDownCtrl(&host, kSpin);
    CEditSpin group;

    void SetUp() override
    {
        edit->setGeometry(10, 10, 60, 22);
        spin->setGeometry(70, 10, 16, 22);
        group.m_nEditId = kEdit;
        group.m_nSpinId = kSpin;
        group.DataExchange(&host);
        host.onVScroll = [this](unsigned code, QWidget* from) { return group.OnVScroll(code, 0, from); };
        host.onCommand = [this](wnd::WPARAM w) { return group.OnCommand(w); };
        host.resize(120, 40);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
};

// Example failure: a value typed above the maximum while the value already is the maximum
// leaves the typed text shown, or one typed below it is written unclamped.
TEST_F(EditGroupTest, KillFocusTable)
{
    const int none = ctl::kNoLimit;
    struct Row {
        const char* name;
        int min, max, start;
        const char* typed;
        int result, value;
        const char* shown;
    };
    const Row rows[] = {
        {"above max at max", 0, 100, 100, "500", -1, 100, "100"},
        {"above max below it", 0, 100, 50, "500", 1, 100, "100"},
        {"same value off the limits", 0, 100, 50, "50x", -1, 50, "50x"},
        {"no lower limit", none, 100, 0, "-5000", 1, -5000, "-5000"},
        {"no limits at all", none, none, 0, "123456789", 1, 123456789, "123456789"},
        {"not a number keeps the value", 10, 100, 50, "abc", -1, 50, "50"},
        {"a sign alone keeps the value", 10, 100, 50, "-", -1, 50, "50"},
        {"overflow saturates then clamps", 0, 100, 3, "99999999999", 1, 100, "100"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        group.SetRange(r.min, r.max, r.start);
        edit->setText(r.typed);
        EXPECT_EQ(group.OnEditKillFocus(), r.result);
        EXPECT_EQ(group.m_nValue, r.value);
        EXPECT_EQ(edit->text(), r.shown);
        if (r.result == 1) {
            EXPECT_EQ(spin->GetPos32(), r.value);
        }
    }
}

// Example failure: the "no limit" mark goes into the spin range, so without a lower limit the
// up arrow counts down, or without limits the spin is frozen.
TEST_F(EditGroupTest, SpinRunsTheRightWayWithoutALowerLimit)
{
    group.SetRange(ctl::kNoLimit, 100, -20);
    EXPECT_LT(spin->Low(), spin->High());
    QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
    QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
    EXPECT_EQ(host.results, (std::vector<int>{-1, 1}));
    EXPECT_EQ(group.m_nValue, -19);
    EXPECT_EQ(edit->text(), "-19");
}

// Example failure: the group answers another control's kill-focus or another notification of
// its own edit, and the panel writes an unchanged value.
TEST_F(EditGroupTest, OnCommandAnswersOnlyItsEditsKillFocus)
{
    group.SetRange(0, 100, 5);
    edit->setText("9");
    EXPECT_EQ(group.OnCommand(wnd::MakeWParam(kOther, wnd::EN_KILLFOCUS)), 0);
    EXPECT_EQ(group.OnCommand(wnd::MakeWParam(kEdit, 0x0300)), 0);
    EXPECT_EQ(group.m_nValue, 5);
    EXPECT_EQ(group.OnCommand(wnd::MakeWParam(kEdit, wnd::EN_KILLFOCUS)), 1);
    EXPECT_EQ(group.m_nValue, 9);
}

// Example failure: SetValue with force clamps (a panel cannot show a value the camera holds
// outside the catalogue's limits) or without force rewrites an unchanged group.
TEST_F(EditGroupTest, SetValueForceTakesTheValueAsGiven)
{
    group.SetRange(0, 100, 5);
    edit->setText("typing");
    group.SetValue(5, false);
    EXPECT_EQ(edit->text(), "typing");
    group.SetValue(500, false);
    EXPECT_EQ(group.m_nValue, 100);
    group.SetValue(500, true);
    EXPECT_EQ(group.m_nValue, 500);
    EXPECT_EQ(edit->text(), "500");
}

constexpr char kComboMap[] = R"(<?xml version="1.0"?>
<CAMERA>
  <DATAREGISTERS>
    <FanMode><address>0x0130</address><val id="0">Off</val><val id="1">On</val><val id="2">Auto</val></FanMode>
    <Routing><val id="0x10">Sixteen</val><val id="010">Eight</val><val id="3">Three</val><val id="3">Three again</val></Routing>
    <Wide><val id="0xFFFFFFFF">All</val><val id="5">Five</val></Wide>
    <NoValues><address>0x0200</address></NoValues>
  </DATAREGISTERS>
</CAMERA>
)";

struct ComboFill : testing::Test {
    RegisterMapPtr map = RegisterMap::LoadBuffer(kComboMap, sizeof kComboMap - 1, "combo-test");
    OrvParamStorage store{77};
    QWidget panel;
    QComboBox* combo = new QComboBox(&panel);
    QLabel* label = new QLabel("Fan", &panel);
    std::map<int, int> idToIndex;

    void SetUp() override
    {
        ASSERT_TRUE(map);
        AddIntWithLink(store, "FanMode", "CAMERA/DATAREGISTERS/FanMode");
        AddIntWithLink(store, "Routing", "/CAMERA/DATAREGISTERS/Routing");
        AddIntWithLink(store, "Wide", "CAMERA/DATAREGISTERS/Wide");
        AddIntWithLink(store, "NoValues", "CAMERA/DATAREGISTERS/NoValues");
        AddIntWithLink(store, "Gone", "CAMERA/DATAREGISTERS/NotInTheMap");
        AddIntWithLink(store, "Unlinked", "");
        panel.show();
    }
    std::vector<std::pair<QString, int>> Items() const
    {
        std::vector<std::pair<QString, int>> out;
        for (int i = 0; i < combo->count(); ++i)
            out.emplace_back(combo->itemText(i), combo->itemData(i).toInt());
        return out;
    }
};

// Example failure: the example from the map gives other texts, data or selection.
TEST_F(ComboFill, ValuesInDocumentOrderWithTheirIds)
{
    EXPECT_EQ(FillComboFromXml(combo, 2, idToIndex, &store, map.get(), "FanMode", label), 3);
    EXPECT_EQ(Items(), (std::vector<std::pair<QString, int>>{{"Off", 0}, {"On", 1}, {"Auto", 2}}));
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(idToIndex, (std::map<int, int>{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_FALSE(combo->isHidden());
}

// Example failure: ids are read as decimal only ("0x10" gives 0, "010" gives 10), a later
// duplicate does not win, or an unknown current value is shown as another value's item.
TEST_F(ComboFill, HexOctalDuplicateAndUnknownIds)
{
    EXPECT_EQ(FillComboFromXml(combo, 99, idToIndex, &store, map.get(), "Routing", nullptr), 4);
    EXPECT_EQ(combo->itemData(0).toInt(), 16);
    EXPECT_EQ(combo->itemData(1).toInt(), 8);
    EXPECT_EQ(idToIndex.at(3), 3) << "a later equal id replaces the earlier";
    EXPECT_EQ(combo->currentIndex(), -1) << "no id equals the current value: no item";

    EXPECT_EQ(FillComboFromXml(combo, 3, idToIndex, &store, map.get(), "Routing", nullptr), 4);
    EXPECT_EQ(combo->currentIndex(), 3);

    EXPECT_EQ(FillComboFromXml(combo, -1, idToIndex, &store, map.get(), "Wide", nullptr), 2);
    EXPECT_EQ(combo->itemData(0).toInt(), -1) << "low 32 bits of the id";
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(idToIndex.at(-1), 0);
}

// Example failure: a parameter missing from the map leaves its combo and label showing, or a
// missing element or one without entries throws out of the panel's refresh.
TEST_F(ComboFill, AbsentParameterHidesMissingEntriesEmpty)
{
    EXPECT_EQ(FillComboFromXml(combo, 0, idToIndex, &store, map.get(), "NoValues", label), 0);
    EXPECT_FALSE(combo->isHidden());
    EXPECT_EQ(FillComboFromXml(combo, 0, idToIndex, &store, map.get(), "Gone", label), 0);
    EXPECT_FALSE(combo->isHidden()) << "linked, but the element is gone: an empty list";

    FillComboFromXml(combo, 1, idToIndex, &store, map.get(), "FanMode", label);
    EXPECT_EQ(FillComboFromXml(combo, 0, idToIndex, &store, map.get(), "Unlinked", label), 0);
    EXPECT_TRUE(combo->isHidden());
    EXPECT_TRUE(label->isHidden());
    EXPECT_EQ(combo->count(), 0);
    EXPECT_TRUE(idToIndex.empty()) << "the old map is emptied";

    EXPECT_EQ(FillComboFromXml(nullptr, 0, idToIndex, &store, map.get(), "FanMode", label), 0);
    EXPECT_EQ(FillComboFromXml(combo, 0, idToIndex, nullptr, map.get(), "FanMode", label), 0);
    EXPECT_EQ(FillComboFromXml(combo, 0, idToIndex, &store, nullptr, "FanMode", label), 0);
}

// Example failure: filling the combo reports a selection change, which a panel takes for the
// operator's choice and writes to the camera.
TEST_F(ComboFill, FillingSendsNoSelectionChange)
{
    QSignalSpy changed(combo, &QComboBox::currentIndexChanged);
    FillComboFromXml(combo, 1, idToIndex, &store, map.get(), "FanMode", label);
    FillComboFromXml(combo, 2, idToIndex, &store, map.get(), "FanMode", label);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(combo->currentIndex(), 2);
}

// Example failure: with auto-exclusive radio buttons the checked one cannot be unchecked, so a
// value without a button leaves the old choice showing.
TEST(RadioGroup, ChecksExactlyTheMatchingButton)
{
    QWidget panel;
    const int ids[3] = {1301, 1302, 1303};
    QRadioButton* buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QRadioButton(&panel);
        wnd::SetDlgCtrlID(buttons[i], ids[i]);
    }
    SetRadioGroup(&panel, 1302, ids);
    EXPECT_FALSE(buttons[0]->isChecked());
    EXPECT_TRUE(buttons[1]->isChecked());
    SetRadioGroup(&panel, 1301, ids);
    EXPECT_TRUE(buttons[0]->isChecked());
    EXPECT_FALSE(buttons[1]->isChecked());
    SetRadioGroup(&panel, 999, ids);
    for (QRadioButton* b : buttons)
        EXPECT_FALSE(b->isChecked());
    EXPECT_TRUE(buttons[0]->autoExclusive()) << "the buttons' own behaviour is kept";
    SetRadioGroup(&panel, 1301, nullptr);
    EXPECT_FALSE(buttons[0]->isChecked());
}

// Example failure: the status icon keeps the static's template size or shows nothing.
TEST(StaticIcon, SixteenBySixteenInPlace)
{
    QWidget panel;
    auto* icon = new QLabel(&panel);
    icon->setGeometry(30, 40, 32, 32);
    QPixmap red(32, 32);
    red.fill(Qt::red);
    SetStaticIcon(icon, QIcon(red));
    EXPECT_EQ(icon->geometry(), QRect(30, 40, 16, 16));
    EXPECT_EQ(icon->pixmap().toImage().pixelColor(8, 8), QColor(Qt::red));
    SetStaticIcon(icon, QIcon());
    SetStaticIcon(nullptr, QIcon(red));
    EXPECT_EQ(icon->geometry(), QRect(30, 40, 16, 16));
}

}  // namespace
