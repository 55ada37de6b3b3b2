// Bringing one of our windows to the front while another program has the keyboard.
#pragma once

#include <windows.h>

namespace veilora {

// Makes `window` the foreground window. The system refuses that to a program that did not
// receive the last input (the mouse hook does not count), so the call joins the input of the
// current foreground thread for the moment of the switch, unless that thread does not answer.
// True when it worked.
bool forceForeground(HWND window);

}  // namespace veilora
