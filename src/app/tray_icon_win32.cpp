#include "app/tray_icon_win32.h"

#include <windowsx.h>

#include <cwchar>
#include <vector>

#include "res/resource.h"
#include "win32/window.h"

namespace veilora {

namespace {

constexpr UINT kIconId = 1;
constexpr wchar_t kTip[] = L"Veilora";

template <typename Fn>
Fn user32Function(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

// The size the tray draws at: the small-icon size at the DPI of the taskbar's monitor, which
// for a per-monitor aware program can differ from the DPI it started with.
int trayIconSize() {
    using DpiForWindowFn = UINT(WINAPI*)(HWND);
    using MetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto dpiForWindow = user32Function<DpiForWindowFn>("GetDpiForWindow");
    static const auto metricsForDpi = user32Function<MetricsForDpiFn>("GetSystemMetricsForDpi");
    if (dpiForWindow && metricsForDpi) {
        if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
            if (const UINT dpi = dpiForWindow(taskbar)) return metricsForDpi(SM_CXSMICON, dpi);
        }
    }
    return ::GetSystemMetrics(SM_CXSMICON);
}

// Every pixel keeps what is under it: the mask lets all through and the colour adds nothing.
HICON makeClearIcon(int size) {
    const int maskStride = (size + 15) / 16 * 2;  // monochrome rows are word-aligned
    const std::vector<BYTE> mask(static_cast<size_t>(maskStride * size), 0xFF);
    const std::vector<DWORD> color(static_cast<size_t>(size * size), 0);
    win32::BitmapHandle maskBitmap(::CreateBitmap(size, size, 1, 1, mask.data()));
    win32::BitmapHandle colorBitmap(::CreateBitmap(size, size, 1, 32, color.data()));
    if (!maskBitmap || !colorBitmap) return nullptr;
    ICONINFO info{TRUE, 0, 0, maskBitmap.get(), colorBitmap.get()};
    return ::CreateIconIndirect(&info);  // copies the bitmaps
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, TrayIconEvents& events)
    : owner_(owner), events_(events), taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {
    // Run elevated, the program would not hear the shell (a lower integrity level) otherwise.
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    if (const auto allow = user32Function<FilterFn>("ChangeWindowMessageFilterEx")) {
        constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
        if (taskbarCreated_) allow(owner_, taskbarCreated_, kAllow, nullptr);
        allow(owner_, win32::kMsgTrayNotify, kAllow, nullptr);
    }
}

TrayIcon::~TrayIcon() {
    remove();
}

void TrayIcon::loadIcons() {
    const int size = trayIconSize();
    if (size == iconSize_ && programIcon_ && clearIcon_) return;
    iconSize_ = size;
    programIcon_.reset(
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VEILORA),
                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    clearIcon_.reset(makeClearIcon(size));
}

NOTIFYICONDATAW TrayIcon::record(TrayLook look) {
    loadIcons();
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = win32::kMsgTrayNotify;
    if (look == TrayLook::Normal) {
        data.hIcon = programIcon_.get();
        data.uFlags |= NIF_SHOWTIP;  // the current protocol shows the tip only when asked
        std::wcsncpy(data.szTip, kTip, sizeof data.szTip / sizeof data.szTip[0] - 1);
    } else {
        data.hIcon = clearIcon_.get();
    }
    return data;
}

bool TrayIcon::apply() {
    NOTIFYICONDATAW data = record(look_);
    if (added_) {
        if (::Shell_NotifyIconW(NIM_MODIFY, &data)) return true;
        added_ = false;  // the shell lost it without telling: add it again
    }
    // An icon of ours the shell still holds refuses the add; then the look is changed in place.
    if (!::Shell_NotifyIconW(NIM_ADD, &data) && !::Shell_NotifyIconW(NIM_MODIFY, &data)) {
        return false;  // no taskbar yet: "TaskbarCreated" brings the icon when one comes
    }
    added_ = true;
    data.uVersion = NOTIFYICON_VERSION_4;
    version4_ = ::Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
    return true;
}

void TrayIcon::show(TrayLook look) {
    look_ = look;
    wanted_ = true;
    apply();
}

void TrayIcon::remove() {
    wanted_ = false;
    if (!added_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
}

bool TrayIcon::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == win32::kMsgTrayNotify) {
        if (!added_) return true;
        if (version4_) {
            // The shell sends the context-menu request when the right button is released on
            // the icon and for Shift+F10 or the menu key on the focused icon, with its anchor.
            if (LOWORD(lParam) == WM_CONTEXTMENU) {
                events_.onTrayMenuRequested({GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
            }
        } else if (static_cast<UINT>(lParam) == WM_RBUTTONUP) {
            // Older shells send the mouse message alone, also for the keyboard's request.
            POINT at{};
            ::GetCursorPos(&at);
            events_.onTrayMenuRequested(at);
        }
        return true;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        added_ = false;  // the new taskbar knows nothing of us
        if (wanted_) apply();
        return true;
    }
    if (message == WM_SETTINGCHANGE || message == WM_DISPLAYCHANGE || message == WM_DPICHANGED) {
        // The tray may now want another size; others may want these messages too.
        if (added_ && trayIconSize() != iconSize_) apply();
    }
    return false;
}

}  // namespace veilora
