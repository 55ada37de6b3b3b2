#include "monitor/task_switch_filter.h"

#include <gtest/gtest.h>

#include <tuple>

namespace veilora {
namespace {

constexpr std::uint32_t kDown = 0x100, kUp = 0x101, kSysDown = 0x104, kSysUp = 0x105;
constexpr std::uint32_t kTab = 0x09, kEsc = 0x1B, kF4 = 0x73, kAltFlag = 0x20;
constexpr ModifierState kNone{}, kAlt{.alt = true}, kCtrl{.ctrl = true},
    kCtrlAlt{.alt = true, .ctrl = true};

// One filter sees the whole script: each key event (message, key, flags), the modifiers held
// by then, and whether it is swallowed.
TEST(TaskSwitchFilter, AltTabAltEscAndCtrlEscAreSwallowedAndEachReleaseGoesTheWayItsPressWent) {
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, ModifierState, bool> script[] = {
        // Windows: the Alt flag on the record. Wine: no flag, but a system-key message.
        {kDown, kTab, kAltFlag, kNone, true}, {kUp, kTab, kAltFlag, kNone, true},
        {kSysDown, kTab, 0, kNone, true}, {kSysUp, kTab, 0, kNone, true},
        {kDown, kTab, 0, kAlt, true}, {kUp, kTab, 0, kNone, true},  // Alt held before the hook
        {kDown, kEsc, 0, kAlt, true}, {kUp, kEsc, 0, kNone, true},
        {kDown, kEsc, 0, kCtrl, true}, {kUp, kEsc, 0, kNone, true},
        {kDown, kEsc, kAltFlag, kNone, true}, {kUp, kEsc, 0, kNone, true},
        {kDown, kTab, kAltFlag, kCtrlAlt, true}, {kUp, kTab, 0, kNone, true},
        // Ctrl+Tab, Tab alone, Esc alone (it reaches the prompt), Alt+F4 and other messages pass.
        {kDown, kTab, 0, kCtrl, false}, {kDown, kTab, 0, kNone, false},
        {kDown, kEsc, 0, kNone, false}, {kSysDown, kF4, kAltFlag, kAlt, false},
        {0x200, kTab, kAltFlag, kAlt, false},
        // Tab pressed alone, then Alt: releasing Tab must reach the system, or Tab stays held.
        {kDown, kTab, 0, kNone, false}, {kSysUp, kTab, kAltFlag, kAlt, false},
        // Alt+Esc released after Alt; then a release whose press came before the hook.
        {kDown, kEsc, 0, kAlt, true}, {kUp, kEsc, 0, kNone, true}, {kUp, kEsc, 0, kAlt, false},
        // Tab held alone, then Ctrl+Esc: each release follows its own press.
        {kDown, kTab, 0, kNone, false}, {kDown, kEsc, 0, kCtrl, true},
        {kUp, kTab, 0, kCtrl, false},
    };
    TaskSwitchFilter filter;
    for (std::size_t i = 0; i < std::size(script); ++i) {
        const auto& [message, vk, flags, held, swallowed] = script[i];
        EXPECT_EQ(filter.swallow({message, vk, flags}, held), swallowed) << "step " << i;
    }
}

}  // namespace
}  // namespace veilora
