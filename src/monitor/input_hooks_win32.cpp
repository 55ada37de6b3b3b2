#include "monitor/input_hooks_win32.h"

namespace veilora {

namespace {
InputHooks* g_hooks = nullptr;  // the hook procedures' way back to their owner

bool keyHeld(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }
}  // namespace

InputHooks::InputHooks(win32::FileTrace* trace) : trace_(trace) {
    g_hooks = this;
    ready_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, &InputHooks::threadMain, this, 0, &threadId_));
    if (thread_) ::WaitForSingleObject(ready_.get(), INFINITE);
}

InputHooks::~InputHooks() {
    if (thread_) {
        ::PostThreadMessageW(threadId_, kQuit, 0, 0);
        ::WaitForSingleObject(thread_.get(), 5000);
    }
    g_hooks = nullptr;
}

bool InputHooks::request(Request what) {
    if (!thread_) return false;
    if (!::PostThreadMessageW(threadId_, what, 0, 0)) return false;
    ::WaitForSingleObject(ready_.get(), INFINITE);
    return lastResult_;
}

bool InputHooks::post(Request what) {
    return thread_ && ::PostThreadMessageW(threadId_, what, 0, 0);
}

bool InputHooks::installMouseHook(HWND target, UINT message) {
    target_ = target;
    message_ = message;
    return mouseHook_.load() != nullptr || request(kInstallMouse);
}

void InputHooks::removeMouseHook() {
    if (mouseHook_.load()) request(kRemoveMouse);
}

bool InputHooks::installKeyboardHook() { return post(kInstallKeyboard); }

// Waits: once the cover is gone the keys must pass at once.
void InputHooks::removeKeyboardHook() { request(kRemoveKeyboard); }

DWORD WINAPI InputHooks::threadMain(void* self) {
    static_cast<InputHooks*>(self)->runThread();
    return 0;
}

void InputHooks::runThread() {
    // The hooks must never wait for the interface: keep this thread ahead of it.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    ::SetEvent(ready_.get());
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        switch (msg.message) {
            case kInstallMouse:
                mouseHook_ = ::SetWindowsHookExW(WH_MOUSE_LL, &InputHooks::mouseProc, instance, 0);
                lastResult_ = mouseHook_.load() != nullptr;
                ::SetEvent(ready_.get());
                break;
            case kRemoveMouse:
                ::UnhookWindowsHookEx(mouseHook_.exchange(nullptr));
                lastResult_ = true;
                ::SetEvent(ready_.get());
                break;
            case kInstallKeyboard:
                if (!keyboardHook_.load()) {
                    filter_ = TaskSwitchFilter{};  // forget modifiers seen in an earlier hide
                    keyboardHook_ = ::SetWindowsHookExW(WH_KEYBOARD_LL, &InputHooks::keyboardProc,
                                                        instance, 0);
                }
                break;
            case kRemoveKeyboard:
                if (HHOOK h = keyboardHook_.exchange(nullptr)) ::UnhookWindowsHookEx(h);
                lastResult_ = true;
                ::SetEvent(ready_.get());
                break;
            case kQuit:
                if (HHOOK h = mouseHook_.exchange(nullptr)) ::UnhookWindowsHookEx(h);
                if (HHOOK h = keyboardHook_.exchange(nullptr)) ::UnhookWindowsHookEx(h);
                return;
            default:
                ::DispatchMessageW(&msg);
                break;
        }
    }
}

LRESULT CALLBACK InputHooks::mouseProc(int code, WPARAM wParam, LPARAM lParam) {
    InputHooks* self = g_hooks;
    if (code == HC_ACTION && self) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        MouseEventKind kind{};
        switch (wParam) {
            case WM_MOUSEMOVE: kind = MouseEventKind::Move; break;
            case WM_MOUSEWHEEL: kind = MouseEventKind::Wheel; break;
            case WM_MBUTTONDOWN: kind = MouseEventKind::MiddleDown; break;
            case WM_LBUTTONDOWN: kind = MouseEventKind::LeftDown; break;
            case WM_LBUTTONUP: kind = MouseEventKind::LeftUp; break;
            case WM_RBUTTONDOWN: kind = MouseEventKind::RightDown; break;
            case WM_RBUTTONUP: kind = MouseEventKind::RightUp; break;
            default: break;
        }
        HWND target = self->target_.load();
        if (kind != MouseEventKind{} && target) {
            if (self->trace_) self->trace_->event("mouse-event", static_cast<long long>(kind));
            const LPARAM point = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(info->pt.x)),
                                            static_cast<WORD>(static_cast<SHORT>(info->pt.y)));
            ::PostMessageW(target, self->message_.load(), static_cast<WPARAM>(kind), point);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK InputHooks::keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    InputHooks* self = g_hooks;
    if (code == HC_ACTION && self) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        KeyEvent event{static_cast<std::uint32_t>(wParam), info->vkCode, info->flags};
        ModifierState held;
        // Ask the system only for the keys that matter: the query is not free under Wine.
        if (info->vkCode == VK_TAB || info->vkCode == VK_ESCAPE) {
            held = {keyHeld(VK_MENU), keyHeld(VK_CONTROL)};
        }
        if (self->filter_.swallow(event, held)) return -1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace veilora
