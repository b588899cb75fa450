#include "views/paint_state_win.h"

#include <cstring>

#include "views/history_paint_win.h"

namespace {

LOGFONTA GraphFont(int32_t dpi) {
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -MulDiv(8, dpi, 72);
    font.lfWidth = 0;
    return font;
}

// Whether the DC's font is already the one wanted: a kept picture holds the
// graph's font, and choosing a font is what a pass would cost most under
// Wine (the display driver looks up its settings again at every choice).
bool HoldsFont(HDC dc, const LOGFONTA& wanted) {
    LOGFONTA held{};
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    return font && GetObjectA(font, sizeof held, &held) == sizeof held &&
           held.lfHeight == wanted.lfHeight && held.lfWidth == wanted.lfWidth &&
           held.lfWeight == wanted.lfWeight && held.lfItalic == wanted.lfItalic &&
           held.lfCharSet == wanted.lfCharSet && held.lfQuality == wanted.lfQuality &&
           std::strcmp(held.lfFaceName, wanted.lfFaceName) == 0;
}

} // namespace

TextModes::TextModes(HDC dc, int32_t dpi)
    : dc(dc), colour(GetTextColor(dc)), align(GetTextAlign(dc)), mode(GetBkMode(dc)) {
    GetCurrentPositionEx(dc, &position);
    const LOGFONTA wanted = GraphFont(dpi);
    if (HoldsFont(dc, wanted)) return;
    made.reset(CreateFontIndirectA(&wanted));
    if (made.valid()) previous = SelectObject(dc, made.get());
}

HFONT MakeHistoryFont(int32_t dpi) {
    const LOGFONTA font = GraphFont(dpi > 0 ? dpi : 96);
    return CreateFontIndirectA(&font);
}
