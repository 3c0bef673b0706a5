#include "ui/TrayIcon.h"

namespace kestrova {

void TrayIcon::Add() {
    view_.Repaint();
    view_.BringToFront(Pane::Main);
    view_.AddNotificationIcon();
    added_ = true;
}

bool TrayIcon::QueryUnload(bool fromTitleBar) {
    if (!fromTitleBar || !options_.TrayModeRegistered()) {
        return true;
    }
    view_.ShowWindow();
    Add();
    view_.MinimizeWindow();  // the resize rule then hides the window
    return false;
}

void TrayIcon::Resize(bool minimized) {
    if (!minimized || !options_.TrayModeRegistered()) {
        return;
    }
    // Never hidden without an icon to bring the window back.
    if (!added_) {
        Add();
    }
    view_.HideWindow();
}

bool TrayIcon::Event(TrayEvent event) {
    switch (event) {
        case TrayEvent::Click:
        case TrayEvent::DoubleClick: return true;
        case TrayEvent::MenuRequest:
            view_.SetForeground();
            view_.ShowTrayMenu();
            break;
    }
    return false;
}

void TrayIcon::TaskbarCreated() {
    if (added_) {
        view_.AddNotificationIcon();
    }
}

}  // namespace kestrova
