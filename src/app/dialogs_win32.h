// Message boxes and the password prompt, owned by whichever of the program's windows the
// user is looking at.
#pragma once

#include <windows.h>

#include <functional>

#include "ports/ports.h"

namespace veilora {

class DialogsWin32 final : public Dialogs {
public:
    explicit DialogsWin32(std::function<HWND()> owner) : owner_(std::move(owner)) {}

    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    bool confirm(std::string_view text, std::string_view title) override;
    std::optional<PromptAnswer> promptPassword() override;

private:
    std::function<HWND()> owner_;
};

}  // namespace veilora
