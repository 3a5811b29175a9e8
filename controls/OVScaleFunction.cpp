#include "controls/OVScaleFunction.h"

#include <cfloat>
#include <cmath>

double OVLinearScale::ToScaled(double x) const
{
    return x * factor + offset;
}

double OVLinearScale::FromScaled(double y) const
{
    if (factor == 0.0)
        return 0.0;
    return (y - offset) / factor;
}

const double OVLog10Scale_::kFloor = std::log10(DBL_MIN);

double OVLog10Scale_::ToScaled(double x) const
{
    if (!(x > 0.0))
        return kFloor;
    return std::log10(x);
}

double OVLog10Scale_::FromScaled(double y) const
{
    return std::pow(10.0, y) + 1e-7;
}
