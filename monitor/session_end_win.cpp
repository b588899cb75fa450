// Logging off or shutting down. The system asks every top window whether the
// session may end and then tells it that it ends; the process may be gone as
// soon as that second message is answered, so Brenk leaves its program there
// and then, on the window's own thread, instead of through its event loop.
#include <windows.h>
#include <commctrl.h>

#include "monitor/monitor_win.h"
#include "toolkit/window.h"

namespace {

constexpr UINT_PTR SessionSubclass = 1;

LRESULT CALLBACK SessionMessages(HWND window, UINT message, WPARAM first, LPARAM second, UINT_PTR,
                                 DWORD_PTR) {
    // Brenk never holds the session up.
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION) {
        // Ended as Quit ends it, the log's summary line written; nobody is
        // left to read a message box.
        if (first) LeaveObservedProgram(false);
        return 0;
    }
    return DefSubclassProc(window, message, first, second);
}

} // namespace

void FollowSessionEnd() {
    SetWindowSubclass(WindowNativeHandle(MainWindow), SessionMessages, SessionSubclass, 0);
}
