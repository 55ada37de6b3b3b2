#include "passwords/password_prompt_win32.h"

#include "passwords/password_text_win32.h"
#include "res/resource.h"
#include "win32/foreground.h"

namespace veilora {

namespace {

// What the prompt got: nothing on Cancel.
using PromptState = std::optional<TypedPassword>;

INT_PTR CALLBACK promptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            HWND edit = ::GetDlgItem(dialog, IDC_PASSWORD);
            preparePasswordField(edit);
            forceForeground(dialog);
            ::SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                auto* state = reinterpret_cast<PromptState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
                HWND edit = ::GetDlgItem(dialog, IDC_PASSWORD);
                if (LOWORD(wParam) == IDOK && state) {
                    try {
                        state->emplace(readPasswordField(edit));
                    } catch (...) {
                        // No exception may cross into the system's code; an unread answer
                        // is an empty one.
                    }
                }
                clearPasswordField(edit);  // leave nothing of the password behind
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

INT_PTR runPrompt(HWND owner, PromptState& state) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PASSWORD_PROMPT),
                             owner, &promptProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace

std::optional<TypedPassword> readPasswordAtPrompt(HWND owner) {
    PromptState state;
    if (runPrompt(owner, state) != IDOK) return std::nullopt;
    if (!state) return TypedPassword();
    return state;
}

}  // namespace veilora
