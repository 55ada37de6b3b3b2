// Shows the core's notices as message boxes.
#pragma once

#include <windows.h>

#include "ports/notice.h"

namespace veilora::win32 {

UINT messageIconFlags(MessageIcon icon);

// A message box owned by `owner` (which is disabled meanwhile); `buttons` as for MessageBox.
// Returns the button chosen.
int showNotice(HWND owner, const Notice& notice, UINT buttons = MB_OK);

}  // namespace veilora::win32
