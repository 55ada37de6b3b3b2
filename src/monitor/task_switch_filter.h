// Decides which key events the keyboard hook swallows while the cover is up: Alt+Tab, Alt+Esc
// and Ctrl+Esc (with it Ctrl+Shift+Esc), and the Windows keys alone or with any other key
// (Start, Win+Tab, Win+D, Win+M, ...), press and release. Everything else passes at once.
#pragma once

#include <bitset>
#include <cstdint>

namespace veilora {

// The extra-info value the program puts on the keys it injects itself (its own Windows+M):
// those always pass.
inline constexpr std::uint64_t kInjectedByVeilora = 0x56454C41;  // "VELA"

struct KeyEvent {
    std::uint32_t message = 0;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
    std::uint32_t vkCode = 0;
    std::uint32_t flags = 0;       // the hook record's flags (bit 0x20: Alt down)
    std::uint64_t extraInfo = 0;   // the hook record's extra information
};

// Whether Alt, Ctrl and a Windows key (left or right) are physically held, as the system
// reports it outside the event stream. This is the truth: a release event can be lost, and a
// key can have been held since before the hook existed.
struct ModifierState {
    bool alt = false;
    bool ctrl = false;
    bool win = false;
};

class TaskSwitchFilter {
public:
    // True when the event must not reach the system. A press is judged by the modifiers held;
    // a release goes the way its press went, so no key is left held in the system's eyes and
    // no half of a swallowed combination leaks out.
    bool swallow(const KeyEvent& event, ModifierState held);

private:
    std::bitset<256> pressSwallowed_;  // by virtual key
};

}  // namespace veilora
