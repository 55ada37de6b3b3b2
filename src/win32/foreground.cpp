#include "win32/foreground.h"

namespace veilora {

HWND topVisibleAncestor(HWND window) {
    HWND current = window;
    // Windows cannot form a cycle, but windows changing under us could look like one; the
    // bound keeps the climb finite.
    for (int depth = 0; current && depth < 1024; ++depth) {
        if (!(::GetWindowLongPtrW(current, GWL_STYLE) & WS_CHILD)) return current;
        HWND up = ::GetParent(current);
        if (!up || !::IsWindowVisible(up)) return current;
        current = up;
    }
    return current;
}

namespace {

bool takeForeground(HWND target, HWND foreground) {
    // Where the system lets us, the plain call is all it takes.
    if (::SetForegroundWindow(target) && ::GetForegroundWindow() == target) return true;
    // Joining the input of a program that does not answer would make us wait with it, at the
    // very moment the screen must be hidden: then the window comes to the top without the
    // keyboard rather than not at all.
    const DWORD ours = ::GetCurrentThreadId();
    const DWORD theirs = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool hung = foreground && ::IsHungAppWindow(foreground);
    const bool attached =
        theirs && theirs != ours && !hung && ::AttachThreadInput(ours, theirs, TRUE);
    ::BringWindowToTop(target);
    ::SetForegroundWindow(target);
    if (attached) ::AttachThreadInput(ours, theirs, FALSE);
    return ::GetForegroundWindow() == target;
}

}  // namespace

bool forceForeground(HWND window) {
    HWND target = topVisibleAncestor(window);
    HWND foreground = ::GetForegroundWindow();
    if (!target) return false;
    if (foreground == target) return true;  // nothing to show or restore
    const bool inFront = takeForeground(target, foreground);
    // Shown either way: a window the system kept from the keyboard is still seen.
    ::ShowWindow(target, ::IsIconic(target) ? SW_RESTORE : SW_SHOW);
    return inFront;
}

}  // namespace veilora
