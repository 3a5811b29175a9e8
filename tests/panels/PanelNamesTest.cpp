// The parameter names the feature panels use against the catalogues of the configurations that
// show them.
#include "PanelFixture.h"

#include "panels/PanelNames.h"

#include <map>
#include <string>
#include <utility>

namespace {

using namespace corvel::test;

class PanelNamesTest : public PanelTest, public ::testing::WithParamInterface<int> {};

// Example failure: a panel spells a parameter its camera's catalogue does not define (a typo, or
// a name of another configuration), so its control stays empty and its edits write nothing.
TEST_P(PanelNamesTest, EveryNameAPanelUsesIsInTheCatalogue)
{
    const int config = GetParam();
    CCorvel_5Dlg& w = OpenOnCamera(config);
    for (int slot = 0; slot < kPanelSlots; ++slot) {
        const COptionDialog* panel = w.GetPanel(slot);
        if (!panel)
            continue;
        for (std::string_view name : panel_names::PanelNamesOf(panel->TemplateId())) {
            _OrvStParam record{};
            EXPECT_EQ(w.m_Link.GetParamData(std::string(name).c_str(), &record), 0)
                << "slot " << slot << " template " << panel->TemplateId() << ": " << name;
        }
    }
}

std::vector<int> ConfigurationsWithAMap();

// Example failure: a panel spells a parameter it shows only on some cameras so that no camera's
// catalogue defines it: its controls are hidden everywhere and the typo goes unnoticed.
TEST_F(PanelTest, EveryOptionalNameIsInSomeCatalogueThatShowsThePanel)
{
    std::map<std::pair<int, std::string_view>, bool> found;  // (template, name) -> defined somewhere
    for (int config : ConfigurationsWithAMap()) {
        CCorvel_5Dlg& w = OpenOnCamera(config);
        for (int slot = 0; slot < kPanelSlots; ++slot) {
            const COptionDialog* panel = w.GetPanel(slot);
            if (!panel)
                continue;
            for (std::string_view name : panel_names::OptionalPanelNamesOf(panel->TemplateId())) {
                _OrvStParam record{};
                found[{panel->TemplateId(), name}] |= w.m_Link.GetParamData(std::string(name).c_str(), &record) == 0;
            }
        }
        window.reset();
    }
    for (const auto& [key, defined] : found)
        EXPECT_TRUE(defined) << "template " << key.first << ": " << key.second;
}

// The configurations whose register map is built in.
std::vector<int> ConfigurationsWithAMap()
{
    std::vector<int> configs;
    for (int config = 0; config < kConfigurationCount; ++config) {
        const int mapId = ConfigurationRowFor(config).builtinMapId;
        if (mapId != 0 && LoadBuiltinRegisterMap(mapId))
            configs.push_back(config);
    }
    return configs;
}

INSTANTIATE_TEST_SUITE_P(Configurations, PanelNamesTest, ::testing::ValuesIn(ConfigurationsWithAMap()),
                         [](const auto& info) { return "Config" + std::to_string(info.param); });

}  // namespace
