#include "toolkit/text_fit.h"

#include <cstddef>

#include "toolkit/dpi_scale.h"

namespace {

// Every edge at or beyond cut moves by amount; along one axis.
void OpenSpace(int32_t& start, int32_t& size, int32_t cut, int32_t amount) {
    const int32_t end = start + size;
    const int32_t newStart = start >= cut ? start + amount : start;
    const int32_t newEnd = end >= cut ? end + amount : end;
    start = newStart;
    size = newEnd - newStart;
}

// The fewest 96-DPI units to add to size (at start) so that it covers need
// pixels at dpi: edges are scaled one by one, so the rounding of both counts.
int32_t Missing(int32_t start, int32_t size, int32_t need, int32_t dpi) {
    int32_t more = 0;
    while (ScaleToDpi(start + size + more, dpi) - ScaleToDpi(start, dpi) < need)
        ++more;
    return more;
}

// One pass over the needs; true when anything had to move.
bool WidenOnce(const std::vector<TextNeed>& needs, FittedLayout& layout, int32_t dpi) {
    bool moved = false;
    for (size_t i = 0; i < needs.size(); ++i) {
        ControlRect& area = layout.areas[i];
        if (const int32_t more = Missing(area.x, area.width, needs[i].width, dpi)) {
            const int32_t cut = area.x + area.width;
            for (ControlRect& other : layout.areas)
                OpenSpace(other.x, other.width, cut, more);
            layout.innerWidth += more;
            moved = true;
        }
        if (const int32_t more = Missing(area.y, area.height, needs[i].height, dpi)) {
            const int32_t cut = area.y + area.height;
            for (ControlRect& other : layout.areas)
                OpenSpace(other.y, other.height, cut, more);
            layout.innerHeight += more;
            moved = true;
        }
    }
    return moved;
}

} // namespace

FittedLayout FitLayoutToTexts(const std::vector<TextNeed>& needs, int32_t innerWidth,
                              int32_t innerHeight, int32_t dpi) {
    FittedLayout layout;
    layout.innerWidth = innerWidth;
    layout.innerHeight = innerHeight;
    for (const TextNeed& need : needs)
        layout.areas.push_back(need.area);
    // Moving an edge by whole units can round a scaled size that fitted one
    // pixel smaller; a few passes settle it.
    for (int pass = 0; pass < 8 && WidenOnce(needs, layout, dpi); ++pass)
        layout.widened = true;
    return layout;
}
