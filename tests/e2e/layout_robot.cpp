// layout_robot <dpi>: starts brenk.exe with a program on its command line, so
// that every control shows its longest text, and checks what the user sees
// at the display's scale: every text fits its control in the controls' font
// (the readings column also the widest figure it can show), no control lies
// over another or under the status bar, all lie inside the window, and nothing
// is smaller than the 96-DPI layout scaled. Where the fonts need no room
// beyond that layout (Wine 8's do), every rectangle is exactly the layout
// scaled. At 96 the window is then told of a change of scale to 144 and back,
// as on a move to another monitor, and the controls, the inner size and the
// summary tooltip's area and width must follow.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "tests/e2e/brenk_window.h"

namespace {

struct Box {
    int x, y, width, height;
    bool operator==(const Box&) const = default;
};

// The layout at 96 DPI, in the window's inner area.
constexpr Box InnerSize{0, 0, 334, 285};
constexpr Box Layout[19] = {
    {1, 1, 332, 80},    {0, 85, 334, 3},     {0, 115, 334, 3},   {1, 140, 332, 118},
    {5, 8, 130, 20},    {5, 33, 130, 20},    {5, 58, 130, 20},   {210, 58, 119, 20},
    {145, 5, 184, 20},  {145, 30, 184, 20},  {145, 55, 50, 20},  {7, 91, 100, 20},
    {117, 91, 100, 20}, {227, 91, 100, 20},  {5, 122, 324, 18},  {5, 146, 100, 110},
    {106, 146, 8, 110}, {116, 146, 120, 110}, {250, 146, 30, 110},
};
constexpr Box SpinArrows{195, 55, 10, 20};
constexpr UINT MessageDpiScaledSize = 0x02E4; // WM_GETDPISCALEDSIZE
constexpr int FrameReadings = 3;

enum Kind { Label, Button, SpinText, Field };
struct Measured {
    int control;
    Kind kind;
};
constexpr Measured TextControls[] = {
    {4, Label},   {5, Label},   {6, Label},   {7, Label},    {14, Label}, {15, Label},
    {16, Label},  {17, Label},  {18, Label},  {11, Button},  {12, Button}, {13, Button},
    {10, SpinText}, {8, Field}, {9, Field},
};
// The widest figures the readings column must hold, in its six rows, and the
// widest interval of the spin.
constexpr const char* WidestValues = "888.888.888.888.888\n888.888.888.888.888\n\n"
                                     "888.888.888.888.888\n888.888.888.888.888\n\n"
                                     "888.888.888.888.888\n888.888.888.888.888";

std::string Shown(const Box& box) {
    return std::to_string(box.x) + "," + std::to_string(box.y) + " " + std::to_string(box.width) +
           "x" + std::to_string(box.height);
}

int ScaleTo(int value, int dpi) {
    return (value * dpi + 48) / 96; // halves up, as brenk rounds
}

// Edges scaled, as brenk places controls.
Box ScaleBox(const Box& box, int dpi) {
    const int x = ScaleTo(box.x, dpi);
    const int y = ScaleTo(box.y, dpi);
    return {x, y, ScaleTo(box.x + box.width, dpi) - x, ScaleTo(box.y + box.height, dpi) - y};
}

// Exact: within one pixel of value * dpi / 96 (exact at 96). Otherwise: at
// least that, less one pixel.
bool Scaled(const Box& seen, const Box& base, int dpi, bool exact) {
    const int seenFigures[4] = {seen.x, seen.y, seen.width, seen.height};
    const int baseFigures[4] = {base.x, base.y, base.width, base.height};
    for (int i = 0; i < 4; ++i) {
        const long difference = static_cast<long>(seenFigures[i]) * 96 - baseFigures[i] * dpi;
        if (!exact ? difference < -96 : dpi == 96 ? difference != 0 : std::labs(difference) > 96)
            return false;
    }
    return true;
}

Box BoxInWindow(HWND window, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool Overlap(const Box& a, const Box& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// The controls' font: the system's GUI font, made for dpi.
HFONT ControlsFont(HDC screen, int dpi) {
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, dpi, GetDeviceCaps(screen, LOGPIXELSY));
    return CreateFontIndirectA(&font);
}

// Whether text fits a control's inner area of width x height; room for a
// button's edges and focus frame and an edit's margins. An edit scrolls its
// text sideways, so only its height counts.
// The text is measured at drawnDpi and seen at dpi.
bool Fits(HDC screen, const std::string& text, Kind kind, int width, int height, int dpi,
          int drawnDpi, std::string* detail) {
    RECT natural{};
    DrawTextA(screen, text.empty() ? "Ag" : text.c_str(), -1, &natural,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    natural.right = (natural.right * dpi + drawnDpi - 1) / drawnDpi;
    natural.bottom = (natural.bottom * dpi + drawnDpi - 1) / drawnDpi;
    const int marginX = kind == Button ? 6 : kind == SpinText ? 4 : 0;
    const int marginY = kind == Button ? 4 : 0;
    *detail = "text " + std::to_string(natural.right) + "x" + std::to_string(natural.bottom) +
              " in " + std::to_string(width) + "x" + std::to_string(height);
    return (kind == Field || natural.right <= width - marginX) && natural.bottom <= height - marginY;
}

// What the control shows, and the widest it will show where that is wider.
std::vector<std::string> TextsOf(HWND control, int number) {
    std::vector<std::string> texts{WindowText(control)};
    if (number == ColumnValues) texts.push_back(WidestValues);
    if (number == SpinInterval) texts.push_back("10000");
    return texts;
}

// Every text fits its control as it is (at96 null), or as the rectangles at96
// scaled would have it (with the frame the control has).
bool TextsFit(HDC screen, HWND window, int dpi, int drawnDpi, const Box* at96) {
    const bool layoutOnly = at96 != nullptr;
    bool all = true;
    for (const Measured& measured : TextControls) {
        HWND control = GetDlgItem(window, measured.control);
        RECT inner{};
        GetClientRect(control, &inner);
        if (layoutOnly) {
            const Box seen = BoxInWindow(window, control);
            const Box base = ScaleBox(at96[measured.control], dpi);
            inner.right += base.width - seen.width;
            inner.bottom += base.height - seen.height;
        }
        for (const std::string& text : TextsOf(control, measured.control)) {
            std::string detail;
            const bool fits = Fits(screen, text, measured.kind, inner.right, inner.bottom, dpi,
                                   drawnDpi, &detail);
            all = all && fits;
            if (!layoutOnly)
                Check(fits, "control " + std::to_string(measured.control) + " shows its whole text",
                      detail);
        }
    }
    return all;
}

// The scale brenk draws its window at. Wine 10 gives a window that follows
// its monitor's scale the monitor's own (96) whatever the system's is, and
// shows it to this robot enlarged: its texts are then drawn in the font made
// for that scale and enlarged with the window.
int DrawnDpi(HWND window, int dpi) {
    // A change of scale that this robot only tells brenk of is not the system's.
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (systemDpi != dpi) return dpi;
    using DpiForWindowCall = UINT(WINAPI*)(HWND);
    const auto call = reinterpret_cast<DpiForWindowCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const int drawn = call ? static_cast<int>(call(window)) : 0;
    return drawn > 0 ? drawn : dpi;
}

bool TextsFit(HWND window, int dpi, const Box* at96) {
    HDC screen = GetDC(nullptr);
    const int drawnDpi = DrawnDpi(window, dpi);
    HFONT font = ControlsFont(screen, drawnDpi);
    HGDIOBJ old = SelectObject(screen, font);
    const bool fit = TextsFit(screen, window, dpi, drawnDpi, at96);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return fit;
}

HWND StatusBar(HWND window) {
    return FindWindowExA(window, nullptr, "msctls_statusbar32", nullptr);
}

// The rectangles the user sees; exact: the 96-DPI layout scaled.
void CheckLayout(HWND window, int dpi, bool exact) {
    RECT inner{};
    GetClientRect(window, &inner);
    const Box size{0, 0, inner.right, inner.bottom};
    // Also the witness that brenk runs at the scale given.
    Check(Scaled(size, InnerSize, dpi, exact), "inner size", Shown(size));
    Box seen[20];
    for (int control = 0; control < 19; ++control) {
        seen[control] = BoxInWindow(window, GetDlgItem(window, control));
        Check(Scaled(seen[control], Layout[control], dpi, exact),
              "control " + std::to_string(control) + " rectangle",
              Shown(seen[control]) + " for " + Shown(Layout[control]) + " at 96");
    }
    seen[19] = BoxInWindow(window, FindWindowExA(window, nullptr, "msctls_updown32", nullptr));
    Check(Scaled(seen[19], SpinArrows, dpi, exact), "spin arrows rectangle", Shown(seen[19]));
    const Box bar = BoxInWindow(window, StatusBar(window));
    Check(bar.x == 0 && bar.width == size.width && bar.y + bar.height == size.height,
          "the status bar spans the bottom", Shown(bar));
    for (int i = 3; i < 20; ++i) {
        const Box& box = seen[i];
        Check(box.x >= 0 && box.y >= 0 && box.x + box.width <= size.width &&
                  box.y + box.height <= size.height && !Overlap(box, bar),
              "control " + std::to_string(i) + " lies inside the window, clear of the status bar",
              Shown(box) + ", bar " + Shown(bar));
        for (int j = 4; j < i; ++j)
            if (Overlap(box, seen[j]))
                Check(false, "controls " + std::to_string(j) + " and " + std::to_string(i) +
                                 " do not overlap", Shown(seen[j]) + " and " + Shown(box));
    }
}

// Memory at one address in both processes: a pointer in a message is good
// whether the window system copies what it points to or hands it on as it is.
struct SharedBlock {
    HANDLE process;
    char* at = nullptr;
    static constexpr SIZE_T Size = 4096;
    explicit SharedBlock(HANDLE brenk) : process(brenk) {
        for (uintptr_t i = 0; i < 64 && !at; ++i) {
            void* wanted = reinterpret_cast<void*>(0x100000000000 + i * 0x1000000);
            void* local = VirtualAlloc(wanted, Size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
            void* remote = VirtualAllocEx(process, wanted, Size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
            if (local == wanted && remote == wanted) at = static_cast<char*>(wanted);
            else {
                if (local) VirtualFree(local, 0, MEM_RELEASE);
                if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
            }
        }
    }
    ~SharedBlock() {
        if (!at) return;
        VirtualFree(at, 0, MEM_RELEASE);
        VirtualFreeEx(process, at, 0, MEM_RELEASE);
    }
    template <typename T> LRESULT Send(HWND to, UINT message, WPARAM first, T* value) {
        if (!at) return 0;
        std::memcpy(at, value, sizeof *value);
        WriteProcessMemory(process, at, value, sizeof *value, nullptr);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(to, message, first, reinterpret_cast<LPARAM>(at), SMTO_ABORTIFHUNG,
                            AnswerTimeoutMs, &result);
        // Written in brenk's memory, or copied back into this one's.
        T remote{};
        ReadProcessMemory(process, at, &remote, sizeof remote, nullptr);
        std::memcpy(value, std::memcmp(&remote, value, sizeof remote) ? static_cast<void*>(&remote) : at,
                    sizeof *value);
        return static_cast<LRESULT>(result);
    }
};

// The summary tooltip's one area and its width, from brenk's own memory.
void CheckTooltip(Brenk& brenk, SharedBlock& block, int dpi) {
    HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    for (DWORD owner = 0; tip; tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
        GetWindowThreadProcessId(tip, &owner);
        if (owner == brenk.info.dwProcessId) break;
    }
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = brenk.window;
    tool.uId = FrameReadings;
    const bool read = block.Send(tip, TTM_GETTOOLINFOA, 0, &tool) != 0;
    const Box area{tool.rect.left, tool.rect.top, tool.rect.right - tool.rect.left,
                   tool.rect.bottom - tool.rect.top};
    const Box frame = BoxInWindow(brenk.window, brenk.Control(FrameReadings));
    Check(read && SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0) == 1 && area == frame,
          "at " + std::to_string(dpi) + " the summary shows over the readings",
          Shown(area) + ", readings " + Shown(frame));
    const LRESULT width = SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0);
    Check(width == ScaleTo(400, dpi), "the summary's width follows the scale", std::to_string(width));
}

// Tells the window of a new scale as the system does on a move to a monitor
// of another: the size it wants, then the change with that size.
// The window's inner area now, at the scale from, in 96-DPI units: where the
// texts needed more room at a scale than scaled, that room is its own.
void ChangeScale(Brenk& brenk, SharedBlock& block, int from, int to) {
    RECT client{};
    GetClientRect(brenk.window, &client);
    const Box inner96{0, 0, MulDiv(client.right, 96, from), MulDiv(client.bottom, 96, from)};
    RECT outer{};
    GetWindowRect(brenk.window, &outer);
    SIZE size{outer.right - outer.left, outer.bottom - outer.top};
    const bool answered = block.Send(brenk.window, MessageDpiScaledSize, to, &size) != 0;
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjust = reinterpret_cast<Adjust>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    RECT wanted{0, 0, ScaleTo(inner96.width, to), ScaleTo(inner96.height, to)};
    if (adjust)
        adjust(&wanted, GetWindowLongA(brenk.window, GWL_STYLE), FALSE,
               GetWindowLongA(brenk.window, GWL_EXSTYLE), to);
    Check(answered && size.cx == wanted.right - wanted.left && size.cy == wanted.bottom - wanted.top,
          "asked, the window wants the size of its inner area scaled to " + std::to_string(to),
          std::to_string(size.cx) + "x" + std::to_string(size.cy));
    RECT suggested{outer.left, outer.top, outer.left + size.cx, outer.top + size.cy};
    block.Send(brenk.window, WM_DPICHANGED, MAKEWPARAM(to, to), &suggested);
}

// The same window at another scale: every rectangle the one at 96 scaled,
// where the texts fit those in the new font. A font does not grow in step
// with the scale (Wine 10's needs a pixel more at 144 than 1.5 times its
// width at 96): then the texts get their room again, and nothing may be
// smaller than scaled nor overlap.
void CheckRescaled(Brenk& brenk, const Box (&at96)[21], int dpi) {
    const bool exact = TextsFit(brenk.window, dpi, at96);
    if (!exact) Note("at " + std::to_string(dpi) + " the texts need more room than scaled");
    RECT inner{};
    GetClientRect(brenk.window, &inner);
    const Box size{0, 0, inner.right, inner.bottom};
    const auto fits = [&](const Box& seen, const Box& base) {
        const Box scaled = ScaleBox(base, dpi);
        // Edges are scaled one by one: a size may round a pixel below.
        return exact ? seen == scaled
                     : seen.width + 1 >= scaled.width && seen.height + 1 >= scaled.height;
    };
    Check(fits(size, at96[20]), "inner size at " + std::to_string(dpi), Shown(size));
    for (int control = 0; control < 20; ++control) {
        HWND child = control < 19 ? brenk.Control(control)
                                  : FindWindowExA(brenk.window, nullptr, "msctls_updown32", nullptr);
        const Box seen = BoxInWindow(brenk.window, child);
        Check(fits(seen, at96[control]),
              "control " + std::to_string(control) + " at " + std::to_string(dpi), Shown(seen));
    }
    if (!exact) CheckLayout(brenk.window, dpi, false);
    TextsFit(brenk.window, dpi, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: layout_robot <dpi>\n");
        return 2;
    }
    // Physical pixels, as brenk lays itself out in them.
    SetProcessDPIAware();
    const int dpi = std::atoi(argv[1]);
    const std::string folder = RunFolder("layout");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni());
    Brenk brenk;
    const std::string token = "brenk-layout-" + std::to_string(GetCurrentProcessId());
    if (!brenk.Start(folder, "\"" + TestProgramPath("burn_user.exe") + "\" 60000 " + token) ||
        !brenk.WaitReady())
        return 1;
    const Handle program = brenk.WaitChild("burn_user.exe");
    std::string values;
    PollUntil([&] { return (values = brenk.Text(ColumnValues)).size() > 20; }, StepLimitMs);
    // Without readings, what the tool and the program were doing tells why.
    DWORD programCode = 0;
    if (program.value) GetExitCodeProcess(program.value, &programCode);
    Check(values.size() > 20, "readings are shown",
          values.empty() ? "none; status " + Quoted(brenk.Status()) + ", program exit code " +
                               std::to_string(programCode)
                         : values);

    // The exact layout holds where the texts fit it in this font, and the
    // status bar fits below the readings.
    RECT barRect{};
    GetWindowRect(StatusBar(brenk.window), &barRect);
    const bool exact = TextsFit(brenk.window, dpi, Layout) &&
                       barRect.bottom - barRect.top <= ScaleTo(285, dpi) - ScaleTo(258, dpi);
    if (const int drawn = DrawnDpi(brenk.window, dpi); drawn != dpi)
        Note("brenk draws at " + std::to_string(drawn) + ", shown enlarged to " + std::to_string(dpi));
    Note(exact ? "the texts fit the 96-DPI layout: every rectangle must be exact"
               : "the texts need more room than the 96-DPI layout: checked for fit and overlap");
    CheckLayout(brenk.window, dpi, exact);
    TextsFit(brenk.window, dpi, nullptr);

    if (dpi == 96) {
        SharedBlock block(brenk.info.hProcess);
        Check(block.at != nullptr, "memory shared with brenk for the messages");
        Box at96[21];
        for (int control = 0; control < 19; ++control)
            at96[control] = BoxInWindow(brenk.window, brenk.Control(control));
        at96[19] = BoxInWindow(brenk.window, FindWindowExA(brenk.window, nullptr, "msctls_updown32", nullptr));
        RECT inner{};
        GetClientRect(brenk.window, &inner);
        at96[20] = {0, 0, inner.right, inner.bottom};
        CheckTooltip(brenk, block, 96);
        int from = 96;
        for (const int to : {144, 96}) {
            ChangeScale(brenk, block, std::exchange(from, to), to);
            CheckRescaled(brenk, at96, to);
            CheckTooltip(brenk, block, to);
        }
    }

    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    brenk.Close();
    std::printf("layout at %d: %s\n", dpi, failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
