#include "toolkit/dpi_win.h"

#include "toolkit/dpi_scale.h"

namespace {

using DpiForWindowCall = UINT(WINAPI*)(HWND);
using DpiForSystemCall = UINT(WINAPI*)();
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Call> Call LookUp(const char* name) {
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user, name)))
                : nullptr;
}

DpiForWindowCall DpiForWindow() {
    static const DpiForWindowCall call = LookUp<DpiForWindowCall>("GetDpiForWindow");
    return call;
}

} // namespace

int32_t SystemDpi() {
    static const int32_t dpi = [] {
        if (auto call = LookUp<DpiForSystemCall>("GetDpiForSystem"))
            return static_cast<int32_t>(call());
        HDC screen = GetDC(nullptr);
        const int32_t read = screen ? GetDeviceCaps(screen, LOGPIXELSY) : BaseDpi;
        if (screen) ReleaseDC(nullptr, screen);
        return read;
    }();
    return dpi > 0 ? dpi : BaseDpi;
}

int32_t WindowDpi(HWND window) {
    const DpiForWindowCall call = DpiForWindow();
    const int32_t dpi = call && window ? static_cast<int32_t>(call(window)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

void OuterRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, int32_t dpi) {
    static const AdjustForDpiCall call = LookUp<AdjustForDpiCall>("AdjustWindowRectExForDpi");
    if (call && dpi != SystemDpi())
        call(rect, style, FALSE, extendedStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(rect, style, FALSE, extendedStyle);
}

HFONT MakeFontForDpi(HFONT systemFont, int32_t dpi) {
    if (dpi == SystemDpi()) return nullptr;
    LOGFONTA font{};
    if (!GetObjectA(systemFont, sizeof font, &font)) return nullptr;
    font.lfHeight = RescaleFontHeight(font.lfHeight, SystemDpi(), dpi);
    font.lfWidth = RescaleFontHeight(font.lfWidth, SystemDpi(), dpi);
    return CreateFontIndirectA(&font);
}
