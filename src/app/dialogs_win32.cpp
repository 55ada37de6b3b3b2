#include "app/dialogs_win32.h"

#include "passwords/password_prompt_win32.h"
#include "win32/strings.h"

namespace veilora {

UINT messageBoxIconFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return MB_ICONINFORMATION;
        case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
        case MessageIcon::Critical: return MB_ICONHAND;
        case MessageIcon::None: break;
    }
    return 0;
}

void DialogsWin32::showMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    HWND owner = owner_();
    // Our windows are usually hidden: make sure the box is seen anyway.
    UINT flags = MB_OK | MB_SETFOREGROUND | messageBoxIconFlags(icon);
    if (!owner || !::IsWindowVisible(owner)) flags |= MB_TOPMOST;
    ::MessageBoxW(owner, win32::widen(text).c_str(), win32::widen(title).c_str(), flags);
}

std::optional<std::string> DialogsWin32::promptPassword() {
    auto typed = runPasswordPrompt(owner_());
    if (!typed) return std::nullopt;
    std::string text = win32::narrow(*typed);
    ::SecureZeroMemory(typed->data(), typed->size() * sizeof(wchar_t));
    return text;
}

}  // namespace veilora
