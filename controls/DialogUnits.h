// Dialog units: the layout unit of the dialog templates. One horizontal unit is a quarter of
// the dialog font's average letter width and one vertical unit an eighth of its height, so a
// template grows with the font and its texts keep their room. The dialog font is the
// application's default font; the base is 6 x 13 pixels (the 8-point dialog font at 96 dots
// per inch) until an application exists.
#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace wnd {

constexpr int kDialogBaseUnitX = 6;
constexpr int kDialogBaseUnitY = 13;

/// a * b / c rounded half away from zero, in 64-bit arithmetic; -1 when c is 0.
int MulDiv(int a, int b, int c);

/// The base units of a font: the average width of the 52 letters, rounded, and the height.
QSize DialogBaseUnitsOf(const QFont& font);
/// The base units of the dialog font (see above).
QSize DialogBaseUnits();

int DialogUnitsToPixelsX(int units, const QSize& base = DialogBaseUnits());
int DialogUnitsToPixelsY(int units, const QSize& base = DialogBaseUnits());
/// A template rectangle (x, y, width, height in dialog units) in pixels; each edge is converted
/// on its own.
QRect MapDialogRect(int x, int y, int width, int height, const QSize& base = DialogBaseUnits());

}  // namespace wnd
