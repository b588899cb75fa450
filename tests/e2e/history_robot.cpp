// history_robot <scenario>: the history window of the real brenk.exe, opened
// by a double-click and by the system menu, read back from the display,
// closed by Esc, as a user meets it.
#include "tests/e2e/brenk_window.h"

#include <set>

namespace {

// The graph's white ground and the colours of its two series.
constexpr COLORREF Ground = RGB(255, 255, 255);
constexpr COLORREF LoadColour = RGB(0, 140, 0);
constexpr COLORREF MemoryColour = RGB(0, 70, 210);

struct Half {
    int load = 0; // pixels of each series
    int memory = 0;
    std::set<COLORREF> colours; // besides the ground
};

struct Picture {
    Half upper, lower;
    std::vector<DWORD> pixels;
};

// The window's inner area as the display shows it.
Picture OnScreen(HWND window) {
    Picture picture;
    RECT inner{};
    POINT origin{};
    if (!GetClientRect(window, &inner) || !ClientToScreen(window, &origin)) return picture;
    const int width = inner.right;
    const int height = inner.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    picture.pixels.resize(static_cast<size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, picture.pixels.data(), &format, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const DWORD rgb = picture.pixels[i]; // 0x00RRGGBB
        const COLORREF colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        Half& half = static_cast<int>(i) / width < height / 2 ? picture.upper : picture.lower;
        half.load += colour == LoadColour;
        half.memory += colour == MemoryColour;
        if (colour != Ground) half.colours.insert(colour);
    }
    return picture;
}

std::string Counted(const Picture& p) {
    return "load " + std::to_string(p.upper.load) + "/" + std::to_string(p.lower.load) +
           ", memory " + std::to_string(p.upper.memory) + "/" + std::to_string(p.lower.memory) +
           ", colours " + std::to_string(p.upper.colours.size()) + "/" +
           std::to_string(p.lower.colours.size());
}

// The load above, the working set below, each half in more than one colour.
bool ShowsBothPlots(HWND history, const std::string& when) {
    Picture seen;
    PollUntil(
        [&] {
            seen = OnScreen(history);
            return seen.upper.load > 0 && seen.lower.memory > 0 && seen.upper.colours.size() > 2 &&
                   seen.lower.colours.size() > 2;
        },
        StepLimitMs);
    return Check(seen.upper.load > 0 && seen.lower.memory > 0 && seen.upper.colours.size() > 2 &&
                     seen.lower.colours.size() > 2,
                 "the history shows both plots " + when, Counted(seen));
}

HWND WaitHistory(const Brenk& brenk, const char* title, const std::string& how) {
    HWND found = nullptr;
    PollUntil([&] { return (found = brenk.FindWindowOf(title)) != nullptr; }, StepLimitMs);
    Check(found != nullptr, how + " opens brenk's window titled " + title);
    return found;
}

void Press(WORD key) {
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
}

bool ToFront(HWND window) {
    return PollUntil([&] { return SetForegroundWindow(window) && GetForegroundWindow() == window; },
                     StepLimitMs);
}

// A real double-click with the mouse on the middle of the values column.
void DoubleClickReadings(const Brenk& brenk) {
    ToFront(brenk.window);
    RECT values{};
    GetWindowRect(brenk.Control(ColumnValues), &values);
    SetCursorPos((values.left + values.right) / 2, (values.top + values.bottom) / 2);
    for (int click = 0; click < 2; ++click) {
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
}

// Alt+Space opens the system menu; the item's letter chooses it.
void ChooseFromSystemMenu(const Brenk& brenk, char letter) {
    ToFront(brenk.window);
    keybd_event(VK_MENU, 0, 0, 0);
    Press(VK_SPACE);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    Press(static_cast<WORD>(letter));
}

bool CloseWithEscape(HWND history) {
    ToFront(history);
    Press(VK_ESCAPE);
    return Check(PollUntil([&] { return !IsWindow(history); }, StepLimitMs), "Esc closes it");
}

int History() {
    const std::string folder = RunFolder("history");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "burn_user.exe", "5000 " + UniqueToken("history")) ||
        !StartMonitoring(brenk) || !brenk.NextReadings("", StepLimitMs).valid)
        return 1;
    DoubleClickReadings(brenk);
    const HWND history = WaitHistory(brenk, "History", "a double-click on the readings");
    if (!history) return 1;
    Check(GetWindow(history, GW_OWNER) == brenk.window, "it is owned by the main window");
    Check(GetWindowLongA(history, GWL_STYLE) & WS_THICKFRAME, "it can be resized");
    ShowsBothPlots(history, "while the program runs");
    // Live: the picture changes with the passes, without any input.
    const std::vector<DWORD> before = OnScreen(history).pixels;
    Check(PollUntil([&] { return OnScreen(history).pixels != before; }, 3000),
          "the plot grows with the passes");
    DoubleClickReadings(brenk);
    Check(PollUntil([&] { return GetForegroundWindow() == history; }, StepLimitMs) &&
              brenk.FindWindowOf("History") == history,
          "opening it again brings the same window to the front");
    CloseWithEscape(history);

    ChooseFromSystemMenu(brenk, 'H');
    const HWND again = WaitHistory(brenk, "History", "the system menu's History...");
    if (!again) return 1;
    brenk.WaitStatus(StatusTerminated);
    ShowsBothPlots(again, "after the program's end");
    // A new start clears the plot; a program that ends before its first
    // pass leaves it empty, grid and scales only.
    if (!brenk.UseRequester(TestProgramPath("exit_code.exe").c_str()) ||
        !brenk.WaitStatus(StatusOpened) || !brenk.Click(ButtonStart) ||
        !brenk.WaitStatus(StatusTerminated))
        return 1;
    Picture empty;
    PollUntil(
        [&] {
            empty = OnScreen(again);
            return empty.upper.load + empty.lower.memory == 0;
        },
        StepLimitMs);
    Check(empty.upper.load + empty.lower.memory == 0 && !empty.upper.colours.empty(),
          "a new start clears the plot, its axes stay", Counted(empty));
    brenk.Close();
    return failures ? 1 : 0;
}

int GermanHistory() {
    const std::string folder = RunFolder("history_german");
    WriteWholeFile(folder + "\\Brenk.ini", "[Global]\r\nLanguage=0\r\n");
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady()) return 1;
    ChooseFromSystemMenu(brenk, 'V');
    const HWND history = WaitHistory(brenk, "Verlauf", "the system menu's Verlauf...");
    if (!history) return 1;
    CloseWithEscape(history);
    brenk.Close();
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string scenario = argc == 2 ? argv[1] : "";
    if (scenario != "history" && scenario != "german") {
        std::printf("usage: history_robot history|german\n");
        return 2;
    }
    const int result = scenario == "history" ? History() : GermanHistory();
    std::printf("%s: %s\n", scenario.c_str(), result == 0 ? "passed" : "FAILED");
    return result;
}
