#include "monitor/pointer_scout_win32.h"

#include <windowsx.h>

namespace veilora {

PointerScoutWin32::PointerScoutWin32(InputHooks& hooks, HWND target, UINT message,
                                     TraceSink* trace)
    : hooks_(hooks), target_(target), message_(message), trace_(trace) {}

void PointerScoutWin32::startMonitor() {
    if (ended_) return;  // nothing may come back once the program is ending
    hooks_.installMouseHook(target_, message_);
    paused_ = false;
}

void PointerScoutWin32::stopMonitor() { paused_ = true; }

void PointerScoutWin32::shutdown() {
    paused_ = true;
    ended_ = true;
    hooks_.removeMouseHook();
}

bool PointerScoutWin32::buttonHeld(MouseButton button) {
    switch (button) {
        case MouseButton::Left: return leftHeld_;
        case MouseButton::Right: return rightHeld_;
        case MouseButton::Middle: break;
    }
    return false;
}

void PointerScoutWin32::deliver(PointerEvents& events, WPARAM wParam, LPARAM point) {
    const auto kind = static_cast<MouseEventKind>(wParam & 0xFF);
    const bool otherHeld = (wParam & kOtherButtonHeld) != 0;
    // Lets tests know an event has been dealt with, whatever it caused (moves carry their
    // point as x * 65536 + y).
    struct Handled {
        TraceSink* trace;
        MouseEventKind kind;
        LPARAM point;
        ~Handled() {
            if (!trace) return;
            if (kind == MouseEventKind::Move) {
                trace->event("mouse-move", static_cast<long long>(GET_X_LPARAM(point)) * 65536 +
                                               GET_Y_LPARAM(point));
            } else {
                trace->event("mouse-handled", static_cast<long long>(kind));
            }
        }
    } handled{trace_, kind, point};
    if (ended_) return;
    switch (kind) {
        case MouseEventKind::Move:
            if (!paused_) events.onSystemMouseMove(GET_X_LPARAM(point), GET_Y_LPARAM(point));
            break;
        case MouseEventKind::Wheel:
            if (!paused_) events.onSystemMouseWheel();
            break;
        case MouseEventKind::MiddleDown:
            if (!paused_) events.onSystemMouseMiddleDown();
            break;
        case MouseEventKind::LeftDown:
            leftHeld_ = true;
            rightHeld_ = otherHeld;
            events.onSystemMouseLeftDown();
            break;
        case MouseEventKind::LeftUp: events.onSystemMouseLeftUp(); break;
        case MouseEventKind::RightDown:
            rightHeld_ = true;
            leftHeld_ = otherHeld;
            events.onSystemMouseRightDown();
            break;
        case MouseEventKind::RightUp: events.onSystemMouseRightUp(); break;
    }
}

}  // namespace veilora
