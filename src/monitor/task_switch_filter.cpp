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
constexpr std::uint32_t kVkControl = 0x11;
constexpr std::uint32_t kVkAlt = 0x12;
constexpr std::uint32_t kVkLeftControl = 0xA2;
constexpr std::uint32_t kVkRightControl = 0xA3;
constexpr std::uint32_t kVkLeftAlt = 0xA4;
constexpr std::uint32_t kVkRightAlt = 0xA5;
}  // namespace

bool TaskSwitchFilter::swallow(const KeyEvent& event, ModifierState held) {
    const bool down = event.message == kWmKeyDown || event.message == kWmSysKeyDown;
    const bool up = event.message == kWmKeyUp || event.message == kWmSysKeyUp;
    if (!down && !up) return false;

    switch (event.vkCode) {
        case kVkAlt:
        case kVkLeftAlt:
        case kVkRightAlt:
            altDown_ = down;
            return false;
        case kVkControl:
        case kVkLeftControl:
        case kVkRightControl:
            ctrlDown_ = down;
            return false;
        case kVkTab:
        case kVkEscape:
            break;
        default:
            return false;
    }

    // A system-key message for Tab or Esc means Alt is held even when the flag is missing.
    const bool sysKey = event.message == kWmSysKeyDown || event.message == kWmSysKeyUp;
    const bool alt = (event.flags & kFlagAltDown) != 0 || sysKey || altDown_ || held.alt;
    const bool ctrl = ctrlDown_ || held.ctrl;
    if (event.vkCode == kVkTab) return alt;
    return alt || ctrl;
}

}  // namespace veilora
