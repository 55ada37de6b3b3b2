// The system-wide low-level mouse and keyboard hooks, on a thread of their own.
//
// The hook procedures only classify the event, pass it on and post a small message to the
// user-interface thread, so a busy interface never slows the system's mouse or keyboard.
// Installing and removing a hook are requests to that thread and return when done; each
// request has its own answer, and one answered too late is undone (see hook_requests.h).
//
// The system removes a low-level hook that answers too slowly, without telling its owner.
// A watchdog on the hook thread looks once a second whether input arrived that a hook
// should have seen and did not, and then installs that hook again.
#pragma once

#include <windows.h>

#include <atomic>

#include "monitor/hook_requests.h"
#include "monitor/task_switch_filter.h"
#include "ports/ports.h"
#include "win32/handles.h"

namespace veilora {

enum class MouseEventKind : WPARAM {
    Move = 1,
    Wheel,
    MiddleDown,
    LeftDown,
    LeftUp,
    RightDown,
    RightUp,
};

// Posted mouse events carry the kind in the low byte of wParam and, for button presses, the
// physical state of the other button at the moment of the press in this bit.
inline constexpr WPARAM kOtherButtonHeld = 0x100;

class InputHooks : private HookWork {
public:
    // Only one instance may exist: the hook procedures find it through a static pointer.
    explicit InputHooks(TraceSink* trace);
    ~InputHooks();
    InputHooks(const InputHooks&) = delete;
    InputHooks& operator=(const InputHooks&) = delete;

    // Mouse events are posted to `target` as `message` (wParam: MouseEventKind and
    // kOtherButtonHeld, lParam: the screen point packed as two signed 16-bit values).
    bool installMouseHook(HWND target, UINT message);
    void removeMouseHook();

    // Swallows Alt+Tab, Alt+Esc, Ctrl+Esc and the Windows keys until removed. Returns once the
    // hook is in force.
    bool installKeyboardHook();
    void removeKeyboardHook();

    // Installs again every hook that should be in place (after the session is unlocked or
    // the system resumes, when the system may have dropped them).
    void reinstall();
    // Removes everything for good: later install requests are refused.
    void shutdown();

    // Test-only: removes the mouse hook behind the program's back, as the system does with a
    // hook it finds too slow.
    void dropMouseHookForTest();

private:
    // Thread messages: a request (lParam: a heap-held std::shared_ptr<HookTicket>), the end.
    enum Message : UINT {
        kRequest = WM_APP + 100,
        kQuit,
    };

    bool request(HookRequest what);
    bool carryOut(HookRequest request) override;  // on the hook thread
    static DWORD WINAPI threadMain(void* self);
    void runThread();
    bool setMouseHook();
    bool setKeyboardHook();
    void checkHooks();
    static LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam);

    TraceSink* trace_;
    win32::KernelHandle thread_;
    DWORD threadId_ = 0;
    win32::KernelHandle ready_;  // thread started
    bool shutDown_ = false;  // touched only on the interface thread
    std::atomic<HWND> target_{nullptr};
    std::atomic<UINT> message_{0};
    // The hooks are owned by the hook thread; the flags say what should be in place.
    win32::HookHandle mouseHook_;
    win32::HookHandle keyboardHook_;
    std::atomic<bool> mouseWanted_{false};
    std::atomic<bool> keyboardWanted_{false};
    // What the hooks saw last, for the watchdog (tick counts and the packed cursor point).
    std::atomic<DWORD> lastMouseTick_{0};
    std::atomic<LPARAM> lastMousePoint_{0};
    std::atomic<DWORD> lastKeyTick_{0};
    std::atomic<LPARAM> lastMovePosted_{-1};  // the point of the last move passed on
    TaskSwitchFilter filter_;  // touched only on the hook thread
};

}  // namespace veilora
