// Platform-neutral arithmetic and decisions of controls: the spin's two parts,
// its range, and which colours a control is drawn with.
#pragma once

#include <cstdint>

struct ControlRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const ControlRect&) const = default;
};

struct SpinParts {
    ControlRect text;
    ControlRect arrows;
};

// The text part keeps the width less half the height; the arrows take that
// half (rounded toward zero) at the right end.
SpinParts SplitSpin(int32_t x, int32_t y, int32_t width, int32_t height);

struct SpinRange {
    int32_t minimum;
    int32_t maximum;
    int32_t start; // the first position: 0, moved into the range
};

// The range as signed 16-bit values, and where the position starts.
SpinRange SpinRangeOf(int32_t minimum, int32_t maximum);

// The platform's system colour numbers the toolkit draws with.
constexpr int32_t SystemWindowText = 8;
constexpr int32_t SystemButtonFace = 15;
constexpr int32_t SystemButtonHighlight = 20;

// How a control is coloured when the platform asks. With platform set the
// toolkit leaves the colours to the platform; otherwise a text colour or text
// system colour (-1 each: leave the text colour alone) and a background
// colour (drawn with its shared brush) or background system colour.
struct ColourChoice {
    bool platform = true;
    int32_t text = -1;
    int32_t textSystem = -1;
    int32_t background = -1;
    int32_t backgroundSystem = -1;
    bool operator==(const ColourChoice&) const = default;
};

// kind is one of the Kind codes of controls.h; text and background are the
// colours set on the control (-1 = default).
ColourChoice ChooseColours(int32_t kind, bool enabled, int32_t text, int32_t background);
