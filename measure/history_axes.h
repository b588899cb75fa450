// The scales of the history graph: the processor load and the working set
// upward, the time of the run across. Round steps only, labelled as the
// readings are (digits grouped with dots). Platform-neutral.
#pragma once

#include <cstdint>
#include <vector>

#include "services/text.h"

struct AxisTick {
    int64_t Value = 0; // in the axis's own unit: percent, bytes or ms
    Text Label;
};

struct Axis {
    int64_t Top = 1; // the value at the far end; the near end is 0
    std::vector<AxisTick> Ticks;
};

// The load axis: 0..100 % for the scales that end at 100; for the open
// scale up to its largest load rounded up to a step, 100 % at least. At most
// maxSteps steps between the ticks.
Axis LoadAxis(int8_t cpuScale, int64_t largestLoad, int32_t maxSteps);

// The working-set axis from 0 to the largest working set rounded up to a
// step of whole megabytes (gigabytes from 10 GB on), labelled in that unit.
Axis WorkingSetAxis(int64_t largestBytes, int32_t maxSteps);

// The time axis of a run of spanMs drawn lengthPx long: ticks at the
// smallest round step (seconds, minutes or hours) that leaves at least
// minGapPx between them, labelled in the unit of the step.
Axis TimeAxis(uint32_t spanMs, int32_t lengthPx, int32_t minGapPx);

// The rows of a plot, Top to Bottom (the row past its last), that an axis's
// values are drawn on. Band rows stay free above the axis's top and below
// its 0: the room the labels of the extremes take there.
struct PlotRows {
    int32_t Top = 0;
    int32_t Bottom = 0;
    int32_t Band = 0;
};

// The row of value, the axis's top at the upper band's edge, 0 at the lower's.
int32_t RowOf(int64_t value, const Axis& axis, const PlotRows& rows);

// The rows of a plot height rows high that keeps room for the labels of the
// extremes: a label labelHeight high beside its line, clear of what reaches
// reach rows past a value's row (the curve's pen, the mark of its end). No
// band where two would leave the values less than a third of the plot.
PlotRows RowsWithLabelBands(int32_t top, int32_t height, int32_t labelHeight, int32_t reach);

// The top rows of the labels of a series' largest and smallest value. The
// curve runs between the two, so the largest's label goes above its row and
// the smallest's below, both clear of reach; the bands keep them inside the
// plot. In a plot too low for bands they are moved inside it, where the
// curve may cross them.
struct ExtremeLabelRows {
    int32_t MaximumTop = 0;
    int32_t MinimumTop = 0;
};
ExtremeLabelRows PlaceExtremeLabels(int64_t minimum, int64_t maximum, const Axis& axis,
                                    const PlotRows& rows, int32_t labelHeight, int32_t reach);
