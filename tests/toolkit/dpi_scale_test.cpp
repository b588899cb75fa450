// Display-scale arithmetic: exact at 96 DPI, one rounding rule at every other.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/dpi_scale.h"

namespace {

TEST(DpiScale, NinetySixAndUnknownLeaveEveryValueAsGiven) {
    for (int32_t value = -2000; value <= 2000; ++value) {
        ASSERT_EQ(ScaleToDpi(value, 96), value);
        ASSERT_EQ(ScaleToDpi(value, 0), value);
        ASSERT_EQ(ScaleToDpi(value, -144), value);
        ASSERT_EQ(ScaleFromDpi(value, 96), value);
    }
    const ControlRect spin{145, 55, 60, 20};
    EXPECT_EQ(ScaleRect(spin, 96), spin);
    EXPECT_EQ(RescaleFontHeight(-11, 96, 96), -11);
}

TEST(DpiScale, HalvesRoundAwayFromZero) {
    EXPECT_EQ(ScaleToDpi(334, 144), 501);
    EXPECT_EQ(ScaleToDpi(285, 144), 428); // 427.5
    EXPECT_EQ(ScaleToDpi(-285, 144), -428);
    EXPECT_EQ(ScaleToDpi(1, 144), 2);   // 1.5
    EXPECT_EQ(ScaleToDpi(1, 120), 1);   // 1.25
    EXPECT_EQ(ScaleToDpi(3, 120), 4);   // 3.75
    EXPECT_EQ(ScaleToDpi(10, 72), 8);   // 7.5, a display below 96
    EXPECT_EQ(ScaleFromDpi(90, 144), 60);
    EXPECT_EQ(ScaleFromDpi(-91, 144), -61); // -60.67
    EXPECT_EQ(ScaleToDpi(20000000, 192), 40000000); // the product needs 64 bits
    EXPECT_EQ(RescaleFontHeight(-11, 96, 144), -17); // -16.5
    EXPECT_EQ(RescaleFontHeight(-17, 144, 96), -11); // -11.33
}

TEST(DpiScale, RectanglesKeepTheirEdgesAndSizes) {
    // The spin of the main window and its two parts at 150 %.
    EXPECT_EQ(ScaleRect({145, 55, 60, 20}, 144), (ControlRect{218, 83, 90, 30}));
    const SpinParts parts = SplitSpin(218, 83, 90, 30);
    EXPECT_EQ(parts.text, (ControlRect{218, 83, 75, 30}));
    EXPECT_EQ(parts.arrows, (ControlRect{293, 83, 15, 30}));
    for (int32_t dpi : {72, 120, 144, 168, 192, 240}) {
        for (int32_t x = 0; x < 40; ++x) {
            for (int32_t width = 0; width < 40; ++width) {
                const ControlRect left = ScaleRect({x, 3, width, 7}, dpi);
                const ControlRect right = ScaleRect({x + width, 3, 5, 7}, dpi);
                ASSERT_EQ(left.x + left.width, right.x) << "touching at " << dpi;
                const int64_t exact = static_cast<int64_t>(width) * dpi; // in 96ths
                ASSERT_LE(std::llabs(static_cast<int64_t>(left.width) * 96 - exact), 96)
                    << x << " " << width << " at " << dpi;
            }
        }
    }
}

} // namespace
