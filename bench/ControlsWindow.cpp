// A second baseline of the start-up benchmark: a window with what any program
// built on the common controls pays for at start-up, with nothing of
// Kestrova's own work: the same manifest (common controls 6, per-monitor DPI
// awareness), a report list view with 26 rows, a combo box and eight buttons.
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int w,
           int h) {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "ControlsWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ControlsWindow", "Controls", WS_OVERLAPPEDWINDOW, 100, 100,
                                  440, 330, nullptr, nullptr, instance, nullptr);
    HWND list = Child(window, WC_LISTVIEWA, "", LVS_REPORT | WS_BORDER, 10, 40, 400, 150);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 100;
    column.pszText = const_cast<char*>("Virtual Drive");
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = 280;
    column.pszText = const_cast<char*>("Actual Directory Path");
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    for (int row = 0; row < 26; ++row) {
        std::string letter = {static_cast<char>('A' + row), ':'};
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = letter.data();
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>("C:\\windows");
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }
    Child(window, "COMBOBOX", "", CBS_DROPDOWNLIST, 10, 200, 80, 200);
    for (int button = 0; button < 8; ++button) {
        Child(window, "BUTTON", "Button", BS_PUSHBUTTON, 10 + (button % 4) * 100,
              230 + (button / 4) * 30, 90, 25);
    }
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
