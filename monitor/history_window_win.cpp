#include "monitor/history_window_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "monitor/history_paint_win.h"
#include "monitor/language.h"
#include "monitor/monitor_win.h"
#include "toolkit/controls.h"
#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"
#include "toolkit/window.h"

namespace {

constexpr const char* HistoryClassName = "BrenkHistory";
// Inner sizes at 96 DPI: what it opens with, and the least that still shows
// both plots with their labels.
constexpr int32_t OpeningWidth = 640;
constexpr int32_t OpeningHeight = 400;
constexpr int32_t SmallestWidth = 320;
constexpr int32_t SmallestHeight = 240;
constexpr DWORD HistoryStyle = WS_OVERLAPPEDWINDOW;

// What the window last showed; a change of any of these repaints it.
struct Shown {
    uint64_t startTick = 0;
    int64_t passes = -1;
    bool finished = false;
    bool operator==(const Shown&) const = default;
};

HWND historyWindow = nullptr;
// The same for the worker, which only posts to it.
std::atomic<HWND> wakeWindow{nullptr};
Shown shown;

const RunRecord& Record() {
    return Monitor.ObservedProgram.Record;
}

Shown Now() {
    const RunFacts facts = Record().Facts();
    return {facts.StartTick, facts.Passes, facts.Finished};
}

// The graph into a bitmap of the DC's kind, the size of the inner area.
HBITMAP PaintBitmap(HWND window, HDC like, const RECT& inner) {
    HBITMAP bitmap = CreateCompatibleBitmap(like, inner.right, inner.bottom);
    HDC memory = CreateCompatibleDC(like);
    if (!bitmap || !memory) {
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    PaintHistory(memory, inner, Record(), Monitor.Language, WindowDpi(window));
    SelectObject(memory, previous);
    DeleteDC(memory);
    return bitmap;
}

// Drawn whole into a bitmap first and put on screen in one step: no flicker.
void Paint(HWND window, HDC dc) {
    RECT inner{};
    GetClientRect(window, &inner);
    HBITMAP bitmap = PaintBitmap(window, dc, inner);
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(dc, 0, 0, inner.right, inner.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    shown = Now();
}

void CopyToClipboard(HWND window) {
    RECT inner{};
    GetClientRect(window, &inner);
    HDC screen = GetDC(window);
    HBITMAP bitmap = screen ? PaintBitmap(window, screen, inner) : nullptr;
    if (screen) ReleaseDC(window, screen);
    if (!bitmap) return;
    // The clipboard owns the bitmap once it took it.
    if (OpenClipboard(window)) {
        EmptyClipboard();
        if (SetClipboardData(CF_BITMAP, bitmap)) bitmap = nullptr;
        CloseClipboard();
    }
    if (bitmap) DeleteObject(bitmap);
}

// The outer size whose inner area is width x height at 96 DPI, at dpi.
SIZE OuterSize(int32_t width, int32_t height, int32_t dpi) {
    RECT frame{0, 0, ScaleToDpi(width, dpi), ScaleToDpi(height, dpi)};
    OuterRectForDpi(&frame, HistoryStyle, 0, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

LRESULT CALLBACK HistoryProcedure(HWND window, UINT message, WPARAM first, LPARAM second) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) Paint(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(window, reinterpret_cast<HDC>(first));
        return 0;
    case WM_GETMINMAXINFO: {
        const SIZE least = OuterSize(SmallestWidth, SmallestHeight, WindowDpi(window));
        auto* limits = reinterpret_cast<MINMAXINFO*>(second);
        limits->ptMinTrackSize = {least.cx, least.cy};
        return 0;
    }
    case WM_DPICHANGED: {
        SetLaidOutDpi(window, HIWORD(first));
        const RECT* suggested = reinterpret_cast<const RECT*>(second);
        SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        if (first == VK_ESCAPE) {
            DestroyWindow(window);
            return 0;
        }
        if (first == 'C' && GetKeyState(VK_CONTROL) < 0) {
            CopyToClipboard(window);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        historyWindow = nullptr;
        wakeWindow.store(nullptr);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, first, second);
}

bool RegisterHistoryClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = HistoryProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = HistoryClassName;
    registered =
        RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

// The readings block: its frame and the four columns over it.
bool OnReadings(POINT at) {
    for (const int32_t control :
         {FrameReadings, ColumnCaptions, ColumnColons, ColumnValues, ColumnUnits}) {
        RECT area{};
        HWND native = ControlNativeHandle(control);
        if (native && GetWindowRect(native, &area) && PtInRect(&area, at)) return true;
    }
    return false;
}

} // namespace

void OpenHistoryWindow() {
    if (historyWindow) {
        if (IsIconic(historyWindow)) ShowWindow(historyWindow, SW_RESTORE);
        SetForegroundWindow(historyWindow);
        return;
    }
    HWND owner = WindowNativeHandle(MainWindow);
    if (!owner || !RegisterHistoryClass()) return;
    // Beside the main window, at its scale, on its screen: narrower where
    // the room beside it is less, over it only where even that is too little.
    RECT main{};
    GetWindowRect(owner, &main);
    SIZE outer = OuterSize(OpeningWidth, OpeningHeight, WindowDpi(owner));
    const LONG narrowest = OuterSize(SmallestWidth, SmallestHeight, WindowDpi(owner)).cx;
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    POINT at{main.right, main.top};
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen)) {
        const RECT& work = screen.rcWork;
        if (work.right - at.x >= narrowest) outer.cx = std::min(outer.cx, work.right - at.x);
        at.x = std::max(work.left, std::min(at.x, work.right - outer.cx));
        at.y = std::max(work.top, std::min(at.y, work.bottom - outer.cy));
    }
    historyWindow = CreateWindowExA(0, HistoryClassName, HistoryTitle(Monitor.Language),
                                    HistoryStyle, at.x, at.y, outer.cx, outer.cy, owner, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    if (!historyWindow) return;
    wakeWindow.store(historyWindow);
    ShowWindow(historyWindow, SW_SHOWNORMAL);
    SetForegroundWindow(historyWindow);
}

void FollowHistoryWindow(int32_t event) {
    if ((event == EventDoubleClick && LastEventWindow() == MainWindow &&
         OnReadings(LastClickPoint())) ||
        (event == EventMenuCommand && LastMenuCommand() == HistoryMenuCommand))
        OpenHistoryWindow();
    if (historyWindow && Now() != shown) InvalidateRect(historyWindow, nullptr, FALSE);
}

void WakeHistoryWindow() {
    // Any message wakes the main loop's wait, which then repaints as needed.
    if (HWND window = wakeWindow.load()) PostMessageA(window, WM_NULL, 0, 0);
}
