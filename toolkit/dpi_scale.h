// Display-scale arithmetic. The toolkit's callers give every position and size
// in pixels of a 96-DPI display; the toolkit turns them into pixels of the
// display its window is on whenever a window or control is made or moved, or
// the window's DPI changes. Platform-neutral, so the rounding is tested natively.
#pragma once

#include <cstdint>

#include "toolkit/control_layout.h"

constexpr int32_t BaseDpi = 96;

// value * dpi / 96 rounded to the nearest pixel, halves away from zero (the
// platform's MulDiv rule). A dpi of 0 or less counts as 96, so at 96 DPI, or
// when the DPI cannot be read, every value stays exactly as given.
int32_t ScaleToDpi(int32_t value, int32_t dpi);

// The inverse: a value in pixels of dpi as a value at 96 DPI, rounded alike.
int32_t ScaleFromDpi(int32_t value, int32_t dpi);

// The rectangle's edges scaled, width and height taken between them: two
// rectangles that touch at 96 DPI touch at every scale, and each size is
// within one pixel of value * dpi / 96.
ControlRect ScaleRect(const ControlRect& rect, int32_t dpi);

// A font height (the platform's signed character or cell height) made for
// fromDpi, for a display of toDpi.
int32_t RescaleFontHeight(int32_t height, int32_t fromDpi, int32_t toDpi);
