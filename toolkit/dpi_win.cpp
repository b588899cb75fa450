#include "toolkit/dpi_win.h"

#include "services/libraries.h"
#include "toolkit/dpi_scale.h"

namespace {

using DpiForWindowCall = UINT(WINAPI*)(HWND);
using DpiForSystemCall = UINT(WINAPI*)();
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using DpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr const char* LaidOutDpiProperty = "BrenkLaidOutDpi";
// The monitor's effective DPI, as the display settings scale it.
constexpr int EffectiveDpi = 0;

template <typename Call> Call LookUp(const char* name) {
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user, name)))
                : nullptr;
}

DpiForWindowCall DpiForWindow() {
    static const DpiForWindowCall call = LookUp<DpiForWindowCall>("GetDpiForWindow");
    return call;
}

// Windows 8.1 tells a monitor's DPI, though not a window's.
int32_t MonitorDpi(HWND window) {
    static const auto call = reinterpret_cast<DpiForMonitorCall>(
        SystemLibraryFunction("shcore.dll", "GetDpiForMonitor"));
    UINT x = 0;
    UINT y = 0;
    if (!call) return 0;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (call(monitor, EffectiveDpi, &x, &y) != S_OK) return 0;
    return static_cast<int32_t>(y);
}

int32_t DisplayDpi(HWND window) {
    if (!window) return 0;
    if (const DpiForWindowCall call = DpiForWindow()) return static_cast<int32_t>(call(window));
    return MonitorDpi(window);
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
    HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
    const auto laidOut =
        top ? static_cast<int32_t>(reinterpret_cast<intptr_t>(GetPropA(top, LaidOutDpiProperty)))
            : 0;
    const int32_t dpi = laidOut > 0 ? laidOut : DisplayDpi(window);
    return dpi > 0 ? dpi : SystemDpi();
}

void SetLaidOutDpi(HWND window, int32_t dpi) {
    SetPropA(window, LaidOutDpiProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(dpi)));
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
