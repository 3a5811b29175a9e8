#include "catalogues/ConfigurationTable.h"

#include "catalogues/BuildCatalogKelmir.h"
#include "catalogues/BuildCatalogZorvatAerospace.h"
#include "catalogues/BuildCatalogZorvatAerospace47.h"
#include "catalogues/BuildCatalogZorvatMachineVision.h"
#include "catalogues/BuildCatalogZorvatRuggedized.h"
#include "catalogues/CatalogueBuilders.h"

#include "support/LargeSensorCases.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

// Example failure: an unidentified camera (-1) or an unknown index reads outside the table, or
// picks a row other than the default machine-vision one.
TEST(ConfigurationTable, IndexesOutsideTheTableUseTheDefaultRow)
{
    struct Row {
        int index;
        int row;
        const char* title;
    } rows[] = {
        {-1, 4, "Corvel"},        {0, 0, "Corvel"},          {4, 4, "Corvel Zorvat"},
        {5, 5, "Corvel Zorvat"},  {7, 7, "Corvel Kelmir"},   {11, 11, "Corvel Zorvat"},
        {17, 17, "Corvel"},       {18, 4, "Corvel"},         {255, 4, "Corvel"},
        {INT_MIN, 4, "Corvel"},   {INT_MAX, 4, "Corvel"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(ConfigurationRowIndex(row.index), row.row);
        EXPECT_EQ(WindowTitleFor(row.index), row.title);
    }
    EXPECT_STREQ(ConfigurationRowFor(-1).mapName, "Zorvat.MachineVision");
}

// Example failure: a map name or built-in id is mistyped, so a camera's map is never found.
TEST(ConfigurationTable, RowsNameTheirMapsAndVariants)
{
    struct Row {
        int index;
        const char* mapName;
        const char* displayName;
        int builtin;
        PanelVariant panels;
    } rows[] = {
        {0, "Wispen", "Wispen", 0, PanelVariant::Standard},
        {4, "Zorvat.MachineVision", "Zorvat(Industrial)", 170, PanelVariant::NoAecAgc},
        {5, "Zorvat.MachineVision47", "Zorvat 47M(Industrial)", 174, PanelVariant::NoAecAgc},
        {7, "Kelmir", "Kelmir", 173, PanelVariant::Kelmir},
        {8, "Zorvat.Aerospace", "Zorvat(Aerospace)", 171, PanelVariant::Standard},
        {9, "Zorvat.Aerospace47", "Zorvat 47M(Aerospace)", 175, PanelVariant::Standard},
        {10, "Zorvat.Ruggedized", "Zorvat(Ruggedized)", 172, PanelVariant::Standard},
        {11, "Zorvat.Ruggedized47", "Zorvat 47M(Ruggedized)", 176, PanelVariant::Standard},
        {17, "Wispen.Correction", "Wispen Cluster Faint Cor.", 0, PanelVariant::Standard},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        const ConfigurationRow& config = ConfigurationRowFor(row.index);
        EXPECT_STREQ(config.mapName, row.mapName);
        EXPECT_STREQ(config.displayName, row.displayName);
        EXPECT_EQ(config.builtinMapId, row.builtin);
        EXPECT_EQ(config.panels, row.panels);
    }
    int withMap = 0;
    for (int i = 0; i < kConfigurationCount; ++i)
        withMap += ConfigurationRowFor(i).builtinMapId != 0;
    EXPECT_EQ(withMap, 7);
}

// Example failure: configuration 10 counts as small for the download terminal, so its
// flat-field tables are cut to 128 pages and its defect tables lose their bottom-up list; the
// editor's and the image panel's 47M rule is widened with it; or an index past the table
// (a camera the table does not know yet) stops counting as large for the terminal.
TEST(ConfigurationTable, EachFlashToolHasItsOwnLargeSensors)
{
    using corvel::test::LargeSensorCase;
    for (const LargeSensorCase& c : corvel::test::kLargeSensorCases) {
        EXPECT_EQ(IsLargeSensorForDownload(c.config), c.terminal) << c.config;
        EXPECT_EQ(IsLargeSensor47M(c.config), c.editor) << c.config;
    }
    // At the table's ends and past them: the terminal counts every index from 18 up as large and
    // the negative ones (-1 before identification) as small; no index outside is a 47M sensor.
    const LargeSensorCase edges[] = {
        {INT_MIN, false, false}, {-2, false, false}, {-1, false, false}, {17, true, false},
        {18, true, false},       {255, true, false}, {INT_MAX, true, false},
    };
    for (const LargeSensorCase& c : edges) {
        EXPECT_EQ(IsLargeSensorForDownload(c.config), c.terminal) << c.config;
        EXPECT_EQ(IsLargeSensor47M(c.config), c.editor) << c.config;
    }
    // The 47M sensors are the rows named so; each is large for the terminal too.
    for (int i = 0; i < kConfigurationCount; ++i) {
        const ConfigurationRow& row = ConfigurationRowFor(i);
        EXPECT_EQ(row.largeSensor47M, std::strstr(row.displayName, "47M") != nullptr) << i;
        if (row.largeSensor47M) {
            EXPECT_TRUE(row.largeSensorForDownload) << i;
        }
        EXPECT_EQ(IsLargeSensorForDownload(i), row.largeSensorForDownload) << i;
        EXPECT_EQ(IsLargeSensor47M(i), row.largeSensor47M) << i;
    }
}

// Example failure: a configuration is added with its built-in map but no builder (its camera is
// listed by the port selector and gets no catalogue), a builder is keyed to a row without a map,
// two rows' builders are swapped, or an index outside the table runs a builder.
TEST(ConfigurationTable, EachRowWithABuiltInMapHasItsOwnCatalogueBuilder)
{
    const struct {
        int row;
        CatalogueBuilder builder;
    } builders[] = {
        {4, BuildCatalogZorvatMachineVision},  {5, BuildCatalogZorvatMachineVision47},
        {7, BuildCatalogKelmir},               {8, BuildCatalogZorvatAerospace},
        {9, BuildCatalogZorvatAerospace47},    {10, BuildCatalogZorvatRuggedized},
        {11, BuildCatalogZorvatRuggedized47},
    };
    for (const auto& expected : builders) {
        EXPECT_EQ(CatalogueBuilderFor(expected.row), expected.builder) << expected.row;
    }
    for (int i = 0; i < kConfigurationCount; ++i) {
        EXPECT_EQ(CatalogueBuilderFor(i) != nullptr, ConfigurationRowFor(i).builtinMapId != 0) << i;
    }
    EXPECT_EQ(CatalogueBuilderFor(kDefaultConfigurationRow), BuildCatalogZorvatMachineVision);
    for (int outside : {INT_MIN, -1, kConfigurationCount, 255, INT_MAX}) {
        EXPECT_EQ(CatalogueBuilderFor(outside), nullptr) << outside;
    }
}
