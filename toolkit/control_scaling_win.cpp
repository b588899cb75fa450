// Controls that follow their window's DPI.
#include "toolkit/window_internal.h"

void RescaleControlsOf(HWND window, HFONT font) {
    EnumChildWindows(
        window,
        [](HWND control, LPARAM font) -> BOOL {
            SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}
