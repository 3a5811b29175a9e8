// The acquisition panel's rules that hold no window, and its layout table.
#include "panels/AcquisitionLogic.h"
#include "panels/AcquisitionTemplate.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

using acq::ExposureLimits;
using acq::ExposureRange;

struct RangeRow {
    const char* name;
    ExposureLimits limits;
    ExposureRange refresh;
    ExposureRange freeRunningTick;
    ExposureRange triggeredTick;
};

// Example failure: ExposureMax of 0 (not reported) becomes the maximum, a reading above the
// record's maximum widens the range, or a triggered camera keeps the free-running limit.
TEST(AcquisitionExposureRange, FollowsTheCameraLimits)
{
    const RangeRow rows[] = {
        {"max below the record", {1, 0xFFFFFF, 10, 100000}, {10, 100000}, {10, 100000}, {10, 0xFFFFFF}},
        {"max not reported", {1, 0xFFFFFF, 10, 0}, {10, 0xFFFFFF}, {10, 0xFFFFFF}, {10, 0xFFFFFF}},
        {"max above the record", {1, 5000, 0, 9000}, {1, 5000}, {1, 5000}, {1, 5000}},
        {"max equal to the record", {1, 5000, 0, 5000}, {1, 5000}, {1, 5000}, {1, 5000}},
        {"record min is larger", {20, 5000, 3, 4000}, {20, 4000}, {20, 4000}, {20, 5000}},
        {"no record", {0, 0, 7, 4000}, {7, 0}, {7, 0}, {7, 0}},
    };
    for (const RangeRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(acq::RefreshExposureRange(row.limits), row.refresh);
        EXPECT_EQ(acq::LiveExposureRange(row.limits, false), row.freeRunningTick);
        EXPECT_EQ(acq::LiveExposureRange(row.limits, true), row.triggeredTick);
    }
}

// Example failure: a value inside the range is written again, a value outside is not clamped
// to the nearer end, or a range without a maximum rewrites the unchanged value.
TEST(AcquisitionExposureRange, WritesBackOnlyAValueTheRangeExcludes)
{
    struct Row {
        const char* name;
        int value;
        ExposureRange range;
        std::optional<int> written;
    } const rows[] = {
        {"inside", 5000, {10, 100000}, std::nullopt},
        {"on the maximum", 100000, {10, 100000}, std::nullopt},
        {"above", 200000, {10, 100000}, 100000},
        {"below", 3, {10, 100000}, 10},
        {"range beyond int", 5, {10, 0x1FFFFFFFFLL}, 10},
        {"needless write when the maximum is 0", 5000, {10, 0}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(acq::ExposureWriteBack(row.value, row.range), row.written);
    }
}

// Example failure: the button stays usable for a hardware trigger, or debug mode does not
// free it.
TEST(AcquisitionEnabling, SoftwareTriggerAndKnees)
{
    for (int type = 0; type <= 5; ++type)
        for (int mode = 0; mode <= 1; ++mode) {
            EXPECT_EQ(acq::SoftwareTriggerEnabled(false, type, mode), type == 4 && mode == 1) << type << mode;
            EXPECT_TRUE(acq::SoftwareTriggerEnabled(true, type, mode));
        }

    struct Row {
        bool debug;
        int wdr;
        bool enabled;
        bool secondShown;
    } const rows[] = {
        {false, 0, false, true}, {false, 1, true, false}, {false, 2, true, true},
        {true, 0, true, true},   {true, 1, true, true},   {true, 2, true, true},
    };
    for (const Row& row : rows) {
        const acq::KneeState state = acq::KneeRules(row.debug, row.wdr);
        EXPECT_EQ(state.enabled, row.enabled) << row.debug << row.wdr;
        EXPECT_EQ(state.secondShown, row.secondShown) << row.debug << row.wdr;
    }
}

std::map<int, acq::Placeholder> RectsById()
{
    std::map<int, acq::Placeholder> rects;
    for (const acq::Item& item : acq::kTemplate)
        if (item.id != 0 && item.kind != acq::Kind::Spin)
            rects[item.id] = {item.id, item.x, item.y, item.width, item.height};
    for (const acq::Placeholder& p : acq::kDividers)
        rects[p.id] = p;
    rects[acq::kWdrPicture.id] = acq::kWdrPicture;
    return rects;
}

// Example failure: two controls share an id (the panel binds the wrong one), or a control the
// collapse rules move is missing from the layout.
TEST(AcquisitionTemplate, IdsAreUniqueAndCoverTheCollapseLists)
{
    std::set<int> seen;
    for (const acq::Item& item : acq::kTemplate) {
        if (item.id != 0) {
            EXPECT_TRUE(seen.insert(item.id).second) << item.id;
        }
    }
    for (const acq::Placeholder& p : acq::kDividers)
        EXPECT_TRUE(seen.insert(p.id).second) << p.id;
    EXPECT_TRUE(seen.insert(acq::kWdrPicture.id).second);

    for (int id : {1650, 1497, 1498, 1494, 1496, 1495, 1538, 1651, 1510, 1655, 1652, 1503, 1504, 1500, 1502, 1501,
                   1685, 1517, 1686, 1687, 1688, 1680, 1679, 1681, 1682, 1518, 1324, 1520, 1689, 1683, 1684,
                   1690, 1519, 1656, 1521, 1524, 1525, 1522, 1523, 1657, 1527, 1530, 1531, 1528, 1529,
                   1516, 1654, 1514, 1515, 1511, 1513, 1512, 1469, 1470, 1471, 1472, 1543, 1473, 1021, 1022,
                   1536, 1537, 1648, 1649, 1653})
        EXPECT_TRUE(seen.count(id)) << id;
}

// Example failure: the layout moves the WDR or TDI rows, so a collapse leaves a gap or
// swallows the next row (the sections are 77 and 43 dialog units tall).
TEST(AcquisitionTemplate, SectionsCollapseByTheirHeight)
{
    const auto rects = RectsById();
    auto bottom = [&rects](int id) { return rects.at(id).y + rects.at(id).height; };
    EXPECT_EQ(acq::CollapseShift(bottom(1690), bottom(1685)), 77);
    EXPECT_EQ(acq::CollapseShift(bottom(1516), bottom(1690)), 43);
    // Every control of a section lies within it: above the next section's caption.
    for (int id : {1685, 1517, 1686, 1687, 1688, 1680, 1679, 1681, 1682, 1518, 1324, 1520, 1689, 1683, 1684}) {
        EXPECT_GE(rects.at(id).y, 232) << id;
        EXPECT_LE(bottom(id), 317) << id;
    }
    for (int id : {1690, 1519, 1521, 1522, 1527, 1528, 1656, 1657}) {
        EXPECT_GE(rects.at(id).y, 317) << id;
        EXPECT_LE(bottom(id), 359) << id;
    }
    EXPECT_LE(bottom(1538), acq::kTemplateHeight);
}

}  // namespace
