// The global mouse monitor: system-wide mouse events delivered on the user-interface thread.
//
// The hook lives from the first start to shutdown. Stopping pauses the trigger events (moves,
// wheel, middle button) until the next start, including those already queued; button presses
// and releases always come through so the button flags follow the real buttons.
#pragma once

#include <windows.h>

#include "monitor/input_hooks_win32.h"
#include "ports/ports.h"

namespace veilora {

class PointerScoutWin32 final : public PointerScout {
public:
    PointerScoutWin32(InputHooks& hooks, HWND target, UINT message, TraceSink* trace);

    void startMonitor() override;
    void stopMonitor() override;
    bool buttonHeld(MouseButton button) override;
    void shutdown();

    // Called by the target window for each posted event.
    void deliver(PointerEvents& events, WPARAM kind, LPARAM point);

private:
    InputHooks& hooks_;
    HWND target_;
    UINT message_;
    TraceSink* trace_;
    bool paused_ = true;
    bool ended_ = false;
    // The buttons as they were at the press being delivered.
    bool leftHeld_ = false;
    bool rightHeld_ = false;
};

}  // namespace veilora
