#include "passwords/password_prompt_win32.h"

#include "res/resource.h"
#include "windows/force_foreground_win32.h"

namespace veilora {

namespace {

struct PromptState {
    std::wstring text;
};

INT_PTR CALLBACK promptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            HWND edit = ::GetDlgItem(dialog, IDC_PASSWORD);
            ::SendMessageW(edit, EM_SETPASSWORDCHAR, L'*', 0);
            ::SendMessageW(edit, EM_SETLIMITTEXT, 255, 0);
            forceForeground(dialog);
            ::SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                auto* state = reinterpret_cast<PromptState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
                HWND edit = ::GetDlgItem(dialog, IDC_PASSWORD);
                if (LOWORD(wParam) == IDOK && state) {
                    const int length = ::GetWindowTextLengthW(edit);
                    state->text.assign(static_cast<size_t>(length) + 1, L'\0');
                    ::GetWindowTextW(edit, state->text.data(), length + 1);
                    state->text.resize(static_cast<size_t>(length));
                }
                ::SetWindowTextW(edit, L"");  // leave nothing of the password behind
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::wstring> runPasswordPrompt(HWND owner) {
    PromptState state;
    const INT_PTR result =
        ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PASSWORD_PROMPT), owner,
                          &promptProc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.text;
}

}  // namespace veilora
