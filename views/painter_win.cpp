#include "views/painter_win.h"

void Painter::Write(int32_t x, int32_t y, const Text& text, COLORREF colour, UINT align) const {
    // A new pass redraws a few strips only: a text wholly outside them
    // is not drawn at all (its width guessed on the wide side).
    const int32_t width = static_cast<int32_t>(text.size()) * widestChar;
    const int32_t left = (align & TA_CENTER) == TA_CENTER ? x - width / 2
                         : (align & TA_CENTER) == TA_RIGHT ? x - width
                                                           : x;
    const RECT box{left, y, left + width, y + lineHeight};
    if (!RectVisible(dc, &box)) return;
    SetTextColor(dc, colour);
    SetTextAlign(dc, align | TA_TOP);
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}
