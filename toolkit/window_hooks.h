// Extension points of the window procedure for other toolkit units.
#pragma once

#ifdef _WIN32
#include <windows.h>

// Called by every toolkit window on WM_SIZE (any kind), before the window
// raises its own size events. The status-bar unit defines it to keep its bars
// along the bottom edge; without that unit a weak default does nothing.
void ResizeStatusBarsOf(HWND window);
#endif
