// Scale functions: how a value maps into the space in which a slider moves its thumb
// linearly, and back. A gain in register units can be shown in display units (linear), an
// exposure spanning decades on a logarithmic travel, or a value as it is (identity). No Qt here.
#pragma once

class OVScaleFunction {
public:
    virtual ~OVScaleFunction() = default;
    /// Value -> slider space.
    virtual double ToScaled(double x) const = 0;
    /// Slider space -> value.
    virtual double FromScaled(double y) const = 0;
};

/// y = x * factor + offset.
class OVLinearScale : public OVScaleFunction {
public:
    OVLinearScale() = default;
    OVLinearScale(double offset_, double factor_) : offset(offset_), factor(factor_) {}
    double ToScaled(double x) const override;
    /// (y - offset) / factor; a factor of 0 has no inverse and gives 0.
    double FromScaled(double y) const override;

    double offset = 0.0;
    double factor = 1.0;
};

/// y = log10(x); back: 10^y + 1e-7, so an exact power of ten comes back slightly above itself
/// and a value truncated after the round trip keeps its whole part.
class OVLog10Scale_ : public OVScaleFunction {
public:
    /// The scaled value given to x <= 0 (which has no logarithm): log10 of the smallest
    /// normal double, far below every real range.
    static const double kFloor;
    double ToScaled(double x) const override;
    double FromScaled(double y) const override;
};

/// The identity.
class OVNoneScale : public OVScaleFunction {
public:
    double ToScaled(double x) const override { return x; }
    double FromScaled(double y) const override { return y; }
};
