// A small driver of the real brenk.exe for the robots that start it in other
// ways (with a command line, with files dropped on it) or look at its layout:
// starts it, finds its window, reads controls, the status bar and the
// keyboard focus from outside, clicks, closes. Checks print one line each.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/e2e/window_robot.h"

namespace brenk_driver {

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

constexpr DWORD StepLimitMs = 15000;

inline int failures = 0;

inline bool Check(bool ok, const std::string& what, const std::string& detail = "") {
    std::printf("%s: %s%s%s\n", ok ? "ok" : "FAILED", what.c_str(), detail.empty() ? "" : " -- ",
                detail.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
    return ok;
}

inline bool CheckText(const std::string& what, const std::string& seen, const std::string& wanted) {
    return Check(seen == wanted, what, "saw \"" + seen + "\", wanted \"" + wanted + "\"");
}

inline std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

inline std::string TextOf(HWND window) {
    if (!window) return "<no window>";
    char text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, RobotAnswerTimeoutMs, &copied))
        return "<no answer>";
    return text;
}

// A folder of its own under the robots' run folder, without a Brenk.ini but
// for the English one given.
inline std::string EnglishRunFolder(const char* scenario) {
    const std::string root = WindowsPath(E2E_RUN_DIR);
    CreateDirectoryA(root.c_str(), nullptr);
    const std::string folder = root + "\\" + scenario;
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string ini = "[Global]\r\nLanguage=1\r\nDInterval=0\r\n";
    Handle file(CreateFileA((folder + "\\Brenk.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.value, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
    return folder;
}

struct Brenk {
    PROCESS_INFORMATION info{};
    HWND window = nullptr;

    Brenk() = default;
    Brenk(const Brenk&) = delete;
    Brenk& operator=(const Brenk&) = delete;
    // A failed check may leave the tool and its program running: end both.
    ~Brenk() {
        if (!info.hProcess) return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            for (DWORD child = Child(nullptr); child; child = Child(nullptr)) {
                Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child));
                if (!process.valid()) break;
                TerminateProcess(process.value, 1);
                WaitForSingleObject(process.value, StepLimitMs);
            }
            TerminateProcess(info.hProcess, 1);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }

    // Starts brenk.exe in folder with the arguments after its own name, and
    // waits for its window and the system line, the last thing start-up shows.
    bool Start(const std::string& folder, const std::string& arguments = "") {
        std::string command = "\"" + WindowsPath(BRENK_EXE) + "\"";
        if (!arguments.empty()) command += " " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!Check(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  folder.c_str(), &startup, &info) != 0,
                   "brenk.exe starts", command))
            return false;
        const bool shown = PollUntil(
            [&] {
                window = FindTopWindow(info.dwProcessId, nullptr, "Brenk v0.1b");
                const HWND line = window ? Control(TextSystemInfo) : nullptr;
                return line && !TextOf(line).empty();
            },
            StepLimitMs);
        return Check(shown, "the window appears with its system line");
    }

    HWND Control(int number) const { return GetDlgItem(window, number); }
    std::string Text(int number) const { return TextOf(Control(number)); }
    std::string Status() const {
        return TextOf(FindWindowExA(window, nullptr, "msctls_statusbar32", nullptr));
    }
    bool Click(int number) const { return PostMessageA(Control(number), BM_CLICK, 0, 0) != 0; }

    // The enabled states of FieldProgramName .. ButtonQuit, as a row of 0/1.
    std::string EnabledRow() const {
        std::string row;
        for (int control = FieldProgramName; control <= ButtonQuit; ++control)
            row += IsWindowEnabled(Control(control)) ? '1' : '0';
        return row;
    }

    bool WaitStatus(const std::string& wanted) const {
        std::string seen;
        PollUntil([&] { return (seen = Status()) == wanted; }, StepLimitMs);
        return CheckText("status bar", seen, wanted);
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
        return Check(seen == control && IsWindowEnabled(Control(control)),
                     "the focus is on control " + std::to_string(control) + " " + when,
                     "it is on " + std::to_string(seen));
    }

    // A child of brenk.exe with the file name (any when null); 0 when none.
    DWORD Child(const char* exeName) const {
        Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.value, &entry); more;
             more = Process32Next(snapshot.value, &entry)) {
            if (entry.th32ParentProcessID == info.dwProcessId &&
                (!exeName || _stricmp(entry.szExeFile, exeName) == 0))
                return entry.th32ProcessID;
        }
        return 0;
    }

    bool Close() {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return Check(WaitForSingleObject(info.hProcess, StepLimitMs) == WAIT_OBJECT_0,
                     "brenk.exe ends after the close request");
    }
};

} // namespace brenk_driver
