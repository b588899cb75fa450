// Tooltips over controls: a text that shows while the mouse rests over the
// control's rectangle. One tooltip per control number; calls from the
// control's own thread only.
#pragma once

#include <cstdint>

#include "services/text.h"

#ifdef _WIN32
#include <windows.h>

// Gives the control a tooltip with the text (replacing one it had). The tip
// covers the control's rectangle in its container, so it shows over the
// controls laid on top of it as well. False when the control is unknown or
// the tooltip cannot be made. The tooltip goes with the container window.
bool AttachTooltip(int32_t control, const char* text);

// Moves the areas of the tooltips over the container's controls to where the
// controls now lie, and scales their width for the container's DPI: after a
// change of scale or of the layout.
void MoveTooltipsOf(HWND container);

// Sets the text of the control's tooltip; lines are separated by "\r\n".
// Nothing happens for a control without a tooltip.
void SetTooltipText(int32_t control, const char* text);
#endif
