#pragma once

#include <windows.h>

namespace kestrova {

// A child control at a position in pixels, with its id and font.
HWND CreateChild(HWND parent, HINSTANCE instance, const char* className, const char* text,
                 DWORD style, DWORD exStyle, int id, RECT pixels, HFONT font);

// A tooltip control for the controls of `owner`.
HWND CreateTooltipControl(HWND owner, HINSTANCE instance);

// Gives `control` (a child of `owner`) its tooltip text.
void AddTooltip(HWND tooltip, HWND owner, HWND control, const char* text);

// The system's message font, which the windows' controls use, for a screen
// of `dpi` dots per inch (0: the system's own).
HFONT CreateMessageFont(LONG weight = FW_NORMAL, int heightPercent = 100, int dpi = 0);

}  // namespace kestrova
