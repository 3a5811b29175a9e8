// Every feature panel on every configuration with a built-in map, as built and after each
// collapse its missing parameters cause: no shown control lies outside the panel, outside the
// group box that frames it or over another box or control, no text is cut (a combo's widest
// item, a pop-up's limit labels, a caption against its control), and a second refresh moves
// nothing.
// Example failure: a collapse moves a section up but leaves one of its controls behind, over the
// group below, or hides a box and leaves its captions shown below the shortened panel.
#include "PanelFixture.h"

#include "panels/CDlgAcquisition.h"
#include "panels/CDlgGainOffset.h"
#include "panels/CDlgImage.h"
#include "panels/CDlgImageKelmir.h"
#include "panels/CDlgOutput.h"
#include "panels/CDlgTempControl.h"
#include "panels/PanelNames.h"

#include "app/CPanelSlot.h"
#include "camera/RegisterLink.h"
#include "controls/LastConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

namespace corvel::test {
namespace {

using Absent = std::vector<const char*>;
namespace acq = panel_names::acquisition;
namespace image = panel_names::image;
namespace output = panel_names::output;
namespace temperature = panel_names::temperature;

/// A panel rebuilt as for a camera that lacks the `absent` parameters or allows `taps` taps.
struct Variant {
    Absent absent;
    int taps = 0;  ///< 0: as the camera reports

    std::string Name() const
    {
        std::string name = taps ? "-taps" + std::to_string(taps) : "";
        for (const char* p : absent)
            name += std::string(p == absent.front() ? "-without-" : "-") + p;
        return name;
    }
};

/// The rebuilds that collapse part of the panel: each parameter set whose absence does, and all
/// of them at once; for the gain panel, tap counts that hide rows and move the Link boxes.
std::vector<Variant> CollapsesOf(const COptionDialog* panel)
{
    if (dynamic_cast<const CDlgOutput*>(panel))
        return {{{output::kOut2Mapping}},
                {{output::kStrobe1Position}},
                {{output::kStrobe2Duration}},
                {{output::kOut2Mapping, output::kStrobe2Duration}}};
    if (dynamic_cast<const CDlgAcquisition*>(panel))
        return {{{acq::kTrStrobeDuration}},
                {{acq::kWDRMode}},
                {{acq::kTDIMode}},
                {{acq::kTrStrobeDuration, acq::kWDRMode, acq::kTDIMode}}};
    if (dynamic_cast<const CDlgImage*>(panel))
        return {{{image::kBrightnessLevel}},
                {{image::kSlaveAOIMode}},
                {{image::kBrightnessLevel, image::kSlaveAOIMode}}};
    if (dynamic_cast<const CDlgImageKelmir*>(panel))
        return {{{image::kSlaveAOIMode}}};
    if (dynamic_cast<const CDlgTempControl*>(panel))
        return {{{temperature::kTecMode}}};
    if (dynamic_cast<const CDlgGainOffset*>(panel))
        return {{{}, 2}, {{}, 7}, {{}, 16}};
    return {};
}

class PanelLayoutTest : public PanelTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        lastconfig::Write(lastconfig::kShowPythonPanel, 1);
    }

    /// The camera of `config` with every panel it can have: a lens on the active mount where the
    /// map has one, and the script panel.
    void OpenFull(int config)
    {
        CCorvel_5Dlg& w = OpenOnCamera(config);
        if (RegisterLink mount; GetRegisterLink(w.m_Link, panel_names::lens::kActiveMount, mount) == 0) {
            SetCameraValue(panel_names::lens::kActiveMount, 3);
            w.SetDefault();
        }
    }

    /// The panel of `slot` on a freshly opened camera, rebuilt as `variant` says.
    COptionDialog* OpenPanel(int config, int slot, const Variant& variant)
    {
        OpenOnCamera(config);
        COptionDialog* panel = ShownPanel(slot);
        if (!panel)
            return nullptr;
        if (!variant.absent.empty())
            RebuildCatalogueWithout(variant.absent, CatalogueOf(config));
        if (variant.taps)
            window->m_Link.m_nTapsAllowed = variant.taps;
        panel->RefreshFromStorage();
        Settle();
        return panel;
    }

    /// The checks every layout of a panel passes, named `name`; its picture is saved when `shot`.
    void ExpectSoundLayout(COptionDialog* panel, const std::string& name, bool shot = true)
    {
        SCOPED_TRACE(name);
        ExpectNoControlOverAnother(panel);
        ExpectNothingCut(panel);
        const auto before = LayoutOf(panel);
        panel->RefreshFromStorage();
        Settle();
        EXPECT_EQ(LayoutOf(panel), before) << "a second refresh moved a control";
        if (shot) {
            EXPECT_FALSE(SaveShot(panel, name).empty());
        }
    }
};

TEST_P(PanelLayoutTest, EveryPanelAsBuiltAndAfterEachCollapseKeepsItsControlsApart)
{
    const int config = GetParam();
    OpenFull(config);
    std::vector<std::pair<int, std::vector<Variant>>> collapses;
    for (int slot = 0; slot < kPanelSlots; ++slot) {
        COptionDialog* panel = ShownPanel(slot);
        if (!panel)
            continue;
        const std::string name = "layout-" + std::to_string(config) + "-slot" + std::to_string(slot);
        ExpectSoundLayout(panel, name);
        // The debug read-outs some panels grow, and their hiding again.
        const auto asBuilt = LayoutOf(panel);
        panel->SetShowDebugInfo(true);
        Settle();
        ExpectSoundLayout(panel, name + "-debug-info", LayoutOf(panel) != asBuilt);
        panel->SetShowDebugInfo(false);
        Settle();
        EXPECT_EQ(LayoutOf(panel), asBuilt) << name << ": hiding the debug info again";
        panel->hide();
        collapses.emplace_back(slot, CollapsesOf(panel));
    }
    // Gain, output, acquisition, image, white balance, temperature and scripts at least.
    EXPECT_GE(collapses.size(), 7u);
    for (const auto& [slot, variants] : collapses)
        for (const Variant& variant : variants)
            if (COptionDialog* panel = OpenPanel(config, slot, variant))
                ExpectSoundLayout(panel, "layout-" + std::to_string(config) + "-slot" + std::to_string(slot) +
                                             variant.Name());
}

INSTANTIATE_TEST_SUITE_P(BuiltInMaps, PanelLayoutTest, ::testing::Values(4, 5, 7, 8, 9, 10, 11),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Configuration" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace corvel::test
