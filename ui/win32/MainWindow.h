#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Handle.h"
#include "ui/MountForm.h"
#include "ui/win32/AboutWindow.h"
#include "ui/win32/Layout.h"
#include "ui/win32/WindowBase.h"

namespace kestrova {

// The Win32 window `frmMount`: it creates the controls, turns messages into
// calls of the form's logic and shows what the logic decided.
class MainWindow final : public WindowBase, public FormView {
  public:
    MainWindow(FileSystem& fileSystem, ProcessRunner& processes, InstanceGuard& instances,
               RegistryApi& registry, const std::string& programFolder,
               const std::string& rescueFolder);
    // Destroys the window (if it is still there) while its handling is whole.
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden. False when it cannot be created.
    bool Create(HINSTANCE instance);
    MountForm& Form() { return form_; }

    void ShowTable(const DriveTable& table) override;
    void ShowLetters(const LetterList& letters) override;
    void SetStatus(const std::string& text) override;
    void SetFolderText(const std::string& text) override;
    void SetListTooltip(const std::string& text) override;
    int ShowMessage(const std::string& text, int style) override;
    void ShowStartupOption(StartupOption option) override;
    void BringToFront(Pane pane) override;
    void PumpMessages() override;
    void ScreenAndWindowSize(double& screenWidth, double& screenHeight, double& windowWidth,
                             double& windowHeight) override;
    void MoveWindowTo(double left, double top) override;
    void ShowWindow() override;
    void DeleteTrayIcon() override;
    void UnloadOtherWindows() override;
    bool BrowseForFolder(const std::string& prompt, std::string& folder) override;
    void FocusBrowseButton() override;
    void AddNotificationIcon() override;
    void ShowTrayMenu() override;
    void SetForeground() override;
    void Repaint() override;
    void HideWindow() override;
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void DestroyNow() override;
    void RequestClose() override;
    void EndProcess() override;
    void Mark(const char* phase) override;

    // The window's class, and the message another start of the program sends
    // it to have it shown.
    static const char* ClassName() { return "KestrovaMount"; }
    static const char* ShowMessageName() { return "Kestrova.ShowWindow"; }

  private:
    static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CreateControls();
    void CreateDrivePane();
    void CreateDriveList();
    // The options pane, made when it is first brought to the front.
    void CreateOptionsPane();
    HWND AddControl(HWND parent, const char* className, const char* text, DWORD style, int id,
                    const layout::Rect& rect, DWORD exStyle = 0);
    void CreateImageList();
    // The tooltips of the controls and the list's subclass, which only the
    // mouse needs, are made when it first comes over the window: none of it
    // holds up the window's first showing.
    void TooltipLater(HWND control, const char* text);
    void CreateTooltips();
    void OnCommand(int id, int code);
    void OnTrayCallback(UINT mouseMessage);
    LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Command3_Click();
    void EnterPressed();
    LRESULT OnNotify(const NMHDR& header);
    std::optional<std::size_t> Row(UINT state) const;
    int Pixels(int twips) const { return Scaled(twips, 1440); }
    // Sizes a label to its text, as labels that size themselves do.
    void FitToText(HWND label, const std::string& text) const;
    void FitToText(HWND label) const;
    void Unload();
    // The drive list's context menu, at the mouse or (from the keyboard,
    // `position` -1) at the selected row.
    void ShowListMenu(LPARAM position);
    void ListKey(ListKey key);
    // The status line is at least a line of the window's font high.
    void FitStatusLine();
    void OnScaleChanged() override;

    MountForm form_;
    AboutWindow about_;
    ImageListHandle images_;
    MemoryDcHandle textDc_;
    std::vector<std::pair<HWND, const char*>> laterTooltips_;
    bool tooltipsMade_ = false;
    // The option the options pane shows (once it is made).
    StartupOption startupOption_ = StartupOption::None;
    bool updatingList_ = false;
    // What the drive list shows now, to redraw only what changed.
    std::vector<std::string> shownRows_;

    HWND fraMain_ = nullptr;
    HWND fraOptions_ = nullptr;
    HWND text1_ = nullptr;
    HWND lblStatus_ = nullptr;
    HWND lstDrives_ = nullptr;
    HWND combo1_ = nullptr;
    HWND command2_ = nullptr;
    HWND lstMount_ = nullptr;
    HWND picture2_ = nullptr;
    HWND picture1_ = nullptr;
    // The tray icon record: the first version of the structure, kept for the
    // life of the process and passed again when the icon is deleted.
    NOTIFYICONDATAA tray_{};
    UINT taskbarCreated_ = 0;
    UINT showRequest_ = 0;
};

}  // namespace kestrova
