#include "toolkit/tooltip.h"

#include <windows.h>
#include <commctrl.h>

#include <mutex>
#include <vector>

#include "services/lock.h"
#include "toolkit/controls.h"
#include "toolkit/dpi_scale.h"
#include "toolkit/dpi_win.h"

namespace {

// Wide enough for a summary line; a set width also lets the tip break lines.
constexpr int32_t TipWidth = 400;
// Long enough to read four lines.
constexpr int32_t TipShownMs = 30000;

struct Tooltip {
    int32_t control;
    HWND tip;
    HWND container;
};

// Tooltips made; an entry whose window has gone with its container is
// dropped when the next one is made.
Lock tooltipLock;
std::vector<Tooltip> tooltips;

TOOLINFOA ToolOf(const Tooltip& tooltip, const char* text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = tooltip.container;
    tool.uId = static_cast<UINT_PTR>(tooltip.control);
    tool.lpszText = const_cast<char*>(text);
    return tool;
}

bool AddTool(HWND tip, TOOLINFOA& tool) {
    return SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

void UpdateToolText(HWND tip, TOOLINFOA& tool) {
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetTipTimes(HWND tip) {
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(TipShownMs, 0));
}

// The control's rectangle in its container: labels on top of it let the
// mouse through to the container, which the tooltip listens to.
RECT AreaOf(int32_t control, HWND container) {
    RECT area{};
    GetWindowRect(ControlNativeHandle(control), &area);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

// The width at which lines break, at the container's scale.
void SetTipWidth(HWND tip, HWND container) {
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(TipWidth, WindowDpi(container)));
}

bool Find(int32_t control, Tooltip* found) {
    std::lock_guard hold(tooltipLock);
    for (const Tooltip& tooltip : tooltips) {
        if (tooltip.control == control && IsWindow(tooltip.tip)) {
            *found = tooltip;
            return true;
        }
    }
    return false;
}

} // namespace

bool AttachTooltip(int32_t control, const char* text) {
    HWND native = ControlNativeHandle(control);
    HWND container = native ? GetParent(native) : nullptr;
    if (!container) return false;
    Tooltip existing{};
    if (Find(control, &existing)) DestroyWindow(existing.tip);

    // Owned by the container's top window, so it goes when that goes.
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, container, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!tip) return false;
    const Tooltip made{control, tip, container};
    TOOLINFOA tool = ToolOf(made, TextView(text).data());
    tool.uFlags = TTF_SUBCLASS;
    tool.rect = AreaOf(control, container);
    if (!AddTool(tip, tool)) {
        DestroyWindow(tip);
        return false;
    }
    SetTipTimes(tip);
    SetTipWidth(tip, container);
    std::lock_guard hold(tooltipLock);
    std::erase_if(tooltips, [control](const Tooltip& tooltip) {
        return tooltip.control == control || !IsWindow(tooltip.tip);
    });
    tooltips.push_back(made);
    return true;
}

void SetTooltipText(int32_t control, const char* text) {
    Tooltip tooltip{};
    if (!Find(control, &tooltip)) return;
    TOOLINFOA tool = ToolOf(tooltip, TextView(text).data());
    UpdateToolText(tooltip.tip, tool);
}

void MoveTooltipsOf(HWND container) {
    std::vector<Tooltip> moving;
    {
        std::lock_guard hold(tooltipLock);
        for (const Tooltip& tooltip : tooltips)
            if (tooltip.container == container && IsWindow(tooltip.tip)) moving.push_back(tooltip);
    }
    for (const Tooltip& tooltip : moving) {
        TOOLINFOA tool = ToolOf(tooltip, nullptr);
        tool.rect = AreaOf(tooltip.control, container);
        SendMessageA(tooltip.tip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
        SetTipWidth(tooltip.tip, container);
    }
}
