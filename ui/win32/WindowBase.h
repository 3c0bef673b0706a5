#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace kestrova {

// What the program's two windows share: the class registration, the object
// behind the window's handle, and the keyboard as a dialog has it: Tab and
// the arrow keys move the focus, Enter presses the focused button (or the
// window's default one), Escape cancels, access keys press their controls,
// and the focus comes back to the control that had it whenever the window is
// activated again (after a message box, a dialog, another window).
class WindowBase {
  public:
    WindowBase() = default;
    // A derived window destroys its window in its own destructor: the messages
    // of the destruction call OnMessage, which is pure here.
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return window_; }
    void Destroy();

    // A message for one of the program's windows handled as a dialog key.
    static bool HandleDialogKeys(MSG& message);

  protected:
    // Registers a class of the program on first use.
    static void RegisterClassOnce(HINSTANCE instance, const char* className, WNDPROC procedure,
                                  HICON icon = nullptr, HICON smallIcon = nullptr);
    // Reads the screen's dots per inch and makes the window's font, once.
    void Prepare(HINSTANCE instance);
    // Creates the window, hidden, its class registered on first use.
    bool CreateBase(const char* className, const char* caption, DWORD style, const RECT& frame,
                    HICON icon, HICON smallIcon);
    // A length given in units of `perInch` (1440 for twips, 96 for pixels at
    // 100%) in pixels of this screen.
    int Scaled(int length, int perInch) const { return MulDiv(length, dpi_, perInch); }
    // A child control with the window's font, at a place in units of `perInch`.
    HWND AddChild(HWND parent, const char* className, const char* text, DWORD style, int id,
                  const RECT& place, int perInch, DWORD exStyle = 0);
    // Gives a control its tooltip; the control is handed back.
    HWND AddTooltip(HWND control, const char* text);
    // The window's own message handling; what it does not handle goes to
    // `DefaultHandling`.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // Puts the focus on the first control that takes it.
    void FocusFirstControl();
    // Gives the focus back to the control that had it last, or to the first.
    void RestoreFocus();
    // The button Enter presses when the focus is on no button (0: none).
    void SetDefaultButton(int id) { defaultButton_ = id; }
    // The window has been laid out again for a new dpi (the font and every
    // control made by AddChild): what else depends on it follows here.
    virtual void OnScaleChanged() {}

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Moved to a screen of another scale: the window takes the rectangle
    // Windows suggests, and its font and controls are made again for the new
    // dpi from the same layout.
    void ScaleTo(int dpi, const RECT& suggested);

    // Every control made by AddChild, with its place in units of `perInch`.
    struct Placed {
        HWND control;
        RECT place;
        int perInch;
    };
    std::vector<Placed> placed_;
    int fontDpi_ = 0;  // the dpi `font_` was made for

    HWND window_ = nullptr;
    HWND savedFocus_ = nullptr;
    int defaultButton_ = 0;

  protected:
    HINSTANCE instance_ = nullptr;
    int dpi_ = 96;
    GdiObject font_;
    HWND tooltip_ = nullptr;
};

}  // namespace kestrova
