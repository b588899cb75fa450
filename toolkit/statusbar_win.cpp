// Status bars on the platform's status-bar control. The table maps numbers to
// bars; a window property on the owning window names the bar that follows its
// size, and a subclass of the bar frees the record when the bar goes (also
// when it goes with its window).
#include "toolkit/statusbar.h"

#include <commctrl.h>

#include <mutex>
#include <vector>

#include "services/lock.h"
#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"
#include "toolkit/window_hooks.h"

namespace {

// Typed wrappers for the status-bar messages used here.
inline void PlaceStatusBar(HWND bar) {
    // The bar places itself along the bottom edge of its parent on WM_SIZE.
    SendMessageA(bar, WM_SIZE, 0, 0);
}
inline void SetStatusParts(HWND bar, int32_t count, const int32_t* edges) {
    static_assert(sizeof(int32_t) == sizeof(int));
    SendMessageA(bar, SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges));
}
inline void SetStatusPartText(HWND bar, int32_t field, UINT drawing, const char* text) {
    SendMessageA(bar, SB_SETTEXTA, static_cast<WPARAM>(field) | drawing,
                 reinterpret_cast<LPARAM>(text));
}
inline bool StatusPartRect(HWND bar, int32_t field, RECT* rect) {
    return SendMessageA(bar, SB_GETRECT, static_cast<WPARAM>(field),
                        reinterpret_cast<LPARAM>(rect)) != 0;
}

struct StatusBarRecord {
    HWND bar = nullptr;
    HWND window = nullptr;
    int32_t lastWidth = 0;
    int32_t lastHeight = 0;
    int32_t fieldCount = 0;
    int32_t widths[MaxStatusFields] = {}; // at 96 DPI; laid out for the window's
    HFONT systemFont = nullptr; // the bar's own font, made for the system's DPI
    HFONT font = nullptr;       // owned: the bar's font for another DPI, or null
};

constexpr size_t TableBlock = 16;
// Bars never take part in the control events: an identifier far above the
// control numbers keeps their notifications apart from the controls'.
constexpr UINT_PTR StatusBarIdentifier = 0xFFFF;
constexpr UINT_PTR BarSubclassId = 0x5342; // any fixed value; one subclass per bar
// Window property naming the window's bar: its number + 1, so 0 means none.
constexpr const char* BarMark = "BrenkStatusBar";

Lock TableLock; // guards Table; never held while a message is sent
std::vector<StatusBarRecord> Table;
thread_local int32_t CurrentBar = -1;

// A copy of the record of number taken under the lock; bar is null when the
// number names no bar.
StatusBarRecord RecordOf(int32_t number) {
    std::lock_guard<Lock> lock(TableLock);
    if (number < 0 || static_cast<size_t>(number) >= Table.size()) return {};
    return Table[static_cast<size_t>(number)];
}

void FreeRecordOf(HWND bar, int32_t number) {
    HFONT font = nullptr;
    {
        std::lock_guard<Lock> lock(TableLock);
        if (number >= 0 && static_cast<size_t>(number) < Table.size() &&
            Table[static_cast<size_t>(number)].bar == bar) {
            font = Table[static_cast<size_t>(number)].font;
            Table[static_cast<size_t>(number)] = {};
        }
    }
    if (font) DeleteObject(font);
}

// Gives the bar a font for its window's DPI (its own font at the system's)
// and has it lay out again on the next size check.
void FitFontToDpi(int32_t number, HWND window) {
    HFONT old = nullptr;
    HFONT font = nullptr;
    HWND bar = nullptr;
    bool changes = false;
    {
        std::lock_guard<Lock> lock(TableLock);
        StatusBarRecord& record = Table[static_cast<size_t>(number)];
        if (!record.bar) return;
        old = record.font;
        record.font = MakeFontForDpi(record.systemFont, WindowDpi(window));
        font = record.font ? record.font : record.systemFont;
        changes = old || record.font;
        bar = record.bar;
        record.lastWidth = 0;
        record.lastHeight = 0;
    }
    if (changes) SendMessageA(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (old) DeleteObject(old);
}

int32_t MarkedBarOf(HWND window) {
    return static_cast<int32_t>(reinterpret_cast<INT_PTR>(GetPropA(window, BarMark))) - 1;
}

void Unmark(HWND window, int32_t number) {
    if (window && MarkedBarOf(window) == number) RemovePropA(window, BarMark);
}

LRESULT CALLBACK BarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        // Also reached when the bar goes with its window: the record and the
        // window's mark must not outlive the bar.
        const int32_t number = static_cast<int32_t>(data);
        RemoveWindowSubclass(bar, BarProcedure, BarSubclassId);
        Unmark(GetParent(bar), number);
        FreeRecordOf(bar, number);
    }
    return DefSubclassProc(bar, message, wParam, lParam);
}

void LayOutFields(int32_t number) {
    const StatusBarRecord record = RecordOf(number);
    if (!record.bar || record.fieldCount == 0) return;
    RECT inner{};
    GetClientRect(record.bar, &inner);
    int32_t widths[MaxStatusFields];
    const int32_t dpi = WindowDpi(record.window);
    for (int32_t i = 0; i < record.fieldCount; ++i)
        widths[i] = record.widths[i] == FillWidth ? FillWidth : ScaleToDpi(record.widths[i], dpi);
    int32_t edges[MaxStatusFields];
    StatusFieldEdges(widths, record.fieldCount, inner.right - inner.left, edges);
    SetStatusParts(record.bar, record.fieldCount, edges);
}

} // namespace

void InitStatusBars() {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    std::lock_guard<Lock> lock(TableLock);
    if (Table.size() < TableBlock) Table.resize(TableBlock);
}

HWND NewStatusBar(int32_t number, HWND window) {
    if (number < 0 || !IsWindow(window)) return nullptr;
    DisposeStatusBar(number);
    HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                               reinterpret_cast<HMENU>(StatusBarIdentifier),
                               GetModuleHandleA(nullptr), nullptr);
    if (!bar) return nullptr;
    SetWindowSubclass(bar, BarProcedure, BarSubclassId, static_cast<DWORD_PTR>(number));
    {
        std::lock_guard<Lock> lock(TableLock);
        const size_t index = static_cast<size_t>(number);
        if (index >= Table.size()) Table.resize((index / TableBlock + 1) * TableBlock);
        StatusBarRecord& record = Table[index];
        record = {};
        record.bar = bar;
        record.window = window;
        record.systemFont = reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0));
    }
    if (WindowDpi(window) != SystemDpi()) FitFontToDpi(number, window);
    SetPropA(window, BarMark, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number) + 1));
    CurrentBar = number;
    // A restored-size notification with the current inner size runs the
    // window's size-following step, which places the bar and lays it out.
    RECT inner{};
    GetClientRect(window, &inner);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(inner.right, inner.bottom));
    return bar;
}

void AddStatusField(int32_t width) {
    const int32_t number = CurrentBar;
    {
        std::lock_guard<Lock> lock(TableLock);
        if (number < 0 || static_cast<size_t>(number) >= Table.size()) return;
        StatusBarRecord& record = Table[static_cast<size_t>(number)];
        if (!record.bar || record.fieldCount >= MaxStatusFields) return;
        record.widths[record.fieldCount++] = width;
    }
    LayOutFields(number);
}

void SetStatusText(int32_t number, int32_t field, const char* text, int32_t flags) {
    const StatusBarRecord record = RecordOf(number);
    if (!record.bar || field < 0 || field >= record.fieldCount) return;
    const StatusBorder border = StatusBorderOf(flags);
    const UINT drawing = border == StatusBorder::None     ? SBT_NOBORDERS
                         : border == StatusBorder::Raised ? SBT_POPOUT
                                                          : 0;
    const Text shown = StatusFieldText(text, flags);
    SetStatusPartText(record.bar, field, drawing, shown.c_str());
    if (border == StatusBorder::Raised) {
        // The raised edge is drawn only on a full repaint of the field.
        RECT rect{};
        if (StatusPartRect(record.bar, field, &rect)) InvalidateRect(record.bar, &rect, TRUE);
    }
}

void DisposeStatusBar(int32_t number) {
    const StatusBarRecord record = RecordOf(number);
    if (!record.bar) return;
    DestroyWindow(record.bar); // its subclass removes the mark and frees the record
}

HWND StatusBarNativeHandle(int32_t number) {
    return RecordOf(number).bar;
}

int32_t LiveStatusBars() {
    std::lock_guard<Lock> lock(TableLock);
    int32_t live = 0;
    for (const StatusBarRecord& record : Table) {
        if (record.bar) ++live;
    }
    return live;
}

void ResizeStatusBarsOf(HWND window) {
    // Minimising shrinks the inner area to nothing; the bar keeps its layout
    // for the restore.
    if (IsIconic(window)) return;
    const int32_t number = MarkedBarOf(window);
    const StatusBarRecord record = RecordOf(number);
    if (!record.bar || record.window != window) return;
    RECT inner{};
    GetClientRect(window, &inner);
    if (inner.right == record.lastWidth && inner.bottom == record.lastHeight) return;
    PlaceStatusBar(record.bar);
    LayOutFields(number);
    InvalidateRect(record.bar, nullptr, TRUE);
    std::lock_guard<Lock> lock(TableLock);
    StatusBarRecord& stored = Table[static_cast<size_t>(number)];
    if (stored.bar == record.bar) {
        stored.lastWidth = inner.right;
        stored.lastHeight = inner.bottom;
    }
}

void FollowDpiOfStatusBars(HWND window) {
    const int32_t number = MarkedBarOf(window);
    if (RecordOf(number).window == window) FitFontToDpi(number, window);
}
