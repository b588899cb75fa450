#include "toolkit/window.h"

#include <shellapi.h>

#include "services/libraries.h"
#include "services/thread_state.h"
#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"
#include "toolkit/number_table.h"
#include "toolkit/tooltip.h"
#include "toolkit/window_hooks.h"
#include "toolkit/window_internal.h"
#include "toolkit/window_layout.h"

namespace {

constexpr const char* WindowClassName = "BrenkWindow";
// Maps a native window back to its number (stored as number + 1, so that a
// missing property reads as no window).
constexpr const char* NumberProperty = "BrenkWindowNumber";
// WM_GETDPISCALEDSIZE, sent from Windows 10 (1703) on; the headers name it
// only for builds that require that version.
constexpr UINT MessageDpiScaledSize = 0x02E4;

struct WindowRecord {
    HWND handle = nullptr;
    HACCEL keys = nullptr;
    bool sized = false; // minimised or maximised
    // The font of the window's controls when its DPI is not the system's
    // (owned); null while the system's font is right.
    HFONT font = nullptr;
    // The control that has the focus when the window is next activated.
    HWND focus = nullptr;
    // The inner size asked for, in 96-DPI units: at every scale the inner
    // area is exactly this size scaled.
    int32_t innerWidth = 0;
    int32_t innerHeight = 0;
    // Present for the toolkit's design; the monitor never sets them.
    HBRUSH background = nullptr;
    WNDPROC hook = nullptr;
    SIZE minimumSize{};
    SIZE maximumSize{};
};

NumberTable<WindowRecord>& Windows() {
    static NumberTable<WindowRecord> table(16, 16);
    return table;
}

struct ThreadWindows {
    EventState events;
    HWND container = nullptr;
    Text dropped; // the first file of the last drop on one of the thread's windows
};

// The calling thread's state, made on its first use, released when it ends.
ThreadWindows& ThisThread() {
    static PerThreadState<ThreadWindows> state;
    return state.get();
}

WindowRecord* LiveWindow(int32_t number) {
    WindowRecord* record = Windows().Find(number);
    return record && record->handle ? record : nullptr;
}

// The window number of a native window of ours, -1 for any other window.
int32_t NumberOfWindow(HWND window) {
    if (!window) return -1;
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(GetPropA(window, NumberProperty))) - 1;
}

void OnSize(HWND window, int32_t number, WPARAM kind) {
    ResizeStatusBarsOf(window);
    WindowRecord* record = Windows().Find(number);
    EventState& events = ThreadEvents();
    switch (kind) {
    case SIZE_MINIMIZED:
        if (record) record->sized = true;
        events.RaiseWindow(EventMinimised, number);
        break;
    case SIZE_MAXIMIZED:
        if (record) record->sized = true;
        events.RaiseWindow(EventMaximised, number);
        events.RaiseWindow(EventSized, number);
        break;
    case SIZE_RESTORED:
        if (record && record->sized) {
            record->sized = false;
            events.RaiseWindow(EventRestored, number);
        }
        events.RaiseWindow(EventSized, number);
        break;
    default:
        break;
    }
}

bool OnCommand(HWND window, WPARAM first, LPARAM second, LRESULT* result) {
    // Keyboard-table commands come with no control handle and code 1.
    if (second == 0 && HIWORD(first) == 1) {
        const int32_t command = LOWORD(first);
        if (command == CommandNextFocus || command == CommandPreviousFocus) {
            MoveFocus(window, command == CommandPreviousFocus);
            *result = 0;
            return true;
        }
    }
    return HandleControlMessage(window, WM_COMMAND, first, second, result);
}

void OnNcDestroy(HWND window, int32_t number) {
    DropHandedOverTexts(window);
    RemovePropA(window, NumberProperty);
    if (ThisThread().container == window) ThisThread().container = nullptr;
    WindowRecord* record = Windows().Find(number);
    if (record && record->handle == window) {
        if (record->keys) DestroyAcceleratorTable(record->keys);
        if (record->font) DeleteObject(record->font);
        *record = WindowRecord{};
    }
}

HFONT SystemFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The controls' font follows the window's DPI; the old one goes once the
// controls have the new one.
void TakeFontForDpi(WindowRecord* record, int32_t dpi) {
    HFONT old = record->font;
    record->font = MakeFontForDpi(SystemFont(), dpi);
    RescaleControlsOf(record->handle, record->font ? record->font : SystemFont());
    if (old) DeleteObject(old);
}

// The outer size whose inner area is the asked-for size at dpi.
SIZE OuterSizeFor(const WindowRecord& record, int32_t dpi) {
    RECT frame{0, 0, ScaleToDpi(record.innerWidth, dpi), ScaleToDpi(record.innerHeight, dpi)};
    OuterRectForDpi(&frame, static_cast<DWORD>(GetWindowLongA(record.handle, GWL_STYLE)),
                    static_cast<DWORD>(GetWindowLongA(record.handle, GWL_EXSTYLE)), dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Gives the window its inner size at its DPI. The frame's metrics as the
// platform computes them may differ from the frame it draws (a window
// manager, a scale the system has not applied yet); the inner area that came
// out is what counts, so any difference is made good once more.
void ApplyInnerSize(const WindowRecord& record, const RECT* at) {
    const int32_t dpi = WindowDpi(record.handle);
    const SIZE outer = OuterSizeFor(record, dpi);
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    if (at)
        SetWindowPos(record.handle, nullptr, at->left, at->top, outer.cx, outer.cy, keep);
    else
        SetWindowPos(record.handle, nullptr, 0, 0, outer.cx, outer.cy, keep | SWP_NOMOVE);
    RECT inner{};
    RECT whole{};
    if (!GetClientRect(record.handle, &inner) || !GetWindowRect(record.handle, &whole)) return;
    const int32_t moreX = ScaleToDpi(record.innerWidth, dpi) - inner.right;
    const int32_t moreY = ScaleToDpi(record.innerHeight, dpi) - inner.bottom;
    if (moreX || moreY)
        SetWindowPos(record.handle, nullptr, 0, 0, whole.right - whole.left + moreX,
                     whole.bottom - whole.top + moreY, keep | SWP_NOMOVE);
}

// Asked before a change of scale: the size that keeps the inner area the
// exactly scaled one, where the system would scale the outer size.
bool OnDpiScaledSize(HWND window, int32_t number, WPARAM first, LPARAM second) {
    WindowRecord* record = Windows().Find(number);
    if (!record || record->handle != window || !second) return false;
    *reinterpret_cast<SIZE*>(second) = OuterSizeFor(*record, static_cast<int32_t>(first));
    return true;
}

void OnDpiChanged(HWND window, int32_t number, WPARAM first, LPARAM second) {
    WindowRecord* record = Windows().Find(number);
    if (!record || record->handle != window) return;
    // Where the platform cannot tell a window's DPI (Windows 8.1) the message
    // is the only word of it; the controls are placed for the DPI it names.
    const int32_t dpi = static_cast<int32_t>(HIWORD(first));
    SetLaidOutDpi(window, dpi);
    // The suggested rectangle keeps the window where the user put it; its
    // size is the one that keeps the inner area exact. The status bar follows
    // the size change, the controls and their tooltips follow here.
    FollowDpiOfStatusBars(window);
    ApplyInnerSize(*record, reinterpret_cast<const RECT*>(second));
    TakeFontForDpi(record, dpi);
    RefitControlsForDpi(window);
    MoveTooltipsOf(window);
    InvalidateRect(window, nullptr, TRUE);
}

// Dialogs give the focus back to the control that had it; the toolkit's
// windows do the same, so that closing a requester or an error box does not
// leave the keys with the window itself.
bool OnActivate(HWND window, int32_t number, WPARAM first) {
    WindowRecord* record = Windows().Find(number);
    if (!record || record->handle != window) return false;
    if (LOWORD(first) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) record->focus = focus;
        return false;
    }
    ThreadEvents().RaiseWindow(EventActivated, number);
    if (HIWORD(first) || !CanTakeFocus(window, record->focus)) return false; // minimised
    SetFocus(record->focus);
    return true;
}

using DragQueryFunction = UINT(WINAPI*)(HDROP, UINT, LPSTR, UINT);
using DragFinishFunction = void(WINAPI*)(HDROP);

void OnDropFiles(HWND window, int32_t number, HDROP drop) {
    // The shell's library is loaded only when something is dropped: start-up
    // does without it.
    const auto query = reinterpret_cast<DragQueryFunction>(
        SystemLibraryFunction("shell32.dll", "DragQueryFileA"));
    const auto finish =
        reinterpret_cast<DragFinishFunction>(SystemLibraryFunction("shell32.dll", "DragFinish"));
    if (!query || !finish) return;
    // While a requester is up the window takes no input, dropped files included.
    if (IsWindowEnabled(window) && query(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        const UINT length = query(drop, 0, nullptr, 0);
        Text path(length + 1, '\0');
        path.resize(query(drop, 0, path.data(), length + 1));
        ThisThread().dropped = path;
        ThreadEvents().RaiseWindow(EventFilesDropped, number);
    }
    finish(drop);
}

LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM first, LPARAM second) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(second);
        const int32_t number = *static_cast<const int32_t*>(create->lpCreateParams);
        SetPropA(window, NumberProperty,
                 reinterpret_cast<HANDLE>(static_cast<intptr_t>(number) + 1));
        return DefWindowProcA(window, message, first, second);
    }
    const int32_t number = NumberOfWindow(window);
    if (number < 0) return DefWindowProcA(window, message, first, second);
    LRESULT result = 0;
    switch (message) {
    case WM_CLOSE:
        // Closing is the program's decision; the request is only reported.
        ThreadEvents().RaiseWindow(EventCloseWindow, number);
        return 0;
    case WM_MOVE:
        ThreadEvents().RaiseWindow(EventMoved, number);
        break;
    case WM_SIZE:
        OnSize(window, number, first);
        break;
    case WM_ERASEBKGND:
        ThreadEvents().RaiseWindow(EventRepaint, number);
        break;
    case WM_ACTIVATE:
        if (OnActivate(window, number, first)) return 0;
        break;
    case MessageDpiScaledSize:
        if (OnDpiScaledSize(window, number, first, second)) return TRUE;
        break;
    case WM_DPICHANGED:
        OnDpiChanged(window, number, first, second);
        return 0;
    case WM_DROPFILES:
        OnDropFiles(window, number, reinterpret_cast<HDROP>(first));
        return 0;
    case WM_COMMAND:
        if (OnCommand(window, first, second, &result)) return result;
        break;
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HandleControlMessage(window, message, first, second, &result)) return result;
        break;
    case MessageControlEvent:
        HandleControlMessage(window, message, first, second, &result);
        return 0;
    case MessageHandOver:
        // The change shows on screen only after a repaint; reporting one
        // makes sure the program's loop runs after every handed-over text.
        if (ApplyHandedOverTexts(window)) ThreadEvents().RaiseWindow(EventRepaint, number);
        return 0;
    case WM_DESTROY:
        DestroySpinArrowsOf(window);
        break;
    case WM_NCDESTROY:
        OnNcDestroy(window, number);
        break;
    default:
        if (HandleClickOrMenu(window, number, message, first, second)) return 0;
        break;
    }
    return DefWindowProcA(window, message, first, second);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM first, LPARAM second) {
    // No exception may cross the window system's frames. What can throw here
    // is a failed allocation (the focus order, the texts handed over); the
    // message is then left undone.
    try {
        return HandleWindowMessage(window, message, first, second);
    } catch (...) {
        return 0;
    }
}

BOOL CALLBACK TakeFirstIcon(HMODULE module, LPCSTR, LPSTR name, LONG_PTR found) {
    *reinterpret_cast<HICON*>(found) = LoadIconA(module, name);
    return FALSE;
}

bool RegisterWindowClass() {
    static bool registered = false;
    if (registered) return true;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = nullptr;
    EnumResourceNamesA(instance, RT_GROUP_ICON, TakeFirstIcon, reinterpret_cast<LONG_PTR>(&icon));
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = WindowClassName;
    registered =
        RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

HACCEL MakeKeyboardTable() {
    ACCEL keys[2] = {
        {FVIRTKEY, VK_TAB, static_cast<WORD>(CommandNextFocus)},
        {FVIRTKEY | FSHIFT, VK_TAB, static_cast<WORD>(CommandPreviousFocus)},
    };
    return CreateAcceleratorTableA(keys, 2);
}

} // namespace

EventState& ThreadEvents() {
    return ThisThread().events;
}

HWND ContainerWindow() {
    return ThisThread().container;
}

HFONT ContainerFont() {
    WindowRecord* record = LiveWindow(NumberOfWindow(ThisThread().container));
    return record && record->font ? record->font : SystemFont();
}

bool FocusChild(HWND control) {
    HWND window = control ? GetAncestor(control, GA_ROOT) : nullptr;
    WindowRecord* record = LiveWindow(NumberOfWindow(window));
    if (!record || record->handle != window || !CanTakeFocus(window, control)) return false;
    // An inactive window is not brought forward; it gives the control the
    // focus when it is next activated.
    record->focus = control;
    if (GetActiveWindow() == window) SetFocus(control);
    return true;
}

void PostControlEvent(HWND control, int32_t number, int32_t type) {
    HWND window = GetAncestor(control, GA_ROOT);
    if (window) PostMessageA(window, MessageControlEvent, static_cast<WPARAM>(number), type);
}

KeepPendingEvent::KeepPendingEvent() {
    EventState& events = ThreadEvents();
    pending = events.pending;
    control = events.lastControl;
    type = events.lastType;
}

KeepPendingEvent::~KeepPendingEvent() {
    EventState& events = ThreadEvents();
    events.pending = pending;
    events.lastControl = control;
    events.lastType = type;
}

void InitWindowSystem() {
    Windows();
    RegisterWindowClass();
}

HWND NewWindow(int32_t number, int32_t x, int32_t y, int32_t innerWidth, int32_t innerHeight,
               const char* title, int32_t flags) {
    if (number < 0 || !RegisterWindowClass()) return nullptr;
    DisposeWindow(number);
    WindowRecord* record = Windows().Take(number);
    if (!record) return nullptr;

    const DWORD style = static_cast<DWORD>(WindowStyleOf(flags));
    // Until the window exists its display is not known; the system's DPI is
    // the likely one, and the size is corrected below when it is not.
    const int32_t systemDpi = SystemDpi();
    RECT frame{0, 0, ScaleToDpi(innerWidth, systemDpi), ScaleToDpi(innerHeight, systemDpi)};
    OuterRectForDpi(&frame, style, 0, systemDpi);
    WindowRect active{};
    RECT activeRect;
    HWND activeWindow = GetActiveWindow();
    const bool haveActive = activeWindow && GetWindowRect(activeWindow, &activeRect);
    if (haveActive)
        active = {activeRect.left, activeRect.top, activeRect.right - activeRect.left,
                  activeRect.bottom - activeRect.top};
    WindowPlacement placement =
        PlaceWindow(x, y, frame.right - frame.left, frame.bottom - frame.top, flags,
                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                    haveActive ? &active : nullptr);
    const int32_t left = placement.platformDefault ? CW_USEDEFAULT : placement.outer.x;
    const int32_t top = placement.platformDefault ? CW_USEDEFAULT : placement.outer.y;

    HWND window = CreateWindowExA(0, WindowClassName, title ? title : "", style, left, top,
                                  placement.outer.width, placement.outer.height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), &number);
    if (!window) return nullptr;
    record->handle = window;
    record->sized = (flags & (WindowMaximised | WindowMinimised)) != 0;
    record->innerWidth = innerWidth;
    record->innerHeight = innerHeight;
    const int32_t dpi = WindowDpi(window);
    SetLaidOutDpi(window, dpi);
    ApplyInnerSize(*record, nullptr);
    if (dpi != systemDpi) record->font = MakeFontForDpi(SystemFont(), dpi);
    record->keys = MakeKeyboardTable();
    if (!(flags & WindowHidden)) {
        int show = SW_SHOWNORMAL;
        if (flags & WindowMaximised)
            show = SW_SHOWMAXIMIZED;
        else if (flags & WindowMinimised)
            show = SW_SHOWMINIMIZED;
        ShowWindow(window, show);
    }
    if (!(flags & WindowNoContainer)) ThisThread().container = window;
    return window;
}

HWND WindowNativeHandle(int32_t number) {
    WindowRecord* record = LiveWindow(number);
    return record ? record->handle : nullptr;
}

int32_t WindowNumberOf(HWND window) {
    const int32_t number = NumberOfWindow(window);
    return WindowNativeHandle(number) == window && window ? number : -1;
}

void DisposeWindow(int32_t number) {
    WindowRecord* record = LiveWindow(number);
    if (!record) return;
    HWND window = record->handle;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner) SetActiveWindow(owner);
    DestroyWindow(window);
}

void EndWindowSystem() {
    Windows().ForEach([](int32_t number, WindowRecord&) { DisposeWindow(number); });
}

HACCEL KeyboardTableOf(HWND window) {
    WindowRecord* record = LiveWindow(NumberOfWindow(window));
    return record && record->handle == window ? record->keys : nullptr;
}

void SetInnerSize(HWND window, int32_t innerWidth, int32_t innerHeight) {
    WindowRecord* record = LiveWindow(NumberOfWindow(window));
    if (!record || record->handle != window) return;
    record->innerWidth = innerWidth;
    record->innerHeight = innerHeight;
    ApplyInnerSize(*record, nullptr);
}

void AcceptFileDrops(int32_t number, int32_t flag) {
    WindowRecord* record = LiveWindow(number);
    // The style is all that accepting drops takes; setting it directly keeps
    // the shell's library out of start-up.
    if (!record) return;
    const LONG_PTR style = GetWindowLongPtrA(record->handle, GWL_EXSTYLE);
    SetWindowLongPtrA(record->handle, GWL_EXSTYLE,
                      flag ? style | WS_EX_ACCEPTFILES : style & ~LONG_PTR{WS_EX_ACCEPTFILES});
}

Text DroppedFileName() {
    return ThisThread().dropped;
}

int32_t LiveWindowRecords() {
    int32_t live = 0;
    Windows().ForEach([&live](int32_t, WindowRecord& record) { live += record.handle != nullptr; });
    return live;
}
