// The masked "Enter Password" prompt: a dialog of our own whose edit field shows "*" for
// every character from the first keystroke.
#pragma once

#include <windows.h>

#include <optional>

#include "passwords/password_text.h"

namespace veilora {

// Runs the prompt modally above `owner`; its answer converted like every password (see
// passwordToAnsi): compare with TypedPassword::matches, which no text the code page cannot
// hold passes. nullopt on Cancel.
std::optional<TypedPassword> readPasswordAtPrompt(HWND owner);

}  // namespace veilora
