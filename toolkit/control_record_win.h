// What the files of the control unit share: a control's record, the table of
// operations of its kind, and the few services of the core that the kinds and
// the hand-over of texts use.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "toolkit/brush_pool.h"
#include "toolkit/control_layout.h"
#include "toolkit/controls.h"

struct KindDescriptor;

struct ControlRecord {
    // Read by other threads handing over texts, so kept atomic.
    std::atomic<HWND> handle{nullptr};
    const KindDescriptor* kind = nullptr;
    int32_t tag = 0;
    int32_t textColour = DefaultColour;
    int32_t backColour = DefaultColour;
    HBRUSH brush = nullptr;
    HWND second = nullptr; // a spin's arrow part
    // Where the caller put the control, in 96-DPI units; the native parts lie
    // at this rectangle scaled to the window's DPI.
    ControlRect area{};

    void Reset() {
        handle = nullptr;
        kind = nullptr;
        tag = 0;
        textColour = DefaultColour;
        backColour = DefaultColour;
        brush = nullptr;
        second = nullptr;
        area = {};
    }
};

// The one table of operations of the toolkit: a row of slots per kind. An
// empty slot means the generic behaviour of the operation.
struct KindDescriptor {
    int32_t kind;
    int32_t size;
    bool (*HandleNotification)(int32_t number, ControlRecord& control, UINT message, WPARAM first,
                               LPARAM second, LRESULT* result);
    void (*Release)(ControlRecord& control);
    int32_t (*GetState)(ControlRecord& control);
    void (*SetState)(ControlRecord& control, int32_t value);
    Text (*GetText)(ControlRecord& control);
    void (*SetText)(ControlRecord& control, const char* text);
    // Places the native parts at a rectangle in the window's own pixels.
    void (*Resize)(ControlRecord& control, int32_t x, int32_t y, int32_t width, int32_t height);
    int32_t (*Width)(ControlRecord& control);
    void (*Hide)(ControlRecord& control, bool hide);
    int32_t (*GetAttribute)(ControlRecord& control, int32_t which);
    void (*SetAttribute)(ControlRecord& control, int32_t which, int32_t value);
    void (*SetColour)(ControlRecord& control, int32_t which, int32_t colour);
    int32_t (*GetColour)(ControlRecord& control, int32_t which);
};

// The shared background brushes: one per colour, counted by its users.
BrushPool& Brushes();

// The record of the live control under number, or null.
ControlRecord* LiveControl(int32_t number);

// Creates the native control in the thread's container and registers it under
// number, at area (in 96-DPI units) scaled to the container's DPI; the main
// part's handle, or null (the number then stays free).
HWND CreateControl(int32_t number, const char* className, const char* text, DWORD style,
                   DWORD extendedStyle, ControlRect area, const KindDescriptor* kind);

// The numbers of the live controls in window, in increasing order.
std::vector<int32_t> ControlNumbersOf(HWND window);

// Places the native parts at the control's area, scaled to its window's DPI.
void PlaceControl(ControlRecord& control);

// Sets the text on the thread that owns the control.
void SetTextHere(ControlRecord& control, const char* text);

// Outer width of a native window.
int32_t WindowWidth(HWND window);

// The window class of frames drawn only as an edge; true once it exists.
bool RegisterFrameClass();

// Called on a thread that does not own the control: the text is applied later
// by the window's own thread (ApplyHandedOverTexts).
void HandOver(HWND control, int32_t number, const char* text);

// Forgets a text handed over for the control that is not applied yet: a text
// set on the window's own thread is newer.
void CancelHandOver(HWND control, int32_t number);

// Forgets the texts handed over to the calling thread's windows.
void DropThreadHandedOverTexts();
