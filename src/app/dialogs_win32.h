// Message boxes and the password prompt, owned by whichever of the program's windows the
// user is looking at.
#pragma once

#include <windows.h>

#include <functional>

#include "ports/ports.h"

namespace veilora {

class DialogsWin32 final : public Dialogs {
public:
    // `stays`: a dialog that outlives a hide (the Options dialog).
    DialogsWin32(std::function<HWND()> owner, std::function<bool(HWND)> stays)
        : owner_(std::move(owner)), stays_(std::move(stays)) {}

    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    bool confirm(std::string_view text, std::string_view title) override;
    std::optional<PromptAnswer> promptPassword() override;
    void closeOpenBoxes() override;

private:
    std::function<HWND()> owner_;
    std::function<bool(HWND)> stays_;
};

}  // namespace veilora
