// Platform-neutral widening of a window's layout so that every text fits.
// The layout is given in 96-DPI units; what each control needs is measured in
// pixels of the window's display in the font the controls really have. A
// control too narrow (or too low) for its text is widened by what is missing,
// and everything at or beyond its right (lower) edge moves by the same amount,
// the window included: a space is put into the layout along that edge, so
// controls that touched still touch and none comes to lie over another.
// Nothing moves when every text fits.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/control_layout.h"

struct TextNeed {
    ControlRect area;   // where the control lies, in 96-DPI units
    int32_t width = 0;  // pixels its content needs at the window's DPI; 0: none
    int32_t height = 0;
};

struct FittedLayout {
    std::vector<ControlRect> areas; // in the order of the needs
    int32_t innerWidth = 0;         // the window's inner size, 96-DPI units
    int32_t innerHeight = 0;
    bool widened = false;           // false: everything exactly as given
};

FittedLayout FitLayoutToTexts(const std::vector<TextNeed>& needs, int32_t innerWidth,
                              int32_t innerHeight, int32_t dpi);
