#include <windows.h>

#include <string>

#include "core/DriveLetters.h"
#include "core/DriveTable.h"
#include "core/StoreFile.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

// Until the main window is built, the program shows what its core reads: the
// stored table and the free drive letters.
std::string DescribeTable() {
    kestrova::Win32FileSystem fileSystem;
    kestrova::DriveTable table;
    const std::string storePath = kestrova::StorePath(kestrova::ProgramFolder());
    kestrova::LoadDriveTable(table, fileSystem, storePath);
    kestrova::DriveLetters letters;
    kestrova::LetterList combo;
    kestrova::RefreshLetterList(combo, letters, fileSystem, kestrova::LetterRefresh::StartUp);

    std::string text = "Store file: " + storePath + "\r\n\r\n";
    for (const kestrova::DriveRow& row : table.Rows()) {
        text += row.letter + "  " + row.folder + (row.mounted ? "" : "  (not mounted)") + "\r\n";
    }
    text += "\r\nAvailable Drive Letters:";
    for (const std::string& letter : combo.items) {
        text += " " + letter;
    }
    return text;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const std::string text = DescribeTable();
            CreateWindowExA(0, "EDIT", text.c_str(),
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 8, 8,
                            416, 290, window, nullptr, GetModuleHandleA(nullptr), nullptr);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "KestrovaMain";
    if (!RegisterClassA(&windowClass)) {
        return 1;
    }
    HWND window =
        CreateWindowExA(0, windowClass.lpszClassName, "Kestrova",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                        CW_USEDEFAULT, 440, 340, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
