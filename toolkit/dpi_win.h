// The display scale of the toolkit's windows on the platform. The calls that
// give a window its own DPI exist from Windows 10 on and are looked up when
// first needed; on older systems every window has the system's DPI.
#pragma once

#include <windows.h>

#include <cstdint>

// The DPI a window (or the top window of a control) is laid out for: for a
// toolkit window the DPI it was made at or last told of by the system
// (WM_DPICHANGED), so that positions follow the message even where the
// platform cannot be asked (Windows 8.1); for another window that of the
// display it is on; the system's DPI when the platform cannot tell.
int32_t WindowDpi(HWND window);

// Records the DPI the top window is laid out for (see WindowDpi).
void SetLaidOutDpi(HWND window, int32_t dpi);

// The DPI the system's own fonts and metrics are made for.
int32_t SystemDpi();

// The outer rectangle of a window of the style whose inner area is *rect, with
// the frame metrics of dpi.
void OuterRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int32_t dpi);

// A copy of the system font made for dpi, owned by the caller; null when dpi
// is the system's, where the system font itself is right.
HFONT MakeFontForDpi(HFONT systemFont, int32_t dpi);
