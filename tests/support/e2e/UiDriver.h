#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrova::e2e {

// Drives another program's windows the way a user does, from a test process
// in the same Wine prefix: finds windows by caption, clicks buttons, reads
// labels, list rows and message boxes, and closes windows.

// Polls `condition` until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Attaches the calling thread to the named desktop, so that windows on a Wine
// virtual desktop can be seen. True when attached (or already there).
bool AttachToDesktop(const char* name = "Default");

// The top-level windows of a process with the given caption (exact match),
// skipping tooltips and IME windows that share it.
std::vector<HWND> TopWindows(DWORD processId, const std::string& caption);
HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs,
                   bool mustBeVisible = true);

// Descendants of `parent` (children of children too).
HWND FindDescendant(HWND parent, const std::string& className, const std::string& text);
HWND FindDescendantById(HWND parent, int id);

std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
bool IsShown(HWND window);

// Posts a click; the target handles it on its own thread.
void Click(HWND button);
void PostClose(HWND window);

std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);
std::vector<std::string> ListBoxItems(HWND listBox);

struct ListViewRow {
    std::vector<std::string> columns;
    int image = -1;
    bool selected = false;
};
// Reads the rows of a list view in another process (its memory holds the
// request, since list-view messages are not marshalled between processes).
std::vector<ListViewRow> ListViewRows(HWND listView, int columnCount);
bool SelectListViewRow(HWND listView, int row);

struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    // The message box style's icon: 0 none, 16 critical, 48 exclamation,
    // 64 information (-1 when the icon could not be told).
    int iconStyle = 0;
};
// The first message box (dialog class) the process shows within the time.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs);
void DismissMessageBox(HWND box);

// Whether the notification area holds the icon with id 1 of `window`:
// changing nothing of an icon succeeds only when the icon is there.
bool HasTrayIcon(HWND window);

// A screenshot of the whole X display as a PNG (Unix path).
bool Screenshot(const std::string& unixPngPath);

}  // namespace kestrova::e2e
