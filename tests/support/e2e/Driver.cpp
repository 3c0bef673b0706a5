#include "tests/support/e2e/Driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "tests/support/e2e/Program.h"

namespace kestrova::e2e {

RECT Place(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

namespace {

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)
               ? static_cast<LRESULT>(result)
               : -1;
}

std::string Utf8(const std::wstring& wide) {
    char text[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// Memory in the window's process, for the messages whose pointers do not cross processes.
class Remote {
  public:
    Remote(HWND window, SIZE_T size)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               ProcessOf(window))),
          base_(static_cast<char*>(
              VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE))) {}
    ~Remote() { VirtualFreeEx(process_.Get(), base_, 0, MEM_RELEASE); }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    LPARAM At(SIZE_T offset = 0) const { return reinterpret_cast<LPARAM>(base_ + offset); }
    void Put(const void* data, SIZE_T size, SIZE_T offset = 0) {
        WriteProcessMemory(process_.Get(), base_ + offset, data, size, nullptr);
    }
    void Get(void* data, SIZE_T size, SIZE_T offset = 0) {
        ReadProcessMemory(process_.Get(), base_ + offset, data, size, nullptr);
    }

  private:
    UniqueHandle process_;
    char* base_;
};

// Every window inside `parent`, or every top-level window when it is null.
std::vector<HWND> WindowsIn(HWND parent) {
    std::vector<HWND> found;
    const WNDENUMPROC add = [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    };
    const auto list = reinterpret_cast<LPARAM>(&found);
    parent != nullptr ? EnumChildWindows(parent, add, list) : EnumWindows(add, list);
    return found;
}

// The last top-level window of the process that `wanted` picks, once there is one.
HWND WaitForTop(DWORD processId, const std::function<bool(HWND)>& wanted, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : WindowsIn(nullptr)) {
                found = ProcessOf(window) == processId && wanted(window) ? window : found;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

POINT CentreOf(HWND window) {
    const RECT rect = Place(window);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    const bool extended = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_DELETE;
    input.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(25)) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
    }
    return true;
}

bool AttachToDesktop() {
    HDESK desktop = OpenDesktopA("Default", 0, FALSE, GENERIC_ALL);
    return desktop != nullptr && SetThreadDesktop(desktop) != 0;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs, bool shown) {
    const auto wanted = [&](HWND window) {  // not one of the tooltip and IME windows sharing it
        const std::string className = ClassOf(window);
        return (!shown || IsWindowVisible(window)) && className != TOOLTIPS_CLASSA &&
               className != "IME" && Text(window) == caption;
    };
    return WaitForTop(processId, wanted, timeoutMs);
}

HWND Control(HWND window, int id) {
    const std::vector<HWND> all = WindowsIn(window);
    const auto found =
        std::find_if(all.begin(), all.end(), [&](HWND c) { return GetDlgCtrlID(c) == id; });
    return found != all.end() ? *found : nullptr;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    const auto dialog = [](HWND w) { return IsWindowVisible(w) && ClassOf(w) == "#32770"; };
    return WaitForTop(processId, dialog, timeoutMs);
}

void ClickAt(POINT point, bool right) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx =
        (point.x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy =
        (point.y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT inputs[3] = {input, input, input};
    inputs[1].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

void Click(HWND control) {
    ClickAt(CentreOf(control));
}

void ClickRow(HWND listView, int row, int clicks, bool right) {
    Remote remote(listView, sizeof(RECT));
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    remote.Put(&rect, sizeof rect);
    Ask(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row), remote.At());
    remote.Get(&rect, sizeof rect);
    POINT point{rect.left + 20, (rect.top + rect.bottom) / 2};
    ClientToScreen(listView, &point);
    for (int i = 0; i < clicks; ++i) {
        ClickAt(point, right);
    }
}

void ClickCloseBox(HWND window) {
    const RECT rect = Place(window);
    ClickAt({rect.right - GetSystemMetrics(SM_CXFIXEDFRAME) - GetSystemMetrics(SM_CXSIZE) / 2,
             rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYSIZE) / 2});
}

void ChooseInDropDown(HWND combo, const std::string& item) {
    const std::vector<std::string> items = ComboItems(combo);
    const auto index = std::find(items.begin(), items.end(), item) - items.begin();
    Click(combo);
    HWND list = nullptr;
    WaitUntil([&] { return IsWindowVisible(list = FindWindowA("ComboLBox", nullptr)) != FALSE; });
    const LRESULT height = Ask(list, LB_GETITEMHEIGHT);
    POINT point{4, static_cast<LONG>((index - Ask(list, LB_GETTOPINDEX)) * height + height / 2)};
    ClientToScreen(list, &point);
    ClickAt(point);
}

void Key(WORD key, WORD modifier) {
    INPUT inputs[] = {KeyInput(modifier, false), KeyInput(key, false), KeyInput(key, true),
                      KeyInput(modifier, true)};
    const bool alone = modifier == 0;  // then only the key's own press and release are sent
    SendInput(alone ? 2 : 4, alone ? inputs + 1 : inputs, sizeof(INPUT));
}

bool ChooseInBrowser(HWND browser, const std::string& folder) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, folder.c_str(), -1, wide, MAX_PATH);
    Remote remote(browser, 2 * sizeof wide + sizeof(TVITEMW));
    remote.Put(wide, sizeof wide);
    const std::wstring name = std::wstring(wide).substr(std::wstring(wide).find_last_of(L'\\') + 1);
    // The tree fills itself after the browser shows: the folder is asked for until it is selected.
    const auto selected = [&] {
        HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET));
        item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof wide + sizeof item));
        item.cchTextMax = MAX_PATH;
        remote.Put(&item, sizeof item, sizeof wide);
        Ask(tree, TVM_GETITEMW, 0, remote.At(sizeof wide));
        std::wstring text(MAX_PATH, L'\0');
        remote.Get(text.data(), sizeof wide, sizeof wide + sizeof item);
        return std::wcscmp(text.c_str(), name.c_str()) == 0;
    };
    const bool chosen =
        browser != nullptr &&
        WaitUntil(
            [&] { return Ask(browser, BFFM_SETSELECTIONW, TRUE, remote.At()) != -1 && selected(); },
            30000);
    if (chosen) {
        Click(GetDlgItem(browser, IDOK));
    }
    return chosen;
}

std::string Text(HWND window) {
    std::wstring text(1024, L'\0');
    Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return Utf8(text);
}

HWND Focused(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool WaitForFocus(HWND window, int id) {
    return WaitUntil([&] { return GetDlgCtrlID(Focused(window)) == id; }, 5000);
}

bool OnScreen(HWND control) {
    // Down from the window through the topmost shown child under the control's centre; a group
    // box frames its place rather than covering it.
    const POINT centre = CentreOf(control);
    HWND under = GetAncestor(control, GA_ROOT);
    while (under != nullptr && under != control) {
        HWND child = GetWindow(under, GW_CHILD);
        for (; child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            const RECT place = Place(child);
            const bool groupBox = ClassOf(child) == "Button" &&
                                  (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            if (IsWindowVisible(child) && PtInRect(&place, centre) && !groupBox) {
                break;
            }
        }
        under = child;
    }
    return under == control;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    for (LRESULT i = 0, count = Ask(combo, CB_GETCOUNT); i < count; ++i) {
        std::wstring text(64, L'\0');
        Ask(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        items.push_back(Utf8(text));
    }
    return items;
}

std::vector<Row> Rows(HWND listView) {
    constexpr int kChars = 1024;
    Remote remote(listView, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    std::vector<Row> rows(
        static_cast<std::size_t>(std::max<LRESULT>(Ask(listView, LVM_GETITEMCOUNT), 0)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (int column = 0; column < 2; ++column) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = static_cast<int>(i);
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof item));
            item.cchTextMax = kChars;
            remote.Put(&item, sizeof item);
            Ask(listView, LVM_GETITEMW, 0, remote.At());
            std::wstring text(kChars, L'\0');
            remote.Get(&item, sizeof item);
            remote.Get(text.data(), (kChars - 1) * sizeof(wchar_t), sizeof item);
            (column == 0 ? rows[i].letter : rows[i].folder) = Utf8(text);
            rows[i].image = column == 0 ? item.iImage : rows[i].image;
        }
    }
    return rows;
}

std::string DialogText(HWND dialog) {
    return Text(GetDlgItem(dialog, 0xFFFF));
}

bool HasTrayIcon(HWND window) {
    // Changing nothing of an icon succeeds only when the icon is there.
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

POINT TrayIconPoint() {
    const RECT bar = Place(FindWindowA("Shell_TrayWnd", nullptr));
    return {bar.right - 10, (bar.top + bar.bottom) / 2};
}

void SendDpiChanged(HWND window, int dpi, const RECT& suggested) {
    Remote remote(window, sizeof suggested);
    remote.Put(&suggested, sizeof suggested);
    Ask(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), remote.At());
}

std::vector<COLORREF> ScreenPixels(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels(static_cast<std::size_t>(width) *
                                 static_cast<std::size_t>(height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool Screenshot(const std::string& name) {
    Sleep(300);  // what was shown last is painted
    const std::string png = CreateFolder(BuildPath("screenshots")) + "\\" + name + ".png";
    return RunShell("/usr/bin/import -window root '" + UnixPathOf(png) + "'") == 0;
}

}  // namespace kestrova::e2e
