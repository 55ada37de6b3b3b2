#include "monitor/task_switch_filter.h"

namespace veilora {

namespace {
constexpr std::uint32_t kWmKeyDown = 0x100;
constexpr std::uint32_t kWmKeyUp = 0x101;
constexpr std::uint32_t kWmSysKeyDown = 0x104;
constexpr std::uint32_t kWmSysKeyUp = 0x105;
constexpr std::uint32_t kFlagAltDown = 0x20;

constexpr std::uint32_t kVkTab = 0x09;
constexpr std::uint32_t kVkEscape = 0x1B;
}  // namespace

bool TaskSwitchFilter::swallow(const KeyEvent& event, ModifierState held) {
    const bool down = event.message == kWmKeyDown || event.message == kWmSysKeyDown;
    const bool up = event.message == kWmKeyUp || event.message == kWmSysKeyUp;
    if (!down && !up) return false;

    bool* swallowedDown = nullptr;
    if (event.vkCode == kVkTab) {
        swallowedDown = &tabSwallowed_;
    } else if (event.vkCode == kVkEscape) {
        swallowedDown = &escSwallowed_;
    } else {
        return false;
    }
    if (up) {
        const bool swallowed = *swallowedDown;
        *swallowedDown = false;
        return swallowed;
    }

    // Some systems never set the hook record's Alt flag; a system-key press of Tab or Esc
    // also means Alt is down.
    const bool alt = (event.flags & kFlagAltDown) != 0 || event.message == kWmSysKeyDown ||
                     held.alt;
    const bool swallow = event.vkCode == kVkTab ? alt : alt || held.ctrl;
    *swallowedDown = swallow;
    return swallow;
}

}  // namespace veilora
