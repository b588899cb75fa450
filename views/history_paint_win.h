// The history graph drawn with plain GDI into any device context: the
// window's back buffer, the clipboard's bitmap, a console program's picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "measure/run_record.h"

// The graph's colours, also what a reader of its pixels looks for.
constexpr COLORREF HistoryBackground = RGB(255, 255, 255);
constexpr COLORREF HistoryGrid = RGB(220, 220, 220);
constexpr COLORREF HistoryText = RGB(0, 0, 0);
constexpr COLORREF HistoryLoadColour = RGB(0, 140, 0);
constexpr COLORREF HistoryMemoryColour = RGB(0, 70, 210);
constexpr COLORREF HistoryExtremeColour = RGB(220, 60, 0);

// All that a picture of the graph is laid out from. While it stays the same,
// a new pass changes only the end of each line and the current values.
struct HistoryFrame {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Dpi = 0;
    int8_t Language = 0;
    uint64_t StartTick = 0;
    int8_t CpuScale = 0;
    RunExtremes Extremes;
    uint32_t SpanMs = 0;
    int64_t Merged = 0; // passes the record merged away to keep its ceiling
    bool operator==(const HistoryFrame&) const = default;
};

// What a picture shows and where: enough to tell what a later pass changes.
struct HistoryPicture {
    HistoryFrame Frame;
    RecordedPass Last{}; // the last pass drawn
    RECT Plots[2]{};     // the load, the working set
    int32_t HeaderHeight = 0; // the row of title and current value over each plot,
    int32_t HeaderGap = 0;    // and how far above the plot that row ends
    int32_t Reach = 0;        // how far a line's end and its mark reach past a point
};

// The frame a picture of record into a width x height area would have now,
// and the record's last pass.
HistoryFrame HistoryFrameOf(const RunRecord& record, int32_t width, int32_t height, int32_t dpi,
                            int8_t language, RecordedPass* last);

// The areas of picture to draw again so that it shows the run up to its last
// pass, for a record whose frame is still the picture's: the end of each
// line with its mark, and the row of a current value that changed.
std::vector<RECT> HistoryChanges(const HistoryPicture& picture, const RecordedPass& last);

// Draws the run kept in record into area of dc: the processor load above,
// the working set below, over one time axis from the start of the run; each
// plot with its minimum and maximum as lines with their values, and its
// current value. Passes that share a pixel column show as the range from the
// smallest to the largest of them. language: German or English (state.h);
// dpi: the display the picture is for, 96 at 100 %. Every pixel of area is
// painted (within the DC's clipping); the DC's selected objects and modes are
// given back unchanged. Returns what it drew.
//
// A DC that is painted again and again (a kept picture) may hold the font of
// MakeHistoryFont for the same dpi: the paint then uses it as it is.
HistoryPicture PaintHistory(HDC dc, const RECT& area, const RunRecord& record, int8_t language,
                  int32_t dpi);

// The graph's font at dpi, for a DC that keeps it selected; the caller
// deletes it once no DC holds it.
HFONT MakeHistoryFont(int32_t dpi);
