// Widening a layout for texts that do not fit: nothing moves when all fit, a
// control short of room takes what is missing with everything beyond its
// edge, no two controls come to overlap, and the room holds after rounding.
#include <gtest/gtest.h>

#include <cstddef>

#include "toolkit/dpi_scale.h"
#include "toolkit/text_fit.h"

namespace {

// A label, the field right of it, a frame around both, a column below.
const std::vector<ControlRect> Areas = {
    {5, 8, 130, 20}, {145, 5, 184, 20}, {1, 1, 332, 80}, {116, 146, 120, 110}, {250, 146, 30, 110}};

std::vector<TextNeed> Needs(int32_t dpi) {
    std::vector<TextNeed> needs;
    for (const ControlRect& area : Areas) {
        const ControlRect scaled = ScaleRect(area, dpi);
        needs.push_back({area, scaled.width, scaled.height});
    }
    return needs;
}

bool Overlap(const ControlRect& a, const ControlRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(TextFit, WhatIsMissingIsAddedAtTheEdgeWithoutOverlapAndNothingElse) {
    for (int32_t dpi : {96, 120, 144, 168}) {
        for (int32_t short_by = 0; short_by <= 7; ++short_by) {
            std::vector<TextNeed> needs = Needs(dpi);
            needs[0].width += short_by;     // the label's caption
            needs[3].height += short_by;    // the column's lines
            const FittedLayout fitted = FitLayoutToTexts(needs, 334, 285, dpi);
            ASSERT_EQ(fitted.widened, short_by > 0);
            if (short_by == 0) {
                EXPECT_EQ(fitted.areas, Areas) << "all fits at " << dpi << ": nothing moves";
                EXPECT_EQ(fitted.innerWidth * 1000 + fitted.innerHeight, 334285);
                continue;
            }
            for (size_t i = 0; i < needs.size(); ++i) {
                const ControlRect scaled = ScaleRect(fitted.areas[i], dpi);
                EXPECT_GE(scaled.width, needs[i].width) << dpi << " control " << i;
                EXPECT_GE(scaled.height, needs[i].height) << dpi << " control " << i;
                for (size_t j = 0; j < i; ++j)
                    EXPECT_EQ(Overlap(fitted.areas[i], fitted.areas[j]), Overlap(Areas[i], Areas[j]));
            }
            const int32_t wider = fitted.areas[0].width - Areas[0].width;
            // No more than the pixels missing, and one unit for rounding.
            EXPECT_LE(ScaleToDpi(wider, dpi), short_by + ScaleToDpi(1, dpi)) << dpi;
            EXPECT_EQ(fitted.areas[0].x, 5);
            EXPECT_EQ(fitted.areas[1].x, 145 + wider) << "the field moves right";
            EXPECT_EQ(fitted.areas[2].width, 332 + wider) << "the frame around both widens";
            EXPECT_EQ(fitted.innerWidth, 334 + wider);
            EXPECT_EQ(fitted.areas[3].x, 116) << "what lies left of the edge stays";
            const int32_t taller = fitted.areas[3].height - Areas[3].height;
            EXPECT_GT(taller, 0);
            EXPECT_EQ(fitted.areas[1].y, 5) << "what lies above the edge stays";
            EXPECT_EQ(fitted.innerHeight, 285 + taller);
        }
    }
}

} // namespace
