#include "ui/win32/Controls.h"

#include <commctrl.h>

namespace kestrova {

HWND CreateChild(HWND parent, HINSTANCE instance, const char* className, const char* text,
                 DWORD style, DWORD exStyle, int id, RECT pixels, HFONT font) {
    HWND control =
        CreateWindowExA(exStyle, className, text, WS_CHILD | style, pixels.left, pixels.top,
                        pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HWND CreateTooltipControl(HWND owner, HINSTANCE instance) {
    return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                           nullptr, instance, nullptr);
}

void AddTooltip(HWND tooltip, HWND owner, HWND control, const char* text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

HFONT CreateMessageFont(LONG weight, int heightPercent, int dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTA font = metrics.lfMessageFont;
    font.lfWeight = weight;
    // The metrics are the system's, for its own dots per inch.
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi > 0 && systemDpi > 0) {
        font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi);
    }
    font.lfHeight = font.lfHeight * heightPercent / 100;
    return CreateFontIndirectA(&font);
}

}  // namespace kestrova
