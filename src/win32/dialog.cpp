#include "win32/dialog.h"

#include "win32/handles.h"

namespace veilora::win32 {

// The loop of a message box or a modal dialog gives the keyboard interface only to its own
// box: an open modeless dialog would lose Tab, Enter and Esc until the box closed. This
// filter runs inside those loops and routes the keys of every other dialog too. One per
// thread, while a modeless dialog exists there.
struct ModalLoopFilter {
    DWORD thread = ::GetCurrentThreadId();
    HookHandle hook;
};

namespace {

LRESULT CALLBACK modalLoopFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    if ((code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) &&
        routeDialogMessage(*reinterpret_cast<MSG*>(lParam))) {
        return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::shared_ptr<ModalLoopFilter> shareModalLoopFilter() {
    static std::weak_ptr<ModalLoopFilter> shared;
    auto filter = shared.lock();
    if (filter && filter->thread == ::GetCurrentThreadId()) return filter;
    filter = std::make_shared<ModalLoopFilter>();
    filter->hook.reset(::SetWindowsHookExW(WH_MSGFILTER, &modalLoopFilterProc, nullptr,
                                           filter->thread));
    if (shared.expired()) shared = filter;
    return filter;
}

}  // namespace

Dialog::~Dialog() {
    // The derived object is gone: messages sent while the window goes must not reach it.
    detached_ = true;
    destroy();
}

void Dialog::destroy() {
    if (hwnd_ && !modal_) ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::runModal(int templateId, HWND owner) {
    destroy();  // one window per object at a time
    modal_ = true;
    const INT_PTR result =
        ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                          &Dialog::dialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool Dialog::createModeless(int templateId, HWND owner) {
    if (hwnd_) return true;
    modal_ = false;
    ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                         &Dialog::dialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void Dialog::close(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_) {
        ::EndDialog(hwnd_, result);
    } else {
        ::ShowWindow(hwnd_, SW_HIDE);
    }
}

void Dialog::focusControl(HWND control) {
    if (!hwnd_ || !control) return;
    ::SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

INT_PTR Dialog::answer(LRESULT value) {
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        if (!self->modal_) self->keyFilter_ = shareModalLoopFilter();
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR handled = FALSE;
    // No exception may cross into the system's code.
    if (!self->detached_) {
        try {
            handled = self->onMessage(message, wParam, lParam);
        } catch (...) {
            handled = FALSE;
        }
    }
    // The last message: what the dialog freed there was its own to free.
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        self->keyFilter_.reset();
        return FALSE;
    }
    return handled;
}

namespace {
struct DialogSearch {
    bool (*stays)(HWND, void*);
    void* context;
    HWND found[32];
    int count;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<DialogSearch*>(data);
    wchar_t cls[8] = {};
    if (!::IsWindowVisible(window) || ::GetClassNameW(window, cls, 8) == 0 ||
        lstrcmpW(cls, L"#32770") != 0 || (search.stays && search.stays(window, search.context))) {
        return TRUE;
    }
    search.found[search.count++] = window;
    return search.count < 32;
}
}  // namespace

void cancelThreadDialogs(bool (*stays)(HWND, void*), void* context) {
    // A menu's own loop ends as soon as control returns to it.
    ::EndMenu();
    // Enumeration runs from the top of the z-order down: the innermost box comes first, so
    // each loop ends before the one it runs in.
    DialogSearch search{stays, context, {}, 0};
    ::EnumThreadWindows(::GetCurrentThreadId(), &collectDialog, reinterpret_cast<LPARAM>(&search));
    for (int i = 0; i < search.count; ++i) {
        if (::IsWindow(search.found[i])) {
            ::SendMessageW(search.found[i], WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }
}

bool routeDialogMessage(MSG& msg) {
    // The system's dialog code runs the modal-loop filter again: one routing at a time.
    thread_local bool routing = false;
    if (routing || !msg.hwnd || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        return false;
    }
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    wchar_t cls[8] = {};
    if (!root || ::GetClassNameW(root, cls, 8) == 0 || lstrcmpW(cls, L"#32770") != 0) return false;
    routing = true;
    const bool handled = ::IsDialogMessageW(root, &msg) != FALSE;
    routing = false;
    return handled;
}

}  // namespace veilora::win32
