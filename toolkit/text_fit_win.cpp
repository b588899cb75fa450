// The Win32 edge of fitting a layout to its texts: what each control's text
// needs, measured with the control's own font selected into a device context.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "services/thread_state.h"

#include "toolkit/control_record_win.h"
#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"
#include "toolkit/text_fit.h"
#include "toolkit/tooltip.h"
#include "toolkit/window_hooks.h"
#include "toolkit/window_internal.h"

namespace {

// Room a push button needs around its text for its edges and focus frame, at
// 96 DPI.
constexpr int32_t ButtonRoomX = 6;
constexpr int32_t ButtonRoomY = 4;

SIZE TextSize(HWND control, const Text& text) {
    HDC dc = GetDC(control);
    if (!dc) return {};
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    // Line by line, unbroken: a label breaks its lines only where it must.
    RECT rect{};
    const bool empty = text.empty();
    DrawTextA(dc, empty ? "Ag" : text.c_str(), -1, &rect,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {empty ? 0 : rect.right, rect.bottom};
}

// The control's frame: what lies between its outer and its inner rectangle.
SIZE FrameOf(HWND control) {
    RECT outer{};
    RECT inner{};
    GetWindowRect(control, &outer);
    GetClientRect(control, &inner);
    return {outer.right - outer.left - inner.right, outer.bottom - outer.top - inner.bottom};
}

// An edit's left and right margins inside its frame.
int32_t EditMargins(HWND edit) {
    const auto margins = static_cast<DWORD>(SendMessageA(edit, EM_GETMARGINS, 0, 0));
    return LOWORD(margins) + HIWORD(margins);
}

Text TextFor(int32_t number, HWND handle, const std::vector<TextSample>& samples) {
    for (const TextSample& sample : samples)
        if (sample.control == number) return Text(sample.text ? sample.text : "");
    Text text(static_cast<size_t>(GetWindowTextLengthA(handle)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(handle, text.data(), static_cast<int>(text.size()))));
    return text;
}

TextNeed NeedOf(int32_t number, const ControlRecord& control, const std::vector<TextSample>& samples,
                int32_t dpi) {
    TextNeed need;
    need.area = control.area;
    HWND handle = control.handle.load();
    const SIZE text = TextSize(handle, TextFor(number, handle, samples));
    const SIZE frame = FrameOf(handle);
    switch (control.kind->kind) {
    case KindLabel:
        need.width = text.cx + frame.cx;
        need.height = text.cy + frame.cy;
        break;
    case KindButton:
        need.width = text.cx + frame.cx + ScaleToDpi(ButtonRoomX, dpi);
        need.height = text.cy + frame.cy + ScaleToDpi(ButtonRoomY, dpi);
        break;
    case KindSpin: {
        RECT arrows{};
        if (control.second) GetWindowRect(control.second, &arrows);
        need.width = text.cx + frame.cx + EditMargins(handle) + (arrows.right - arrows.left);
        need.height = text.cy + frame.cy;
        break;
    }
    case KindTextField:
        // Its text scrolls sideways; only one line must show whole.
        need.height = text.cy + frame.cy;
        break;
    default:
        break;
    }
    return need;
}

// The samples of the thread's last fit. A font does not grow in step with
// the layout when the scale changes (its height is rounded to whole pixels,
// its glyphs are hinted), so a layout scaled to a new DPI is fitted again.
// Each fit starts from the layout as it was designed, so that a window
// that returns to a scale has the layout it had there before.
struct LastFit {
    PerThreadStateCount counted;
    HWND window = nullptr;
    std::vector<std::pair<int32_t, Text>> samples;
    std::vector<std::pair<int32_t, ControlRect>> designed;
    SIZE designedInner{}; // 96-DPI units
};

LastFit& ThisThreadsFit() {
    static PerThreadState<LastFit> state;
    return state.get();
}

bool FitWindowToTexts(HWND window, const std::vector<TextSample>& samples) {
    const int32_t dpi = WindowDpi(window);
    const std::vector<int32_t> numbers = ControlNumbersOf(window);
    std::vector<TextNeed> needs;
    int32_t lowest = 0;
    for (int32_t number : numbers) {
        const ControlRecord* control = LiveControl(number);
        if (!control) return false;
        needs.push_back(NeedOf(number, *control, samples, dpi));
        lowest = std::max(lowest, control->area.y + control->area.height);
    }
    RECT inner{};
    GetClientRect(window, &inner);
    const int32_t innerWidth = ScaleFromDpi(inner.right, dpi);
    const int32_t innerHeight = ScaleFromDpi(inner.bottom, dpi);
    // The status bar takes the bottom of the inner area: the room below the
    // lowest control must hold it.
    if (HWND bar = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr)) {
        RECT barRect{};
        GetWindowRect(bar, &barRect);
        TextNeed room;
        room.area = {0, lowest, innerWidth, innerHeight - lowest};
        room.height = barRect.bottom - barRect.top;
        needs.push_back(room);
    }
    const FittedLayout fitted = FitLayoutToTexts(needs, innerWidth, innerHeight, dpi);
    if (!fitted.widened) return false;
    SetInnerSize(window, fitted.innerWidth, fitted.innerHeight);
    for (size_t i = 0; i < numbers.size(); ++i) {
        ControlRecord* control = LiveControl(numbers[i]);
        if (!control || control->area == fitted.areas[i]) continue;
        control->area = fitted.areas[i];
        PlaceControl(*control);
    }
    MoveTooltipsOf(window);
    return true;
}

} // namespace

bool FitControlsToTexts(const std::vector<TextSample>& samples) {
    HWND window = ContainerWindow();
    if (!window) return false;
    LastFit& last = ThisThreadsFit();
    last.window = window;
    last.samples.clear();
    for (const TextSample& sample : samples)
        last.samples.emplace_back(sample.control, Text(sample.text ? sample.text : ""));
    last.designed.clear();
    for (int32_t number : ControlNumbersOf(window))
        if (const ControlRecord* control = LiveControl(number))
            last.designed.emplace_back(number, control->area);
    RECT inner{};
    GetClientRect(window, &inner);
    const int32_t dpi = WindowDpi(window);
    last.designedInner = {ScaleFromDpi(inner.right, dpi), ScaleFromDpi(inner.bottom, dpi)};
    return FitWindowToTexts(window, samples);
}

void RefitControlsForDpi(HWND window) {
    const LastFit& last = ThisThreadsFit();
    if (last.window != window || window != ContainerWindow()) return;
    for (const auto& [number, area] : last.designed) {
        ControlRecord* control = LiveControl(number);
        if (!control || control->area == area) continue;
        control->area = area;
        PlaceControl(*control);
    }
    SetInnerSize(window, last.designedInner.cx, last.designedInner.cy);
    std::vector<TextSample> samples;
    for (const auto& [control, text] : last.samples)
        samples.push_back({control, text.c_str()});
    FitWindowToTexts(window, samples);
}
