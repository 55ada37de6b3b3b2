// The program's icon in the notification area: added, changed in place and removed; put back
// when the taskbar is made anew; the menu asked for by a right-button release or by the
// keyboard's context-menu key on the focused icon.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "win32/handles.h"

namespace veilora {

enum class TrayLook {
    Normal,     // the program's icon, tip "Veilora"
    Invisible,  // a fully transparent icon and no tip: still in its place, still clickable
};

class TrayIconEvents {
  public:
    virtual ~TrayIconEvents() = default;
    // Open the tray menu at `at` (screen pixels).
    virtual void onTrayMenuRequested(POINT at) = 0;
};

class TrayIcon {
  public:
    // Notifications arrive at `owner` as win32::kMsgTrayNotify.
    TrayIcon(HWND owner, TrayIconEvents& events);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon();

    // Adds the icon, or gives the present one the new look in place.
    void show(TrayLook look);
    void remove();
    bool present() const { return added_; }

    // The owner window passes every message here first; true when it was the tray's.
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The record handed to the shell, for a look; icons belong to this object.
    NOTIFYICONDATAW record(TrayLook look);

  private:
    bool apply();
    void loadIcons();

    HWND owner_;
    TrayIconEvents& events_;
    UINT taskbarCreated_;
    TrayLook look_ = TrayLook::Normal;
    bool wanted_ = false;    // show() was called and remove() was not
    bool added_ = false;     // the shell holds the icon
    bool version4_ = false;  // the shell speaks the current notification protocol
    int iconSize_ = 0;
    win32::IconHandle programIcon_;
    win32::IconHandle clearIcon_;
};

}  // namespace veilora
