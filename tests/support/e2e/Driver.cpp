#include "tests/support/e2e/Driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "tests/support/e2e/Program.h"

namespace kestrova::e2e {

namespace {

constexpr DWORD kMessageTimeoutMs = 5000;

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::string Utf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Memory in the target's process for the requests whose pointers are not
// carried between processes (list-view items, their rectangles).
class RemoteBuffer {
  public:
    RemoteBuffer(HWND window, SIZE_T size) : size_(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        address_ = process_ != nullptr ? VirtualAllocEx(process_, nullptr, size,
                                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                                       : nullptr;
    }
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM At(SIZE_T offset) const {
        return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
    }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return address_ != nullptr && offset + size <= size_ &&
               WriteProcessMemory(process_, reinterpret_cast<void*>(At(offset)), data, size,
                                  nullptr) != 0;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return address_ != nullptr && offset + size <= size_ &&
               ReadProcessMemory(process_, reinterpret_cast<void*>(At(offset)), data, size,
                                 nullptr) != 0;
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

std::vector<std::string> Items(HWND control, UINT countMessage, UINT lengthMessage,
                               UINT textMessage) {
    std::vector<std::string> items;
    const LRESULT count = Ask(control, countMessage);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring wide(static_cast<std::size_t>(std::max<LRESULT>(
                              Ask(control, lengthMessage, static_cast<WPARAM>(i)), 0)) +
                              1,
                          L'\0');
        Ask(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()));
        items.push_back(Utf8(wide.c_str()));
    }
    return items;
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_DELETE:
            input.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
            break;
        default:
            break;
    }
    if (up) {
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
    }
    return input;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(25);
    }
    return true;
}

bool AttachToDesktop() {
    HDESK desktop = OpenDesktopA("Default", 0, FALSE, GENERIC_ALL);
    return desktop != nullptr && SetThreadDesktop(desktop) != 0;
}

std::vector<HWND> TopWindows(DWORD processId, const std::string& caption) {
    struct Search {
        DWORD processId;
        const std::string* caption;
        std::vector<HWND> found;
    } search{processId, &caption, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            const std::string className = ClassOf(window);
            if (owner == wanted->processId && className != TOOLTIPS_CLASSA && className != "IME" &&
                Text(window) == *wanted->caption) {
                wanted->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows(processId, caption)) {
                if (IsWindowVisible(window)) {
                    found = window;
                }
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND Control(HWND window, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(parameter);
            if (GetDlgCtrlID(child) != wanted->id) {
                return TRUE;
            }
            wanted->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM parameter) -> BOOL {
                    auto* wanted = reinterpret_cast<Search*>(parameter);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner != wanted->processId || ClassOf(window) != "#32770" ||
                        !IsWindowVisible(window)) {
                        return TRUE;
                    }
                    wanted->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

void ClickAt(POINT point, bool right) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (point.x * 65536 + width - 1) / width;
    input.mi.dy = (point.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down = input;
    down.mi.dwFlags |= right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    INPUT up = input;
    up.mi.dwFlags |= right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    Send({input, down, up});
}

void Click(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    ClickAt(Centre(rect));
}

void ClickRow(HWND listView, int row) {
    RemoteBuffer remote(listView, sizeof(RECT));
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    remote.Write(0, &rect, sizeof rect);
    Ask(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row), remote.At(0));
    remote.Read(0, &rect, sizeof rect);
    POINT point{rect.left + 20, (rect.top + rect.bottom) / 2};
    ClientToScreen(listView, &point);
    ClickAt(point);
}

void ClickCloseBox(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ClickAt({rect.right - GetSystemMetrics(SM_CXFIXEDFRAME) - GetSystemMetrics(SM_CXSIZE) / 2,
             rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYSIZE) / 2});
}

void ChooseInDropDown(HWND combo, const std::string& item) {
    const std::vector<std::string> items = ComboItems(combo);
    const auto index = std::find(items.begin(), items.end(), item) - items.begin();
    DWORD processId = 0;
    GetWindowThreadProcessId(combo, &processId);
    Click(combo);
    HWND list = nullptr;
    WaitUntil([&] {
        list = FindWindowExA(nullptr, nullptr, "ComboLBox", nullptr);
        return list != nullptr && IsWindowVisible(list);
    });
    const LRESULT height = Ask(list, LB_GETITEMHEIGHT);
    POINT point{4, static_cast<LONG>((index - Ask(list, LB_GETTOPINDEX)) * height + height / 2)};
    ClientToScreen(list, &point);
    ClickAt(point);
}

void Key(WORD key, WORD modifier, WORD secondModifier) {
    std::vector<INPUT> inputs;
    for (WORD held : {modifier, secondModifier}) {
        if (held != 0) {
            inputs.push_back(KeyInput(held, false));
        }
    }
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (WORD held : {secondModifier, modifier}) {
        if (held != 0) {
            inputs.push_back(KeyInput(held, true));
        }
    }
    Send(inputs);
}

void Keys(const std::string& characters) {
    for (char c : characters) {
        Key(static_cast<WORD>(LOBYTE(VkKeyScanA(c))));
    }
}

std::string Text(HWND window) {
    wchar_t text[1024] = {};
    Ask(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

int IdOf(HWND window) {
    return window != nullptr ? GetDlgCtrlID(window) : 0;
}

HWND Focused(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool WaitForFocus(HWND window, int id) {
    return WaitUntil([&] { return IdOf(Focused(window)) == id; }, 5000);
}

bool OnScreen(HWND control) {
    // Down from the window through the topmost shown child under the
    // control's centre; a group box frames its place rather than covering it.
    RECT rect{};
    GetWindowRect(control, &rect);
    const POINT centre = Centre(rect);
    HWND under = GetAncestor(control, GA_ROOT);
    while (under != nullptr && under != control) {
        HWND child = GetWindow(under, GW_CHILD);
        for (; child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT place{};
            GetWindowRect(child, &place);
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
    return Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::string ComboText(HWND combo) {
    const std::vector<std::string> items = ComboItems(combo);
    const LRESULT selected = Ask(combo, CB_GETCURSEL);
    return selected >= 0 && static_cast<std::size_t>(selected) < items.size()
               ? items[static_cast<std::size_t>(selected)]
               : std::string{};
}

std::vector<std::string> ListBoxItems(HWND listBox) {
    return Items(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<Row> Rows(HWND listView) {
    constexpr SIZE_T kChars = 1024;
    RemoteBuffer remote(listView, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    std::vector<Row> rows;
    const LRESULT count = Ask(listView, LVM_GETITEMCOUNT);
    for (int i = 0; i < count; ++i) {
        Row row;
        for (int column = 0; column < 2; ++column) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = i;
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(LVITEMW)));
            item.cchTextMax = static_cast<int>(kChars);
            remote.Write(0, &item, sizeof item);
            Ask(listView, LVM_GETITEMW, 0, remote.At(0));
            wchar_t text[kChars] = {};
            remote.Read(0, &item, sizeof item);
            remote.Read(sizeof(LVITEMW), text, (kChars - 1) * sizeof(wchar_t));
            (column == 0 ? row.letter : row.folder) = Utf8(text);
            if (column == 0) {
                row.image = item.iImage;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

std::string DialogText(HWND dialog) {
    return Text(GetDlgItem(dialog, 0xFFFF));
}

bool HasTrayIcon(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

POINT TrayIconPoint() {
    RECT bar{};
    GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar);
    return {bar.right - 10, (bar.top + bar.bottom) / 2};
}

bool Screenshot(const std::string& name) {
    const std::string unixPath = ScreenshotFolder() + "/" + name + ".png";
    const std::string path = WindowsPathOf(unixPath);
    DeleteFileA(path.c_str());
    RunUnix("/usr/bin/import -window root \"" + unixPath + "\"");
    // Wine does not track Unix programs: a file whose size has stopped
    // changing is the finished picture.
    LONGLONG last = -1;
    return WaitUntil([&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const LONGLONG size =
            GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
                ? (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
                : 0;
        const bool settled = size > 0 && size == last;
        last = size;
        Sleep(settled ? 0 : 150);
        return settled;
    });
}

}  // namespace kestrova::e2e
