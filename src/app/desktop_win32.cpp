#include "app/desktop_win32.h"

#include "win32/system.h"

namespace veilora {

namespace {

bool isShellWindow(HWND window) {
    wchar_t cls[64] = {};
    ::GetClassNameW(window, cls, 64);
    for (const wchar_t* shell : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"Progman",
                                 L"WorkerW", L"#32769"}) {
        if (::lstrcmpW(cls, shell) == 0) return true;
    }
    return false;
}

BOOL CALLBACK minimizeIfApplication(HWND window, LPARAM ownProcess) {
    if (!::IsWindowVisible(window) || ::IsIconic(window)) return TRUE;
    if (::GetWindow(window, GW_OWNER)) return TRUE;
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if ((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_APPWINDOW)) return TRUE;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == static_cast<DWORD>(ownProcess) || isShellWindow(window)) return TRUE;
    ::ShowWindowAsync(window, SW_MINIMIZE);
    return TRUE;
}

// Is there a shell that minimizes everything on Windows+M? Wine's desktop types an "m"
// into the focused program instead.
bool shellMinimizesOnWinM() {
    static const bool answer =
        !win32::runningUnderWine() && ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
    return answer;
}

void injectWinM() {
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_LWIN, 'M', 'M', VK_LWIN};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;  // release M too: no key left held
        // Marked, so the key block lets them pass to the shell.
        keys[i].ki.dwExtraInfo = static_cast<ULONG_PTR>(kInjectedByVeilora);
    }
    ::SendInput(4, keys, sizeof(INPUT));
}

}  // namespace

void minimizeApplicationWindows() {
    ::EnumWindows(&minimizeIfApplication, static_cast<LPARAM>(::GetCurrentProcessId()));
}

DesktopWin32::DesktopWin32(InputHooks& hooks, CoverWindow& cover) : hooks_(hooks), cover_(cover) {}

ScreenSize DesktopWin32::primaryScreenSize() {
    // The program is per-monitor DPI aware, so these are real pixels at any scaling.
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void DesktopWin32::minimizeAllWindows() {
    if (shellMinimizesOnWinM()) {
        injectWinM();
    } else {
        minimizeApplicationWindows();
    }
}

bool DesktopWin32::blockTaskSwitching() { return hooks_.installKeyboardHook(); }

void DesktopWin32::unblockTaskSwitching() { hooks_.removeKeyboardHook(); }

bool DesktopWin32::showCover() {
    if (!cover_.show()) return false;
    if (coverShown_) coverShown_();
    return true;
}

void DesktopWin32::hideCover() {
    cover_.hide();
    if (coverHidden_) coverHidden_();
}

void DesktopWin32::setCoverTopmost(bool topmost) { cover_.setTopmost(topmost); }

}  // namespace veilora
