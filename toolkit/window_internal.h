// What the window unit and the control unit share inside the toolkit.
#pragma once

#include <windows.h>

#include "toolkit/events.h"

// Private messages of the toolkit's windows.
// A control event raised as a separate, later event: wParam control number,
// lParam type.
constexpr UINT MessageControlEvent = WM_APP + 0x310;
// Texts handed over by other threads wait for this window's thread.
constexpr UINT MessageHandOver = WM_APP + 0x311;

// The calling thread's event state, made on first use.
EventState& ThreadEvents();

// The calling thread's control container and its font; null when none.
HWND ContainerWindow();
HFONT ContainerFont();

// Gives the control the keyboard focus if it can take it (enabled, visible); in
// a window that is not active it takes the focus when the window is next
// activated. False when it cannot.
bool FocusChild(HWND control);

// Gives a toolkit window a new inner size, in 96-DPI units, kept exact at
// every scale from then on.
void SetInnerSize(HWND window, int32_t innerWidth, int32_t innerHeight);

// The keyboard table (Tab, Shift+Tab) of a toolkit window; null for any other.
HACCEL KeyboardTableOf(HWND window);

// Posts a control event that becomes pending when the window dispatches it.
void PostControlEvent(HWND control, int32_t number, int32_t type);

// Saves the pending control event and restores it on leaving scope, so that
// notifications raised by the program's own changes are dropped.
class KeepPendingEvent {
  public:
    KeepPendingEvent();
    ~KeepPendingEvent();
    KeepPendingEvent(const KeepPendingEvent&) = delete;
    KeepPendingEvent& operator=(const KeepPendingEvent&) = delete;

  private:
    int32_t pending;
    int32_t control;
    int32_t type;
};

// Implemented by the control unit, called by the window procedure.
// Handles notifications and colour requests of the window's controls; true
// when *result is the answer.
bool HandleControlMessage(HWND window, UINT message, WPARAM first, LPARAM second, LRESULT* result);
// Places every control of window again for the window's DPI, from the
// positions and sizes it was given, and gives it font.
void RescaleControlsOf(HWND window, HFONT font);
// A window that goes takes its controls with it in creation order, which
// would put a spin's text part before its arrows. The window's own last
// message but one, before any of its children's, destroys the arrows first,
// as DisposeControl does: they hook into the text part, and destroyed from the
// text part's last message they would be told to go a second time.
void DestroySpinArrowsOf(HWND window);
// Applies the texts handed over to window; true when there were any.
bool ApplyHandedOverTexts(HWND window);
// Forgets the texts handed over to a window that goes.
void DropHandedOverTexts(HWND window);
// Moves the keyboard focus to the next (or previous) child that takes it,
// as Tab (Shift+Tab) does in a dialog.
void MoveFocus(HWND topWindow, bool backwards);
// Whether control, a child of window, can hold the focus now.
bool CanTakeFocus(HWND window, HWND control);
// Implemented by the menu unit: a double-click or a command of an item added
// to the system menu raises its event; true when the message was one of them.
bool HandleClickOrMenu(HWND window, int32_t number, UINT message, WPARAM first, LPARAM second);
