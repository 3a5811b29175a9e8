#include "controls/DrawButtonRules.h"

#include "controls/WindowIds.h"

DrawButtonBrush ChooseDrawButtonBrush(int id, bool pressed, bool latched)
{
    const bool down = pressed || latched;
    if (id == wnd::IDC_WORKSPACE_BUTTON)
        return down ? DrawButtonBrush::GrayText : DrawButtonBrush::Shadow;
    return down ? DrawButtonBrush::Shadow : DrawButtonBrush::Face;
}

bool LatchAfterClick(int id, bool latched)
{
    return id == wnd::IDC_WORKSPACE_BUTTON ? false : !latched;
}
