#include "monitor/history_paint_win.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "monitor/history_axes.h"
#include "monitor/history_columns.h"
#include "monitor/language.h"
#include "monitor/readings.h"

namespace {

// GDI objects made for one paint, deleted when it ends.
template <typename Handle> class GdiObject {
  public:
    explicit GdiObject(Handle made) : handle(made) {}
    ~GdiObject() {
        if (handle) DeleteObject(handle);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return handle; }

  private:
    Handle handle;
};

// Selects an object for a scope and puts the previous one back.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc, previous); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc;
    HGDIOBJ previous;
};

// A rectangle filled, and one framed a pixel wide inside its edges, with a
// brush: the window system's own calls for these would make a console
// program load its window library for nothing but them.
void FillArea(HDC dc, const RECT& area, HBRUSH brush) {
    Selected chosen(dc, brush);
    PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, PATCOPY);
}

void FrameArea(HDC dc, const RECT& area, HBRUSH brush) {
    const int32_t width = area.right - area.left;
    const int32_t height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    Selected chosen(dc, brush);
    PatBlt(dc, area.left, area.top, width, 1, PATCOPY);
    PatBlt(dc, area.left, area.bottom - 1, width, 1, PATCOPY);
    PatBlt(dc, area.left, area.top, 1, height, PATCOPY);
    PatBlt(dc, area.right - 1, area.top, 1, height, PATCOPY);
}

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
};

struct Painter {
    HDC dc;
    int32_t dpi;
    int32_t lineHeight;
    int32_t widestChar;

    int32_t Scaled(int32_t value) const { return MulDiv(value, dpi, 96); }

    int32_t Width(const Text& text) const {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    void Write(int32_t x, int32_t y, const Text& text, COLORREF colour, UINT align) const {
        // A new pass redraws a few strips only: a text wholly outside them
        // is not drawn at all (its width guessed on the wide side).
        const int32_t width = static_cast<int32_t>(text.size()) * widestChar;
        const int32_t left = (align & TA_CENTER) == TA_CENTER ? x - width / 2
                             : (align & TA_CENTER) == TA_RIGHT ? x - width
                                                               : x;
        const RECT box{left, y, left + width, y + lineHeight};
        if (!RectVisible(dc, &box)) return;
        SetTextColor(dc, colour);
        SetTextAlign(dc, align | TA_TOP);
        TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
    }

    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const {
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
    }
};

int32_t LineWidth(const Painter& p) {
    return std::max(1, p.Scaled(2) - 1);
}

// Between a plot and the row of its title and current value: more than a
// line's pen reaches past the plot's top.
int32_t HeaderGap(const Painter& p) {
    return p.Scaled(2);
}

int32_t MarkRadius(const Painter& p) {
    return p.Scaled(3);
}

Text Reading(int64_t value, const char* unit) {
    Text text = GroupDigits(value);
    AppendText(text, " ");
    AppendText(text, unit);
    return text;
}

// The height of value in a plot from top to bottom.
int32_t HeightOf(int64_t value, const Axis& axis, const RECT& plot) {
    const int64_t span = plot.bottom - 1 - plot.top;
    const int64_t clamped = std::clamp<int64_t>(value, 0, axis.Top);
    return plot.bottom - 1 - static_cast<int32_t>(clamped * span / std::max<int64_t>(axis.Top, 1));
}

void PaintGrid(const Painter& p, const RECT& plot, const Axis& values, const Axis& time,
               HPEN gridPen) {
    Selected pen(p.dc, gridPen);
    const int32_t width = plot.right - 1 - plot.left;
    for (const AxisTick& tick : time.Ticks) {
        const auto x = plot.left + static_cast<int32_t>(tick.Value * width / time.Top);
        p.Line(x, plot.top, x, plot.bottom);
    }
    for (const AxisTick& tick : values.Ticks) {
        const int32_t y = HeightOf(tick.Value, values, plot);
        p.Line(plot.left, y, plot.right, y);
        p.Write(plot.left - p.Scaled(4), y - p.lineHeight / 2, tick.Label, HistoryText, TA_RIGHT);
    }
}

void PaintExtreme(const Painter& p, const RECT& plot, const Series& series, int64_t value,
                  const char* caption, bool above) {
    const int32_t y = HeightOf(value, series.axis, plot);
    p.Line(plot.left, y, plot.right, y);
    Text label = caption;
    AppendText(label, " ");
    AppendText(label, Reading(value, series.unit));
    // Beside its line, inside the plot.
    int32_t textTop = above ? y - p.lineHeight - 1 : y + 2;
    if (textTop < plot.top) textTop = y + 2;
    if (textTop + p.lineHeight > plot.bottom) textTop = y - p.lineHeight - 1;
    p.Write(plot.left + p.Scaled(4), textTop, label, HistoryExtremeColour, TA_LEFT);
}

// The part of plot (its bounding box) that the DC's clipping lets through;
// the whole plot when the DC has no clipping.
RECT VisibleInside(HDC dc, const RECT& plot) {
    RECT seen = plot;
    HRGN clipping = CreateRectRgn(0, 0, 0, 0);
    HRGN inside = CreateRectRgnIndirect(&plot);
    if (clipping && inside && GetClipRgn(dc, clipping) == 1 &&
        CombineRgn(inside, inside, clipping, RGN_AND) != ERROR)
        GetRgnBox(inside, &seen);
    if (inside) DeleteObject(inside);
    if (clipping) DeleteObject(clipping);
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
        PaintExtreme(p, plot, series, series.maximum, "Maximum", true);
        PaintExtreme(p, plot, series, series.minimum, "Minimum", false);
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
        points.push_back({x, HeightOf(column.First, series.axis, plot)});
        points.push_back({x, HeightOf(rising ? column.Low : column.High, series.axis, plot)});
        points.push_back({x, HeightOf(rising ? column.High : column.Low, series.axis, plot)});
        points.push_back({x, HeightOf(column.Last, series.axis, plot)});
    }
    GdiObject<HPEN> line(CreatePen(PS_SOLID, LineWidth(p), series.colour));
    Selected pen(p.dc, line.get());
    if (firstAny == lastAny) points.push_back({points.back().x + 1, points.back().y});
    Polyline(p.dc, points.data(), static_cast<int>(points.size()));
    // The current value as a mark at the end of the line.
    const POINT last{plot.left + lastAny, HeightOf(columns[lastAny].Last, series.axis, plot)};
    const int32_t mark = MarkRadius(p);
    GdiObject<HBRUSH> fill(CreateSolidBrush(series.colour));
    Selected brush(p.dc, fill.get());
    Ellipse(p.dc, last.x - mark, last.y - mark, last.x + mark + 1, last.y + mark + 1);
}

// The widest label of the value axes, for the room left of the plots.
int32_t LabelRoom(const Painter& p, const Axis& a, const Axis& b) {
    int32_t widest = 0;
    for (const Axis* axis : {&a, &b})
        for (const AxisTick& tick : axis->Ticks) widest = std::max(widest, p.Width(tick.Label));
    return widest;
}

LOGFONTA GraphFont(int32_t dpi) {
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -MulDiv(8, dpi, 72);
    font.lfWidth = 0;
    return font;
}

// Whether the DC's font is already the one wanted: a kept picture holds the
// graph's font, and choosing a font is what a pass would cost most under
// Wine (the display driver looks up its settings again at every choice).
bool HoldsFont(HDC dc, const LOGFONTA& wanted) {
    LOGFONTA held{};
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    return font && GetObjectA(font, sizeof held, &held) == sizeof held &&
           held.lfHeight == wanted.lfHeight && held.lfWidth == wanted.lfWidth &&
           held.lfWeight == wanted.lfWeight && held.lfItalic == wanted.lfItalic &&
           held.lfCharSet == wanted.lfCharSet && held.lfQuality == wanted.lfQuality &&
           std::strcmp(held.lfFaceName, wanted.lfFaceName) == 0;
}

// The text modes and the pen's position a paint sets, given back as they
// were when it ends; a font it had to choose, too. Saving and restoring the
// whole DC instead would choose the DC's font again.
class TextModes {
  public:
    TextModes(HDC dc, int32_t dpi)
        : dc(dc), colour(GetTextColor(dc)), align(GetTextAlign(dc)), mode(GetBkMode(dc)) {
        GetCurrentPositionEx(dc, &position);
        const LOGFONTA wanted = GraphFont(dpi);
        if (HoldsFont(dc, wanted)) return;
        made = CreateFontIndirectA(&wanted);
        if (made) previous = SelectObject(dc, made);
    }
    ~TextModes() {
        SetTextColor(dc, colour);
        SetTextAlign(dc, align);
        SetBkMode(dc, mode);
        MoveToEx(dc, position.x, position.y, nullptr);
        if (previous) SelectObject(dc, previous);
        if (made) DeleteObject(made);
    }
    TextModes(const TextModes&) = delete;
    TextModes& operator=(const TextModes&) = delete;

  private:
    HDC dc;
    COLORREF colour;
    UINT align;
    int mode;
    POINT position{};
    HFONT made = nullptr;
    HGDIOBJ previous = nullptr;
};

} // namespace

namespace {

// One look at the record: its facts, its last pass and how many it keeps.
struct Look {
    RunFacts Facts;
    RecordedPass Last{};
    size_t Kept = 0;
};

Look LookAt(const RunRecord& record) {
    Look look;
    record.ForEachBlock([&look](const RecordedPass* first, size_t count) {
        look.Last = first[count - 1];
        look.Kept += count;
    });
    // After the passes: every pass counted there is counted in the facts.
    look.Facts = record.Facts();
    return look;
}

HistoryFrame FrameOf(const Look& look, int32_t width, int32_t height, int32_t dpi,
                     int8_t language) {
    const RunFacts& facts = look.Facts;
    return {width,
            height,
            dpi,
            language,
            facts.StartTick,
            facts.CpuScale,
            facts.Extremes,
            HistorySpan(look.Last.Ms, !facts.Finished),
            facts.Passes - static_cast<int64_t>(look.Kept)};
}

} // namespace

HistoryFrame HistoryFrameOf(const RunRecord& record, int32_t width, int32_t height, int32_t dpi,
                            int8_t language, RecordedPass* last) {
    const Look look = LookAt(record);
    if (last) *last = look.Last;
    return FrameOf(look, width, height, dpi, language);
}

std::vector<RECT> HistoryChanges(const HistoryPicture& picture, const RecordedPass& last) {
    std::vector<RECT> changes;
    // A program at rest reads the same each pass: its rows stay as they are.
    const bool rowChanged[2] = {last.Load != picture.Last.Load,
                                last.WorkingSet != picture.Last.WorkingSet};
    for (int plotIndex = 0; plotIndex < 2; ++plotIndex) {
        const RECT& plot = picture.Plots[plotIndex];
        const HistoryColumns columns(plot.right - plot.left, picture.Frame.SpanMs);
        const int32_t was = columns.ColumnOf(picture.Last.Ms);
        const int32_t now = columns.ColumnOf(last.Ms);
        changes.push_back({plot.left + std::min(was, now) - picture.Reach, plot.top - picture.Reach,
                           plot.left + std::max(was, now) + picture.Reach + 1,
                           plot.bottom + picture.Reach});
        // The row of the current value ends above where a line can reach.
        if (rowChanged[plotIndex])
            changes.push_back({0, plot.top - picture.HeaderHeight, picture.Frame.Width,
                               plot.top - picture.HeaderGap});
    }
    return changes;
}

HistoryPicture PaintHistory(HDC dc, const RECT& area, const RunRecord& record, int8_t language,
                            int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    const TextModes modes(dc, dpi);
    GdiObject<HBRUSH> background(CreateSolidBrush(HistoryBackground));
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
    const int32_t margin = p.Scaled(8);
    const int32_t header = p.lineHeight + p.Scaled(4);
    const int32_t timeRow = p.lineHeight + p.Scaled(4);
    const int32_t height = area.bottom - area.top;
    const int32_t plotHeight = std::max(2, (height - 2 * margin - 2 * header - timeRow) / 2);
    const int32_t steps = std::max(1, plotHeight / (2 * p.lineHeight));

    Series load{"CPU", "%", HistoryLoadColour, nullptr,
                LoadAxis(facts.CpuScale, extremes.LoadMaximum, steps), extremes.Seeded,
                extremes.LoadMinimum, extremes.LoadMaximum, last.Load};
    Series memory{"RAM", "Bytes", HistoryMemoryColour, nullptr,
                  WorkingSetAxis(extremes.WorkingSetMaximum, steps), extremes.Seeded,
                  extremes.WorkingSetMinimum, extremes.WorkingSetMaximum, last.WorkingSet};

    const int32_t left = area.left + margin + LabelRoom(p, load.axis, memory.axis) + p.Scaled(6);
    const int32_t right = std::max(left + 2, static_cast<int32_t>(area.right) - margin);
    RECT upper{left, area.top + margin + header, right, 0};
    upper.bottom = upper.top + plotHeight;
    RECT lower{left, upper.bottom + header, right, 0};
    lower.bottom = lower.top + plotHeight;

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
    GdiObject<HPEN> gridPen(CreatePen(PS_SOLID, 1, HistoryGrid));
    GdiObject<HPEN> extremePen(CreatePen(PS_SOLID, std::max(1, p.Scaled(1)), HistoryExtremeColour));
    for (const auto& [plot, series] : {std::pair{upper, &load}, std::pair{lower, &memory}}) {
        PaintGrid(p, plot, series->axis, time, gridPen.get());
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
    picture.Reach = MarkRadius(p) + LineWidth(p);
    return picture;
}

HFONT MakeHistoryFont(int32_t dpi) {
    const LOGFONTA font = GraphFont(dpi > 0 ? dpi : 96);
    return CreateFontIndirectA(&font);
}
