// The few drawing steps the history graph is made of, on one device context
// at one scale.
#pragma once

#include <windows.h>

#include <cstdint>

#include "services/text.h"
#include "views/paint_state_win.h"

// Draws on dc for a display of dpi, in the DC's font: lineHeight high, no
// character wider than widestChar.
struct Painter {
    HDC dc;
    int32_t dpi;
    int32_t lineHeight;
    int32_t widestChar;

    int32_t Scaled(int32_t value) const { return MulDiv(value, dpi, 96); }

    int32_t Width(const Text& text) const {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    // text at x, y (its top), aligned to x by align (TA_LEFT, TA_CENTER or
    // TA_RIGHT).
    void Write(int32_t x, int32_t y, const Text& text, COLORREF colour, UINT align) const;
};

// A rectangle filled, and one framed a pixel wide inside its edges, with a
// brush: the window system's own calls for these would make a console
// program load its window library for nothing but them.
inline void FillArea(HDC dc, const RECT& area, HBRUSH brush) {
    Selected chosen(dc, brush);
    PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, PATCOPY);
}

inline void FrameArea(HDC dc, const RECT& area, HBRUSH brush) {
    const int32_t width = area.right - area.left;
    const int32_t height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    Selected chosen(dc, brush);
    PatBlt(dc, area.left, area.top, width, 1, PATCOPY);
    PatBlt(dc, area.left, area.bottom - 1, width, 1, PATCOPY);
    PatBlt(dc, area.left, area.top, 1, height, PATCOPY);
    PatBlt(dc, area.right - 1, area.top, 1, height, PATCOPY);
}
