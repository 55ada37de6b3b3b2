#include "windows/force_foreground_win32.h"

namespace veilora {

bool forceForeground(HWND window) {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == window) return true;
    // Where the system lets us, the plain call is all it takes.
    if (::SetForegroundWindow(window) && ::GetForegroundWindow() == window) return true;
    // Joining the input of a program that does not answer would make us wait with it, at the
    // very moment the screen must be hidden: then the window comes to the top without the
    // keyboard rather than not at all.
    const DWORD ours = ::GetCurrentThreadId();
    const DWORD theirs = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool hung = foreground && ::IsHungAppWindow(foreground);
    const bool attached =
        theirs && theirs != ours && !hung && ::AttachThreadInput(ours, theirs, TRUE);
    ::BringWindowToTop(window);
    ::SetForegroundWindow(window);
    if (attached) ::AttachThreadInput(ours, theirs, FALSE);
    return ::GetForegroundWindow() == window;
}

}  // namespace veilora
