// Helpers for tests that drive the platform's dialogs from a second thread as a
// user would: find the dialog, read its boxes, type and press keys.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <string>

namespace drive {

// Polls until pred() holds or limitMs passes; true when it held.
template <typename Pred> bool PollUntil(Pred pred, DWORD limitMs = 10000) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!pred()) {
        if (GetTickCount64() > end) return false;
        Sleep(10);
    }
    return true;
}

inline std::string WindowText(HWND window) {
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// A visible dialog of this process with the given title, waited for.
inline HWND WaitForDialog(const char* title) {
    HWND dialog = nullptr;
    PollUntil([&] {
        dialog = FindWindowA("#32770", title);
        DWORD process = 0;
        if (dialog) GetWindowThreadProcessId(dialog, &process);
        return dialog && IsWindowVisible(dialog) && process == GetCurrentProcessId();
    });
    return dialog;
}

// A visible dialog owned by owner (an error box the owner raised), or null.
inline HWND OwnedDialogOf(HWND owner) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

inline HWND WaitForOwnedDialog(HWND owner, DWORD limitMs) {
    HWND found = nullptr;
    PollUntil([&] { return (found = OwnedDialogOf(owner)) != nullptr; }, limitMs);
    return found;
}

inline HWND FindDescendant(HWND parent, const char* className) {
    for (HWND child = FindWindowExA(parent, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(parent, child, nullptr, nullptr)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof(name));
        if (lstrcmpiA(name, className) == 0) return child;
        if (HWND inner = FindDescendant(child, className)) return inner;
    }
    return nullptr;
}

// The file-name box of an open-file dialog: the edit inside the name combo
// box, or the older plain edit.
inline HWND NameBox(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, cmb13)) {
        if (HWND edit = FindDescendant(combo, "Edit")) return edit;
    }
    return GetDlgItem(dialog, edt1);
}

// The requester is the wide dialog: its folder comes as UTF-16.
inline std::string FolderOf(HWND dialog) {
    wchar_t folder[MAX_PATH + 1] = {};
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH + 1, reinterpret_cast<LPARAM>(folder));
    char narrow[4 * MAX_PATH + 4] = {};
    WideCharToMultiByte(CP_ACP, 0, folder, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

inline void SendKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

inline void PressKey(WORD key) {
    SendKey(key, false);
    SendKey(key, true);
}

// Brings window to the foreground, as far as the window system allows.
inline bool MakeForeground(HWND window) {
    return PollUntil([&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
    });
}

// A real left click at a point in window's client area.
inline void ClickAt(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    const int width = GetSystemMetrics(SM_CXSCREEN) - 1;
    const int height = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT input[3]{};
    for (INPUT& i : input)
        i.type = INPUT_MOUSE;
    input[0].mi.dx = point.x * 65535 / width;
    input[0].mi.dy = point.y * 65535 / height;
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
}

// A real click in the middle of a child window.
inline void ClickCentreOf(HWND child) {
    RECT rect{};
    GetClientRect(child, &rect);
    ClickAt(child, rect.right / 2, rect.bottom / 2);
}

} // namespace drive
