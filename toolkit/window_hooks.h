// Extension points of the window procedure for other toolkit units.
#pragma once

#ifdef _WIN32
#include <windows.h>

// Called by every toolkit window on WM_SIZE (any kind), before the window
// raises its own size events. Defined by the status-bar unit, which keeps its
// bars along the bottom edge.
void ResizeStatusBarsOf(HWND window);
// Called when the window's DPI has changed, before the window takes its new
// size: the bars take a font for the new DPI, and their fields are laid out for
// it on the size change that follows.
void FollowDpiOfStatusBars(HWND window);
// Called when the window has taken its size and font for a new DPI: the
// texts of the last fit of its controls (FitControlsToTexts) are fitted
// again in the new font. Defined by the text-fitting unit.
void RefitControlsForDpi(HWND window);
#endif
