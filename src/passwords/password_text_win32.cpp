#include "passwords/password_text_win32.h"

#include <climits>

namespace veilora {

namespace {

void wipeWide(std::wstring& text) {
    if (!text.empty()) ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    text.clear();
}

}  // namespace

TypedPassword passwordToAnsi(std::wstring_view typed) {
    if (typed.empty()) return TypedPassword();
    if (typed.size() > INT_MAX / 4) return TypedPassword(std::nullopt);
    const int size = static_cast<int>(typed.size());
    // Ask to be told of substitutions; UTF-8 as the ANSI code page allows neither the
    // best-fit switch nor the default-character report, only the invalid-character error.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultSlot = utf8 ? nullptr : &usedDefault;
    const int needed = ::WideCharToMultiByte(CP_ACP, flags, typed.data(), size, nullptr, 0, nullptr,
                                             usedDefaultSlot);
    if (needed <= 0 || usedDefault) return TypedPassword(std::nullopt);
    // Converted straight into the password's own buffer: no other copy to forget.
    return TypedPassword::filledBy(static_cast<size_t>(needed), [&](char* ansi) {
        if (::WideCharToMultiByte(CP_ACP, flags, typed.data(), size, ansi, needed, nullptr,
                                  usedDefaultSlot) != needed ||
            usedDefault) {
            return false;
        }
        // Some code pages map characters to others without reporting it; only a text that
        // comes back unchanged is the person's password.
        std::wstring back(typed.size(), L'\0');
        const int backSize = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, needed,
                                                   back.data(), size);
        const bool exact = backSize == size && std::wstring_view(back) == typed;
        wipeWide(back);
        return exact;
    });
}

void preparePasswordField(HWND edit) {
    ::SendMessageW(edit, EM_SETPASSWORDCHAR, L'*', 0);
    ::SendMessageW(edit, EM_SETLIMITTEXT, kMaxPasswordLength, 0);
}

TypedPassword readPasswordField(HWND edit) {
    const int length = ::GetWindowTextLengthW(edit);
    if (length <= 0) return TypedPassword();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(edit, text.data(), length + 1);
    TypedPassword typed = passwordToAnsi(std::wstring_view(text.data(), copied > 0 ? copied : 0));
    wipeWide(text);
    return typed;
}

bool passwordFieldFilled(HWND edit) {
    return ::GetWindowTextLengthW(edit) > 0;
}

void clearPasswordField(HWND edit) {
    ::SetWindowTextW(edit, L"");
}

}  // namespace veilora
