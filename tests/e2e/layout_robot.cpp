// layout_robot <dpi>: starts brenk.exe with a program on its command line, so
// that every control shows its longest text, and checks the window at the
// display's scale from outside: the inner size and every control rectangle
// are the 96-DPI ones scaled (exactly at 96, within one pixel elsewhere), the
// status bar spans the bottom, and the text of every label, button and the
// spin fits its rectangle in the controls' font.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/brenk_window.h"

namespace {

struct Box {
    int x, y, width, height;
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

enum Kind { Label, Button, SpinText };
struct Measured {
    int control;
    Kind kind;
};
constexpr Measured TextControls[] = {
    {4, Label},   {5, Label},   {6, Label},   {7, Label},   {14, Label},    {15, Label},
    {16, Label},  {17, Label},  {18, Label},  {11, Button}, {12, Button},   {13, Button},
    {10, SpinText},
};

int dpi = 96;

std::string Shown(const Box& box) {
    return std::to_string(box.x) + "," + std::to_string(box.y) + " " + std::to_string(box.width) +
           "x" + std::to_string(box.height);
}

// Exact at 96; elsewhere each figure within one pixel of value * dpi / 96.
bool Scaled(const Box& seen, const Box& base) {
    const int seenFigures[4] = {seen.x, seen.y, seen.width, seen.height};
    const int baseFigures[4] = {base.x, base.y, base.width, base.height};
    for (int i = 0; i < 4; ++i) {
        const long difference = static_cast<long>(seenFigures[i]) * 96 - baseFigures[i] * dpi;
        if (dpi == 96 ? difference != 0 : std::labs(difference) > 96) return false;
    }
    return true;
}

Box BoxInWindow(HWND window, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The controls' font: the system's GUI font, made for the window's DPI.
HFONT ControlsFont(HDC screen) {
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, dpi, GetDeviceCaps(screen, LOGPIXELSY));
    return CreateFontIndirectA(&font);
}

void CheckTextFits(HDC screen, HWND control, Kind kind) {
    const std::string text = WindowText(control);
    RECT inner{};
    GetClientRect(control, &inner);
    RECT natural{};
    DrawTextA(screen, text.c_str(), -1, &natural, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    // Room for a button's edges and focus frame, and for an edit's margins.
    const int marginX = kind == Button ? 6 : kind == SpinText ? 4 : 0;
    const int marginY = kind == Button ? 4 : 0;
    const bool fits = natural.right <= inner.right - marginX && natural.bottom <= inner.bottom - marginY;
    Check(fits, "control " + std::to_string(GetDlgCtrlID(control)) + " shows its whole text",
          "text " + std::to_string(natural.right) + "x" + std::to_string(natural.bottom) +
              " in " + std::to_string(inner.right) + "x" + std::to_string(inner.bottom));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: layout_robot <dpi>\n");
        return 2;
    }
    // Physical pixels, as brenk lays itself out in them.
    SetProcessDPIAware();
    dpi = std::atoi(argv[1]);
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
    RECT inner{};
    GetClientRect(brenk.window, &inner);
    // Also the witness that brenk runs at the scale given: another would
    // give another size.
    const Box size{0, 0, inner.right, inner.bottom};
    Check(Scaled(size, InnerSize), "inner size", Shown(size));
    for (int control = 0; control < 19; ++control) {
        const Box seen = BoxInWindow(brenk.window, brenk.Control(control));
        Check(Scaled(seen, Layout[control]), "control " + std::to_string(control) + " rectangle",
              Shown(seen) + " for " + Shown(Layout[control]) + " at 96");
    }
    const Box arrows =
        BoxInWindow(brenk.window, FindWindowExA(brenk.window, nullptr, "msctls_updown32", nullptr));
    Check(Scaled(arrows, SpinArrows), "spin arrows rectangle", Shown(arrows));
    const Box bar = BoxInWindow(brenk.window,
                                FindWindowExA(brenk.window, nullptr, "msctls_statusbar32", nullptr));
    Check(bar.x == 0 && bar.width == size.width && bar.y + bar.height == size.height &&
              bar.y >= (Layout[3].y + Layout[3].height) * dpi / 96,
          "the status bar spans the bottom below the readings", Shown(bar));

    HDC screen = GetDC(nullptr);
    HFONT font = ControlsFont(screen);
    HGDIOBJ old = SelectObject(screen, font);
    for (const Measured& measured : TextControls)
        CheckTextFits(screen, brenk.Control(measured.control), measured.kind);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);

    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    brenk.Close();
    std::printf("layout at %d: %s\n", dpi, failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
