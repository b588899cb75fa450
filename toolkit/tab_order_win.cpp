// Where the keyboard focus may go among a window's children: Tab and
// Shift+Tab, and the control that takes it back.
#include <windows.h>

#include <vector>

#include "toolkit/window_internal.h"
#include "toolkit/window_layout.h"

namespace {

// The direct child of window that holds or contains the focus, or null.
HWND FocusedChild(HWND window) {
    HWND focus = GetFocus();
    while (focus && GetParent(focus) != window)
        focus = GetParent(focus);
    return focus;
}

bool IsFocusStop(HWND child) {
    return IsWindowEnabled(child) && IsWindowVisible(child) &&
           (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP);
}

bool IsMultiDocumentClient(HWND candidate) {
    char className[16] = {};
    GetClassNameA(candidate, className, sizeof className);
    return _stricmp(className, "MDIClient") == 0;
}

// Where Tab moves: among the window's children, unless a multi-document client
// lies between the focus and the window; then among that client's children.
HWND FocusRange(HWND window) {
    for (HWND at = GetFocus(); at && at != window; at = GetParent(at))
        if (IsMultiDocumentClient(at)) return at;
    return window;
}

} // namespace

void MoveFocus(HWND topWindow, bool backwards) {
    HWND window = FocusRange(topWindow);
    // Children are kept in creation order; the first created comes first.
    std::vector<HWND> children;
    std::vector<bool> stops;
    HWND focused = FocusedChild(window);
    int32_t focusedIndex = -1;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == focused) focusedIndex = static_cast<int32_t>(children.size());
        children.push_back(child);
        stops.push_back(IsFocusStop(child));
    }
    int32_t next = NextFocusStop(stops, focusedIndex, backwards);
    if (next >= 0) SetFocus(children[static_cast<size_t>(next)]);
}

// A disabled control cannot hold the focus; then the window itself takes it.
bool CanTakeFocus(HWND window, HWND control) {
    return control && IsWindow(control) && IsChild(window, control) && IsWindowEnabled(control) &&
           IsWindowVisible(control);
}
