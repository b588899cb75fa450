// The kinds of control: their slots, their descriptors and their New...
// functions. Colours are shared by text fields, labels and spins.
#include "toolkit/control_record_win.h"

#include <commctrl.h>

#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"
#include "toolkit/window_internal.h"

namespace {

constexpr const char* FrameClassName = "BrenkFrame";

// Typed wrappers for the control messages the kinds send.
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

} // namespace

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
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
    if (flags & SpinReadOnly) style |= ES_READONLY;
    // Setting up the parts makes the text part report changes that nobody typed.
    KeepPendingEvent keep;
    HWND text =
        CreateControl(number, "EDIT", "", style, WS_EX_CLIENTEDGE, {x, y, width, height}, &SpinKind);
    if (!text) return nullptr;
    ControlRecord* record = LiveControl(number);
    const ControlRect placed = ScaleRect(record->area, WindowDpi(GetParent(text)));
    const SpinParts parts = SplitSpin(placed.x, placed.y, placed.width, placed.height);
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
    record->second = arrows;
    SetSpinBuddy(arrows, text);
    SpinRange range = SpinRangeOf(minimum, maximum);
    SetSpinRange(arrows, range.minimum, range.maximum);
    SetSpinPosition(arrows, range.start);
    // The text part was made over the whole area; both parts take their
    // share now. Some up-downs keep a width of their own from creation and
    // take the one asked for only when moved or sized afterwards.
    PlaceControl(*record);
    return text;
}

HWND NewButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               const char* text, int32_t) {
    return CreateControl(number, "BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, 0,
                         {x, y, width, height}, &ButtonKind);
}
