// ship_robot: drives the real brenk.exe from outside, only through its window
// (numbered controls, the status bar, the file requester, the close request),
// the way a user would. Used by the package and soak tests, by scripts/run's
// demonstration and by scripts/bench.
//
//   ship_robot smoke <brenk.exe> en|de
//       start, wait for the window and its system line, check the caption of
//       ButtonOpen (the language the settings chose), close, exit code 0
//   ship_robot watch <brenk.exe> <program.exe> <command-line> <ready> <done> [min-passes]
//       open and start <program.exe> through the window; once monitoring
//       runs (and, with min-passes, once that many passes with a non-zero
//       load and working set have been shown) write "<pid> <x> <y> <w> <h>"
//       of brenk's window into the file <ready>, then wait for the file
//       <done>, quit the program and close brenk
//   ship_robot soak <brenk.exe> <program.exe> <cycles> <self-ending>
//       <cycles> open/start/quit cycles with a program that runs until quit,
//       then <self-ending> runs of the same program with a command line that
//       makes it end by itself; checks memory, stray programs, liveness
//   ship_robot close <title>
//       asks the window with that title, of whatever program, to close, as
//       its close box would (for a tool started by someone else)
//   ship_robot startup <program.exe> <title> <runs> [system-line]
//       median time from process start to the visible window (and, with
//       system-line, until brenk's system line is shown), in microseconds
//   ship_robot respond <brenk.exe> <sleeper.exe> <ender.exe> <ender-command-line> <runs>
//       median times, in milliseconds, from a click on ButtonQuit to "Program
//       terminated", from the end of the ender to "Program terminated", and
//       from the close request to the end of brenk.exe (the sleeper watched)
//
// brenk.exe is started in the robot's current directory, so the Brenk.ini
// found there applies; the expected texts are the English ones.
// Exit code 0 when every check held; messages name the first that did not.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/window_robot.h"

namespace {

// Controls of brenk's window, by their numbers (the native identifiers).
enum Control : int {
    FieldProgramName = 8,
    FieldCommandLine = 9,
    SpinInterval = 10,
    ButtonOpen = 11,
    ButtonStart = 12,
    ButtonQuit = 13,
    TextSystemInfo = 14,
    ColumnValues = 17,
};

const char* const WindowTitle = "Brenk v0.1b";
const char* const RequesterTitle = "Choose Program...";
const char* const MessageBoxTitle = "Guru-Attack!";
const char* const StateOpened = "Program opened";
const char* const StateRunning = "Program is running...";
const char* const StateTerminated = "Program terminated";

// Cross-process messages are sent with a time-out, so a hung brenk is
// reported instead of hanging the robot.
constexpr UINT AnswerTimeoutMs = 5000;
constexpr DWORD StepTimeoutMs = 15000;

bool Fail(const char* what, const std::string& detail = "") {
    std::printf("FAIL: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
    return false;
}

double NowMicroseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

std::string WindowText(HWND window) {
    if (!window) return "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeoutMs,
                             &length))
        return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, AnswerTimeoutMs, &copied))
        return "";
    text.resize(std::min<size_t>(copied, length));
    return text;
}

// One started brenk.exe and its window.
struct Brenk {
    Handle process;
    DWORD processId = 0;
    HWND window = nullptr;

    Brenk() = default;
    Brenk(const Brenk&) = delete;
    Brenk& operator=(const Brenk&) = delete;
    // A check that failed may leave the tool running: end it, so that no
    // test leaves a process behind.
    ~Brenk() {
        if (process.valid() && WaitForSingleObject(process.value, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.value, 1);
    }

    HWND Control(int number) const { return GetDlgItem(window, number); }
    std::string Text(int number) const { return WindowText(Control(number)); }
    bool Enabled(int number) const { return IsWindowEnabled(Control(number)) != 0; }
    std::string Status() const {
        return WindowText(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr));
    }
    // A posted click goes through the button's own handling and the tool's
    // event stream exactly as a mouse click does, and never blocks the robot
    // while the tool shows a modal requester.
    bool Click(int number) const {
        HWND button = Control(number);
        if (!button || !IsWindowEnabled(button)) return false;
        return PostMessageA(button, BM_CLICK, 0, 0) != 0;
    }
};

bool Launch(const std::string& commandLine, Handle& process, DWORD& processId) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process = Handle(info.hProcess);
    processId = info.dwProcessId;
    return true;
}

bool StartBrenk(const std::string& exe, Brenk& brenk) {
    if (!Launch("\"" + exe + "\"", brenk.process, brenk.processId))
        return Fail("cannot start", exe);
    if (!PollUntil(
            [&] {
                brenk.window = FindTopWindow(brenk.processId, nullptr, WindowTitle);
                return brenk.window != nullptr;
            },
            StepTimeoutMs))
        return Fail("no visible window titled", WindowTitle);
    // The system line is written just before the event loop starts, so once
    // it shows the window is fully built and answering.
    if (!PollUntil([&] { return !brenk.Text(TextSystemInfo).empty(); }, StepTimeoutMs))
        return Fail("the system line stays empty");
    return true;
}

bool CloseBrenk(Brenk& brenk) {
    if (HWND box = FindTopWindow(brenk.processId, nullptr, MessageBoxTitle))
        return Fail("an error box is open", WindowText(box));
    PostMessageA(brenk.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(brenk.process.value, StepTimeoutMs) != WAIT_OBJECT_0)
        return Fail("brenk.exe did not end after the close request");
    DWORD code = 1;
    GetExitCodeProcess(brenk.process.value, &code);
    if (code != 0) return Fail("exit code of brenk.exe", std::to_string(code));
    return true;
}

// Fills the file requester's name box and confirms it. The name box is the
// edit inside the combo box cmb13 of the explorer-style requester, or edt1 of
// the old one.
bool ChooseFile(const Brenk& brenk, const std::string& path) {
    HWND requester = nullptr;
    if (!PollUntil(
            [&] {
                requester = FindTopWindow(brenk.processId, "#32770", RequesterTitle);
                return requester != nullptr;
            },
            StepTimeoutMs))
        return Fail("no file requester titled", RequesterTitle);
    HWND nameBox = nullptr;
    if (HWND combo = GetDlgItem(requester, cmb13)) {
        // The edit sits one or two levels down (a combo box inside an
        // extended combo box), depending on the platform's requester.
        EnumChildWindows(
            combo,
            [](HWND child, LPARAM found) -> BOOL {
                char name[16] = {};
                GetClassNameA(child, name, sizeof name);
                if (lstrcmpiA(name, "Edit") != 0) return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&nameBox));
    }
    if (!nameBox) nameBox = GetDlgItem(requester, edt1);
    if (!nameBox || !SetWindowTextTo(nameBox, path)) {
        // Name what the requester holds, to see how this platform builds it.
        EnumChildWindows(
            requester,
            [](HWND child, LPARAM) -> BOOL {
                char name[64] = {};
                GetClassNameA(child, name, sizeof name);
                std::printf("  child %s id %d\n", name, GetDlgCtrlID(child));
                return TRUE;
            },
            0);
        return Fail("no name box in the requester");
    }
    PostMessageA(requester, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(requester, IDOK)));
    if (!PollUntil([&] { return !IsWindow(requester); }, StepTimeoutMs))
        return Fail("the file requester stays open");
    return true;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool OpenProgram(const Brenk& brenk, const std::string& program) {
    if (!brenk.Click(ButtonOpen)) return Fail("ButtonOpen cannot be clicked");
    if (!ChooseFile(brenk, program)) return false;
    if (!PollUntil([&] { return brenk.Status() == StateOpened && brenk.Enabled(ButtonStart); },
                   StepTimeoutMs))
        return Fail("not opened; status", brenk.Status());
    if (brenk.Text(FieldProgramName) != FileNameOf(program))
        return Fail("FieldProgramName shows", brenk.Text(FieldProgramName));
    return true;
}

bool StartProgram(const Brenk& brenk, const std::string& commandLine) {
    if (!SetWindowTextTo(brenk.Control(FieldCommandLine), commandLine))
        return Fail("cannot type the command line");
    if (!brenk.Click(ButtonStart)) return Fail("ButtonStart cannot be clicked");
    if (!PollUntil([&] { return brenk.Status() == StateRunning; }, StepTimeoutMs))
        return Fail("not running; status", brenk.Status());
    return true;
}

// Waits for "Program terminated" and the controls of a new start: after a
// quit, or without any input when the program ends by itself.
bool WaitTerminated(const Brenk& brenk) {
    if (!PollUntil(
            [&] {
                return brenk.Status() == StateTerminated && brenk.Enabled(ButtonStart) &&
                       !brenk.Enabled(ButtonQuit);
            },
            StepTimeoutMs))
        return Fail("not terminated; status", brenk.Status());
    return true;
}

bool QuitProgram(const Brenk& brenk) {
    if (!brenk.Click(ButtonQuit)) return Fail("ButtonQuit cannot be clicked");
    return WaitTerminated(brenk);
}

// The six readings of ColumnValues, dots removed; empty until the first pass.
std::vector<long long> Readings(const Brenk& brenk) {
    std::vector<long long> values;
    std::string number;
    const std::string text = brenk.Text(ColumnValues) + "\n";
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            number += c;
        } else if (c == '\n' && !number.empty()) {
            values.push_back(std::atoll(number.c_str()));
            number.clear();
        }
    }
    return values;
}

// Live programs started by the given parent (brenk's observed programs), and
// the identifier of the last one listed.
int ChildrenOf(DWORD parentId, DWORD* lastChild = nullptr) {
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return -1;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot.value, &entry); more;
         more = Process32Next(snapshot.value, &entry)) {
        if (entry.th32ParentProcessID != parentId) continue;
        ++count;
        if (lastChild) *lastChild = entry.th32ProcessID;
    }
    return count;
}

struct Memory {
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
    // 0 where the platform does not report them (Wine 8: handle count 0,
    // GetGuiResources not implemented).
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

bool ReadMemory(const Brenk& brenk, Memory& memory) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(brenk.process.value,
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return Fail("GetProcessMemoryInfo on brenk.exe");
    // Wine fills only PagefileUsage, the process's private commit, for
    // another process; Windows reports the same figure in both.
    memory.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    memory.workingSet = counters.WorkingSetSize;
    GetProcessHandleCount(brenk.process.value, &memory.handles);
    memory.gdiObjects = GetGuiResources(brenk.process.value, GR_GDIOBJECTS);
    memory.userObjects = GetGuiResources(brenk.process.value, GR_USEROBJECTS);
    return true;
}

// A count that the platform reports (non-zero at both ends) must not have
// grown by more than a few over the run.
bool CountHeld(const char* what, DWORD first, DWORD last) {
    constexpr DWORD CountMargin = 8;
    std::printf("%s %lu -> %lu%s\n", what, first, last,
                first && last ? "" : " (not reported here)");
    if (first && last && last > first + CountMargin) return Fail(what, "grew beyond the margin");
    return true;
}

bool WaitForFile(const char* path) {
    return PollUntil([&] { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; },
                     10 * 60 * 1000, 50);
}

std::string FullPath(const char* path) {
    char buffer[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
    return length && length < MAX_PATH ? std::string(buffer, length) : std::string(path);
}

bool Smoke(const std::string& exe, const std::string& language) {
    // ISO 8859-1, as the tool shows it.
    const std::string openCaption = language == "de" ? "Programm \xF6"
                                                       "ffnen"
                                                     : "Open Program";
    Brenk brenk;
    if (!StartBrenk(exe, brenk)) return false;
    if (brenk.Text(ButtonOpen) != openCaption)
        return Fail("ButtonOpen reads", brenk.Text(ButtonOpen));
    if (!brenk.Enabled(ButtonOpen) || brenk.Enabled(ButtonStart) || brenk.Enabled(ButtonQuit))
        return Fail("only ButtonOpen should be enabled at start");
    std::printf("system line: %s\nstatus: %s\n", brenk.Text(TextSystemInfo).c_str(),
                brenk.Status().c_str());
    return CloseBrenk(brenk);
}

// Passes shown so far whose load and working set were both non-zero: counted
// by watching the current readings change.
bool Watch(const std::string& exe, const std::string& program, const std::string& commandLine,
           const char* ready, const char* done, int minPasses) {
    Brenk brenk;
    if (!StartBrenk(exe, brenk) || !OpenProgram(brenk, program) ||
        !StartProgram(brenk, commandLine))
        return false;
    if (minPasses > 0) {
        int passes = 0;
        std::string last;
        if (!PollUntil(
                [&] {
                    const std::string text = brenk.Text(ColumnValues);
                    const std::vector<long long> values = Readings(brenk);
                    if (text != last && values.size() == 6 && values[4] > 0 && values[5] > 0) {
                        ++passes;
                        last = text;
                    }
                    return passes >= minPasses;
                },
                60000, 50))
            return Fail("no live readings; values", brenk.Text(ColumnValues));
    }
    RECT rect{};
    GetWindowRect(brenk.window, &rect);
    if (FILE* file = std::fopen(ready, "w")) {
        std::fprintf(file, "%lu %ld %ld %ld %ld\n", brenk.processId, rect.left, rect.top,
                     rect.right - rect.left, rect.bottom - rect.top);
        std::fclose(file);
    } else {
        return Fail("cannot write", ready);
    }
    if (!WaitForFile(done)) return Fail("no", done);
    std::vector<long long> values = Readings(brenk);
    std::printf("readings:");
    for (long long v : values)
        std::printf(" %lld", v);
    std::printf("\n");
    return QuitProgram(brenk) && CloseBrenk(brenk);
}

bool Soak(const std::string& exe, const std::string& program, int cycles, int selfEnding) {
    // Fixed margins over the figures after the first cycle: enough for the
    // allocator's and the window system's rounding, far below what one lost
    // block per cycle would add up to over the run.
    constexpr SIZE_T PrivateMargin = 1u << 20;
    constexpr SIZE_T WorkingSetMargin = 2u << 20;
    Brenk brenk;
    if (!StartBrenk(exe, brenk)) return false;
    Memory first, last;
    const ULONGLONG started = GetTickCount64();
    // Where the time goes, for the figures printed at the end.
    double openMs = 0, startMs = 0, quitMs = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        // The program runs until it is quit (it holds its memory forever).
        const double t0 = NowMicroseconds();
        if (!OpenProgram(brenk, program)) return Fail("open, cycle", std::to_string(cycle));
        const double t1 = NowMicroseconds();
        if (!StartProgram(brenk, "0 1 -1")) return Fail("start, cycle", std::to_string(cycle));
        // The count of programs left at the end must be able to see one.
        if (cycle == 1 && ChildrenOf(brenk.processId) != 1)
            return Fail("the running program is not seen as brenk's child");
        const double t2 = NowMicroseconds();
        if (!QuitProgram(brenk)) return Fail("quit, cycle", std::to_string(cycle));
        const double t3 = NowMicroseconds();
        openMs += (t1 - t0) / 1000;
        startMs += (t2 - t1) / 1000;
        quitMs += (t3 - t2) / 1000;
        if (cycle == 1 && !ReadMemory(brenk, first)) return false;
    }
    std::printf("%d open/start/quit cycles in %.1f s (open %.0f ms, start %.0f ms, quit %.0f ms "
                "per cycle)\n",
                cycles, (GetTickCount64() - started) / 1000.0, openMs / cycles, startMs / cycles,
                quitMs / cycles);
    const ULONGLONG selfStarted = GetTickCount64();
    for (int run = 1; run <= selfEnding; ++run) {
        // Ends by itself about 400 ms after its start, while it is sampled;
        // the worker's hand-over at the end wakes the loop, which notices
        // the end without any input from the robot.
        if (!StartProgram(brenk, "200 1 200") || !WaitTerminated(brenk))
            return Fail("self-ending run", std::to_string(run));
    }
    std::printf("%d self-ending programs in %.1f s\n", selfEnding,
                (GetTickCount64() - selfStarted) / 1000.0);
    if (!ReadMemory(brenk, last)) return false;
    std::printf("private bytes %zu -> %zu, working set %zu -> %zu\n", first.privateBytes,
                last.privateBytes, first.workingSet, last.workingSet);
    bool ok = true;
    if (last.privateBytes > first.privateBytes + PrivateMargin)
        ok = Fail("private bytes grew beyond the margin");
    if (last.workingSet > first.workingSet + WorkingSetMargin)
        ok = Fail("working set grew beyond the margin");
    ok = CountHeld("handles", first.handles, last.handles) && ok;
    ok = CountHeld("GDI objects", first.gdiObjects, last.gdiObjects) && ok;
    ok = CountHeld("USER objects", first.userObjects, last.userObjects) && ok;
    const int left = ChildrenOf(brenk.processId);
    if (left != 0) ok = Fail("observed programs left running", std::to_string(left));
    if (!Answers(brenk.window)) ok = Fail("brenk.exe does not answer");
    return CloseBrenk(brenk) && ok;
}

bool Startup(const std::string& exe, const char* title, int runs, bool systemLine) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        Brenk target;
        const double begin = NowMicroseconds();
        if (!Launch("\"" + exe + "\"", target.process, target.processId))
            return Fail("cannot start", exe);
        if (!PollUntil(
                [&] {
                    target.window = FindTopWindow(target.processId, nullptr, title);
                    return target.window && (!systemLine || !target.Text(TextSystemInfo).empty());
                },
                StepTimeoutMs, 1))
            return Fail("no window", title);
        times.push_back(NowMicroseconds() - begin);
        PostMessageA(target.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(target.process.value, StepTimeoutMs) != WAIT_OBJECT_0)
            return Fail("did not end", exe);
    }
    std::sort(times.begin(), times.end());
    std::printf("startup_us %.0f (median; min %.0f, max %.0f, %d runs)\n", times[times.size() / 2],
                times.front(), times.back(), runs);
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Polls every millisecond; the time in ms until the condition held, or -1.
double MillisecondsUntil(double since, const std::function<bool()>& condition) {
    if (!PollUntil(condition, 60000, 1)) return -1;
    return (NowMicroseconds() - since) / 1000;
}

// Opens and starts the program and waits for its first readings, so that
// the worker is in its pause between passes.
bool Watching(const Brenk& brenk, const std::string& program, const std::string& commandLine) {
    if (!OpenProgram(brenk, program) || !StartProgram(brenk, commandLine)) return false;
    if (!PollUntil([&] { return Readings(brenk).size() == 6; }, StepTimeoutMs))
        return Fail("no readings of", program);
    return true;
}

bool Respond(const std::string& exe, const std::string& sleeper, const std::string& ender,
             const std::string& enderLine, int runs) {
    std::vector<double> quit, ownEnd, close;
    for (int run = 0; run < runs; ++run) {
        Brenk brenk;
        if (!StartBrenk(exe, brenk) || !Watching(brenk, sleeper, "")) return false;
        const double clicked = NowMicroseconds();
        if (!brenk.Click(ButtonQuit)) return Fail("ButtonQuit cannot be clicked");
        quit.push_back(
            MillisecondsUntil(clicked, [&] { return brenk.Status() == StateTerminated; }));

        if (!Watching(brenk, ender, enderLine)) return false;
        DWORD child = 0;
        if (ChildrenOf(brenk.processId, &child) != 1) return Fail("the ender is not seen");
        Handle program(OpenProcess(SYNCHRONIZE, FALSE, child));
        if (WaitForSingleObject(program.value, 60000) != WAIT_OBJECT_0)
            return Fail("the ender does not end");
        const double ended = NowMicroseconds();
        ownEnd.push_back(
            MillisecondsUntil(ended, [&] { return brenk.Status() == StateTerminated; }));

        if (!Watching(brenk, sleeper, "")) return false;
        const double asked = NowMicroseconds();
        PostMessageA(brenk.window, WM_CLOSE, 0, 0);
        close.push_back(MillisecondsUntil(
            asked, [&] { return WaitForSingleObject(brenk.process.value, 0) == WAIT_OBJECT_0; }));
        std::printf("run %d: quit %.1f ms, own end %.1f ms, close %.1f ms\n", run + 1, quit.back(),
                    ownEnd.back(), close.back());
    }
    std::printf("quit_ms %.1f\nown_end_ms %.1f\nclose_ms %.1f\n", Median(quit), Median(ownEnd),
                Median(close));
    return true;
}

int Usage() {
    std::printf("usage: ship_robot smoke|watch|soak|startup|respond ... (see the source)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Progress shows as it happens, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    bool ok = false;
    if (command == "smoke" && argc == 4) {
        ok = Smoke(FullPath(argv[2]), argv[3]);
    } else if (command == "watch" && (argc == 7 || argc == 8)) {
        ok = Watch(FullPath(argv[2]), FullPath(argv[3]), argv[4], argv[5], argv[6],
                   argc == 8 ? std::atoi(argv[7]) : 0);
    } else if (command == "soak" && argc == 6) {
        ok = Soak(FullPath(argv[2]), FullPath(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    } else if (command == "close" && argc == 3) {
        HWND window = nullptr;
        ok = PollUntil([&] { return (window = FindWindowA(nullptr, argv[2])) != nullptr; },
                       StepTimeoutMs) &&
             PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (command == "respond" && argc == 7) {
        ok = Respond(FullPath(argv[2]), FullPath(argv[3]), FullPath(argv[4]), argv[5],
                     std::atoi(argv[6]));
    } else if (command == "startup" && (argc == 5 || argc == 6)) {
        ok = Startup(FullPath(argv[2]), argv[3], std::atoi(argv[4]), argc == 6);
    } else {
        return Usage();
    }
    std::printf("%s\n", ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}
