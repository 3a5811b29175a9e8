// Geometry of the numeric control's slider: where the labels, the travel line, the groove and
// the thumb lie for a window size, and how a thumb position maps to the slider's scaled space
// and back. The thumb's centre moves linearly between lineStart and lineEnd; the minimum lies
// at the left (horizontal) or at the top (vertical). No Qt here.
#pragma once

namespace ctl {

struct SPoint {
    int x = 0;
    int y = 0;
};

/// A rectangle whose right and bottom lie just outside it.
struct SRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct SliderLayoutInput {
    int width = 0;
    int height = 0;
    bool vertical = false;
    int thumbWidth = 8;
    int thumbHeight = 14;
    /// Label extents in the slider's font; 0 without labels.
    int minLabelWidth = 0;
    int minLabelHeight = 0;
    int maxLabelWidth = 0;
    int maxLabelHeight = 0;
};

struct SliderLayout {
    SPoint trackStart, trackEnd;  ///< the window's usable axis
    SPoint lineStart, lineEnd;    ///< the thumb centre's travel
    int trackLength = 0;          ///< lineEnd - lineStart along the axis; may be 0 or less
    SRect groove;                 ///< six pixels around the travel line
    SPoint minLabelPos, maxLabelPos;  ///< top-left corners of the labels
};

SliderLayout LayoutSlider(const SliderLayoutInput& in);

/// The least window width (horizontal: along the axis; vertical: across it) at which both
/// labels show whole, clear of the border and, horizontal, of each other and the thumb.
int WidthForLabels(const SliderLayoutInput& in);

/// The travel start along the axis (x, or y when vertical).
int TravelStart(const SliderLayout& layout, bool vertical);
/// centre held within the travel (at the start when there is no travel).
int HoldOnTravel(int centre, int start, int trackLength);
/// The thumb centre for a scaled position, held within the travel. An empty scaled range or
/// no travel puts the thumb at the start.
int ThumbCentreFor(double scaled, double scaledMin, double scaledMax, int start, int trackLength);
/// The scaled position at a thumb centre: exactly scaledMin at the start and scaledMax at the
/// end (no round-off at the ends), linear between; scaledMin when there is no travel.
double ScaledAtCentre(int centre, int start, int trackLength, double scaledMin, double scaledMax);

}  // namespace ctl
