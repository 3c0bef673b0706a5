#include "ui/win32/AboutWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/Win32Shell.h"
#include "ui/AboutForm.h"
#include "ui/win32/ControlIds.h"
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

}  // namespace

AboutWindow::AboutWindow(RegistryApi& registry, FileSystem& fileSystem, ProcessRunner& processes)
    : registry_(registry), fileSystem_(fileSystem), processes_(processes) {}

AboutWindow::~AboutWindow() {
    Destroy();
}

void AboutWindow::Unload() {
    Destroy();
}

void AboutWindow::Close() {
    // A window without an owner leaves no one active behind it: the main
    // window takes the activation back, and with it its focused control.
    const bool active = GetActiveWindow() == Handle();
    Destroy();
    if (active && IsWindowVisible(mainWindow_)) {
        SetForegroundWindow(mainWindow_);
    }
}

void AboutWindow::Show(HINSTANCE instance, HWND mainWindow) {
    mainWindow_ = mainWindow;
    if (Handle() == nullptr) {
        Prepare(instance);
        if (!titleFont_.Valid() || picturesDpi_ != dpi_) {
            MakeTitleAndPicture();
            hand_ = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_HAND_POINTER));
        }
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        RECT frame{0, 0, Pixels(420), Pixels(330)};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        const std::string caption = std::string("About ") + kTitle;
        CreateBase(kClass, caption.c_str(), style, {left, top, left + width, top + height},
                   LoadIconA(instance, MAKEINTRESOURCEA(IDI_KESTROVA)), nullptr);
    }
    if (Handle() != nullptr) {
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
    }
}

void AboutWindow::MakeTitleAndPicture() {
    titleFont_.Reset(CreateMessageFont(FW_BOLD, 150, dpi_));
    largeIcon_.Reset(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_KESTROVA),
                                                   IMAGE_ICON, Pixels(48), Pixels(48), 0)));
    picturesDpi_ = dpi_;
}

void AboutWindow::OnScaleChanged() {
    // The controls hold the old title font and picture until they have new ones.
    const GdiObject oldFont(titleFont_.Release());
    const IconHandle oldIcon(largeIcon_.Release());
    MakeTitleAndPicture();
    SendMessageA(GetDlgItem(Handle(), ids::lblTitle), WM_SETFONT,
                 reinterpret_cast<WPARAM>(titleFont_.Get()), TRUE);
    SendMessageA(GetDlgItem(Handle(), ids::Image1), STM_SETICON,
                 reinterpret_cast<WPARAM>(largeIcon_.Get()), 0);
}

HWND AboutWindow::Add(const char* className, const char* text, DWORD style, int id, int left,
                      int top, int width, int height) {
    return AddChild(Handle(), className, text, WS_VISIBLE | style, id,
                    {left, top, left + width, top + height}, 96);
}

void AboutWindow::CreateControls() {
    HICON icon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_KESTROVA));
    HWND picture = Add("STATIC", "", SS_ICON | SS_NOTIFY, ids::picIcon, 12, 12, 32, 32);
    SendMessageA(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    HWND titleLabel = Add("STATIC", kTitle, 0, ids::lblTitle, 56, 10, 250, 24);
    SendMessageA(titleLabel, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);
    Add("STATIC", ProgramVersion().c_str(), 0, ids::lblVersion, 56, 36, 250, 16);
    Add("STATIC", "Halvorn Software", 0, ids::lblAbout, 56, 54, 250, 16);
    HWND image =
        Add("STATIC", "", SS_ICON | SS_NOTIFY | SS_REALSIZEIMAGE, ids::Image1, 356, 10, 48, 48);
    SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(largeIcon_.Get()), 0);

    Add("BUTTON", "", BS_GROUPBOX, ids::Frame2, 12, 76, 396, 80);
    Add("STATIC", kDescription, 0, ids::lblDescription, 22, 96, 376, 52);
    Add("BUTTON", "", BS_GROUPBOX, ids::Frame1, 12, 162, 396, 80);
    Add("STATIC", kDisclaimer, 0, ids::lblDisclaimer, 22, 182, 376, 52);

    // The buttons in their Tab order; Enter presses the focused one, else
    // Close, which has the focus when the window opens.
    const DWORD button = WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
    command1_ = Add("BUTTON", "&Join the Halvorn mailing list", button, ids::aboutCommand1, 12, 256,
                    190, 26);
    command2_ = Add("BUTTON", "&Halvorn", button, ids::aboutCommand2, 210, 256, 96, 26);
    HWND info = Add("BUTTON", "&System Info", button, ids::aboutCommand4, 312, 256, 96, 26);
    HWND close =
        Add("BUTTON", "Clos&e", button | BS_DEFPUSHBUTTON, ids::aboutCommand3, 312, 292, 96, 26);
    AddTooltip(command1_, "Join our mailing list");
    AddTooltip(command2_, "Visit Halvorn");
    AddTooltip(close, "Close this window");
    AddTooltip(info, "Info about your computer");
    SetDefaultButton(ids::aboutCommand3);
    SetFocus(close);
}

LRESULT AboutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: CreateControls(); return 0;
        case WM_SETCURSOR:
            // The link buttons show the pointing hand while the mouse is over them.
            if ((reinterpret_cast<HWND>(wParam) == command1_ ||
                 reinterpret_cast<HWND>(wParam) == command2_) &&
                hand_ != nullptr) {
                SetCursor(hand_);
                return TRUE;
            }
            return DefaultHandling(message, wParam, lParam);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case ids::aboutCommand1: OpenPage(Handle(), kMailingList); break;
                case ids::aboutCommand2: OpenPage(Handle(), kWebSite); break;
                case ids::picIcon:
                    if (HIWORD(wParam) == STN_CLICKED) {
                        OpenPage(Handle(), kWebSite);
                    }
                    break;
                case ids::Image1:
                    // "start" is a command of the command interpreter, not a program.
                    if (HIWORD(wParam) == STN_CLICKED) {
                        processes_.Start(std::string("cmd.exe /c start ") + kWebSite,
                                         WindowStyle::Minimized);
                    }
                    break;
                case ids::aboutCommand4:
                    StartSysInfo(registry_, fileSystem_, processes_,
                                 [this](const std::string& text, int style) {
                                     MessageBoxA(Handle(), text.c_str(), kTitle,
                                                 static_cast<UINT>(MB_OK | style));
                                 });
                    break;
                case ids::aboutCommand3:
                case IDCANCEL:  // Escape
                    Close();
                    break;
                default: break;
            }
            return 0;
        case WM_CLOSE: Close(); return 0;
        default: return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace kestrova
