// Numbered controls inside the windows of window.h: frames, labels, one-line
// text fields, spins (text part + arrow part) and push buttons. Every
// operation on a number that names no control does nothing and returns 0 (an
// empty text for GetControlText).
#pragma once

#include <cstdint>
#include <vector>

#include "services/text.h"

// NewFrame kinds; any other value draws a flat one-pixel border.
constexpr int32_t FrameGroup = 0;
constexpr int32_t FrameSunkenDouble = 1;
constexpr int32_t FrameSunkenThin = 2;
constexpr int32_t FrameFlat = 3;

// NewLabel flags.
constexpr int32_t LabelLeft = 0;
constexpr int32_t LabelCentred = 1;
constexpr int32_t LabelRight = 2;
constexpr int32_t LabelSunken = 0x20000;

// NewTextField flags.
constexpr int32_t FieldReadOnly = 0x800;
constexpr int32_t FieldNoBorder = 0x20000;

// NewSpin flags.
constexpr int32_t SpinReadOnly = 1;
constexpr int32_t SpinShowsPosition = 2;

// SetControlColour: which colour; -1 as colour returns to the default.
constexpr int32_t ColourText = 1;
constexpr int32_t ColourBackground = 2;
constexpr int32_t DefaultColour = -1;

// ControlAttribute / SetControlAttribute on a spin: its range.
constexpr int32_t SpinMinimum = 1;
constexpr int32_t SpinMaximum = 2;

// Kind codes.
constexpr int32_t KindButton = 1;
constexpr int32_t KindTextField = 2;
constexpr int32_t KindLabel = 3;
constexpr int32_t KindFrame = 7;
constexpr int32_t KindSpin = 26;

#ifdef _WIN32
#include <windows.h>

// Once at start-up.
void InitControlSystem();
// At shut-down, before the windows are closed.
void EndControlSystem();

// Each New... creates the control as a child of the calling thread's current
// container window (window.h), replacing a control that held the number; its
// native identifier is the number. Native handle, 0 on failure (the number is
// then free). Coordinates are inside the container's client area.
HWND NewFrame(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, const char* text,
              int32_t kind);
HWND NewLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, const char* text,
              int32_t flags);
HWND NewTextField(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                  const char* text, int32_t flags);
// Range taken as signed 16-bit values; the position starts at 0 within it.
// Returns the handle of the text part.
HWND NewSpin(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
             int32_t maximum, int32_t flags);
HWND NewButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               const char* text, int32_t flags);

// Sets the text. May be called from any thread: from a thread other than the
// window's, the text is handed over and applied by the window's own thread,
// whose WaitEvent then returns at least once (EventRepaint for the window).
// On a spin it raises no event.
void SetControlText(int32_t number, const char* text);
Text GetControlText(int32_t number);

// Spin: position (low 16 bits); button: check state; others 0.
int32_t ControlState(int32_t number);
// Spin: sets the position without raising an event; button: check state.
void SetControlState(int32_t number, int32_t value);

void SetControlTag(int32_t number, int32_t tag);
// The tag, 0 when never set.
int32_t ControlTag(int32_t number);

// flag not 0 disables, 0 enables.
void DisableControl(int32_t number, int32_t flag);

// Gives the control the keyboard focus, so that keys reach it at once; in a
// window that is not active, when the window is next activated. False when the
// control cannot take it (disabled, hidden, or no such control).
bool FocusControl(int32_t number);

// which: ColourText or ColourBackground; colour 0x00BBGGRR or DefaultColour.
void SetControlColour(int32_t number, int32_t which, int32_t colour);

// The colour set with SetControlColour (DefaultColour when none); 0 for
// kinds without colours.
int32_t ControlColour(int32_t number, int32_t which);

// Moves and sizes the control (a spin places both parts; a frame also has the
// window repaint what lies under its new rectangle).
void ResizeControl(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height);
// Outer width (a spin: both parts together).
int32_t ControlWidth(int32_t number);
// flag not 0 hides, 0 shows (a spin: both parts).
void HideControl(int32_t number, int32_t flag);

// Spin range (SpinMinimum, SpinMaximum); 0 for other kinds. Setting keeps the
// position within the new range.
int32_t ControlAttribute(int32_t number, int32_t which);
void SetControlAttribute(int32_t number, int32_t which, int32_t value);

void DisposeControl(int32_t number);

// A text a control will show later, wider than the one it has now.
struct TextSample {
    int32_t control;
    const char* text;
};

// Widens the controls of the calling thread's container whose text, or the
// sample given for them, does not fit them in their font, moving what lies
// right of or below them and growing the window (text_fit.h); the window also
// grows when its status bar would lie over a control. Nothing moves when
// everything fits. Returns whether anything moved.
bool FitControlsToTexts(const std::vector<TextSample>& samples);

// Native handle of the control's main part, 0 if the number names none.
HWND ControlNativeHandle(int32_t number);
// Native handle of a spin's arrow part, 0 otherwise.
HWND ControlArrowHandle(int32_t number);

// Counts for leak checks: live control records, shared brushes and the users
// of all shared brushes together.
int32_t LiveControlRecords();
int32_t SharedBrushCount();
int32_t SharedBrushUsers();
#endif
