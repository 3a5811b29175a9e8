#include "controls/SystemLook.h"

#include <QGuiApplication>

namespace wnd {

QPalette::ColorRole SysColorRole(SysColor color)
{
    switch (color) {
    case COLOR_WINDOW: return QPalette::Base;
    case COLOR_WINDOWTEXT: return QPalette::Text;
    case COLOR_BTNFACE: return QPalette::Button;
    case COLOR_BTNSHADOW: return QPalette::Dark;
    case COLOR_GRAYTEXT: return QPalette::WindowText;
    case COLOR_BTNTEXT: return QPalette::ButtonText;
    case COLOR_BTNHIGHLIGHT: return QPalette::Light;
    case COLOR_3DDKSHADOW: return QPalette::Shadow;
    case COLOR_3DLIGHT: return QPalette::Midlight;
    case COLOR_INFOTEXT: return QPalette::ToolTipText;
    case COLOR_INFOBK: return QPalette::ToolTipBase;
    }
    return QPalette::Button;
}

QColor GetSysColor(SysColor color, const QPalette& palette)
{
    const QPalette::ColorGroup group = color == COLOR_GRAYTEXT ? QPalette::Disabled : QPalette::Active;
    return palette.color(group, SysColorRole(color));
}

int GetSystemMetrics(SystemMetric metric)
{
    switch (metric) {
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    }
    return 0;
}

QFont ControlFont()
{
    // The classic 9-pixel light face renders faint grey on Linux's font engines: the numbers
    // in the panels' numeric controls could not be read. The dialog font reads like the labels.
    QFont font = QGuiApplication::font();
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace wnd
