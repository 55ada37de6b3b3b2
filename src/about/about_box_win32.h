// The about box, "About...": the logo, the notices, the version and two links.
#pragma once

#include <windows.h>

namespace veilora {

// Modal; returns when OK, Enter (away from a link) or Esc closes it.
void showAboutBox(HWND owner = nullptr);

}  // namespace veilora
