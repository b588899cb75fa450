#include "toolkit/control_layout.h"

#include <algorithm>

#include "toolkit/controls.h"

SpinParts SplitSpin(int32_t x, int32_t y, int32_t width, int32_t height) {
    const int32_t arrows = height / 2;
    SpinParts parts;
    parts.text = {x, y, width - arrows, height};
    parts.arrows = {x + width - arrows, y, arrows, height};
    return parts;
}

SpinRange SpinRangeOf(int32_t minimum, int32_t maximum) {
    SpinRange range;
    range.minimum = static_cast<int16_t>(minimum);
    range.maximum = static_cast<int16_t>(maximum);
    // The position must always lie within the range, whichever way round it is given.
    const int32_t low = std::min(range.minimum, range.maximum);
    const int32_t high = std::max(range.minimum, range.maximum);
    range.start = std::clamp(0, low, high);
    return range;
}

namespace {
ColourChoice SetColours(int32_t text, int32_t background, int32_t backgroundWithout) {
    ColourChoice choice;
    choice.platform = false;
    choice.text = text;
    if (background != -1)
        choice.background = background;
    else
        choice.backgroundSystem = backgroundWithout;
    return choice;
}
} // namespace

ColourChoice ChooseColours(int32_t kind, bool enabled, int32_t text, int32_t background) {
    const bool anySet = text != -1 || background != -1;
    switch (kind) {
    case KindTextField:
        // A disabled field must look disabled whatever colours were set.
        if (!enabled || !anySet) return {};
        return SetColours(text, background, SystemButtonHighlight);
    case KindSpin:
        if (!enabled) return {};
        if (!anySet) {
            // Read-only, yet it should look editable.
            ColourChoice choice;
            choice.platform = false;
            choice.textSystem = SystemWindowText;
            choice.backgroundSystem = SystemButtonHighlight;
            return choice;
        }
        return SetColours(text, background, SystemButtonHighlight);
    case KindLabel:
        if (!anySet) return {};
        return SetColours(text, background, SystemButtonFace);
    default:
        return {};
    }
}
