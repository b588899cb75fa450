// Field layout of the status bar, kept free of the window system so that the
// arithmetic is tested natively.
#include "toolkit/statusbar.h"

void StatusFieldEdges(const int32_t* widths, int32_t count, int32_t barWidth, int32_t* edges) {
    int64_t fixed = 0;
    int32_t fillers = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (widths[i] == FillWidth) {
            ++fillers;
        } else {
            fixed += widths[i];
        }
    }
    // C++ division truncates toward zero, also when the fixed fields are wider
    // than the bar and the share turns negative.
    const int64_t share = fillers > 0 ? (barWidth - fixed) / fillers : 0;
    int64_t edge = 0;
    for (int32_t i = 0; i < count; ++i) {
        edge += widths[i] == FillWidth ? share : widths[i];
        edges[i] = static_cast<int32_t>(edge);
    }
}

StatusBorder StatusBorderOf(int32_t flags) {
    if (flags & StatusNoBorder) return StatusBorder::None;
    if (flags & StatusRaised) return StatusBorder::Raised;
    return StatusBorder::Sunken;
}

Text StatusFieldText(const char* text, int32_t flags) {
    // The native bar reads leading tabs as the alignment: one centres, two
    // right-align.
    const size_t tabs = (flags & StatusCentred) ? 1 : (flags & StatusRight) ? 2 : 0;
    Text result(tabs, '\t');
    result.append(TextView(text));
    return result;
}
