// The system colours, metrics and the custom controls' font. The classic colour indices are
// kept so drawing code reads like its design (button face, shadow, dark shadow ...); each one
// is a role of the widget's palette, so the controls follow the desktop's colour scheme.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace wnd {

enum SysColor {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};
constexpr SysColor COLOR_3DFACE = COLOR_BTNFACE;
constexpr SysColor COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr SysColor COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;

/// The palette role that stands for a system colour.
QPalette::ColorRole SysColorRole(SysColor color);
/// The colour of a system colour in a palette (the active group; grey text is the disabled text).
QColor GetSysColor(SysColor color, const QPalette& palette);

enum SystemMetric {
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
};
/// Fixed metrics: borders 1 pixel, dialog frames 3 pixels.
int GetSystemMetrics(SystemMetric metric);

/// The custom controls' text font: the dialog font (the application's default) at normal
/// weight, so a numeric control's value reads like the labels beside it.
QFont ControlFont();

}  // namespace wnd
