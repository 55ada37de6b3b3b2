#include "app/desktop_win32.h"

#include "win32/foreground.h"
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

// A window of another program that a person sees on the desktop and that minimizing takes.
bool isShownApplicationWindow(HWND window) {
    if (!::IsWindowVisible(window) || ::IsIconic(window)) return false;
    if (::GetWindow(window, GW_OWNER)) return false;
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if ((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_APPWINDOW)) return false;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process != ::GetCurrentProcessId() && !isShellWindow(window);
}

BOOL CALLBACK minimizeIfApplication(HWND window, LPARAM) {
    if (isShownApplicationWindow(window)) ::ShowWindowAsync(window, SW_MINIMIZE);
    return TRUE;
}

BOOL CALLBACK collectIfApplication(HWND window, LPARAM windows) {
    if (isShownApplicationWindow(window)) {
        reinterpret_cast<ShownWindows*>(windows)->topFirst.push_back(
            reinterpret_cast<WindowRef>(window));
    }
    return TRUE;
}

HWND windowOf(WindowRef window) { return reinterpret_cast<HWND>(window); }

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

void minimizeApplicationWindows() { ::EnumWindows(&minimizeIfApplication, 0); }

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

ShownWindows DesktopWin32::shownApplicationWindows() {
    ShownWindows shown;
    ::EnumWindows(&collectIfApplication, reinterpret_cast<LPARAM>(&shown));  // topmost first
    // A dialog that has the keyboard stands for the window that owns it.
    if (HWND foreground = ::GetForegroundWindow()) {
        shown.active = reinterpret_cast<WindowRef>(::GetAncestor(foreground, GA_ROOTOWNER));
    }
    return shown;
}

bool DesktopWin32::isMinimized(WindowRef window) {
    return ::IsWindow(windowOf(window)) && ::IsIconic(windowOf(window));
}

void DesktopWin32::bringBack(const std::vector<WindowRef>& topFirst, WindowRef active) {
    // From the bottom up, each restored window goes on top of the ones before it. A program
    // that does not answer gets its window back without waiting for it; only its place in the
    // order may then differ.
    for (auto it = topFirst.rbegin(); it != topFirst.rend(); ++it) {
        HWND window = windowOf(*it);
        if (::IsHungAppWindow(window)) {
            ::ShowWindowAsync(window, SW_SHOWNOACTIVATE);
            continue;
        }
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (active) forceForeground(windowOf(active));
}

}  // namespace veilora
