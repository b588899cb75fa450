// The blocking wait for the events of the calling thread's windows, and the
// wait for a thread that keeps those windows served meanwhile.
#include "toolkit/window.h"
#include "toolkit/window_internal.h"

namespace {

// A rich-text editor that can be written to takes a plain Tab itself.
bool EditorTakesTab(const MSG& message) {
    if (message.wParam != VK_TAB) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0)
        return false;
    HWND focus = GetFocus();
    if (!focus) return false;
    char className[32] = {};
    GetClassNameA(focus, className, sizeof className);
    return _strnicmp(className, "RichEdit", 8) == 0 &&
           !(GetWindowLongA(focus, GWL_STYLE) & ES_READONLY);
}

void Dispatch(MSG& message) {
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        HWND active = GetActiveWindow();
        HACCEL keys = KeyboardTableOf(active);
        if (keys && !EditorTakesTab(message) && TranslateAcceleratorA(active, keys, &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

} // namespace

int32_t WaitEvent(int32_t timeoutMs) {
    EventState& events = ThreadEvents();
    events.BeginWait();
    int32_t code = events.TakeQueued();
    if (code != EventNone) return code;

    MSG message{};
    if (timeoutMs < 0) {
        if (GetMessageA(&message, nullptr, 0, 0) == -1) return EventNone;
    } else if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (timeoutMs == 0) return EventNone;
        // Sent messages are served inside this wait and the peek after it.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeoutMs), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return EventNone;
    }
    Dispatch(message);

    code = events.TakePending();
    if (code != EventNone) return code;
    // A close request posted by someone else, or a drop, has just queued the
    // toolkit's own event; handing back its raw number too (the same code)
    // would report it twice, the first time without its window.
    if (message.message == WM_CLOSE || message.message == WM_DROPFILES) {
        code = events.TakeQueued();
        if (code != EventNone) return code;
    }
    events.rawFirst = static_cast<int64_t>(message.wParam);
    events.rawSecond = static_cast<int64_t>(message.lParam);
    return static_cast<int32_t>(message.message);
}

int32_t LastEventType() {
    return ThreadEvents().lastType;
}

int32_t LastEventControl() {
    return ThreadEvents().lastControl;
}

int32_t LastEventWindow() {
    return ThreadEvents().lastWindow;
}

DWORD WaitForThreadPumping(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    bool quit = false;
    WPARAM quitCode = 0;
    DWORD woken = WAIT_FAILED;
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG spent = GetTickCount64() - start;
            remaining = spent >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - spent);
        }
        woken =
            MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1) break;
        if (remaining == 0) {
            woken = WAIT_TIMEOUT;
            break;
        }
        // Serve every waiting message, so that the wake-up is not repeated
        // for the same ones and handed-over texts reach the screen.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
            } else {
                Dispatch(message);
            }
        }
    }
    // A quit request belongs to the program's own loop.
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return woken;
}
