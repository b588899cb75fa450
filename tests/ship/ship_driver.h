// The ship robot's hold on a started brenk.exe: its window's controls and
// texts read with a time-out, the file requester, the observed programs and
// brenk's own memory. A step that fails prints why and returns false.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/brenk_names.h"
#include "tests/e2e/window_robot.h"

// Cross-process messages are sent with a time-out, so a hung brenk is
// reported instead of hanging the robot.
constexpr UINT AnswerTimeoutMs = 5000;
constexpr DWORD StepTimeoutMs = 15000;

inline bool Fail(const char* what, const std::string& detail = "") {
    std::printf("FAIL: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stdout);
    return false;
}

inline double NowMicroseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

inline std::string WindowText(HWND window) {
    if (!window) return "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeoutMs,
                             &length))
        return "";
    // The length is a hint: between programs of different code pages the
    // system may count it in either one.
    std::string text(length * 3 + 16, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, AnswerTimeoutMs, &copied))
        return "";
    text.resize(std::min<size_t>(copied, text.size()));
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

inline bool Launch(const std::string& commandLine, Handle& process, DWORD& processId) {
    PROCESS_INFORMATION info{};
    if (!StartProcess(commandLine, nullptr, &info)) return false;
    CloseHandle(info.hThread);
    process = Handle(info.hProcess);
    processId = info.dwProcessId;
    return true;
}

inline bool StartBrenk(const std::string& exe, Brenk& brenk) {
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

inline bool CloseBrenk(Brenk& brenk) {
    if (HWND box = FindTopWindow(brenk.processId, nullptr, ErrorBoxTitle))
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
inline bool ChooseFile(const Brenk& brenk, const std::string& path) {
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

inline std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline bool OpenProgram(const Brenk& brenk, const std::string& program) {
    if (!brenk.Click(ButtonOpen)) return Fail("ButtonOpen cannot be clicked");
    if (!ChooseFile(brenk, program)) return false;
    if (!PollUntil([&] { return brenk.Status() == StatusOpened && brenk.Enabled(ButtonStart); },
                   StepTimeoutMs))
        return Fail("not opened; status", brenk.Status());
    if (brenk.Text(FieldProgramName) != FileNameOf(program))
        return Fail("FieldProgramName shows", brenk.Text(FieldProgramName));
    return true;
}

inline bool StartProgram(const Brenk& brenk, const std::string& commandLine) {
    if (!SetWindowTextTo(brenk.Control(FieldCommandLine), commandLine))
        return Fail("cannot type the command line");
    if (!brenk.Click(ButtonStart)) return Fail("ButtonStart cannot be clicked");
    if (!PollUntil([&] { return brenk.Status() == StatusRunning; }, StepTimeoutMs))
        return Fail("not running; status", brenk.Status());
    return true;
}

// Waits for "Program terminated" and the controls of a new start: after a
// quit, or without any input when the program ends by itself.
inline bool WaitTerminated(const Brenk& brenk) {
    if (!PollUntil(
            [&] {
                return brenk.Status() == StatusTerminated && brenk.Enabled(ButtonStart) &&
                       !brenk.Enabled(ButtonQuit);
            },
            StepTimeoutMs))
        return Fail("not terminated; status", brenk.Status());
    return true;
}

inline bool QuitProgram(const Brenk& brenk) {
    if (!brenk.Click(ButtonQuit)) return Fail("ButtonQuit cannot be clicked");
    return WaitTerminated(brenk);
}

// The six readings of ColumnValues, dots removed; empty until the first pass.
inline std::vector<long long> Readings(const Brenk& brenk) {
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
// The programs parentId started, but for Wine's own services, which a new
// prefix starts on first use as children of the program that needed them.
inline int ChildrenOf(DWORD parentId, DWORD* lastChild = nullptr) {
    int count = 0;
    for (const PROCESSENTRY32& child : ProcessesStartedBy(parentId)) {
        if (RunsFromSystemFolder(child.th32ProcessID)) continue;
        if (lastChild) *lastChild = child.th32ProcessID;
        ++count;
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

inline bool ReadMemory(const Brenk& brenk, Memory& memory) {
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
inline bool CountHeld(const char* what, DWORD first, DWORD last) {
    constexpr DWORD CountMargin = 8;
    std::printf("%s %lu -> %lu%s\n", what, first, last,
                first && last ? "" : " (not reported here)");
    if (first && last && last > first + CountMargin) return Fail(what, "grew beyond the margin");
    return true;
}

inline bool WaitForFile(const char* path) {
    return PollUntil([&] { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; },
                     10 * 60 * 1000, 50);
}

inline std::string FullPath(const char* path) {
    char buffer[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
    return length && length < MAX_PATH ? std::string(buffer, length) : std::string(path);
}
