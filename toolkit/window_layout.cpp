#include "toolkit/window_layout.h"

#include <algorithm>

#include "toolkit/window.h"

namespace {
constexpr int32_t ToolkitBits =
    WindowCentreOnScreen | WindowCentreOnActive | WindowNoContainer | WindowHidden;
}

int32_t WindowStyleOf(int32_t flags) {
    int32_t style = flags & ~ToolkitBits;
    // A bare window would have no frame at all; callers that give no style
    // of their own get an ordinary captioned window.
    if (style == 0) style = WindowTitleBar;
    return style;
}

WindowPlacement PlaceWindow(int32_t x, int32_t y, int32_t outerWidth, int32_t outerHeight,
                            int32_t flags, int32_t screenWidth, int32_t screenHeight,
                            const WindowRect* active) {
    WindowPlacement placement;
    placement.outer = {x, y, outerWidth, outerHeight};
    WindowRect& outer = placement.outer;
    if (flags & WindowCentreOnScreen) {
        outer.width = std::min(outer.width, screenWidth);
        outer.height = std::min(outer.height, screenHeight);
        outer.x = (screenWidth - outer.width) / 2;
        outer.y = (screenHeight - outer.height) / 2;
    } else if (flags & WindowCentreOnActive) {
        if (active) {
            outer.x = std::max(0, active->x + (active->width - outer.width) / 2);
            outer.y = std::max(0, active->y + (active->height - outer.height) / 2);
        }
    } else if (x == DefaultPosition || y == DefaultPosition) {
        placement.platformDefault = true;
    }
    return placement;
}

int32_t NextFocusStop(const std::vector<bool>& stops, int32_t focused, bool backwards) {
    const int32_t count = static_cast<int32_t>(stops.size());
    if (count == 0) return -1;
    // Without a focused child the search starts just outside the list, so
    // Tab finds the first stop and Shift+Tab the last.
    int32_t at = focused;
    if (at < 0 || at >= count) at = backwards ? count : -1;
    for (int32_t step = 1; step <= count + 1; ++step) {
        int32_t i = backwards ? at - step : at + step;
        i = ((i % count) + count) % count;
        if (stops[static_cast<size_t>(i)]) return i;
    }
    return -1;
}
