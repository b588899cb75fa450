// Platform-neutral arithmetic of windows: style, placement and focus order.
#pragma once

#include <cstdint>
#include <vector>

// The style bits handed to the platform for NewWindow's flags: the toolkit's
// own bits removed, and a title bar added when nothing but those bits is given.
int32_t WindowStyleOf(int32_t flags);

struct WindowRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct WindowPlacement {
    WindowRect outer;
    bool platformDefault = false; // let the platform choose the position
};

// Where a window of the given outer size goes. active is the active window's
// outer rectangle, or null when there is none.
WindowPlacement PlaceWindow(int32_t x, int32_t y, int32_t outerWidth, int32_t outerHeight,
                            int32_t flags, int32_t screenWidth, int32_t screenHeight,
                            const WindowRect* active);

// The focus stop Tab (or Shift+Tab when backwards) moves to. stops[i] tells
// whether child i (in creation order) is an enabled, visible focus stop;
// focused is the index of the child holding the focus, -1 for none. -1 when
// there is no stop at all.
int32_t NextFocusStop(const std::vector<bool>& stops, int32_t focused, bool backwards);
