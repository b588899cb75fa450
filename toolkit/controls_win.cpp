// The core of the control unit: the control table, the procedure put in front
// of every control, creation, the routing of notifications to the kinds, and
// the generic operations by number.
#include "toolkit/controls.h"

#include <commctrl.h>

#include "toolkit/control_record_win.h"
#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"
#include "toolkit/number_table.h"
#include "toolkit/window_internal.h"

namespace {

// The native window procedure a control had before the toolkit's was put in
// front of it; kept on the control itself so that every message finds it,
// even those that arrive while the record is being filled or freed.
constexpr const char* PreviousProcedure = "BrenkPreviousProcedure";

NumberTable<ControlRecord>& Controls() {
    static NumberTable<ControlRecord> table(PowerOfTwoAtLeast(50), 64);
    return table;
}

uintptr_t MakeBrush(int32_t colour) {
    return reinterpret_cast<uintptr_t>(CreateSolidBrush(static_cast<COLORREF>(colour)));
}

void DeleteBrush(uintptr_t brush) {
    DeleteObject(reinterpret_cast<HBRUSH>(brush));
}

// The record of a native control of ours (main or arrow part), or null.
ControlRecord* RecordOf(HWND control, int32_t* number) {
    if (!control) return nullptr;
    *number = GetDlgCtrlID(control);
    ControlRecord* record = LiveControl(*number);
    if (!record || (record->handle.load() != control && record->second != control)) return nullptr;
    return record;
}

// The typed wrapper for the one control message the core sends.
inline void SetFont(HWND control, HFONT font) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// --- The toolkit's procedure in front of every control ---

void OnControlGone(HWND handle) {
    int32_t number = GetDlgCtrlID(handle);
    ControlRecord* record = LiveControl(number);
    if (!record || record->handle.load() != handle) return;
    if (record->kind->Release) record->kind->Release(*record);
    record->Reset();
}

LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM first, LPARAM second) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(control, PreviousProcedure));
    if (message == WM_NCDESTROY) {
        OnControlGone(control);
        RemovePropA(control, PreviousProcedure);
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return previous ? CallWindowProcA(previous, control, message, first, second)
                    : DefWindowProcA(control, message, first, second);
}

// The notifications that are control events. Others (an edit's scrolling or
// full-buffer notes) would take the one pending slot and could hide the text
// change raised in the same dispatch.
bool ReportsNotification(int32_t kind, int32_t code) {
    switch (kind) {
    case KindButton:
        return code == BN_CLICKED;
    case KindTextField:
    case KindSpin:
        return code == EN_SETFOCUS || code == EN_KILLFOCUS || code == EN_CHANGE ||
               code == EN_UPDATE;
    default:
        return false;
    }
}

} // namespace

BrushPool& Brushes() {
    static BrushPool pool(MakeBrush, DeleteBrush);
    return pool;
}

ControlRecord* LiveControl(int32_t number) {
    ControlRecord* record = Controls().Find(number);
    return record && record->handle.load() ? record : nullptr;
}

HWND CreateControl(int32_t number, const char* className, const char* text, DWORD style,
                   DWORD extendedStyle, ControlRect area, const KindDescriptor* kind) {
    HWND container = ContainerWindow();
    if (number < 0 || !container) return nullptr;
    DisposeControl(number);
    // A control of another thread's window cannot be destroyed from here; its
    // record still holds its native control and brush share, so it stays.
    if (LiveControl(number)) return nullptr;
    const ControlRect placed = ScaleRect(area, WindowDpi(container));
    HWND handle = CreateWindowExA(extendedStyle, className, text ? text : "",
                                  WS_CHILD | WS_VISIBLE | style, placed.x, placed.y, placed.width,
                                  placed.height, container,
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(number)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!handle) return nullptr;
    ControlRecord* record = Controls().Take(number);
    if (!record) {
        DestroyWindow(handle);
        return nullptr;
    }
    record->Reset();
    record->kind = kind;
    record->area = area;
    SetPropA(handle, PreviousProcedure,
             reinterpret_cast<HANDLE>(GetWindowLongPtrA(handle, GWLP_WNDPROC)));
    SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProcedure));
    record->handle = handle;
    SetFont(handle, ContainerFont());
    return handle;
}

void PlaceControl(ControlRecord& control) {
    HWND handle = control.handle.load();
    const ControlRect placed = ScaleRect(control.area, WindowDpi(GetParent(handle)));
    if (control.kind->Resize)
        control.kind->Resize(control, placed.x, placed.y, placed.width, placed.height);
    else
        MoveWindow(handle, placed.x, placed.y, placed.width, placed.height, TRUE);
}

std::vector<int32_t> ControlNumbersOf(HWND window) {
    std::vector<int32_t> numbers;
    Controls().ForEach([window, &numbers](int32_t number, ControlRecord& record) {
        HWND handle = record.handle.load();
        if (handle && GetParent(handle) == window) numbers.push_back(number);
    });
    return numbers;
}

void RescaleControlsOf(HWND window, HFONT font) {
    Controls().ForEach([window, font](int32_t, ControlRecord& record) {
        HWND handle = record.handle.load();
        if (!handle || GetParent(handle) != window) return;
        SetFont(handle, font);
        PlaceControl(record);
    });
}

void SetTextHere(ControlRecord& control, const char* text) {
    if (control.kind->SetText)
        control.kind->SetText(control, text);
    else
        SetWindowTextA(control.handle.load(), text ? text : "");
}

int32_t WindowWidth(HWND window) {
    RECT area{};
    GetWindowRect(window, &area);
    return area.right - area.left;
}

bool HandleControlMessage(HWND window, UINT message, WPARAM first, LPARAM second, LRESULT* result) {
    if (message == MessageControlEvent) {
        const int32_t number = static_cast<int32_t>(first);
        // A control disposed of meanwhile has nothing more to report.
        if (LiveControl(number)) ThreadEvents().RaiseControl(number, static_cast<int32_t>(second));
        return true;
    }
    HWND source = nullptr;
    if (message == WM_NOTIFY)
        source = reinterpret_cast<NMHDR*>(second)->hwndFrom;
    else
        source = reinterpret_cast<HWND>(second);
    int32_t number = 0;
    ControlRecord* record = RecordOf(source, &number);
    if (!record || GetAncestor(source, GA_ROOT) != window) return false;
    if (record->kind->HandleNotification &&
        record->kind->HandleNotification(number, *record, message, first, second, result))
        return true;
    if (message != WM_COMMAND || source != record->handle.load()) return false;
    const int32_t code = HIWORD(first);
    if (!ReportsNotification(record->kind->kind, code)) return false;
    ThreadEvents().RaiseControl(number, code);
    // Text fields report focus changes twice: now, and once more as a
    // separate event after the native ones.
    if (record->kind->kind == KindTextField && (code == EN_SETFOCUS || code == EN_KILLFOCUS))
        PostControlEvent(source, number,
                         code == EN_SETFOCUS ? TypeFieldFocusGained : TypeFieldFocusLost);
    *result = 0;
    return true;
}

void DestroySpinArrowsOf(HWND window) {
    Controls().ForEach([window](int32_t, ControlRecord& record) {
        HWND handle = record.handle.load();
        if (!handle || !record.second || GetAncestor(handle, GA_ROOT) != window) return;
        HWND arrows = record.second;
        record.second = nullptr;
        if (IsWindow(arrows)) DestroyWindow(arrows);
    });
}

void InitControlSystem() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    Controls();
    Brushes();
    RegisterFrameClass();
}

void EndControlSystem() {
    // The toolkit makes no auxiliary window of its own; what remains are
    // texts handed over to this thread's windows that nobody will apply now.
    DropThreadHandedOverTexts();
}

void SetControlText(int32_t number, const char* text) {
    ControlRecord* record = LiveControl(number);
    if (!record) return;
    HWND handle = record->handle.load();
    if (GetWindowThreadProcessId(handle, nullptr) != GetCurrentThreadId()) {
        HandOver(handle, number, text);
        return;
    }
    CancelHandOver(handle, number);
    SetTextHere(*record, text);
}

Text GetControlText(int32_t number) {
    ControlRecord* record = LiveControl(number);
    if (!record) return Text();
    if (record->kind->GetText) return record->kind->GetText(*record);
    HWND handle = record->handle.load();
    Text text(static_cast<size_t>(GetWindowTextLengthA(handle)) + 1, '\0');
    const int copied = GetWindowTextA(handle, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

int32_t ControlState(int32_t number) {
    ControlRecord* record = LiveControl(number);
    if (!record || !record->kind->GetState) return 0;
    return record->kind->GetState(*record);
}

void SetControlState(int32_t number, int32_t value) {
    ControlRecord* record = LiveControl(number);
    if (record && record->kind->SetState) record->kind->SetState(*record, value);
}

void SetControlTag(int32_t number, int32_t tag) {
    ControlRecord* record = LiveControl(number);
    if (record) record->tag = tag;
}

int32_t ControlTag(int32_t number) {
    ControlRecord* record = LiveControl(number);
    return record ? record->tag : 0;
}

void DisableControl(int32_t number, int32_t flag) {
    ControlRecord* record = LiveControl(number);
    if (!record) return;
    EnableWindow(record->handle.load(), flag == 0);
    // A spin is inactive as a whole: its arrows follow the text part.
    if (record->second) EnableWindow(record->second, flag == 0);
}

void SetControlColour(int32_t number, int32_t which, int32_t colour) {
    ControlRecord* record = LiveControl(number);
    if (record && record->kind->SetColour) record->kind->SetColour(*record, which, colour);
}

int32_t ControlColour(int32_t number, int32_t which) {
    ControlRecord* record = LiveControl(number);
    if (!record || !record->kind->GetColour) return 0;
    return record->kind->GetColour(*record, which);
}

void ResizeControl(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    ControlRecord* record = LiveControl(number);
    if (!record) return;
    record->area = {x, y, width, height};
    PlaceControl(*record);
}

int32_t ControlWidth(int32_t number) {
    ControlRecord* record = LiveControl(number);
    if (!record) return 0;
    HWND handle = record->handle.load();
    const int32_t width = record->kind->Width ? record->kind->Width(*record) : WindowWidth(handle);
    return ScaleFromDpi(width, WindowDpi(GetParent(handle)));
}

void HideControl(int32_t number, int32_t flag) {
    ControlRecord* record = LiveControl(number);
    if (!record) return;
    if (record->kind->Hide)
        record->kind->Hide(*record, flag != 0);
    else
        ShowWindow(record->handle.load(), flag ? SW_HIDE : SW_SHOW);
}

int32_t ControlAttribute(int32_t number, int32_t which) {
    ControlRecord* record = LiveControl(number);
    if (!record || !record->kind->GetAttribute) return 0;
    return record->kind->GetAttribute(*record, which);
}

void SetControlAttribute(int32_t number, int32_t which, int32_t value) {
    ControlRecord* record = LiveControl(number);
    if (record && record->kind->SetAttribute) record->kind->SetAttribute(*record, which, value);
}

void DisposeControl(int32_t number) {
    ControlRecord* record = LiveControl(number);
    if (!record) return;
    // A spin's arrows go first: they hook into the text part, and undoing
    // that hook while the text part is itself being torn down loses the
    // hook's own bookkeeping.
    if (record->second) DestroyWindow(record->second);
    DestroyWindow(record->handle.load());
}

HWND ControlNativeHandle(int32_t number) {
    ControlRecord* record = LiveControl(number);
    return record ? record->handle.load() : nullptr;
}

HWND ControlArrowHandle(int32_t number) {
    ControlRecord* record = LiveControl(number);
    return record ? record->second : nullptr;
}

int32_t LiveControlRecords() {
    int32_t live = 0;
    Controls().ForEach(
        [&live](int32_t, ControlRecord& record) { live += record.handle.load() != nullptr; });
    return live;
}

int32_t SharedBrushCount() {
    return Brushes().Count();
}

int32_t SharedBrushUsers() {
    return Brushes().Users();
}
