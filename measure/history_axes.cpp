#include "measure/history_axes.h"

#include <algorithm>
#include <array>

#include "monitor/readings.h"

namespace {

constexpr int64_t MB = int64_t{1} << 20;
constexpr int64_t GB = int64_t{1} << 30;
constexpr int64_t Second = 1000;
constexpr int64_t Minute = 60 * Second;
constexpr int64_t Hour = 60 * Minute;

// 1, 2, 2.5 (from 10 on), 5, 10, 20, 25, 50, ...
int64_t NextRoundStep(int64_t step) {
    int64_t magnitude = 1;
    while (magnitude * 10 <= step) magnitude *= 10;
    const int64_t lead = step / magnitude;
    if (step % magnitude != 0) return 5 * magnitude; // past a 2.5
    if (lead == 1) return 2 * magnitude;
    if (lead == 2) return magnitude >= 10 ? 25 * magnitude / 10 : 5 * magnitude;
    if (lead == 5) return 10 * magnitude;
    return 10 * magnitude;
}

int64_t CeilDiv(int64_t value, int64_t step) {
    return (value + step - 1) / step;
}

// Ticks at every step from 0 to top; label = value / unit, grouped, + suffix.
Axis Ticked(int64_t top, int64_t step, int64_t unit, const char* suffix) {
    Axis axis;
    axis.Top = top;
    for (int64_t value = 0; value <= top; value += step) {
        Text label = GroupDigits(value / unit);
        AppendText(label, suffix);
        axis.Ticks.push_back({value, label});
    }
    return axis;
}

// The smallest round step (in units) that reaches largest in at most
// maxSteps steps, and the top it gives.
Axis RoundedUp(int64_t largest, int64_t unit, int32_t maxSteps, const char* suffix) {
    const int64_t units = std::max<int64_t>(CeilDiv(std::max<int64_t>(largest, 1), unit), 1);
    const int64_t steps = std::max(maxSteps, 1);
    int64_t step = 1;
    while (CeilDiv(units, step) > steps) step = NextRoundStep(step);
    return Ticked(CeilDiv(units, step) * step * unit, step * unit, unit, suffix);
}

} // namespace

Axis LoadAxis(int8_t cpuScale, int64_t largestLoad, int32_t maxSteps) {
    if (cpuScale == 2) return RoundedUp(std::max<int64_t>(largestLoad, 100), 1, maxSteps, " %");
    int64_t step = 1;
    while (CeilDiv(100, step) > std::max(maxSteps, 1) || 100 % step != 0)
        step = NextRoundStep(step);
    return Ticked(100, step, 1, " %");
}

Axis WorkingSetAxis(int64_t largestBytes, int32_t maxSteps) {
    if (largestBytes >= 10 * GB) return RoundedUp(largestBytes, GB, maxSteps, " GiB");
    return RoundedUp(largestBytes, MB, maxSteps, " MiB");
}

Axis TimeAxis(uint32_t spanMs, int32_t lengthPx, int32_t minGapPx) {
    static constexpr std::array<int64_t, 20> steps = {
        1 * Second,  2 * Second,  5 * Second,  10 * Second, 15 * Second, 30 * Second,
        1 * Minute,  2 * Minute,  5 * Minute,  10 * Minute, 15 * Minute, 30 * Minute,
        1 * Hour,    2 * Hour,    3 * Hour,    6 * Hour,    12 * Hour,   24 * Hour,
        48 * Hour,   168 * Hour};
    const int64_t span = std::max<int64_t>(spanMs, 1);
    const int64_t length = std::max(lengthPx, 1);
    const int64_t gap = std::max(minGapPx, 1); // a tick a pixel at most
    int64_t step = steps.back();
    for (const int64_t candidate : steps) {
        if (candidate * length >= gap * span) {
            step = candidate;
            break;
        }
    }
    const int64_t unit = step >= Hour ? Hour : step >= Minute ? Minute : Second;
    const char* suffix = unit == Hour ? " h" : unit == Minute ? " min" : " s";
    Axis axis;
    axis.Top = span;
    for (int64_t value = 0; value <= span; value += step) {
        Text label = GroupDigits(value / unit);
        AppendText(label, suffix);
        axis.Ticks.push_back({value, label});
    }
    return axis;
}

int32_t RowOf(int64_t value, const Axis& axis, const PlotRows& rows) {
    const int32_t lowest = rows.Bottom - 1 - rows.Band;
    const int64_t span = std::max(lowest - (rows.Top + rows.Band), 0);
    const int64_t clamped = std::clamp<int64_t>(value, 0, axis.Top);
    return lowest - static_cast<int32_t>(clamped * span / std::max<int64_t>(axis.Top, 1));
}

PlotRows RowsWithLabelBands(int32_t top, int32_t height, int32_t labelHeight, int32_t reach) {
    const int32_t band = labelHeight + reach + 1;
    return {top, top + height, 3 * band <= height ? band : 0};
}

ExtremeLabelRows PlaceExtremeLabels(int64_t minimum, int64_t maximum, const Axis& axis,
                                    const PlotRows& rows, int32_t labelHeight, int32_t reach) {
    const auto inside = [&rows, labelHeight](int32_t top) {
        return std::max(rows.Top, std::min(top, rows.Bottom - labelHeight));
    };
    return {inside(RowOf(maximum, axis, rows) - reach - labelHeight),
            inside(RowOf(minimum, axis, rows) + reach + 1)};
}
