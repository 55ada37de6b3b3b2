#include "monitor/pointer_scout_win32.h"

#include <windowsx.h>

namespace veilora {

PointerScoutWin32::PointerScoutWin32(InputHooks& hooks, HWND target, UINT message,
                                     TraceSink* trace)
    : hooks_(hooks), target_(target), message_(message), trace_(trace) {}

void PointerScoutWin32::startMonitor() {
    hooks_.installMouseHook(target_, message_);
    paused_ = false;
}

void PointerScoutWin32::stopMonitor() { paused_ = true; }

void PointerScoutWin32::shutdown() {
    paused_ = true;
    hooks_.removeMouseHook();
}

void PointerScoutWin32::deliver(PointerEvents& app, WPARAM kind, LPARAM point) {
    // Lets tests know an event has been dealt with, whatever it caused (moves carry their
    // point as x * 65536 + y).
    struct Handled {
        TraceSink* trace;
        WPARAM kind;
        LPARAM point;
        ~Handled() {
            if (!trace) return;
            if (static_cast<MouseEventKind>(kind) == MouseEventKind::Move) {
                trace->event("mouse-move", static_cast<long long>(GET_X_LPARAM(point)) * 65536 +
                                               GET_Y_LPARAM(point));
            } else {
                trace->event("mouse-handled", static_cast<long long>(kind));
            }
        }
    } handled{trace_, kind, point};
    switch (static_cast<MouseEventKind>(kind)) {
        case MouseEventKind::Move:
            if (!paused_) app.onSystemMouseMove(GET_X_LPARAM(point), GET_Y_LPARAM(point));
            break;
        case MouseEventKind::Wheel:
            if (!paused_) app.onSystemMouseWheel();
            break;
        case MouseEventKind::MiddleDown:
            if (!paused_) app.onSystemMouseMiddleDown();
            break;
        case MouseEventKind::LeftDown: app.onSystemMouseLeftDown(); break;
        case MouseEventKind::LeftUp: app.onSystemMouseLeftUp(); break;
        case MouseEventKind::RightDown: app.onSystemMouseRightDown(); break;
        case MouseEventKind::RightUp: app.onSystemMouseRightUp(); break;
    }
}

}  // namespace veilora
