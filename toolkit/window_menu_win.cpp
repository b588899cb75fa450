// Double-clicks on a toolkit window and the items the program adds to its
// system menu, as events of the window.
#include "services/thread_state.h"
#include "toolkit/window.h"
#include "toolkit/window_internal.h"

namespace {

// The system's own commands start here; the items added lie below.
constexpr WPARAM FirstSystemCommand = 0xF000;

struct ClickAndMenu {
    PerThreadStateCount alive;
    POINT clicked{};         // the last double-click, in screen coordinates
    int32_t menuCommand = 0; // the last item of ours chosen
};

ClickAndMenu& ThisThread() {
    static PerThreadState<ClickAndMenu> state;
    return state.get();
}

} // namespace

bool HandleClickOrMenu(HWND window, int32_t number, UINT message, WPARAM first, LPARAM second) {
    if (message == WM_LBUTTONDBLCLK) {
        POINT at{static_cast<int16_t>(LOWORD(second)), static_cast<int16_t>(HIWORD(second))};
        ClientToScreen(window, &at);
        ThisThread().clicked = at;
        ThreadEvents().RaiseWindow(EventDoubleClick, number);
        return true;
    }
    if (message == WM_SYSCOMMAND && (first & 0xFFF0) < FirstSystemCommand) {
        ThisThread().menuCommand = static_cast<int32_t>(first & 0xFFF0);
        ThreadEvents().RaiseWindow(EventMenuCommand, number);
        return true;
    }
    return false;
}

POINT LastClickPoint() {
    return ThisThread().clicked;
}

int32_t LastMenuCommand() {
    return ThisThread().menuCommand;
}

bool AddSystemMenuItem(int32_t number, int32_t command, const char* text) {
    HWND window = WindowNativeHandle(number);
    HMENU menu = window ? GetSystemMenu(window, FALSE) : nullptr;
    if (!menu || command < 16 || command >= 0xF000 || (command & 0xF)) return false;
    return AppendMenuA(menu, MF_SEPARATOR, 0, nullptr) &&
           AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command), text ? text : "");
}
