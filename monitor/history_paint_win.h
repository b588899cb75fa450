// The history graph drawn with plain GDI into any device context: the
// window's back buffer, the clipboard's bitmap, a console program's picture.
#pragma once

#include <windows.h>

#include <cstdint>

#include "monitor/run_record.h"

// The graph's colours, also what a reader of its pixels looks for.
constexpr COLORREF HistoryBackground = RGB(255, 255, 255);
constexpr COLORREF HistoryGrid = RGB(220, 220, 220);
constexpr COLORREF HistoryText = RGB(0, 0, 0);
constexpr COLORREF HistoryLoadColour = RGB(0, 140, 0);
constexpr COLORREF HistoryMemoryColour = RGB(0, 70, 210);
constexpr COLORREF HistoryExtremeColour = RGB(220, 60, 0);

// Draws the run kept in record into area of dc: the processor load above,
// the working set below, over one time axis from the start of the run; each
// plot with its minimum and maximum as lines with their values, and its
// current value. Passes that share a pixel column show as the range from the
// smallest to the largest of them. language: German or English (state.h);
// dpi: the display the picture is for, 96 at 100 %. Every pixel of area is
// painted; the DC's selected objects and modes are given back unchanged.
void PaintHistory(HDC dc, const RECT& area, const RunRecord& record, int8_t language,
                  int32_t dpi);
