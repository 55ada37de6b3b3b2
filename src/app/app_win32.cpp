#include "app/app_win32.h"

#include "res/resource.h"
#include "win32/system.h"

namespace veilora {

namespace {
constexpr wchar_t kPictureFile[] = L"scrcap.bmp";
constexpr char kFirstRunMessage[] =
    "Since this is the first time you have run Veilora, you should configure the program's "
    "options. The options dialog will now be shown so you can do this.";

// Registers a hot key that does not repeat while held, where the system knows that flag.
void registerHotKey(HWND window, int id, UINT modifiers, UINT key) {
    if (!::RegisterHotKey(window, id, modifiers | MOD_NOREPEAT, key)) {
        ::RegisterHotKey(window, id, modifiers, key);
    }
}
}  // namespace

AppWin32::AppWin32()
    : trace_(win32::FileTrace::fromEnvironment()),
      settings_(registry_),
      hooks_(trace_.get()),
      cover_(*this, trace_.get()),
      desktop_(hooks_, cover_),
      dialogs_([this] { return dialogOwner(); }) {}

AppWin32::~AppWin32() { shutdown(); }

HWND AppWin32::dialogOwner() const {
    if (cover_.visible()) return cover_.hwnd();
    return hwnd();
}

int AppWin32::run() {
    if (!startUp()) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    shutdown();
    return 0;
}

bool AppWin32::startUp() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_VEILORA));
    win32::WindowClass cls{L"VeiloraMain", 0, icon, icon};
    // A real top-level window (never shown): close requests from other programs and the
    // end of the session reach only top-level windows.
    if (!createWindow(cls, 0, WS_OVERLAPPEDWINDOW, L"Veilora", CW_USEDEFAULT, CW_USEDEFAULT,
                      400, 300)) {
        return false;
    }

    registerHotKey(hwnd(), kHotKeyHide, 0, VK_OEM_3);  // 0xC0, the key left of 1
    registerHotKey(hwnd(), kHotKeyToggleEnabled, MOD_CONTROL, 'E');

    monitor_ = std::make_unique<PointerScoutWin32>(hooks_, hwnd(), win32::kMsgMouseEvent,
                                                   trace_.get());
    app_ = std::make_unique<App>(
        AppPorts{settings_, desktop_, *monitor_, volume_, dialogs_, trace_.get()});
    const int osMajor = win32::osMajorVersion();
    if (trace_) trace_->event("os-major", osMajor);
    app_->loadOptions(osMajor);

    volume_.open();
    cover_.create(hwnd());

    if (app_->isFirstRun()) {
        dialogs_.showMessage(kFirstRunMessage, "Veilora", MessageIcon::Exclamation);
    }

    if (isChecked(app_->options().hideMethodScr)) {
        std::wstring picture = win32::programFolder();
        if (picture.back() != L'\\') picture += L'\\';  // a drive root already ends in one
        picture += kPictureFile;
        if (win32::fileExists(picture)) cover_.setPicture(picture);
    }

    monitor_->startMonitor();
    if (trace_) trace_->event("ready");
    return true;
}

void AppWin32::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (app_) app_->onShutdown();
    hooks_.removeKeyboardHook();
    if (hwnd()) {
        for (int id : {kHotKeyCapture, kHotKeyToggleEnabled, kHotKeyHide}) {
            ::UnregisterHotKey(hwnd(), id);
        }
    }
    if (monitor_) monitor_->shutdown();
    cover_.hide();
    destroyWindow();
}

LRESULT AppWin32::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HOTKEY:
            if (app_) app_->onHotKey(static_cast<int>(wParam));
            break;  // and default handling, like every other message
        case win32::kMsgMouseEvent:
            if (app_ && monitor_) monitor_->deliver(*app_, wParam, lParam);
            return 0;
        case WM_CLOSE:
            // Another program (or the task manager) asks us to end: do it cleanly.
            shutdown();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
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

void AppWin32::onCoverDoubleClick() {
    if (app_) app_->coverDoubleClick();
}

void AppWin32::onCoverMouseUp(MouseButton button) {
    // The cover menu arrives with the tray icon; until then a release only re-tops the cover.
    if (app_) app_->coverMouseUp(button);
}

}  // namespace veilora
