// Numbers that windows exchange: command ids, notification codes, scroll codes and message
// numbers. Panels, controls and the main window name them here so a number means one thing
// everywhere. Ids are decimal, flags and message numbers hex.
#pragma once

namespace wnd {

// Messages (the command layer routes WM_COMMAND to OnCommand, the others to OnWindowMessage).
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_HSCROLL = 0x0114;
constexpr unsigned WM_VSCROLL = 0x0115;
constexpr unsigned WM_USER = 0x0400;

/// Command to a slot button and the main window: the panel of that slot was hidden or closed.
constexpr unsigned ID_PANEL_CLOSED = 0x7000;
/// The main window's workspace button: a slot button that never latches.
constexpr int IDC_WORKSPACE_BUTTON = 1232;

// Notification codes (high word of a command's wParam).
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned EN_KILLFOCUS = 0x0200;
constexpr unsigned CBN_SELCHANGE = 1;   ///< the operator picked a combo-box item

// Numeric control: notifications to the panel, and internal codes from its slider.
constexpr unsigned OVN_CHANGED = 1001;      ///< a change is complete: write the value
constexpr unsigned OVN_CHANGING = 1002;     ///< the value is moving (spin step, slider drag)
constexpr unsigned OVN_KILLFOCUS = 1003;    ///< the pop-up slider lost the focus
constexpr unsigned OVN_POPUP_CLOSED = 1004; ///< the drop-down button is back to normal

// Children of the numeric control.
constexpr int IDC_OV_BUTTON = 10001;
constexpr int IDC_OV_SLIDER = 10002;
constexpr int IDC_OV_SPIN = 10003;
constexpr int IDC_OV_EDIT = 10004;

// Dual slider messages to its parent.
constexpr unsigned DSM_MARKER_MOVED = WM_USER + 123;    ///< wParam value, lParam marker
constexpr unsigned DSM_MARKER_RELEASED = WM_USER + 124; ///< wParam control id, lParam marker

// Trackbar scroll codes (WM_HSCROLL / WM_VSCROLL low word).
constexpr unsigned TB_LINEUP = 0;
constexpr unsigned TB_LINEDOWN = 1;
constexpr unsigned TB_PAGEUP = 2;
constexpr unsigned TB_PAGEDOWN = 3;
constexpr unsigned TB_THUMBPOSITION = 4;
constexpr unsigned TB_THUMBTRACK = 5;
constexpr unsigned TB_TOP = 6;
constexpr unsigned TB_BOTTOM = 7;
constexpr unsigned TB_ENDTRACK = 8;

// Scroll-bar codes that the up-down control sends.
constexpr unsigned SB_THUMBPOSITION = 4;
constexpr unsigned SB_ENDSCROLL = 8;

}  // namespace wnd
