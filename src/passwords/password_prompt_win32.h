// The masked "Enter Password" prompt: a dialog of our own whose edit field shows "*" for
// every character from the first keystroke.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace veilora {

// Runs the prompt modally above `owner`. The typed text, or nullopt on Cancel.
std::optional<std::wstring> runPasswordPrompt(HWND owner);

}  // namespace veilora
