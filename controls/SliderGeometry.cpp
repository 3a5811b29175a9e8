#include "controls/SliderGeometry.h"

#include <algorithm>
#include <cmath>

namespace ctl {
namespace {
constexpr int kBorder = 1;  // the window border width on either axis
}

SliderLayout LayoutSlider(const SliderLayoutInput& in)
{
    SliderLayout out;
    const int w = in.width;
    const int h = in.height;
    if (!in.vertical) {
        out.trackStart = {kBorder, h / 2 - 1};
        out.trackEnd = {w - 2 * kBorder, h / 2 - 1};
        out.minLabelPos = {out.trackStart.x - 1, (h - in.minLabelHeight) / 2};
        out.maxLabelPos = {out.trackEnd.x - in.maxLabelWidth - 1, (h - in.maxLabelHeight) / 2};
        out.lineStart = {out.trackStart.x + 1 + in.thumbWidth / 2 + in.minLabelWidth, out.trackStart.y};
        out.lineEnd = {out.trackEnd.x - in.thumbWidth / 2 - in.maxLabelWidth - 1, out.trackStart.y};
        const int y = out.lineStart.y;
        out.groove = {out.lineStart.x, y - 3, out.lineEnd.x, y + 3};
        out.trackLength = out.lineEnd.x - out.lineStart.x;
    } else {
        out.trackStart = {w / 2, kBorder};
        out.trackEnd = {w / 2, h - 2 * kBorder};
        out.minLabelPos = {out.trackStart.x - in.minLabelWidth / 2, out.trackStart.y};
        out.maxLabelPos = {out.trackStart.x - in.maxLabelWidth / 2, h - in.maxLabelHeight - 2};
        out.lineStart = {out.trackStart.x, out.trackStart.y + in.thumbHeight / 2 + in.minLabelHeight};
        out.lineEnd = {out.trackStart.x, out.trackEnd.y - in.thumbHeight / 2 - in.maxLabelHeight - 1};
        const int x = out.lineStart.x;
        out.groove = {x - 3, out.lineStart.y, x + 3, out.lineEnd.y};
        out.trackLength = out.lineEnd.y - out.lineStart.y;
    }
    return out;
}

int WidthForLabels(const SliderLayoutInput& in)
{
    // One free pixel beside a label and the window border.
    if (in.vertical)
        return std::max(in.minLabelWidth, in.maxLabelWidth) + 2 * (kBorder + 1);
    return in.minLabelWidth + in.maxLabelWidth + in.thumbWidth + 4 * kBorder + 2;
}

int TravelStart(const SliderLayout& layout, bool vertical)
{
    return vertical ? layout.lineStart.y : layout.lineStart.x;
}

int HoldOnTravel(int centre, int start, int trackLength)
{
    if (trackLength <= 0 || centre < start)
        return start;
    if (centre > start + trackLength)
        return start + trackLength;
    return centre;
}

int ThumbCentreFor(double scaled, double scaledMin, double scaledMax, int start, int trackLength)
{
    if (trackLength <= 0 || scaledMax == scaledMin)
        return start;
    const double offset = (scaled - scaledMin) / (scaledMax - scaledMin) * trackLength;
    if (!(offset > 0.0))  // also NaN
        return start;
    if (offset >= trackLength)
        return start + trackLength;
    return start + static_cast<int>(std::trunc(offset));
}

double ScaledAtCentre(int centre, int start, int trackLength, double scaledMin, double scaledMax)
{
    const int offset = centre - start;
    if (trackLength <= 0 || offset <= 0)
        return scaledMin;
    if (offset >= trackLength)
        return scaledMax;
    return scaledMin + (scaledMax - scaledMin) * offset / trackLength;
}

}  // namespace ctl
