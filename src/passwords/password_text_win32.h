// The one conversion of a typed password and the one way a password field behaves, shared by
// the Set and Change Password dialogs and the prompt.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "passwords/password_text.h"

namespace veilora {

// The typed text in the ANSI code page, character for character; not representable when the
// code page cannot hold one of the characters (no lookalike is substituted).
TypedPassword passwordToAnsi(std::wstring_view typed);

// '*' for every character from the first key, and the shared length limit.
void preparePasswordField(HWND edit);

// The field's text, converted; the wide copy is wiped.
TypedPassword readPasswordField(HWND edit);

bool passwordFieldFilled(HWND edit);
void clearPasswordField(HWND edit);

}  // namespace veilora
