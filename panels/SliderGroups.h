// The slider groups of a panel as it declares them: one table row per group with its parameter
// and control ids, given to the groups before the window is built, and the scan that hands a
// scroll message to the group it belongs to, in table order.
#pragma once

#include "controls/CSliderEditSpin.h"

#include <span>

class QWidget;

struct SliderGroupIds {
    const char* name;  ///< the parameter the group shows
    int slider, edit, spin, minLabel, maxLabel;
};

/// Gives each group the ids of its row (the trackbar's id is the group's) and the panel, where
/// its range labels are found.
void AssignSliderGroupIds(std::span<CSliderEditSpin> groups, std::span<const SliderGroupIds> ids, QWidget* panel);

using SliderGroupScroll = int (CSliderEditSpin::*)(unsigned, int, const QWidget*);

/// Hands a scroll message to the first group it belongs to. The index of that group when the
/// operator's gesture ended there (its parameter is to be written), else -1.
int ScrollSliderGroups(std::span<CSliderEditSpin> groups, SliderGroupScroll scroll, unsigned code, int pos,
                       const QWidget* scrollBar);
