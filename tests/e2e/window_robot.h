// Pieces shared by the robots that drive brenk.exe from outside through its
// window: a handle owner, bounded polls, and window lookups and texts sent
// with a time-out, so that a hung tool is reported instead of hanging a test.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

constexpr UINT RobotAnswerTimeoutMs = 5000;

struct Handle {
    HANDLE value = nullptr;
    Handle() = default;
    explicit Handle(HANDLE h) : value(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : value(other.value) { other.value = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            value = other.value;
            other.value = nullptr;
        }
        return *this;
    }
    ~Handle() { reset(); }
    void reset() {
        if (valid()) CloseHandle(value);
        value = nullptr;
    }
    bool valid() const { return value != nullptr && value != INVALID_HANDLE_VALUE; }
};

// Starts a program as the robots do. Under load Wine now and then fails a
// start with an internal error that the next attempt does not meet (brenk
// itself tries again for its programs); any other failure is final.
inline bool StartProcess(std::string commandLine, const char* folder, PROCESS_INFORMATION* info,
                         DWORD* error = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder, &startup, info))
            return true;
        const DWORD failed = GetLastError();
        if (error) *error = failed;
        if (attempt == 3 || failed != ERROR_INTERNAL_ERROR) return false;
    }
}

// Bounded poll: true as soon as the condition holds, false after the limit.
inline bool PollUntil(const std::function<bool()>& condition, DWORD limitMs, DWORD stepMs = 10) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(stepMs);
    }
}

inline bool SetWindowTextTo(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return window &&
           SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, RobotAnswerTimeoutMs, &result);
}

inline bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, RobotAnswerTimeoutMs,
                               &result) != 0;
}

inline std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// First visible top-level window of the process with the class (any when
// null) and title (any when null).
inline HWND FindTopWindow(DWORD processId, const char* className, const char* title) {
    struct Search {
        DWORD processId;
        const char* className;
        const char* title;
        HWND found;
    } search{processId, className, title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
            if (s->className && ClassOf(window) != s->className) return TRUE;
            char title[256] = {};
            GetWindowTextA(window, title, sizeof title);
            if (s->title && std::strcmp(title, s->title) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// When the process began, in the platform's file time; 0 when it is gone.
inline ULONGLONG CreationTime(DWORD id) {
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!process.valid() || !GetProcessTimes(process.value, &created, &ended, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Whether the process runs a program of the Windows system folder. Wine
// starts its own services there (the desktop, rpcss, plugplay...) on first
// use, as children of whichever program needed them; the programs a test
// hands brenk lie elsewhere. A process that cannot be asked counts as not.
inline bool RunsFromSystemFolder(DWORD id) {
    char system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    char image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!length || length >= MAX_PATH || !process.valid() ||
        !QueryFullProcessImageNameA(process.value, 0, image, &size))
        return false;
    return _strnicmp(image, system, length) == 0 && image[length] == '\\';
}

// The live processes that parent started. A process names its parent by
// number only, and Wine gives the number of a process that has ended to the
// next one at once: a process older than the parent was started by an
// earlier holder of the number, which may be one of Wine's own services.
inline std::vector<PROCESSENTRY32> ProcessesStartedBy(DWORD parent) {
    std::vector<PROCESSENTRY32> started;
    const ULONGLONG parentBegan = CreationTime(parent);
    if (!parentBegan) return started;
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.value, &entry); more;
         more = Process32Next(snapshot.value, &entry)) {
        if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) continue;
        const ULONGLONG began = CreationTime(entry.th32ProcessID);
        if (began && began >= parentBegan) started.push_back(entry);
    }
    return started;
}
