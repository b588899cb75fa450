// What a paint sets on a device context, and gives back as it was when it
// ends.
#pragma once

#include <windows.h>

#include <cstdint>

#include "views/owned_gdi_win.h"

// Selects an object for a scope and puts the previous one back.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc, previous); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc;
    HGDIOBJ previous;
};

// The text modes and the pen's position a paint sets, given back as they
// were when it ends; a font it had to choose, too. Saving and restoring the
// whole DC instead would choose the DC's font again.
class TextModes {
  public:
    TextModes(HDC dc, int32_t dpi);
    // The font made here is deleted after this, once it is no longer selected.
    ~TextModes() {
        SetTextColor(dc, colour);
        SetTextAlign(dc, align);
        SetBkMode(dc, mode);
        MoveToEx(dc, position.x, position.y, nullptr);
        if (previous) SelectObject(dc, previous);
    }
    TextModes(const TextModes&) = delete;
    TextModes& operator=(const TextModes&) = delete;

  private:
    HDC dc;
    COLORREF colour;
    UINT align;
    int mode;
    POINT position{};
    OwnedGdi<HFONT> made;
    HGDIOBJ previous = nullptr;
};
