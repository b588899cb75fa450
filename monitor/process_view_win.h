// The history window's list of the tree's processes, under its graph: a list
// control that asks for the text of the rows it shows, so a tree of 100 000
// processes costs no more to show than the rows on screen. Main thread only.
#pragma once

#include <windows.h>

#include <cstdint>

// The list's height at 96 DPI, while the graph keeps half the window.
constexpr int32_t ProcessListHeight = 180;

// Makes the list in the history window, sorted by peak working set; false
// when it could not be made (the window then shows the graph alone).
bool MakeProcessView(HWND history, int32_t dpi);
// The list's font and its columns' widths at a new display scale.
void ScaleProcessView(int32_t dpi);

// The inner height at 96 DPI the list adds to the window's: 0 without it.
int32_t ProcessViewExtraHeight();

// The graph's area of the history window's inner area: all of it without the
// list, the part above it with.
RECT GraphArea(HWND history);

// Lays the list out at the bottom of the inner area, at dpi.
void PlaceProcessView(int32_t width, int32_t height, int32_t dpi);

// Brings the list up to the tree as the worker last handed it over.
void FollowProcessView();

// A notice of the list (its rows' texts, a click on a column's header, a key);
// true when it was the list's, with the answer in result.
bool ProcessViewNotice(HWND history, const NMHDR* notice, LRESULT* result);

// The window is going: the list's state with it.
void ForgetProcessView();
