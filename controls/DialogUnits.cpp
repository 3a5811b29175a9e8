#include "controls/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <cstdint>
#include <limits>

namespace wnd {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t half = c / 2;
    if (half < 0)
        half = -half;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t result = (magnitude + half) / divisor;
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}

QSize DialogBaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average over 52 letters, rounded: (letters / 26 + 1) / 2.
    return QSize(qMax(1, (letters / 26 + 1) / 2), qMax(1, metrics.height()));
}

QSize DialogBaseUnits()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QSize(kDialogBaseUnitX, kDialogBaseUnitY);
    return DialogBaseUnitsOf(QGuiApplication::font());
}

int DialogUnitsToPixelsX(int units, const QSize& base)
{
    return MulDiv(units, base.width(), 4);
}

int DialogUnitsToPixelsY(int units, const QSize& base)
{
    return MulDiv(units, base.height(), 8);
}

QRect MapDialogRect(int x, int y, int width, int height, const QSize& base)
{
    // Each edge is converted on its own, as a template's controls are, so neighbours that
    // share an edge in dialog units share it in pixels too.
    const int left = DialogUnitsToPixelsX(x, base);
    const int top = DialogUnitsToPixelsY(y, base);
    const int right = DialogUnitsToPixelsX(x + width, base);
    const int bottom = DialogUnitsToPixelsY(y + height, base);
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace wnd
