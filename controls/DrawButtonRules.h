// The rules of the slot buttons of the main window: which brush fills a button and whether a
// click leaves it latched. The workspace button (1232) never latches and is drawn darker. No Qt.
#pragma once

enum class DrawButtonBrush { Face, Shadow, GrayText };

/// The fill of a slot button: darker while pressed or latched.
DrawButtonBrush ChooseDrawButtonBrush(int id, bool pressed, bool latched);
/// The latch after a click: toggled, except that the workspace button never stays latched.
bool LatchAfterClick(int id, bool latched);
