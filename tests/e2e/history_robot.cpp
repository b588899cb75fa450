// history_robot history|german: the history window of the real brenk.exe,
// opened by a double-click and by the system menu, read back from the
// display, closed by Esc, as a user meets it.
#include "tests/e2e/brenk_window.h"

#include <initializer_list>
#include <set>
#include <utility>

namespace {

// The graph's white ground and the colours of its two series.
constexpr COLORREF Ground = RGB(255, 255, 255);
constexpr COLORREF LoadColour = RGB(0, 140, 0);
constexpr COLORREF MemoryColour = RGB(0, 70, 210);

// The window's inner area as the display shows it, counted by halves
// (0 upper, 1 lower): pixels of each series, and the colours besides the ground.
struct Picture {
    std::vector<DWORD> pixels;
    int load[2] = {};
    int memory[2] = {};
    std::set<COLORREF> colours[2];
    std::string Told() const {
        return "load " + std::to_string(load[0]) + "/" + std::to_string(load[1]) + ", memory " +
               std::to_string(memory[0]) + "/" + std::to_string(memory[1]) + ", colours " +
               std::to_string(colours[0].size()) + "/" + std::to_string(colours[1].size());
    }
};

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
        const int half = static_cast<int>(i) / width < height / 2 ? 0 : 1;
        picture.load[half] += colour == LoadColour;
        picture.memory[half] += colour == MemoryColour;
        if (colour != Ground) picture.colours[half].insert(colour);
    }
    return picture;
}

// Polls the display until the picture is as wanted.
bool Shows(HWND history, const std::function<bool(const Picture&)>& wanted, const std::string& what) {
    Picture seen;
    PollUntil([&] { return wanted(seen = OnScreen(history)); }, StepLimitMs);
    return Check(wanted(seen), what, seen.Told());
}

// The load above, the working set below, each half with lines and labels.
bool BothPlots(const Picture& p) {
    return p.load[0] > 0 && p.memory[1] > 0 && p.colours[0].size() > 2 && p.colours[1].size() > 2;
}

HWND HistoryOf(const Brenk& brenk) {
    return FindTopWindow(brenk.info.dwProcessId, "BrenkHistory", nullptr);
}

// The window whose caption begins with title, and names a run after it once one started.
HWND WaitHistory(const Brenk& brenk, const char* title, const std::string& how) {
    HWND found = nullptr;
    PollUntil([&] { return (found = HistoryOf(brenk)) != nullptr; }, StepLimitMs);
    Check(found && WindowText(found).starts_with(title),
          how + " opens brenk's window titled " + title);
    return found;
}

// Keys pressed and let go, in order, at the window in front.
void Keys(std::initializer_list<std::pair<BYTE, DWORD>> strokes) {
    for (const auto& [key, up] : strokes) keybd_event(key, 0, up, 0);
}

void ToFront(HWND window) {
    PollUntil([&] { return SetForegroundWindow(window) && GetForegroundWindow() == window; },
              StepLimitMs);
}

// A real double-click with the mouse on the middle of the values column.
void DoubleClickReadings(const Brenk& brenk) {
    ToFront(brenk.window);
    RECT values{};
    GetWindowRect(brenk.Control(ColumnValues), &values);
    SetCursorPos((values.left + values.right) / 2, (values.top + values.bottom) / 2);
    for (const DWORD flag : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                             MOUSEEVENTF_LEFTUP})
        mouse_event(flag, 0, 0, 0, 0);
}

// Alt+Space opens the system menu; the item's letter chooses it.
void ChooseFromSystemMenu(const Brenk& brenk, BYTE letter) {
    ToFront(brenk.window);
    Keys({{VK_MENU, 0}, {VK_SPACE, 0}, {VK_SPACE, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP},
          {letter, 0}, {letter, KEYEVENTF_KEYUP}});
}

bool CloseWithEscape(HWND history) {
    ToFront(history);
    Keys({{VK_ESCAPE, 0}, {VK_ESCAPE, KEYEVENTF_KEYUP}});
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
    Shows(history, BothPlots, "both plots while the program runs");
    // Live: the picture changes with the passes, without any input.
    const std::vector<DWORD> before = OnScreen(history).pixels;
    Check(PollUntil([&] { return OnScreen(history).pixels != before; }, 3000),
          "the plot grows with the passes");
    DoubleClickReadings(brenk);
    Check(PollUntil([&] { return GetForegroundWindow() == history; }, StepLimitMs) &&
              HistoryOf(brenk) == history,
          "opening it again brings the same window to the front");
    if (OpenClipboard(nullptr)) { // emptied first, so what is found is the graph
        EmptyClipboard();
        CloseClipboard();
    }
    Keys({{VK_CONTROL, 0}, {'C', 0}, {'C', KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}});
    Check(PollUntil([] { return IsClipboardFormatAvailable(CF_BITMAP) != 0; }, StepLimitMs),
          "Ctrl+C copies the graph to the clipboard as a picture");
    CloseWithEscape(history);

    ChooseFromSystemMenu(brenk, 'H');
    const HWND again = WaitHistory(brenk, "History", "the system menu's History...");
    if (!again) return 1;
    brenk.WaitStatus(StatusTerminated);
    Shows(again, BothPlots, "both plots stay after the program's end");
    // "History – burn_user.exe – 2026-12-10 05:10 – 5.2 s", held still once it ended.
    const std::string caption = WindowText(again);
    Check(caption.find(" burn_user.exe ") != std::string::npos && caption.ends_with(" s"),
          "its caption names the program and its run time", caption);
    Sleep(1500);
    CheckText("the ended run's caption", WindowText(again), caption);
    // A program that ends before its first pass: the start clears the plot,
    // its scales stay.
    if (!brenk.UseRequester(TestProgramPath("exit_code.exe").c_str()) ||
        !brenk.WaitStatus(StatusOpened) || !brenk.Click(ButtonStart) ||
        !brenk.WaitStatus(StatusTerminated))
        return 1;
    Shows(
        again,
        [](const Picture& p) { return p.load[0] + p.memory[1] == 0 && !p.colours[0].empty(); },
        "a new start clears the plot");
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
    const int result = scenario == "history" ? History() : scenario == "german" ? GermanHistory() : 2;
    std::printf("%s: %s\n", scenario.c_str(), result == 0 ? "passed" : "FAILED");
    return result;
}
