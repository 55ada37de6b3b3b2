#include "passwords/password_prompt_win32.h"

#include "passwords/password_text_win32.h"
#include "res/resource.h"
#include "windows/force_foreground_win32.h"

namespace veilora {

namespace {

struct PromptState {
    bool converted = false;  // read as a TypedPassword rather than as wide text
    std::wstring text;
    std::optional<TypedPassword> typed;
};

void readAnswer(PromptState& state, HWND edit) {
    if (state.converted) {
        state.typed.emplace(readPasswordField(edit));
        return;
    }
    const int length = ::GetWindowTextLengthW(edit);
    state.text.assign(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(edit, state.text.data(), length + 1);
    state.text.resize(static_cast<size_t>(length));
}

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
                        readAnswer(*state, edit);
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

std::optional<std::wstring> runPasswordPrompt(HWND owner) {
    PromptState state;
    std::optional<std::wstring> answer;
    if (runPrompt(owner, state) == IDOK) answer = state.text;
    if (!state.text.empty()) {
        ::SecureZeroMemory(state.text.data(), state.text.size() * sizeof(wchar_t));
    }
    return answer;
}

std::optional<TypedPassword> readPasswordAtPrompt(HWND owner) {
    PromptState state;
    state.converted = true;
    if (runPrompt(owner, state) != IDOK) return std::nullopt;
    if (!state.typed) return TypedPassword(std::optional<std::string>(std::string()));
    return std::move(state.typed);
}

}  // namespace veilora
