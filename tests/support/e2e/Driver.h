#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrova::e2e {

// Uses another program as a user does, by clicks and keys injected with SendInput (so that focus,
// dialog keys and notifications take part), and reads back what it shows. Every text is UTF-8.

// Polls `condition` until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 15000);
// Attaches the calling thread to the desktop the program's windows are on.
bool AttachToDesktop();

// A process's top-level window with that caption (a shown one unless `shown` is false); a control.
HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs = 30000,
                   bool shown = true);
HWND Control(HWND window, int id);
RECT Place(HWND window);  // on the screen
// A dialog of the process (a message box, the folder browser), or null.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs = 15000);

// Real input. A key is a virtual-key code or a capital letter, with `modifier` (VK_MENU...) held.
void ClickAt(POINT point, bool right = false);
void Click(HWND control);  // at its centre
void ClickRow(HWND listView, int row, int clicks = 1, bool right = false);
void ClickCloseBox(HWND window);                             // of its title bar
void ChooseInDropDown(HWND combo, const std::string& item);  // opens it and clicks the item
void Key(WORD key, WORD modifier = 0);
// Points the shell's folder browser at a folder and clicks OK once it shows it selected.
bool ChooseInBrowser(HWND browser, const std::string& folder);

// Read-back.
std::string Text(HWND window);  // of a drop-down list: the chosen item
HWND Focused(HWND window);      // the control with the focus in the window's thread
bool WaitForFocus(HWND window, int id);
// Whether a real click at the control's centre reaches it (shown, and nothing covers it).
bool OnScreen(HWND control);
std::vector<std::string> ComboItems(HWND combo);
struct Row {
    std::string letter, folder;
    int image = -1;  // 0 the drive icon, 1 the red X
};
std::vector<Row> Rows(HWND listView);
std::string DialogText(HWND dialog);  // a message box's text
bool HasTrayIcon(HWND window);        // in the notification area
POINT TrayIconPoint();                // the only icon there
// WM_DPICHANGED as Windows sends it when a window moves to a screen of another scale.
void SendDpiChanged(HWND window, int dpi, const RECT& suggested);
std::vector<COLORREF> ScreenPixels(const RECT& rect);  // row by row
bool Screenshot(const std::string& name);              // of the whole screen

}  // namespace kestrova::e2e
