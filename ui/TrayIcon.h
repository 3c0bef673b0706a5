#pragma once

#include "ui/FormView.h"
#include "ui/StartupOptions.h"

namespace kestrova {

// The notification-area icon: added by the "/T" and "/B" starts and by a
// close while a tray mode is registered in the Run value, which also sends a
// minimised window there; its clicks show the window, its right-click the
// menu. The icon stays until the window unloads.
class TrayIcon {
  public:
    TrayIcon(FormView& view, StartupOptions& options) : view_(view), options_(options) {}

    // AddTrayIcon: the drive pane in front, and the icon (once).
    void Add();
    // A close request; `fromTitleBar` for the close box, system menu and
    // Alt+F4. False when the close is turned into hiding in the tray.
    bool QueryUnload(bool fromTitleBar);
    // After a change of the window state.
    void Resize(bool minimized);
    // What the user did with the icon: true when the window is to be shown.
    bool Event(TrayEvent event);
    // The taskbar was created anew (Explorer restarted): the icon comes back.
    void TaskbarCreated();
    bool Added() const { return added_; }

  private:
    FormView& view_;
    StartupOptions& options_;
    bool added_ = false;
};

}  // namespace kestrova
