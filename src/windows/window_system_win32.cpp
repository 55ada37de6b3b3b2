#include "windows/window_system_win32.h"

#include <psapi.h>

#include "win32/handles.h"
#include "win32/system.h"

namespace veilora {

namespace {
BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    // Called by the system: nothing may throw out of here.
    try {
        reinterpret_cast<std::vector<WindowId>*>(list)->push_back(toWindowId(window));
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// A message with a time-out; nullopt when the window did not answer.
std::optional<LRESULT> sendWithTimeout(WindowId window, UINT message, WPARAM wParam,
                                       LPARAM lParam, std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    ::SetLastError(0);
    if (!::SendMessageTimeoutW(toHwnd(window), message, wParam, lParam, SMTO_ABORTIFHUNG,
                               timeoutMs, &result) &&
        ::GetLastError() != 0) {
        return std::nullopt;  // ERROR_TIMEOUT: timed out or hung; or the window is gone
    }
    // Wine reports an answer of 0 (no icon, no text) as a failure without an error code.
    return static_cast<LRESULT>(result);
}
}  // namespace

std::vector<WindowId> WindowSystemWin32::topLevelWindows() {
    // One snapshot: walking with GetWindow can loop for ever while the z-order changes.
    std::vector<WindowId> windows;
    ::EnumWindows(&collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool WindowSystemWin32::exists(WindowId window) { return window && ::IsWindow(toHwnd(window)); }

bool WindowSystemWin32::isVisible(WindowId window) {
    return window && ::IsWindowVisible(toHwnd(window));
}

bool WindowSystemWin32::isCloaked(WindowId window) {
    // The window manager's library is not one the system always loads from its own folder,
    // and older systems have none: taken from System32 at run time, once.
    using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
    static const GetAttribute getAttribute = [] {
        HMODULE dwm = win32::loadSystemLibrary(L"dwmapi.dll");
        return dwm ? reinterpret_cast<GetAttribute>(reinterpret_cast<void*>(
                         ::GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
    DWORD cloaked = 0;
    if (!window || !getAttribute ||
        getAttribute(toHwnd(window), kCloaked, &cloaked, sizeof cloaked) != S_OK) {
        return false;
    }
    return cloaked != 0;
}

WindowId WindowSystemWin32::parent(WindowId window) {
    return window ? toWindowId(::GetParent(toHwnd(window))) : 0;
}

WindowId WindowSystemWin32::owner(WindowId window) {
    return window ? toWindowId(::GetWindow(toHwnd(window), GW_OWNER)) : 0;
}

std::uint32_t WindowSystemWin32::extendedStyle(WindowId window) {
    if (!window) return 0;
    return static_cast<std::uint32_t>(::GetWindowLongPtrW(toHwnd(window), GWL_EXSTYLE));
}

std::wstring WindowSystemWin32::className(WindowId window) {
    wchar_t buffer[256];
    const int n = window ? ::GetClassNameW(toHwnd(window), buffer, 256) : 0;
    return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n)) : std::wstring();
}

WindowThread WindowSystemWin32::windowThread(WindowId window) {
    if (!window) return {};
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(toHwnd(window), &process);
    return {thread, process};
}

std::uint32_t WindowSystemWin32::currentProcessId() { return ::GetCurrentProcessId(); }

std::optional<std::size_t> WindowSystemWin32::textLength(WindowId window,
                                                         std::uint32_t timeoutMs) {
    const auto length = sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, timeoutMs);
    if (!length) return std::nullopt;
    return *length > 0 ? static_cast<std::size_t>(*length) : 0;
}

std::optional<std::wstring> WindowSystemWin32::text(WindowId window, std::size_t capacity,
                                                    std::uint32_t timeoutMs) {
    if (capacity == 0) return std::wstring();
    std::wstring buffer(capacity, L'\0');
    const auto copied = sendWithTimeout(window, WM_GETTEXT, capacity,
                                        reinterpret_cast<LPARAM>(buffer.data()), timeoutMs);
    if (!copied) return std::nullopt;
    // Trust the count only as far as the buffer goes.
    std::size_t n = *copied > 0 ? static_cast<std::size_t>(*copied) : 0;
    if (n >= capacity) n = capacity - 1;
    buffer.resize(n);
    return buffer;
}

std::optional<IconId> WindowSystemWin32::icon(WindowId window, IconSize size,
                                              std::uint32_t timeoutMs) {
    const auto icon = sendWithTimeout(window, WM_GETICON,
                                      size == IconSize::Big ? ICON_BIG : ICON_SMALL, 0, timeoutMs);
    if (!icon) return std::nullopt;
    return static_cast<IconId>(*icon);
}

bool WindowSystemWin32::ping(WindowId window, std::uint32_t timeoutMs) {
    return sendWithTimeout(window, WM_NULL, 0, 0, timeoutMs).has_value();
}

IconId WindowSystemWin32::classIcon(WindowId window, IconSize size) {
    if (!window) return 0;
    return static_cast<IconId>(
        ::GetClassLongPtrW(toHwnd(window), size == IconSize::Big ? GCLP_HICON : GCLP_HICONSM));
}

IconId WindowSystemWin32::stockIcon(StockIcon which) {
    return toIconId(
        ::LoadIconW(nullptr, which == StockIcon::WindowsLogo ? IDI_WINLOGO : IDI_APPLICATION));
}

bool WindowSystemWin32::isMinimized(WindowId window) {
    return window && ::IsIconic(toHwnd(window));
}

void WindowSystemWin32::restore(WindowId window) {
    // Asynchronous: a plain ShowWindow on another thread's window waits for that thread.
    if (window) ::ShowWindowAsync(toHwnd(window), SW_RESTORE);
}

bool WindowSystemWin32::setForeground(WindowId window) {
    return window && ::SetForegroundWindow(toHwnd(window));
}

WindowId WindowSystemWin32::foreground() { return toWindowId(::GetForegroundWindow()); }

const VdmDebug& WindowSystemWin32::vdm() {
    if (!vdm_) vdm_.emplace();
    return *vdm_;
}

bool WindowSystemWin32::hostsWowTasks(std::uint32_t processId) {
    return vdm().hostsWowTasks(processId);
}

std::wstring WindowSystemWin32::firstModuleName(std::uint32_t processId) {
    // Without the DOS machine's services there is no DOS machine to find.
    if (!vdm().available()) return {};
    win32::KernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return {};
    HMODULE modules[256];
    DWORD needed = 0;
    if (!::EnumProcessModules(process.get(), modules, sizeof modules, &needed) ||
        needed < sizeof(HMODULE)) {
        return {};
    }
    wchar_t name[MAX_PATH];
    const DWORD n = ::GetModuleBaseNameW(process.get(), modules[0], name, MAX_PATH);
    return std::wstring(name, n);
}

}  // namespace veilora
