#include "app/app_win32.h"

#include <wtsapi32.h>

#include <vector>

#include "about/about_box_win32.h"
#include "capture/capture_dialog_win32.h"
#include "capture/screen_capture_win32.h"
#include "app/popup_menu_win32.h"
#include "imaging/dib_section_win32.h"
#include "res/resource.h"
#include "sound/volume_backend.h"
#include "win32/dialog.h"
#include "win32/strings.h"
#include "win32/system.h"
#include "win32/foreground.h"

namespace veilora {

namespace {
constexpr char kFirstRunMessage[] =
    "Since this is the first time you have run Veilora, you should configure the program's "
    "options. The options dialog will now be shown so you can do this.";

// Session notifications come from a library the system does not always load from its own
// folder: taken from there explicitly.
template <typename F>
F sessionFunction(const char* name) {
    static HMODULE module = win32::loadSystemLibrary(L"wtsapi32.dll");
    if (!module) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
}  // namespace

AppWin32::AppWin32()
    : trace_(win32::FileTrace::fromEnvironment()),
      settings_(registry_),
      hooks_(trace_.get()),
      cover_(*this, trace_.get()),
      mixer_(trace_.get()),
      endpoint_(trace_.get()),
      desktop_(hooks_, cover_),
      dialogs_([this] { return dialogOwner(); },
               [this](HWND dialog) { return dialog == optionsDialog_.hwnd(); }),
      optionsDialog_(*this, OptionsDialogFeatures{.captureButton = true}),
      help_(trace_.get()),
      menuTrace_(trace_.get()) {
    windowManagement_.setTrace(trace_.get());
    desktop_.onCoverHidden([this] {
        // The tools of the cover go with it.
        windowManagement_.close();
        volumeDialog_.close();
    });
    if (trace_ && ::GetEnvironmentVariableW(L"VEILORA_TEST_LEAK", nullptr, 0) > 0) {
        desktop_.onCoverShown([this] { leakForTest(); });
    }
}

AppWin32::~AppWin32() { shutdown(); }

HWND AppWin32::dialogOwner() const {
    if (cover_.visible()) return cover_.hwnd();
    // Over the Options dialog when it is up (its password prompt, its messages).
    if (optionsDialog_.visible()) return optionsDialog_.hwnd();
    return hwnd();
}

int AppWin32::run() {
    // Before the first user of COM (the endpoint volume, the shell's links), on this thread.
    com_.enter();
    if (!startUp()) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The modeless dialogs' keyboard interface: Tab, Enter, Esc, mnemonics.
        if (win32::routeDialogMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    shutdown();
    return 0;
}

bool AppWin32::startUp() {
    imaging::useSystemMessages();
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_VEILORA));
    win32::WindowClass cls{L"VeiloraMain", 0, icon, icon};
    // A real top-level window (never shown): close requests from other programs and the
    // end of the session reach only top-level windows.
    if (!createWindow(cls, 0, WS_OVERLAPPEDWINDOW, L"Veilora", CW_USEDEFAULT, CW_USEDEFAULT,
                      400, 300)) {
        // Never end unseen: the user is told why, and the trace keeps the system's code.
        const DWORD error = ::GetLastError();
        if (trace_) trace_->event("startup-failed", static_cast<long long>(error));
        dialogs_.showMessage("Veilora could not start: " + win32::narrow(imaging::apiError(error)),
                             "Veilora", MessageIcon::Critical);
        return false;
    }

    hideKey_.registerKey(hwnd(), kHotKeyHide, 0, VK_OEM_3);  // 0xC0, the key left of 1
    toggleKey_.registerKey(hwnd(), kHotKeyToggleEnabled, MOD_CONTROL, 'E');

    const int osMajor = win32::osMajorVersion();
    if (trace_) {
        trace_->event("os-major", osMajor);
        trace_->event("program-bits", static_cast<long long>(sizeof(void*) * 8));
    }
    const VolumeBackend backend = chooseVolumeBackend(osMajor, endpoint_);
    if (backend == VolumeBackend::Endpoint) volume_ = &endpoint_;
    if (trace_) trace_->eventText("volume-backend", win32::widen(volumeBackendName(backend)));

    monitor_ = std::make_unique<PointerScoutWin32>(hooks_, hwnd(), win32::kMsgMouseEvent,
                                                   trace_.get());
    app_ = std::make_unique<App>(AppPorts{settings_, desktop_, *monitor_, *volume_, dialogs_,
                                          trace_.get(), static_cast<Capture*>(this)});
    app_->loadOptions(muteSoundReachesSpeakers(osMajor, backend));
    // A run that died while the sound was lowered left the level to give back.
    app_->recoverLevel();

    cover_.create(hwnd());

    if (app_->isFirstRun()) {
        dialogs_.showMessage(kFirstRunMessage, "Veilora", MessageIcon::Exclamation);
        // OK saves (and "First Run" with it); Cancel saves nothing, so the next start asks
        // again. Either way start-up goes on.
        // A hide during the message closed it: the dialog must not take the keyboard from
        // beneath the cover, so the question comes again at the next start.
        if (!shutDown_ && !app_->covered()) optionsDialog_.showModal();
        if (shutDown_) return true;  // ended while the message or the dialog was up
    }

    tray_ = std::make_unique<TrayIcon>(hwnd(), static_cast<TrayIconEvents&>(*this));
    showTrayIcon();

    if (isChecked(app_->options().hideMethodScr)) loadCoverPicture();

    watchSession();
    monitor_->startMonitor();
    if (trace_) trace_->event("ready");
    return true;
}

std::wstring AppWin32::picturePath() const {
    return capture::captureFilePath(win32::programFolder());
}

void AppWin32::loadCoverPicture() {
    const std::wstring picture = picturePath();
    if (win32::fileExists(picture)) cover_.setPicture(picture);
}

void AppWin32::showTrayIcon() {
    tray_->show(app_->options().trayIconNormal ? TrayLook::Normal : TrayLook::Invisible);
}

void AppWin32::watchSession() {
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    if (auto fn = sessionFunction<Register>("WTSRegisterSessionNotification")) {
        sessionWatched_ = fn(hwnd(), NOTIFY_FOR_THIS_SESSION) != FALSE;
    }
}

void AppWin32::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (app_) app_->end();
    // Boxes without an owner (the About box, a message over a hidden window) would outlive
    // the program's windows.
    dialogs_.closeOpenBoxes();
    if (tray_) tray_->remove();
    if (monitor_) monitor_->shutdown();
    hooks_.shutdown();
    hideKey_.unregister();
    toggleKey_.unregister();
    captureKey_.unregister();
    if (sessionWatched_) {
        using Unregister = BOOL(WINAPI*)(HWND);
        if (auto fn = sessionFunction<Unregister>("WTSUnRegisterSessionNotification")) fn(hwnd());
        sessionWatched_ = false;
    }
    if (trace_) {
        reportOwners();  // what is still held once everything was given back
        trace_->event("shutdown");
    }
    cover_.destroy();  // and with it any prompt above it
    optionsDialog_.hide();
    destroyWindow();
}

void AppWin32::reportOwners() {
    for (int kind = 0; kind < static_cast<int>(win32::OwnerKind::Count); ++kind) {
        const auto k = static_cast<win32::OwnerKind>(kind);
        trace_->event(std::string("owners-") + win32::ownerKindName(k), win32::liveOwners(k));
    }
    trace_->event("owners-reported");
}

void AppWin32::leakForTest() {
    testLeaks_.gdi.emplace_back(::CreateSolidBrush(RGB(1, 2, 3)));
    testLeaks_.kernel.emplace_back(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HKEY key = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key);
    testLeaks_.keys.emplace_back(key);
    trace_->event("test-leak", static_cast<long long>(testLeaks_.gdi.size()));
}

LRESULT AppWin32::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (tray_ && tray_->handleMessage(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_HOTKEY:
            if (app_) app_->onHotKey(static_cast<int>(wParam));
            break;  // and default handling, like every other message
        case win32::kMsgMouseEvent:
            if (app_ && monitor_) monitor_->deliver(*app_, wParam, lParam);
            return 0;
        case WM_WTSSESSION_CHANGE:
            // Back from a locked or disconnected session the hooks may be gone.
            if (wParam == WTS_SESSION_UNLOCK || wParam == WTS_CONSOLE_CONNECT ||
                wParam == WTS_REMOTE_CONNECT) {
                hooks_.reinstall();
            }
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
                hooks_.reinstall();
            }
            return TRUE;
        case win32::kMsgTestDropMouseHook:
            if (trace_) hooks_.dropMouseHookForTest();
            return 0;
        case win32::kMsgTestReportOwners:
            if (trace_) reportOwners();
            return 0;
        case WM_CLOSE:
            // Another program (or the task manager) asks us to end: do it cleanly.
            shutdown();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENTERIDLE:
            menuTrace_.onEnterIdle(wParam, lParam);
            break;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns: everything is given back now.
            if (wParam) shutdown();
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return Window::handleMessage(message, wParam, lParam);
}

void AppWin32::onTrayMenuRequested(POINT at) {
    if (!app_ || !app_->trayMenuAvailable()) return;
    using C = TrayCommand;
    auto item = [](C command, const wchar_t* text, bool checked = false, bool isDefault = false) {
        return PopupMenuItem{static_cast<UINT>(command), text, checked, isDefault};
    };
    std::vector<PopupMenuItem> items;
    if (app_->soundHeldLowered()) {
        // Nothing else would give the sound back after a hide without a cover.
        items = {item(C::RestoreSound, L"Restore Sound"), PopupMenuItem::line()};
    }
    items.insert(items.end(), {
        item(C::Enabled, L"Enabled", app_->enabledMark()),
        item(C::Disabled, L"Disabled", app_->disabledMark()),
        PopupMenuItem::line(),
        item(C::Options, L"Options", false, true),
        PopupMenuItem::line(),
        item(C::Help, L"&Help"),
        item(C::About, L"About"),
        PopupMenuItem::line(),
        item(C::Exit, L"Exit"),
    });
    menuTrace_.menuOpening();
    const auto command = static_cast<C>(trackPopupMenu(hwnd(), at, items));
    if (trace_) trace_->event("menu-command", static_cast<long long>(command));
    if (!app_->trayMenuAvailable()) return;  // a hide or the end came while it was open
    switch (command) {
        case C::Enabled: app_->clickEnableItem(0); break;
        case C::Disabled: app_->clickEnableItem(1); break;
        case C::Options:
            if (app_->requestOptions()) optionsDialog_.show();
            break;
        case C::Help: help_.showContents(hwnd()); break;
        case C::About: showAboutBox(nullptr, trace_.get()); break;
        case C::Exit: shutdown(); break;
        case C::RestoreSound: app_->giveSoundBack(); break;
        default: break;
    }
}

Options& AppWin32::liveOptions() { return app_->options(); }

bool AppWin32::coverPictureExists() { return win32::fileExists(picturePath()); }

std::optional<std::string> AppWin32::acceptOptions() {
    if (!app_->saveOptions(runCommandLine(win32::programFolder(), win32::programName()))) {
        const DWORD error = registry_.lastError();
        if (trace_) trace_->event("options-not-saved", static_cast<long long>(error));
        return win32::narrow(imaging::apiError(error));
    }
    if (tray_) showTrayIcon();
    if (isChecked(app_->options().hideMethodScr)) loadCoverPicture();
    if (trace_) trace_->event("options-saved");
    return std::nullopt;
}

void AppWin32::cancelOptions() {
    app_->reloadOptions();
    if (trace_) trace_->event("options-reloaded");
}

void AppWin32::showOptionsHelp() { help_.showOptionsTopic(hwnd()); }

void AppWin32::startCapture() {
    // The colour-depth dialog first; F11 is registered only once it has closed.
    const std::optional<capture::CaptureDepth> depth =
        capture::runCaptureDepthDialog(optionsDialog_.hwnd());
    if (!app_->armCapture(depth.has_value())) return;
    captureDepth_ = *depth;
    optionsDialog_.hide();  // so that the person can arrange the screen
    if (trace_) trace_->event("capture-armed", static_cast<long long>(*depth));
}

bool AppWin32::armCaptureKey() {
    return captureKey_.registerKey(hwnd(), kHotKeyCapture, 0, VK_F11);
}

void AppWin32::disarmCaptureKey() { captureKey_.unregister(); }

std::optional<std::string> AppWin32::captureScreen() {
    const capture::CaptureResult result =
        capture::captureScreenToFile(captureDepth_, picturePath(), trace_.get());
    if (result.saved) return std::nullopt;
    return win32::narrow(result.error);
}

void AppWin32::loadCapturedPicture() { cover_.setPicture(picturePath()); }

void AppWin32::showOptionsAgain() { optionsDialog_.show(); }

RegSettings& AppWin32::passwordSettings() { return settings_; }

void AppWin32::passwordSet() { app_->passwordSet(); }

void AppWin32::onCoverDoubleClick() {
    if (app_) app_->coverDoubleClick();
}

void AppWin32::onCoverMouseUp(MouseButton button) {
    if (!app_ || !app_->coverMouseUp(button)) return;
    using C = CoverCommand;
    auto item = [](C command, const wchar_t* text, bool isDefault = false) {
        return PopupMenuItem{static_cast<UINT>(command), text, false, isDefault};
    };
    const PopupMenuItem items[] = {
        item(C::MinimizeAll, L"Minimize all windows", true),
        item(C::WindowManagement, L"Window Management"),
        item(C::Volume, L"Volume"),
        item(C::Disable, L"Disable"),
    };
    POINT at{};
    ::GetCursorPos(&at);
    menuTrace_.menuOpening();
    const auto command = static_cast<C>(trackPopupMenu(cover_.hwnd(), at, items));
    if (trace_) trace_->event("menu-command", static_cast<long long>(command));
    app_->coverMenuClosed();
    if (app_->state() != AppState::Hidden) return;  // the cover went meanwhile
    switch (command) {
        case C::MinimizeAll: app_->coverMinimizeAll(); break;
        case C::WindowManagement:
            // Below the topmost band for a moment, so the dialog it owns comes up above it.
            cover_.setTopmost(false);
            windowManagement_.show(cover_.hwnd());
            cover_.setTopmost(true);
            forceForeground(windowManagement_.hwnd());
            break;
        case C::Volume:
            cover_.setTopmost(false);
            volumeDialog_.show(cover_.hwnd(), static_cast<std::uint32_t>(app_->lvl()),
                               [this](std::uint32_t level) { app_->setSavedLevel(level); });
            cover_.setTopmost(true);
            forceForeground(volumeDialog_.hwnd());
            break;
        case C::Disable: app_->coverDisable(); break;
        default: break;
    }
}

}  // namespace veilora
