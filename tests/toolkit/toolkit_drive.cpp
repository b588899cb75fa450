#include "tests/toolkit/toolkit_drive.h"

#include <cstdio>

namespace {
bool IsToolkitCode(int32_t code) {
    switch (code) {
    case EventControl:
    case EventCloseWindow:
    case EventMoved:
    case EventSized:
    case EventRepaint:
    case EventActivated:
    case EventMinimised:
    case EventMaximised:
    case EventRestored:
        return true;
    default:
        return false;
    }
}

void Send(INPUT* inputs, UINT count) {
    SendInput(count, inputs, sizeof(INPUT));
}
} // namespace

std::string Describe(const std::vector<EventRow>& rows) {
    std::string text;
    for (const EventRow& row : rows) {
        char line[96];
        std::snprintf(line, sizeof line, "  {%d, %d, %d}%s\n", row.code, row.subject, row.type,
                      row.optional ? " optional" : "");
        text += line;
    }
    return text.empty() ? "  (none)\n" : text;
}

std::vector<EventRow> CollectEvents(int32_t quietMs, int32_t limitMs) {
    std::vector<EventRow> rows;
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < static_cast<ULONGLONG>(limitMs)) {
        const int32_t code = WaitEvent(quietMs);
        if (code == EventNone) break;
        if (!IsToolkitCode(code)) continue;
        if (code == EventControl)
            rows.push_back({code, LastEventControl(), LastEventType()});
        else
            rows.push_back({code, LastEventWindow(), LastEventType()});
    }
    return rows;
}

std::vector<EventRow> OnlyCode(const std::vector<EventRow>& rows, int32_t code) {
    std::vector<EventRow> only;
    for (const EventRow& row : rows)
        if (row.code == code) only.push_back(row);
    return only;
}

bool MatchesTable(const std::vector<EventRow>& actual, const std::vector<EventRow>& expected) {
    size_t at = 0;
    for (const EventRow& want : expected) {
        const bool same = at < actual.size() && actual[at].code == want.code &&
                          actual[at].subject == want.subject && actual[at].type == want.type;
        if (same)
            ++at;
        else if (!want.optional)
            return false;
    }
    return at == actual.size();
}

bool PumpUntil(const std::function<bool()>& done, int32_t limitMs) {
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > static_cast<ULONGLONG>(limitMs)) return false;
        WaitEvent(10);
    }
    return true;
}

bool BringToFront(HWND window) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return PumpUntil([window] { return GetForegroundWindow() == window; });
}

void PressKey(WORD key, bool shift, bool alt) {
    INPUT inputs[6] = {};
    UINT count = 0;
    auto add = [&](WORD vk, bool up) {
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = vk;
        inputs[count].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        inputs[count].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++count;
    };
    if (shift) add(VK_SHIFT, false);
    if (alt) add(VK_MENU, false);
    add(key, false);
    add(key, true);
    if (alt) add(VK_MENU, true);
    if (shift) add(VK_SHIFT, true);
    Send(inputs, count);
}

namespace {
INPUT MouseInput(POINT screen, DWORD flags) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65535 + width / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535 + height / 2) / (height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}
} // namespace

void MovePointerTo(POINT screen) {
    INPUT move = MouseInput(screen, MOUSEEVENTF_MOVE);
    Send(&move, 1);
}

void ClickAt(POINT screen) {
    INPUT inputs[3] = {MouseInput(screen, MOUSEEVENTF_MOVE),
                       MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
                       MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    Send(inputs, 3);
    // A pointer left resting on a control keeps its hover effects ticking.
    INPUT away = MouseInput({0, GetSystemMetrics(SM_CYSCREEN) - 1}, MOUSEEVENTF_MOVE);
    Send(&away, 1);
}

POINT ScreenPointIn(HWND window, double fraction) {
    RECT area;
    GetWindowRect(window, &area);
    return {(area.left + area.right) / 2,
            area.top + static_cast<LONG>((area.bottom - area.top) * fraction)};
}

bool CloseBoxPoint(HWND window, POINT* point) {
    // The centre of all points that hit-test as the close box.
    RECT area;
    GetWindowRect(window, &area);
    long sumX = 0, sumY = 0, hits = 0;
    for (int y = area.top; y < area.top + 48; ++y)
        for (int x = area.right - 1; x > area.right - 96; --x)
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                sumX += x;
                sumY += y;
                ++hits;
            }
    if (hits == 0) return false;
    *point = {sumX / hits, sumY / hits};
    return true;
}
