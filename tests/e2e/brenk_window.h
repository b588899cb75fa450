// brenk.exe started and driven from outside through its window, and the
// steps the scenarios share.
#pragma once

#include <windows.h>
#include <dlgs.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/brenk_names.h"
#include "tests/e2e/robot_checks.h"
#include "tests/e2e/window_robot.h"
#include "tests/programs/test_programs.h"

// ---- brenk.exe and its window.

inline std::string BrenkPath() {
    return WindowsPath(BRENK_EXE);
}

struct Brenk {
    PROCESS_INFORMATION info{};
    HWND window = nullptr;
    std::vector<DWORD> children; // observed programs seen, to end them if a check fails
    std::string lookIn;          // the folder the last requester showed first

    Brenk() = default;
    Brenk(const Brenk&) = delete;
    Brenk& operator=(const Brenk&) = delete;
    // A failed check may leave the tool or its program running: end what
    // this robot started, so no test leaves a process behind.
    ~Brenk() {
        for (DWORD child : children)
            EndProcess(child);
        // Programs it was handed from outside were never seen by the robot.
        for (int round = 0; info.hProcess && Running() && round < 16; ++round) {
            const DWORD child = ChildProcess(nullptr);
            if (!child || !EndProcess(child)) break;
        }
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(info.hProcess, 1);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }

    // Starts brenk.exe in folder with the arguments after its own name.
    bool Start(const std::string& folder, const std::string& arguments = "") {
        std::string command = "\"" + BrenkPath() + "\"";
        if (!arguments.empty()) command += " " + arguments;
        DWORD error = 0;
        return Check(StartProcess(command, folder.c_str(), &info, &error), "brenk.exe starts",
                     command + (error ? ", error " + std::to_string(error) : std::string()));
    }

    bool Running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

    // Ends a process the robot's checks may have left running; false when
    // it cannot be opened.
    static bool EndProcess(DWORD id) {
        Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process.valid()) return false;
        if (WaitForSingleObject(process.value, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.value, 1);
            WaitForSingleObject(process.value, StepLimitMs);
        }
        return true;
    }

    HWND FindWindowOf(const char* title) const {
        return FindTopWindow(info.dwProcessId, nullptr, title);
    }

    // Waits for the main window and for the system line, the last thing
    // start-up writes before the event loop.
    bool WaitReady() {
        const bool shown = PollUntil(
            [&] {
                window = FindTopWindow(info.dwProcessId, nullptr, WindowTitle);
                const HWND line = window ? Control(TextSystemInfo) : nullptr;
                return line && !WindowText(line).empty();
            },
            StepLimitMs);
        return Check(shown, "the window \"Brenk v0.1b\" appears with its system line");
    }

    HWND Control(int number) const { return GetDlgItem(window, number); }
    std::string Text(int number) const { return WindowText(Control(number)); }
    bool Enabled(int number) const { return IsWindowEnabled(Control(number)) != 0; }
    std::string Status() const {
        return WindowText(FindWindowExA(window, nullptr, "msctls_statusbar32", nullptr));
    }
    Readings Values() const { return ParseReadings(Text(ColumnValues)); }

    // A posted click runs through the button's own handling and the tool's
    // event stream as a mouse click does, and never blocks the robot while
    // the tool shows a modal requester.
    bool Click(int number) const {
        return Check(PostMessageA(Control(number), BM_CLICK, 0, 0) != 0,
                     "click control " + std::to_string(number));
    }

    bool WaitStatus(const std::string& wanted, DWORD limitMs = StepLimitMs) const {
        std::string seen;
        PollUntil(
            [&] {
                seen = Status();
                return seen == wanted;
            },
            limitMs);
        return CheckText("status bar", seen, wanted);
    }

    bool WaitText(int control, const std::string& wanted, const std::string& what,
                  DWORD limitMs = StepLimitMs) const {
        std::string seen;
        PollUntil(
            [&] {
                seen = Text(control);
                return seen == wanted;
            },
            limitMs);
        return CheckText(what, seen, wanted);
    }

    // Waits until the tool's loop has taken what the robot did before: a
    // selection posted to FieldProgramName (which raises no event) is seen
    // only once the loop has dispatched it, and the loop hands out any
    // event still pending and runs its handler before it reads the robot's
    // next message. Needs a program name of two characters or more.
    bool Settle() const {
        const HWND name = Control(FieldProgramName);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(name, EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeoutMs, &result);
        PostMessageA(name, EM_SETSEL, 1, 2);
        return Check(PollUntil(
                         [&] {
                             return SendMessageTimeoutA(name, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG,
                                                        AnswerTimeoutMs, &result) &&
                                    result == MAKELONG(1, 2);
                         },
                         StepLimitMs),
                     "the tool has taken the change");
    }

    // The enabled states of FieldProgramName .. ButtonQuit, as a row of 0/1.
    std::string EnabledRow() const {
        std::string row;
        for (int control = FieldProgramName; control <= ButtonQuit; ++control)
            row += Enabled(control) ? '1' : '0';
        return row;
    }
    bool CheckEnabled(const std::string& what, const std::string& wanted) const {
        // Fields 8..13: program name, command line, spin, open, start, quit.
        return CheckText(what + " (enabled 8..13)", EnabledRow(), wanted);
    }

    // The control of brenk's window that has the keyboard focus: its number,
    // -1 when the focus is elsewhere or nowhere.
    int Focused() const {
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        if (!GetGUIThreadInfo(info.dwThreadId, &thread) || !thread.hwndFocus ||
            GetParent(thread.hwndFocus) != window)
            return -1;
        return GetDlgCtrlID(thread.hwndFocus);
    }
    // The focus settles on the control, which is then enabled.
    bool CheckFocus(int control, const std::string& when) const {
        int seen = -1;
        PollUntil([&] { return (seen = Focused()) == control; }, StepLimitMs);
        return Check(seen == control && Enabled(control),
                     "the focus is on control " + std::to_string(control) + " " + when,
                     "it is on " + std::to_string(seen));
    }

    bool Close(DWORD limitMs = StepLimitMs) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (!Check(WaitForSingleObject(info.hProcess, limitMs) == WAIT_OBJECT_0,
                   "brenk.exe ends after the close request"))
            return false;
        DWORD code = 1;
        GetExitCodeProcess(info.hProcess, &code);
        return Check(code == 0, "brenk.exe exit code 0", std::to_string(code));
    }

    // The observed program: a child of brenk.exe with the file name (any
    // when null); 0 when there is none.
    // A program brenk started by that name, or without a name any program
    // but Wine's own services; 0 when there is none.
    DWORD ChildProcess(const char* exeName) const {
        DWORD found = 0;
        for (const PROCESSENTRY32& entry : ProcessesStartedBy(info.dwProcessId)) {
            const bool wanted = exeName ? _stricmp(entry.szExeFile, exeName) == 0
                                        : !RunsFromSystemFolder(entry.th32ProcessID);
            if (wanted) found = entry.th32ProcessID;
        }
        return found;
    }

    Handle WaitChild(const char* exeName) {
        DWORD id = 0;
        PollUntil([&] { return (id = ChildProcess(exeName)) != 0; }, StepLimitMs);
        Check(id != 0, std::string("the observed program runs as a child of brenk: ") + exeName);
        if (id) children.push_back(id);
        return Handle(id ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)
                         : nullptr);
    }

    // Drives the file requester that ButtonOpen shows: a name typed into its
    // file-name box and OK, or Cancel when name is null.
    bool UseRequester(const char* name, const char* title = RequesterTitle) {
        if (!name) return UseRequesterWith(nullptr, title);
        return UseRequesterWith([name](HWND box) { return SetWindowTextTo(box, name); }, title);
    }
    // The same with a name of any Unicode characters.
    bool UseRequester(const std::wstring& name) {
        return UseRequesterWith(
            [&name](HWND box) {
                DWORD_PTR result = 0;
                return SendMessageTimeoutW(box, WM_SETTEXT, 0,
                                           reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG,
                                           AnswerTimeoutMs, &result) != 0;
            },
            RequesterTitle);
    }
    bool UseRequesterWith(const std::function<bool(HWND)>& type, const char* title) {
        if (!Click(ButtonOpen)) return false;
        HWND requester = nullptr;
        PollUntil(
            [&] { return (requester = FindTopWindow(info.dwProcessId, "#32770", title)) != 0; },
            StepLimitMs);
        if (!Check(requester != nullptr, std::string("the file requester titled ") + title))
            return false;
        lookIn = WindowText(GetDlgItem(requester, cmb2));
        if (type) {
            // The file-name box is an edit inside the combo box cmb13 (or
            // edt1 in the older layout); it may appear a moment after the
            // dialog itself.
            HWND box = nullptr;
            PollUntil(
                [&] {
                    HWND combo = GetDlgItem(requester, cmb13);
                    box = combo ? FindChild(combo, "Edit") : GetDlgItem(requester, edt1);
                    return box != nullptr;
                },
                StepLimitMs);
            if (!Check(type(box), "type into the requester's file name box")) return false;
        }
        const WPARAM button = type ? IDOK : IDCANCEL;
        PostMessageA(requester, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(requester, static_cast<int>(button))));
        return Check(PollUntil([&] { return !IsWindow(requester); }, StepLimitMs),
                     "the file requester closes");
    }

    // Waits for the error box, checks its text and presses its OK.
    bool AnswerErrorBox(const std::string& wanted) const {
        HWND box = nullptr;
        PollUntil([&] { return (box = FindWindowOf(ErrorBoxTitle)) != nullptr; }, StepLimitMs);
        if (!Check(box != nullptr, "an error box titled \"Guru-Attack!\" appears")) return false;
        CheckText("error box text", MessageBoxText(box), wanted);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        return Check(PollUntil([&] { return !IsWindow(box); }, StepLimitMs),
                     "the error box closes");
    }

    // Waits until the values column differs from before and shows six
    // well-formed readings. Two passes may show the same text, so after the
    // limit the readings then shown are taken as they are (changed false).
    Readings NextReadings(const std::string& before, DWORD limitMs) const {
        Readings now;
        PollUntil(
            [&] {
                const std::string text = Text(ColumnValues);
                now = ParseReadings(text);
                now.changed = text != before;
                return now.valid && now.changed;
            },
            limitMs);
        return now;
    }

    // Watches the values column for a while, checking the order of every
    // text shown; the last well-formed readings.
    Readings WatchReadings(DWORD forMs) const {
        Readings last;
        std::string before;
        const ULONGLONG end = GetTickCount64() + forMs;
        while (GetTickCount64() < end) {
            const std::string text = Text(ColumnValues);
            if (text != before) {
                const Readings now = ParseReadings(text);
                if (now.valid) {
                    Check(Ordered(now), "minimum <= current <= maximum", Quoted(now.text));
                    last = now;
                }
                before = text;
            }
            Sleep(PollStepMs);
        }
        return last;
    }
};

// ---- Steps the scenarios share.

inline std::string RunFolder(const char* scenario) {
    const std::string folder = WindowsPath(E2E_RUN_DIR) + "\\" + scenario;
    CreateDirectoryA(WindowsPath(E2E_RUN_DIR).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA((folder + "\\Brenk.ini").c_str());
    return folder;
}

inline std::string UniqueToken(const char* scenario) {
    return std::string("brenk-e2e-") + scenario + "-" + std::to_string(GetCurrentProcessId()) +
           "-" + std::to_string(GetTickCount64());
}

inline std::string EnglishIni(int defaultInterval = 0) {
    return "[Global]\r\nLanguage=1\r\nDInterval=" + std::to_string(defaultInterval) + "\r\n";
}

inline void ClickArrow(HWND arrows, bool up) {
    RECT box{};
    GetClientRect(arrows, &box);
    // Up-down controls of the spin are vertical: the upper half raises.
    const LPARAM point = MAKELPARAM(box.right / 2, up ? box.bottom / 4 : box.bottom * 3 / 4);
    PostMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(arrows, WM_LBUTTONUP, 0, point);
}

// Opens a test program through the requester and types its command line.
inline bool OpenWithCommandLine(Brenk& brenk, const char* program, const std::string& commandLine) {
    if (!brenk.UseRequester(TestProgramPath(program).c_str()) || !brenk.WaitStatus(StatusOpened))
        return false;
    SetWindowTextTo(brenk.Control(FieldCommandLine), commandLine);
    return CheckText("command line typed", brenk.Text(FieldCommandLine), commandLine);
}

// Starts the chosen program and waits until it is monitored.
inline bool StartMonitoring(Brenk& brenk) {
    // The tool shows "Program started" and then "Program is running..."
    // without reading a message in between, so from outside the first is
    // seen only when the program cannot be watched (start_failure). What is
    // seen must keep the order: the status before, "Program started", then
    // "Program is running...", each at most once and nothing else.
    const std::vector<std::string> order = {brenk.Status(), StatusStarted, StatusRunning};
    if (!brenk.Click(ButtonStart)) return false;
    std::string seen;
    std::vector<std::string> statuses;
    PollUntil(
        [&] {
            seen = brenk.Status();
            if (statuses.empty() || statuses.back() != seen) statuses.push_back(seen);
            return seen == StatusRunning;
        },
        StepLimitMs);
    std::string shown;
    size_t next = 0;
    bool inOrder = true;
    for (const auto& status : statuses) {
        shown += Quoted(status) + " ";
        while (next < order.size() && order[next] != status)
            ++next;
        inOrder = inOrder && next < order.size();
        ++next;
    }
    Check(seen == StatusRunning && inOrder, "statuses on start in order", shown);
    return brenk.CheckEnabled("while monitoring", "000001");
}

// Scenarios that watch a running program (robot_watching.cpp).
int Burner();
int Memory();
int SelfEnding();
int CloseWhileMonitoring();
int ChurnThreads();
int SlowInterval();
