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
constexpr std::uint32_t kVkLeftWin = 0x5B;
constexpr std::uint32_t kVkRightWin = 0x5C;
}  // namespace

bool TaskSwitchFilter::swallow(const KeyEvent& event, ModifierState held) {
    const bool down = event.message == kWmKeyDown || event.message == kWmSysKeyDown;
    const bool up = event.message == kWmKeyUp || event.message == kWmSysKeyUp;
    if ((!down && !up) || event.vkCode >= pressSwallowed_.size()) return false;
    // The program's own Windows+M must reach the shell.
    if (event.extraInfo == kInjectedByVeilora) return false;

    if (up) {
        const bool swallowed = pressSwallowed_[event.vkCode];
        pressSwallowed_[event.vkCode] = false;
        return swallowed;
    }

    // A Windows key whose press was swallowed is held only in our eyes, not the system's.
    const bool win = held.win || pressSwallowed_[kVkLeftWin] || pressSwallowed_[kVkRightWin];
    // Some systems never set the hook record's Alt flag; a system-key press of Tab or Esc
    // also means Alt is down.
    const bool alt = (event.flags & kFlagAltDown) != 0 || event.message == kWmSysKeyDown ||
                     held.alt;
    bool swallow = win || event.vkCode == kVkLeftWin || event.vkCode == kVkRightWin;
    if (event.vkCode == kVkTab) swallow = swallow || alt;
    if (event.vkCode == kVkEscape) swallow = swallow || alt || held.ctrl;
    pressSwallowed_[event.vkCode] = swallow;
    return swallow;
}

}  // namespace veilora
