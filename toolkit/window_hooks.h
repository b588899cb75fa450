// Extension points of the window procedure for other toolkit units.
#pragma once

#ifdef _WIN32
#include <windows.h>

// Called by every toolkit window on WM_SIZE (any kind), before the window
// raises its own size events. Defined by the status-bar unit, which keeps its
// bars along the bottom edge.
void ResizeStatusBarsOf(HWND window);
#endif
