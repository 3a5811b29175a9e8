#include "panels/SliderGroups.h"

#include <algorithm>

void AssignSliderGroupIds(std::span<CSliderEditSpin> groups, std::span<const SliderGroupIds> ids, QWidget* panel)
{
    const std::size_t count = std::min(groups.size(), ids.size());
    for (std::size_t i = 0; i < count; ++i) {
        CSliderEditSpin& g = groups[i];
        const SliderGroupIds& row = ids[i];
        g.m_nId = g.m_nSliderId = row.slider;
        g.m_nEditId = row.edit;
        g.m_nSpinId = row.spin;
        g.m_nMinLabelId = row.minLabel;
        g.m_nMaxLabelId = row.maxLabel;
        g.m_hParent = panel;
    }
}

int ScrollSliderGroups(std::span<CSliderEditSpin> groups, SliderGroupScroll scroll, unsigned code, int pos,
                       const QWidget* scrollBar)
{
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const int result = (groups[i].*scroll)(code, pos, scrollBar);
        if (result == 0)
            continue;
        return result == 1 ? static_cast<int>(i) : -1;
    }
    return -1;
}
