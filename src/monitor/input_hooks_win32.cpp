#include "monitor/input_hooks_win32.h"

#include <memory>
#include <optional>

#include "monitor/screen_point.h"

namespace veilora {

namespace {
InputHooks* g_hooks = nullptr;  // the hook procedures' way back to their owner

constexpr DWORD kRequestTimeoutMs = 5000;
constexpr UINT kWatchdogMs = 1000;
// A hook is taken for dead when input arrived after the last event it saw and it has seen
// nothing for this long: events still on their way are not yet a sign of a dead hook.
constexpr LONG kSilenceMs = 500;

bool keyHeld(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

// The buttons as the hook names them are logical; the key state query reports physical ones.
bool logicalButtonHeld(bool left) {
    const bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
    return keyHeld(left != swapped ? VK_LBUTTON : VK_RBUTTON);
}

LPARAM packPoint(POINT p) {
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(p.x)),
                      static_cast<WORD>(static_cast<SHORT>(p.y)));
}

std::optional<POINT> onSomeScreen(POINT p) {
    const ScreenRect screen{::GetSystemMetrics(SM_XVIRTUALSCREEN),
                            ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                            ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                            ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const auto clamped = clampToScreen({p.x, p.y}, screen);
    if (!clamped) return std::nullopt;
    return POINT{clamped->x, clamped->y};
}

// Later of two tick counts, wrap-around safe.
DWORD later(DWORD a, DWORD b) { return static_cast<LONG>(a - b) >= 0 ? a : b; }
}  // namespace

InputHooks::InputHooks(TraceSink* trace) : trace_(trace) {
    g_hooks = this;
    ready_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, &InputHooks::threadMain, this, 0, &threadId_));
    if (thread_) ::WaitForSingleObject(ready_.get(), INFINITE);
}

InputHooks::~InputHooks() {
    if (thread_) {
        ::PostThreadMessageW(threadId_, kQuit, 0, 0);
        ::WaitForSingleObject(thread_.get(), kRequestTimeoutMs);
    }
    g_hooks = nullptr;
}

bool InputHooks::request(HookRequest what) {
    if (!thread_) return false;
    auto ticket = std::make_shared<HookTicket>(what);
    auto posted = std::make_unique<std::shared_ptr<HookTicket>>(ticket);
    if (!::PostThreadMessageW(threadId_, kRequest, 0, reinterpret_cast<LPARAM>(posted.get()))) {
        return false;
    }
    posted.release();  // the hook thread's now
    // The hook thread is ours and never blocks; the limit only keeps a broken system from
    // freezing the interface.
    return ticket->await(std::chrono::milliseconds(kRequestTimeoutMs)).value_or(false);
}

bool InputHooks::installMouseHook(HWND target, UINT message) {
    if (shutDown_) return false;
    target_ = target;
    message_ = message;
    return request(HookRequest::InstallMouse);
}

void InputHooks::removeMouseHook() { request(HookRequest::RemoveMouse); }

bool InputHooks::installKeyboardHook() { return !shutDown_ && request(HookRequest::InstallKeyboard); }

// Waits: once the cover is gone the keys must pass at once.
void InputHooks::removeKeyboardHook() { request(HookRequest::RemoveKeyboard); }

void InputHooks::reinstall() {
    if (!shutDown_) request(HookRequest::Reinstall);
}

void InputHooks::shutdown() {
    shutDown_ = true;
    request(HookRequest::RemoveKeyboard);
    request(HookRequest::RemoveMouse);
}

void InputHooks::dropMouseHookForTest() { request(HookRequest::DropMouseForTest); }

DWORD WINAPI InputHooks::threadMain(void* self) {
    static_cast<InputHooks*>(self)->runThread();
    return 0;
}

bool InputHooks::setMouseHook() {
    mouseHook_.reset();  // never two at once: each event would be reported twice
    POINT cursor{};
    ::GetCursorPos(&cursor);
    lastMousePoint_ = packPoint(cursor);
    lastMouseTick_ = ::GetTickCount();
    mouseHook_.reset(::SetWindowsHookExW(WH_MOUSE_LL, &InputHooks::mouseProc,
                                         ::GetModuleHandleW(nullptr), 0));
    return static_cast<bool>(mouseHook_);
}

bool InputHooks::setKeyboardHook() {
    keyboardHook_.reset();
    filter_ = TaskSwitchFilter{};  // forget presses seen under an earlier cover
    lastKeyTick_ = ::GetTickCount();
    keyboardHook_.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &InputHooks::keyboardProc,
                                            ::GetModuleHandleW(nullptr), 0));
    return static_cast<bool>(keyboardHook_);
}

void InputHooks::checkHooks() {
    LASTINPUTINFO input{sizeof input, 0};
    if (!::GetLastInputInfo(&input)) return;
    const DWORD now = ::GetTickCount();
    const auto unseen = [&](DWORD lastSeen) {
        return static_cast<LONG>(input.dwTime - lastSeen) > 0 &&
               static_cast<LONG>(now - lastSeen) >= kSilenceMs;
    };
    if (mouseWanted_) {
        // The cursor moved by input the hook never reported.
        POINT cursor{};
        ::GetCursorPos(&cursor);
        if (packPoint(cursor) != lastMousePoint_.load() && unseen(lastMouseTick_)) {
            setMouseHook();
            if (trace_) trace_->event("hook-reinstalled", 1);
        }
    }
    if (keyboardWanted_ && unseen(later(lastKeyTick_, lastMouseTick_))) {
        setKeyboardHook();
        if (trace_) trace_->event("hook-reinstalled", 2);
    }
}

void InputHooks::runThread() {
    // The hooks must never wait for the interface: keep this thread ahead of it.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    ::SetEvent(ready_.get());
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, kWatchdogMs, nullptr);
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        switch (msg.message) {
            case kRequest: {
                std::unique_ptr<std::shared_ptr<HookTicket>> ticket(
                    reinterpret_cast<std::shared_ptr<HookTicket>*>(msg.lParam));
                (*ticket)->answer(*this);
                break;
            }
            case WM_TIMER:
                if (msg.wParam == watchdog) checkHooks();
                break;
            case kQuit:
                ::KillTimer(nullptr, watchdog);
                mouseHook_.reset();
                keyboardHook_.reset();
                return;
            default:
                ::DispatchMessageW(&msg);
                break;
        }
    }
}

bool InputHooks::carryOut(HookRequest request) {
    switch (request) {
        case HookRequest::InstallMouse:
            mouseWanted_ = true;
            return mouseHook_ ? true : setMouseHook();
        case HookRequest::RemoveMouse:
            mouseWanted_ = false;
            mouseHook_.reset();
            return true;
        case HookRequest::InstallKeyboard:
            keyboardWanted_ = true;
            return keyboardHook_ ? true : setKeyboardHook();
        case HookRequest::RemoveKeyboard:
            keyboardWanted_ = false;
            keyboardHook_.reset();
            return true;
        case HookRequest::Reinstall:
            if (mouseWanted_) setMouseHook();
            if (keyboardWanted_) setKeyboardHook();
            if (trace_) trace_->event("hook-reinstalled", 3);
            return true;
        case HookRequest::DropMouseForTest:
            // The handle stays with its owner, which believes the hook is still in place.
            ::UnhookWindowsHookEx(mouseHook_.get());
            if (trace_) trace_->event("hook-dropped", 1);
            return true;
    }
    return false;
}

LRESULT CALLBACK InputHooks::mouseProc(int code, WPARAM wParam, LPARAM lParam) {
    InputHooks* self = g_hooks;
    if (code == HC_ACTION && self) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        self->lastMouseTick_ = ::GetTickCount();
        self->lastMousePoint_ = packPoint(info->pt);
        WPARAM kind = 0;
        POINT at = info->pt;
        switch (wParam) {
            case WM_MOUSEMOVE: {
                // Some systems report moves that are none: to the same point again, or to a
                // place no cursor can be (far off every screen) when a window under the
                // cursor is minimized. Neither is the person moving the mouse. A point just
                // past the edge is the mouse pushed into it: it counts as the edge.
                const std::optional<POINT> onScreen = onSomeScreen(info->pt);
                if (!onScreen) break;
                at = *onScreen;
                const LPARAM point = packPoint(at);
                if (point != self->lastMovePosted_.load()) {
                    self->lastMovePosted_ = point;
                    kind = static_cast<WPARAM>(MouseEventKind::Move);
                }
                break;
            }
            case WM_MOUSEWHEEL: kind = static_cast<WPARAM>(MouseEventKind::Wheel); break;
            case WM_MBUTTONDOWN: kind = static_cast<WPARAM>(MouseEventKind::MiddleDown); break;
            case WM_LBUTTONDOWN:
                kind = static_cast<WPARAM>(MouseEventKind::LeftDown);
                if (logicalButtonHeld(false)) kind |= kOtherButtonHeld;
                break;
            case WM_LBUTTONUP: kind = static_cast<WPARAM>(MouseEventKind::LeftUp); break;
            case WM_RBUTTONDOWN:
                kind = static_cast<WPARAM>(MouseEventKind::RightDown);
                if (logicalButtonHeld(true)) kind |= kOtherButtonHeld;
                break;
            case WM_RBUTTONUP: kind = static_cast<WPARAM>(MouseEventKind::RightUp); break;
            default: break;
        }
        HWND target = self->target_.load();
        if (kind != 0 && target) {
            if (self->trace_) {
                self->trace_->event("mouse-event", static_cast<long long>(kind & 0xFF));
            }
            ::PostMessageW(target, self->message_.load(), kind, packPoint(at));
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK InputHooks::keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    InputHooks* self = g_hooks;
    if (code == HC_ACTION && self) {
        self->lastKeyTick_ = ::GetTickCount();
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const KeyEvent event{static_cast<std::uint32_t>(wParam), info->vkCode, info->flags,
                             static_cast<std::uint64_t>(info->dwExtraInfo)};
        ModifierState held;
        // Ask the system only for the presses that matter: the query is not free everywhere.
        const bool press = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (press) held.win = keyHeld(VK_LWIN) || keyHeld(VK_RWIN);
        if (press && (info->vkCode == VK_TAB || info->vkCode == VK_ESCAPE)) {
            held.alt = keyHeld(VK_MENU);
            held.ctrl = keyHeld(VK_CONTROL);
        }
        if (self->filter_.swallow(event, held)) return -1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace veilora
