// history_robot history|german: the history window of the real brenk.exe,
// opened by a double-click and by the system menu, read back from the
// display, closed by Esc, as a user meets it.
#include "tests/e2e/brenk_window.h"

#include <commctrl.h>

#include <algorithm>
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

// The rows of another process's list control, each its cells, read through
// memory in that process, where the control writes them.
using Row = std::vector<std::string>;
std::vector<Row> ReadRows(HWND list) {
    std::vector<Row> rows;
    DWORD owner = 0;
    GetWindowThreadProcessId(list, &owner);
    const Handle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                     FALSE, owner));
    constexpr int Chars = 256;
    char* remote = process.valid()
                       ? static_cast<char*>(VirtualAllocEx(process.value, nullptr, 4096,
                                                           MEM_COMMIT, PAGE_READWRITE))
                       : nullptr;
    if (!remote) return rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        Row& row = rows.emplace_back();
        for (int column = 0; column < 6; ++column) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iSubItem = column;
            item.pszText = remote + 512;
            item.cchTextMax = Chars;
            char text[Chars] = {};
            WriteProcessMemory(process.value, remote, &item, sizeof item, nullptr);
            SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(process.value, remote + 512, text, Chars - 1, nullptr);
            row.emplace_back(text);
        }
    }
    VirtualFreeEx(process.value, remote, 0, MEM_RELEASE);
    return rows;
}

// The rows as two reads in a row agree: a list sorted anew between two cells
// would give a row made of two.
std::vector<Row> ListRows(HWND list) {
    std::vector<Row> rows = ReadRows(list);
    std::vector<Row> again;
    for (int tries = 0; tries < 20 && (again = ReadRows(list)) != rows; ++tries)
        rows = again;
    return rows;
}

std::string Told(const std::vector<Row>& rows) {
    std::string told;
    for (const Row& row : rows) {
        for (const std::string& cell : row) told += cell + " | ";
        told += "\n";
    }
    return told;
}

// A real click on the middle of a column's header, apart from the one before:
// two within the double-click time are a double-click, which sorts nothing.
void ClickHeader(HWND history, HWND list, int column) {
    Sleep(GetDoubleClickTime() + 100);
    ToFront(history);
    const HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    POINT at{0, 4};
    for (int before = 0; before < column; ++before)
        at.x += static_cast<LONG>(SendMessageA(list, LVM_GETCOLUMNWIDTH, before, 0));
    at.x += static_cast<LONG>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)) / 2;
    ClientToScreen(header, &at);
    SetCursorPos(at.x, at.y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

// Memory as a cell shows it ("75.3 MiB") in MiB; -1 for anything else.
double MiB(const std::string& cell) {
    return cell.ends_with(" MiB") ? std::atof(cell.c_str()) : -1;
}

// Tells where the window is, "x y width height" in a file, and waits until a
// second file says its picture was taken from the display.
bool OfferPicture(HWND window, const std::string& where, const std::string& taken) {
    RECT box{};
    GetWindowRect(window, &box);
    const std::string line = std::to_string(box.left) + " " + std::to_string(box.top) + " " +
                             std::to_string(box.right - box.left) + " " +
                             std::to_string(box.bottom - box.top) + "\n";
    return WriteWholeFile(where, line) &&
           PollUntil([&] { return GetFileAttributesA(taken.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     60000, 50);
}

// With Children=1 the tree's processes are listed under the graph: a batch
// file that starts three programs at once, each holding other memory (long
// enough to hold it together, though Wine takes a second to start each). They
// are marked running while they run, then listed with their exit codes,
// largest peak first, and a click on a column's header sorts by it. With
// shot, the window is offered for a picture at the end (OfferPicture; shot
// and shot + ".taken").
int Processes(const char* shot) {
    const std::string folder = RunFolder("history_processes");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0) + "Children=1\r\n");
    const std::string token = UniqueToken("processes");
    std::string batch = "@echo off\r\n";
    for (const int megabytes : {24, 72, 48})
        batch += "start \"\" /b \"" + TestProgramPath("grow_memory.exe") + "\" " +
                 std::to_string(megabytes) + " 6000 0 " + token + "\r\n";
    WriteWholeFile(folder + "\\tree.cmd", batch);
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !brenk.UseRequester((folder + "\\tree.cmd").c_str()) || !brenk.WaitStatus(StatusOpened) ||
        !StartMonitoring(brenk))
        return 1;
    ChooseFromSystemMenu(brenk, 'H');
    const HWND history = WaitHistory(brenk, "History", "the system menu's History...");
    const HWND list = history ? FindWindowExA(history, nullptr, WC_LISTVIEWA, nullptr) : nullptr;
    if (!Check(list != nullptr, "the history window lists the processes")) return 1;
    std::vector<Row> rows;
    // Polls the list until wanted; what it showed last goes with the check.
    const auto listed = [&](auto&& wanted, const std::string& what) {
        const bool seen = PollUntil([&] { return wanted(rows = ListRows(list)); }, StepLimitMs);
        Check(seen, what, Told(rows));
    };
    const auto growing = [](const Row& row) { return row[0] == "grow_memory.exe"; };
    listed(
        [&](const std::vector<Row>& now) {
            return std::count_if(now.begin(), now.end(), [&](const Row& row) {
                       return growing(row) && row[5] == "running" && MiB(row[3]) > 0;
                   }) == 3;
        },
        "the three children are listed as running, with their peaks");
    brenk.WaitStatus(StatusTerminated);
    listed(
        [](const std::vector<Row>& now) {
            return std::none_of(now.begin(), now.end(), [](const Row& row) { return row[5] != "0"; });
        },
        "every process is listed ended, with its exit code");
    // The default order: peak working set, largest first.
    bool ordered = rows.size() >= 4;
    for (size_t i = 0; ordered && i < 3; ++i)
        ordered = growing(rows[i]) && MiB(rows[i][3]) >= std::vector{72, 48, 24}[i] &&
                  (i == 0 || MiB(rows[i][3]) < MiB(rows[i - 1][3]));
    ordered = ordered && std::none_of(rows.begin() + 3, rows.end(), growing);
    Check(ordered, "the children by their peaks, largest first", Told(rows));
    const auto sortedBy = [&](int column, auto&& before, const std::string& what) {
        ClickHeader(history, list, column);
        listed([&](const std::vector<Row>& now) { return std::is_sorted(now.begin(), now.end(), before); },
               what);
    };
    const auto pid = [](const Row& row) { return std::stol(row[1]); };
    sortedBy(1, [&](const Row& a, const Row& b) { return pid(a) < pid(b); },
             "a click on PID sorts by it");
    sortedBy(1, [&](const Row& a, const Row& b) { return pid(a) > pid(b); },
             "a second click turns the order round");
    sortedBy(0, [](const Row& a, const Row& b) { return a[0] < b[0]; }, "a click on Name");
    sortedBy(3, [](const Row& a, const Row& b) { return MiB(a[3]) > MiB(b[3]); },
             "a click on the peak working set: largest first again");
    if (shot) {
        ToFront(history);
        Sleep(500); // the front window drawn
        Check(OfferPicture(history, shot, std::string(shot) + ".taken"),
              "the window's picture taken", shot);
    }
    CloseWithEscape(history);
    brenk.Close();
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string scenario = argc >= 2 ? argv[1] : "";
    const int result = scenario == "history"     ? History()
                       : scenario == "german"    ? GermanHistory()
                       : scenario == "processes" ? Processes(argc == 3 ? argv[2] : nullptr)
                                                 : 2;
    std::printf("%s: %s\n", scenario.c_str(), result == 0 ? "passed" : "FAILED");
    return result;
}
