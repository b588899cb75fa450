// Helpers for the toolkit's Windows tests: recording the event stream,
// comparing it with a table, and real keyboard and mouse input.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/window.h"

// One event as WaitEvent reported it. For EventControl, subject is the
// control number; for window events, the window number.
struct EventRow {
    int32_t code;
    int32_t subject;
    int32_t type;
    bool optional = false; // may or may not occur (the comment in the table says why)
};

std::string Describe(const std::vector<EventRow>& rows);

// Waits for events until none has come for quietMs (at most limitMs in all)
// and returns those with a toolkit code (raw message numbers are dropped).
std::vector<EventRow> CollectEvents(int32_t quietMs = 200, int32_t limitMs = 4000);

// Only the rows with the given code.
std::vector<EventRow> OnlyCode(const std::vector<EventRow>& rows, int32_t code);

// Whether actual matches expected, where optional expected rows may be absent.
bool MatchesTable(const std::vector<EventRow>& actual, const std::vector<EventRow>& expected);

// Keeps WaitEvent running (events discarded) until done() holds or limitMs pass.
bool PumpUntil(const std::function<bool()>& done, int32_t limitMs = 3000);

// Brings window to the foreground, as real input needs.
bool BringToFront(HWND window);

void PressKey(WORD key, bool shift = false, bool alt = false);
// Clicks at a screen point, then takes the pointer away to a screen corner.
void ClickAt(POINT screen);
void MovePointerTo(POINT screen);
// The centre of a window's rectangle, in screen coordinates; fraction moves
// the point down (0.25 = upper quarter, 0.75 = lower quarter).
POINT ScreenPointIn(HWND window, double fraction = 0.5);
// A screen point over the window's close box, found by hit-testing along its caption.
bool CloseBoxPoint(HWND window, POINT* point);
