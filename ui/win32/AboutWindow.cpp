#include "ui/win32/AboutWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "ui/AboutForm.h"
#include "ui/win32/Controls.h"
#include "ui/win32/ResourceIds.h"

namespace kestrova {

namespace {

const char kClass[] = "KestrovaAbout";
const char kTitle[] = "Kestrova";
const char kWebSite[] = "https://www.halvorn.example/";
const char kMailingList[] = "https://www.halvorn.example/mailing-list";
const char kDescription[] =
    "  Come to the Halvorn Web Site for more free programs.  Click the Halvorn button below to "
    "visit us or click the Mailing List button to be notified of new releases.";
const char kDisclaimer[] =
    "Warning: this program is provided as is, without warranty of any kind. Halvorn Software is "
    "not liable for any loss of data or other damage that may arise from its use.";

enum : int {
    picIcon = 300,
    lblTitle,
    lblVersion,
    lblAbout,
    Frame2,
    lblDescription,
    Frame1,
    lblDisclaimer,
    Image1,
    Command1,
    Command2,
    Command3,
    Command4,
};

// The version of this program, from its own version resource.
std::string ProgramVersion() {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                   MAKEINTRESOURCEA(16));  // RT_VERSION
    HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
    const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = resource != nullptr ? SizeofResource(nullptr, resource) : 0;
    for (DWORD offset = 0; data != nullptr && offset + sizeof(VS_FIXEDFILEINFO) <= size;
         offset += 4) {
        VS_FIXEDFILEINFO info;
        memcpy(&info, data + offset, sizeof info);
        if (info.dwSignature == 0xFEEF04BD) {
            return VersionText(HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                               HIWORD(info.dwFileVersionLS));
        }
    }
    return VersionText(0, 0, 0);
}

// Opens an address in the user's browser; the shell is loaded on first use.
void OpenPage(HWND owner, const char* address) {
    static const auto execute = reinterpret_cast<decltype(&ShellExecuteA)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("shell32.dll"), "ShellExecuteA")));
    if (execute != nullptr) {
        execute(owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
    }
}

}  // namespace

AboutWindow::AboutWindow(RegistryApi& registry, FileSystem& fileSystem, ProcessRunner& processes)
    : registry_(registry), fileSystem_(fileSystem), processes_(processes) {}

AboutWindow::~AboutWindow() {
    Unload();
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
    if (titleFont_ != nullptr) {
        DeleteObject(titleFont_);
    }
}

void AboutWindow::Unload() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void AboutWindow::Show(HINSTANCE instance) {
    if (window_ == nullptr) {
        instance_ = instance;
        HDC screen = GetDC(nullptr);
        dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KESTROVA));
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClass;
        RegisterClassExA(&windowClass);
        hand_ = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_HAND_POINTER));
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        RECT frame{0, 0, Pixels(420), Pixels(330)};
        AdjustWindowRectEx(&frame, style, FALSE, 0);
        const std::string caption = std::string("About ") + kTitle;
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        // The procedure stores the handle on WM_NCCREATE already; the result is
        // the same handle, or null when the window could not be created.
        window_ = CreateWindowExA(WS_EX_CONTROLPARENT, kClass, caption.c_str(), style,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                  nullptr, nullptr, instance, this);
    }
    if (window_ != nullptr) {
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
    }
}

HWND AboutWindow::Add(const char* className, const char* text, DWORD style, int id, int left,
                      int top, int width, int height) {
    const RECT pixels{Pixels(left), Pixels(top), Pixels(left + width), Pixels(top + height)};
    return CreateChild(window_, instance_, className, text, WS_VISIBLE | style, 0, id, pixels,
                       font_);
}

void AboutWindow::AddTooltip(HWND control, const char* text) {
    kestrova::AddTooltip(tooltip_, window_, control, text);
}

void AboutWindow::CreateControls() {
    font_ = CreateMessageFont();
    titleFont_ = CreateMessageFont(FW_BOLD, 150);
    tooltip_ = CreateTooltipControl(window_, instance_);

    HICON icon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_KESTROVA));
    HWND picture = Add("STATIC", "", SS_ICON | SS_NOTIFY, picIcon, 12, 12, 32, 32);
    SendMessageA(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    HWND titleLabel = Add("STATIC", kTitle, 0, lblTitle, 56, 10, 250, 24);
    SendMessageA(titleLabel, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    Add("STATIC", ProgramVersion().c_str(), 0, lblVersion, 56, 36, 250, 16);
    Add("STATIC", "Halvorn Software", 0, lblAbout, 56, 54, 250, 16);
    auto* large = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_KESTROVA),
                                                IMAGE_ICON, Pixels(48), Pixels(48), 0));
    HWND image = Add("STATIC", "", SS_ICON | SS_NOTIFY | SS_REALSIZEIMAGE, Image1, 356, 10, 48, 48);
    SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(large), 0);

    Add("BUTTON", "", BS_GROUPBOX, Frame2, 12, 76, 396, 80);
    Add("STATIC", kDescription, 0, lblDescription, 22, 96, 376, 52);
    Add("BUTTON", "", BS_GROUPBOX, Frame1, 12, 162, 396, 80);
    Add("STATIC", kDisclaimer, 0, lblDisclaimer, 22, 182, 376, 52);

    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    command1_ = Add("BUTTON", "&Join the Halvorn mailing list", button, Command1, 12, 256, 190, 26);
    command2_ = Add("BUTTON", "&Halvorn", button, Command2, 210, 256, 96, 26);
    HWND info = Add("BUTTON", "&System Info", button, Command4, 312, 256, 96, 26);
    HWND close = Add("BUTTON", "Clos&e", button | BS_DEFPUSHBUTTON, Command3, 312, 292, 96, 26);
    AddTooltip(command1_, "Join our mailing list");
    AddTooltip(command2_, "Visit Halvorn");
    AddTooltip(close, "Close this window");
    AddTooltip(info, "Info about your computer");
}

LRESULT CALLBACK AboutWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    AboutWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<AboutWindow*>(
            reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<AboutWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    return self != nullptr ? self->Handle(message, wParam, lParam)
                           : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT AboutWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_SETCURSOR:
            // The link buttons show the pointing hand while the mouse is over them.
            if ((reinterpret_cast<HWND>(wParam) == command1_ ||
                 reinterpret_cast<HWND>(wParam) == command2_) &&
                hand_ != nullptr) {
                SetCursor(hand_);
                return TRUE;
            }
            return DefWindowProcA(window_, message, wParam, lParam);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case Command1:
                    OpenPage(window_, kMailingList);
                    break;
                case Command2:
                    OpenPage(window_, kWebSite);
                    break;
                case picIcon:
                    if (HIWORD(wParam) == STN_CLICKED) {
                        OpenPage(window_, kWebSite);
                    }
                    break;
                case Image1:
                    // "start" is a command of the command interpreter, not a program.
                    if (HIWORD(wParam) == STN_CLICKED) {
                        processes_.Start(std::string("cmd.exe /c start ") + kWebSite,
                                         WindowStyle::Minimized);
                    }
                    break;
                case Command4:
                    StartSysInfo(registry_, fileSystem_, processes_,
                                 [this](const std::string& text, int style) {
                                     MessageBoxA(window_, text.c_str(), kTitle,
                                                 static_cast<UINT>(MB_OK | style));
                                 });
                    break;
                case Command3:
                case IDCANCEL:
                    DestroyWindow(window_);
                    break;
                default:
                    break;
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            return 0;
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

}  // namespace kestrova
