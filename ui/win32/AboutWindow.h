#pragma once

#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/registry/RegistryApi.h"

namespace kestrova {

// The About window `frmAbout`: modeless, without an owner, created on first
// use and destroyed with the main window.
class AboutWindow {
  public:
    AboutWindow(RegistryApi& registry, FileSystem& fileSystem, ProcessRunner& processes);
    ~AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Shows the window, creating it when it is not there.
    void Show(HINSTANCE instance);
    void Unload();

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HWND Add(const char* className, const char* text, DWORD style, int id, int left, int top,
             int width, int height);
    void AddTooltip(HWND control, const char* text);
    int Pixels(int value) const { return MulDiv(value, dpi_, 96); }

    RegistryApi& registry_;
    FileSystem& fileSystem_;
    ProcessRunner& processes_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND command1_ = nullptr;
    HWND command2_ = nullptr;
    HCURSOR hand_ = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    int dpi_ = 96;
};

}  // namespace kestrova
