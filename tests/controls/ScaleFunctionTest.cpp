#include "controls/OVScaleFunction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

struct ScaleRow {
    const char* name;
    std::shared_ptr<OVScaleFunction> scale;
    double value;
    double scaled;
};

// Example failure: the linear scale divides by the offset, or the log scale drops the 1e-7
// that keeps 1000 from coming back as 999.9999999 (and truncating to 999).
TEST(ScaleFunction, MapsBothWaysByTable)
{
    const ScaleRow rows[] = {
        {"linear k2 b10", std::make_shared<OVLinearScale>(10.0, 2.0), 5.0, 20.0},
        {"linear negative factor", std::make_shared<OVLinearScale>(0.0, -0.5), 8.0, -4.0},
        {"log10 decade", std::make_shared<OVLog10Scale_>(), 1000.0, 3.0},
        {"log10 one", std::make_shared<OVLog10Scale_>(), 1.0, 0.0},
        {"identity", std::make_shared<OVNoneScale>(), -12.5, -12.5},
    };
    for (const ScaleRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(row.scale->ToScaled(row.value), row.scaled);
    }
    EXPECT_DOUBLE_EQ(OVLinearScale(10.0, 2.0).FromScaled(20.0), 5.0);
    EXPECT_EQ(OVLog10Scale_().FromScaled(3.0), 1000.0 + 1e-7);
    EXPECT_EQ(OVNoneScale().FromScaled(-12.5), -12.5);
}

// Example failure: a value at either end of a panel's range comes back below itself after the
// slider's round trip, so the panel's truncation writes one less than the operator chose.
TEST(ScaleFunction, RoundTripsKeepTheEndsOfTheRange)
{
    struct Range {
        const char* name;
        std::shared_ptr<OVScaleFunction> scale;
        double low, high;
    };
    const Range ranges[] = {
        {"log exposure", std::make_shared<OVLog10Scale_>(), 1.0, 100000.0},
        {"log small", std::make_shared<OVLog10Scale_>(), 10.0, 1000.0},
        {"linear gain", std::make_shared<OVLinearScale>(0.0, 0.01), 0.0, 4095.0},
        {"identity", std::make_shared<OVNoneScale>(), -255.0, 255.0},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.name);
        for (const double v : {r.low, r.high}) {
            const double back = r.scale->FromScaled(r.scale->ToScaled(v));
            EXPECT_GE(back, v);
            EXPECT_LT(back, v + 1e-6);
        }
    }
}

// Example failure: a zero factor divides by zero and a non-positive value gives -inf or NaN,
// which then reach the slider's arithmetic.
TEST(ScaleFunction, DegenerateInputsStayFinite)
{
    EXPECT_EQ(OVLinearScale(3.0, 0.0).FromScaled(7.0), 0.0);
    EXPECT_TRUE(std::isfinite(OVLog10Scale_().ToScaled(0.0)));
    EXPECT_TRUE(std::isfinite(OVLog10Scale_().ToScaled(-5.0)));
    EXPECT_LT(OVLog10Scale_().ToScaled(0.0), OVLog10Scale_().ToScaled(1e-300));
}

// Example failure: deleting a scale through the base pointer skips the derived destructor.
TEST(ScaleFunction, DeletesThroughTheBase)
{
    std::unique_ptr<OVScaleFunction> scale = std::make_unique<OVLinearScale>(1.0, 2.0);
    EXPECT_DOUBLE_EQ(scale->ToScaled(1.0), 3.0);
    scale.reset();
    SUCCEED();
}

}  // namespace
