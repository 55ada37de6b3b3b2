// The system-wide low-level mouse and keyboard hooks, on a thread of their own.
//
// The hook procedures only classify the event, pass it on and post a small message to the
// user-interface thread, so a busy interface never slows the system's mouse or keyboard.
// Installing and removing a hook are requests to that thread and return when done.
#pragma once

#include <windows.h>

#include <atomic>

#include "monitor/task_switch_filter.h"
#include "win32/handles.h"
#include "win32/trace.h"

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

class InputHooks {
public:
    // Only one instance may exist: the hook procedures find it through a static pointer.
    explicit InputHooks(win32::FileTrace* trace);
    ~InputHooks();
    InputHooks(const InputHooks&) = delete;
    InputHooks& operator=(const InputHooks&) = delete;

    // Mouse events are posted to `target` as `message` (wParam: MouseEventKind, lParam: the
    // screen point packed as two signed 16-bit values).
    bool installMouseHook(HWND target, UINT message);
    void removeMouseHook();

    // Swallows Alt+Tab, Alt+Esc and Ctrl+Esc until removed. Installing only queues the
    // request, so hiding does not wait for the hook thread; requests are carried out in order.
    bool installKeyboardHook();
    void removeKeyboardHook();

private:
    enum Request : UINT {
        kInstallMouse = WM_APP + 100,
        kRemoveMouse,
        kInstallKeyboard,
        kRemoveKeyboard,
        kQuit,
    };

    bool request(Request what);
    bool post(Request what);
    static DWORD WINAPI threadMain(void* self);
    void runThread();
    static LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam);

    win32::FileTrace* trace_;
    win32::KernelHandle thread_;
    DWORD threadId_ = 0;
    win32::KernelHandle ready_;  // thread started / request done
    bool lastResult_ = false;
    std::atomic<HWND> target_{nullptr};
    std::atomic<UINT> message_{0};
    std::atomic<HHOOK> mouseHook_{nullptr};
    std::atomic<HHOOK> keyboardHook_{nullptr};
    TaskSwitchFilter filter_;  // touched only on the hook thread
};

}  // namespace veilora
