// Dialog units: the layout unit of the panels' dialog templates. One horizontal unit is a
// quarter and one vertical unit an eighth of the dialog font's average character cell, which
// is fixed here at 6 x 13 pixels (the 8-point dialog font at 96 dots per inch), so a template
// lays out the same on every machine.
#pragma once

#include <QRect>

namespace wnd {

constexpr int kDialogBaseUnitX = 6;
constexpr int kDialogBaseUnitY = 13;

/// a * b / c rounded half away from zero, in 64-bit arithmetic; -1 when c is 0.
int MulDiv(int a, int b, int c);

int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);
/// A template rectangle (x, y, width, height in dialog units) in pixels; each edge is converted
/// on its own.
QRect MapDialogRect(int x, int y, int width, int height);

}  // namespace wnd
