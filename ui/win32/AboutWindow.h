#pragma once

#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/registry/RegistryApi.h"
#include "platform/win32/Handle.h"
#include "ui/win32/WindowBase.h"

namespace kestrova {

// The About window `frmAbout`: modeless, without an owner, created on first
// use and destroyed with the main window. Its fonts and pictures are made
// once and kept for every later opening.
class AboutWindow final : public WindowBase {
  public:
    AboutWindow(RegistryApi& registry, FileSystem& fileSystem, ProcessRunner& processes);
    // Destroys the window (if it is still there) while its handling is whole.
    ~AboutWindow() override;
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Shows the window, creating it when it is not there. `mainWindow` is
    // activated again when the About window closes while it is active.
    void Show(HINSTANCE instance, HWND mainWindow);
    void Unload();

  private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    // The title's font and the large picture, for the window's dpi.
    void MakeTitleAndPicture();
    void OnScaleChanged() override;
    HWND Add(const char* className, const char* text, DWORD style, int id, int left, int top,
             int width, int height);
    int Pixels(int value) const { return Scaled(value, 96); }
    // Closes the window as Close does, handing the activation back.
    void Close();

    RegistryApi& registry_;
    FileSystem& fileSystem_;
    ProcessRunner& processes_;
    HWND mainWindow_ = nullptr;
    HWND command1_ = nullptr;
    HWND command2_ = nullptr;
    HCURSOR hand_ = nullptr;
    GdiObject titleFont_;
    IconHandle largeIcon_;
    int picturesDpi_ = 0;
};

}  // namespace kestrova
