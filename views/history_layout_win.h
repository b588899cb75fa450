// Where the parts of the history graph go, and how large they are, at the
// painter's scale and font.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "measure/history_axes.h"
#include "views/painter_win.h"

inline int32_t LineWidth(const Painter& p) {
    return std::max(1, p.Scaled(2) - 1);
}

// Between a plot and the row of its title and current value: more than a
// line's pen reaches past the plot's top.
inline int32_t HeaderGap(const Painter& p) {
    return p.Scaled(2);
}

inline int32_t MarkRadius(const Painter& p) {
    return p.Scaled(3);
}

// How far a line's end and its mark reach past a point.
inline int32_t Reach(const Painter& p) {
    return MarkRadius(p) + LineWidth(p);
}

// The rows of plot that values are drawn on, with the bands for the labels
// of the extremes.
inline PlotRows RowsOf(const Painter& p, const RECT& plot) {
    return RowsWithLabelBands(plot.top, plot.bottom - plot.top, p.lineHeight, Reach(p));
}

// The widest label of the value axes, for the room left of the plots.
inline int32_t LabelRoom(const Painter& p, const Axis& a, const Axis& b) {
    int32_t widest = 0;
    for (const Axis* axis : {&a, &b})
        for (const AxisTick& tick : axis->Ticks) widest = std::max(widest, p.Width(tick.Label));
    return widest;
}

inline int32_t Margin(const Painter& p) {
    return p.Scaled(8);
}

// The row of a plot's title and current value, and the row of the time
// axis's labels.
inline int32_t RowHeight(const Painter& p) {
    return p.lineHeight + p.Scaled(4);
}

// The two plots' height in a picture height pixels high, each under its row
// of title and current value, with the time axis's labels below the lower
// one; and the most steps each value axis may have.
struct PlotLayout {
    int32_t Height;
    int32_t Steps;
};

inline PlotLayout LayOutPlots(const Painter& p, int32_t height) {
    const int32_t margin = Margin(p);
    const int32_t header = RowHeight(p);
    const int32_t timeRow = RowHeight(p);
    const int32_t plotHeight = std::max(2, (height - 2 * margin - 2 * header - timeRow) / 2);
    const int32_t band = RowsWithLabelBands(0, plotHeight, p.lineHeight, Reach(p)).Band;
    return {plotHeight, std::max(1, (plotHeight - 2 * band) / (2 * p.lineHeight))};
}

// The two plots in area, one above the other, right of the value axes'
// labels (labelRoom wide).
inline void PlacePlots(const Painter& p, const RECT& area, const PlotLayout& layout,
                       int32_t labelRoom, RECT* upper, RECT* lower) {
    const int32_t margin = Margin(p);
    const int32_t header = RowHeight(p);
    const int32_t left = area.left + margin + labelRoom + p.Scaled(6);
    const int32_t right = std::max(left + 2, static_cast<int32_t>(area.right) - margin);
    *upper = {left, area.top + margin + header, right, 0};
    upper->bottom = upper->top + layout.Height;
    *lower = {left, upper->bottom + header, right, 0};
    lower->bottom = lower->top + layout.Height;
}
