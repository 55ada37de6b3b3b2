// The program: its hidden main window, start-up, the message loop and shutdown.
#pragma once

#include <windows.h>

#include <memory>

#include "about/help_win32.h"
#include "app/app.h"
#include "app/desktop_win32.h"
#include "app/dialogs_win32.h"
#include "app/tray_icon_win32.h"
#include "cover/cover_window_win32.h"
#include "monitor/input_hooks_win32.h"
#include "monitor/pointer_scout_win32.h"
#include "settings/options_dialog.h"
#include "settings/options_dialog_win32.h"
#include "settings/reg_settings.h"
#include "settings/registry_win32.h"
#include "sound/mixer_win32.h"
#include "win32/handles.h"
#include "win32/trace.h"
#include "win32/window.h"

namespace veilora {

class AppWin32 final : public win32::Window,
                       private CoverWindow::Events,
                       private TrayIconEvents,
                       private OptionsDialogHost {
public:
    AppWin32();
    ~AppWin32() override;

    // Start-up, the message loop, shutdown. Returns the process exit code.
    int run();

private:
    bool startUp();
    // The one way out: gives back what a hide changed, then takes down hooks, hot keys and
    // windows. Safe to call inside a nested message loop (a prompt or a message box): the
    // loops end with the windows, and the application ignores every event from then on.
    void shutdown();
    HWND dialogOwner() const;
    void watchSession();
    void reportOwners();
    void traceOpenMenu(LPARAM menuWindow);
    void showTrayIcon();
    std::wstring picturePath() const;
    void loadCoverPicture();

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onCoverDoubleClick() override;
    void onCoverMouseUp(MouseButton button) override;
    void onTrayMenuRequested(POINT at) override;

    // What the Options dialog asks of the program.
    Options& liveOptions() override;
    bool coverPictureExists() override;
    void acceptOptions() override;
    void cancelOptions() override;
    void showOptionsHelp() override;
    void startCapture() override;
    RegSettings& passwordSettings() override;
    void passwordSet() override;

    std::unique_ptr<win32::FileTrace> trace_;
    RegistryWin32 registry_;
    RegSettings settings_;
    InputHooks hooks_;
    CoverWindow cover_;
    MixerVolume volume_;
    DesktopWin32 desktop_;
    DialogsWin32 dialogs_;
    std::unique_ptr<PointerScoutWin32> monitor_;
    std::unique_ptr<App> app_;
    std::unique_ptr<TrayIcon> tray_;
    OptionsDialog optionsDialog_;
    HelpViewer help_;
    bool menuTraced_ = false;
    win32::HotKey hideKey_;
    win32::HotKey toggleKey_;
    bool sessionWatched_ = false;
    bool shutDown_ = false;
};

}  // namespace veilora
