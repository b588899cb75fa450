#include "toolkit/controls.h"

#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "services/lock.h"
#include "toolkit/brush_pool.h"
#include "toolkit/control_layout.h"
#include "toolkit/number_table.h"
#include "toolkit/window_internal.h"

namespace {

// The native window procedure a control had before the toolkit's was put in
// front of it; kept on the control itself so that every message finds it,
// even those that arrive while the record is being filled or freed.
constexpr const char* PreviousProcedure = "BrenkPreviousProcedure";
constexpr const char* FrameClassName = "BrenkFrame";

struct KindDescriptor;

struct ControlRecord {
    // Read by other threads handing over texts, so kept atomic.
    std::atomic<HWND> handle{nullptr};
    const KindDescriptor* kind = nullptr;
    int32_t tag = 0;
    int32_t textColour = DefaultColour;
    int32_t backColour = DefaultColour;
    HBRUSH brush = nullptr;
    HWND second = nullptr; // a spin's arrow part

    void Reset() {
        handle = nullptr;
        kind = nullptr;
        tag = 0;
        textColour = DefaultColour;
        backColour = DefaultColour;
        brush = nullptr;
        second = nullptr;
    }
};

// The one table of operations of the toolkit: a row of slots per kind. An
// empty slot means the generic behaviour of the operation.
struct KindDescriptor {
    int32_t kind;
    int32_t size;
    bool (*HandleNotification)(int32_t number, ControlRecord& control, UINT message, WPARAM first,
                               LPARAM second, LRESULT* result);
    void (*Release)(ControlRecord& control);
    int32_t (*GetState)(ControlRecord& control);
    void (*SetState)(ControlRecord& control, int32_t value);
    Text (*GetText)(ControlRecord& control);
    void (*SetText)(ControlRecord& control, const char* text);
    void (*Resize)(ControlRecord& control, int32_t x, int32_t y, int32_t width, int32_t height);
    int32_t (*Width)(ControlRecord& control);
    void (*Hide)(ControlRecord& control, bool hide);
    int32_t (*GetAttribute)(ControlRecord& control, int32_t which);
    void (*SetAttribute)(ControlRecord& control, int32_t which, int32_t value);
    void (*SetColour)(ControlRecord& control, int32_t which, int32_t colour);
    int32_t (*GetColour)(ControlRecord& control, int32_t which);
};

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

BrushPool& Brushes() {
    static BrushPool pool(MakeBrush, DeleteBrush);
    return pool;
}

ControlRecord* LiveControl(int32_t number) {
    ControlRecord* record = Controls().Find(number);
    return record && record->handle.load() ? record : nullptr;
}

// The record of a native control of ours (main or arrow part), or null.
ControlRecord* RecordOf(HWND control, int32_t* number) {
    if (!control) return nullptr;
    *number = GetDlgCtrlID(control);
    ControlRecord* record = LiveControl(*number);
    if (!record || (record->handle.load() != control && record->second != control)) return nullptr;
    return record;
}

// Typed wrappers for the control messages the toolkit sends.
inline void SetFont(HWND control, HFONT font) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}
inline int32_t ButtonCheck(HWND button) {
    return static_cast<int32_t>(SendMessageA(button, BM_GETCHECK, 0, 0));
}
inline void SetButtonCheck(HWND button, int32_t state) {
    SendMessageA(button, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}
inline void SetSpinBuddy(HWND arrows, HWND buddy) {
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
}
inline void SetSpinRange(HWND arrows, int32_t minimum, int32_t maximum) {
    SendMessageA(arrows, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}
inline void GetSpinRange(HWND arrows, int32_t* minimum, int32_t* maximum) {
    int low = 0, high = 0;
    SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    *minimum = low;
    *maximum = high;
}
inline int32_t SpinPosition(HWND arrows) {
    return static_cast<int32_t>(SendMessageA(arrows, UDM_GETPOS32, 0, 0));
}
inline void SetSpinPosition(HWND arrows, int32_t position) {
    SendMessageA(arrows, UDM_SETPOS32, 0, position);
}

// --- Colours, shared by text fields, labels and spins ---

void ReleaseBrush(ControlRecord& control) {
    if (control.brush) Brushes().Release(control.backColour);
    control.brush = nullptr;
}

void SetColourOf(ControlRecord& control, int32_t which, int32_t colour) {
    if (which == ColourText) {
        control.textColour = colour;
    } else if (which == ColourBackground) {
        if (colour == control.backColour) return;
        ReleaseBrush(control);
        control.backColour = colour;
        if (colour != DefaultColour) {
            control.brush = reinterpret_cast<HBRUSH>(Brushes().Acquire(colour));
            // Without a brush the colour cannot be drawn; keep the default.
            if (!control.brush) control.backColour = DefaultColour;
        }
    } else {
        return;
    }
    HWND handle = control.handle.load();
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

int32_t ColourOf(ControlRecord& control, int32_t which) {
    if (which == ColourText) return control.textColour;
    if (which == ColourBackground) return control.backColour;
    return 0;
}

bool AnswerColourRequest(ControlRecord& control, UINT message, WPARAM first, LRESULT* result) {
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC) return false;
    ColourChoice choice = ChooseColours(control.kind->kind, IsWindowEnabled(control.handle.load()),
                                        control.textColour, control.backColour);
    if (choice.platform) return false;
    HDC context = reinterpret_cast<HDC>(first);
    if (choice.text != DefaultColour)
        SetTextColor(context, static_cast<COLORREF>(choice.text));
    else if (choice.textSystem >= 0)
        SetTextColor(context, GetSysColor(choice.textSystem));
    if (choice.background != DefaultColour && control.brush) {
        SetBkColor(context, static_cast<COLORREF>(choice.background));
        *result = reinterpret_cast<LRESULT>(control.brush);
    } else {
        const int system = choice.backgroundSystem >= 0 ? choice.backgroundSystem : COLOR_BTNFACE;
        SetBkColor(context, GetSysColor(system));
        *result = reinterpret_cast<LRESULT>(GetSysColorBrush(system));
    }
    return true;
}

bool ColourNotification(int32_t, ControlRecord& control, UINT message, WPARAM first, LPARAM,
                        LRESULT* result) {
    return AnswerColourRequest(control, message, first, result);
}

// --- Button ---

int32_t ButtonState(ControlRecord& control) {
    return ButtonCheck(control.handle.load()) == BST_CHECKED ? 1 : 0;
}

void SetButtonState(ControlRecord& control, int32_t value) {
    SetButtonCheck(control.handle.load(), value ? BST_CHECKED : BST_UNCHECKED);
}

// --- Frame ---

void ResizeFrame(ControlRecord& control, int32_t x, int32_t y, int32_t width, int32_t height) {
    HWND handle = control.handle.load();
    MoveWindow(handle, x, y, width, height, TRUE);
    // The frame paints only its edge, so the window must repaint what now
    // lies inside it.
    RECT area{x, y, x + width, y + height};
    InvalidateRect(GetParent(handle), &area, TRUE);
}

// Frames of kinds other than the group box: only the edge is drawn, nothing
// inside, and clicks fall through to the controls within.
LRESULT CALLBACK FrameProcedure(HWND frame, UINT message, WPARAM first, LPARAM second) {
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC context = BeginPaint(frame, &paint);
        RECT area;
        GetClientRect(frame, &area);
        const int32_t kind = static_cast<int32_t>(GetWindowLongPtrA(frame, GWLP_USERDATA));
        if (kind == FrameSunkenDouble)
            DrawEdge(context, &area, EDGE_SUNKEN, BF_RECT);
        else if (kind == FrameSunkenThin)
            DrawEdge(context, &area, BDR_SUNKENOUTER, BF_RECT);
        else
            FrameRect(context, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
        EndPaint(frame, &paint);
        return 0;
    }
    default:
        return DefWindowProcA(frame, message, first, second);
    }
}

bool RegisterFrameClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXA frameClass{};
    frameClass.cbSize = sizeof frameClass;
    frameClass.lpfnWndProc = FrameProcedure;
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.lpszClassName = FrameClassName;
    registered = RegisterClassExA(&frameClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

// --- Spin ---

bool SpinNotification(int32_t number, ControlRecord& control, UINT message, WPARAM first,
                      LPARAM second, LRESULT* result) {
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(second);
        if (header->hwndFrom != control.second || header->code != UDN_DELTAPOS) return false;
        auto* change = reinterpret_cast<NMUPDOWN*>(second);
        // Posted before the position moves: by the time the program reads
        // the event, the arrows have moved the position (or, at an end of
        // the range, left it there). A step of nothing (both directions at
        // once) moves nothing and is not reported.
        if (change->iDelta != 0)
            PostControlEvent(control.handle.load(), number,
                             change->iDelta > 0 ? TypeSpinUp : TypeSpinDown);
        *result = 0;
        return true;
    }
    return AnswerColourRequest(control, message, first, result);
}

void ReleaseSpin(ControlRecord& control) {
    ReleaseBrush(control);
    if (control.second && IsWindow(control.second)) DestroyWindow(control.second);
    control.second = nullptr;
}

int32_t SpinState(ControlRecord& control) {
    return SpinPosition(control.second) & 0xFFFF;
}

void SetSpinState(ControlRecord& control, int32_t value) {
    int32_t minimum, maximum;
    GetSpinRange(control.second, &minimum, &maximum);
    const int32_t low = minimum < maximum ? minimum : maximum;
    const int32_t high = minimum < maximum ? maximum : minimum;
    // A text part that shows the position reports its change; the program
    // made it, so no event.
    KeepPendingEvent keep;
    SetSpinPosition(control.second, value < low ? low : value > high ? high : value);
}

void SetSpinText(ControlRecord& control, const char* text) {
    // The text part's change notification is the program's own doing.
    KeepPendingEvent keep;
    SetWindowTextA(control.handle.load(), text ? text : "");
}

void ResizeSpin(ControlRecord& control, int32_t x, int32_t y, int32_t width, int32_t height) {
    SpinParts parts = SplitSpin(x, y, width, height);
    MoveWindow(control.handle.load(), parts.text.x, parts.text.y, parts.text.width,
               parts.text.height, TRUE);
    MoveWindow(control.second, parts.arrows.x, parts.arrows.y, parts.arrows.width,
               parts.arrows.height, TRUE);
}

int32_t WindowWidth(HWND window) {
    RECT area{};
    GetWindowRect(window, &area);
    return area.right - area.left;
}

int32_t SpinWidth(ControlRecord& control) {
    return WindowWidth(control.handle.load()) + WindowWidth(control.second);
}

void HideSpin(ControlRecord& control, bool hide) {
    ShowWindow(control.handle.load(), hide ? SW_HIDE : SW_SHOW);
    ShowWindow(control.second, hide ? SW_HIDE : SW_SHOW);
}

int32_t SpinAttribute(ControlRecord& control, int32_t which) {
    int32_t minimum, maximum;
    GetSpinRange(control.second, &minimum, &maximum);
    if (which == SpinMinimum) return minimum;
    if (which == SpinMaximum) return maximum;
    return 0;
}

void SetSpinAttribute(ControlRecord& control, int32_t which, int32_t value) {
    int32_t minimum, maximum;
    GetSpinRange(control.second, &minimum, &maximum);
    if (which == SpinMinimum)
        minimum = value;
    else if (which == SpinMaximum)
        maximum = value;
    else
        return;
    SpinRange range = SpinRangeOf(minimum, maximum);
    SetSpinRange(control.second, range.minimum, range.maximum);
    SetSpinState(control, SpinPosition(control.second));
}

void ReleaseColoured(ControlRecord& control) {
    ReleaseBrush(control);
}

const KindDescriptor ButtonKind{KindButton,  sizeof(KindDescriptor),
                                nullptr,     nullptr,
                                ButtonState, SetButtonState,
                                nullptr,     nullptr,
                                nullptr,     nullptr,
                                nullptr,     nullptr,
                                nullptr,     nullptr,
                                nullptr};
// Text fields and labels differ only in their kind: both take colours and
// draw them through the parent's colour notifications.
constexpr KindDescriptor ColouredKind(int32_t kind) {
    return KindDescriptor{kind,
                          sizeof(KindDescriptor),
                          ColourNotification,
                          ReleaseColoured,
                          nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          nullptr,
                          SetColourOf,
                          ColourOf};
}
const KindDescriptor TextFieldKind = ColouredKind(KindTextField);
const KindDescriptor LabelKind = ColouredKind(KindLabel);
const KindDescriptor FrameKind{KindFrame,   sizeof(KindDescriptor),
                               nullptr,     nullptr,
                               nullptr,     nullptr,
                               nullptr,     nullptr,
                               ResizeFrame, nullptr,
                               nullptr,     nullptr,
                               nullptr,     nullptr,
                               nullptr};
const KindDescriptor SpinKind{KindSpin,         sizeof(KindDescriptor),
                              SpinNotification, ReleaseSpin,
                              SpinState,        SetSpinState,
                              nullptr,          SetSpinText,
                              ResizeSpin,       SpinWidth,
                              HideSpin,         SpinAttribute,
                              SetSpinAttribute, SetColourOf,
                              ColourOf};

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

// Creates the native control in the thread's container and registers it under
// number; the main part's handle, or null (the number then stays free).
HWND CreateControl(int32_t number, const char* className, const char* text, DWORD style,
                   DWORD extendedStyle, ControlRect area, const KindDescriptor* kind) {
    HWND container = ContainerWindow();
    if (number < 0 || !container) return nullptr;
    DisposeControl(number);
    HWND handle = CreateWindowExA(
        extendedStyle, className, text ? text : "", WS_CHILD | WS_VISIBLE | style, area.x, area.y,
        area.width, area.height, container, reinterpret_cast<HMENU>(static_cast<intptr_t>(number)),
        GetModuleHandleA(nullptr), nullptr);
    if (!handle) return nullptr;
    ControlRecord* record = Controls().Take(number);
    if (!record) {
        DestroyWindow(handle);
        return nullptr;
    }
    record->Reset();
    record->kind = kind;
    SetPropA(handle, PreviousProcedure,
             reinterpret_cast<HANDLE>(GetWindowLongPtrA(handle, GWLP_WNDPROC)));
    SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProcedure));
    record->handle = handle;
    SetFont(handle, ContainerFont());
    return handle;
}

// --- Texts handed over by other threads ---

struct HandedText {
    HWND window;
    int32_t number;
    Text text;
};

Lock handOverLock;
std::vector<HandedText> handedOver;

// Called on a thread that does not own the control: the text waits in the
// list and the window's thread is woken with one posted message, which it
// serves inside its wait. The caller never waits for the window's thread, so
// a window thread that waits for this one cannot deadlock against it.
void HandOver(HWND control, int32_t number, const char* text) {
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return;
    bool wake = true;
    {
        std::lock_guard<Lock> guard(handOverLock);
        for (HandedText& waiting : handedOver) {
            if (waiting.window != window) continue;
            // A wake-up is already on its way to the window.
            wake = false;
            if (waiting.number == number) {
                waiting.text = TextView(text);
                return;
            }
        }
        handedOver.push_back({window, number, Text(TextView(text))});
    }
    if (wake && !PostMessageA(window, MessageHandOver, 0, 0)) DropHandedOverTexts(window);
}

void SetTextHere(int32_t number, ControlRecord& control, const char* text) {
    if (control.kind->SetText)
        control.kind->SetText(control, text);
    else
        SetWindowTextA(control.handle.load(), text ? text : "");
    (void)number;
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

bool ApplyHandedOverTexts(HWND window) {
    std::vector<HandedText> mine;
    {
        std::lock_guard<Lock> guard(handOverLock);
        for (auto it = handedOver.begin(); it != handedOver.end();) {
            if (it->window == window) {
                mine.push_back(std::move(*it));
                it = handedOver.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (HandedText& handed : mine) {
        ControlRecord* record = LiveControl(handed.number);
        if (!record || GetAncestor(record->handle.load(), GA_ROOT) != window) continue;
        // Set by the program, not typed: no change event.
        KeepPendingEvent keep;
        SetTextHere(handed.number, *record, handed.text.c_str());
    }
    return !mine.empty();
}

void DropHandedOverTexts(HWND window) {
    std::lock_guard<Lock> guard(handOverLock);
    std::erase_if(handedOver,
                  [window](const HandedText& handed) { return handed.window == window; });
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
    std::lock_guard<Lock> guard(handOverLock);
    std::erase_if(handedOver, [](const HandedText& handed) {
        return GetWindowThreadProcessId(handed.window, nullptr) == GetCurrentThreadId();
    });
}

HWND NewFrame(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, const char* text,
              int32_t kind) {
    if (kind == FrameGroup)
        return CreateControl(number, "BUTTON", text, BS_GROUPBOX, 0, {x, y, width, height},
                             &FrameKind);
    if (!RegisterFrameClass()) return nullptr;
    HWND frame = CreateControl(number, FrameClassName, "", 0, 0, {x, y, width, height}, &FrameKind);
    if (frame) {
        SetWindowLongPtrA(frame, GWLP_USERDATA, kind);
        InvalidateRect(frame, nullptr, TRUE);
    }
    return frame;
}

HWND NewLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, const char* text,
              int32_t flags) {
    DWORD style = SS_NOPREFIX;
    const int32_t align = flags & 3;
    style |= align == LabelCentred ? SS_CENTER : align == LabelRight ? SS_RIGHT : SS_LEFT;
    if (flags & LabelSunken) style |= SS_SUNKEN;
    return CreateControl(number, "STATIC", text, style, 0, {x, y, width, height}, &LabelKind);
}

HWND NewTextField(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                  const char* text, int32_t flags) {
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
    if (flags & FieldReadOnly) style |= ES_READONLY;
    const DWORD extended = (flags & FieldNoBorder) ? 0 : WS_EX_CLIENTEDGE;
    return CreateControl(number, "EDIT", text, style, extended, {x, y, width, height},
                         &TextFieldKind);
}

HWND NewSpin(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
             int32_t maximum, int32_t flags) {
    SpinParts parts = SplitSpin(x, y, width, height);
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
    if (flags & SpinReadOnly) style |= ES_READONLY;
    // Setting up the parts makes the text part report changes that nobody typed.
    KeepPendingEvent keep;
    HWND text = CreateControl(number, "EDIT", "", style, WS_EX_CLIENTEDGE, parts.text, &SpinKind);
    if (!text) return nullptr;
    DWORD arrowStyle = WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    if (flags & SpinShowsPosition) arrowStyle |= UDS_SETBUDDYINT;
    HWND arrows = CreateWindowExA(0, UPDOWN_CLASSA, "", arrowStyle, parts.arrows.x, parts.arrows.y,
                                  parts.arrows.width, parts.arrows.height, GetParent(text),
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(number)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!arrows) {
        DestroyWindow(text);
        return nullptr;
    }
    ControlRecord* record = LiveControl(number);
    record->second = arrows;
    SetSpinBuddy(arrows, text);
    SpinRange range = SpinRangeOf(minimum, maximum);
    SetSpinRange(arrows, range.minimum, range.maximum);
    SetSpinPosition(arrows, range.start);
    return text;
}

HWND NewButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               const char* text, int32_t) {
    return CreateControl(number, "BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, 0,
                         {x, y, width, height}, &ButtonKind);
}

void SetControlText(int32_t number, const char* text) {
    ControlRecord* record = LiveControl(number);
    if (!record) return;
    HWND handle = record->handle.load();
    if (GetWindowThreadProcessId(handle, nullptr) != GetCurrentThreadId()) {
        HandOver(handle, number, text);
        return;
    }
    SetTextHere(number, *record, text);
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
    if (record->kind->Resize)
        record->kind->Resize(*record, x, y, width, height);
    else
        MoveWindow(record->handle.load(), x, y, width, height, TRUE);
}

int32_t ControlWidth(int32_t number) {
    ControlRecord* record = LiveControl(number);
    if (!record) return 0;
    if (record->kind->Width) return record->kind->Width(*record);
    return WindowWidth(record->handle.load());
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
