// Numbered status bars: a strip of fixed-width text fields along the bottom edge
// of a window, laid out again whenever the window's inner size changes.
#pragma once

#include <cstdint>

#include "services/text.h"

// A field width that shares the room the other fields leave, divided evenly.
constexpr int32_t FillWidth = -65535;
// Fields beyond this count are ignored.
constexpr int32_t MaxStatusFields = 64;

// SetStatusText flags; 1 wins over 2, 4 wins over 8. 0: left-aligned text in a
// sunken field.
constexpr int32_t StatusNoBorder = 1;
constexpr int32_t StatusRaised = 2;
constexpr int32_t StatusCentred = 4;
constexpr int32_t StatusRight = 8;

// Layout arithmetic (platform-neutral). Writes the right edge of each of the
// count fields into edges: the running sum of the widths, where every FillWidth
// field gets (barWidth - sum of the other widths) / number of FillWidth fields,
// rounded toward zero.
void StatusFieldEdges(const int32_t* widths, int32_t count, int32_t barWidth, int32_t* edges);

enum class StatusBorder : int32_t { Sunken = 0, None = 1, Raised = 2 };

// The border a field is drawn with for the given SetStatusText flags.
StatusBorder StatusBorderOf(int32_t flags);

// The text handed to the native bar: one tab in front for centred text, two for
// right-aligned text; a null text counts as empty.
Text StatusFieldText(const char* text, int32_t flags);

#ifdef _WIN32
#include <windows.h>

// Once at start-up, before any other status-bar call.
void InitStatusBars();

// Creates status bar number on window (a top-level window handle), replacing
// a bar that held the number, and makes it the calling thread's current bar.
// The bar's native handle, 0 on failure (the number stays free).
HWND NewStatusBar(int32_t number, HWND window);

// Appends a field of width pixels (or FillWidth) to the calling thread's
// current status bar; a 65th field is ignored.
void AddStatusField(int32_t width);

// Sets the text of field (0 = first) of the numbered bar; flags as above. A
// number that names no bar, or a field beyond the last, does nothing.
void SetStatusText(int32_t number, int32_t field, const char* text, int32_t flags);

// Removes the bar from its window and frees the number.
void DisposeStatusBar(int32_t number);

// The native handle of the numbered bar, 0 if the number names none.
HWND StatusBarNativeHandle(int32_t number);

// Number of live status-bar records in the table (for leak checks).
int32_t LiveStatusBars();
#endif
