// The history window: the graph of the run, owned by the main window. Main
// thread only.
#pragma once

#include <cstdint>

// The item of the main window's system menu that opens it.
constexpr int32_t HistoryMenuCommand = 0x0100;

// Opens the window, or brings it to the front when it is open.
void OpenHistoryWindow();

// After every event of the main loop: a double-click on the readings block
// or the system-menu item opens the window; while it is open it is repainted
// when the run has moved on (a pass, its end, a new start).
void FollowHistoryWindow(int32_t event);
