#include "controls/DualSliderGeometry.h"

#include <cmath>

namespace ctl {

DualSliderGeometry ComputeDualSliderGeometry(int width, int height)
{
    DualSliderGeometry g;
    g.barHeight = 3 * height / 10;
    g.markerHeight = 5 * height / 10;
    g.markerWidth = 9 * g.markerHeight / 10;
    g.half = g.markerWidth / 2;
    // Inset by half a marker so a marker at either end stays inside, then one pixel more on the
    // left and right.
    g.bar = {g.half + 1, 0, width - g.half - 1, g.barHeight};
    g.pixelMin = g.bar.left;
    g.pixelMax = g.bar.right;
    return g;
}

SRect MarkerRectAt(const DualSliderGeometry& g, int centre)
{
    const int left = centre - g.markerWidth / 2;
    return {left, g.bar.bottom, left + g.markerWidth, g.bar.bottom + g.markerHeight};
}

int MarkerCentre(const SRect& marker, int markerWidth)
{
    return marker.left + markerWidth / 2;
}

bool CentreForValue(int v, int minValue, int maxValue, double unitsPerPixel, int pixelMin, int* centre)
{
    if (!(unitsPerPixel > 0.0) || v < minValue || v > maxValue)
        return false;
    const double d = (static_cast<double>(v) - minValue) / unitsPerPixel;
    if (!(d < 1e9))
        return false;
    *centre = pixelMin + static_cast<int>(std::trunc(d));
    return true;
}

double ValueAtCentre(int centre, int pixelMin, int pixelMax, int minValue, int maxValue, double unitsPerPixel)
{
    if (centre <= pixelMin)
        return minValue;
    if (centre >= pixelMax)
        return maxValue;
    const double v = minValue + (centre - pixelMin) * unitsPerPixel;
    if (v < minValue)
        return minValue;
    if (v > maxValue)
        return maxValue;
    return v;
}

}  // namespace ctl
