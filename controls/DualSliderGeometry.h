// Geometry of the two-marker limit slider: the groove across the top, the two arrow markers
// hanging under it, and the mapping between a marker's centre pixel and its value. Values are
// held within minValue..maxValue at both ends of the groove. No Qt here.
#pragma once

#include "controls/SliderGeometry.h"

namespace ctl {

struct DualSliderGeometry {
    int barHeight = 0;
    int markerHeight = 0;
    int markerWidth = 0;
    int half = 0;
    SRect bar;
    int pixelMin = 0;  ///< travel of the marker centres
    int pixelMax = 0;
};

/// Geometry for a client area of width x height.
DualSliderGeometry ComputeDualSliderGeometry(int width, int height);

/// The marker rectangle (under the bar) whose centre (left + markerWidth / 2) is at centre.
SRect MarkerRectAt(const DualSliderGeometry& g, int centre);
/// The centre of a marker rectangle.
int MarkerCentre(const SRect& marker, int markerWidth);

/// The centre pixel of value v: pixelMin + trunc((v - minValue) / unitsPerPixel). False (and
/// nothing set) when unitsPerPixel is not positive or v lies outside minValue..maxValue.
bool CentreForValue(int v, int minValue, int maxValue, double unitsPerPixel, int pixelMin, int* centre);
/// The value at a centre pixel: minValue + (centre - pixelMin) * unitsPerPixel held within
/// minValue..maxValue; exactly minValue at or left of pixelMin, exactly maxValue at or right of
/// pixelMax.
double ValueAtCentre(int centre, int pixelMin, int pixelMax, int minValue, int maxValue, double unitsPerPixel);

}  // namespace ctl
