// The about box, "About...": the logo, the notices, the version and two links.
#pragma once

#include <windows.h>

#include "win32/trace.h"

namespace veilora {

// Modal; returns when OK, Enter (away from a link) or Esc closes it. While a box is open, a
// second call brings it to the front and returns at once. `trace` (optional)
// records each link followed: "launch <target>", then "launch-result <shell's result>".
void showAboutBox(HWND owner = nullptr, win32::FileTrace* trace = nullptr);

}  // namespace veilora
