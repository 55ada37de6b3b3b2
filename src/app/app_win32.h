// The program: its hidden main window, start-up, the message loop and shutdown.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "about/help_win32.h"
#include "app/app.h"
#include "app/desktop_win32.h"
#include "app/dialogs_win32.h"
#include "app/popup_menu_win32.h"
#include "app/tray_icon_win32.h"
#include "capture/screen_capture.h"
#include "cover/cover_window_win32.h"
#include "monitor/input_hooks_win32.h"
#include "monitor/pointer_scout_win32.h"
#include "settings/options_dialog.h"
#include "settings/options_dialog_win32.h"
#include "settings/reg_settings.h"
#include "settings/registry_win32.h"
#include "sound/endpoint_volume_win32.h"
#include "sound/mixer_win32.h"
#include "sound/volume_dialog_win32.h"
#include "win32/com.h"
#include "win32/handles.h"
#include "win32/trace.h"
#include "win32/window.h"
#include "windows/window_management_win32.h"

namespace veilora {

class AppWin32 final : public win32::Window,
                       private CoverWindow::Events,
                       private TrayIconEvents,
                       private OptionsDialogHost,
                       private Capture {
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
    void leakForTest();
    void showTrayIcon();
    std::wstring picturePath() const;
    void loadCoverPicture();

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onCoverDoubleClick() override;
    void onCoverMouseUp(MouseButton button) override;
    void onCoverMenuIdle(WPARAM kind, LPARAM menuWindow) override {
        menuTrace_.onEnterIdle(kind, menuWindow);
    }
    void onTrayMenuRequested(POINT at) override;

    // What the Options dialog asks of the program.
    Options& liveOptions() override;
    bool coverPictureExists() override;
    std::optional<std::string> acceptOptions() override;
    void cancelOptions() override;
    void showOptionsHelp() override;
    void startCapture() override;
    RegSettings& passwordSettings() override;
    void passwordSet() override;

    // The capture's steps on the screen and the file.
    bool armCaptureKey() override;
    void disarmCaptureKey() override;
    std::optional<std::string> captureScreen() override;
    void loadCapturedPicture() override;
    void showOptionsAgain() override;

    // First in, last out: COM stays entered until every other member has gone.
    win32::ComApartment com_;
    std::unique_ptr<win32::FileTrace> trace_;
    RegistryWin32 registry_;
    RegSettings settings_;
    InputHooks hooks_;
    CoverWindow cover_;
    MixerVolume mixer_;
    EndpointVolume endpoint_;
    Volume* volume_ = &mixer_;  // the one chosen at start-up
    DesktopWin32 desktop_;
    DialogsWin32 dialogs_;
    std::unique_ptr<PointerScoutWin32> monitor_;
    std::unique_ptr<App> app_;
    std::unique_ptr<TrayIcon> tray_;
    OptionsDialog optionsDialog_;
    HelpViewer help_;
    OpenMenuTrace menuTrace_;
    WindowManagementDialog windowManagement_;
    VolumeDialog volumeDialog_;
    win32::HotKey hideKey_;
    win32::HotKey toggleKey_;
    win32::HotKey captureKey_;
    capture::CaptureDepth captureDepth_ = capture::CaptureDepth::Colours256;
    bool sessionWatched_ = false;
    // Test-only, in traced runs with VEILORA_TEST_LEAK set: one brush, one event and one
    // registry key more held at every hide, so a test can show that the soak sees a leak.
    struct TestLeaks {
        std::vector<win32::BrushHandle> gdi;
        std::vector<win32::KernelHandle> kernel;
        std::vector<win32::RegKey> keys;
    } testLeaks_;
    bool shutDown_ = false;
};

}  // namespace veilora
