// Opening a document, web address or "mailto:" address with the program the system has for it.
#pragma once

#include <windows.h>

#include <string_view>

namespace veilora {

// The shell's "open" verb on `file`, any message owned by `owner`. The shell's result as is:
// above 32 is success, 31 (kShellNoAssociation) means no program is registered for it.
int launch(HWND owner, std::wstring_view file);

}  // namespace veilora
