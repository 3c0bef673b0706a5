#pragma once

#include <windows.h>

namespace kestrova {

// A tooltip control for the controls of `owner`.
HWND CreateTooltipControl(HWND owner, HINSTANCE instance);

// Gives `control` (a child of `owner`) its tooltip text.
void AddTooltip(HWND tooltip, HWND owner, HWND control, const char* text);

// The system's message font, which the windows' controls use.
HFONT CreateMessageFont(LONG weight = FW_NORMAL, int heightPercent = 100);

}  // namespace kestrova
