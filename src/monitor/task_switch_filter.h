// Decides which key events the keyboard hook swallows while the cover is up:
// Alt+Tab, Alt+Esc and Ctrl+Esc, press and release. Everything else passes at once.
#pragma once

#include <cstdint>

namespace veilora {

struct KeyEvent {
    std::uint32_t message = 0;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
    std::uint32_t vkCode = 0;
    std::uint32_t flags = 0;  // the hook record's flags (bit 0x20: Alt down)
};

// Modifier state as the system reports it outside the event stream (for keys that were
// already held when the hook was installed).
struct ModifierState {
    bool alt = false;
    bool ctrl = false;
};

class TaskSwitchFilter {
public:
    // True when the event must not reach the system. Also keeps the filter's own account of
    // Alt and Ctrl, because some systems never set the Alt flag of the hook record.
    bool swallow(const KeyEvent& event, ModifierState held);

private:
    bool altDown_ = false;
    bool ctrlDown_ = false;
};

}  // namespace veilora
