// Field layout and field texts of the status bar, without a window system.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/statusbar.h"

namespace {

std::vector<int32_t> Edges(const std::vector<int32_t>& widths, int32_t barWidth) {
    std::vector<int32_t> edges(widths.size(), -1);
    StatusFieldEdges(widths.data(), static_cast<int32_t>(widths.size()), barWidth, edges.data());
    return edges;
}

TEST(StatusBarLayout, RightEdgesAreRunningSumsWithFillFieldsSharingTheRest) {
    struct Case {
        std::vector<int32_t> widths;
        int32_t barWidth;
        std::vector<int32_t> edges;
    };
    const Case cases[] = {
        {{334}, 334, {334}},                                 // the monitor's single field
        {{100, FillWidth, 50}, 400, {100, 350, 400}},        // fill takes what is left
        {{FillWidth, 101, FillWidth}, 400, {149, 250, 399}}, // 299 / 2 toward zero
        {{FillWidth, FillWidth, 101}, 400, {149, 298, 399}},
        {{100, 50}, 400, {100, 150}}, // no fill: the last field ends at its edge
        {{FillWidth}, 400, {400}},
        {{FillWidth}, 0, {0}},
        // Fixed fields wider than the bar: the fill share goes negative and
        // is still rounded toward zero (-101 / 2 = -50).
        {{FillWidth, FillWidth, 501}, 400, {-50, -100, 401}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edges(c.widths, c.barWidth), c.edges)
            << "widths starting " << c.widths.front() << " on " << c.barWidth;
    }
}

TEST(StatusBarLayout, SixtyFourFieldsFillTheBarEvenly) {
    const std::vector<int32_t> widths(MaxStatusFields, FillWidth);
    const std::vector<int32_t> edges = Edges(widths, 640);
    ASSERT_EQ(edges.size(), 64u);
    EXPECT_EQ(edges.front(), 10);
    EXPECT_EQ(edges.back(), 640);
}

TEST(StatusBarText, FlagsChooseBorderAndTabPrefix) {
    struct Case {
        int32_t flags;
        StatusBorder border;
        const char* text;
    };
    const Case cases[] = {
        {0, StatusBorder::Sunken, "ready"},
        {StatusNoBorder, StatusBorder::None, "ready"},
        {StatusRaised, StatusBorder::Raised, "ready"},
        {StatusNoBorder | StatusRaised, StatusBorder::None, "ready"}, // 1 wins over 2
        {StatusCentred, StatusBorder::Sunken, "\tready"},
        {StatusRight, StatusBorder::Sunken, "\t\tready"},
        {StatusCentred | StatusRight, StatusBorder::Sunken, "\tready"}, // 4 wins over 8
        {StatusRaised | StatusRight, StatusBorder::Raised, "\t\tready"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StatusBorderOf(c.flags), c.border) << "flags " << c.flags;
        EXPECT_EQ(StatusFieldText("ready", c.flags), c.text) << "flags " << c.flags;
    }
    EXPECT_EQ(StatusFieldText(nullptr, 0), "");
    EXPECT_EQ(StatusFieldText(nullptr, StatusRight), "\t\t");
}

} // namespace
