// Bringing one of our windows to the front while another program has the keyboard.
#pragma once

#include <windows.h>

namespace veilora {

// The highest window above `window` in its chain of visible parents (the window itself when
// its parent is hidden or it has none). Owned windows are top-level windows of their own:
// the climb follows parents only.
HWND topVisibleAncestor(HWND window);

// Makes the top visible ancestor of `window` the foreground window, shown, and restored when
// minimized. The system refuses the foreground to a program that did not receive the last
// input (the mouse hook does not count), so the call joins the input of the current
// foreground thread for the moment of the switch, unless that thread does not answer.
// True when the window is in front.
bool forceForeground(HWND window);

}  // namespace veilora
