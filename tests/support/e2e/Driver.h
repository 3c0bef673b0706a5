#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrova::e2e {

// Uses another program the way a user does: the mouse moves and clicks at a
// control's place on the screen and keys are pressed, both injected as
// hardware input (SendInput), so focus, the dialog keys and the controls' own
// notifications all take part. What the program shows is read back from
// outside (texts, list rows, the focused control). The test's process runs
// with UTF-8 as its code page, so every text here is UTF-8.

// Polls `condition` until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

// Attaches the calling thread to the desktop the program's windows are on.
bool AttachToDesktop();

// Top-level windows of a process with that caption (tooltips and IME windows
// that share it left out); the first visible one within the time.
std::vector<HWND> TopWindows(DWORD processId, const std::string& caption);
HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs = 30000);
HWND Control(HWND window, int id);
// A dialog of the process (a message box, the folder browser), or null.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs = 15000);

// Real input.
void ClickAt(POINT point, bool right = false);
void Click(HWND control);  // at its centre
void ClickRow(HWND listView, int row, int clicks = 1, bool right = false);
void ClickCloseBox(HWND window);                             // the close button of its title bar
void ChooseInDropDown(HWND combo, const std::string& item);  // opens it and clicks the item
// Keys: a virtual-key code, or a character ('a', '1'); with a modifier
// (VK_MENU, VK_SHIFT or VK_CONTROL) held.
void Key(WORD key, WORD modifier = 0);
void Keys(const std::string& characters);
// Points the shell's folder browser at a folder and, once the browser shows
// it selected, clicks OK.
bool ChooseInBrowser(HWND browser, const std::string& folder);

// Read-back.
std::string Text(HWND window);
int IdOf(HWND window);
// The control that has the keyboard focus in the window's thread.
HWND Focused(HWND window);
bool WaitForFocus(HWND window, int id);
// Whether a real click at the control's centre would reach it (nothing
// covers it and it and its containers are shown).
bool OnScreen(HWND control);
std::vector<std::string> ComboItems(HWND combo);
std::string ComboText(HWND combo);
struct Row {
    std::string letter;
    std::string folder;
    int image = -1;  // 0 the drive icon, 1 the red X
};
std::vector<Row> Rows(HWND listView);
// The text of a message box (its static text) and its buttons' captions.
std::string DialogText(HWND dialog);
// Whether the notification area holds the window's icon.
bool HasTrayIcon(HWND window);
// Where the window's icon sits in the notification area (it is the only one).
POINT TrayIconPoint();
// Sends WM_DPICHANGED as Windows sends it when a window moves to a screen of
// another scale, with the rectangle it suggests (placed in the window's
// process, as the message's pointer is not carried across).
void SendDpiChanged(HWND window, int dpi, const RECT& suggested);
// The colours of a rectangle of the screen, row by row.
std::vector<COLORREF> ScreenPixels(const RECT& rect);
// A picture of the whole screen.
bool Screenshot(const std::string& name);

}  // namespace kestrova::e2e
