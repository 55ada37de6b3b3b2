// Small window and process operations shared by the dialogs of the window-management and
// sound subsystems. Bringing a window to the front is forceForeground
// (win32/foreground.h).
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace veilora {

// Sets the priority class of a process (with process id 0, the process of `window`) and
// returns the class read back: 0 when the process cannot be opened.
DWORD setProcessPriority(DWORD processId, HWND window, DWORD priorityClass);

// Puts a copy of the icon into the image list, at `replace` or at the end; the image list
// never owns or destroys the icon. The image's index, or -1 when the icon is unusable.
int addIconToImageList(HIMAGELIST list, HICON icon, int replace = -1);

}  // namespace veilora
