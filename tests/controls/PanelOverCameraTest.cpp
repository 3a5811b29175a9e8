// A panel built on the panel base and the binding helpers, bound to parameters of the default
// configuration's register map, over the emulated camera (Camera Link serial library).
#include "LinkedParam.h"

#include "camera/CXmlNodeValue.h"
#include "camera/LinkFixture.h"
#include "camera/ParamDefinition.h"
#include "camera/ValueCoder.h"
#include "catalogues/RegisterMapLoader.h"
#include "controls/CEdit.h"
#include "controls/COptionDialog.h"
#include "controls/CSliderEditSpin.h"
#include "controls/DlgItem.h"
#include "controls/MessageBox.h"
#include "controls/ParamBinding.h"
#include "controls/WindowIds.h"
#include "emulator/ClserEmuControl.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace corvel::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

// ---- parameters defined from the map as the catalogue defines them ----

/// Defines an integer parameter from its element under `section` with the catalogue's own
/// definition operation (limits, callbacks, register link).
void DefineFromMap(TestLink& link, const RegisterMap& map, const std::string& section, const char* name)
{
    const CXmlNodeValue node = map.Select(section);
    ASSERT_FALSE(node.IsNull()) << section;
    const CXmlNodeValue element = node.Select(name);
    ASSERT_FALSE(element.IsNull()) << name;
    ASSERT_EQ(AddIntParam(link, node, name, section + "/" + name, static_cast<std::int32_t>(element.Select("access").AsInt64()),
                          element.Select("min").AsInt64(), element.Select("max").AsInt64(),
                          element.Select("mask").AsInt64(), element.Select("@default").AsInt64(), false, nullptr),
              0);
}

// ---- the panel ----

enum : int {
    kLevelSlider = 3001, kLevelEdit, kLevelSpin, kLevelMin, kLevelMax,
    kFramesEdit = 3010, kFramesSpin, kFramesLabel,
    kFanCombo = 3020, kFanLabel,
    kStandard = 3030, kFast, kDouble,
    kAbsentEdit = 3040, kAbsentLabel,
};
constexpr int kTriggerRadios[3] = {kStandard, kFast, kDouble};
constexpr char kAbsentName[] = "TecSetPointFine";

class CDlgFanTrigger : public COptionDialog {
public:
    CDlgFanTrigger(QWidget* mainWnd, CCameraLink* link) : COptionDialog(IDD, mainWnd, link) {}
    enum { IDD = 9001 };

    CSliderEditSpin m_level;
    CEditSpin m_frames;
    std::map<int, int> m_fanIndex;

    bool RefreshFromStorage() override
    {
        if (!CanRefresh())
            return false;
        ReloadValues();
        for (const char* name : {"FanOnLevel", "TriggerFrames", "FanMode", "TriggerMode", kAbsentName})
            if (IsParamDefined(name))
                ListenTo(name);
        return true;
    }

    void ReloadValues() override
    {
        if (!CanRefresh())
            return;
        _OrvStParam record;
        if (IsParamDefined("FanOnLevel", &record))
            m_level.SetRange(static_cast<int>(record.min.n), static_cast<int>(record.max.n), Read("FanOnLevel"), true);
        else
            m_level.Show(0);
        if (IsParamDefined("TriggerFrames", &record)) {
            m_frames.SetRange(static_cast<int>(record.min.n), static_cast<int>(record.max.n), Read("TriggerFrames"));
        } else {
            m_frames.Show(0);
            GetDlgItem(kFramesLabel)->hide();
        }
        FillComboFromXml(qobject_cast<QComboBox*>(GetDlgItem(kFanCombo)), Read("FanMode"), m_fanIndex, m_pStorage,
                         m_pXmlDoc.get(), "FanMode", GetDlgItem(kFanLabel));
        SetRadioGroup(this, RadioOf(Read("TriggerMode")), kTriggerRadios);
        if (!IsParamDefined(kAbsentName)) {
            GetDlgItem(kAbsentEdit)->hide();
            GetDlgItem(kAbsentLabel)->hide();
        }
    }

    bool OnCommand(wnd::WPARAM wParam, wnd::LPARAM lParam) override
    {
        if (m_frames.OnCommand(wParam) == 1)
            WriteParamInt("TriggerFrames", m_frames.m_nValue, true);  // this panel owns its refusals
        if (wParam == wnd::MakeWParam(kLevelEdit, wnd::EN_KILLFOCUS) && m_level.OnEditCommit() == 1)
            WriteParamInt("FanOnLevel", m_level.m_nValue);
        return COptionDialog::OnCommand(wParam, lParam);
    }

    void OnParamChanged(const _OrvStParam* param) override
    {
        const int value = static_cast<int>(param->value.n);
        if (std::strcmp(param->name, "FanOnLevel") == 0)
            m_level.SetValue(value, false);
        else if (std::strcmp(param->name, "TriggerFrames") == 0)
            m_frames.SetValue(value, false);
        else if (std::strcmp(param->name, "FanMode") == 0) {
            const auto it = m_fanIndex.find(value);
            if (it != m_fanIndex.end())
                qobject_cast<QComboBox*>(GetDlgItem(kFanCombo))->setCurrentIndex(it->second);
        } else if (std::strcmp(param->name, "TriggerMode") == 0)
            SetRadioGroup(this, RadioOf(value), kTriggerRadios);
    }

protected:
    void BuildTemplate() override
    {
        new CTrackBar(Qt::Horizontal, this, kLevelSlider);
        new CEdit(this, kLevelEdit);
        new CUpDownCtrl(this, kLevelSpin);
        Label(kLevelMin);
        Label(kLevelMax);
        new CEdit(this, kFramesEdit);
        new CUpDownCtrl(this, kFramesSpin);
        Label(kFramesLabel);
        auto* combo = new QComboBox(this);
        wnd::SetDlgCtrlID(combo, kFanCombo);
        connect(combo, &QComboBox::activated, this,
                [this, combo](int index) { WriteParamInt("FanMode", combo->itemData(index).toInt()); });
        Label(kFanLabel);
        for (int i = 0; i < 3; ++i) {
            auto* radio = new QRadioButton(QStringList{"Standard", "Fast", "Double"}[i], this);
            wnd::SetDlgCtrlID(radio, kTriggerRadios[i]);
            connect(radio, &QRadioButton::clicked, this, [this, i] {
                SetRadioGroup(this, kTriggerRadios[i], kTriggerRadios);
                WriteParamInt("TriggerMode", i);
            });
        }
        new CEdit(this, kAbsentEdit);
        Label(kAbsentLabel);
        int y = 4;
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            w->setGeometry(4, y, w == GetDlgItem(kLevelSlider) ? 180 : 90, 22);
            y += 26;
        }
        resize(200, y + 8);
    }

    bool OnPreInitDialog() override
    {
        m_level.m_nId = m_level.m_nSliderId = kLevelSlider;
        m_level.m_nEditId = kLevelEdit;
        m_level.m_nSpinId = kLevelSpin;
        m_level.m_nMinLabelId = kLevelMin;
        m_level.m_nMaxLabelId = kLevelMax;
        m_level.m_hParent = this;
        m_frames.m_nEditId = kFramesEdit;
        m_frames.m_nSpinId = kFramesSpin;
        return true;
    }

    void DoDataExchange(bool save) override
    {
        m_level.DataExchange(this, save);
        m_frames.DataExchange(this);
    }

    void OnHScroll(unsigned code, int pos, QWidget* scrollBar) override
    {
        if (m_nHScrollBusy.exchange(1))
            return;
        if (m_level.OnHScroll(code, pos, scrollBar) == 1)
            WriteParamInt("FanOnLevel", m_level.m_nValue);
        m_nHScrollBusy = 0;
    }

    void OnVScroll(unsigned code, int pos, QWidget* scrollBar) override
    {
        if (m_nVScrollBusy.exchange(1))
            return;
        if (m_level.OnVScroll(code, pos, scrollBar) == 1)
            WriteParamInt("FanOnLevel", m_level.m_nValue);
        if (m_frames.OnVScroll(code, pos, scrollBar) == 1)
            WriteParamInt("TriggerFrames", m_frames.m_nValue);
        m_nVScrollBusy = 0;
    }

private:
    int Read(const char* name)
    {
        std::int64_t value = 0;
        m_pStorage->GetParamInt(name, &value);
        return static_cast<int>(value);
    }
    static int RadioOf(int mode) { return mode >= 0 && mode < 3 ? kTriggerRadios[mode] : 0; }
    void Label(int id)
    {
        auto* label = new QLabel(this);
        wnd::SetDlgCtrlID(label, id);
    }
};

struct PanelOverCamera : testing::Test {
    emu::ClserEmuControl emu{CLSER_EMU_PATH};
    MemorySettings settings;
    TestLink link{&settings};
    TempDir exeFolder;
    RegisterMapPtr map;
    QWidget mainWindow;

    void SetUp() override
    {
        ASSERT_TRUE(emu.Loaded()) << emu.Error();
        emu.Reset();
        map = LoadRegisterMapForRow(4, exeFolder.Path(), nullptr);
        ASSERT_TRUE(map);
        AddPing(link);
        DefineFromMap(link, *map, "CAMERA/DATAREGISTERS", "FanOnLevel");
        DefineFromMap(link, *map, "CAMERA/DATAREGISTERS", "FanMode");
        DefineFromMap(link, *map, "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP", "TriggerFrames");
        DefineFromMap(link, *map, "CAMERA/CCDTIMINGREGISTERS/TRIGGERGROUP", "TriggerMode");
        link.SetPortIndex(0);
        ASSERT_EQ(link.Init(CLSER_EMU_PATH), 0);
        link.GoOnline();
        emu.SetRegister(0x0134, 0x30);
        emu.SetRegister(0x051C, 0x00AB0004);  // bits outside the field are not the parameter's
        emu.SetRegister(0x0130, 2);
        emu.SetRegister(0x0518, 1);
        mainWindow.setGeometry(50, 50, 300, 300);
    }

    std::unique_ptr<CDlgFanTrigger> OpenPanel()
    {
        auto panel = std::make_unique<CDlgFanTrigger>(&mainWindow, &link);
        panel->Create(CDlgFanTrigger::IDD, nullptr);
        panel->SetXmlNode(map);
        EXPECT_TRUE(panel->RefreshFromStorage());
        panel->show();
        panel->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(panel.get()));
        return panel;
    }

    std::vector<Bytes> Writes()
    {
        std::vector<Bytes> out;
        for (const auto& f : emu.Frames())
            if (!f.bytes.empty() && f.bytes[0] == 0x57)
                out.push_back(f.bytes);
        return out;
    }
    /// The operator replaces an edit's text and presses Enter.
    static void TypeAndEnter(QLineEdit* edit, const char* text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    template <class T>
    static T* Item(COptionDialog& panel, int id)
    {
        return qobject_cast<T*>(panel.GetDlgItem(id));
    }
};

// Example failure: the panel shows the catalogue's defaults instead of the camera's values,
// reads the whole register word instead of the field, writes while it refreshes, or shows a
// control whose parameter this camera lacks.
TEST_F(PanelOverCamera, RefreshShowsTheCameraAndHidesWhatItLacks)
{
    emu.ClearFrames();
    auto panel = OpenPanel();
    EXPECT_EQ(Item<CTrackBar>(*panel, kLevelSlider)->GetPos(), 0x30);
    EXPECT_EQ(Item<QLineEdit>(*panel, kLevelEdit)->text(), "48");
    EXPECT_EQ(Item<QLabel>(*panel, kLevelMin)->text(), "0");
    EXPECT_EQ(Item<QLabel>(*panel, kLevelMax)->text(), "85");
    EXPECT_EQ(Item<QLineEdit>(*panel, kFramesEdit)->text(), "4");
    EXPECT_EQ(Item<QComboBox>(*panel, kFanCombo)->currentText(), "Auto");
    EXPECT_EQ(Item<QComboBox>(*panel, kFanCombo)->count(), 3);
    EXPECT_TRUE(Item<QRadioButton>(*panel, kFast)->isChecked());
    EXPECT_FALSE(Item<QRadioButton>(*panel, kStandard)->isChecked());
    EXPECT_TRUE(panel->GetDlgItem(kAbsentEdit)->isHidden());
    EXPECT_TRUE(panel->GetDlgItem(kAbsentLabel)->isHidden());
    EXPECT_FALSE(panel->GetDlgItem(kFramesEdit)->isHidden());
    EXPECT_TRUE(Writes().empty());
}

// Example failure: an edit is written twice (on Enter and again on the focus loss), not at
// all, or with the whole typed number instead of the coded field; a slider key writes at
// every step; a combo choice writes its index instead of its id.
TEST_F(PanelOverCamera, AnOperatorChangeReachesTheRegisterOnceCoded)
{
    auto panel = OpenPanel();
    emu.ClearFrames();

    TypeAndEnter(Item<QLineEdit>(*panel, kFramesEdit), "7");
    EXPECT_EQ(Writes(), (std::vector<Bytes>{{0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, 0x07}}));
    std::int64_t stored = 0;
    link.GetParamInt("TriggerFrames", &stored);
    EXPECT_EQ(stored, 7);

    emu.ClearFrames();
    auto* slider = Item<CTrackBar>(*panel, kLevelSlider);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(Writes(), (std::vector<Bytes>{{0x57, 0x01, 0x34, 0x00, 0x00, 0x00, 0x55}}));
    EXPECT_EQ(Item<QLineEdit>(*panel, kLevelEdit)->text(), "85");

    emu.ClearFrames();
    auto* combo = Item<QComboBox>(*panel, kFanCombo);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_EQ(combo->currentText(), "On");
    EXPECT_EQ(Writes(), (std::vector<Bytes>{{0x57, 0x01, 0x30, 0x00, 0x00, 0x00, 0x01}}));

    emu.ClearFrames();
    QTest::mouseClick(Item<QRadioButton>(*panel, kDouble), Qt::LeftButton, Qt::NoModifier, QPoint(8, 11));
    EXPECT_EQ(Writes(), (std::vector<Bytes>{{0x57, 0x05, 0x18, 0x00, 0x00, 0x00, 0x02}}));
    EXPECT_FALSE(Item<QRadioButton>(*panel, kFast)->isChecked());
}

// Example failure: a typo confirmed with Enter writes the parameter's minimum to the camera.
TEST_F(PanelOverCamera, TextWithoutANumberWritesNothing)
{
    auto panel = OpenPanel();
    for (const int id : {kLevelEdit, kFramesEdit}) {
        SCOPED_TRACE(id);
        auto* edit = Item<QLineEdit>(*panel, id);
        const QString shown = edit->text();
        emu.ClearFrames();
        TypeAndEnter(edit, "abc");
        EXPECT_TRUE(Writes().empty());
        EXPECT_EQ(edit->text(), shown);
    }
    EXPECT_EQ(panel->m_level.m_nValue, 0x30);
    EXPECT_EQ(panel->m_frames.m_nValue, 4);

    // The leading number of partly numeric text still counts.
    emu.ClearFrames();
    TypeAndEnter(Item<QLineEdit>(*panel, kFramesEdit), "6abc");
    EXPECT_EQ(Writes(), (std::vector<Bytes>{{0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, 0x06}}));
}

// Example failure: an offline camera is written, or the panel leaves the typed value unshown.
TEST_F(PanelOverCamera, NothingIsWrittenWhileOffline)
{
    auto panel = OpenPanel();
    link.GoOffline();
    emu.ClearFrames();
    TypeAndEnter(Item<QLineEdit>(*panel, kFramesEdit), "9");
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(panel->m_frames.m_nValue, 9);
}

// Example failure: a change made by another panel does not move this panel's controls, or
// moves them through their change signals so this panel writes the value back to the camera.
TEST_F(PanelOverCamera, AChangeMadeElsewhereMovesTheControlAndWritesNothing)
{
    auto panel = OpenPanel();
    auto other = OpenPanel();
    emu.ClearFrames();

    TypeAndEnter(Item<QLineEdit>(*other, kFramesEdit), "12");
    EXPECT_EQ(Item<QLineEdit>(*panel, kFramesEdit)->text(), "12");
    EXPECT_EQ(panel->m_frames.m_nValue, 12);

    link.SetParamIntIfOnline("FanMode", 0, true, false);
    EXPECT_EQ(Item<QComboBox>(*panel, kFanCombo)->currentText(), "Off");
    link.SetParamIntIfOnline("TriggerMode", 2, true, false);
    EXPECT_TRUE(Item<QRadioButton>(*panel, kDouble)->isChecked());
    link.SetParamIntIfOnline("FanOnLevel", 20, true, false);
    EXPECT_EQ(Item<CTrackBar>(*panel, kLevelSlider)->GetPos(), 20);
    EXPECT_EQ(Item<QLineEdit>(*panel, kLevelEdit)->text(), "20");
    QApplication::processEvents();

    // One frame per change: the panel that followed wrote nothing.
    EXPECT_EQ(Writes(), (std::vector<Bytes>{{0x57, 0x05, 0x1C, 0x00, 0x00, 0x00, 0x0C},
                                            {0x57, 0x01, 0x30, 0x00, 0x00, 0x00, 0x00},
                                            {0x57, 0x05, 0x18, 0x00, 0x00, 0x00, 0x02},
                                            {0x57, 0x01, 0x34, 0x00, 0x00, 0x00, 0x14}}));
}

}  // namespace

// Example failure: a refused write made on a panel is shown as an application box instead of
// the panel's own, or the panel stays the link's error owner after the write, so a later
// refusal from elsewhere is shown over a hidden panel.
TEST_F(PanelOverCamera, ARefusedWriteIsShownByThePanelThatWrote)
{
    auto panel = OpenPanel();
    link.SetCheckErrorDisabled(false);
    link.SetIdentified(true);
    emu::Fault refusal;
    refusal.kind = emu::FaultKind::Refuse;
    refusal.code = 4;  // value less than minimum
    emu.SetAddressFault(0x051C, refusal);
    std::vector<wnd::MessageBoxRequest> boxes;
    {
        wnd::ScopedMessageBoxHandler handler([&](const wnd::MessageBoxRequest& box) {
            boxes.push_back(box);
            return wnd::IDOK;
        });
        TypeAndEnter(Item<QLineEdit>(*panel, kFramesEdit), "7");
    }
    emu.SetAddressFault(0x051C, emu::Fault{});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.toStdString(), "Write <TriggerFrames> param to camera\n Value less then minimum [ID=4]");
    EXPECT_EQ(link.m_pErrorOwner, nullptr);
}
