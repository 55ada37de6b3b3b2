#include "app/dialogs_win32.h"

#include "passwords/password_prompt_win32.h"
#include "win32/dialog.h"
#include "win32/message_box.h"

namespace veilora {

void DialogsWin32::showMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    win32::showNotice(owner_(), Notice{text, title, icon});
}

bool DialogsWin32::confirm(std::string_view text, std::string_view title) {
    return win32::showNotice(owner_(), Notice{text, title, MessageIcon::None}, MB_OKCANCEL) ==
           IDOK;
}

std::optional<PromptAnswer> DialogsWin32::promptPassword() {
    std::optional<TypedPassword> typed = readPasswordAtPrompt(owner_());
    if (!typed) return std::nullopt;
    if (!typed->representable()) return PromptAnswer({}, false);
    return PromptAnswer(typed->ansi());
}

void DialogsWin32::closeOpenBoxes() {
    win32::cancelThreadDialogs(
        [](HWND window, void* self) {
            const auto& stays = static_cast<DialogsWin32*>(self)->stays_;
            return stays && stays(window);
        },
        this);
}

}  // namespace veilora
