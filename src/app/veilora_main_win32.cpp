#include <windows.h>

#include <commctrl.h>

#include "app/app_win32.h"
#include "win32/handles.h"
#include "win32/system.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything else loads: no DLL from the program's folder or the current one.
    veilora::win32::restrictDllSearchToSystem();

    // One instance per user session.
    veilora::win32::KernelHandle instance(
        ::CreateMutexW(nullptr, FALSE, L"Local\\Fernwick.Veilora.Instance"));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::MessageBoxW(nullptr, L"This program is already running.", L"Already Running",
                      MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
        // The running copy opens its Options dialog: the way back to it when its tray icon
        // is invisible. Posted, so a copy that does not answer cannot hold this one up.
        if (HWND running = ::FindWindowW(veilora::kMainWindowClass, nullptr)) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(running, &process);
            ::AllowSetForegroundWindow(process);
            ::PostMessageW(running, veilora::showOptionsMessage(), 0, 0);
        }
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    veilora::AppWin32 app;
    return app.run();
}
