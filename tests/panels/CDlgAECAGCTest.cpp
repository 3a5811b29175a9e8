// The AEC/AGC panel in slot 3 of the main window, over an emulated aerospace camera
// (configuration 8), driven with mouse and key events.
#include "PanelFixture.h"

#include "camera/RegisterLink.h"
#include "controls/CDualSlider.h"
#include "controls/CUpDownCtrl.h"
#include "controls/MouseDrive.h"
#include "panels/CDlgAECAGC.h"
#include "panels/PanelNames.h"
#include "support/LabelFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <functional>
#include <string>

namespace {

using namespace corvel::test;
using Frames = std::vector<std::vector<std::uint8_t>>;
using D = CDlgAECAGC;

constexpr int kAerospace = 8;

// The emulated camera: exposure range 10..300000 µs, limits 100..199997 µs (a maximum that the
// log scale rounds to 199986), gain limits raw 100..900 of 0..1023.
struct CameraState {
    std::uint32_t exposureMin = 10;
    std::uint32_t exposureMax = 300000;
    std::uint32_t exposure = 20000;
    std::uint32_t aecMin = 100;
    std::uint32_t aecMax = 199997;
    std::uint32_t agcMin = 100;
    std::uint32_t agcMax = 900;
    std::uint32_t lumaLevel = 2048;
    std::uint32_t lumaMode = 1;
    std::uint32_t aecEnable = 1;
    std::uint32_t agcEnable = 1;
};

class AecAgcPanelTest : public PanelTest {
protected:
    CDlgAECAGC* Open(const CameraState& camera = CameraState())
    {
        OpenOnCamera(kAerospace);
        SetCameraValue("ExposureMin", camera.exposureMin);
        SetCameraValue("ExposureMax", camera.exposureMax);
        SetCameraValue("Exposure", camera.exposure);
        SetCameraValue("AECLimitMin", camera.aecMin);
        SetCameraValue("AECLimitMax", camera.aecMax);
        SetCameraValue("AGCLimitMin", camera.agcMin);
        SetCameraValue("AGCLimitMax", camera.agcMax);
        SetCameraValue("LumaLevel", camera.lumaLevel);
        SetCameraValue("LumaMode", camera.lumaMode);
        SetCameraValue("AECEnable", camera.aecEnable);
        SetCameraValue("AGCEnable", camera.agcEnable);
        window->SetDefault();
        auto* panel = dynamic_cast<CDlgAECAGC*>(ShownPanel(3));
        emu.ClearFrames();
        return panel;
    }

    int IconOf(CDlgAECAGC* panel, int id) { return panel->GetDlgItem(id)->property(D::kIconIdProperty).toInt(); }

    /// Types text into an edit and presses Enter, as the operator does.
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }

    /// Tabs through an edit without changing it.
    static void PassThrough(QLineEdit* edit)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Tab);
        QApplication::processEvents();
    }

    static QPoint MarkerCentre(const CDualSlider* slider, int marker)
    {
        const ctl::SRect& r = marker == 1 ? slider->marker1Rect : slider->marker2Rect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    static QPoint UpperHalf(QWidget* spin) { return QPoint(spin->width() / 2, spin->height() / 4); }
};

// Example failure: the refresh shows the limits as the log scale rounds them (199986 for the
// camera's 199997), or writes anything while it reads.
TEST_F(AecAgcPanelTest, RefreshShowsTheCameraAsItIs)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr) << "slot 3 holds the AEC/AGC panel on the aerospace camera";
    EXPECT_EQ(panel->windowTitle().isEmpty(), false);
    EXPECT_TRUE(Item<QCheckBox>(panel, D::IDC_AEC_ENABLE)->isChecked());
    EXPECT_TRUE(Item<QCheckBox>(panel, D::IDC_AGC_ENABLE)->isChecked());
    EXPECT_EQ(Item<QComboBox>(panel, D::IDC_LUMA_MODE)->currentText(), "Peak");
    EXPECT_EQ(Text(panel, D::IDC_LUMA_LEVEL), "2048");
    EXPECT_EQ(Text(panel, D::IDC_EXPOSURE_LOWER), "10");
    EXPECT_EQ(Text(panel, D::IDC_EXPOSURE_UPPER), "300000");
    EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), "100");
    EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "199997");
    EXPECT_EQ(panel->AecLimit(2), 199997);
    EXPECT_EQ(Text(panel, D::IDC_GAIN_LO), "0.00");
    EXPECT_EQ(Text(panel, D::IDC_GAIN_HI), "36.00");
    EXPECT_EQ(Text(panel, D::IDC_AGC_MIN), "3.52");
    EXPECT_EQ(Text(panel, D::IDC_AGC_MAX), "31.67");

    // Each spin's range ends at the other limit, so the two never cross.
    auto* aecMin = Item<CUpDownCtrl>(panel, D::IDC_AEC_MIN_SPIN);
    auto* aecMax = Item<CUpDownCtrl>(panel, D::IDC_AEC_MAX_SPIN);
    EXPECT_EQ(aecMin->Low(), 10);
    EXPECT_EQ(aecMin->High(), 199997);
    EXPECT_EQ(aecMin->GetPos32(), 100);
    EXPECT_EQ(aecMax->Low(), 100);
    EXPECT_EQ(aecMax->High(), 300000);
    auto* agcMax = Item<CUpDownCtrl>(panel, D::IDC_AGC_MAX_SPIN);
    EXPECT_EQ(agcMax->Low(), 100);
    EXPECT_EQ(agcMax->High(), 1023);
    EXPECT_EQ(Item<CUpDownCtrl>(panel, D::IDC_LUMA_LEVEL_SPIN)->High(), 0x0FFF);

    // The sliders stand over the placeholders: the exposure one on the log scale.
    CDualSlider* aec = panel->AecSlider();
    ASSERT_NE(aec, nullptr);
    EXPECT_EQ(panel->GetDlgItem(D::IDC_AEC_SLIDER), aec);
    EXPECT_EQ(aec->minValue, 10000);
    EXPECT_EQ(aec->maxValue, 54771);
    EXPECT_EQ(aec->value1, 20000);
    EXPECT_EQ(aec->value2, 53010);
    EXPECT_EQ(panel->AgcSlider()->value2, 900);
    EXPECT_TRUE(WriteFrames().empty());

    // A second refresh changes nothing and writes nothing.
    ASSERT_TRUE(panel->RefreshFromStorage());
    EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "199997");
    EXPECT_EQ(panel->AecSlider(), aec);
    EXPECT_TRUE(WriteFrames().empty());
}

// An edit by the operator writes exactly one register with the coded word.
TEST_F(AecAgcPanelTest, EachEditWritesOneRegister)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    const struct {
        const char* what;
        std::function<void()> act;
        const char* name;
        std::uint32_t value;
        std::function<void()> check;
    } rows[] = {
        {"AEC minimum typed", [&] { Type(Item<QLineEdit>(panel, D::IDC_AEC_MIN), "5000"); }, "AECLimitMin", 5000,
         [&] { EXPECT_EQ(Item<CUpDownCtrl>(panel, D::IDC_AEC_MAX_SPIN)->Low(), 5000); }},
        {"AEC maximum typed", [&] { Type(Item<QLineEdit>(panel, D::IDC_AEC_MAX), "150000"); }, "AECLimitMax", 150000,
         [&] { EXPECT_EQ(panel->AecSlider()->value2, 51761); }},
        {"AEC minimum above the maximum stores the maximum",
         [&] { Type(Item<QLineEdit>(panel, D::IDC_AEC_MIN), "400000"); }, "AECLimitMin", 150000,
         [&] { EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), "150000"); }},
        {"AEC minimum below the range's lower end",
         [&] { Type(Item<QLineEdit>(panel, D::IDC_AEC_MIN), "1"); }, "AECLimitMin", 10, [] {}},
        {"AGC minimum typed in dB", [&] { Type(Item<QLineEdit>(panel, D::IDC_AGC_MIN), "10"); }, "AGCLimitMin", 284,
         [&] { EXPECT_EQ(Text(panel, D::IDC_AGC_MIN), "9.99"); }},
        {"AGC maximum above the top shows the high gain",
         [&] { Type(Item<QLineEdit>(panel, D::IDC_AGC_MAX), "50"); }, "AGCLimitMax", 1023,
         [&] { EXPECT_EQ(Text(panel, D::IDC_AGC_MAX), "36.00"); }},
        {"luminance level typed", [&] { Type(Item<QLineEdit>(panel, D::IDC_LUMA_LEVEL), "1000"); }, "LumaLevel", 1000,
         [] {}},
        {"luminance level above its maximum is held", [&] { Type(Item<QLineEdit>(panel, D::IDC_LUMA_LEVEL), "9999"); },
         "LumaLevel", 0x0FFF, [&] { EXPECT_EQ(Text(panel, D::IDC_LUMA_LEVEL), "4095"); }},
        {"luminance mode picked",
         [&] {
             auto* combo = Item<QComboBox>(panel, D::IDC_LUMA_MODE);
             combo->setFocus();
             QTest::keyClick(combo, Qt::Key_Up);
         },
         "LumaMode", 0, [&] { EXPECT_EQ(Item<QComboBox>(panel, D::IDC_LUMA_MODE)->currentText(), "Average"); }},
        {"AGC switched off", [&] { QTest::mouseClick(Item<QCheckBox>(panel, D::IDC_AGC_ENABLE), Qt::LeftButton); },
         "AGCEnable", 0, [&] { EXPECT_FALSE(panel->GetDlgItem(D::IDC_AGC_MIN)->isEnabled()); }},
        {"AEC switched off", [&] { QTest::mouseClick(Item<QCheckBox>(panel, D::IDC_AEC_ENABLE), Qt::LeftButton); },
         "AECEnable", 0, [&] { EXPECT_FALSE(panel->GetDlgItem(D::IDC_LUMA_LEVEL)->isEnabled()); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        emu.ClearFrames();
        const Frames expected{WriteOf(row.name, row.value)};
        row.act();
        EXPECT_EQ(WriteFrames(), expected);
        row.check();
    }
}

// Example failure (F7): a plain click on a marker, or tabbing through an edit, writes the
// rounding of the camera's limit (199986 for 199997) or any unchanged limit again.
TEST_F(AecAgcPanelTest, AClickOrATabWithoutAChangeWritesNothing)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    for (CDualSlider* slider : {panel->AecSlider(), panel->AgcSlider()})
        for (int marker : {1, 2}) {
            const QPoint at = MarkerCentre(slider, marker);
            Press(slider, at);
            Release(slider, at);
        }
    for (int id : {D::IDC_AEC_MIN, D::IDC_AEC_MAX, D::IDC_AGC_MIN, D::IDC_AGC_MAX})
        PassThrough(Item<QLineEdit>(panel, id));
    EXPECT_TRUE(WriteFrames().empty());
    EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "199997");

    // The same after a change made elsewhere, and for text that is no number.
    ASSERT_EQ(window->m_Link.SetParamInt("AECLimitMax", 250001, true), 0);
    emu.ClearFrames();
    Press(panel->AecSlider(), MarkerCentre(panel->AecSlider(), 2));
    Release(panel->AecSlider(), MarkerCentre(panel->AecSlider(), 2));
    PassThrough(Item<QLineEdit>(panel, D::IDC_AEC_MAX));
    Type(Item<QLineEdit>(panel, D::IDC_AEC_MIN), "abc");
    Type(Item<QLineEdit>(panel, D::IDC_AGC_MIN), "dB");
    EXPECT_TRUE(WriteFrames().empty());
    EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "250001");
    EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), "100");
    EXPECT_EQ(Text(panel, D::IDC_AGC_MIN), "3.52");
}

// Dragging a marker updates the edit as it goes and writes once, on release.
TEST_F(AecAgcPanelTest, MarkerDragWritesOnRelease)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    CDualSlider* aec = panel->AecSlider();
    const QPoint from = MarkerCentre(aec, 2);
    Press(aec, from);
    MoveHeld(aec, from - QPoint(10, 0));
    MoveHeld(aec, from - QPoint(20, 0));
    EXPECT_TRUE(WriteFrames().empty()) << "nothing while the marker moves";
    const QString shown = Text(panel, D::IDC_AEC_MAX);
    EXPECT_LT(shown.toInt(), 199997);
    Release(aec, from - QPoint(20, 0));
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("AECLimitMax", shown.toUInt())}));

    // The gain marker: not held while dragged, held within the raw range on release.
    emu.ClearFrames();
    CDualSlider* agc = panel->AgcSlider();
    const QPoint start = MarkerCentre(agc, 1);
    Press(agc, start);
    MoveHeld(agc, start + QPoint(15, 0));
    EXPECT_TRUE(WriteFrames().empty());
    const int raw = panel->AgcLimit(1);
    EXPECT_GT(raw, 100);
    EXPECT_EQ(Text(panel, D::IDC_AGC_MIN).toStdString(), aec_agc::GainText(panel->GainScale(), raw));
    Release(agc, start + QPoint(15, 0));
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("AGCLimitMin", static_cast<std::uint32_t>(raw))}));
}

// A spin step writes at the end of the action; the gain spin shows decibels at every step.
TEST_F(AecAgcPanelTest, SpinsWriteWhenReleased)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    auto* aecMin = Item<CUpDownCtrl>(panel, D::IDC_AEC_MIN_SPIN);
    QTest::mouseClick(aecMin, Qt::LeftButton, Qt::NoModifier, UpperHalf(aecMin));
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("AECLimitMin", 101)}));
    EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), "101");
    EXPECT_EQ(panel->AecSlider()->value1, aec_agc::ExposurePosition(101));

    // Exposures above 65535 reach the camera whole.
    emu.ClearFrames();
    auto* aecMax = Item<CUpDownCtrl>(panel, D::IDC_AEC_MAX_SPIN);
    QTest::mouseClick(aecMax, Qt::LeftButton, Qt::NoModifier, UpperHalf(aecMax));
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("AECLimitMax", 199998)}));

    emu.ClearFrames();
    auto* agcMax = Item<CUpDownCtrl>(panel, D::IDC_AGC_MAX_SPIN);
    QTest::mousePress(agcMax, Qt::LeftButton, Qt::NoModifier, UpperHalf(agcMax));
    EXPECT_EQ(Text(panel, D::IDC_AGC_MAX), "31.71");
    EXPECT_TRUE(WriteFrames().empty());
    QTest::mouseRelease(agcMax, Qt::LeftButton, Qt::NoModifier, UpperHalf(agcMax));
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("AGCLimitMax", 901)}));

    emu.ClearFrames();
    auto* level = Item<CUpDownCtrl>(panel, D::IDC_LUMA_LEVEL_SPIN);
    QTest::mouseClick(level, Qt::LeftButton, Qt::NoModifier, UpperHalf(level));
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("LumaLevel", 2049)}));
    EXPECT_EQ(Text(panel, D::IDC_LUMA_LEVEL), "2049");
}

// Changes made elsewhere move the controls; the panel writes nothing of its own.
TEST_F(AecAgcPanelTest, ChangesMadeElsewhereMoveTheControls)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    const struct {
        const char* name;
        std::int64_t value;
        int id;
        const char* shown;
    } rows[] = {
        {"AECLimitMin", 2000, D::IDC_AEC_MIN, "2000"},
        {"AECLimitMax", 123457, D::IDC_AEC_MAX, "123457"},
        {"AGCLimitMin", 0, D::IDC_AGC_MIN, "0.00"},
        {"AGCLimitMax", 512, D::IDC_AGC_MAX, "18.02"},
        {"LumaLevel", 77, D::IDC_LUMA_LEVEL, "77"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        emu.ClearFrames();
        ASSERT_EQ(window->m_Link.SetParamInt(row.name, row.value, true), 0);
        EXPECT_EQ(WriteFrames().size(), 1u) << "only the change itself";
        EXPECT_EQ(Text(panel, row.id), row.shown);
    }
    EXPECT_EQ(panel->AecSlider()->value1, aec_agc::ExposurePosition(2000));
    EXPECT_EQ(panel->AgcSlider()->value2, 512);
    EXPECT_EQ(Item<CUpDownCtrl>(panel, D::IDC_AEC_MAX_SPIN)->Low(), 2000);

    emu.ClearFrames();
    ASSERT_EQ(window->m_Link.SetParamInt("LumaMode", 0, true), 0);
    ASSERT_EQ(window->m_Link.SetParamInt("AGCEnable", 0, true), 0);
    EXPECT_EQ(WriteFrames().size(), 2u);
    EXPECT_EQ(Item<QComboBox>(panel, D::IDC_LUMA_MODE)->currentText(), "Average");
    EXPECT_FALSE(Item<QCheckBox>(panel, D::IDC_AGC_ENABLE)->isChecked());
    EXPECT_FALSE(panel->AgcSlider()->isEnabled());
    EXPECT_TRUE(panel->AecSlider()->isEnabled());
}

// The groups follow their regulators; luminance is usable while either runs.
TEST_F(AecAgcPanelTest, GroupsFollowTheirRegulators)
{
    const struct {
        std::uint32_t aec, agc;
        bool aecGroup, agcGroup, luma;
    } rows[] = {{0, 0, false, false, false}, {1, 0, true, false, true}, {0, 1, false, true, true}, {1, 1, true, true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.aec) + std::to_string(row.agc));
        CameraState camera;
        camera.aecEnable = row.aec;
        camera.agcEnable = row.agc;
        CDlgAECAGC* panel = Open(camera);
        ASSERT_NE(panel, nullptr);
        for (int id : {D::IDC_AEC_MIN, D::IDC_AEC_MAX_SPIN, D::IDC_AEC_SLIDER, D::IDC_EXPOSURE_UPPER})
            EXPECT_EQ(panel->GetDlgItem(id)->isEnabled(), row.aecGroup) << id;
        for (int id : {D::IDC_AGC_MIN, D::IDC_AGC_MAX_SPIN, D::IDC_AGC_SLIDER, D::IDC_GAIN_HI})
            EXPECT_EQ(panel->GetDlgItem(id)->isEnabled(), row.agcGroup) << id;
        for (int id : {D::IDC_LUMA_MODE, D::IDC_LUMA_LEVEL, D::IDC_LUMA_LEVEL_SPIN})
            EXPECT_EQ(panel->GetDlgItem(id)->isEnabled(), row.luma) << id;
        window.reset();
    }
}

// The status tick: read-outs, state lamps, and limits the exposure range no longer holds.
TEST_F(AecAgcPanelTest, LiveValuesAndStateLamps)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    SetCameraValue("Exposure", 12345);
    SetCameraValue("AGCCurrentA", 1023);
    SetCameraValue("LumaCurrent", 1500);
    SetCameraValue("AECMax", 1);
    SetCameraValue("AECMin", 1);
    SetCameraValue("AGCMin", 1);
    panel->RefreshLiveValues();
    EXPECT_EQ(Text(panel, D::IDC_EXPOSURE_NOW), "12.345");
    EXPECT_EQ(Text(panel, D::IDC_GAIN_NOW), "36.00");
    EXPECT_EQ(Text(panel, D::IDC_LUMA_NOW), "1500");
    EXPECT_EQ(IconOf(panel, D::IDC_AEC_STATE), 147);
    EXPECT_EQ(IconOf(panel, D::IDC_AGC_STATE), 165);
    SetCameraValue("AECMax", 0);
    SetCameraValue("AGCMin", 0);
    panel->RefreshLiveValues();
    EXPECT_EQ(IconOf(panel, D::IDC_AEC_STATE), 165);
    EXPECT_EQ(IconOf(panel, D::IDC_AGC_STATE), 149);
    EXPECT_TRUE(WriteFrames().empty());

    // AEC off: the off lamp whatever the flags say.
    ASSERT_EQ(window->m_Link.SetParamInt("AECEnable", 0, true), 0);
    SetCameraValue("AECMax", 1);
    panel->RefreshLiveValues();
    EXPECT_EQ(IconOf(panel, D::IDC_AEC_STATE), 164);

    // AEC on and the camera's range shrinks below the upper limit: it is held and written once.
    ASSERT_EQ(window->m_Link.SetParamInt("AECEnable", 1, true), 0);
    emu.ClearFrames();
    SetCameraValue("ExposureMax", 150000);
    panel->RefreshLiveValues();
    EXPECT_EQ(WriteFrames(), (Frames{WriteOf("AECLimitMax", 150000)}));
    EXPECT_EQ(Text(panel, D::IDC_EXPOSURE_UPPER), "150000");
    EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "150000");
    EXPECT_EQ(Item<CUpDownCtrl>(panel, D::IDC_AEC_MAX_SPIN)->High(), 150000);
    EXPECT_EQ(panel->AecSlider()->maxValue, aec_agc::ExposurePosition(150000));
    emu.ClearFrames();
    panel->RefreshLiveValues();
    EXPECT_TRUE(WriteFrames().empty()) << "once";

    // An ExposureMax of 0 gives the link's maximum.
    SetCameraValue("ExposureMax", 0);
    panel->RefreshLiveValues();
    EXPECT_EQ(panel->ExposureUpper(), 0xFFFFFF);
}

// Example failure: on a camera whose catalogue gives the exposure no bounds (no "Exposure"
// record), AEC holds both limits to the camera's minimum exposure, or in debug mode to 0, and
// writes them.
TEST_F(AecAgcPanelTest, WithoutExposureBoundsTheLimitsStayTheCameras)
{
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug mode" : "normal");
        CDlgAECAGC* panel = Open();
        ASSERT_NE(panel, nullptr);
        RebuildCatalogueWithout({"Exposure"}, AerospaceCatalogue());
        ASSERT_EQ(window->m_Link.m_ExposureParam.max.n, 0);
        panel->SetDebugMode(debug);
        panel->RefreshFromStorage();
        panel->RefreshLiveValues();
        EXPECT_TRUE(WriteFrames().empty()) << WriteFrames().size() << " writes";
        EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), "100");
        EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "199997");
        EXPECT_EQ(panel->ExposureUpper(), 0xFFFFFF) << "the AEC upper limit's own maximum";
        window.reset();
    }
}

// Example failure: AEC switched on over limits outside the exposure range writes them held in
// the range but goes on showing the camera's old limits; a held limit the camera refuses is shown
// as held although the camera kept its own; a refused switch-on writes the limits all the same.
TEST_F(AecAgcPanelTest, LimitsHeldWhenAecIsSwitchedOnShowWhatTheCameraHolds)
{
    const struct {
        const char* what;
        std::vector<const char*> refused;
        std::uint32_t enabled, min, max;
    } rows[] = {{"taken", {}, 1, 10, 300000},
                {"limits refused", {"AECLimitMin", "AECLimitMax"}, 1, 5, 400000},
                {"switch-on refused", {"AECEnable"}, 0, 5, 400000}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CameraState camera;
        camera.aecEnable = 0;
        camera.aecMin = 5;
        camera.aecMax = 400000;
        CDlgAECAGC* panel = Open(camera);
        ASSERT_NE(panel, nullptr);
        ASSERT_EQ(Text(panel, D::IDC_AEC_MIN), "5");
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        for (const char* name : row.refused)
            emu.SetAddressFault(Reg(name).address, refuse);
        auto* enable = Item<QCheckBox>(panel, D::IDC_AEC_ENABLE);
        QTest::mouseClick(enable, Qt::LeftButton, Qt::NoModifier, QPoint(6, enable->height() / 2));
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        for (const char* name : row.refused)
            emu.SetAddressFault(Reg(name).address, {});
        EXPECT_EQ(Field("AECEnable"), row.enabled);
        EXPECT_EQ(enable->isChecked(), row.enabled == 1);
        EXPECT_EQ(Field("AECLimitMin"), row.min);
        EXPECT_EQ(Field("AECLimitMax"), row.max);
        EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), QString::number(row.min));
        EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), QString::number(row.max));
        // The status tick does not try a refused limit again.
        emu.ClearFrames();
        panel->RefreshLiveValues();
        EXPECT_TRUE(WriteFrames().empty());
        EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), QString::number(row.min));
        window.reset();
    }
}

// Example failure: AEC limits the camera refused to read are taken as 0, held at the exposure
// range's lower end and written to the camera, at the rebuild and at every status tick.
TEST_F(AecAgcPanelTest, LimitsTheCameraDidNotAnswerAreNeitherHeldNorWritten)
{
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug mode" : "normal");
        CDlgAECAGC* panel = Open();
        ASSERT_NE(panel, nullptr);
        panel->SetDebugMode(debug);
        emu::Fault refuse;
        refuse.kind = emu::FaultKind::Refuse;
        for (const char* name : {"AECLimitMin", "AECLimitMax"})
            emu.SetAddressFault(Reg(name).address, refuse);
        window->SetDefault();
        for (int tick = 0; tick < 2; ++tick)
            window->OnTimer(CCorvel_5Dlg::TIMER_FRAME_TIME);
        for (const auto& frame : WriteFrames()) {
            const int address = (frame[1] << 8) | frame[2];
            EXPECT_NE(address, Reg("AECLimitMin").address);
            EXPECT_NE(address, Reg("AECLimitMax").address);
        }
        // Once the camera answers, the panel shows its limits.
        for (const char* name : {"AECLimitMin", "AECLimitMax"})
            emu.SetAddressFault(Reg(name).address, emu::Fault{});
        window->SetDefault();
        EXPECT_EQ(Text(panel, D::IDC_AEC_MIN), "100");
        EXPECT_EQ(Text(panel, D::IDC_AEC_MAX), "199997");
        EXPECT_EQ(Field("AECLimitMin"), 100);
        EXPECT_EQ(Field("AECLimitMax"), 199997);
        window.reset();
    }
}

// The panel's names are in the catalogue, its texts whole at the default font; the
// machine-vision camera has no AEC/AGC slot.
TEST_F(AecAgcPanelTest, WholePanelOnTheAerospaceCameraNoneOnMachineVision)
{
    CDlgAECAGC* panel = Open();
    ASSERT_NE(panel, nullptr);
    for (std::string_view name : panel_names::PanelNamesOf(D::IDD)) {
        _OrvStParam record{};
        EXPECT_EQ(window->m_Link.GetParamData(std::string(name).c_str(), &record), 0) << name;
    }
    panel->RefreshLiveValues();
    for (const CutText& cut : CutTexts(panel))
        ADD_FAILURE() << "\"" << cut.text << "\" needs " << cut.needed << " px, has " << cut.room;
    std::vector<std::string> overlaps;
    for (const std::string& pair : OverlappingControls(panel))
        if (pair.find("QGroupBox") == std::string::npos)
            overlaps.push_back(pair);
    EXPECT_TRUE(overlaps.empty()) << overlaps.front();
    EXPECT_FALSE(Item<QLabel>(panel, D::IDC_AEC_STATE)->pixmap().isNull()) << "the state lamp is drawn";
    SaveShot(panel, "aec-agc");
    window.reset();

    CCorvel_5Dlg& w = OpenOnCamera(4);
    EXPECT_EQ(w.GetPanel(3), nullptr);
    EXPECT_EQ(dynamic_cast<CDlgAECAGC*>(w.GetPanel(3)), nullptr);
}

}  // namespace
