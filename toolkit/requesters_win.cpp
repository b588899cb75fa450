// The open-file requester and the message box on the platform's standard
// dialogs, and the suspension of the calling thread's other windows while one
// of them is up.
#include "toolkit/requesters.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <mutex>
#include <utility>
#include <vector>

#include "services/libraries.h"
#include "services/lock.h"
#include "services/shell_objects.h"

namespace {

struct SuspendedWindow {
    DWORD thread;
    HWND window;
};

Lock SuspendedLock; // guards SuspendedWindows; never held while a window is touched
std::vector<SuspendedWindow> SuspendedWindows; // newest first

// The pattern the user last chose (1-based as the platform counts), kept
// between calls of this thread; 0 = none.
thread_local DWORD LastPatternChosen = 0;

// Whether this thread has prepared what the open-file dialog needs.
thread_local bool DialogReady = false;

BOOL CALLBACK CollectSuspendable(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && IsWindowEnabled(window) && window != GetForegroundWindow()) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

// The first of the thread's windows a requester may belong to: shown and
// owned by no other window (a tooltip is owned by the window it serves).
BOOL CALLBACK TakeOwnerWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The dialog's library is loaded when the first dialog opens, not at
// start-up: the first screen does not need it, and under Wine loading it
// took a fifth of the start.
// The wide dialog: the ANSI one may convert the name the user chose through
// another code page than the process's own, and lose what that one lacks.
using OpenFileFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

OpenFileFunction PrepareFileDialog() {
    static const auto openFile =
        reinterpret_cast<OpenFileFunction>(SystemLibraryFunction("comdlg32.dll", "GetOpenFileNameW"));
    if (!DialogReady) {
        DialogReady = true;
        INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        // The dialog browses through the shell's component objects.
        PrepareShellObjects();
    }
    return openFile;
}

// The process's text (zeros inside kept) in UTF-16, and back.
std::wstring Wide(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                          wide.data(), static_cast<int>(wide.size()));
    wide.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return wide;
}

Text Narrow(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    Text text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

} // namespace

HWND DialogOwner() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    if (process == GetCurrentProcessId()) return foreground;
    // Another program holds the foreground (the file manager a file was
    // dropped from): the box still belongs to this thread's window, or it
    // could open behind that program while the window takes no input.
    HWND own = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeOwnerWindow, reinterpret_cast<LPARAM>(&own));
    return own;
}

void SuspendOtherWindows() {
    // The thread's top-level windows are exactly the desktop's top-level
    // windows that belong to this thread.
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectSuspendable, reinterpret_cast<LPARAM>(&found));
    const DWORD thread = GetCurrentThreadId();
    // The requester's owner is disabled by the dialog itself and made active
    // again when it closes, which a window still disabled here would refuse.
    const HWND owner = DialogOwner();
    for (HWND window : found) {
        if (window == owner) continue;
        EnableWindow(window, FALSE);
        std::lock_guard<Lock> lock(SuspendedLock);
        SuspendedWindows.insert(SuspendedWindows.begin(), SuspendedWindow{thread, window});
    }
}

void ResumeOtherWindows() {
    const DWORD thread = GetCurrentThreadId();
    std::vector<HWND> mine;
    {
        std::lock_guard<Lock> lock(SuspendedLock);
        std::erase_if(SuspendedWindows, [&](const SuspendedWindow& entry) {
            if (entry.thread != thread) return false;
            mine.push_back(entry.window);
            return true;
        });
    }
    for (HWND window : mine)
        EnableWindow(window, TRUE);
}

int32_t SuspendedWindowCount() {
    std::lock_guard<Lock> lock(SuspendedLock);
    return static_cast<int32_t>(SuspendedWindows.size());
}

Text ChooseFileToOpen(const char* title, const char* defaultFile, const char* patterns,
                      int32_t position) {
    LastPatternChosen = 0;
    wchar_t path[RequesterPathRoom] = {};
    const std::wstring list = Wide(NativePatternList(patterns));
    const RequesterStart start = RequesterStartOf(defaultFile);
    // A valid name longer than the buffer cannot be prefilled whole; cut it so
    // that the terminator stays inside.
    const std::wstring name = Wide(start.name);
    std::wmemcpy(path, name.data(), std::min<size_t>(name.size(), RequesterPathRoom - 1));
    const std::wstring directory = Wide(start.directory);
    const std::wstring caption = Wide(TextView(title));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = DialogOwner();
    dialog.lpstrFilter = list.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(position) + 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = RequesterPathRoom;
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
    // The typed directory must exist, the file need not; the process's current
    // directory stays where it was; no read-only box; no default extension.
    // A shortcut comes back as itself, not as its target: the caller reads
    // its arguments too.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                   OFN_NODEREFERENCELINKS;

    const OpenFileFunction openFile = PrepareFileDialog();
    if (!openFile) return Text();
    SuspendOtherWindows();
    const BOOL chosen = openFile(&dialog);
    ResumeOtherWindows();
    if (!chosen) return Text();
    LastPatternChosen = dialog.nFilterIndex;
    path[RequesterPathRoom - 1] = L'\0';
    return Narrow(path);
}

int32_t ShowMessageBox(const char* title, const char* text) {
    SuspendOtherWindows();
    // In front of whatever program holds the foreground, as the window
    // waits for it.
    const int result = MessageBoxA(DialogOwner(), TextView(text).data(), TextView(title).data(),
                                   MB_OK | MB_SETFOREGROUND);
    ResumeOtherWindows();
    return result;
}
