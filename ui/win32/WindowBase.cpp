#include "ui/win32/WindowBase.h"

#include "ui/win32/Controls.h"

namespace kestrova {

namespace {

// The property that marks the program's own windows, for the dialog keys.
// The object behind a window is in its user data instead: it is looked up on
// every message, and a property is a call to the window server under Wine.
const char kObjectProperty[] = "Kestrova.Window";

// The control can take the focus now: it and every container up to the
// window are shown and enabled. The window handle is only compared.
// cppcheck-suppress constParameter
bool Reachable(HWND window, HWND control) {
    for (HWND w = control; w != nullptr && w != window; w = GetParent(w)) {
        if (!IsWindowVisible(w) || !IsWindowEnabled(w)) {
            return false;
        }
    }
    return true;
}

}  // namespace

WindowBase::~WindowBase() {
    Destroy();
}

void WindowBase::Destroy() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

bool WindowBase::HandleDialogKeys(MSG& message) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    return root != nullptr && GetPropA(root, kObjectProperty) != nullptr &&
           IsDialogMessageA(root, &message) != 0;
}

void WindowBase::RegisterClassOnce(HINSTANCE instance, const char* className, WNDPROC procedure,
                                   HICON icon, HICON smallIcon) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExA(instance, className, &windowClass) == 0) {
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = icon;
        windowClass.hIconSm = smallIcon;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = className;
        RegisterClassExA(&windowClass);
    }
}

void WindowBase::Prepare(HINSTANCE instance) {
    instance_ = instance;
    WindowDc screen(nullptr);
    dpi_ = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    if (!font_.Valid() || fontDpi_ != dpi_) {
        font_.Reset(CreateMessageFont(FW_NORMAL, 100, dpi_));
        fontDpi_ = dpi_;
    }
}

bool WindowBase::CreateBase(const char* className, const char* caption, DWORD style,
                            const RECT& frame, HICON icon, HICON smallIcon) {
    RegisterClassOnce(instance_, className, Procedure, icon, smallIcon);
    // The procedure keeps the handle from WM_NCCREATE on.
    return CreateWindowExA(WS_EX_CONTROLPARENT, className, caption, style, frame.left, frame.top,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           instance_, this) != nullptr;
}

HWND WindowBase::AddChild(HWND parent, const char* className, const char* text, DWORD style, int id,
                          const RECT& place, int perInch, DWORD exStyle) {
    const RECT pixels{Scaled(place.left, perInch), Scaled(place.top, perInch),
                      Scaled(place.right, perInch), Scaled(place.bottom, perInch)};
    HWND control = CreateChild(parent, instance_, className, text, style, exStyle, id, pixels,
                               static_cast<HFONT>(font_.Get()));
    if (control != nullptr) {
        placed_.push_back({control, place, perInch});
    }
    return control;
}

void WindowBase::ScaleTo(int dpi, const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (dpi <= 0 || dpi == dpi_) {
        return;
    }
    dpi_ = dpi;
    // The old font goes only once no control uses it.
    const GdiObject oldFont(font_.Release());
    font_.Reset(CreateMessageFont(FW_NORMAL, 100, dpi_));
    fontDpi_ = dpi_;
    for (const Placed& placed : placed_) {
        if (!IsWindow(placed.control)) {
            continue;
        }
        const RECT& r = placed.place;
        const int left = Scaled(r.left, placed.perInch);
        const int top = Scaled(r.top, placed.perInch);
        SetWindowPos(placed.control, nullptr, left, top, Scaled(r.right, placed.perInch) - left,
                     Scaled(r.bottom, placed.perInch) - top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
    OnScaleChanged();
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HWND WindowBase::AddTooltip(HWND control, const char* text) {
    // One tooltip control per window, made with the window's first tooltip.
    if (tooltip_ == nullptr || !IsWindow(tooltip_)) {
        tooltip_ = CreateTooltipControl(window_, instance_);
    }
    kestrova::AddTooltip(tooltip_, window_, control, text);
    return control;
}

LRESULT CALLBACK WindowBase::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<WindowBase*>(
            reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetPropA(window, kObjectProperty, self);
    }
    if (self == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        RemovePropA(window, kObjectProperty);
        self->window_ = nullptr;
        self->savedFocus_ = nullptr;
        self->placed_.clear();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

void WindowBase::FocusFirstControl() {
    HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
    if (first != nullptr) {
        SetFocus(first);
    }
}

void WindowBase::RestoreFocus() {
    if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsChild(window_, savedFocus_) &&
        Reachable(window_, savedFocus_)) {
        SetFocus(savedFocus_);
    } else {
        FocusFirstControl();
    }
}

LRESULT WindowBase::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) {
                    savedFocus_ = focus;
                }
            } else if (HIWORD(wParam) == 0) {  // not minimised
                RestoreFocus();
            }
            return 0;
        case WM_DPICHANGED:
            ScaleTo(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETFOCUS:
            // The window itself never keeps the focus: a control gets it.
            RestoreFocus();
            return 0;
        case DM_GETDEFID: {
            // Enter presses the focused button, else the window's default.
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window_, focus) &&
                (SendMessageA(focus, WM_GETDLGCODE, 0, 0) &
                 (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
                return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
            }
            return defaultButton_ != 0 ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
        }
        case WM_NEXTDLGCTL: {
            HWND next = LOWORD(lParam) != 0
                            ? reinterpret_cast<HWND>(wParam)
                            : GetNextDlgTabItem(window_, GetFocus(), wParam != 0 ? TRUE : FALSE);
            if (next != nullptr) {
                SetFocus(next);
            }
            return 0;
        }
        default: return DefWindowProcA(window_, message, wParam, lParam);
    }
}

}  // namespace kestrova
