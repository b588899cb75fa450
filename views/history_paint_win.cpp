#include "views/history_paint_win.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "measure/history_axes.h"
#include "measure/history_columns.h"
#include "monitor/language.h"
#include "monitor/readings.h"
#include "views/history_frame_win.h"
#include "views/history_layout_win.h"
#include "views/owned_gdi_win.h"
#include "views/paint_state_win.h"
#include "views/painter_win.h"

namespace {

struct Series {
    const char* title;
    const char* unit; // of the values written out, as the readings write them
    COLORREF colour;
    const std::vector<HistoryColumn>* columns;
    Axis axis;
    bool seeded;
    int64_t minimum;
    int64_t maximum;
    int64_t current;
    PlotRows rows{}; // once the plot is placed
};

void Line(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

Text Reading(int64_t value, const char* unit) {
    Text text = GroupDigits(value);
    AppendText(text, " ");
    AppendText(text, unit);
    return text;
}

void PaintGrid(const Painter& p, const RECT& plot, const Series& series, const Axis& time,
               HPEN gridPen) {
    Selected pen(p.dc, gridPen);
    const int32_t width = plot.right - 1 - plot.left;
    for (const AxisTick& tick : time.Ticks) {
        const auto x = plot.left + static_cast<int32_t>(tick.Value * width / time.Top);
        Line(p.dc, x, plot.top, x, plot.bottom);
    }
    for (const AxisTick& tick : series.axis.Ticks) {
        const int32_t y = RowOf(tick.Value, series.axis, series.rows);
        Line(p.dc, plot.left, y, plot.right, y);
        p.Write(plot.left - p.Scaled(4), y - p.lineHeight / 2, tick.Label, HistoryText, TA_RIGHT);
    }
}

// The line of an extreme, and its label at labelTop, where the curve is not.
void PaintExtreme(const Painter& p, const RECT& plot, const Series& series, int64_t value,
                  const char* caption, int32_t labelTop) {
    const int32_t y = RowOf(value, series.axis, series.rows);
    Line(p.dc, plot.left, y, plot.right, y);
    Text label = caption;
    AppendText(label, " ");
    AppendText(label, Reading(value, series.unit));
    p.Write(plot.left + p.Scaled(4), labelTop, label, HistoryExtremeColour, TA_LEFT);
}

// The part of plot (its bounding box) that the DC's clipping lets through;
// the whole plot when the DC has no clipping.
RECT VisibleInside(HDC dc, const RECT& plot) {
    RECT seen = plot;
    const OwnedGdi<HRGN> clipping(CreateRectRgn(0, 0, 0, 0));
    const OwnedGdi<HRGN> inside(CreateRectRgnIndirect(&plot));
    if (clipping.valid() && inside.valid() && GetClipRgn(dc, clipping.get()) == 1 &&
        CombineRgn(inside.get(), inside.get(), clipping.get(), RGN_AND) != ERROR)
        GetRgnBox(inside.get(), &seen);
    return seen;
}

void PaintSeries(const Painter& p, const RECT& plot, const Series& series, int8_t language,
                 HPEN extremePen) {
    const int32_t header = plot.top - p.lineHeight - HeaderGap(p);
    p.Write(plot.left, header, series.title, HistoryText, TA_LEFT);
    if (!series.seeded) return;
    Text current = CurrentCaption(language);
    AppendText(current, " : ");
    AppendText(current, Reading(series.current, series.unit));
    p.Write(plot.right, header, current, series.colour, TA_RIGHT);
    {
        Selected pen(p.dc, extremePen);
        const ExtremeLabelRows labels = PlaceExtremeLabels(
            series.minimum, series.maximum, series.axis, series.rows, p.lineHeight, Reach(p));
        PaintExtreme(p, plot, series, series.maximum, "Maximum", labels.MaximumTop);
        PaintExtreme(p, plot, series, series.minimum, "Minimum", labels.MinimumTop);
    }
    const std::vector<HistoryColumn>& columns = *series.columns;
    const auto count = static_cast<int32_t>(columns.size());
    int32_t firstAny = 0;
    while (firstAny < count && !columns[firstAny].Any) ++firstAny;
    int32_t lastAny = count - 1;
    while (lastAny > firstAny && !columns[lastAny].Any) --lastAny;
    if (firstAny == count) return;
    // Only the columns that can reach into the clipping, and the one with a
    // reading before and after them, whose joins cross into it.
    const RECT seen = VisibleInside(p.dc, plot);
    const int32_t reach = LineWidth(p) + 1;
    int32_t from = std::clamp<int32_t>(seen.left - plot.left - reach, firstAny, lastAny);
    int32_t to = std::clamp<int32_t>(seen.right - plot.left + reach, firstAny, lastAny);
    while (from > firstAny && !columns[from].Any) --from;
    while (to < lastAny && !columns[to].Any) ++to;
    // Each column from its first reading down or up to its range and on to
    // its last, which the next column joins.
    std::vector<POINT> points;
    points.reserve(static_cast<size_t>(to - from + 2) * 4);
    for (int32_t i = from; i <= to; ++i) {
        const HistoryColumn& column = columns[i];
        if (!column.Any) continue;
        const int32_t x = plot.left + i;
        const bool rising = column.Last >= column.First;
        points.push_back({x, RowOf(column.First, series.axis, series.rows)});
        points.push_back({x, RowOf(rising ? column.Low : column.High, series.axis, series.rows)});
        points.push_back({x, RowOf(rising ? column.High : column.Low, series.axis, series.rows)});
        points.push_back({x, RowOf(column.Last, series.axis, series.rows)});
    }
    const OwnedGdi<HPEN> line(CreatePen(PS_SOLID, LineWidth(p), series.colour));
    Selected pen(p.dc, line.get());
    if (firstAny == lastAny) points.push_back({points.back().x + 1, points.back().y});
    Polyline(p.dc, points.data(), static_cast<int>(points.size()));
    // The current value as a mark at the end of the line.
    const POINT last{plot.left + lastAny, RowOf(columns[lastAny].Last, series.axis, series.rows)};
    const int32_t mark = MarkRadius(p);
    const OwnedGdi<HBRUSH> fill(CreateSolidBrush(series.colour));
    Selected brush(p.dc, fill.get());
    Ellipse(p.dc, last.x - mark, last.y - mark, last.x + mark + 1, last.y + mark + 1);
}

} // namespace

HistoryPicture PaintHistory(HDC dc, const RECT& area, const RunRecord& record, int8_t language,
                            int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    const TextModes modes(dc, dpi);
    const OwnedGdi<HBRUSH> background(CreateSolidBrush(HistoryBackground));
    FillArea(dc, area, background.get());
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    Painter p{dc, dpi, static_cast<int32_t>(metrics.tmHeight),
              static_cast<int32_t>(std::max<LONG>(metrics.tmMaxCharWidth, 1))};

    const Look look = LookAt(record);
    const RunFacts& facts = look.Facts;
    const RecordedPass& last = look.Last;
    HistoryPicture picture;
    picture.Frame = FrameOf(look, area.right - area.left, area.bottom - area.top, dpi, language);
    picture.Last = last;
    const uint32_t span = picture.Frame.SpanMs;
    const RunExtremes& extremes = facts.Extremes;
    const PlotLayout layout = LayOutPlots(p, area.bottom - area.top);

    Series load{"CPU", "%", HistoryLoadColour, nullptr,
                LoadAxis(facts.CpuScale, extremes.LoadMaximum, layout.Steps), extremes.Seeded,
                extremes.LoadMinimum, extremes.LoadMaximum, last.Load};
    Series memory{"RAM", "Bytes", HistoryMemoryColour, nullptr,
                  WorkingSetAxis(extremes.WorkingSetMaximum, layout.Steps), extremes.Seeded,
                  extremes.WorkingSetMinimum, extremes.WorkingSetMaximum, last.WorkingSet};

    RECT upper{};
    RECT lower{};
    PlacePlots(p, area, layout, LabelRoom(p, load.axis, memory.axis), &upper, &lower);
    load.rows = RowsOf(p, upper);
    memory.rows = RowsOf(p, lower);
    const int32_t left = upper.left;
    const int32_t right = upper.right;

    HistoryColumns columns(right - left, span);
    // The passes of the look only: one appended since is left to the next
    // picture, whose changes start at this one's last pass.
    size_t toAdd = look.Kept;
    record.ForEachBlock([&columns, &toAdd](const RecordedPass* first, size_t count) {
        const size_t taken = std::min(count, toAdd);
        columns.Add(first, taken);
        toAdd -= taken;
    });
    load.columns = &columns.Load();
    memory.columns = &columns.WorkingSet();

    const Axis time = TimeAxis(span, right - left, p.Scaled(60));
    const OwnedGdi<HPEN> gridPen(CreatePen(PS_SOLID, 1, HistoryGrid));
    const OwnedGdi<HPEN> extremePen(
        CreatePen(PS_SOLID, std::max(1, p.Scaled(1)), HistoryExtremeColour));
    for (const auto& [plot, series] : {std::pair{upper, &load}, std::pair{lower, &memory}}) {
        PaintGrid(p, plot, *series, time, gridPen.get());
        FrameArea(dc, plot, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        PaintSeries(p, plot, *series, language, extremePen.get());
    }
    const int32_t width = right - 1 - left;
    for (const AxisTick& tick : time.Ticks) {
        const auto x = left + static_cast<int32_t>(tick.Value * width / time.Top);
        const UINT align = tick.Value == 0 ? TA_LEFT : x + p.Width(tick.Label) / 2 > right
                                                          ? TA_RIGHT
                                                          : TA_CENTER;
        p.Write(x, lower.bottom + p.Scaled(3), tick.Label, HistoryText, align);
    }
    picture.Plots[0] = upper;
    picture.Plots[1] = lower;
    picture.HeaderHeight = p.lineHeight + HeaderGap(p);
    picture.HeaderGap = HeaderGap(p);
    picture.Reach = Reach(p);
    return picture;
}
