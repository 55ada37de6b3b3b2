// The Set Password and Change Password dialogs, modal over the Options dialog. Both write
// "General"/"Offset" at once when their checks pass.
#pragma once

#include <windows.h>

#include "settings/reg_settings.h"

namespace veilora {

// True when a password was stored (the program's `setpw`).
bool runSetPasswordDialog(HWND owner, RegSettings& settings);

// True when the stored password was changed.
bool runChangePasswordDialog(HWND owner, RegSettings& settings);

}  // namespace veilora
