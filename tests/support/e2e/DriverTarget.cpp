// A small window with one control of each kind the UI driver reads, so the
// driver itself is proved before it is trusted with the real program.
#include <windows.h>

#include <commctrl.h>

namespace {

constexpr int kButtonId = 10;
constexpr int kLabelId = 11;
constexpr int kListId = 12;
constexpr int kComboId = 13;
constexpr int kListBoxId = 14;

void AddRow(HWND list, int index, const char* letter, const char* folder, int image) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<char*>(letter);
    item.iImage = image;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.mask = LVIF_TEXT;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(folder);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    switch (message) {
        case WM_CREATE: {
            HWND button =
                CreateWindowExA(0, "BUTTON", "&Press", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24,
                                window, reinterpret_cast<HMENU>(kButtonId), instance, nullptr);
            HWND label =
                CreateWindowExA(0, "STATIC", "Label text", WS_CHILD | WS_VISIBLE, 100, 14, 120, 18,
                                window, reinterpret_cast<HMENU>(kLabelId), instance, nullptr);
            HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10,
                                        40, 300, 100, window, reinterpret_cast<HMENU>(kListId),
                                        instance, nullptr);
            HWND combo = CreateWindowExA(
                0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 150, 80, 200,
                window, reinterpret_cast<HMENU>(kComboId), instance, nullptr);
            HWND box =
                CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE, 100, 150, 100, 60, window,
                                reinterpret_cast<HMENU>(kListBoxId), instance, nullptr);
            // Without all of its controls the window would mislead the tests:
            // it is not created at all.
            if (button == nullptr || label == nullptr || list == nullptr || combo == nullptr ||
                box == nullptr) {
                return -1;
            }
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = 80;
            column.pszText = const_cast<char*>("Drive");
            SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
            column.cx = 200;
            column.pszText = const_cast<char*>("Folder");
            SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
            AddRow(list, 0, "E:", "C:\\First Folder", 0);
            AddRow(list, 1, "F:", "C:\\Second", 1);
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("G:"));
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("H:"));
            SendMessageA(combo, CB_SETCURSEL, 1, 0);
            SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("E:-C:\\FIRST~1"));
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kButtonId) {
                MessageBoxA(window, "Pressed     ", "Driver Target", MB_OK | MB_ICONINFORMATION);
                SetDlgItemTextA(window, kLabelId, "Pressed once");
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    InitCommonControls();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "DriverTarget";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "DriverTarget", "Driver Target", WS_OVERLAPPEDWINDOW, 100, 100,
                                  340, 260, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
