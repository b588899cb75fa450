#include "monitor/history_window_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "measure/summary.h"
#include "views/history_paint_win.h"
#include "views/history_title_win.h"
#include "views/owned_gdi_win.h"
#include "monitor/language.h"
#include "monitor/monitor_win.h"
#include "monitor/process_view_win.h"
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
// The list of processes, when there is one, paints itself.
constexpr DWORD HistoryStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The picture kept in memory while the window lives: a paint with nothing
// new only puts it on screen again, and a new pass draws only what it
// changed instead of making, filling and freeing a bitmap of the whole window.
class BackBuffer {
  public:
    BackBuffer() = default;
    ~BackBuffer() { Release(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // A memory DC like the window's holding a width x height bitmap and the
    // graph's font for dpi: the one of the last call, picture and all, while
    // the size and the scale are the same.
    HDC For(HWND window, LONG width, LONG height, int32_t dpi) {
        if (memory && width == size.cx && height == size.cy && dpi == fontDpi) return memory;
        Release();
        HDC like = GetDC(window);
        if (!like) return nullptr;
        memory = CreateCompatibleDC(like);
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = std::max(width, LONG{1});
        format.bmiHeader.biHeight = -std::max(height, LONG{1});
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(like, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        ReleaseDC(window, like);
        if (!memory || !bitmap) {
            Release();
            return nullptr;
        }
        previous = SelectObject(memory, bitmap);
        size = {width, height};
        // Kept selected: the paints find it there and need not choose a font.
        font = MakeHistoryFont(dpi);
        if (font) previousFont = SelectObject(memory, font);
        fontDpi = dpi;
        return memory;
    }

    HDC Memory() const { return memory; }

    void Release() {
        if (memory && previousFont) SelectObject(memory, previousFont);
        if (font) DeleteObject(font);
        if (memory && previous) SelectObject(memory, previous);
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        memory = nullptr;
        bitmap = nullptr;
        previous = nullptr;
        font = nullptr;
        previousFont = nullptr;
        fontDpi = 0;
        size = {};
        whole = false;
    }

    HistoryPicture picture; // what the bitmap shows, once whole
    bool whole = false;     // every pixel of the bitmap is of that picture

  private:
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previousFont = nullptr;
    int32_t fontDpi = 0;
    SIZE size{};
};

// The region of rectangles; none when a part of it could not be made.
OwnedGdi<HRGN> RegionOf(const std::vector<RECT>& rectangles) {
    OwnedGdi<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    for (const RECT& rectangle : rectangles) {
        const OwnedGdi<HRGN> part(CreateRectRgnIndirect(&rectangle));
        if (!region.valid() || !part.valid() ||
            CombineRgn(region.get(), region.get(), part.get(), RGN_OR) == ERROR)
            return {};
    }
    return region;
}

HWND historyWindow = nullptr;
// Its scale, read once and then told by WM_DPICHANGED: asking the window
// system at every pass costs two round trips to the Wine server.
int32_t historyDpi = 0;
BackBuffer buffer;

const RunRecord& Record() {
    return Monitor.ObservedProgram.Record;
}

// The caption names the run shown. Its program and the local time of its
// start are taken once a run, so that neither changes under it (a program
// opened for the next run is not yet the one shown). The run time follows
// once the program has ended: a caption set anew at every pass would cost
// the window more than drawing the pass, and the time axis shows the time
// so far.
struct Caption {
    uint64_t StartTick = 0;
    LocalTime Started;
    Text Program;
    Text Shown; // what the window's caption reads, as set here
};
Caption caption;

void FollowCaption(HWND window) {
    const RunFacts facts = Record().Facts();
    Text text = HistoryTitle(Monitor.Language);
    if (facts.StartTick != 0) {
        if (facts.StartTick != caption.StartTick) {
            caption.StartTick = facts.StartTick;
            caption.Started = LocalTimeOfTick(facts.StartTick);
            caption.Program = Monitor.ObservedProgram.FileName;
        }
        const std::optional<uint64_t> runMs =
            facts.EndTick ? std::optional(SummaryOf(facts, facts.EndTick).runMs) : std::nullopt;
        text = CaptionWithRun(
            text, RunTitle(Monitor.Language, caption.Program, caption.Started, runMs));
    }
    if (text != caption.Shown && SetWindowTextA(window, text.c_str())) caption.Shown = text;
}

// The strips of a new pass straight onto the window. Under Wine the way
// through an invalidated area and the paint message costs a pass more than
// drawing the strips themselves; what the window does not show is clipped.
void ShowNow(HWND window, HRGN changed) {
    HDC dc = GetDC(window);
    if (!dc) {
        InvalidateRgn(window, changed, FALSE);
        return;
    }
    SelectClipRgn(dc, changed);
    RECT box{};
    GetRgnBox(changed, &box);
    BitBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, buffer.Memory(),
           box.left, box.top, SRCCOPY);
    // The window's own DC keeps what is set on it: the next paint must not
    // find itself clipped to these strips.
    SelectClipRgn(dc, nullptr);
    ReleaseDC(window, dc);
}

// Brings the back buffer up to the record and the window: the whole picture
// when its layout changed, marked for the next paint; otherwise only the ends
// of the lines and the current values, shown at once.
void Refresh(HWND window) {
    const RECT inner = GraphArea(window);
    if (inner.right <= 0 || inner.bottom <= 0) return;
    if (!historyDpi) historyDpi = WindowDpi(window);
    const int32_t dpi = historyDpi;
    RecordedPass last{};
    const HistoryFrame frame =
        HistoryFrameOf(Record(), inner.right, inner.bottom, dpi, Monitor.Language, &last);
    const bool sameFrame = buffer.whole && frame == buffer.picture.Frame;
    if (sameFrame && last == buffer.picture.Last) return;
    HDC memory = buffer.For(window, inner.right, inner.bottom, dpi);
    if (!memory) return;
    if (sameFrame) {
        const OwnedGdi<HRGN> changed = RegionOf(HistoryChanges(buffer.picture, last));
        if (changed.valid()) {
            SelectClipRgn(memory, changed.get());
            const HistoryPicture picture =
                PaintHistory(memory, inner, Record(), Monitor.Language, dpi);
            SelectClipRgn(memory, nullptr);
            // A pass that came between the two looks is drawn whole below.
            if (picture.Frame == frame && picture.Last == last) {
                buffer.picture = picture;
                ShowNow(window, changed.get());
                return;
            }
        }
    }
    buffer.picture = PaintHistory(memory, inner, Record(), Monitor.Language, dpi);
    buffer.whole = true;
    InvalidateRect(window, nullptr, FALSE);
}

// The back buffer put on screen where the window system asks for it, in one
// step: no flicker.
void Show(HWND window, HDC dc, const RECT& dirty) {
    Refresh(window);
    if (!buffer.whole) return;
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
           buffer.Memory(), dirty.left, dirty.top, SRCCOPY);
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

void CopyToClipboard(HWND window) {
    const RECT inner = GraphArea(window);
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
        // Brought up to date before the paint starts, so that what that
        // marks is put on screen by this paint.
        Refresh(window);
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) Show(window, dc, paint.rcPaint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Show(window, reinterpret_cast<HDC>(first), GraphArea(window));
        return 0;
    case WM_GETMINMAXINFO: {
        const SIZE least = OuterSize(SmallestWidth, SmallestHeight + ProcessViewExtraHeight(),
                                     WindowDpi(window));
        auto* limits = reinterpret_cast<MINMAXINFO*>(second);
        limits->ptMinTrackSize = {least.cx, least.cy};
        return 0;
    }
    case WM_DPICHANGED: {
        SetLaidOutDpi(window, HIWORD(first));
        historyDpi = HIWORD(first);
        ScaleProcessView(historyDpi);
        const RECT* suggested = reinterpret_cast<const RECT*>(second);
        SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_SIZE:
        PlaceProcessView(LOWORD(second), HIWORD(second), historyDpi ? historyDpi : WindowDpi(window));
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (ProcessViewNotice(window, reinterpret_cast<const NMHDR*>(second), &result))
            return result;
        break;
    }
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
        caption.Shown.clear();
        historyDpi = 0;
        buffer.Release();
        ForgetProcessView();
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
    // A DC of its own: one from the shared cache is made ready anew at every
    // pass, which under Wine chooses its font again, at a cost.
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
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
    // With the tree, its processes are listed under the graph.
    const bool listed = Monitor.Options.Children == 1;
    const int32_t extra = listed ? ProcessListHeight : 0;
    SIZE outer = OuterSize(OpeningWidth, OpeningHeight + extra, WindowDpi(owner));
    const LONG narrowest = OuterSize(SmallestWidth, SmallestHeight, WindowDpi(owner)).cx;
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    POINT at{main.right, main.top};
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen)) {
        const RECT& work = screen.rcWork;
        if (work.right - at.x >= narrowest) outer.cx = std::min(outer.cx, work.right - at.x);
        // The list makes it taller: never taller than the screen's work area.
        outer.cy = std::min(outer.cy, work.bottom - work.top);
        at.x = std::max(work.left, std::min(at.x, work.right - outer.cx));
        at.y = std::max(work.top, std::min(at.y, work.bottom - outer.cy));
    }
    historyWindow = CreateWindowExA(0, HistoryClassName, HistoryTitle(Monitor.Language),
                                    HistoryStyle, at.x, at.y, outer.cx, outer.cy, owner, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    if (!historyWindow) return;
    if (listed && MakeProcessView(historyWindow, WindowDpi(historyWindow))) {
        RECT inner{};
        GetClientRect(historyWindow, &inner);
        PlaceProcessView(inner.right, inner.bottom, WindowDpi(historyWindow));
    }
    ShowWindow(historyWindow, SW_SHOWNORMAL);
    SetForegroundWindow(historyWindow);
}

void FollowHistoryWindow(int32_t event) {
    if ((event == EventDoubleClick && LastEventWindow() == MainWindow &&
         OnReadings(LastClickPoint())) ||
        (event == EventMenuCommand && LastMenuCommand() == HistoryMenuCommand))
        OpenHistoryWindow();
    if (historyWindow) FollowCaption(historyWindow);
    if (historyWindow) FollowProcessView();
    // A minimised window is brought up to date when it is shown again.
    if (historyWindow && !IsIconic(historyWindow)) Refresh(historyWindow);
}
