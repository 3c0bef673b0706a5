#pragma once

#include <string>

#include "core/DriveLetters.h"
#include "core/DriveTable.h"

namespace kestrova {

enum class Pane { Main, Options };

// What a key of the drive list asks for.
enum class ListKey { Open, Delete, Refresh };

// What the user did with the notification-area icon.
enum class TrayEvent { Click, DoubleClick, MenuRequest };

// The start-up options of the options pane (`optT`, `optM`, `optB`, `optNone`).
enum class StartupOption { T, M, B, None };

// Message box styles, as the window shows them: an icon, with OK unless
// other buttons are added; and the buttons' answers. (The Win32 layer ties
// each to its name.)
inline constexpr int kStyleCritical = 16;
inline constexpr int kStyleQuestion = 32;
inline constexpr int kStyleExclamation = 48;
inline constexpr int kStyleInformation = 64;
inline constexpr int kButtonsYesNo = 4;
inline constexpr int kButtonsCancelTryContinue = 6;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerTryAgain = 10;
inline constexpr int kAnswerContinue = 11;

// Who closes the window: the user (the title bar, Alt+F4, the menu), Windows
// ending the session, or the program itself ("/R").
enum class CloseKind { User, SessionEnd, Program };

// What the main window shows; the Win32 layer implements it, tests record it.
class FormView {
  public:
    virtual ~FormView() = default;
    // Shows the table: the rows of the drive list and the entries of the
    // mount list, with the table's selection.
    virtual void ShowTable(const DriveTable& table) = 0;
    virtual void ShowLetters(const LetterList& letters) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetFolderText(const std::string& text) = 0;
    virtual void SetListTooltip(const std::string& text) = 0;
    // A message box; the answer of the button pressed.
    virtual int ShowMessage(const std::string& text, int style) = 0;
    virtual void ShowStartupOption(StartupOption option) = 0;
    virtual void BringToFront(Pane pane) = 0;
    virtual void PumpMessages() = 0;
    // Screen and window sizes in twips; the window is moved in twips too.
    virtual void ScreenAndWindowSize(double& screenWidth, double& screenHeight, double& windowWidth,
                                     double& windowHeight) = 0;
    virtual void MoveWindowTo(double left, double top) = 0;
    virtual void ShowWindow() = 0;
    virtual void DeleteTrayIcon() = 0;
    virtual void UnloadOtherWindows() = 0;
    // The folder browser over the window: `folder` is empty when cancelled.
    // False when the folder's name cannot be held as the program's text.
    virtual bool BrowseForFolder(const std::string& prompt, std::string& folder) = 0;
    virtual void FocusBrowseButton() = 0;
    // The notification-area icon: adds it (the tray record filled anew) and
    // shows its menu; the window's states.
    virtual void AddNotificationIcon() = 0;
    virtual void ShowTrayMenu() = 0;
    virtual void SetForeground() = 0;
    virtual void Repaint() = 0;
    virtual void HideWindow() = 0;
    virtual void MinimizeWindow() = 0;
    virtual void RestoreWindow() = 0;
    // Destroys the window at the program's own request (after the unload).
    virtual void DestroyNow() = 0;
    // Asks for the window to be closed, as the user would; runs later.
    virtual void RequestClose() = 0;
    // Ends the process at once, without unloading the window.
    virtual void EndProcess() = 0;
    // A phase of the start-up has ended: its name goes to the benchmark's
    // breakdown of the start-up time (nothing is shown).
    virtual void Mark(const char* /*phase*/) {}
};

// Whether another copy of the program is already running.
class InstanceGuard {
  public:
    virtual ~InstanceGuard() = default;
    virtual bool AnotherInstanceRunning() = 0;
    // Asks the copy that runs to show its window.
    virtual void ShowRunningCopy() = 0;
};

}  // namespace kestrova
