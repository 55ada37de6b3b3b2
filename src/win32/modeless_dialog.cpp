#include "win32/modeless_dialog.h"

namespace veilora::win32 {

ModelessDialog::~ModelessDialog() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

void ModelessDialog::close() {
    if (hwnd_) ::DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

bool ModelessDialog::create(int templateId, HWND owner) {
    if (hwnd_) return true;
    ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                         &ModelessDialog::dialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

INT_PTR CALLBACK ModelessDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    ModelessDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ModelessDialog*>(lParam);
        self->hwnd_ = dialog;
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<ModelessDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    // No exception may cross into the system's code.
    try {
        result = self->handleMessage(message, wParam, lParam);
    } catch (...) {
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

bool handleDialogMessage(MSG& msg) {
    // Only keys need the dialog manager; everything else takes the ordinary way.
    if (!msg.hwnd || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || ::GetWindowThreadProcessId(root, nullptr) != ::GetCurrentThreadId()) {
        return false;
    }
    wchar_t cls[16] = {};
    ::GetClassNameW(root, cls, 16);
    if (::lstrcmpW(cls, L"#32770") != 0) return false;
    return ::IsDialogMessageW(root, &msg) != FALSE;
}

}  // namespace veilora::win32
