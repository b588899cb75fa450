// Numbered top-level windows and the blocking event wait. Each thread that
// opens windows reads their events with WaitEvent; codes and types in events.h.
#pragma once

#include <cstdint>

#include "services/text.h"
#include "toolkit/events.h"

// NewWindow flags. Bits not listed among the toolkit's own (centring, no
// container, hidden) are window-style bits of the platform.
constexpr int32_t WindowCentreOnScreen = 0x1;
constexpr int32_t WindowCentreOnActive = 0x2;
constexpr int32_t WindowNoContainer = 0x8;
constexpr int32_t WindowHidden = 0x10000000;
constexpr int32_t WindowMaximised = 0x1000000;
constexpr int32_t WindowMinimised = 0x20000000;
constexpr int32_t WindowTitleBar = 0xC00000;
constexpr int32_t WindowSystemMenu = 0x80000;
constexpr int32_t WindowMinimiseBox = 0x20000;

// x or y with this value (and no centring flag): the platform's default position.
constexpr int32_t DefaultPosition = -65535;

#ifdef _WIN32
#include <windows.h>

// Once at start-up, before any other window operation.
void InitWindowSystem();

// Opens window number at outer top-left (x, y) with the given inner size,
// replacing a window that held the number. Native handle, 0 on failure (the
// number is then free). Unless WindowNoContainer, the window receives the
// controls this thread creates next.
HWND NewWindow(int32_t number, int32_t x, int32_t y, int32_t innerWidth, int32_t innerHeight,
               const char* title, int32_t flags);

// Native handle of window number, 0 if the number names no window.
HWND WindowNativeHandle(int32_t number);

// Number of the toolkit window with this native handle, -1 if none.
int32_t WindowNumberOf(HWND window);

// Destroys the window with its controls and frees the number.
void DisposeWindow(int32_t number);

// Disposes of every window, in number order.
void EndWindowSystem();

// Waits for the next event of this thread's windows. timeoutMs -1 waits without
// limit; 0 returns at once. Returns an event code (EventControl,
// EventCloseWindow, ...), or the number of a native message that raised no
// event, or EventNone when the limit passed.
int32_t WaitEvent(int32_t timeoutMs);

// Type of the event last returned by WaitEvent, TypeNone if it has none.
int32_t LastEventType();
// Control number of the last control event.
int32_t LastEventControl();
// Window number of the last window event.
int32_t LastEventWindow();

// Waits for a thread (or any waitable handle) to be signalled while this
// thread's messages keep flowing, so that windows stay painted and texts
// handed over by the thread waited for are applied. Events raised meanwhile are
// kept for the next WaitEvent. WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitForThreadPumping(HANDLE handle, DWORD timeoutMs);

// flag not 0: files dropped on the window raise EventFilesDropped; 0: the
// window refuses them again.
void AcceptFileDrops(int32_t number, int32_t flag);
// The first file of the last drop on one of this thread's windows (a full
// path), empty before any.
Text DroppedFileName();

// Screen position of the last double-click (EventDoubleClick) on one of this
// thread's windows, the labels and frames on it included: they let the mouse
// through to the window.
POINT LastClickPoint();

// Appends an item below a separator to the window's system menu (the title
// bar's menu and Alt+Space). command: a multiple of 16 from 16 to 0xEFF0.
// Choosing the item raises EventMenuCommand; LastMenuCommand then names it.
bool AddSystemMenuItem(int32_t number, int32_t command, const char* text);
int32_t LastMenuCommand();

// Live window records, for leak checks.
int32_t LiveWindowRecords();
#endif
