#include "tests/support/e2e/UiDriver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace kestrova::e2e {

namespace {

struct TopSearch {
    DWORD processId;
    const std::string* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TopSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) {
        return TRUE;
    }
    const std::string className = ClassNameOf(window);
    if (className == TOOLTIPS_CLASSA || className == "IME" || className == "tooltips_class32") {
        return TRUE;
    }
    if (WindowText(window) == *search->caption) {
        search->found.push_back(window);
    }
    return TRUE;
}

struct ChildSearch {
    const std::string* className;
    const std::string* text;
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ChildSearch*>(parameter);
    if (search->id != 0) {
        if (GetDlgCtrlID(window) == search->id) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }
    if ((search->className->empty() || ClassNameOf(window) == *search->className) &&
        WindowText(window) == *search->text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Memory in another process, freed on every path.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND window, SIZE_T size) : size_(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (process_ != nullptr) {
            address_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
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

    bool Valid() const { return address_ != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return offset + size <= size_ &&
               WriteProcessMemory(process_, At(offset), data, size, nullptr) != 0;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return offset + size <= size_ &&
               ReadProcessMemory(process_, At(offset), data, size, nullptr) != 0;
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

constexpr DWORD kMessageTimeoutMs = 5000;

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

// Wine hands list and combo texts between processes in the control's own
// (wide) form, so they are asked for wide and turned into ANSI text here.
std::vector<std::string> ReadItems(HWND control, UINT countMessage, UINT lengthMessage,
                                   UINT textMessage) {
    std::vector<std::string> items;
    const LRESULT count = SendWithTimeout(control, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendWithTimeout(control, lengthMessage, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            break;
        }
        std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(control, textMessage, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG,
                            kMessageTimeoutMs, &ignored);
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text, sizeof text - 1, nullptr, nullptr);
        items.emplace_back(text);
    }
    return items;
}

// Which standard icon a message box shows, told by the colour of its picture
// on the screen: icon handles are not valid in another process under Wine,
// while the standard icons differ plainly in colour (information blue, error
// red, warning yellow). The icon control's id is 20 on Windows, 1088 on Wine.
int IconStyleOf(HWND box) {
    HWND iconControl = GetDlgItem(box, 20);
    if (iconControl == nullptr) {
        iconControl = GetDlgItem(box, 1088);
    }
    if (iconControl == nullptr || !IsWindowVisible(iconControl)) {
        return 0;
    }
    RECT rect{};
    GetWindowRect(iconControl, &rect);
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return -1;
    }
    int blue = 0;
    int red = 0;
    int yellow = 0;
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        for (LONG x = rect.left; x < rect.right; ++x) {
            const COLORREF pixel = GetPixel(screen, x, y);
            if (pixel == CLR_INVALID) {
                continue;
            }
            const int r = GetRValue(pixel);
            const int g = GetGValue(pixel);
            const int b = GetBValue(pixel);
            if (b > 150 && r < 100) {
                ++blue;
            } else if (r > 150 && g < 90 && b < 90) {
                ++red;
            } else if (r > 170 && g > 150 && b < 90) {
                ++yellow;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    if (blue == 0 && red == 0 && yellow == 0) {
        return 0;  // an empty icon place: a box without an icon
    }
    if (blue >= red && blue >= yellow) {
        return 64;
    }
    return red >= yellow ? 16 : 48;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(25);
    }
}

bool AttachToDesktop(const char* name) {
    HDESK desktop = OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
    if (desktop == nullptr) {
        return false;
    }
    return SetThreadDesktop(desktop) != 0;
}

std::string WindowText(HWND window) {
    const LRESULT length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsShown(HWND window) {
    return IsWindowVisible(window) != 0;
}

std::vector<HWND> TopWindows(DWORD processId, const std::string& caption) {
    TopSearch search{processId, &caption, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs,
                   bool mustBeVisible) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows(processId, caption)) {
                if (!mustBeVisible || IsShown(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND FindDescendant(HWND parent, const std::string& className, const std::string& text) {
    ChildSearch search{&className, &text, 0, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDescendantById(HWND parent, int id) {
    const std::string none;
    ChildSearch search{&none, &none, id, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void PostClose(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

std::vector<std::string> ComboItems(HWND combo) {
    return ReadItems(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendWithTimeout(combo, CB_GETCURSEL, 0, 0));
}

std::vector<std::string> ListBoxItems(HWND listBox) {
    return ReadItems(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<ListViewRow> ListViewRows(HWND listView, int columnCount) {
    std::vector<ListViewRow> rows;
    constexpr SIZE_T kTextChars = 1024;
    RemoteBuffer remote(listView, sizeof(LVITEMA) + kTextChars);
    if (!remote.Valid()) {
        return rows;
    }
    const LRESULT count = SendWithTimeout(listView, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        ListViewRow row;
        for (int column = 0; column < columnCount; ++column) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE | LVIF_STATE : 0u);
            item.iItem = i;
            item.iSubItem = column;
            item.stateMask = LVIS_SELECTED;
            item.pszText = remote.At(sizeof(LVITEMA));
            item.cchTextMax = static_cast<int>(kTextChars);
            const char empty = '\0';
            remote.Write(sizeof(LVITEMA), &empty, 1);
            if (!remote.Write(0, &item, sizeof item)) {
                return rows;
            }
            SendWithTimeout(listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0)));
            char text[kTextChars] = {};
            remote.Read(0, &item, sizeof item);
            remote.Read(sizeof(LVITEMA), text, kTextChars - 1);
            row.columns.emplace_back(text);
            if (column == 0) {
                row.image = item.iImage;
                row.selected = (item.state & LVIS_SELECTED) != 0;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

bool SelectListViewRow(HWND listView, int row) {
    RemoteBuffer remote(listView, sizeof(LVITEMA));
    if (!remote.Valid()) {
        return false;
    }
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    return remote.Write(0, &item, sizeof item) &&
           SendWithTimeout(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(remote.At(0))) != 0;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    std::optional<MessageBoxInfo> result;
    WaitUntil(
        [&] {
            struct Search {
                DWORD processId;
                HWND found;
            } search{processId, nullptr};
            EnumWindows(
                [](HWND window, LPARAM parameter) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(parameter);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner == s->processId && ClassNameOf(window) == "#32770" &&
                        IsWindowVisible(window)) {
                        s->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) {
                return false;
            }
            MessageBoxInfo info;
            info.window = search.found;
            info.caption = WindowText(search.found);
            // The message text is the static control with id 0xFFFF.
            if (HWND text = GetDlgItem(search.found, 0xFFFF)) {
                info.text = WindowText(text);
            }
            info.iconStyle = IconStyleOf(search.found);
            result = info;
            return true;
        },
        timeoutMs);
    return result;
}

void DismissMessageBox(HWND box) {
    if (HWND ok = GetDlgItem(box, IDOK)) {
        Click(ok);
    } else {
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
}

bool HasTrayIcon(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

bool Screenshot(const std::string& unixPngPath) {
    std::string command = "Z:\\usr\\bin\\import -window root \"" + unixPngPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine does not track Unix children; the file appearing with a stable,
    // non-zero size is the sign that the screenshot is written.
    std::string windowsPath = "Z:" + unixPngPath;
    for (char& c : windowsPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    LONGLONG lastSize = -1;
    return WaitUntil(
        [&] {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (!GetFileAttributesExA(windowsPath.c_str(), GetFileExInfoStandard, &data)) {
                return false;
            }
            const LONGLONG size =
                (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            const bool stable = size > 0 && size == lastSize;
            lastSize = size;
            if (!stable) {
                Sleep(150);
            }
            return stable;
        },
        20000);
}

}  // namespace kestrova::e2e
